/*
 * app.h - what the main window shares with the pages and dialogs: the window-wide
 * handles and the operations of the main window that others call. UI thread only.
 */
#ifndef ZAN_APP_H
#define ZAN_APP_H

#include <windows.h>
#include <commdlg.h>

#include "assignment.h"
#include "options.h"

#define PAGE_COUNT 4
enum { PAGE_REMOTE, PAGE_NUNCHUK, PAGE_CLASSIC, PAGE_OPTIONS };

/* A fixed-size window: no sizing border, no maximise box. */
#define MAIN_WINDOW_STYLE (WS_VISIBLE | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX)

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
    int       nModalDepth;      /* message boxes, dialogs and menus up (modal_ui.cpp) */
    HWND      ahLayerButton[ASSIGN_LAYERS]; /* the switch above the tabs (layer_view.cpp) */
    int       nShownLayer;      /* the layer the slot pages show and edit: 0 or 1 */
} APP_WINDOW;

extern APP_WINDOW g_App;
extern APP_OPTIONS g_Options;

/* Main window operations used by the pages and dialogs. */
void MarkModified(void);
void UpdateTitle(void);
int AskSaveChanges(void);
void UpdateRunMenu(void);
/* Saves the current set to its file, or under a chosen name when it has none; failures
 * are reported. 1 when it was saved. */
int SaveCurrentSet(HWND hWnd);
/* After a set was put in place: its file is current and clean; pages, LEDs, the remote's
 * settings and the title follow it. */
void AdoptLoadedFile(LPCWSTR pszPath);
void RefreshBatteryPart(void);

/* Private messages of the main window (WM_APP + 0x40 to 0x4F are this block's). */
#define WM_APP_LAUNCH_FAILED (WM_APP + 0x40)  /* engine: wParam slot, lParam ShellExecuteW's result */
#define WM_APP_MODAL_ENDED   (WM_APP + 0x41)  /* the last box or dialog closed: what waited goes on */
#define WM_APP_HANDOVER      (WM_APP + 0x42)  /* a second start's command line waits (single_instance.cpp) */
#define WM_APP_ENGINE_NOTE   (WM_APP + 0x43)  /* engine: wParam ENGINE_NOTE_*, lParam its value */

/* WM_CLOSE's wParam from the exit commands: end the program even when closing hides it. */
#define CLOSE_EXIT 1

/* Where option.ini is read and written: beside the executable unless a test names its own. */
extern WCHAR g_szOptionsFile[OPTIONS_PATH_CHARS];

/* Start-up up to the message loop: the fresh set, the main window, options, the settings
 * file of the command line (without the program name) or the last one, the quiet connect.
 * NULL when the window cannot be created. pszOptionsFile NULL: option.ini beside the exe. */
HWND StartZan(HINSTANCE hInstance, LPCWSTR pszCommandLine, int nCmdShow, LPCWSTR pszOptionsFile);
/* The message loop with the main accelerators; returns the quit message's exit code. */
int RunMessageLoop(void);

/* The main window's procedure, and the frame colour for the current state. */
LRESULT CALLBACK MainWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
COLORREF GetFrameColour(void);

/* The remote's battery byte as a percentage: about 0xC8 when full, clamped to 100. */
int BatteryPercent(int nLevel);
/* Text and colour of the battery part for the remote in use; 0 when the part shows nothing. */
int GetBatteryPartLook(WCHAR *pszText, int cchText, COLORREF *pcrText);

#endif
