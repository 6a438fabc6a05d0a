/* options_dialog.cpp - dialog 133: the program options, edited on a working copy. */
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include "app.h"
#include "dialogs.h"
#include "main_handlers.h"
#include "modal_ui.h"
#include "program_watch.h"
#include "resource.h"
#include "texts.h"

#define TIMEOUT_TEXT_CHARS 16

/* The record the dialog was opened with, and the copy it edits until OK. */
typedef struct OPTIONS_DIALOG {
    APP_OPTIONS *pOptions;
    APP_OPTIONS  Copy;
} OPTIONS_DIALOG;

/* The on/off switches: one check box each, bound to an int field of the record. */
typedef struct OPTION_SWITCH {
    int    nControl;
    size_t cbField;
} OPTION_SWITCH;

static const OPTION_SWITCH g_aSwitch[] = {
    { IDC_OPT_AUTO_CONNECT,  offsetof(APP_OPTIONS, bAutoConnect) },
    { IDC_OPT_CLOSE_TO_TRAY, offsetof(APP_OPTIONS, bCloseToTray) },
    { IDC_OPT_START_IN_TRAY, offsetof(APP_OPTIONS, bStartInTray) },
    { IDC_OPT_HIGHLIGHT_PRESSED,  offsetof(APP_OPTIONS, bHighlightPressed) },
    { IDC_OPT_PROGRAM_SWITCH,     offsetof(APP_OPTIONS, bProgramSets) },
    { IDC_OPT_IMMEDIATE_REACTION, offsetof(APP_OPTIONS, bImmediateReaction) },
};

/* The pause combinations offered. */
static const struct { DWORD dwSlots; int nText; } g_aPauseChoice[] = {
    { PAUSE_SLOTS_DEFAULT,             IDS_PAUSE_HOME_MINUS },
    { PAUSE_BIT_HOME | PAUSE_BIT_PLUS, IDS_PAUSE_HOME_PLUS },
    { PAUSE_BIT_MINUS | PAUSE_BIT_PLUS, IDS_PAUSE_MINUS_PLUS },
    { PAUSE_BIT_ONE | PAUSE_BIT_TWO,   IDS_PAUSE_ONE_TWO },
    { 0,                               IDS_PAUSE_NONE },
};

static int AddPauseItem(HWND hList, int nText, DWORD dwSlots)
{
    WCHAR szText[UI_TEXT_CHARS];
    int nItem = (int)SendMessageW(hList, CB_ADDSTRING, 0, (LPARAM)LoadText(nText, szText, UI_TEXT_CHARS));
    SendMessageW(hList, CB_SETITEMDATA, nItem, (LPARAM)dwSlots);
    return nItem;
}

/* A combination written into option.ini by hand stays what it is, as one more item, until
 * another is chosen. */
static void FillPauseList(HWND hList, DWORD dwSlots)
{
    int nSelect = -1;
    for (const auto &choice : g_aPauseChoice) {
        int nItem = AddPauseItem(hList, choice.nText, choice.dwSlots);
        if (choice.dwSlots == dwSlots)
            nSelect = nItem;
    }
    if (nSelect < 0)
        nSelect = AddPauseItem(hList, IDS_PAUSE_OTHER, dwSlots);
    SendMessageW(hList, CB_SETCURSEL, nSelect, 0);
}

static void OnPauseChanged(HWND hDlg, OPTIONS_DIALOG *pDialog)
{
    HWND hList = GetDlgItem(hDlg, IDC_OPT_PAUSE_SLOTS);
    int nItem = (int)SendMessageW(hList, CB_GETCURSEL, 0, 0);
    if (nItem >= 0)
        pDialog->Copy.dwPauseSlots = (DWORD)SendMessageW(hList, CB_GETITEMDATA, nItem, 0);
}

static int *SwitchField(APP_OPTIONS *pOptions, const OPTION_SWITCH *pSwitch)
{
    return (int *)((BYTE *)pOptions + pSwitch->cbField);
}

static const OPTION_SWITCH *FindSwitch(UINT uId)
{
    for (const OPTION_SWITCH &sw : g_aSwitch)
        if ((UINT)sw.nControl == uId)
            return &sw;
    return NULL;
}

static void ShowSwitches(HWND hDlg, APP_OPTIONS *pOptions)
{
    for (const OPTION_SWITCH &sw : g_aSwitch)
        CheckDlgButton(hDlg, sw.nControl, *SwitchField(pOptions, &sw) ? BST_CHECKED : BST_UNCHECKED);
}

static BOOL OnSwitchCommand(HWND hDlg, OPTIONS_DIALOG *pDialog, UINT uId, UINT uCode)
{
    const OPTION_SWITCH *pSwitch = FindSwitch(uId);
    if (!pSwitch)
        return FALSE;
    if (uCode == BN_CLICKED)
        *SwitchField(&pDialog->Copy, pSwitch) = IsDlgButtonChecked(hDlg, uId) == BST_CHECKED;
    return TRUE;
}

static OPTIONS_DIALOG *GetDialogRecord(HWND hDlg)
{
    return (OPTIONS_DIALOG *)GetWindowLongPtrW(hDlg, DWLP_USER);
}

static int AddTimeoutItem(HWND hList, DWORD dwTimeout)
{
    WCHAR szText[TIMEOUT_TEXT_CHARS];
    _snwprintf(szText, TIMEOUT_TEXT_CHARS, L"%d", (int)dwTimeout);
    szText[TIMEOUT_TEXT_CHARS - 1] = L'\0';
    return (int)SendMessageW(hList, CB_ADDSTRING, 0, (LPARAM)szText);
}

