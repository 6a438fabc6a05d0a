/*
 * engine_cycle.cpp - one engine cycle over the 40 slots, and the bookkeeping of what
 * the engine holds down: whatever no pressed slot claims any more is let go.
 */
#include <string.h>

#include "engine.h"
#include "input_seam.h"
#include "program_state.h"

void InitEngineState(ENGINE_STATE *pState)
{
    memset(pState, 0, sizeof(*pState));
    pState->nRepeatSlot = -1;
    pState->dwPreviousTime = g_Seam.pfnTimeGetTime();
    pState->dwCycleDue = pState->dwPreviousTime + ENGINE_CYCLE_MS;
    ShowEnginePaused(0);
}

int IsKeyHeld(const ENGINE_STATE *pState, WORD wVk)
{
    return (pState->adwKeyDown[wVk / KEY_BITS_PER_WORD] >> (wVk % KEY_BITS_PER_WORD)) & 1;
}

static void MarkKey(DWORD *pdwKeys, WORD wVk, int bDown)
{
    DWORD dwBit = 1u << (wVk % KEY_BITS_PER_WORD);
    if (bDown)
        pdwKeys[wVk / KEY_BITS_PER_WORD] |= dwBit;
    else
        pdwKeys[wVk / KEY_BITS_PER_WORD] &= ~dwBit;
}

typedef struct BUTTON_FLAGS {
    DWORD dwHeld, dwDown, dwUp;
} BUTTON_FLAGS;

static const BUTTON_FLAGS g_aButton[] = {
    { HELD_LEFT,   MOUSEEVENTF_LEFTDOWN,   MOUSEEVENTF_LEFTUP },
    { HELD_MIDDLE, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP },
    { HELD_RIGHT,  MOUSEEVENTF_RIGHTDOWN,  MOUSEEVENTF_RIGHTUP },
};

/* Records the input as sent; 0 when it is the release of something not held. */
static int TrackInput(ENGINE_STATE *pState, const INPUT *pInput)
{
    if (pInput->type == INPUT_KEYBOARD) {
        int bUp = (pInput->ki.dwFlags & KEYEVENTF_KEYUP) != 0;
        if (bUp && !IsKeyHeld(pState, pInput->ki.wVk))
            return 0;
        MarkKey(pState->adwKeyDown, pInput->ki.wVk, !bUp);
        return 1;
    }
    if (pInput->type != INPUT_MOUSE)
        return 1;
    for (const BUTTON_FLAGS &b : g_aButton) {
        if (pInput->mi.dwFlags == b.dwUp && !(pState->dwMouseDown & b.dwHeld))
            return 0;
        if (pInput->mi.dwFlags & b.dwDown) pState->dwMouseDown |= b.dwHeld;
        if (pInput->mi.dwFlags & b.dwUp)   pState->dwMouseDown &= ~b.dwHeld;
    }
    return 1;
}

void SendTracked(ENGINE_STATE *pState, INPUT *pInputs, UINT cInputs)
{
    INPUT aSend[ASSIGN_MAX_KEYS];
    UINT cSend = 0;
    for (UINT i = 0; i < cInputs && i < ASSIGN_MAX_KEYS; i++) {
        if (TrackInput(pState, &pInputs[i]))
            aSend[cSend++] = pInputs[i];
    }
    if (cSend)
        g_Seam.pfnSendInput(cSend, aSend, sizeof(INPUT));
}

static void SendKeyUp(ENGINE_STATE *pState, WORD wVk)
{
    INPUT input;
    FillKeyInput(&input, wVk, 1);
    SendTracked(pState, &input, 1);
}

static void SendMouseUp(ENGINE_STATE *pState, DWORD dwFlags)
{
    INPUT input;
    ZeroMemory(&input, sizeof(input));
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = dwFlags;
    SendTracked(pState, &input, 1);
}

void ReleaseUnclaimed(ENGINE_STATE *pState, const HELD_CLAIMS *pClaims)
{
    for (DWORD w = 0; w < KEY_CODES / KEY_BITS_PER_WORD; w++) {
        for (DWORD dwBits = pState->adwKeyDown[w] & ~pClaims->adwKey[w]; dwBits; dwBits &= dwBits - 1) {
            int nBit = __builtin_ctz(dwBits);
            SendKeyUp(pState, (WORD)(w * KEY_BITS_PER_WORD + nBit));
        }
    }
    for (const BUTTON_FLAGS &b : g_aButton)
        if ((pState->dwMouseDown & b.dwHeld) && !(pClaims->dwMouse & b.dwHeld))
            SendMouseUp(pState, b.dwUp);
}

