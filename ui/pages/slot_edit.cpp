/* slot_edit.cpp - swap, copy, clear and kind change of entries of the current set.
 * Each holds the record lock for its change; path strings are freed only after the
 * entry no longer refers to them, so the engine never reads a released string. */
#include "slot_button.h"

#include <string.h>

void SwapEntries(ASSIGNMENT *pA, ASSIGNMENT *pB)
{
    if (!pA || !pB || pA == pB)
        return;
    LockRecord();
    ASSIGNMENT t = *pA;  /* whole entries: each path string moves with its entry */
    *pA = *pB;
    *pB = t;
    UnlockRecord();
}

int CopyEntry(ASSIGNMENT *pTarget, const ASSIGNMENT *pSource)
{
    if (!pTarget || !pSource || pTarget == pSource)
        return 1;
    ASSIGNMENT copy;
    if (!CopyAssignment(&copy, pSource))
        return 0;  /* out of memory: the target stays as it was */
    LockRecord();
    WCHAR *pszOld = pTarget->pszPath;
    *pTarget = copy;
    UnlockRecord();
    FreePathText(pszOld);
    return 1;
}

void ClearEntry(ASSIGNMENT *pAssign)
{
    if (!pAssign)
        return;
    LockRecord();
    WCHAR *pszOld = pAssign->pszPath;
    memset(pAssign, 0, sizeof(*pAssign));
    UnlockRecord();
    FreePathText(pszOld);
}

void SetEntryKind(ASSIGNMENT *pAssign, BYTE nKind)
{
    if (!pAssign)
        return;
    LockRecord();
    pAssign->nKind = nKind;  /* the other fields stay, so switching back restores them */
    UnlockRecord();
}
