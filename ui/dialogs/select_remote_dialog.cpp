/* select_remote_dialog.cpp - dialog 119: choose one of several remotes by its blinking LEDs. */
#include <windows.h>

#include <commctrl.h>
#include <stdio.h>

#include "app.h"
#include "dialogs.h"
#include "modal_ui.h"
#include "remote_link.h"
#include "resource.h"
#include "texts.h"

#define COLUMN_WIDTH   100
#define ROW_TEXT_CHARS 32
#define BLINK_MS       500
#define BLINK_TIMER    1

static void SetLeds(int nSlot, BYTE b1, BYTE b2, BYTE b3, BYTE b4, DWORD dwBlink)
{
    const BYTE abLed[REMOTE_LED_COUNT] = { b1, b2, b3, b4 };
    SetRemoteLeds(nSlot, abLed, dwBlink);
}

static int RowSlot(HWND hList, int nRow)
{
    LVITEMW item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_PARAM;
    item.iItem = nRow;
    if (!SendMessageW(hList, LVM_GETITEMW, 0, (LPARAM)&item))
        return -1;
    return (int)item.lParam;
}

static void AddColumn(HWND hList, int nColumn, UINT uText)
{
    WCHAR szText[ROW_TEXT_CHARS];
    LVCOLUMNW column;
    ZeroMemory(&column, sizeof(column));
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = COLUMN_WIDTH;
    column.pszText = (LPWSTR)LoadText(uText, szText, ROW_TEXT_CHARS);
    SendMessageW(hList, LVM_INSERTCOLUMNW, nColumn, (LPARAM)&column);
}

static void AddRow(HWND hList, int nRow, int nSlot)
{
    WCHAR szText[ROW_TEXT_CHARS], szFormat[ROW_TEXT_CHARS];
    _snwprintf(szText, ROW_TEXT_CHARS, LoadText(IDS_REMOTE_ROW, szFormat, ROW_TEXT_CHARS), nRow + 1);
    szText[ROW_TEXT_CHARS - 1] = L'\0';
    LVITEMW item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = nRow;
    item.pszText = szText;
    item.lParam = nSlot;
    SendMessageW(hList, LVM_INSERTITEMW, 0, (LPARAM)&item);

    int nLevel = 0, bOk;
    ReadRemoteBattery(nSlot, &nLevel, &bOk);
    _snwprintf(szText, ROW_TEXT_CHARS, L"%d%%", BatteryPercent(nLevel));
    szText[ROW_TEXT_CHARS - 1] = L'\0';
    item.mask = LVIF_TEXT;
    item.iSubItem = 1;
    SendMessageW(hList, LVM_SETITEMTEXTW, nRow, (LPARAM)&item);
}

static void SelectRow(HWND hList, int nRow)
{
    LVITEMW item;
    ZeroMemory(&item, sizeof(item));
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(hList, LVM_SETITEMSTATE, nRow, (LPARAM)&item);
}

