/*
 * assignment.cpp - the current set, the slot table and the ownership of path strings.
 */
#include "assignment.h"

#include <stddef.h>
#include <string.h>

/* In memory the entry keeps the file's field order and widths; only pszPath differs in meaning.
 * The modes follow the file's 28 bytes: they are kept in its extra block. */
static_assert(sizeof(void *) != 4 || offsetof(ASSIGNMENT, nPressMode) == 28,
              "an entry's file fields are 28 bytes on 32-bit Windows");

/* The fresh record from the start: version 1, LED 1 lit, no pointer slots, everything else zero. */
ASSIGNMENT_SET g_CurrentSet = { SET_VERSION_FRESH, {}, { 1, 0, 0, 0 }, 0, 0, {}, { 0, 0, 0, 1 },
                                 { POINTER_NONE, BAR_ABOVE, 0, POINTER_NO_SLOT, 0, POINTER_NO_SLOT } };

static volatile LONG g_nPathTexts;

/* Classic Controller fields of WM_KEYEX beyond the buttons. */
enum { CLS_LX = 15, CLS_LY = 16, CLS_RX = 17, CLS_RY = 18, CLS_LT = 19, CLS_RT = 20 };
enum { NUN_STICK_X = 2, NUN_STICK_Y = 3 };

#define KEY(n)            { SOURCE_KEY, (n), 0, 0 }
#define KEYEX(n)          { SOURCE_KEYEX, (n), 0, 0 }
#define STICK(x, y, dir)  { SOURCE_STICK, (x), (y), (dir) }
#define TRIGGER(n)        { SOURCE_TRIGGER, (n), 0, 0 }

const SLOT_SOURCE g_aSlotSource[ASSIGN_SLOTS] = {
    /* Wii Remote: A, B, Minus, Home, Plus, 1, 2, Up, Down, Left, Right */
    KEY(0), KEY(1), KEY(2), KEY(3), KEY(4), KEY(5), KEY(6), KEY(7), KEY(8), KEY(9), KEY(10),
    /* Nunchuk: C, Z, stick up, down, left, right */
    KEYEX(0), KEYEX(1),
    STICK(NUN_STICK_X, NUN_STICK_Y, DIRECTION_UP), STICK(NUN_STICK_X, NUN_STICK_Y, DIRECTION_DOWN),
    STICK(NUN_STICK_X, NUN_STICK_Y, DIRECTION_LEFT), STICK(NUN_STICK_X, NUN_STICK_Y, DIRECTION_RIGHT),
    /* Classic Controller: A, B, Minus, Home, Plus, X, Y, Up, Down, Left, Right, L, R */
    KEYEX(0), KEYEX(1), KEYEX(2), KEYEX(3), KEYEX(4), KEYEX(5), KEYEX(6),
    KEYEX(7), KEYEX(8), KEYEX(9), KEYEX(10), KEYEX(11), KEYEX(12),
    /* ZL and ZR follow the analog triggers, not the digital buttons 13 and 14. */
    TRIGGER(CLS_LT), TRIGGER(CLS_RT),
    STICK(CLS_LX, CLS_LY, DIRECTION_UP), STICK(CLS_LX, CLS_LY, DIRECTION_DOWN),
    STICK(CLS_LX, CLS_LY, DIRECTION_LEFT), STICK(CLS_LX, CLS_LY, DIRECTION_RIGHT),
    STICK(CLS_RX, CLS_RY, DIRECTION_UP), STICK(CLS_RX, CLS_RY, DIRECTION_DOWN),
    STICK(CLS_RX, CLS_RY, DIRECTION_LEFT), STICK(CLS_RX, CLS_RY, DIRECTION_RIGHT),
};

void InitAssignmentSet(ASSIGNMENT_SET *pSet)
{
    memset(pSet, 0, sizeof(*pSet));
    pSet->dwVersion = SET_VERSION_FRESH;
    pSet->abLed[0] = 1;
    pSet->abLayerLed[ASSIGN_LEDS - 1] = 1;
    pSet->Pointer.nOffScreenSlot = POINTER_NO_SLOT;
    pSet->Pointer.nHoldSlot = POINTER_NO_SLOT;
}

