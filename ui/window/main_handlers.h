/* main_handlers.h - the main window's message handlers, shared by the files that hold them. */
#ifndef ZAN_MAIN_HANDLERS_H
#define ZAN_MAIN_HANDLERS_H

#include <windows.h>
#include <shellapi.h>

#include "app.h"

#define PRESENCE_TIMER_ID 1
#define PRESENCE_TIMER_MS 1000
#define STATUS_PART_BATTERY 1

/* main_window.cpp */
BOOL OnCreate(HWND hWnd);
void OnSize(HWND hWnd, WPARAM wParam);
void OnPaint(HWND hWnd);
LRESULT OnEraseBackground(HWND hWnd, HDC hdc);
void OnTabNotify(const NMHDR *pHeader);
LRESULT OnClose(HWND hWnd);
void OnDestroy(HWND hWnd);

/* main_commands.cpp: 1 when the command is one of the main window's. */
int OnCommand(HWND hWnd, UINT uCommand);
void SetRunning(HWND hWnd, int bRunning);

/* main_files.cpp */
void OnOpen(HWND hWnd);
void OnSave(HWND hWnd);
void OnSaveAs(HWND hWnd);
void OnDropFiles(HWND hWnd, HDROP hDrop);
/* A dropped or handed-over file: the unsaved-changes question, the load, and the failure
 * reported when the question was cancelled or the file does not load. */
void OpenSettingFile(HWND hWnd, LPCWSTR pszPath);

/* main_session.cpp */
BOOL OnQueryEndSession(HWND hWnd, LPARAM lParam);
void OnEndSession(HWND hWnd, BOOL bEnding);
/* With "apply the previous settings at start" on, remembers the current file in option.ini. */
void WriteExitOptions(void);

/* library_messages.cpp */
void OnLibraryStatus(int nSlot, DWORD dwMask);
void OnLibraryInput(int nSlot, const DWORD *pdwMasks);
void OnLibraryConnected(HWND hWnd, int nSlot);
void OnLibraryLost(HWND hWnd, int nSlot, int bRequested);
void OnTimer(HWND hWnd, UINT_PTR uTimer);

/* status_bar.cpp */
void OnDrawItem(const DRAWITEMSTRUCT *pItem);

/* launch_report.cpp: the engine's failed launch, shown owned by the main window. */
void OnLaunchFailed(HWND hWnd, int nSlot, INT_PTR nResult);

#endif
