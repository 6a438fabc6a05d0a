/*
 * app.h - what the main window shares with the pages and dialogs: the window-wide
 * handles and the operations of the main window that others call. UI thread only.
 */
#ifndef ZAN_APP_H
#define ZAN_APP_H

#include <windows.h>

#include "assignment.h"
#include "options.h"

#define PAGE_COUNT 4
enum { PAGE_REMOTE, PAGE_NUNCHUK, PAGE_CLASSIC, PAGE_OPTIONS };

/* The main window and what it created. */
typedef struct APP_WINDOW {
    HINSTANCE hInstance;
    HWND      hMainWnd;
    HWND      hTab;
    HWND      ahPage[PAGE_COUNT];
    HWND      hStatus;
    HFONT     hFont;
    HBITMAP   ahKindBitmap[4]; /* indexed by ASSIGN_DISABLED, ASSIGN_KEY, ASSIGN_MOUSE, ASSIGN_APPLICATION */
    int       bPresenceTimer;
} APP_WINDOW;

extern APP_WINDOW g_App;
extern APP_OPTIONS g_Options;

/* Main window operations used by the pages and dialogs. */
void MarkModified(void);
void UpdateTitle(void);
int AskSaveChanges(void);
void UpdateRunMenu(void);
void RefreshBatteryPart(void);

/* Connection (remote selection, status bar text, LED pattern). */
int ConnectRemote(HWND hOwner, int bInteractive);
void ShowConnectionText(void);
void ApplyLedPattern(const ASSIGNMENT_SET *pSet, int nSlot);

/* File chooser: nonzero when the user chose a file; buffers of MAX_PATH characters. */
int ChooseFile(LPWSTR pszFileTitle, LPWSTR pszFile, LPCWSTR pszFilter, LPCWSTR pszTitle, int bSave);

/* Blocking message boxes go through here, so tests can answer them. */
typedef int (WINAPI *MESSAGE_BOX_PROC)(HWND hOwner, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType);
int ShowMessageBox(HWND hOwner, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType);
void SetMessageBoxProc(MESSAGE_BOX_PROC pfnMessageBox);

#endif
