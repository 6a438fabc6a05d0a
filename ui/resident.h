/*
 * resident.h - what lets Zan run unattended: the notification-area icon with its tooltip,
 * balloons and menu, the quiet connection when a device arrives or Windows resumes, and
 * the notice when Windows blocks input to the foreground window. UI thread only.
 */
#ifndef ZAN_RESIDENT_H
#define ZAN_RESIDENT_H

#include <windows.h>
#include <shellapi.h>

/* Shell_NotifyIconW goes through here, so tests can read what the icon shows. NULL: the system's. */
typedef BOOL (WINAPI *NOTIFY_ICON_PROC)(DWORD dwMessage, PNOTIFYICONDATAW pData);
void SetNotifyIconProc(NOTIFY_ICON_PROC pfnNotifyIcon);
/* The icon's menu: production calls TrackPopupMenu; tests may answer it here. */
typedef int (*TRAY_MENU_PROC)(HMENU hMenu, int x, int y, HWND hOwner);
extern TRAY_MENU_PROC g_pfnTrackTrayMenu;

/* Whether the process behind a window, and Zan itself, run elevated: 1 yes, 0 no, -1 unknown.
 * Production asks the processes' tokens; tests may answer here. NULL: the real queries. */
typedef int (*WINDOW_ELEVATION_PROC)(HWND hWnd);
typedef int (*SELF_ELEVATION_PROC)(void);
void SetElevationProcs(WINDOW_ELEVATION_PROC pfnWindow, SELF_ELEVATION_PROC pfnSelf);

/* Start-up: the icon, the device and foreground watches; the show command for the window
 * (SW_HIDE when it starts in the notification area and the icon is there). */
void StartResident(HWND hWnd);
int StartShowCommand(LPCWSTR pszCommandLine, int nCmdShow);
/* "/tray" on the command line or the option: start hidden in the notification area. */
int StartsInTray(LPCWSTR pszCommandLine);
void StopResident(HWND hWnd);

/* tray.cpp */
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

/* auto_connect.cpp */
void WatchDeviceArrivals(HWND hWnd);
void StopWatchingDevices(HWND hWnd);
LRESULT OnDeviceChange(HWND hWnd, WPARAM wParam, LPARAM lParam);
LRESULT OnPowerBroadcast(HWND hWnd, WPARAM wParam);

/* input_blocked.cpp */
void WatchForegroundElevation(HWND hWnd);
void StopWatchingForeground(HWND hWnd);
/* 1 while the foreground window is elevated and Zan is not: its input is dropped. */
int IsInputBlocked(void);
/* The notice for status bar part 0 when input is blocked; 0 (text untouched) otherwise. */
int GetInputBlockedText(WCHAR *pszText, int cchText);

#endif