ASSIGNMENT *LayerEntry(ASSIGNMENT_SET *pSet, int nLayer, int nSlot)
{
    return nLayer == 1 ? &pSet->aLayer2[nSlot] : &pSet->aAssign[nSlot];
}

const ASSIGNMENT *LayerEntryOf(const ASSIGNMENT_SET *pSet, int nLayer, int nSlot)
{
    return nLayer == 1 ? &pSet->aLayer2[nSlot] : &pSet->aAssign[nSlot];
}

ASSIGNMENT *ActingEntry(ASSIGNMENT_SET *pSet, int nLayer, int nSlot)
{
    ASSIGNMENT *pFirst = &pSet->aAssign[nSlot];
    return pFirst->nKind == ASSIGN_LAYER ? pFirst : LayerEntry(pSet, nLayer, nSlot);
}

int UsesSetExtras(const ASSIGNMENT_SET *pSet)
{
    static const BYTE abFreshLayerLed[ASSIGN_LEDS] = { 0, 0, 0, 1 };
    if (memcmp(pSet->abLayerLed, abFreshLayerLed, ASSIGN_LEDS) != 0 || pSet->Pointer.nMode != POINTER_NONE)
        return 1;
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        const ASSIGNMENT *pEntry = &pSet->aAssign[i];
        if (pEntry->nKind == ASSIGN_LAYER || pEntry->nPressMode != PRESS_NORMAL || pSet->aLayer2[i].nKind != ASSIGN_DISABLED)
            return 1;
    }
    return 0;
}

WCHAR *AllocPathText(int cch)
{
    if (cch < 0)
        return NULL;
    WCHAR *psz = (WCHAR *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, ((SIZE_T)cch + 1) * sizeof(WCHAR));
    if (psz)
        InterlockedIncrement(&g_nPathTexts);
    return psz;
}

void FreePathText(WCHAR *psz)
{
    if (!psz)
        return;
    HeapFree(GetProcessHeap(), 0, psz);
    InterlockedDecrement(&g_nPathTexts);
}

LONG CountPathTexts(void)
{
    return g_nPathTexts;
}

void ClearAssignmentPath(ASSIGNMENT *pAssign)
{
    FreePathText(pAssign->pszPath);
    pAssign->pszPath = NULL;
}

void ReleaseAssignmentPaths(ASSIGNMENT_SET *pSet)
{
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        ClearAssignmentPath(&pSet->aAssign[i]);
        ClearAssignmentPath(&pSet->aLayer2[i]);
    }
}

int CopyAssignment(ASSIGNMENT *pDest, const ASSIGNMENT *pSource)
{
    WCHAR *pszCopy = NULL;
    if (pSource->pszPath) {
        int cch = lstrlenW(pSource->pszPath);
        pszCopy = AllocPathText(cch);
        if (!pszCopy)
            return 0;
        memcpy(pszCopy, pSource->pszPath, (SIZE_T)cch * sizeof(WCHAR));
    }
    *pDest = *pSource;
    pDest->pszPath = pszCopy;
    return 1;
}

void SanitizeAssignment(ASSIGNMENT *pAssign)
{
    if (pAssign->nKind >= ASSIGN_KINDS)
        pAssign->nKind = ASSIGN_DISABLED;
    if (pAssign->nPressMode >= PRESS_MODES)
        pAssign->nPressMode = PRESS_NORMAL;
    if (pAssign->nTurboRate != 0 && (pAssign->nTurboRate < TURBO_RATE_MIN || pAssign->nTurboRate > TURBO_RATE_MAX))
        pAssign->nTurboRate = 0;
    if (pAssign->nLayerMode != LAYER_TOGGLE)
        pAssign->nLayerMode = LAYER_HOLD;
    if (pAssign->nKeyCount < 0 || pAssign->nKeyCount > ASSIGN_MAX_KEYS)
        pAssign->nKeyCount = 0;
    if (pAssign->nMouseAction >= MOUSE_ACTIONS) {
        pAssign->nMouseAction = MOUSE_LEFT_CLICK;
        /* Never turn an unknown action into a click the user didn't choose. */
        if (pAssign->nKind == ASSIGN_MOUSE)
            pAssign->nKind = ASSIGN_DISABLED;
    }
}
