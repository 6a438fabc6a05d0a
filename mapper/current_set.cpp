/*
 * current_set.cpp - putting a whole set in place of the current one. The file is read
 * before the record lock is taken, so a slow disk or a network share never stalls the
 * engine; the lock covers only the exchange.
 */
#include "program_state.h"
#include "setting_file.h"

void ReplaceCurrentSet(ASSIGNMENT_SET *pSet, int bReleaseHeld)
{
    LockRecord();
    ASSIGNMENT_SET old = g_CurrentSet;
    g_CurrentSet = *pSet;
    if (bReleaseHeld)
        InterlockedExchange(&g_State.bReleaseHeld, 1);
    InterlockedExchange(&g_State.bSetReplaced, 1);
    UnlockRecord();
    WakeEngine();
    *pSet = old;
}

int LoadCurrentSetFrom(LPCWSTR pszPath, int bReleaseHeld)
{
    ASSIGNMENT_SET loaded;
    InitAssignmentSet(&loaded);
    if (!LoadSettingFile(pszPath, &loaded, 1))
        return 0;
    ReplaceCurrentSet(&loaded, bReleaseHeld);
    ReleaseAssignmentPaths(&loaded);
    return 1;
}
