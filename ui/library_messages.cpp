/* library_messages.cpp - the library's notifications and the presence timer. */
#include "main_handlers.h"
#include "program_state.h"
#include "resident.h"
#include "resource.h"
#include "tavel.h"

void OnLibraryStatus(int nSlot, DWORD dwMask)
{
    (void)nSlot;
    if (dwMask & WMST_EXTENSION)
        ShowConnectionText();
    if (dwMask & WMST_BATTERY)
        RefreshBatteryPart();
}

/* The copies are replaced only by complete records the library handed over, and only from
   the remote in use: run and stop also turn on polling of slot 0, which may be another remote. */
void OnLibraryInput(int nSlot, const DWORD *pdwMasks)
{
    if (!pdwMasks || nSlot != g_State.nSelectedRemote)
        return;
    if (pdwMasks[0]) {
        WM_KEY key;
        if (wm_GetKey(nSlot, &key) == 1)
            StoreKeyCopy(&key);
    }
    if (pdwMasks[1]) {
        WM_KEYEX keyEx;
        if (wm_GetKeyEx(nSlot, &keyEx) == 1)
            StoreExtensionCopy(&keyEx);
    }
    RefreshSlotHighlight();
}

/* A new remote reports to this window, unpolled, with buttons and extension only. */
void OnLibraryConnected(HWND hWnd, int nSlot)
{
    NoteConnectedSlot(nSlot);
    WM_SYSTEM system;
    ZeroMemory(&system, sizeof(system));
    system.dwFlags = WMSYS_AUTOUPDATE | WMSYS_HWND;
    system.bAutoUpdate = 0;
    system.hWnd = hWnd;
    wm_SetSystem(nSlot, &system);
    WM_STATUS status;
    ZeroMemory(&status, sizeof(status));
    status.dwFlags = WMST_REPORT;
    status.dwReport = WMRPT_KEYS | WMRPT_EXTENSION;
    wm_SetStatus(nSlot, &status);
}

void OnLibraryLost(HWND hWnd, int nSlot, int bRequested)
{
    if (bRequested == 1) {
        WM_STATUS status;
        ZeroMemory(&status, sizeof(status));
        status.dwFlags = WMST_LED;
        status.abLed[0] = 1;
        wm_SetStatus(nSlot, &status);
    }
    if (nSlot != g_State.nSelectedRemote)
        return;
    /* Clears both input copies too, so the engine lets go of whatever the remote held. */
    SetSelectedRemote(-1);
    RefreshSlotHighlight();
    ShowConnectionText();
    RefreshBatteryPart();
    InvalidateRect(hWnd, NULL, TRUE);
    if (!bRequested)
        ShowTrayBalloon(IDS_BALLOON_LOST);
}

void OnTimer(HWND hWnd, UINT_PTR uTimer)
{
    if (uTimer != PRESENCE_TIMER_ID)
        return;
    int nSlot = g_State.nSelectedRemote;
    if (nSlot >= 0 && wm_Exist(nSlot) == 0)
        PostMessageW(hWnd, WM_MSG_LOST_DEFAULT, nSlot, 0);
}
