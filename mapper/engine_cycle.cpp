/*
 * engine_cycle.cpp - one engine cycle over the 40 slots, and the bookkeeping of what
 * the engine holds down so it can let go when it stops acting.
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
}

static void MarkKey(ENGINE_STATE *pState, WORD wVk, int bDown)
{
    DWORD dwBit = 1u << (wVk % KEY_BITS_PER_WORD);
    if (bDown)
        pState->adwKeyDown[wVk / KEY_BITS_PER_WORD] |= dwBit;
    else
        pState->adwKeyDown[wVk / KEY_BITS_PER_WORD] &= ~dwBit;
}

static void MarkMouse(ENGINE_STATE *pState, DWORD dwFlags)
{
    if (dwFlags & MOUSEEVENTF_LEFTDOWN)   pState->dwMouseDown |= HELD_LEFT;
    if (dwFlags & MOUSEEVENTF_LEFTUP)     pState->dwMouseDown &= ~HELD_LEFT;
    if (dwFlags & MOUSEEVENTF_MIDDLEDOWN) pState->dwMouseDown |= HELD_MIDDLE;
    if (dwFlags & MOUSEEVENTF_MIDDLEUP)   pState->dwMouseDown &= ~HELD_MIDDLE;
    if (dwFlags & MOUSEEVENTF_RIGHTDOWN)  pState->dwMouseDown |= HELD_RIGHT;
    if (dwFlags & MOUSEEVENTF_RIGHTUP)    pState->dwMouseDown &= ~HELD_RIGHT;
}

void SendTracked(ENGINE_STATE *pState, INPUT *pInputs, UINT cInputs)
{
    for (UINT i = 0; i < cInputs; i++) {
        if (pInputs[i].type == INPUT_KEYBOARD)
            MarkKey(pState, pInputs[i].ki.wVk, !(pInputs[i].ki.dwFlags & KEYEVENTF_KEYUP));
        else if (pInputs[i].type == INPUT_MOUSE)
            MarkMouse(pState, pInputs[i].mi.dwFlags);
    }
    g_Seam.pfnSendInput(cInputs, pInputs, sizeof(INPUT));
}

static void SendKeyUp(ENGINE_STATE *pState, WORD wVk)
{
    INPUT input;
    ZeroMemory(&input, sizeof(input));
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = wVk;
    input.ki.wScan = (WORD)MapVirtualKeyW(wVk, MAPVK_VK_TO_VSC);
    input.ki.dwFlags = KEYEVENTF_KEYUP;
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

void ReleaseHeldInput(ENGINE_STATE *pState)
{
    for (DWORD w = 0; w < KEY_CODES / KEY_BITS_PER_WORD; w++) {
        for (DWORD dwBits = pState->adwKeyDown[w]; dwBits; dwBits &= dwBits - 1) {
            int nBit = __builtin_ctz(dwBits);
            SendKeyUp(pState, (WORD)(w * KEY_BITS_PER_WORD + nBit));
        }
    }
    if (pState->dwMouseDown & HELD_LEFT)   SendMouseUp(pState, MOUSEEVENTF_LEFTUP);
    if (pState->dwMouseDown & HELD_MIDDLE) SendMouseUp(pState, MOUSEEVENTF_MIDDLEUP);
    if (pState->dwMouseDown & HELD_RIGHT)  SendMouseUp(pState, MOUSEEVENTF_RIGHTUP);
    /* A key still held when acting resumes is pressed anew, print-screen included. */
    pState->bPrintScreenLatch = 0;
    pState->nRepeatSlot = -1;
    pState->bRepeatPhase = 0;
}

static void ActOnSlot(ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign, int nValue, DWORD dwElapsed)
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
        ActOnApplicationSlot(pAssign, nValue, nPrevious);
        break;
    }
}

static void EvaluateSlots(ENGINE_STATE *pState, DWORD dwElapsed)
{
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
    }
}

void RunEngineCycle(ENGINE_STATE *pState)
{
    DWORD dwNow = g_Seam.pfnTimeGetTime();
    DWORD dwElapsed = dwNow - pState->dwPreviousTime;
    pState->dwPreviousTime = dwNow;
    if (g_State.nSelectedRemote < 0 || !g_State.bRunning) {
        /* Nothing may stay pressed while the set doesn't act; the previous values stay,
         * so changes made meanwhile are acted on when it acts again. */
        ReleaseHeldInput(pState);
        return;
    }
    if (!TryLockRecord())
        return;
    EvaluateSlots(pState, dwElapsed);
    UnlockRecord();
}
