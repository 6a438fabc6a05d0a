/*
 * engine_modes.cpp - the press modes of key and click slots: turbo presses and releases at
 * the slot's rate while it is held; toggle latches the keys or the button down at one press
 * and lets them go at the next.
 */
#include <string.h>

#include "engine.h"
#include "input_seam.h"
#include "press_mode.h"

#define MS_PER_SECOND 1000

int SlotPressMode(const ASSIGNMENT *pAssign)
{
    return pAssign->nPressMode < PressModesOf(pAssign) ? pAssign->nPressMode : PRESS_NORMAL;
}

void SendEntryOutput(ENGINE_STATE *pState, const ASSIGNMENT *pAssign, int bDown)
{
    if (pAssign->nKind == ASSIGN_KEY)
        SendKeys(pState, pAssign, bDown);
    else
        SendClick(pState, pAssign->nMouseAction, bDown);
}

/* The press falls at the start of each period and the release half a period later, both
 * counted from the first press rather than from cycle to cycle, so the 10 ms cycles never
 * drift the rate. A late cycle sends what the moment calls for, not the presses it missed. */
void ActOnTurboSlot(ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign, int nValue)
{
    SLOT_MODE *pMode = &pState->aMode[nSlot];
    int bDouble = pAssign->nKind == ASSIGN_MOUSE && pAssign->nMouseAction == MOUSE_DOUBLE_CLICK;
    if (!nValue) {
        if (pMode->bTurboDown)
            SendEntryOutput(pState, pAssign, 0);
        pMode->bTurbo = pMode->bTurboDown = 0;
        return;
    }
    DWORD dwNow = g_Seam.pfnTimeGetTime();
    if (!pMode->bTurbo) {
        pMode->bTurbo = 1;
        pMode->dwTurboStart = dwNow;
        pMode->dwTurboStep = 0;
        SendEntryOutput(pState, pAssign, 1);
        pMode->bTurboDown = !bDouble;
        return;
    }
    DWORD dwStep = (DWORD)((ULONGLONG)(dwNow - pMode->dwTurboStart) * (ULONGLONG)(2 * TurboRateOf(pAssign)) / MS_PER_SECOND);
    if (bDouble) {
        if (dwStep / 2 != pMode->dwTurboStep / 2)
            SendEntryOutput(pState, pAssign, 1);
    } else {
        int bDown = !(dwStep & 1);
        if (bDown != pMode->bTurboDown) {
            SendEntryOutput(pState, pAssign, bDown);
            pMode->bTurboDown = bDown;
        }
    }
    pMode->dwTurboStep = dwStep;
}

/* What an entry would press: the parts an edit can change. */
static int SameOutput(const ASSIGNMENT *pA, const ASSIGNMENT *pB)
{
    return pA->nKind == pB->nKind && pA->nKeyCount == pB->nKeyCount &&
           memcmp(pA->awKey, pB->awKey, sizeof(pA->awKey)) == 0 && pA->nMouseAction == pB->nMouseAction &&
           pA->nPressMode == pB->nPressMode;
}

/* An entry edited since it latched no longer holds its old keys: they go up after the cycle. */
static int IsLatchedBy(const SLOT_MODE *pMode, const ASSIGNMENT *pAssign)
{
    return pMode->bLatched && SameOutput(&pMode->Latched, pAssign);
}

void ActOnToggleSlot(ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign, int nValue, int nPrevious)
{
    if (!nValue || nPrevious)
        return;
    SLOT_MODE *pMode = &pState->aMode[nSlot];
    if (IsLatchedBy(pMode, pAssign)) {
        SendEntryOutput(pState, pAssign, 0);
        pMode->bLatched = 0;
        return;
    }
    SendEntryOutput(pState, pAssign, 1);
    pMode->Latched = *pAssign;
    pMode->Latched.pszPath = NULL;
    pMode->bLatched = 1;
}

void ClaimEntry(HELD_CLAIMS *pClaims, const ASSIGNMENT *pAssign)
{
    if (pAssign->nKind == ASSIGN_KEY) {
        for (int i = 0; i < pAssign->nKeyCount && i < ASSIGN_MAX_KEYS; i++) {
            WORD wVk = pAssign->awKey[i];
            pClaims->adwKey[wVk / KEY_BITS_PER_WORD] |= 1u << (wVk % KEY_BITS_PER_WORD);
        }
    } else if (pAssign->nKind == ASSIGN_MOUSE) {
        if (pAssign->nMouseAction == MOUSE_LEFT_CLICK)   pClaims->dwMouse |= HELD_LEFT;
        if (pAssign->nMouseAction == MOUSE_MIDDLE_CLICK) pClaims->dwMouse |= HELD_MIDDLE;
        if (pAssign->nMouseAction == MOUSE_RIGHT_CLICK)  pClaims->dwMouse |= HELD_RIGHT;
    }
}

void DropSlotMode(ENGINE_STATE *pState, int nSlot)
{
    SLOT_MODE *pMode = &pState->aMode[nSlot];
    pMode->bLatched = pMode->bTurbo = pMode->bTurboDown = 0;
}

void ClaimSlot(HELD_CLAIMS *pClaims, ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign, int nValue)
{
    SLOT_MODE *pMode = &pState->aMode[nSlot];
    int nMode = SlotPressMode(pAssign);
    /* A mode or entry edited away leaves no latch or turbo behind to claim keys later. */
    if (nMode != PRESS_TOGGLE || !IsLatchedBy(pMode, pAssign))
        pMode->bLatched = 0;
    if (nMode != PRESS_TURBO)
        pMode->bTurbo = pMode->bTurboDown = 0;
    switch (nMode) {
    case PRESS_TOGGLE:
        if (pMode->bLatched)
            ClaimEntry(pClaims, pAssign);
        break;
    case PRESS_TURBO:
        if (nValue && pMode->bTurboDown)
            ClaimEntry(pClaims, pAssign);
        break;
    default:
        if (nValue)
            ClaimEntry(pClaims, pAssign);
        break;
    }
}
