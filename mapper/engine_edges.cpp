/*
 * engine_edges.cpp - the engine's quick answer to a changed input: a press or release of
 * a key, click or launch slot is acted on when the window hands over the new copies,
 * not up to a cycle later. Everything that runs at a rate stays with the 10 ms cycle.
 */
#include "engine.h"
#include "input_seam.h"
#include "program_state.h"

/* Slots whose whole effect happens at an edge of their input. */
static int ActsOnEdges(const ASSIGNMENT *pAssign)
{
    switch (pAssign->nKind) {
    case ASSIGN_KEY:
    case ASSIGN_APPLICATION:
        return 1;
    case ASSIGN_MOUSE:
        return pAssign->nMouseAction <= MOUSE_RIGHT_CLICK;
    }
    return 0;
}

void RunEngineEdges(ENGINE_STATE *pState)
{
    if (g_State.nSelectedRemote < 0 || !g_State.bRunning)
        return;
    /* A busy lock leaves the edges to the next cycle, as a busy cycle does. */
    if (!TryLockRecord())
        return;
    /* A set replaced for another program: what the old set holds goes up before the new
     * set's press goes down, as the cycle does it, so the cycle finds nothing to let go of
     * and never cuts this press short. */
    TakeSetChanges(pState);
    if (pState->bPaused) {
        UnlockRecord();
        return;
    }
    WM_KEY key;
    WM_KEYEX keyEx;
    ReadInputCopies(&key, &keyEx);
    int nExtensionKind = g_State.nExtensionKind;
    UpdateLayer(pState, &key, &keyEx, nExtensionKind);
    for (int nSlot = 0; nSlot < ASSIGN_SLOTS; nSlot++) {
        const ASSIGNMENT *pAssign = ActiveEntry(pState, nSlot);
        if (!ActsOnEdges(pAssign) || !IsSlotEvaluated(nSlot, nExtensionKind))
            continue;
        int nValue = TakeSlotValue(pState, nSlot, &key, &keyEx);
        if (!nValue == !pState->anPrevious[nSlot])
            continue;
        ActOnSlot(pState, nSlot, pAssign, nValue, 0);
        pState->anPrevious[nSlot] = nValue;
    }
    UnlockRecord();
}

/* Nothing pressed, repeating or timing the pause combination, no pointer under way, and
 * nothing held but latched toggles: no cycle would send anything until the input changes
 * (which wakes it, the press that lets a latch go among them). */
static int IsEngineIdle(const ENGINE_STATE *pState)
{
    if (pState->nRepeatSlot >= 0 || pState->bPauseTiming || pState->bPointerActive)
        return 0;
    for (int nValue : pState->anPrevious)
        if (nValue)
            return 0;
    HELD_CLAIMS latched;
    ZeroMemory(&latched, sizeof(latched));
    for (const SLOT_MODE &mode : pState->aMode)
        if (mode.bLatched)
            ClaimEntry(&latched, &mode.Latched);
    if (pState->dwMouseDown & ~latched.dwMouse)
        return 0;
    for (DWORD w = 0; w < KEY_CODES / KEY_BITS_PER_WORD; w++)
        if (pState->adwKeyDown[w] & ~latched.adwKey[w])
            return 0;
    return 1;
}

DWORD RunEngineStep(ENGINE_STATE *pState, int bWoken)
{
    if (bWoken && pState->bIdle) {
        /* The cycles keep their cadence: the next one falls where it would have had they gone
         * on, with one cycle's time to count for moves. */
        pState->bIdle = 0;
        LONG nBehind = (LONG)(g_Seam.pfnTimeGetTime() - pState->dwCycleDue);
        if (nBehind > 0)
            pState->dwCycleDue += (DWORD)(nBehind + ENGINE_CYCLE_MS - 1) / ENGINE_CYCLE_MS * ENGINE_CYCLE_MS;
        pState->dwPreviousTime = pState->dwCycleDue - ENGINE_CYCLE_MS;
    }
    if (bWoken) {
        if (g_State.bImmediateReaction)
            RunEngineEdges(pState);
        LONG nLeft = (LONG)(pState->dwCycleDue - g_Seam.pfnTimeGetTime());
        if (nLeft > 0)
            return nLeft < ENGINE_CYCLE_MS ? (DWORD)nLeft : ENGINE_CYCLE_MS;
    }
    /* Only a cycle that acted on the set may find it idle: the window's lock or a stop
     * keeps the cycles going. */
    int bActed = RunEngineCycle(pState);
    /* Counted from the end of the cycle, as a sleep after it would: the rates stay as they were. */
    pState->dwCycleDue = g_Seam.pfnTimeGetTime() + ENGINE_CYCLE_MS;
    pState->bIdle = bActed && IsEngineIdle(pState);
    return pState->bIdle ? INFINITE : ENGINE_CYCLE_MS;
}
