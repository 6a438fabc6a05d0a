/*
 * engine_layers.cpp - the second layer of assignments, switched by layer slots, and the
 * pause that the combination of Wii Remote buttons held for a second turns on and off.
 * Both let go of everything held when they change, so no key of one layer or of the time
 * before a pause stays down.
 */
#include <string.h>

#include "engine.h"
#include "options.h"
#include "program_state.h"

/* What IsEnginePaused reports: the engine thread's pause as it last changed. */
static volatile LONG g_bEnginePaused;

int IsEnginePaused(void)
{
    return g_bEnginePaused != 0;
}

void ShowEnginePaused(int bPaused)
{
    InterlockedExchange(&g_bEnginePaused, bPaused);
}

void PostEngineNote(const ENGINE_STATE *pState, WPARAM wNote, LPARAM lValue)
{
    if (pState->hReportWnd && pState->uNoteMsg)
        PostMessageW(pState->hReportWnd, pState->uNoteMsg, wNote, lValue);
}

/* The off-screen slot out of view acts as its button held down. */
#define OFFSCREEN_VALUE 100

int TakeSlotValue(ENGINE_STATE *pState, int nSlot, const WM_KEY *pKey, const WM_KEYEX *pKeyEx)
{
    int nValue = GetSlotValue(nSlot, pKey, pKeyEx);
    if (!nValue && IsOffScreenHeld(pState, nSlot))
        nValue = OFFSCREEN_VALUE;
    if (pState->abBlocked[nSlot]) {
        if (nValue)
            return 0;
        pState->abBlocked[nSlot] = 0;
    }
    return nValue;
}

const ASSIGNMENT *ActiveEntry(const ENGINE_STATE *pState, int nSlot)
{
    return ActingEntry(&g_CurrentSet, pState->nLayer, nSlot);
}

void SetActiveLayer(ENGINE_STATE *pState, int nLayer)
{
    if (nLayer == pState->nLayer)
        return;
    ReleaseHeldInput(pState);
    pState->nLayer = nLayer;
    PostEngineNote(pState, ENGINE_NOTE_LAYER, nLayer);
}

void LetGoOfSet(ENGINE_STATE *pState)
{
    ReleaseHeldInput(pState);
    ResetPointer(pState);
    pState->bLayerToggled = 0;
    SetActiveLayer(pState, 0);
}

void TakeSetChanges(ENGINE_STATE *pState)
{
    if (InterlockedExchange(&g_State.bReleaseHeld, 0))
        LetGoOfSet(pState);
    if (InterlockedExchange(&g_State.bSetReplaced, 0)) {
        ResetPointer(pState);
        pState->bLayerToggled = 0;
        SetActiveLayer(pState, 0);
    }
}

/* Layer 2 while a hold slot is held or a toggle slot last switched to it. A set without a
 * toggle slot (edited away, another set loaded) forgets the switch. */
void UpdateLayer(ENGINE_STATE *pState, const WM_KEY *pKey, const WM_KEYEX *pKeyEx, int nExtensionKind)
{
    int bHeld = 0, bToggleSlot = 0;
    for (int nSlot = 0; nSlot < ASSIGN_SLOTS; nSlot++) {
        const ASSIGNMENT *pAssign = &g_CurrentSet.aAssign[nSlot];
        if (pAssign->nKind != ASSIGN_LAYER || !IsSlotEvaluated(nSlot, nExtensionKind))
            continue;
        int nValue = TakeSlotValue(pState, nSlot, pKey, pKeyEx);
        if (pAssign->nLayerMode == LAYER_TOGGLE) {
            bToggleSlot = 1;
            if (nValue && !pState->anPrevious[nSlot])
                pState->bLayerToggled = !pState->bLayerToggled;
        } else if (nValue) {
            bHeld = 1;
        }
        pState->anPrevious[nSlot] = nValue;
    }
    if (!bToggleSlot)
        pState->bLayerToggled = 0;
    SetActiveLayer(pState, bHeld || pState->bLayerToggled);
}

/* Pausing lets go of everything and forgets what was pressed; resuming blocks the buttons
 * still held (the combination among them), so none acts before it is pressed again. */
static void TogglePause(ENGINE_STATE *pState, const WM_KEY *pKey, const WM_KEYEX *pKeyEx)
{
    pState->bPaused = !pState->bPaused;
    if (pState->bPaused) {
        ReleaseHeldInput(pState);
        ResetPointer(pState);
        memset(pState->anPrevious, 0, sizeof(pState->anPrevious));
        SetActiveLayer(pState, pState->bLayerToggled);
    } else {
        for (int nSlot = 0; nSlot < ASSIGN_SLOTS; nSlot++)
            pState->abBlocked[nSlot] = GetSlotValue(nSlot, pKey, pKeyEx) != 0;
    }
    ShowEnginePaused(pState->bPaused);
    PostEngineNote(pState, ENGINE_NOTE_PAUSE, pState->bPaused);
}

void ForgetPause(ENGINE_STATE *pState)
{
    pState->bPauseTiming = pState->bPauseDone = 0;
    if (!pState->bPaused)
        return;
    pState->bPaused = 0;
    ShowEnginePaused(0);
}

void WatchPauseCombination(ENGINE_STATE *pState, const WM_KEY *pKey, const WM_KEYEX *pKeyEx, DWORD dwNow)
{
    DWORD dwSlots = (DWORD)g_State.nPauseSlots & PAUSE_SLOTS_ALL;
    int bDown = dwSlots != 0;
    for (int nSlot = 0; bDown && nSlot < SLOT_FIRST_NUNCHUK; nSlot++)
        if ((dwSlots >> nSlot) & 1)
            bDown = GetSlotValue(nSlot, pKey, pKeyEx) != 0;
    if (!bDown) {
        pState->bPauseTiming = pState->bPauseDone = 0;
        return;
    }
    if (pState->bPauseDone)
        return;
    if (!pState->bPauseTiming) {
        pState->bPauseTiming = 1;
        pState->dwPauseSince = dwNow;
        return;
    }
    if (dwNow - pState->dwPauseSince < PAUSE_HOLD_MS)
        return;
    pState->bPauseTiming = 0;
    pState->bPauseDone = 1;
    TogglePause(pState, pKey, pKeyEx);
}
