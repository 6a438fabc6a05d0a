/*
 * program_watch.cpp - following the foreground program and switching sets for it.
 *
 * The default set is the one in use while no listed program has the foreground. When a
 * listed program takes it, a copy of the default set is kept in memory and the program's
 * file is loaded; when an unlisted program takes it, the copy comes back. Zan's own
 * windows change nothing, so a set can be looked at and edited, and nothing changes while
 * one of Zan's modal dialogs is open. A modified set is never replaced: the status bar
 * says why the switch waits instead.
 */
#include "program_watch.h"

#include <commctrl.h>
#include <shlwapi.h>

#include "app.h"
#include "connection.h"
#include "pages.h"
#include "program_state.h"
#include "resource.h"
#include "setting_file.h"
#include "texts.h"

#define NOTICE_CHARS 512

typedef struct PROGRAM_WATCH {
    HWND  hWnd;
    WCHAR szActiveProgram[MAX_PATH];   /* the listed program whose set is in use; empty: the default set */
    WCHAR szActiveFile[MAX_PATH];      /* the file loaded for it */
    int   bHaveDefault;
    ASSIGNMENT_SET DefaultSet;         /* kept while a program's set is in use */
    WCHAR szDefaultFile[MAX_PATH];
    WCHAR szRefused[MAX_PATH];         /* the target whose switch was refused, so it is said once */
    int   bRefusedForFailure;          /* its file did not load: not tried again until the target changes */
    int   bNoticeShown;
    WCHAR szLastForeign[MAX_PATH];
} PROGRAM_WATCH;

PROGRAM_SET_LIST g_ProgramSets;
static PROGRAM_WATCH g_Watch;

static DWORD QuerySystemForeground(WCHAR *pszName, int cchName)
{
    pszName[0] = L'\0';
    HWND hForeground = GetForegroundWindow();
    DWORD dwProcess = 0;
    if (!hForeground || !GetWindowThreadProcessId(hForeground, &dwProcess) || !dwProcess)
        return 0;
    if (dwProcess == GetCurrentProcessId())
        return dwProcess;
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
    return dwProcess;
}

static FOREGROUND_PROGRAM_PROC g_pfnQueryForeground = QuerySystemForeground;

void SetForegroundProgramProc(FOREGROUND_PROGRAM_PROC pfnQuery)
{
    g_pfnQueryForeground = pfnQuery ? pfnQuery : QuerySystemForeground;
}

LPCWSTR GetDefaultSetFile(void)
{
    if (g_Watch.szActiveProgram[0] && g_Watch.bHaveDefault &&
        lstrcmpiW(g_State.szCurrentFile, g_Watch.szActiveFile) == 0)
        return g_Watch.szDefaultFile;
    return g_State.szCurrentFile;
}

LPCWSTR GetLastForeignProgram(void)
{
    return g_Watch.szLastForeign;
}

static void ShowNotice(UINT uId, LPCWSTR pszArgument)
{
    WCHAR szFormat[NOTICE_CHARS], szText[NOTICE_CHARS];
    LoadText(uId, szFormat, NOTICE_CHARS);
    wnsprintfW(szText, NOTICE_CHARS, szFormat, pszArgument);
    SendMessageW(g_App.hStatus, SB_SETTEXTW, 0, (LPARAM)szText);
    g_Watch.bNoticeShown = 1;
}

static void ClearNotice(void)
{
    /* Both go: an empty name is also the default set's target, which a stale failure
     * flag would keep refusing. */
    g_Watch.szRefused[0] = L'\0';
    g_Watch.bRefusedForFailure = 0;
    if (g_Watch.bNoticeShown)
        ShowConnectionText();
    g_Watch.bNoticeShown = 0;
}

static void DropDefaultSet(void)
{
    if (g_Watch.bHaveDefault)
        ReleaseAssignmentPaths(&g_Watch.DefaultSet);
    g_Watch.bHaveDefault = 0;
}

static int KeepDefaultSet(void)
{
    g_Watch.DefaultSet = g_CurrentSet;
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        g_Watch.DefaultSet.aAssign[i].pszPath = NULL;
        if (!CopyAssignment(&g_Watch.DefaultSet.aAssign[i], &g_CurrentSet.aAssign[i])) {
            ReleaseAssignmentPaths(&g_Watch.DefaultSet);
            return 0;
        }
    }
    lstrcpynW(g_Watch.szDefaultFile, g_State.szCurrentFile, MAX_PATH);
    g_Watch.bHaveDefault = 1;
    return 1;
}

