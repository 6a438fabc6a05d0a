/* input_blocked.cpp - noticing that the foreground window runs elevated while Zan does not:
 * Windows then drops every key and click Zan sends it, without an error. */
#include <windows.h>

#include "connection.h"
#include "input_blocked.h"
#include "main_handlers.h"
#include "resource.h"
#include "texts.h"
#include "tray.h"
#include "ui_seam.h"

typedef struct INPUT_BLOCKED {
    HWND hForeground;     /* the foreground window last looked at */
    int  bSelfElevated;
    int  bBlocked;
} INPUT_BLOCKED;

static INPUT_BLOCKED g_Blocked;

static int ProcessElevation(HANDLE hProcess)
{
    HANDLE hToken;
    if (!OpenProcessToken(hProcess, TOKEN_QUERY, &hToken))
        return GetLastError() == ERROR_ACCESS_DENIED ? 1 : -1;
    TOKEN_ELEVATION elevation;
    DWORD cb = 0;
    int nResult = GetTokenInformation(hToken, TokenElevation, &elevation, sizeof(elevation), &cb)
                      ? elevation.TokenIsElevated != 0 : -1;
    CloseHandle(hToken);
    return nResult;
}

/* A process whose token Zan may not even read runs above Zan: its input is blocked too. */
int QueryWindowElevation(HWND hWnd)
{
    DWORD dwProcessId = 0;
    if (!GetWindowThreadProcessId(hWnd, &dwProcessId))
        return -1;
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwProcessId);
    if (!hProcess)
        return GetLastError() == ERROR_ACCESS_DENIED ? 1 : -1;
    int nResult = ProcessElevation(hProcess);
    CloseHandle(hProcess);
    return nResult;
}

int QuerySelfElevation(void)
{
    return ProcessElevation(GetCurrentProcess());
}


int IsInputBlocked(void)
{
    return g_Blocked.bBlocked;
}

int GetInputBlockedText(WCHAR *pszText, int cchText)
{
    return LoadStateText(g_Blocked.bBlocked, IDS_INPUT_BLOCKED, pszText, cchText);
}

void CheckForegroundElevation(HWND hForeground)
{
    if (hForeground == g_Blocked.hForeground)
        return;
    g_Blocked.hForeground = hForeground;
    int bBlocked = hForeground && !g_Blocked.bSelfElevated && g_UiSeam.pfnWindowElevation(hForeground) == 1;
    if (bBlocked == g_Blocked.bBlocked)
        return;
    g_Blocked.bBlocked = bBlocked;
    ShowConnectionText();
    UpdateTrayTip();
}

void WatchForegroundElevation(void)
{
    ZeroMemory(&g_Blocked, sizeof(g_Blocked));
    g_Blocked.bSelfElevated = g_UiSeam.pfnSelfElevation() == 1;
}

void StopWatchingForeground(void)
{
    ZeroMemory(&g_Blocked, sizeof(g_Blocked));
}
