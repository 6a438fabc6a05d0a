/* key_dialog.cpp - the key setting dialog: edits a working copy of one slot's entry and
 * stores it into the current set on OK. */
#include "key_dialog.h"

#include <imm.h>
#include <shlwapi.h>
#include <string.h>

#include "app.h"
#include "dialogs.h"
#include "modal_ui.h"
#include "pointer.h"
#include "press_mode.h"
#include "resource.h"
#include "setting_file.h"
#include "texts.h"

/* The amount field holds at most four digits. */
#define AMOUNT_CHARS 4
#define PATH_FIELD_CHARS MAX_PATH

static KEY_DIALOG *DialogOf(HWND hDlg)
{
    return (KEY_DIALOG *)GetWindowLongPtrW(hDlg, DWLP_USER);
}

static int IsMoveAction(int nAction)
{
    return nAction >= MOUSE_MOVE_UP && nAction <= MOUSE_MOVE_RIGHT;
}

/* Replaces the working copy's private path by a duplicate of pszPath (NULL: none). */
static int SetWorkPath(KEY_DIALOG *pDialog, LPCWSTR pszPath)
{
    WCHAR *pszNew = NULL;
    int cch = pszPath ? lstrlenW(pszPath) : 0;
    if (cch > 0) {
        pszNew = AllocPathText(cch);
        if (!pszNew)
            return 0;
        memcpy(pszNew, pszPath, (SIZE_T)cch * sizeof(WCHAR));
    }
    FreePathText(pDialog->work.pszPath);
    pDialog->work.pszPath = pszNew;
    pDialog->work.nPathLength = cch;
    return 1;
}

static void EnableItem(HWND hDlg, int nId, int bEnable)
{
    EnableWindow(GetDlgItem(hDlg, nId), bEnable);
}

static void EnableForKind(HWND hDlg, const ASSIGNMENT *pWork)
{
    int nKind = pWork->nKind;
    int bMove = nKind == ASSIGN_MOUSE && IsMoveAction(pWork->nMouseAction);
    EnableItem(hDlg, IDC_KEY_FIELD, nKind == ASSIGN_KEY);
    EnableItem(hDlg, IDC_MOUSE_ACTION, nKind == ASSIGN_MOUSE);
    EnableItem(hDlg, IDC_MOVE_AMOUNT_LABEL, bMove);
    EnableItem(hDlg, IDC_MOVE_AMOUNT, bMove);
    EnableItem(hDlg, IDC_APP_PATH, nKind == ASSIGN_APPLICATION);
    EnableItem(hDlg, IDC_APP_BROWSE, nKind == ASSIGN_APPLICATION);
    EnableModeFields(hDlg, pWork);
}

static void ShowMouseFields(HWND hDlg, const ASSIGNMENT *pWork)
{
    /* An action out of range selects nothing rather than indexing past the list. */
    WPARAM nSel = pWork->nMouseAction < MOUSE_ACTIONS ? pWork->nMouseAction : (WPARAM)-1;
    SendDlgItemMessageW(hDlg, IDC_MOUSE_ACTION, CB_SETCURSEL, nSel, 0);
    SetDlgItemInt(hDlg, IDC_MOVE_AMOUNT, pWork->wMoveAmount, FALSE);
}

static void ShowPathField(HWND hDlg, const ASSIGNMENT *pWork)
{
    SetDlgItemTextW(hDlg, IDC_APP_PATH, pWork->pszPath ? pWork->pszPath : L"");
}

static int RadioOfKind(int nKind)
{
    switch (nKind) {
    case ASSIGN_KEY:         return IDC_KIND_KEY;
    case ASSIGN_MOUSE:       return IDC_KIND_MOUSE;
    case ASSIGN_APPLICATION: return IDC_KIND_APPLICATION;
    case ASSIGN_LAYER:       return IDC_KIND_LAYER;
    }
    return IDC_KIND_DISABLED;
}

