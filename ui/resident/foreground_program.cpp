/*
 * foreground_program.cpp - which program owns the foreground window, as the program watch
 * asks it: a Store app is named by its own process rather than by the frame host every
 * such window belongs to, and the shell's own windows (taskbar, Start, search, Alt+Tab)
 * name no program at all.
 */
#include "program_watch.h"

#include <shlwapi.h>

#include "program_switch.h"

#define CLASS_NAME_CHARS 128

/* The executable's file name of a process; 0 when it cannot be told. */
static int GetProcessFileName(DWORD dwProcess, WCHAR *pszName, int cchName)
{
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwProcess);
    if (!hProcess)
        return 0;
    WCHAR szPath[MAX_PATH];
    DWORD cch = MAX_PATH;
    BOOL bNamed = QueryFullProcessImageNameW(hProcess, 0, szPath, &cch);
    CloseHandle(hProcess);
    if (!bNamed)
        return 0;
    lstrcpynW(pszName, PathFindFileNameW(szPath), cchName);
    return 1;
}

typedef struct FRAME_SEARCH {
    DWORD dwFrameProcess;
    DWORD dwAppProcess;   /* the first child window of another process; 0 none */
} FRAME_SEARCH;

static BOOL CALLBACK FindAppWindow(HWND hChild, LPARAM lParam)
{
    FRAME_SEARCH *pSearch = (FRAME_SEARCH *)lParam;
    DWORD dwProcess = 0;
    GetWindowThreadProcessId(hChild, &dwProcess);
    if (dwProcess && dwProcess != pSearch->dwFrameProcess) {
        pSearch->dwAppProcess = dwProcess;
        return FALSE;
    }
    return TRUE;
}

DWORD QuerySystemForeground(WCHAR *pszName, int cchName)
{
    pszName[0] = L'\0';
    HWND hForeground = GetForegroundWindow();
    DWORD dwProcess = 0;
    if (!hForeground || !GetWindowThreadProcessId(hForeground, &dwProcess) || !dwProcess)
        return 0;
    if (dwProcess == GetCurrentProcessId())
        return dwProcess;
    if (!GetProcessFileName(dwProcess, pszName, cchName))
        return 0;
    WCHAR szClass[CLASS_NAME_CHARS] = L"";
    GetClassNameW(hForeground, szClass, CLASS_NAME_CHARS);
    if (IsShellSurface(pszName, szClass)) {
        pszName[0] = L'\0';
        return 0;
    }
    if (IsAppFrameHost(pszName)) {
        /* A suspended app leaves the frame alone: then the frame is all there is to name. */
        FRAME_SEARCH search = { dwProcess, 0 };
        EnumChildWindows(hForeground, FindAppWindow, (LPARAM)&search);
        if (search.dwAppProcess && GetProcessFileName(search.dwAppProcess, pszName, cchName))
            return search.dwAppProcess;
    }
    return dwProcess;
}