static int SwitchToProgram(const PROGRAM_SET *pEntry)
{
    int bFromDefault = !g_Watch.szActiveProgram[0];
    if (bFromDefault && !KeepDefaultSet())
        return 0;
    LockRecord();
    int bLoaded = LoadSettingFile(pEntry->szSettingFile, &g_CurrentSet, 1);
    if (bLoaded)
        InterlockedExchange(&g_State.bReleaseHeld, 1);
    UnlockRecord();
    if (!bLoaded) {
        if (bFromDefault)
            DropDefaultSet();
        return 0;
    }
    lstrcpynW(g_Watch.szActiveProgram, pEntry->szProgram, MAX_PATH);
    lstrcpynW(g_Watch.szActiveFile, pEntry->szSettingFile, MAX_PATH);
    AdoptLoadedFile(pEntry->szSettingFile);
    return 1;
}

static void SwitchToDefault(void)
{
    LockRecord();
    ReleaseAssignmentPaths(&g_CurrentSet);
    g_CurrentSet = g_Watch.DefaultSet;
    InterlockedExchange(&g_State.bReleaseHeld, 1);
    UnlockRecord();
    /* The strings now belong to the current set. */
    g_Watch.bHaveDefault = 0;
    g_Watch.szActiveProgram[0] = L'\0';
    AdoptLoadedFile(g_Watch.szDefaultFile);
}

/* Says why the set stays, once for each target. */
static void Refuse(LPCWSTR pszTarget, int bForFailure, UINT uNotice, LPCWSTR pszArgument)
{
    if (lstrcmpiW(g_Watch.szRefused, pszTarget) == 0 && g_Watch.bRefusedForFailure == bForFailure && g_Watch.bNoticeShown)
        return;
    lstrcpynW(g_Watch.szRefused, pszTarget, MAX_PATH);
    g_Watch.bRefusedForFailure = bForFailure;
    ShowNotice(uNotice, pszArgument);
}

void CheckForegroundProgram(void)
{
    WCHAR szProgram[MAX_PATH];
    DWORD dwProcess = g_pfnQueryForeground(szProgram, MAX_PATH);
    if (!dwProcess || dwProcess == GetCurrentProcessId())
        return;
    lstrcpynW(g_Watch.szLastForeign, szProgram, MAX_PATH);
    /* A modal dialog of Zan may be editing an entry of the current set. */
    if (!IsWindowEnabled(g_Watch.hWnd))
        return;
    if (g_Watch.szActiveProgram[0] && lstrcmpiW(g_State.szCurrentFile, g_Watch.szActiveFile) != 0) {
        /* The user opened another file meanwhile: that one is the default set now. */
        DropDefaultSet();
        g_Watch.szActiveProgram[0] = L'\0';
    }
    int nEntry = g_Options.bProgramSets ? FindProgramSet(&g_ProgramSets, szProgram) : -1;
    LPCWSTR pszTarget = nEntry >= 0 ? g_ProgramSets.aEntry[nEntry].szProgram : L"";
    if (lstrcmpiW(pszTarget, g_Watch.szActiveProgram) == 0) {
        ClearNotice();
        return;
    }
    if (lstrcmpiW(pszTarget, g_Watch.szRefused) == 0 && g_Watch.bRefusedForFailure)
        return;
    if (g_State.bModified) {
        Refuse(pszTarget, 0, IDS_PROGRAM_SET_MODIFIED, L"");
        return;
    }
    if (nEntry < 0) {
        SwitchToDefault();
    } else if (!SwitchToProgram(&g_ProgramSets.aEntry[nEntry])) {
        Refuse(pszTarget, 1, IDS_PROGRAM_SET_LOAD_FAILED, pszTarget);
        return;
    }
    ClearNotice();
}

static void CALLBACK OnProgramWatchTimer(HWND hWnd, UINT uMsg, UINT_PTR uTimer, DWORD dwTime)
{
    (void)hWnd; (void)uMsg; (void)uTimer; (void)dwTime;
    CheckForegroundProgram();
}

void StartProgramWatch(HWND hWnd)
{
    DropDefaultSet();
    ZeroMemory(&g_Watch, sizeof(g_Watch));
    g_Watch.hWnd = hWnd;
    ReadProgramSets(g_szOptionsFile, &g_ProgramSets);
    SetTimer(hWnd, PROGRAM_WATCH_TIMER_ID, PROGRAM_WATCH_MS, OnProgramWatchTimer);
}

void StopProgramWatch(HWND hWnd)
{
    KillTimer(hWnd, PROGRAM_WATCH_TIMER_ID);
    g_Watch.szActiveProgram[0] = L'\0';
    DropDefaultSet();
}
