/*
 * resident.h - starting and stopping what lets Zan run unattended (the notification-area
 * icon, the device and foreground watches), and starting hidden. UI thread only.
 */
#ifndef ZAN_RESIDENT_H
#define ZAN_RESIDENT_H

#include <windows.h>

/* Starts hidden once; a second start with it leaves the running Zan as it is. */
#define TRAY_SWITCH L"/tray"

/* Start-up: the icon, the device and foreground watches; the show command for the window
 * (SW_HIDE when it starts in the notification area and the icon is there). */
void StartResident(HWND hWnd);
int StartShowCommand(LPCWSTR pszCommandLine, int nCmdShow);
/* "/tray" on the command line or the option: start hidden in the notification area. */
int StartsInTray(LPCWSTR pszCommandLine);
/* "/tray" on the command line, whatever the option says. */
int HasTraySwitch(LPCWSTR pszCommandLine);
void StopResident(HWND hWnd);

#endif
