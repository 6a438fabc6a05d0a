/* key_dialog_modes.cpp - the key setting dialog's press mode, turbo rate and layer mode. */
#include "key_dialog.h"

#include <commctrl.h>

#include "app.h"
#include "press_mode.h"
#include "resource.h"

#define LAYER_MODES 2

static void FillList(HWND hDlg, int nList, int nFirstString, int nCount)
{
    for (int i = 0; i < nCount; i++) {
        WCHAR szName[64] = L"";
        LoadStringW(g_App.hInstance, nFirstString + i, szName, 64);
        SendDlgItemMessageW(hDlg, nList, CB_ADDSTRING, 0, (LPARAM)szName);
    }
}

void FillModeLists(HWND hDlg)
{
    FillList(hDlg, IDC_LAYER_MODE, IDS_LAYER_MODE_FIRST, LAYER_MODES);
    SendDlgItemMessageW(hDlg, IDC_TURBO_RATE, EM_LIMITTEXT, 2, 0);
    SendDlgItemMessageW(hDlg, IDC_TURBO_RATE_SPIN, UDM_SETRANGE32, TURBO_RATE_MIN, TURBO_RATE_MAX);
}

/* The modes the entry offers; an entry that takes none shows the full list, greyed. A mode
 * the list lacks shows as normal, which is what the entry is saved with. */
static void FitPressModeList(HWND hDlg, const ASSIGNMENT *pWork)
{
    int nModes = TakesPressMode(pWork) ? PressModesOf(pWork) : PRESS_MODES;
    if (SendDlgItemMessageW(hDlg, IDC_PRESS_MODE, CB_GETCOUNT, 0, 0) != nModes) {
        SendDlgItemMessageW(hDlg, IDC_PRESS_MODE, CB_RESETCONTENT, 0, 0);
        FillList(hDlg, IDC_PRESS_MODE, IDS_PRESS_MODE_FIRST, nModes);
    }
    int nSel = pWork->nPressMode < nModes ? pWork->nPressMode : PRESS_NORMAL;
    SendDlgItemMessageW(hDlg, IDC_PRESS_MODE, CB_SETCURSEL, nSel, 0);
}

/* The press mode's list is fitted and shown by EnableModeFields, which always runs first. */
void ShowModeFields(HWND hDlg, const ASSIGNMENT *pWork)
{
    SendDlgItemMessageW(hDlg, IDC_LAYER_MODE, CB_SETCURSEL, pWork->nLayerMode, 0);
    SendDlgItemMessageW(hDlg, IDC_TURBO_RATE_SPIN, UDM_SETPOS32, 0, TurboRateOf(pWork));
    SetDlgItemInt(hDlg, IDC_TURBO_RATE, (UINT)TurboRateOf(pWork), FALSE);
}

void EnableModeFields(HWND hDlg, const ASSIGNMENT *pWork)
{
    int bMode = TakesPressMode(pWork);
    int bRate = bMode && pWork->nPressMode == PRESS_TURBO;
    FitPressModeList(hDlg, pWork);
    const struct { int nId; int bEnable; } aItem[] = {
        { IDC_PRESS_MODE_LABEL, bMode }, { IDC_PRESS_MODE, bMode },
        { IDC_TURBO_RATE_LABEL, bRate }, { IDC_TURBO_RATE, bRate }, { IDC_TURBO_RATE_SPIN, bRate },
        { IDC_LAYER_MODE, pWork->nKind == ASSIGN_LAYER },
    };
    for (const auto &item : aItem)
        EnableWindow(GetDlgItem(hDlg, item.nId), item.bEnable);
}

int OffersLayerKind(const KEY_DIALOG *pDialog)
{
    return pDialog->nLayer == 0;
}

void OnPressModeChanged(KEY_DIALOG *pDialog)
{
    LRESULT nSel = SendDlgItemMessageW(pDialog->hDlg, IDC_PRESS_MODE, CB_GETCURSEL, 0, 0);
    if (nSel >= 0 && nSel < PRESS_MODES)
        pDialog->work.nPressMode = (BYTE)nSel;
    EnableModeFields(pDialog->hDlg, &pDialog->work);
}

void OnLayerModeChanged(KEY_DIALOG *pDialog)
{
    LRESULT nSel = SendDlgItemMessageW(pDialog->hDlg, IDC_LAYER_MODE, CB_GETCURSEL, 0, 0);
    if (nSel >= 0 && nSel < LAYER_MODES)
        pDialog->work.nLayerMode = (BYTE)nSel;
}

void AcceptModeFields(KEY_DIALOG *pDialog)
{
    BOOL bNumber = FALSE;
    UINT uRate = GetDlgItemInt(pDialog->hDlg, IDC_TURBO_RATE, &bNumber, FALSE);
    /* A rate typed past either end is taken as that end; an empty field as the default. */
    if (!bNumber)
        uRate = TURBO_RATE_DEFAULT;
    else if (uRate < TURBO_RATE_MIN)
        uRate = TURBO_RATE_MIN;
    else if (uRate > TURBO_RATE_MAX)
        uRate = TURBO_RATE_MAX;
    pDialog->work.nTurboRate = (BYTE)uRate;
    ClearUnusedModes(&pDialog->work);
}