/* Enables the controls of the current kind and shows that kind's fields again. */
static void RefreshKind(KEY_DIALOG *pDialog)
{
    HWND hDlg = pDialog->hDlg;
    EnableForKind(hDlg, &pDialog->work);
    switch (pDialog->work.nKind) {
    case ASSIGN_KEY:         ShowKeyText(pDialog); break;
    case ASSIGN_MOUSE:       ShowMouseFields(hDlg, &pDialog->work); break;
    case ASSIGN_APPLICATION: ShowPathField(hDlg, &pDialog->work); break;
    }
    ShowModeFields(hDlg, &pDialog->work);
}

static BYTE KindOfRadio(int nId)
{
    switch (nId) {
    case IDC_KIND_KEY:         return ASSIGN_KEY;
    case IDC_KIND_MOUSE:       return ASSIGN_MOUSE;
    case IDC_KIND_APPLICATION: return ASSIGN_APPLICATION;
    case IDC_KIND_LAYER:       return ASSIGN_LAYER;
    }
    return ASSIGN_DISABLED;
}

static void FillMouseList(HWND hDlg)
{
    for (int i = 0; i < IDS_MOUSE_ACTION_COUNT; i++) {
        WCHAR szName[64] = L"";
        LoadStringW(g_App.hInstance, IDS_MOUSE_ACTION_FIRST + i, szName, 64);
        SendDlgItemMessageW(hDlg, IDC_MOUSE_ACTION, CB_ADDSTRING, 0, (LPARAM)szName);
    }
}

static void MakeRadiosAutomatic(HWND hDlg)
{
    for (int nId = IDC_KIND_KEY; nId <= IDC_KIND_LAYER; nId++)
        SendDlgItemMessageW(hDlg, nId, BM_SETSTYLE, BS_AUTORADIOBUTTON, FALSE);
}

static void FillControls(KEY_DIALOG *pDialog)
{
    HWND hDlg = pDialog->hDlg;
    const ASSIGNMENT *pWork = &pDialog->work;
    CheckRadioButton(hDlg, IDC_KIND_KEY, IDC_KIND_LAYER, RadioOfKind(pWork->nKind));
    EnableItem(hDlg, IDC_KIND_LAYER, OffersLayerKind(pDialog));
    EnableForKind(hDlg, pWork);
    ShowKeyText(pDialog);
    ShowMouseFields(hDlg, pWork);
    ShowPathField(hDlg, pWork);
    ShowModeFields(hDlg, pWork);
}

/* The set's pointer may press this slot or read it too: the dialog says so. */
static void ShowPointerUse(HWND hDlg, int nSlot)
{
    int nUse = nSlot < 0 ? POINTER_USE_NONE : PointerUseOfSlot(&g_CurrentSet, nSlot);
    WCHAR szNote[128] = L"";
    if (nUse != POINTER_USE_NONE)
        LoadStringW(g_App.hInstance, nUse == POINTER_USE_HOLD ? IDS_POINTER_USE_HOLD : IDS_POINTER_USE_OFFSCREEN,
                    szNote, 128);
    SetDlgItemTextW(hDlg, IDC_POINTER_USE, szNote);
}

static void EndKeyDialog(KEY_DIALOG *pDialog, int nResult)
{
    if (pDialog->hHook)
        UnhookWindowsHookEx(pDialog->hHook);
    pDialog->hHook = NULL;
    EndDialog(pDialog->hDlg, nResult);
}

