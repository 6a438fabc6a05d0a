/*
 * engine_mouse.cpp - mouse slots (clicks, pointer moves, wheel steps) and application slots.
 */
#include "engine.h"
#include "input_seam.h"

#include <math.h>
#include <shellapi.h>

/* wMoveAmount is pixels per second at full deflection (value 100). */
#define MOVE_DIVISOR          100000.0
#define WHEEL_STEP_NUMERATOR  120
#define WHEEL_STEP_DIVISOR    200

static void SendMouse(ENGINE_STATE *pState, DWORD dwFlags, LONG nDx, LONG nDy, DWORD dwData)
{
    INPUT input;
    ZeroMemory(&input, sizeof(input));
    input.type = INPUT_MOUSE;
    input.mi.dx = nDx;
    input.mi.dy = nDy;
    input.mi.mouseData = dwData;
    input.mi.dwFlags = dwFlags;
    SendTracked(pState, &input, 1);
}

void SendClick(ENGINE_STATE *pState, int nMouseAction, int bDown)
{
    switch (nMouseAction) {
    case MOUSE_LEFT_CLICK:
        SendMouse(pState, bDown ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP, 0, 0, 0);
        break;
    case MOUSE_MIDDLE_CLICK:
        SendMouse(pState, bDown ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP, 0, 0, 0);
        break;
    case MOUSE_RIGHT_CLICK:
        SendMouse(pState, bDown ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP, 0, 0, 0);
        break;
    case MOUSE_DOUBLE_CLICK:
        for (int i = 0; bDown && i < 2; i++) {
            SendMouse(pState, MOUSEEVENTF_LEFTDOWN, 0, 0, 0);
            SendMouse(pState, MOUSEEVENTF_LEFTUP, 0, 0, 0);
        }
        break;
    }
}

/* Moves with the measured elapsed time, so a late cycle moves further; the fractions
 * carry over per direction, shared by every slot moving that way. The pixels are only
 * gathered: SendPointerMove sends the cycle's move as one input. */
static void MovePointer(ENGINE_STATE *pState, const ASSIGNMENT *pAssign, int nValue, DWORD dwElapsed)
{
    int nDirection = pAssign->nMouseAction - MOUSE_MOVE_UP;
    double *pdRemainder = &pState->adRemainder[nDirection];
    *pdRemainder += (double)pAssign->wMoveAmount * (double)dwElapsed * (double)nValue / MOVE_DIVISOR;
    double dWhole = floor(*pdRemainder);
    *pdRemainder -= dWhole;
    LONG nPixels = (LONG)dWhole;
    if (nDirection == DIRECTION_UP || nDirection == DIRECTION_LEFT)
        nPixels = -nPixels;
    if (nDirection == DIRECTION_UP || nDirection == DIRECTION_DOWN)
        pState->nMoveDy += nPixels;
    else
        pState->nMoveDx += nPixels;
    pState->bMoveHeld = 1;
}

void SendPointerMove(ENGINE_STATE *pState)
{
    if (!pState->bMoveHeld)
        return;
    SendMouse(pState, MOUSEEVENTF_MOVE, pState->nMoveDx, pState->nMoveDy, 0);
    pState->nMoveDx = pState->nMoveDy = 0;
    pState->bMoveHeld = 0;
}

static void TurnWheel(ENGINE_STATE *pState, int nAction, int nValue)
{
    int nAmount = nValue * WHEEL_STEP_NUMERATOR / WHEEL_STEP_DIVISOR;
    if (!nAmount)
        return;
    DWORD dwFlags = nAction <= MOUSE_SCROLL_DOWN ? MOUSEEVENTF_WHEEL : MOUSEEVENTF_HWHEEL;
    /* The vertical wheel counts towards the user (down) as negative, the horizontal one
     * counts to the right as positive. */
    if (nAction == MOUSE_SCROLL_DOWN || nAction == MOUSE_SCROLL_LEFT)
        nAmount = -nAmount;
    SendMouse(pState, dwFlags, 0, 0, (DWORD)nAmount);
}

void ActOnMouseSlot(ENGINE_STATE *pState, const ASSIGNMENT *pAssign, int nValue, int nPrevious, DWORD dwElapsed)
{
    int nAction = pAssign->nMouseAction;
    switch (nAction) {
    case MOUSE_LEFT_CLICK:
    case MOUSE_DOUBLE_CLICK:
    case MOUSE_MIDDLE_CLICK:
    case MOUSE_RIGHT_CLICK:
        /* A double click has no release of its own. */
        if (!nValue != !nPrevious)
            SendClick(pState, nAction, nValue != 0);
        break;
    case MOUSE_MOVE_UP:
    case MOUSE_MOVE_DOWN:
    case MOUSE_MOVE_LEFT:
    case MOUSE_MOVE_RIGHT:
        if (nValue)
            MovePointer(pState, pAssign, nValue, dwElapsed);
        break;
    case MOUSE_SCROLL_UP:
    case MOUSE_SCROLL_DOWN:
    case MOUSE_SCROLL_LEFT:
    case MOUSE_SCROLL_RIGHT:
        if (nValue)
            TurnWheel(pState, nAction, nValue);
        break;
    }
}

void ActOnApplicationSlot(const ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign, int nValue, int nPrevious)
{
    if (!nValue || nPrevious)
        return;
    /* The launcher's thread calls the shell: a launch that waits for a prompt holds neither
     * this thread nor the record lock. */
    if (pAssign->pszPath && QueueLaunch(pState->pLauncher, nSlot, pAssign->pszPath))
        return;
    /* No path: nothing to launch; no room in the queue (or no launcher): reported as the
     * shell reports a lack of resources. The window shows the failure; a box here would hold
     * the record lock and this thread. */
    INT_PTR nResult = pAssign->pszPath ? SE_ERR_OOM : SE_ERR_FNF;
    if (pState->hReportWnd)
        PostMessageW(pState->hReportWnd, pState->uReportMsg, (WPARAM)nSlot, (LPARAM)nResult);
}
