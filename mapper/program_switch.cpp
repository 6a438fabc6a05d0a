/*
 * program_switch.cpp - the default set kept aside while a listed program's set is in use,
 * and when to keep, switch or restore it.
 */
#include "program_switch.h"

/* Processes whose every window is part of the shell. */
static const WCHAR *const g_apszShellProcess[] = {
    L"StartMenuExperienceHost.exe", L"SearchHost.exe", L"SearchApp.exe", L"SearchUI.exe",
    L"ShellExperienceHost.exe", L"ShellHost.exe",
};
/* Explorer's windows that are the taskbar or the task switcher, not a folder window. */
static const WCHAR *const g_apszShellClass[] = {
    L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd", L"MultitaskingViewFrame", L"XamlExplorerHostIslandWindow",
    L"TaskSwitcherWnd", L"ForegroundStaging", L"NotifyIconOverflowWindow", L"TopLevelWindowForOverflowXamlIsland",
};

static int IsListed(const WCHAR *const *ppszList, int nCount, LPCWSTR pszName)
{
    for (int i = 0; i < nCount; i++)
        if (lstrcmpiW(ppszList[i], pszName) == 0)
            return 1;
    return 0;
}

int IsShellSurface(LPCWSTR pszProgram, LPCWSTR pszClass)
{
    if (IsListed(g_apszShellProcess, ARRAYSIZE(g_apszShellProcess), pszProgram))
        return 1;
    return lstrcmpiW(pszProgram, L"explorer.exe") == 0 &&
           IsListed(g_apszShellClass, ARRAYSIZE(g_apszShellClass), pszClass);
}

int IsAppFrameHost(LPCWSTR pszProgram)
{
    return lstrcmpiW(pszProgram, L"ApplicationFrameHost.exe") == 0;
}

int FindSwitchEntry(const PROGRAM_SET_LIST *pList, int bEnabled, LPCWSTR pszProgram)
{
    return bEnabled ? FindProgramSet(pList, pszProgram) : -1;
}

LPCWSTR SwitchTarget(const PROGRAM_SET_LIST *pList, int nEntry)
{
    return nEntry >= 0 ? pList->aEntry[nEntry].szProgram : L"";
}

int DecideProgramSwitch(const PROGRAM_SWITCH *pSwitch, const PROGRAM_SET_LIST *pList, int nEntry, int bModified)
{
    LPCWSTR pszTarget = SwitchTarget(pList, nEntry);
    if (lstrcmpiW(pszTarget, pSwitch->szActiveProgram) == 0)
        return SWITCH_KEEP;
    if (pSwitch->bRefusedForFailure && lstrcmpiW(pszTarget, pSwitch->szRefused) == 0)
        return SWITCH_WAIT;
    if (bModified)
        return SWITCH_REFUSE_MODIFIED;
    return nEntry >= 0 ? SWITCH_TO_PROGRAM : SWITCH_TO_DEFAULT;
}

void DropDefaultSet(PROGRAM_SWITCH *pSwitch)
{
    if (pSwitch->bHaveDefault)
        ReleaseAssignmentPaths(&pSwitch->DefaultSet);
    pSwitch->bHaveDefault = 0;
}

void FollowCurrentFile(PROGRAM_SWITCH *pSwitch, LPCWSTR pszCurrentFile)
{
    if (pSwitch->szActiveProgram[0] && lstrcmpiW(pszCurrentFile, pSwitch->szActiveFile) != 0) {
        DropDefaultSet(pSwitch);
        pSwitch->szActiveProgram[0] = L'\0';
    }
}

LPCWSTR DefaultSetFile(const PROGRAM_SWITCH *pSwitch, LPCWSTR pszCurrentFile)
{
    if (pSwitch->szActiveProgram[0] && pSwitch->bHaveDefault && lstrcmpiW(pszCurrentFile, pSwitch->szActiveFile) == 0)
        return pSwitch->szDefaultFile;
    return pszCurrentFile;
}

/* A deep copy: the kept set must not share strings with the set that goes on being edited. */
static int CopySet(ASSIGNMENT_SET *pDest, const ASSIGNMENT_SET *pSource)
{
    ASSIGNMENT_SET copy = *pSource;
    /* None of the source's strings may be released with the copy when memory runs out. */
    for (int i = 0; i < ASSIGN_SLOTS; i++)
        copy.aAssign[i].pszPath = copy.aLayer2[i].pszPath = NULL;
    for (int n = 0; n < ASSIGN_LAYERS * ASSIGN_SLOTS; n++) {
        int nLayer = n / ASSIGN_SLOTS, nSlot = n % ASSIGN_SLOTS;
        if (!CopyAssignment(LayerEntry(&copy, nLayer, nSlot), LayerEntryOf(pSource, nLayer, nSlot))) {
            ReleaseAssignmentPaths(&copy);
            return 0;
        }
    }
    *pDest = copy;
    return 1;
}

int KeepDefaultSet(PROGRAM_SWITCH *pSwitch, const ASSIGNMENT_SET *pSet, LPCWSTR pszFile)
{
    DropDefaultSet(pSwitch);
    if (!CopySet(&pSwitch->DefaultSet, pSet))
        return 0;
    lstrcpynW(pSwitch->szDefaultFile, pszFile, MAX_PATH);
    pSwitch->bHaveDefault = 1;
    return 1;
}

int NoteSetSaved(PROGRAM_SWITCH *pSwitch, const ASSIGNMENT_SET *pSaved, LPCWSTR pszFile)
{
    if (!pSwitch->bHaveDefault || !pszFile[0] || lstrcmpiW(pszFile, pSwitch->szDefaultFile) != 0)
        return 1;
    ASSIGNMENT_SET copy;
    if (!CopySet(&copy, pSaved)) {
        /* Better no default set than a stale one: the way back then keeps the set in use. */
        DropDefaultSet(pSwitch);
        return 0;
    }
    ReleaseAssignmentPaths(&pSwitch->DefaultSet);
    pSwitch->DefaultSet = copy;
    return 1;
}

void NoteProgramSet(PROGRAM_SWITCH *pSwitch, const PROGRAM_SET *pEntry)
{
    lstrcpynW(pSwitch->szActiveProgram, pEntry->szProgram, MAX_PATH);
    lstrcpynW(pSwitch->szActiveFile, pEntry->szSettingFile, MAX_PATH);
}

void TakeDefaultSet(PROGRAM_SWITCH *pSwitch, ASSIGNMENT_SET *pSet)
{
    *pSet = pSwitch->DefaultSet;
    /* The strings now belong to *pSet. */
    pSwitch->bHaveDefault = 0;
    pSwitch->szActiveProgram[0] = L'\0';
}

int NoteRefusal(PROGRAM_SWITCH *pSwitch, LPCWSTR pszTarget, int bForFailure, int bNoticeShown)
{
    if (bNoticeShown && pSwitch->bRefusedForFailure == bForFailure && lstrcmpiW(pSwitch->szRefused, pszTarget) == 0)
        return 0;
    lstrcpynW(pSwitch->szRefused, pszTarget, MAX_PATH);
    pSwitch->bRefusedForFailure = bForFailure;
    return 1;
}

void ClearRefusal(PROGRAM_SWITCH *pSwitch)
{
    /* Both go: an empty name is also the default set's target, which a stale failure
     * flag would keep refusing. */
    pSwitch->szRefused[0] = L'\0';
    pSwitch->bRefusedForFailure = 0;
}
