/* tray.cpp - the notification-area icon: tooltip, balloons, its menu, and hiding the window. */
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <stdio.h>

#include "engine_notes.h"
#include "input_blocked.h"
#include "main_handlers.h"
#include "modal_ui.h"
#include "program_state.h"
#include "resource.h"
#include "texts.h"
#include "tray.h"
#include "ui_seam.h"

#define TRAY_ICON_ID      1
#define TIP_TITLE_CHARS   64
#define LINE_CHARS        64
/* At logon the taskbar may not take the icon yet: it is offered again for a while. */
#define TRAY_RETRY_TIMER_ID 42042
#define TRAY_RETRY_MS       2000
#define TRAY_RETRIES        60

typedef struct TRAY_ICON {
    int   bShown;            /* the shell took the icon */
    int   bVersion4;         /* the shell speaks NOTIFYICON_VERSION_4 to the callback */
    int   nRetriesLeft;
    HICON hIcon;
    UINT  uTaskbarCreated;   /* sent to every top-level window when Explorer (re)starts */
} TRAY_ICON;

static TRAY_ICON g_Tray;

static void InitIconData(NOTIFYICONDATAW *pData, UINT uFlags)
{
    ZeroMemory(pData, sizeof(*pData));
    pData->cbSize = sizeof(*pData);
    pData->hWnd = g_App.hMainWnd;
    pData->uID = TRAY_ICON_ID;
    pData->uFlags = uFlags;
}

static void LoadTableString(int nId, WCHAR *pszText, int cchText)
{
    if (LoadStringW(g_App.hInstance, nId, pszText, cchText) <= 0)
        pszText[0] = L'\0';
}

/* Second line of the tooltip: the battery of the remote in use, or that there is none. */
static void FormatBatteryLine(WCHAR *pszText, int cchText)
{
    if (g_State.nSelectedRemote < 0) {
        LoadTableString(IDS_TRAY_NO_REMOTE, pszText, cchText);
    } else if (!g_State.nBatteryLevel) {
        LoadTableString(IDS_TRAY_BATTERY_EMPTY, pszText, cchText);
    } else {
        WCHAR szFormat[LINE_CHARS];
        LoadTableString(IDS_TRAY_BATTERY, szFormat, LINE_CHARS);
        _snwprintf(pszText, cchText, szFormat, BatteryPercent(g_State.nBatteryLevel));
        pszText[cchText - 1] = L'\0';
    }
}

static void AppendLine(WCHAR *pszTip, int cchTip, LPCWSTR pszLine)
{
    int cch = lstrlenW(pszTip);
    if (cch && cch < cchTip - 1)
        pszTip[cch++] = L'\n';
    lstrcpynW(pszTip + cch, pszLine, cchTip - cch);
}

void UpdateTrayTip(void)
{
    if (!g_Tray.bShown)
        return;
    NOTIFYICONDATAW data;
    InitIconData(&data, NIF_TIP | NIF_SHOWTIP);
    int cchTip = (int)(sizeof(data.szTip) / sizeof(data.szTip[0]));
    /* The title names the set; a long file name must not push the other lines out. */
    GetWindowTextW(g_App.hMainWnd, data.szTip, TIP_TITLE_CHARS);
    WCHAR szLine[LINE_CHARS];
    FormatBatteryLine(szLine, LINE_CHARS);
    AppendLine(data.szTip, cchTip, szLine);
    if (GetInputBlockedText(szLine, LINE_CHARS))
        AppendLine(data.szTip, cchTip, szLine);
    if (GetPausedText(szLine, LINE_CHARS))
        AppendLine(data.szTip, cchTip, szLine);
    g_UiSeam.pfnNotifyIcon(NIM_MODIFY, &data);
}

void ShowTrayBalloon(int nStringId)
{
    if (!g_Tray.bShown)
        return;
    NOTIFYICONDATAW data;
    InitIconData(&data, NIF_INFO);
    LoadTableString(nStringId, data.szInfo, (int)(sizeof(data.szInfo) / sizeof(data.szInfo[0])));
    LoadText(IDS_APP_TITLE, data.szInfoTitle, (int)(sizeof(data.szInfoTitle) / sizeof(data.szInfoTitle[0])));
    /* Not over a full-screen game or presentation, nor in the first hour after setup. */
    data.dwInfoFlags = NIIF_INFO | NIIF_RESPECT_QUIET_TIME;
    g_UiSeam.pfnNotifyIcon(NIM_MODIFY, &data);
}

