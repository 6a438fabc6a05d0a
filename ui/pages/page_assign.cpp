/* page_assign.cpp - the pages of the controllers: setup and refill of the page controls,
 * and the dialog procedure of the slot-button pages. */
#include "pages.h"

#include "app.h"
#include "dialogs.h"
#include "modal_ui.h"
#include "resource.h"
#include "slot_button.h"

int bPagesReady = 1;

static int IsSlotButtonId(int nId)
{
    return nId >= IDC_SLOT_FIRST && nId <= IDC_SLOT_LAST;
}

static void FillCorrectionList(HWND hList)
{
    for (int i = 0; i < IDS_CORRECTION_COUNT; i++) {
        WCHAR szItem[32] = L"";
        LoadStringW(g_App.hInstance, IDS_CORRECTION_FIRST + i, szItem, 32);
        SendMessageW(hList, CB_ADDSTRING, 0, (LPARAM)szItem);
    }
}

void SetupPageControls(HWND hControl)
{
    int nId = GetDlgCtrlID(hControl);
    if (IsSlotButtonId(nId)) {
        WNDPROC pfnOld = (WNDPROC)SetWindowLongPtrW(hControl, GWLP_WNDPROC, (LONG_PTR)AssignButtonProc);
        /* Every slot button is a standard button: the first one's procedure serves all. */
        if (!g_PageState.pfnButtonProc && pfnOld != AssignButtonProc)
            g_PageState.pfnButtonProc = pfnOld;
    } else if (nId == IDC_ANALOG_CORRECTION) {
        FillCorrectionList(hControl);
    } else {
        SetupPointerControl(hControl, nId);
    }
}

static BOOL CALLBACK RefreshControl(HWND hControl, LPARAM lParam)
{
    (void)lParam;
    int nId = GetDlgCtrlID(hControl);
    if (IsSlotButtonId(nId)) {
        SetWindowLongPtrW(hControl, GWLP_USERDATA, (LONG_PTR)ShownEntry(nId - IDC_SLOT_FIRST));
        EnableWindow(hControl, IsSlotEditable(nId - IDC_SLOT_FIRST));
        InvalidateRect(hControl, NULL, FALSE);
    } else if (nId >= IDC_LED1 && nId <= IDC_LED4) {
        SendMessageW(hControl, BM_SETCHECK, g_CurrentSet.abLed[nId - IDC_LED1] ? BST_CHECKED : BST_UNCHECKED, 0);
    } else if (nId >= IDC_LAYER_LED1 && nId <= IDC_LAYER_LED4) {
        SendMessageW(hControl, BM_SETCHECK, g_CurrentSet.abLayerLed[nId - IDC_LAYER_LED1] ? BST_CHECKED : BST_UNCHECKED, 0);
    } else if (nId == IDC_ANALOG_CORRECTION) {
        SendMessageW(hControl, CB_SETCURSEL, g_CurrentSet.nAnalogCorrection, 0);
    } else if (nId == IDC_SYSTEM_REPEAT) {
        SendMessageW(hControl, BM_SETCHECK, g_CurrentSet.bSystemRepeat ? BST_CHECKED : BST_UNCHECKED, 0);
    } else {
        RefreshPointerControl(hControl, nId);
    }
    return TRUE;
}

void RefreshPages(void)
{
    bPagesReady = 0;
    for (int i = 0; i < PAGE_COUNT; i++)
        if (g_App.ahPage[i])
            EnumChildWindows(g_App.ahPage[i], RefreshControl, 0);
    bPagesReady = 1;
}

static void OnSlotClicked(HWND hPage, int nId)
{
    ASSIGNMENT *pEntry = EntryOfButton(GetDlgItem(hPage, nId));
    if (!pEntry)
        return;
    RunModalDialog(IDD_KEY_SETTING, hPage, KeySettingDlgProc, (LPARAM)pEntry);
    /* OK or cancel: the button shows the entry as it is now either way. */
    InvalidateRect(GetDlgItem(hPage, nId), NULL, FALSE);
}

INT_PTR CALLBACK AssignPageProc(HWND hPage, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_DRAWITEM:
        if (!IsSlotButtonId((int)wParam))
            return FALSE;
        DrawAssignButton(hPage, (const DRAWITEMSTRUCT *)lParam);
        return TRUE;
    case WM_COMMAND:
        /* The whole wParam: only a click (notification 0) opens the dialog. */
        if (wParam > (WPARAM)IDC_SLOT_LAST || !IsSlotButtonId((int)wParam))
            return FALSE;
        OnSlotClicked(hPage, (int)wParam);
        return TRUE;
    }
    return FALSE;
}
