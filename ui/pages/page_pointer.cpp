/* page_pointer.cpp - the options page's pointer group: the set's pointer kind, the sensor
 * bar's place and the area for the IR pointer, the gyro's speed, and the slots they use. */
#include "pages.h"

#include <commctrl.h>

#include "app.h"
#include "resource.h"

static void AddListText(HWND hList, UINT uId, LPARAM lData)
{
    WCHAR szItem[64] = L"";
    LoadStringW(g_App.hInstance, uId, szItem, 64);
    LRESULT nItem = SendMessageW(hList, CB_ADDSTRING, 0, (LPARAM)szItem);
    if (nItem >= 0)
        SendMessageW(hList, CB_SETITEMDATA, (WPARAM)nItem, lData);
}

/* "none" (or "always") first, then every slot by name; each item's data is its slot. */
static void FillSlotList(HWND hList, UINT uFirstText)
{
    AddListText(hList, uFirstText, POINTER_NO_SLOT);
    for (int n = 0; n < ASSIGN_SLOTS; n++)
        AddListText(hList, IDS_SLOT_NAME_FIRST + n, n);
}

int SetupPointerControl(HWND hControl, int nId)
{
    switch (nId) {
    case IDC_POINTER_MODE:
        for (int i = 0; i < POINTER_MODES; i++)
            AddListText(hControl, IDS_POINTER_MODE_FIRST + i, i);
        return 1;
    case IDC_POINTER_BAR:
        AddListText(hControl, IDS_BAR_FIRST + BAR_ABOVE, BAR_ABOVE);
        AddListText(hControl, IDS_BAR_FIRST + BAR_BELOW, BAR_BELOW);
        return 1;
    case IDC_POINTER_OFFSCREEN: FillSlotList(hControl, IDS_POINTER_NO_SLOT); return 1;
    case IDC_POINTER_HOLD:      FillSlotList(hControl, IDS_POINTER_ALWAYS); return 1;
    case IDC_POINTER_AREA_SPIN:
        SendMessageW(hControl, UDM_SETRANGE32, IR_AREA_MIN, IR_AREA_MAX);
        return 1;
    case IDC_POINTER_SPEED_SPIN:
        SendMessageW(hControl, UDM_SETRANGE32, GYRO_SPEED_MIN, GYRO_SPEED_MAX);
        return 1;
    }
    return 0;
}

/* The list item of a slot (POINTER_NO_SLOT the first one). */
static int SlotItem(BYTE nSlot)
{
    return nSlot < ASSIGN_SLOTS ? nSlot + 1 : 0;
}

static int ShownArea(const POINTER_SETTING *pPointer)
{
    return pPointer->nArea ? pPointer->nArea : IR_AREA_DEFAULT;
}

static int ShownSpeed(const POINTER_SETTING *pPointer)
{
    return pPointer->nSpeed ? pPointer->nSpeed : GYRO_SPEED_DEFAULT;
}

/* The fields of the kind not chosen are greyed, so nobody sets up what will not act. */
static void EnablePointerFields(HWND hPage, int nMode)
{
    static const int anIr[] = { IDC_POINTER_BAR, IDC_POINTER_AREA, IDC_POINTER_AREA_SPIN, IDC_POINTER_OFFSCREEN };
    static const int anGyro[] = { IDC_POINTER_SPEED, IDC_POINTER_SPEED_SPIN, IDC_POINTER_HOLD };
    for (int nId : anIr)
        EnableWindow(GetDlgItem(hPage, nId), nMode == POINTER_IR);
    for (int nId : anGyro)
        EnableWindow(GetDlgItem(hPage, nId), nMode == POINTER_GYRO);
}

int RefreshPointerControl(HWND hControl, int nId)
{
    const POINTER_SETTING *pPointer = &g_CurrentSet.Pointer;
    switch (nId) {
    case IDC_POINTER_MODE:
        SendMessageW(hControl, CB_SETCURSEL, pPointer->nMode, 0);
        EnablePointerFields(GetParent(hControl), pPointer->nMode);
        return 1;
    case IDC_POINTER_BAR:       SendMessageW(hControl, CB_SETCURSEL, pPointer->nBarPosition, 0); return 1;
    case IDC_POINTER_OFFSCREEN: SendMessageW(hControl, CB_SETCURSEL, SlotItem(pPointer->nOffScreenSlot), 0); return 1;
    case IDC_POINTER_HOLD:      SendMessageW(hControl, CB_SETCURSEL, SlotItem(pPointer->nHoldSlot), 0); return 1;
    case IDC_POINTER_AREA:      SetDlgItemInt(GetParent(hControl), nId, ShownArea(pPointer), FALSE); return 1;
    case IDC_POINTER_SPEED:     SetDlgItemInt(GetParent(hControl), nId, ShownSpeed(pPointer), FALSE); return 1;
    }
    return 0;
}

static int SelectedData(HWND hPage, int nId, LPARAM *plData)
{
    LRESULT nItem = SendDlgItemMessageW(hPage, nId, CB_GETCURSEL, 0, 0);
    if (nItem < 0)
        return 0;
    *plData = SendDlgItemMessageW(hPage, nId, CB_GETITEMDATA, (WPARAM)nItem, 0);
    return 1;
}

/* A number typed into an edit field, kept only within its range (a half-typed one is not). */
static int TypedNumber(HWND hPage, int nId, int nMin, int nMax, BYTE *pnValue)
{
    BOOL bOk = FALSE;
    UINT uValue = GetDlgItemInt(hPage, nId, &bOk, FALSE);
    if (!bOk || uValue < (UINT)nMin || uValue > (UINT)nMax || uValue == *pnValue)
        return 0;
    *pnValue = (BYTE)uValue;
    return 1;
}

int ApplyPointerCommand(HWND hPage, int nId, int nCode)
{
    POINTER_SETTING *pPointer = &g_CurrentSet.Pointer;
    LPARAM lData = 0;
    if (nCode == EN_CHANGE) {
        if (!bPagesReady)
            return 0;
        if (nId == IDC_POINTER_AREA)
            return TypedNumber(hPage, nId, IR_AREA_MIN, IR_AREA_MAX, &pPointer->nArea);
        if (nId == IDC_POINTER_SPEED)
            return TypedNumber(hPage, nId, GYRO_SPEED_MIN, GYRO_SPEED_MAX, &pPointer->nSpeed);
        return 0;
    }
    if (nCode != CBN_SELCHANGE || !SelectedData(hPage, nId, &lData))
        return 0;
    switch (nId) {
    case IDC_POINTER_MODE:
        pPointer->nMode = (BYTE)lData;
        EnablePointerFields(hPage, pPointer->nMode);
        return 1;
    case IDC_POINTER_BAR:       pPointer->nBarPosition = (BYTE)lData; return 1;
    case IDC_POINTER_OFFSCREEN: pPointer->nOffScreenSlot = (BYTE)lData; return 1;
    case IDC_POINTER_HOLD:      pPointer->nHoldSlot = (BYTE)lData; return 1;
    }
    return 0;
}