static void DeleteIconFromShell(HWND hWnd)
{
    NOTIFYICONDATAW data;
    InitIconData(&data, 0);
    data.hWnd = hWnd;
    g_UiSeam.pfnNotifyIcon(NIM_DELETE, &data);
}

/* NIM_ADD may fail while the icon is there after all (a busy shell at logon, or Explorer
 * restarted with it kept): a modify that succeeds says the icon exists. */
static int AddIconToShell(HWND hWnd)
{
    NOTIFYICONDATAW data;
    InitIconData(&data, NIF_ICON | NIF_MESSAGE | NIF_TIP | NIF_SHOWTIP);
    data.hWnd = hWnd;
    data.uCallbackMessage = WM_APP_TRAY;
    data.hIcon = g_Tray.hIcon;
    GetWindowTextW(hWnd, data.szTip, TIP_TITLE_CHARS);
    g_Tray.bShown = g_UiSeam.pfnNotifyIcon(NIM_ADD, &data) || g_UiSeam.pfnNotifyIcon(NIM_MODIFY, &data);
    if (!g_Tray.bShown)
        return 0;
    data.uVersion = NOTIFYICON_VERSION_4;
    g_Tray.bVersion4 = g_UiSeam.pfnNotifyIcon(NIM_SETVERSION, &data) != FALSE;
    UpdateTrayTip();
    return 1;
}

static void CALLBACK RetryTrayIcon(HWND hWnd, UINT uMsg, UINT_PTR uTimer, DWORD dwTime)
{
    (void)uMsg; (void)dwTime;
    if (AddIconToShell(hWnd) || --g_Tray.nRetriesLeft <= 0)
        KillTimer(hWnd, uTimer);
}

int AddTrayIcon(HWND hWnd)
{
    /* The size and the artwork Windows asks for at the screen's scale. */
    if (FAILED(LoadIconMetric(g_App.hInstance, MAKEINTRESOURCEW(IDI_SMALL), LIM_SMALL, &g_Tray.hIcon)))
        g_Tray.hIcon = (HICON)LoadImageW(g_App.hInstance, MAKEINTRESOURCEW(IDI_SMALL), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0);
    g_Tray.uTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    if (AddIconToShell(hWnd))
        return 1;
    g_Tray.nRetriesLeft = TRAY_RETRIES;
    SetTimer(hWnd, TRAY_RETRY_TIMER_ID, TRAY_RETRY_MS, RetryTrayIcon);
    return 0;
}

/* A restarted Explorer has forgotten the icon; without it a hidden window is out of reach.
 * Deleted first, so an icon the shell kept is not refused as a duplicate. */
int OnTaskbarCreated(HWND hWnd, UINT uMsg)
{
    if (!g_Tray.uTaskbarCreated || uMsg != g_Tray.uTaskbarCreated || !g_Tray.hIcon)
        return 0;
    KillTimer(hWnd, TRAY_RETRY_TIMER_ID);
    DeleteIconFromShell(hWnd);
    if (!AddIconToShell(hWnd))
        ShowFromTray(hWnd);
    return 1;
}

void RemoveTrayIcon(HWND hWnd)
{
    KillTimer(hWnd, TRAY_RETRY_TIMER_ID);
    if (g_Tray.bShown)
        DeleteIconFromShell(hWnd);
    if (g_Tray.hIcon)
        DestroyIcon(g_Tray.hIcon);
    ZeroMemory(&g_Tray, sizeof(g_Tray));
}

int IsTrayIconShown(void)
{
    return g_Tray.bShown;
}

/* Without an icon a hidden window could not be reached again, so it stays. */
void HideToTray(HWND hWnd)
{
    if (g_Tray.bShown)
        ShowWindow(hWnd, SW_HIDE);
}