static BOOL OnInitDialog(HWND hDlg, SELECT_REMOTE *pSelect)
{
    SetWindowLongPtrW(hDlg, DWLP_USER, (LONG_PTR)pSelect);
    int nCount = CountRemotes();
    for (int i = 0; i < TAVEL_SLOTS && pSelect->cSlots < nCount; i++)
        if (RemoteExists(i))
            pSelect->anSlot[pSelect->cSlots++] = i;
    HWND hList = GetDlgItem(hDlg, IDC_REMOTE_LIST);
    SendMessageW(hList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    AddColumn(hList, 0, IDS_REMOTE);
    AddColumn(hList, 1, IDS_BATTERY);
    for (int j = 0; j < pSelect->cSlots; j++)
        AddRow(hList, j, pSelect->anSlot[j]);
    SelectRow(hList, 0);
    pSelect->nBlinkSlot = -1;
    /* The remotes are not polled while the dialog is open, and the library blinks only polled
       ones: the dialog alternates the selected remote's LEDs itself. */
    SetTimer(hDlg, BLINK_TIMER, BLINK_MS, NULL);
    NMHDR header;
    header.hwndFrom = hList;
    header.idFrom = IDC_REMOTE_LIST;
    header.code = NM_CLICK;
    SendMessageW(hDlg, WM_NOTIFY, IDC_REMOTE_LIST, (LPARAM)&header);
    return TRUE;
}

/* LEDs 1+4 lit, then all four toggling every 500 ms: the library alternates them once it polls the remote. */
static void StartIdentification(int nSlot)
{
    SetLeds(nSlot, 1, 0, 0, 1, 0);
    SetLeds(nSlot, 1, 1, 1, 1, BLINK_MS);
}

/* The selected remote alternates LEDs 1+4 and 2+3; every other one shows LED 1. */
static void OnListClick(HWND hDlg)
{
    SELECT_REMOTE *pSelect = (SELECT_REMOTE *)GetWindowLongPtrW(hDlg, DWLP_USER);
    HWND hList = GetDlgItem(hDlg, IDC_REMOTE_LIST);
    int nSelected = (int)SendMessageW(hList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
    int nCount = CountRemotes();
    pSelect->nBlinkSlot = -1;
    pSelect->bBlinkPhase = 0;
    for (int i = 0; i < nCount; i++) {
        int nSlot = RowSlot(hList, i);
        if (nSlot < 0)
            continue;
        if (i == nSelected) {
            StartIdentification(nSlot);
            pSelect->nBlinkSlot = nSlot;
        } else {
            SetLeds(nSlot, 1, 0, 0, 0, 0);
        }
    }
}

static BOOL OnTimer(HWND hDlg)
{
    SELECT_REMOTE *pSelect = (SELECT_REMOTE *)GetWindowLongPtrW(hDlg, DWLP_USER);
    if (pSelect->nBlinkSlot < 0)
        return TRUE;
    pSelect->bBlinkPhase = !pSelect->bBlinkPhase;
    if (pSelect->bBlinkPhase)
        SetLeds(pSelect->nBlinkSlot, 0, 1, 1, 0, 0);
    else
        SetLeds(pSelect->nBlinkSlot, 1, 0, 0, 1, 0);
    return TRUE;
}

static void EndSelection(HWND hDlg, INT_PTR nResult)
{
    KillTimer(hDlg, BLINK_TIMER);
    /* The chosen remote goes on alternating once it is polled, until the set's pattern replaces it. */
    if (nResult >= 0)
        StartIdentification((int)nResult);
    EndDialog(hDlg, nResult);
}

static void OnOk(HWND hDlg)
{
    HWND hList = GetDlgItem(hDlg, IDC_REMOTE_LIST);
    int nSelected = (int)SendMessageW(hList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
    if (nSelected < 0) {
        ShowTextBox(hDlg, IDS_CHOOSE_ONE, IDS_APP_TITLE, MB_OK | MB_ICONWARNING);
        return;
    }
    EndSelection(hDlg, RowSlot(hList, nSelected));
}

static BOOL OnNotify(HWND hDlg, const NMHDR *pHeader)
{
    if (pHeader->idFrom == IDC_REMOTE_LIST && pHeader->code == (UINT)NM_CLICK)
        OnListClick(hDlg);
    return TRUE;
}

static BOOL OnCommand(HWND hDlg, UINT uCommand)
{
    if (uCommand == IDOK)
        OnOk(hDlg);
    else if (uCommand == IDCANCEL)
        EndSelection(hDlg, -1);
    return TRUE;
}

INT_PTR CALLBACK SelectRemoteDialog(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_INITDIALOG: return OnInitDialog(hDlg, (SELECT_REMOTE *)lParam);
    case WM_NOTIFY:     return OnNotify(hDlg, (const NMHDR *)lParam);
    case WM_COMMAND:    return OnCommand(hDlg, LOWORD(wParam));
    case WM_TIMER:      return OnTimer(hDlg);
    }
    return FALSE;
}