static BOOL OnInitDialog(HWND hDlg, ASSIGNMENT *pEntry)
{
    KEY_DIALOG *pDialog = (KEY_DIALOG *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(KEY_DIALOG));
    if (!pDialog || !pEntry) {
        if (pDialog)
            HeapFree(GetProcessHeap(), 0, pDialog);
        EndDialog(hDlg, IDCANCEL);
        return TRUE;
    }
    SetWindowLongPtrW(hDlg, DWLP_USER, (LONG_PTR)pDialog);
    pDialog->pEntry = pEntry;
    pDialog->hDlg = hDlg;
    pDialog->nLayer = LayerOfEntry(&g_CurrentSet, pEntry) == 1;
    pDialog->hHook = SetWindowsHookExW(WH_KEYBOARD, KeyCaptureHook, NULL, GetCurrentThreadId());
    MakeRadiosAutomatic(hDlg);

    pDialog->work = *pEntry;
    pDialog->work.pszPath = NULL;
    SetWorkPath(pDialog, pEntry->pszPath);
    /* A damaged entry is edited as the loader would have made it. */
    SanitizeAssignment(&pDialog->work);

    pDialog->hKeyField = GetDlgItem(hDlg, IDC_KEY_FIELD);
    SetWindowLongPtrW(pDialog->hKeyField, GWLP_USERDATA, (LONG_PTR)pDialog);
    pDialog->pfnFieldProc = (WNDPROC)SetWindowLongPtrW(pDialog->hKeyField, GWLP_WNDPROC, (LONG_PTR)KeyFieldProc);
    /* With an input method on, the hook would see VK_PROCESSKEY instead of the key:
     * the key field never has one. */
    ImmAssociateContext(pDialog->hKeyField, NULL);

    FillMouseList(hDlg);
    FillModeLists(hDlg);
    SendDlgItemMessageW(hDlg, IDC_MOVE_AMOUNT, EM_LIMITTEXT, AMOUNT_CHARS, 0);
    FillControls(pDialog);
    ShowPointerUse(hDlg, SlotOfEntry(&g_CurrentSet, pEntry));
    return TRUE;
}

static void OnKindChosen(KEY_DIALOG *pDialog, BYTE nKind)
{
    pDialog->work.nKind = nKind;
    RefreshKind(pDialog);
}

static void OnMouseActionChanged(KEY_DIALOG *pDialog)
{
    LRESULT nSel = SendDlgItemMessageW(pDialog->hDlg, IDC_MOUSE_ACTION, CB_GETCURSEL, 0, 0);
    if (nSel >= 0 && nSel < MOUSE_ACTIONS)
        pDialog->work.nMouseAction = (BYTE)nSel;
    RefreshKind(pDialog);
}

static void OnBrowse(KEY_DIALOG *pDialog)
{
    WCHAR szFile[MAX_PATH] = L"", szTitle[MAX_PATH] = L"";
    WCHAR szFilter[UI_TEXT_CHARS], szDialogTitle[UI_TEXT_CHARS];
    if (!ChooseFile(pDialog->hDlg, szTitle, szFile, LoadFilter(IDS_ALL_FILES_FILTER, szFilter, UI_TEXT_CHARS),
                    LoadText(IDS_APPLICATION_TITLE, szDialogTitle, UI_TEXT_CHARS), 0))
        return;
    if (SetWorkPath(pDialog, szFile) && pDialog->work.nKind == ASSIGN_APPLICATION)
        ShowPathField(pDialog->hDlg, &pDialog->work);
}

/* Enter and Esc never close the dialog: they are keys to be assigned. */
static int IsEnterOrEscHeld(void)
{
    return GetKeyState(VK_RETURN) < 0 || GetKeyState(VK_ESCAPE) < 0;
}

static WORD ReadAmount(HWND hDlg)
{
    WCHAR szAmount[AMOUNT_CHARS + 1] = L"";
    GetDlgItemTextW(hDlg, IDC_MOVE_AMOUNT, szAmount, AMOUNT_CHARS + 1);
    WORD wAmount = 0;
    for (int i = 0; szAmount[i] >= L'0' && szAmount[i] <= L'9'; i++)
        wAmount = (WORD)(wAmount * 10 + (szAmount[i] - L'0'));
    return wAmount;
}