static void FillTimeoutList(HWND hList, DWORD dwTimeout)
{
    int nSelect = -1;
    for (DWORD dw : g_adwOfferedTimeout) {
        int nItem = AddTimeoutItem(hList, dw);
        if (dw == dwTimeout)
            nSelect = nItem;
    }
    /* ReadOptionsFrom gives only these values. */
    SendMessageW(hList, CB_SETCURSEL, nSelect, 0);
}

static BOOL OnInitDialog(HWND hDlg, APP_OPTIONS *pOptions)
{
    OPTIONS_DIALOG *pDialog = (OPTIONS_DIALOG *)calloc(1, sizeof(OPTIONS_DIALOG));
    if (!pDialog || !pOptions) {
        free(pDialog);
        EndDialog(hDlg, IDCANCEL);
        return TRUE;
    }
    SetWindowLongPtrW(hDlg, DWLP_USER, (LONG_PTR)pDialog);
    pDialog->pOptions = pOptions;
    CheckDlgButton(hDlg, IDC_OPT_INIT_SET, pOptions->bInitSet ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextW(hDlg, IDC_OPT_SETTING_FILE, pOptions->szSettingFilename);
    CheckDlgButton(hDlg, IDC_OPT_CONNECT, pOptions->bConnect ? BST_CHECKED : BST_UNCHECKED);
    FillTimeoutList(GetDlgItem(hDlg, IDC_OPT_TIMEOUT), pOptions->dwTimeout);
    ShowSwitches(hDlg, pOptions);
    FillPauseList(GetDlgItem(hDlg, IDC_OPT_PAUSE_SLOTS), pOptions->dwPauseSlots);
    pDialog->Copy = *pOptions;
    return TRUE;
}

static void OnInitSetClicked(HWND hDlg, OPTIONS_DIALOG *pDialog)
{
    int bChecked = IsDlgButtonChecked(hDlg, IDC_OPT_INIT_SET) == BST_CHECKED;
    pDialog->Copy.bInitSet = bChecked;
    EnableWindow(GetDlgItem(hDlg, IDC_OPT_SETTING_FILE), bChecked);
    EnableWindow(GetDlgItem(hDlg, IDC_OPT_BROWSE), bChecked);
}

static void OnTimeoutChanged(HWND hDlg, OPTIONS_DIALOG *pDialog)
{
    HWND hList = GetDlgItem(hDlg, IDC_OPT_TIMEOUT);
    int nItem = (int)SendMessageW(hList, CB_GETCURSEL, 0, 0);
    WCHAR szText[TIMEOUT_TEXT_CHARS];
    if (nItem < 0 || SendMessageW(hList, CB_GETLBTEXTLEN, nItem, 0) >= TIMEOUT_TEXT_CHARS)
        return;
    SendMessageW(hList, CB_GETLBTEXT, nItem, (LPARAM)szText);
    pDialog->Copy.dwTimeout = (DWORD)wcstoul(szText, NULL, 10);
}

static void OnBrowse(HWND hDlg)
{
    WCHAR szFile[MAX_PATH], szTitle[MAX_PATH], szFilter[UI_TEXT_CHARS], szDialogTitle[UI_TEXT_CHARS];
    if (ChooseFile(hDlg, szTitle, szFile, LoadFilter(IDS_SETTING_FILTER, szFilter, UI_TEXT_CHARS),
                   LoadText(IDS_OPEN_TITLE, szDialogTitle, UI_TEXT_CHARS), 0))
        SetDlgItemTextW(hDlg, IDC_OPT_SETTING_FILE, szFile);
}

static void OnOk(HWND hDlg, OPTIONS_DIALOG *pDialog)
{
    GetDlgItemTextW(hDlg, IDC_OPT_SETTING_FILE, pDialog->Copy.szSettingFilename, MAX_PATH);
    *pDialog->pOptions = pDialog->Copy;
    EndDialog(hDlg, IDOK);
}

static BOOL OnDialogCommand(HWND hDlg, UINT uId, UINT uCode)
{
    OPTIONS_DIALOG *pDialog = GetDialogRecord(hDlg);
    if (!pDialog)
        return FALSE;
    switch (uId) {
    case IDC_OPT_INIT_SET: if (uCode == BN_CLICKED) OnInitSetClicked(hDlg, pDialog); return TRUE;
    case IDC_OPT_CONNECT:  if (uCode == BN_CLICKED) pDialog->Copy.bConnect = IsDlgButtonChecked(hDlg, IDC_OPT_CONNECT) == BST_CHECKED; return TRUE;
    case IDC_OPT_TIMEOUT:  if (uCode == CBN_SELCHANGE) OnTimeoutChanged(hDlg, pDialog); return TRUE;
    case IDC_OPT_PAUSE_SLOTS: if (uCode == CBN_SELCHANGE) OnPauseChanged(hDlg, pDialog); return TRUE;
    case IDC_OPT_BROWSE:   OnBrowse(hDlg); return TRUE;
    case IDC_OPT_PROGRAM_SETS: EditProgramSets(hDlg); return TRUE;
    case IDOK:             OnOk(hDlg, pDialog); return TRUE;
    case IDCANCEL:         EndDialog(hDlg, IDCANCEL); return TRUE;
    }
    return OnSwitchCommand(hDlg, pDialog, uId, uCode);
}

static void ReleaseDialogRecord(HWND hDlg)
{
    free(GetDialogRecord(hDlg));
    SetWindowLongPtrW(hDlg, DWLP_USER, 0);
}

INT_PTR CALLBACK OptionsDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_INITDIALOG: return OnInitDialog(hDlg, (APP_OPTIONS *)lParam);
    case WM_COMMAND:    return OnDialogCommand(hDlg, LOWORD(wParam), HIWORD(wParam));
    case WM_DESTROY:    ReleaseDialogRecord(hDlg); return FALSE;
    }
    return FALSE;
}
