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
}

/* What a pressed slot keeps down: its keys, or its mouse button. */
static void ClaimSlot(HELD_CLAIMS *pClaims, const ASSIGNMENT *pAssign)
{
    if (pAssign->nKind == ASSIGN_KEY) {
        for (int i = 0; i < pAssign->nKeyCount && i < ASSIGN_MAX_KEYS; i++)
            MarkKey(pClaims->adwKey, pAssign->awKey[i], 1);
    } else if (pAssign->nKind == ASSIGN_MOUSE) {
        if (pAssign->nMouseAction == MOUSE_LEFT_CLICK)   pClaims->dwMouse |= HELD_LEFT;
        if (pAssign->nMouseAction == MOUSE_MIDDLE_CLICK) pClaims->dwMouse |= HELD_MIDDLE;
        if (pAssign->nMouseAction == MOUSE_RIGHT_CLICK)  pClaims->dwMouse |= HELD_RIGHT;
    }
}

void ActOnSlot(ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign, int nValue, DWORD dwElapsed)
{
    int nPrevious = pState->anPrevious[nSlot];
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

static void EvaluateSlots(ENGINE_STATE *pState, DWORD dwElapsed)
{
    HELD_CLAIMS claims;
    ZeroMemory(&claims, sizeof(claims));
    int bRepeatClaimed = 0;
    WM_KEY key;
    WM_KEYEX keyEx;
    ReadInputCopies(&key, &keyEx);
    int nExtensionKind = g_State.nExtensionKind;
    for (int nSlot = 0; nSlot < ASSIGN_SLOTS; nSlot++) {
        const ASSIGNMENT *pAssign = &g_CurrentSet.aAssign[nSlot];
        if (pAssign->nKind == ASSIGN_DISABLED || !IsSlotEvaluated(nSlot, nExtensionKind))
            continue;
        int nValue = GetSlotValue(nSlot, &key, &keyEx);
        if (!nValue && !pState->anPrevious[nSlot])
            continue;
        ActOnSlot(pState, nSlot, pAssign, nValue, dwElapsed);
        pState->anPrevious[nSlot] = nValue;
        if (nValue) {
            ClaimSlot(&claims, pAssign);
            bRepeatClaimed |= nSlot == pState->nRepeatSlot && pAssign->nKind == ASSIGN_KEY;
        }
    }
    SendPointerMove(pState);
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
        ReleaseHeldInput(pState);
        return 0;
    }
    if (!TryLockRecord())
        return 0;
    if (InterlockedExchange(&g_State.bReleaseHeld, 0))
        ReleaseHeldInput(pState);
    EvaluateSlots(pState, dwElapsed);
    UnlockRecord();
    return 1;
}
