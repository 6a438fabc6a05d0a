/* page_options.cpp - the options page: LEDs of both layers, key repeat mode, analog
 * correction and pointer of the current set. */
#include "pages.h"

#include "app.h"
#include "connection.h"
#include "program_state.h"
#include "resource.h"

static int IsChecked(HWND hPage, int nId)
{
    return IsDlgButtonChecked(hPage, nId) == BST_CHECKED;
}

/* What a command changed, so the remote hears of it once the record lock is free again. */
#define CHANGED_FIELD      0x1
#define CHANGED_LEDS       0x2
#define CHANGED_CORRECTION 0x4
#define CHANGED_POINTER    0x8

static int ApplyOptionCommand(HWND hPage, int nId, int nCode)
{
    if (nId >= IDC_LED1 && nId <= IDC_LED4) {
        g_CurrentSet.abLed[nId - IDC_LED1] = (BYTE)IsChecked(hPage, nId);
        return CHANGED_FIELD | CHANGED_LEDS;
    }
    if (nId >= IDC_LAYER_LED1 && nId <= IDC_LAYER_LED4) {
        g_CurrentSet.abLayerLed[nId - IDC_LAYER_LED1] = (BYTE)IsChecked(hPage, nId);
        return CHANGED_FIELD | CHANGED_LEDS;
    }
    if (nId == IDC_SYSTEM_REPEAT) {
        g_CurrentSet.bSystemRepeat = (BYTE)IsChecked(hPage, nId);
        return CHANGED_FIELD;
    }
    if (nId == IDC_ANALOG_CORRECTION && nCode == CBN_SELCHANGE) {
        LRESULT nLevel = SendDlgItemMessageW(hPage, nId, CB_GETCURSEL, 0, 0);
        if (nLevel < 0 || nLevel >= CORRECTION_LEVELS)
            return 0;
        g_CurrentSet.nAnalogCorrection = (BYTE)nLevel;
        return CHANGED_FIELD | CHANGED_CORRECTION;
    }
    return ApplyPointerCommand(hPage, nId, nCode) ? CHANGED_FIELD | CHANGED_POINTER : 0;
}

/* The library waits up to the remote's time-out; the engine must not wait with it, so
 * the remote is told after the lock is let go (this thread is the set's only writer). */
static void OnOptionCommand(HWND hPage, int nId, int nCode)
{
    LockRecord();
    int nChanged = ApplyOptionCommand(hPage, nId, nCode);
    UnlockRecord();
    if (nChanged & CHANGED_LEDS)
        ApplyLedPattern(&g_CurrentSet, (int)g_State.nSelectedRemote);
    if (nChanged & (CHANGED_CORRECTION | CHANGED_POINTER))
        ApplyRemoteSettings((int)g_State.nSelectedRemote);
    /* The slot buttons mark the slots the pointer uses (a typed number changes none). */
    if ((nChanged & CHANGED_POINTER) && nCode == CBN_SELCHANGE)
        RefreshPages();
    if (nChanged)
        MarkModified();
}

INT_PTR CALLBACK OptionsPageProc(HWND hPage, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (uMsg) {
    case WM_COMMAND: OnOptionCommand(hPage, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    }
    return FALSE;
}