/* Takes the path field into the working copy; 0 when the user keeps the dialog open. */
static int AcceptPath(KEY_DIALOG *pDialog)
{
    WCHAR szPath[PATH_FIELD_CHARS] = L"";
    GetDlgItemTextW(pDialog->hDlg, IDC_APP_PATH, szPath, PATH_FIELD_CHARS);
    if (!szPath[0]) {
        SetWorkPath(pDialog, NULL);
        return 1;
    }
    /* A settings file could not hold it and every later save would fail: another name is
     * chosen while the dialog is still open. */
    if (!CanStorePath(szPath)) {
        ShowTextBox(pDialog->hDlg, IDS_UNSTORABLE_PATH, IDS_APP_TITLE, MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    if (!SetWorkPath(pDialog, szPath))
        return 0;
    if (PathFileExistsW(szPath))
        return 1;
    return ShowTextBox(pDialog->hDlg, IDS_MISSING_APPLICATION, IDS_APP_TITLE, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

static void OnOk(KEY_DIALOG *pDialog)
{
    if (IsEnterOrEscHeld() || !AcceptPath(pDialog))
        return;
    pDialog->work.wMoveAmount = ReadAmount(pDialog->hDlg);
    AcceptModeFields(pDialog);
    LockRecord();
    WCHAR *pszOld = pDialog->pEntry->pszPath;
    *pDialog->pEntry = pDialog->work;
    UnlockRecord();
    FreePathText(pszOld);  /* only now that the entry no longer refers to it */
    pDialog->work.pszPath = NULL;  /* the entry owns it */
    MarkModified();
    EndKeyDialog(pDialog, IDOK);
}

static void OnCancel(KEY_DIALOG *pDialog)
{
    if (IsEnterOrEscHeld())
        return;
    SetWorkPath(pDialog, NULL);
    EndKeyDialog(pDialog, IDCANCEL);
}

static BOOL OnCommand(HWND hDlg, int nId, int nCode)
{
    KEY_DIALOG *pDialog = DialogOf(hDlg);
    if (!pDialog)
        return FALSE;
    switch (nId) {
    case IDC_KIND_KEY:
    case IDC_KIND_MOUSE:
    case IDC_KIND_APPLICATION:
    case IDC_KIND_DISABLED:
    case IDC_KIND_LAYER:
        if (nCode == BN_CLICKED)
            OnKindChosen(pDialog, KindOfRadio(nId));
        return TRUE;
    case IDC_MOUSE_ACTION:
        if (nCode == CBN_SELCHANGE)
            OnMouseActionChanged(pDialog);
        return TRUE;
    case IDC_PRESS_MODE:
        if (nCode == CBN_SELCHANGE)
            OnPressModeChanged(pDialog);
        return TRUE;
    case IDC_LAYER_MODE:
        if (nCode == CBN_SELCHANGE)
            OnLayerModeChanged(pDialog);
        return TRUE;
    case IDC_APP_BROWSE:
        if (nCode == BN_CLICKED)
            OnBrowse(pDialog);
        return TRUE;
    case IDOK:                 OnOk(pDialog); return TRUE;
    case IDCANCEL:             OnCancel(pDialog); return TRUE;
    }
    return FALSE;
}

/* However the dialog goes, the hook, the private path and the record go with it. */
static void OnDestroy(HWND hDlg)
{
    KEY_DIALOG *pDialog = DialogOf(hDlg);
    if (!pDialog)
        return;
    if (pDialog->hHook)
        UnhookWindowsHookEx(pDialog->hHook);
    FreePathText(pDialog->work.pszPath);
    SetWindowLongPtrW(pDialog->hKeyField, GWLP_USERDATA, 0);
    if (pDialog->pfnFieldProc)
        SetWindowLongPtrW(pDialog->hKeyField, GWLP_WNDPROC, (LONG_PTR)pDialog->pfnFieldProc);
    SetWindowLongPtrW(hDlg, DWLP_USER, 0);
    HeapFree(GetProcessHeap(), 0, pDialog);
}

INT_PTR CALLBACK KeySettingDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_INITDIALOG: return OnInitDialog(hDlg, (ASSIGNMENT *)lParam);
    case WM_COMMAND:    return OnCommand(hDlg, LOWORD(wParam), HIWORD(wParam));
    case WM_DESTROY:    OnDestroy(hDlg); return FALSE;
    }
    return FALSE;
}
