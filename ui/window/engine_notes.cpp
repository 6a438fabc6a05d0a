/* engine_notes.cpp - the engine's layer and pause notes on the window thread. */
#include "engine_notes.h"

#include "app.h"
#include "connection.h"
#include "engine.h"
#include "program_state.h"
#include "remote_link.h"
#include "resource.h"
#include "texts.h"
#include "tray.h"

typedef struct ENGINE_NOTES {
    int nLayer;
    int bPaused;
} ENGINE_NOTES;

static ENGINE_NOTES g_Notes;

int ActiveLayer(void)
{
    return g_Notes.nLayer;
}

int GetPausedText(WCHAR *pszText, int cchText)
{
    return LoadStateText(g_Notes.bPaused, IDS_PAUSED, pszText, cchText);
}

static void ShowPause(int bPaused)
{
    if (g_Notes.bPaused == bPaused)
        return;
    g_Notes.bPaused = bPaused;
    ShowConnectionText();
    UpdateTrayTip();
}

static void OnLayerNote(int nLayer)
{
    g_Notes.nLayer = nLayer ? 1 : 0;
    ApplyLedPattern(&g_CurrentSet, (int)g_State.nSelectedRemote);
}

/* One rumble to pause, two to resume: the second from a timer, the window never waits. */
static void OnPauseNote(HWND hWnd, int bPaused)
{
    ShowPause(bPaused);
    int nSlot = (int)g_State.nSelectedRemote;
    if (nSlot < 0)
        return;
    PulseRemoteRumble(nSlot, RUMBLE_PULSE_MS);
    if (bPaused)
        KillTimer(hWnd, RUMBLE_TIMER_ID);
    else
        SetTimer(hWnd, RUMBLE_TIMER_ID, RUMBLE_SECOND_MS, NULL);
}

void OnEngineNote(HWND hWnd, WPARAM wNote, LPARAM lValue)
{
    switch (wNote) {
    case ENGINE_NOTE_LAYER: OnLayerNote(lValue != 0); break;
    case ENGINE_NOTE_PAUSE: OnPauseNote(hWnd, lValue != 0); break;
    }
}

void OnRumbleTimer(HWND hWnd)
{
    KillTimer(hWnd, RUMBLE_TIMER_ID);
    int nSlot = (int)g_State.nSelectedRemote;
    if (nSlot >= 0)
        PulseRemoteRumble(nSlot, RUMBLE_PULSE_MS);
}

void ForgetEngineNotes(void)
{
    g_Notes.nLayer = 0;
    ShowPause(0);
}