void ShowFromTray(HWND hWnd)
{
    ShowWindow(hWnd, IsIconic(hWnd) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hWnd);
}

LRESULT OnCloseRequest(HWND hWnd, WPARAM wParam)
{
    if (wParam != CLOSE_EXIT && g_Options.bCloseToTray && g_Tray.bShown) {
        HideToTray(hWnd);
        return 0;
    }
    return OnClose(hWnd);
}

int OnTraySysCommand(HWND hWnd, WPARAM wParam)
{
    if ((wParam & 0xFFF0) != SC_MINIMIZE || !g_Tray.bShown)
        return 0;
    HideToTray(hWnd);
    return 1;
}

static void ShowTrayMenu(HWND hWnd)
{
    HMENU hMenu = LoadMenuW(g_App.hInstance, MAKEINTRESOURCEW(IDR_TRAY_MENU));
    if (!hMenu)
        return;
    HMENU hPopup = GetSubMenu(hMenu, 0);
    /* Under a box or dialog only "show" is offered: it brings the window and its dialog up. */
    int bFree = !IsModalUiUp();
    EnableMenuItem(hPopup, ID_TRAY_RUN, MF_BYCOMMAND | (bFree && !g_State.bRunning ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(hPopup, ID_TRAY_STOP, MF_BYCOMMAND | (bFree && g_State.bRunning ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(hPopup, ID_TRAY_CONNECT, MF_BYCOMMAND | (bFree ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(hPopup, ID_TRAY_EXIT, MF_BYCOMMAND | (bFree ? MF_ENABLED : MF_GRAYED));
    SetMenuDefaultItem(hPopup, ID_TRAY_SHOW, FALSE);
    POINT pt;
    GetCursorPos(&pt);
    /* The menu closes when clicked away from only if its owner is in the foreground. */
    SetForegroundWindow(hWnd);
    int nCommand = g_UiSeam.pfnTrackMenu(hPopup, pt.x, pt.y, hWnd);
    PostMessageW(hWnd, WM_NULL, 0, 0);
    DestroyMenu(hMenu);
    if (nCommand)
        OnTrayCommand(hWnd, (UINT)nCommand);
}

/* Version 4 names the event in the low word and sends selection and the context menu
 * (mouse or keyboard) as events of their own; older shells send the mouse message. */
void OnTrayNotify(HWND hWnd, LPARAM lParam)
{
    UINT uEvent = g_Tray.bVersion4 ? LOWORD(lParam) : (UINT)lParam;
    if (g_Tray.bVersion4) {
        switch (uEvent) {
        case NIN_SELECT:     ShowFromTray(hWnd); break;
        case NIN_KEYSELECT:  ShowFromTray(hWnd); break;
        case WM_CONTEXTMENU: ShowTrayMenu(hWnd); break;
        }
        return;
    }
    switch (uEvent) {
    case WM_LBUTTONUP:     ShowFromTray(hWnd); break;
    case WM_LBUTTONDBLCLK: ShowFromTray(hWnd); break;
    case WM_RBUTTONUP:     ShowTrayMenu(hWnd); break;
    }
}

int OnTrayCommand(HWND hWnd, UINT uCommand)
{
    /* A second dialog, a connection or an exit must not start under an open one. */
    if (uCommand != ID_TRAY_SHOW && IsModalUiUp())
        return uCommand >= ID_TRAY_SHOW && uCommand <= ID_TRAY_EXIT;
    switch (uCommand) {
    case ID_TRAY_SHOW:    ShowFromTray(hWnd); return 1;
    case ID_TRAY_RUN:     SendMessageW(hWnd, WM_COMMAND, IDM_RUN, 0); return 1;
    case ID_TRAY_STOP:    SendMessageW(hWnd, WM_COMMAND, IDM_STOP, 0); return 1;
    case ID_TRAY_CONNECT: SendMessageW(hWnd, WM_COMMAND, IDM_CONNECT, 0); return 1;
    case ID_TRAY_EXIT:    PostMessageW(hWnd, WM_CLOSE, CLOSE_EXIT, 0); return 1;
    }
    return 0;
}
