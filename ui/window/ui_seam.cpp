/* ui_seam.cpp - the real calls behind the window's edge. */
#include "ui_seam.h"

#include "input_blocked.h"
#include "system_dll.h"

/* The slot menus and the icon's menu alike: either mouse button picks an item. */
static int TrackWithSystemMenu(HMENU hMenu, int x, int y, HWND hOwner)
{
    return (int)TrackPopupMenu(hMenu, TPM_NOANIMATION | TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, hOwner, NULL);
}

typedef HRESULT (WINAPI *THEME_TEXTURE_PROC)(HWND hWnd, DWORD dwFlags);

/* uxtheme.dll is not one of Windows' known DLLs: it is loaded from the system folder only,
 * never from beside Zan.exe, and only when a page asks. */
static HRESULT WINAPI EnableTabTexture(HWND hWnd, DWORD dwFlags)
{
    HMODULE hTheme = LoadSystemDll(L"uxtheme.dll");
    THEME_TEXTURE_PROC pfnTexture = hTheme ? (THEME_TEXTURE_PROC)(void *)GetProcAddress(hTheme, "EnableThemeDialogTexture")
                                           : NULL;
    /* The module stays loaded for the process: the pages keep using its theme. */
    return pfnTexture ? pfnTexture(hWnd, dwFlags) : HRESULT_FROM_WIN32(GetLastError());
}

static const UI_SEAM g_RealUiSeam = { MessageBoxW, GetOpenFileNameW, GetSaveFileNameW, MessageBeep,
                                      TrackWithSystemMenu, Shell_NotifyIconW, QueryWindowElevation,
                                      QuerySelfElevation, ShutdownBlockReasonCreate,
                                      ShutdownBlockReasonDestroy, ChangeWindowMessageFilterEx,
                                      EnableTabTexture, SetWinEventHook, UnhookWinEvent };

UI_SEAM g_UiSeam = g_RealUiSeam;

void SetUiSeam(const UI_SEAM *pSeam)
{
    g_UiSeam = pSeam ? *pSeam : g_RealUiSeam;
}
