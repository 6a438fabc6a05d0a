/*
 * program_state.cpp - the process-wide values and the input hand-off.
 *
 * The copies travel through a triple buffer: the window thread fills its back buffer
 * and swaps it with the middle one, the engine swaps its front buffer with the middle
 * one when a fresh pair waits there. Both swaps are one interlocked exchange, so the
 * engine never sees a half-written pair and neither thread ever waits for the other.
 * Each publish also sets the engine's wake event, so a press is acted on at once.
 */
#include "program_state.h"

#include <string.h>

#include "options.h"

typedef struct INPUT_COPIES {
    WM_KEY    Key;
    WM_KEYEX  KeyEx;
    WM_IR     Ir;
    WM_MOTION Motion;
} INPUT_COPIES;

#define COPY_BUFFERS 3
#define COPY_FRESH   0x4   /* in nMiddle: the middle buffer holds a pair not yet taken */
#define COPY_INDEX   0x3

typedef struct INPUT_EXCHANGE {
    INPUT_COPIES  aBuffer[COPY_BUFFERS];
    INPUT_COPIES  Latest;          /* the window thread's copies */
    LONG          nBack;           /* owned by the window thread */
    volatile LONG nMiddle;         /* index, plus COPY_FRESH */
    LONG          nFront;          /* owned by the engine thread */
    HANDLE        hWake;           /* the engine's, set after each publish */
} INPUT_EXCHANGE;

PROGRAM_STATE g_State = { -1, 1, WMEXT_NONE, 0, L"", 0, 0, 0, 1, PAUSE_SLOTS_DEFAULT };

static INPUT_EXCHANGE g_Exchange = { {}, {}, 0, 1, 2, NULL };

static void PublishCopies(void)
{
    g_Exchange.aBuffer[g_Exchange.nBack] = g_Exchange.Latest;
    LONG nOld = InterlockedExchange(&g_Exchange.nMiddle, g_Exchange.nBack | COPY_FRESH);
    g_Exchange.nBack = nOld & COPY_INDEX;
    WakeEngine();
}

void SetInputWakeEvent(HANDLE hEvent)
{
    g_Exchange.hWake = hEvent;
}

void WakeEngine(void)
{
    if (g_Exchange.hWake)
        SetEvent(g_Exchange.hWake);
}

void ReadLatestCopies(WM_KEY *pKey, WM_KEYEX *pKeyEx)
{
    *pKey = g_Exchange.Latest.Key;
    *pKeyEx = g_Exchange.Latest.KeyEx;
}

void StoreKeyCopy(const WM_KEY *pKey)
{
    g_Exchange.Latest.Key = *pKey;
    PublishCopies();
}

void StoreExtensionCopy(const WM_KEYEX *pKeyEx)
{
    g_Exchange.Latest.KeyEx = *pKeyEx;
    PublishCopies();
}

void StoreIrCopy(const WM_IR *pIr)
{
    g_Exchange.Latest.Ir = *pIr;
    PublishCopies();
}

void StoreMotionCopy(const WM_MOTION *pMotion)
{
    g_Exchange.Latest.Motion = *pMotion;
    PublishCopies();
}

void ClearInputCopies(void)
{
    memset(&g_Exchange.Latest, 0, sizeof(g_Exchange.Latest));
    PublishCopies();
}

void ReadInputCopies(WM_KEY *pKey, WM_KEYEX *pKeyEx)
{
    if (g_Exchange.nMiddle & COPY_FRESH) {
        LONG nOld = InterlockedExchange(&g_Exchange.nMiddle, g_Exchange.nFront);
        g_Exchange.nFront = nOld & COPY_INDEX;
    }
    *pKey = g_Exchange.aBuffer[g_Exchange.nFront].Key;
    *pKeyEx = g_Exchange.aBuffer[g_Exchange.nFront].KeyEx;
}

void ReadPointerCopies(WM_IR *pIr, WM_MOTION *pMotion)
{
    *pIr = g_Exchange.aBuffer[g_Exchange.nFront].Ir;
    *pMotion = g_Exchange.aBuffer[g_Exchange.nFront].Motion;
}

void SetSelectedRemote(int nSlot)
{
    ClearInputCopies();
    InterlockedExchange(&g_State.nSelectedRemote, nSlot);
}

void ResetProgramState(void)
{
    ClearInputCopies();
    InterlockedExchange(&g_State.nSelectedRemote, -1);
    InterlockedExchange(&g_State.bRunning, 1);
    InterlockedExchange(&g_State.nExtensionKind, WMEXT_NONE);
    g_State.bModified = 0;
    g_State.szCurrentFile[0] = L'\0';
    g_State.nBatteryLevel = 0;
    InterlockedExchange(&g_State.bReleaseHeld, 0);
    InterlockedExchange(&g_State.bSetReplaced, 0);
    InterlockedExchange(&g_State.bImmediateReaction, 1);
    InterlockedExchange(&g_State.nPauseSlots, PAUSE_SLOTS_DEFAULT);
}
