/* resident.cpp - starting and stopping what keeps Zan useful while nobody looks at it. */
#include <windows.h>

#include "app.h"
#include "auto_connect.h"
#include "foreground_watch.h"
#include "input_blocked.h"
#include "resident.h"
#include "tray.h"

void StartResident(HWND hWnd)
{
    AddTrayIcon(hWnd);
    WatchDeviceArrivals(hWnd);
    WatchForegroundElevation();
    StartForegroundWatch(hWnd);
}

void StopResident(HWND hWnd)
{
    StopForegroundWatch(hWnd);
    StopWatchingForeground();
    StopWatchingDevices(hWnd);
    RemoveTrayIcon(hWnd);
}

int StartsInTray(LPCWSTR pszCommandLine)
{
    return g_Options.bStartInTray || HasTraySwitch(pszCommandLine);
}

/* The switch is a word of its own, in any case; it never names a settings file. */
int HasTraySwitch(LPCWSTR pszCommandLine)
{
    int cchSwitch = lstrlenW(TRAY_SWITCH);
    for (LPCWSTR p = pszCommandLine; p && *p; p++) {
        int bWordStart = p == pszCommandLine || p[-1] == L' ' || p[-1] == L'\t';
        if (!bWordStart || lstrlenW(p) < cchSwitch ||
            CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, p, cchSwitch, TRAY_SWITCH, cchSwitch) != CSTR_EQUAL)
            continue;
        if (p[cchSwitch] == L'\0' || p[cchSwitch] == L' ' || p[cchSwitch] == L'\t')
            return 1;
    }
    return 0;
}

int StartShowCommand(LPCWSTR pszCommandLine, int nCmdShow)
{
    return StartsInTray(pszCommandLine) && IsTrayIconShown() ? SW_HIDE : nCmdShow;
}
