/*
 * ui_seam.h - the window's edge with the system's blocking calls: message boxes, the common
 * file dialogs, the key beep, popup menus, the notification-area icon, the elevation
 * queries and the foreground event. Production uses the real calls; tests answer here.
 */
#ifndef ZAN_UI_SEAM_H
#define ZAN_UI_SEAM_H

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

typedef struct UI_SEAM {
    int  (WINAPI *pfnMessageBox)(HWND hOwner, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType);
    BOOL (WINAPI *pfnGetOpenFileName)(LPOPENFILENAMEW pOfn);
    BOOL (WINAPI *pfnGetSaveFileName)(LPOPENFILENAMEW pOfn);
    BOOL (WINAPI *pfnMessageBeep)(UINT uType);
    /* The chosen command of a popup at (x, y) in screen coordinates, or 0. */
    int  (*pfnTrackMenu)(HMENU hMenu, int x, int y, HWND hOwner);
    BOOL (WINAPI *pfnNotifyIcon)(DWORD dwMessage, PNOTIFYICONDATAW pData);
    /* Whether the process behind a window, and Zan itself, run elevated: 1 yes, 0 no, -1 unknown. */
    int  (*pfnWindowElevation)(HWND hWnd);
    int  (*pfnSelfElevation)(void);
    /* The reason Windows shows while Zan holds up the session's end. */
    BOOL (WINAPI *pfnShutdownBlockReasonCreate)(HWND hWnd, LPCWSTR pszReason);
    BOOL (WINAPI *pfnShutdownBlockReasonDestroy)(HWND hWnd);
    /* Lets a message from a less privileged process (the shell) through to an elevated Zan. */
    BOOL (WINAPI *pfnChangeWindowMessageFilterEx)(HWND hWnd, UINT uMsg, DWORD dwAction, PCHANGEFILTERSTRUCT pInfo);
    /* The themed tab pane's background for a page (uxtheme's, loaded when first asked). */
    HRESULT (WINAPI *pfnEnableThemeDialogTexture)(HWND hWnd, DWORD dwFlags);
    /* The system's report that the foreground moved (Wine sends none). */
    HWINEVENTHOOK (WINAPI *pfnSetWinEventHook)(DWORD dwEventMin, DWORD dwEventMax, HMODULE hModule,
                                               WINEVENTPROC pfnProc, DWORD dwProcess, DWORD dwThread, DWORD dwFlags);
    BOOL (WINAPI *pfnUnhookWinEvent)(HWINEVENTHOOK hHook);
} UI_SEAM;

extern UI_SEAM g_UiSeam;

/* Takes the record's calls; NULL puts the real ones back. */
void SetUiSeam(const UI_SEAM *pSeam);

#endif
