/* program_sets_dialog.cpp - dialog 140: which program uses which settings file. */
#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>
#include <stdlib.h>

#include "app.h"
#include "dialogs.h"
#include "main_handlers.h"
#include "modal_ui.h"
#include "program_watch.h"
#include "resource.h"
#include "texts.h"

#define PROGRAM_COLUMN_WIDTH 130
#define FILE_COLUMN_WIDTH    300
#define DIALOG_TEXT_CHARS    512

/* The list as the dialog edits it; g_ProgramSets changes only on OK. */
typedef struct PROGRAM_SETS_DIALOG {
    PROGRAM_SET_LIST List;
} PROGRAM_SETS_DIALOG;

static PROGRAM_SETS_DIALOG *GetDialogRecord(HWND hDlg)
{
    return (PROGRAM_SETS_DIALOG *)GetWindowLongPtrW(hDlg, DWLP_USER);
}

static void AddColumn(HWND hList, int nColumn, UINT uText, int cx)
{
    WCHAR szText[DIALOG_TEXT_CHARS];
    LoadText(uText, szText, DIALOG_TEXT_CHARS);
    LVCOLUMNW column;
    ZeroMemory(&column, sizeof(column));
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = cx;
    column.pszText = szText;
    SendMessageW(hList, LVM_INSERTCOLUMNW, nColumn, (LPARAM)&column);
}

