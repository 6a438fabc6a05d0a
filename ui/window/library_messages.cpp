/* library_messages.cpp - the library's notifications and the presence timer. */
#include "connection.h"
#include "engine_notes.h"
#include "main_handlers.h"
#include "pages.h"
#include "program_state.h"
#include "remote_link.h"
#include "resource.h"
#include "tavel.h"
#include "tray.h"

void OnLibraryStatus(int nSlot, DWORD dwMask)
{
    (void)nSlot;
    if (dwMask & WMST_EXTENSION)
        ShowConnectionText();
    if (dwMask & WMST_BATTERY)
        RefreshBatteryPart();
}

void OnLibraryInput(int nSlot, const DWORD *pdwMasks)
{
    if (!RefreshInputCopies(nSlot, pdwMasks))
        return;
    RefreshSlotHighlight();
}

/* A new remote reports to this window, unpolled, with buttons and extension only. */
void OnLibraryConnected(HWND hWnd, int nSlot)
{
    NoteConnectedSlot(nSlot);
    TakeNewRemote(hWnd, nSlot);
}

void OnLibraryLost(HWND hWnd, int nSlot, int bRequested)
{
    if (bRequested == 1) {
        static const BYTE abFirstLed[REMOTE_LED_COUNT] = { 1, 0, 0, 0 };
        SetRemoteLeds(nSlot, abFirstLed, 0);
    }
    if (nSlot != g_State.nSelectedRemote)
        return;
    /* Clears both input copies too, so the engine lets go of whatever the remote held. */
    SetSelectedRemote(-1);
    ForgetEngineNotes();   /* the engine ends a pause and layer 2 with the remote, unannounced */
    RefreshSlotHighlight();
    ShowConnectionText();
    RefreshBatteryPart();
    InvalidateRect(hWnd, NULL, TRUE);
    if (!bRequested)
        ShowTrayBalloon(IDS_BALLOON_LOST);
}

void OnTimer(HWND hWnd, UINT_PTR uTimer)
{
    if (uTimer == RUMBLE_TIMER_ID)
        OnRumbleTimer(hWnd);
    if (uTimer != PRESENCE_TIMER_ID)
        return;
    int nSlot = g_State.nSelectedRemote;
    if (nSlot >= 0 && !RemoteExists(nSlot))
        PostMessageW(hWnd, WM_MSG_LOST_DEFAULT, nSlot, 0);
}