void ReleaseHeldInput(ENGINE_STATE *pState)
{
    HELD_CLAIMS none;
    ZeroMemory(&none, sizeof(none));
    ReleaseUnclaimed(pState, &none);
    pState->nRepeatSlot = -1;
    pState->bRepeatPhase = 0;
    memset(pState->aMode, 0, sizeof(pState->aMode));
}

void ActOnSlot(ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign, int nValue, DWORD dwElapsed)
{
    int nPrevious = pState->anPrevious[nSlot];
    switch (SlotPressMode(pAssign)) {
    case PRESS_TURBO:
        ActOnTurboSlot(pState, nSlot, pAssign, nValue);
        return;
    case PRESS_TOGGLE:
        ActOnToggleSlot(pState, nSlot, pAssign, nValue, nPrevious);
        return;
    }
    switch (pAssign->nKind) {
    case ASSIGN_KEY:
        ActOnKeySlot(pState, nSlot, pAssign, g_CurrentSet.bSystemRepeat, nValue, nPrevious);
        break;
    case ASSIGN_MOUSE:
        ActOnMouseSlot(pState, pAssign, nValue, nPrevious, dwElapsed);
        break;
    case ASSIGN_APPLICATION:
        ActOnApplicationSlot(pState, nSlot, pAssign, nValue, nPrevious);
        break;
    }
}

static void EvaluateSlots(ENGINE_STATE *pState, const WM_KEY *pKey, const WM_KEYEX *pKeyEx, DWORD dwElapsed)
{
    WM_IR ir;
    WM_MOTION motion;
    ReadPointerCopies(&ir, &motion);
    WatchIrPointer(pState, &ir, pKey, dwElapsed);
    HELD_CLAIMS claims;
    ZeroMemory(&claims, sizeof(claims));
    int bRepeatClaimed = 0;
    int nExtensionKind = g_State.nExtensionKind;
    UpdateLayer(pState, pKey, pKeyEx, nExtensionKind);
    for (int nSlot = 0; nSlot < ASSIGN_SLOTS; nSlot++) {
        const ASSIGNMENT *pAssign = ActiveEntry(pState, nSlot);
        if (pAssign->nKind == ASSIGN_LAYER)
            continue;
        if (pAssign->nKind == ASSIGN_DISABLED || !IsSlotEvaluated(nSlot, nExtensionKind)) {
            DropSlotMode(pState, nSlot);
            continue;
        }
        int nValue = TakeSlotValue(pState, nSlot, pKey, pKeyEx);
        if (nValue || pState->anPrevious[nSlot]) {
            ActOnSlot(pState, nSlot, pAssign, nValue, dwElapsed);
            pState->anPrevious[nSlot] = nValue;
        }
        /* Latched toggles claim their keys with the button up, too. */
        ClaimSlot(&claims, pState, nSlot, pAssign, nValue);
        bRepeatClaimed |= nValue && nSlot == pState->nRepeatSlot && pAssign->nKind == ASSIGN_KEY &&
                          SlotPressMode(pAssign) == PRESS_NORMAL;
    }
    AddGyroMotion(pState, &motion, pKey, pKeyEx, dwElapsed);
    SendPointerMove(pState);
    SendIrPoint(pState);
    if (!bRepeatClaimed) {
        pState->nRepeatSlot = -1;
        pState->bRepeatPhase = 0;
    }
    ReleaseUnclaimed(pState, &claims);
}

int RunEngineCycle(ENGINE_STATE *pState)
{
    DWORD dwNow = g_Seam.pfnTimeGetTime();
    DWORD dwElapsed = dwNow - pState->dwPreviousTime;
    pState->dwPreviousTime = dwNow;
    if (g_State.nSelectedRemote < 0 || !g_State.bRunning) {
        /* Nothing may stay pressed while the set doesn't act; the previous values stay,
         * so changes made meanwhile are acted on when it acts again. */
        LetGoOfSet(pState);
        ForgetPause(pState);
        return 0;
    }
    if (!TryLockRecord())
        return 0;
    TakeSetChanges(pState);
    WM_KEY key;
    WM_KEYEX keyEx;
    ReadInputCopies(&key, &keyEx);
    WatchPauseCombination(pState, &key, &keyEx, dwNow);
    if (!pState->bPaused)
        EvaluateSlots(pState, &key, &keyEx, dwElapsed);
    UnlockRecord();
    return 1;
}