static int SelectedRow(HWND hDlg)
{
    return (int)SendDlgItemMessageW(hDlg, IDC_PROGRAM_LIST, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
}

static void FillList(HWND hDlg, const PROGRAM_SET_LIST *pList, int nSelect)
{
    HWND hList = GetDlgItem(hDlg, IDC_PROGRAM_LIST);
    SendMessageW(hList, LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < pList->nCount; i++) {
        LVITEMW item;
        ZeroMemory(&item, sizeof(item));
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = (LPWSTR)pList->aEntry[i].szProgram;
        SendMessageW(hList, LVM_INSERTITEMW, 0, (LPARAM)&item);
        item.iSubItem = 1;
        item.pszText = (LPWSTR)pList->aEntry[i].szSettingFile;
        SendMessageW(hList, LVM_SETITEMTEXTW, i, (LPARAM)&item);
    }
    if (nSelect >= 0) {
        LVITEMW item;
        ZeroMemory(&item, sizeof(item));
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(hList, LVM_SETITEMSTATE, nSelect, (LPARAM)&item);
    }
}

/* Names the program the add button takes: the last one other than Zan in the foreground. */
static void ShowCandidate(HWND hDlg)
{
    WCHAR szFormat[DIALOG_TEXT_CHARS], szText[DIALOG_TEXT_CHARS];
    LPCWSTR pszProgram = GetLastForeignProgram();
    if (pszProgram[0]) {
        LoadText(IDS_PROGRAM_CANDIDATE, szFormat, DIALOG_TEXT_CHARS);
        wnsprintfW(szText, DIALOG_TEXT_CHARS, szFormat, pszProgram);
    } else {
        LoadText(IDS_PROGRAM_NO_CANDIDATE, szText, DIALOG_TEXT_CHARS);
    }
    SetDlgItemTextW(hDlg, IDC_PROGRAM_CANDIDATE, szText);
}

/* Lines of the section that were not taken: said, since OK rewrites the section without them. */
static void ShowRefused(HWND hDlg, int nRefused)
{
    WCHAR szFormat[DIALOG_TEXT_CHARS], szText[DIALOG_TEXT_CHARS] = L"";
    if (nRefused > 0)
        wnsprintfW(szText, DIALOG_TEXT_CHARS, LoadText(IDS_PROGRAM_REFUSED, szFormat, DIALOG_TEXT_CHARS), nRefused);
    SetDlgItemTextW(hDlg, IDC_PROGRAM_REFUSED, szText);
}

static BOOL OnInitDialog(HWND hDlg)
{
    PROGRAM_SETS_DIALOG *pDialog = (PROGRAM_SETS_DIALOG *)calloc(1, sizeof(PROGRAM_SETS_DIALOG));
    if (!pDialog) {
        EndDialog(hDlg, IDCANCEL);
        return TRUE;
    }
    SetWindowLongPtrW(hDlg, DWLP_USER, (LONG_PTR)pDialog);
    pDialog->List = g_ProgramSets;
    HWND hList = GetDlgItem(hDlg, IDC_PROGRAM_LIST);
    SendMessageW(hList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    AddColumn(hList, 0, IDS_PROGRAM_COLUMN, PROGRAM_COLUMN_WIDTH);
    AddColumn(hList, 1, IDS_PROGRAM_FILE_COLUMN, FILE_COLUMN_WIDTH);
    FillList(hDlg, &pDialog->List, pDialog->List.nCount ? 0 : -1);
    ShowCandidate(hDlg);
    ShowRefused(hDlg, pDialog->List.nRefused);
    return TRUE;
}

static void Warn(HWND hDlg, UINT uText)
{
    ShowTextBox(hDlg, uText, IDS_APP_TITLE, MB_OK | MB_ICONWARNING);
}

static int ChooseSetFile(HWND hDlg, WCHAR *pszFile)
{
    WCHAR szTitle[DIALOG_TEXT_CHARS], szFileTitle[MAX_PATH], szFilter[UI_TEXT_CHARS];
    LoadText(IDS_PROGRAM_FILE_TITLE, szTitle, DIALOG_TEXT_CHARS);
    return ChooseFile(hDlg, szFileTitle, pszFile, LoadFilter(IDS_SETTING_FILTER, szFilter, UI_TEXT_CHARS), szTitle, 0);
}

static void OnAdd(HWND hDlg, PROGRAM_SETS_DIALOG *pDialog)
{
    LPCWSTR pszProgram = GetLastForeignProgram();
    if (!pszProgram[0]) {
        Warn(hDlg, IDS_PROGRAM_ADD_NONE);
        return;
    }
    if (FindProgramSet(&pDialog->List, pszProgram) < 0 && pDialog->List.nCount >= PROGRAM_SETS_MAX) {
        Warn(hDlg, IDS_PROGRAM_LIST_FULL);
        return;
    }
    WCHAR szFile[MAX_PATH];
    if (!ChooseSetFile(hDlg, szFile))
        return;
    FillList(hDlg, &pDialog->List, PutProgramSet(&pDialog->List, pszProgram, szFile));
}

static void OnChooseFile(HWND hDlg, PROGRAM_SETS_DIALOG *pDialog)
{
    int nRow = SelectedRow(hDlg);
    WCHAR szFile[MAX_PATH];
    if (nRow < 0 || nRow >= pDialog->List.nCount || !ChooseSetFile(hDlg, szFile))
        return;
    lstrcpynW(pDialog->List.aEntry[nRow].szSettingFile, szFile, MAX_PATH);
    FillList(hDlg, &pDialog->List, nRow);
}

static void OnRemove(HWND hDlg, PROGRAM_SETS_DIALOG *pDialog)
{
    int nRow = SelectedRow(hDlg);
    if (nRow < 0)
        return;
    RemoveProgramSet(&pDialog->List, nRow);
    FillList(hDlg, &pDialog->List, nRow < pDialog->List.nCount ? nRow : pDialog->List.nCount - 1);
}

static void OnOk(HWND hDlg, PROGRAM_SETS_DIALOG *pDialog)
{
    g_ProgramSets = pDialog->List;
    if (WriteProgramSets(g_szOptionsFile, &g_ProgramSets))
        g_ProgramSets.nRefused = 0;
    EndDialog(hDlg, IDOK);
}

static BOOL OnDialogCommand(HWND hDlg, UINT uId)
{
    PROGRAM_SETS_DIALOG *pDialog = GetDialogRecord(hDlg);
    if (!pDialog)
        return FALSE;
    switch (uId) {
    case IDC_PROGRAM_ADD:    OnAdd(hDlg, pDialog); return TRUE;
    case IDC_PROGRAM_FILE:   OnChooseFile(hDlg, pDialog); return TRUE;
    case IDC_PROGRAM_REMOVE: OnRemove(hDlg, pDialog); return TRUE;
    case IDOK:               OnOk(hDlg, pDialog); return TRUE;
    case IDCANCEL:           EndDialog(hDlg, IDCANCEL); return TRUE;
    }
    return FALSE;
}

static void ReleaseDialogRecord(HWND hDlg)
{
    free(GetDialogRecord(hDlg));
    SetWindowLongPtrW(hDlg, DWLP_USER, 0);
}

static INT_PTR CALLBACK ProgramSetsDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (uMsg) {
    case WM_INITDIALOG: return OnInitDialog(hDlg);
    case WM_COMMAND:    return OnDialogCommand(hDlg, LOWORD(wParam));
    case WM_DESTROY:    ReleaseDialogRecord(hDlg); return FALSE;
    }
    return FALSE;
}

INT_PTR EditProgramSets(HWND hOwner)
{
    return RunModalDialog(IDD_PROGRAM_SETS, hOwner, ProgramSetsDlgProc, 0);
}
