/*
 * program_watch.cpp - following the foreground program and switching sets for it.
 *
 * The default set is the one in use while no listed program has the foreground. When a
 * listed program takes it, a copy of the default set is kept in memory and the program's
 * file is loaded; when an unlisted program takes it, the copy comes back. Zan's own
 * windows change nothing, so a set can be looked at and edited, and nothing changes while
 * a box or dialog of Zan is up. A modified set is never replaced: the status bar says why
 * the switch waits instead. The decisions are program_switch.cpp's; this file asks the
 * system who is in front and puts the sets in place.
 */
#include "program_watch.h"

#include <commctrl.h>
#include <shlwapi.h>

#include "app.h"
#include "connection.h"
#include "pages.h"
#include "modal_ui.h"
#include "program_state.h"
#include "program_switch.h"
#include "resource.h"
#include "setting_file.h"
#include "texts.h"

#define NOTICE_CHARS 512

typedef struct PROGRAM_WATCH {
    HWND  hWnd;
    PROGRAM_SWITCH Switch;
    int   bNoticeShown;
    WCHAR szLastForeign[MAX_PATH];
} PROGRAM_WATCH;

PROGRAM_SET_LIST g_ProgramSets;
static PROGRAM_WATCH g_Watch;

static FOREGROUND_PROGRAM_PROC g_pfnQueryForeground = QuerySystemForeground;

void SetForegroundProgramProc(FOREGROUND_PROGRAM_PROC pfnQuery)
{
    g_pfnQueryForeground = pfnQuery ? pfnQuery : QuerySystemForeground;
}

LPCWSTR GetDefaultSetFile(void)
{
    return DefaultSetFile(&g_Watch.Switch, g_State.szCurrentFile);
}

LPCWSTR GetLastForeignProgram(void)
{
    return g_Watch.szLastForeign;
}

void NoteProgramWatchSave(LPCWSTR pszPath)
{
    NoteSetSaved(&g_Watch.Switch, &g_CurrentSet, pszPath);
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
    ClearRefusal(&g_Watch.Switch);
    if (g_Watch.bNoticeShown)
        ShowConnectionText();
    g_Watch.bNoticeShown = 0;
}

static int SwitchToProgram(const PROGRAM_SET *pEntry)
{
    PROGRAM_SWITCH *pSwitch = &g_Watch.Switch;
    int bFromDefault = !pSwitch->szActiveProgram[0];
    if (bFromDefault && !KeepDefaultSet(pSwitch, &g_CurrentSet, g_State.szCurrentFile))
        return 0;
    if (!LoadCurrentSetFrom(pEntry->szSettingFile, 1)) {
        if (bFromDefault)
            DropDefaultSet(pSwitch);
        return 0;
    }
    NoteProgramSet(pSwitch, pEntry);
    AdoptLoadedFile(pEntry->szSettingFile);
    return 1;
}

static void SwitchToDefault(void)
{
    PROGRAM_SWITCH *pSwitch = &g_Watch.Switch;
    WCHAR szFile[MAX_PATH];
    lstrcpynW(szFile, pSwitch->szDefaultFile, MAX_PATH);
    ASSIGNMENT_SET set;
    TakeDefaultSet(pSwitch, &set);
    ReplaceCurrentSet(&set, 1);
    ReleaseAssignmentPaths(&set);
    AdoptLoadedFile(szFile);
}

static void Refuse(LPCWSTR pszTarget, int bForFailure, UINT uNotice, LPCWSTR pszArgument)
{
    if (NoteRefusal(&g_Watch.Switch, pszTarget, bForFailure, g_Watch.bNoticeShown))
        ShowNotice(uNotice, pszArgument);
}

int CheckForegroundProgram(void)
{
    WCHAR szProgram[MAX_PATH];
    DWORD dwProcess = g_pfnQueryForeground(szProgram, MAX_PATH);
    if (!dwProcess || dwProcess == GetCurrentProcessId())
        return 0;
    lstrcpynW(g_Watch.szLastForeign, szProgram, MAX_PATH);
    /* A box or dialog may be editing or saving the set on screen. */
    if (IsModalUiUp())
        return 1;
    /* The app a Store frame shows may join it after the frame took the foreground. */
    int bAgain = IsAppFrameHost(szProgram);
    PROGRAM_SWITCH *pSwitch = &g_Watch.Switch;
    FollowCurrentFile(pSwitch, g_State.szCurrentFile);
    int nEntry = FindSwitchEntry(&g_ProgramSets, g_Options.bProgramSets, szProgram);
    LPCWSTR pszTarget = SwitchTarget(&g_ProgramSets, nEntry);
    switch (DecideProgramSwitch(pSwitch, &g_ProgramSets, nEntry, g_State.bModified)) {
    case SWITCH_KEEP:
        ClearNotice();
        return bAgain;
    case SWITCH_WAIT:
        return bAgain;
    case SWITCH_REFUSE_MODIFIED:
        Refuse(pszTarget, 0, IDS_PROGRAM_SET_MODIFIED, L"");
        return 1;   /* until the changes are saved or dropped */
    case SWITCH_TO_PROGRAM:
        if (!SwitchToProgram(&g_ProgramSets.aEntry[nEntry])) {
            Refuse(pszTarget, 1, IDS_PROGRAM_SET_LOAD_FAILED, pszTarget);
            return bAgain;
        }
        break;
    case SWITCH_TO_DEFAULT:
        SwitchToDefault();
        break;
    }
    ClearNotice();
    return bAgain;
}

void StartProgramWatch(HWND hWnd)
{
    DropDefaultSet(&g_Watch.Switch);
    ZeroMemory(&g_Watch, sizeof(g_Watch));
    g_Watch.hWnd = hWnd;
    ReadProgramSets(g_szOptionsFile, &g_ProgramSets);
}

void StopProgramWatch(void)
{
    g_Watch.Switch.szActiveProgram[0] = L'\0';
    DropDefaultSet(&g_Watch.Switch);
}
