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
/* The notification-area icon's callback (WM_APP + 0x60 to 0x6F are the resident features'). */
#define WM_APP_TRAY          (WM_APP + 0x60)  /* lParam the mouse message on the icon */

/* WM_CLOSE's wParam from the exit commands: end the program even when closing hides it. */
#define CLOSE_EXIT 1

/* What the window shows of the remote's input: slot buttons of pressed inputs highlighted
 * (slot_highlight.cpp), the options page's battery and extension lines (page_remote_info.cpp). */
int IsSlotShownPressed(int nSlot);
/* Recomputes the highlight from the latest copies; redraws the buttons that changed. */
void RefreshSlotHighlight(void);
/* Nonzero when stop must leave the remote's reports on (the highlight needs them). */
int WantsInputWhileStopped(void);
/* After the options are read or changed: the engine's reaction, reports while stopped, highlight. */
void ApplyViewOptions(void);
void RefreshRemoteInfo(void);

/* Connection (remote selection, status bar text, LED pattern). */
int ConnectRemote(HWND hOwner, int bInteractive);
/* The connect message's slot, so a connection uses the slot the library chose. */
void NoteConnectedSlot(int nSlot);
/* Hands the set's correction level and the option's time-out to the remote in the slot
 * (nothing when it is negative); called whenever either or the remote in use changes. */
void ApplyRemoteSettings(int nSlot);
void ShowConnectionText(void);
void ApplyLedPattern(const ASSIGNMENT_SET *pSet, int nSlot);

/* File chooser: nonzero when the user chose a file, whose full path is then in pszFile;
 * buffers of MAX_PATH characters. The save dialog does not ask about replacing a file:
 * its caller does, for the name it will actually write. */
int ChooseFile(LPWSTR pszFileTitle, LPWSTR pszFile, LPCWSTR pszFilter, LPCWSTR pszTitle, int bSave);

/* Blocking message boxes go through here (and the window's seam), so tests can answer them. */
int ShowMessageBox(HWND hOwner, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType);

/* Texts of the string table. UI_TEXT_CHARS holds any of them; a missing one is empty. */
#define UI_TEXT_CHARS 256
LPCWSTR LoadText(UINT uId, WCHAR *pszText, int cchText);
/* A file dialog's filter, its parts separated by '|' in the table. */
LPCWSTR LoadFilter(UINT uId, WCHAR *pszFilter, int cchFilter);
/* A message box of two string table entries. */
int ShowTextBox(HWND hOwner, UINT uText, UINT uCaption, UINT uType);


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
/* The connection text of status bar part 0 for an extension kind, or for no remote
 * in use when the kind is negative (without touching the status bar). */
void FormatConnectionText(WCHAR *pszText, int cchText, int nExtensionKind);

#endif
