/* page_options.cpp - the options page: LEDs, key repeat mode and analog correction
 * of the current set. */
#include "pages.h"

#include "app.h"
#include "connection.h"
#include "program_state.h"
#include "resource.h"

static int IsChecked(HWND hPage, int nId)
{
    return IsDlgButtonChecked(hPage, nId) == BST_CHECKED;
}

/* Returns 1 when the command changed a field of the set. */
static int ApplyOptionCommand(HWND hPage, int nId, int nCode)
{
    if (nId >= IDC_LED1 && nId <= IDC_LED4) {
        g_CurrentSet.abLed[nId - IDC_LED1] = (BYTE)IsChecked(hPage, nId);
        ApplyLedPattern(&g_CurrentSet, (int)g_State.nSelectedRemote);
        return 1;
    }
    if (nId == IDC_SYSTEM_REPEAT) {
        g_CurrentSet.bSystemRepeat = (BYTE)IsChecked(hPage, nId);
        return 1;
    }
    if (nId == IDC_ANALOG_CORRECTION && nCode == CBN_SELCHANGE) {
        LRESULT nLevel = SendDlgItemMessageW(hPage, nId, CB_GETCURSEL, 0, 0);
        if (nLevel < 0 || nLevel >= CORRECTION_LEVELS)
            return 0;
        g_CurrentSet.nAnalogCorrection = (BYTE)nLevel;
        ApplyRemoteSettings((int)g_State.nSelectedRemote);
        return 1;
    }
    return 0;
}

static void OnOptionCommand(HWND hPage, int nId, int nCode)
{
    LockRecord();
    int bChanged = ApplyOptionCommand(hPage, nId, nCode);
    UnlockRecord();
    if (bChanged)
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
