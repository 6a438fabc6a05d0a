/*
 * engine_pointer.cpp - the set's pointer in the engine cycle: the IR point as an absolute
 * move, the gyro's motion joined to the cycle's relative move, and the off-screen slot.
 */
#include <string.h>

#include "engine.h"
#include "program_state.h"

void ResetPointer(ENGINE_STATE *pState)
{
    memset(&pState->Ir, 0, sizeof(pState->Ir));
    memset(&pState->Gyro, 0, sizeof(pState->Gyro));
    pState->bIrMoved = pState->bPointerActive = 0;
}

int IsOffScreenHeld(const ENGINE_STATE *pState, int nSlot)
{
    return pState->Ir.bOffScreen && PointerUseOfSlot(&g_CurrentSet, nSlot) == POINTER_USE_OFFSCREEN;
}

void WatchIrPointer(ENGINE_STATE *pState, const WM_IR *pIr, const WM_KEY *pKey, DWORD dwElapsed)
{
    pState->bIrMoved = pState->bPointerActive = 0;
    if (g_CurrentSet.Pointer.nMode != POINTER_IR) {
        memset(&pState->Ir, 0, sizeof(pState->Ir));
        return;
    }
    LONG nX, nY;
    pState->bIrMoved = TrackIrPointer(&pState->Ir, &g_CurrentSet.Pointer, pIr, pKey, dwElapsed, &nX, &nY);
    /* A bar just lost is out of view only after some cycles, and no new report may come to
     * wake the engine for them. */
    pState->bPointerActive = pState->bIrMoved || (pState->Ir.nMissing > 0 && !pState->Ir.bOffScreen);
}

void AddGyroMotion(ENGINE_STATE *pState, const WM_MOTION *pMotion, const WM_KEY *pKey, const WM_KEYEX *pKeyEx,
                   DWORD dwElapsed)
{
    const POINTER_SETTING *pPointer = &g_CurrentSet.Pointer;
    int nHold = pPointer->nHoldSlot;
    int bHeld = nHold == POINTER_NO_SLOT ||
                (nHold < ASSIGN_SLOTS && IsSlotEvaluated(nHold, g_State.nExtensionKind) && !pState->abBlocked[nHold] &&
                 GetSlotValue(nHold, pKey, pKeyEx));
    if (pPointer->nMode != POINTER_GYRO || !bHeld) {
        memset(&pState->Gyro, 0, sizeof(pState->Gyro));
        return;
    }
    LONG nDx, nDy;
    /* A slow turn moves less than a pixel a cycle: the cycles go on while the fractions gather. */
    pState->bPointerActive |= TrackGyroPointer(&pState->Gyro, pMotion, pPointer->nSpeed, dwElapsed, &nDx, &nDy);
    if (!nDx && !nDy)
        return;
    pState->nMoveDx += nDx;
    pState->nMoveDy += nDy;
    pState->bMoveHeld = 1;
}

void SendIrPoint(ENGINE_STATE *pState)
{
    if (!pState->bIrMoved)
        return;
    INPUT input;
    ZeroMemory(&input, sizeof(input));
    input.type = INPUT_MOUSE;
    input.mi.dx = pState->Ir.nSentX;
    input.mi.dy = pState->Ir.nSentY;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendTracked(pState, &input, 1);
    pState->bIrMoved = 0;
}
