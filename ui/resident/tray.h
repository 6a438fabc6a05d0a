/*
 * tray.h - the notification-area icon: its tooltip, balloons and menu, and hiding the
 * main window there. UI thread only.
 */
#ifndef ZAN_TRAY_H
#define ZAN_TRAY_H

#include <windows.h>
#include <shellapi.h>

/* The icon's callback (WM_APP + 0x60 to 0x6F are the resident features'). */
#define WM_APP_TRAY (WM_APP + 0x60)  /* lParam the mouse message on the icon */

void HideToTray(HWND hWnd);
void ShowFromTray(HWND hWnd);
int IsTrayIconShown(void);
/* The tooltip: the window title, the battery or the connection, and the blocked-input notice. */
void UpdateTrayTip(void);
/* A balloon with a string of the table (IDS_BALLOON_*). */
void ShowTrayBalloon(int nStringId);
int AddTrayIcon(HWND hWnd);
/* 1 when uMsg is Explorer's restart message: the icon is put back. */
int OnTaskbarCreated(HWND hWnd, UINT uMsg);
void RemoveTrayIcon(HWND hWnd);
LRESULT OnCloseRequest(HWND hWnd, WPARAM wParam);
int OnTraySysCommand(HWND hWnd, WPARAM wParam);
void OnTrayNotify(HWND hWnd, LPARAM lParam);
/* 1 when the command is one of the icon menu's. */
int OnTrayCommand(HWND hWnd, UINT uCommand);

#endif
