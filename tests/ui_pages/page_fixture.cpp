#include "page_fixture.h"

#include <string.h>

#include <commctrl.h>

#include "pages.h"
#include "slot_button.h"
#include "tavel.h"
#include "ui_seam.h"

SeamLog g_Seen;

namespace {

int Next(std::vector<int> &answers, int nOtherwise) {
    if (answers.empty())
        return nOtherwise;
    int n = answers.front();
    answers.erase(answers.begin());
    return n;
}

int AnswerMenu(HMENU hMenu, int, int, HWND) {
    g_Seen.nMenus++;
    UINT uPaste = GetMenuState(hMenu, ID_SLOT_PASTE, MF_BYCOMMAND);
    g_Seen.bPasteGreyed = uPaste != (UINT)-1 && (uPaste & MF_GRAYED);
    UINT uLayer = GetMenuState(hMenu, ID_SLOT_KIND_LAYER, MF_BYCOMMAND);
    g_Seen.bLayerKindGreyed = uLayer != (UINT)-1 && (uLayer & MF_GRAYED);
    return Next(g_Seen.menuAnswers, 0);
}

int WINAPI AnswerBox(HWND, LPCWSTR pszText, LPCWSTR, UINT) {
    g_Seen.nBoxes++;
    g_Seen.boxText = pszText ? pszText : L"";
    return Next(g_Seen.boxAnswers, IDCANCEL);
}

BOOL WINAPI AnswerOpen(LPOPENFILENAMEW pOfn) {
    if (g_Seen.chosenFile.empty())
        return FALSE;
    lstrcpynW(pOfn->lpstrFile, g_Seen.chosenFile.c_str(), pOfn->nMaxFile);
    return TRUE;
}

BOOL WINAPI CountBeep(UINT) {
    g_Seen.nBeeps++;
    return TRUE;
}

std::function<void(HWND)> g_dialogBody;
bool g_bDialogSeen;

BOOL CALLBACK FindKeyDialogProc(HWND hWnd, LPARAM lParam) {
    if (IsWindowVisible(hWnd) && GetDlgItem(hWnd, IDC_KEY_FIELD)) {
        *(HWND *)lParam = hWnd;
        return FALSE;
    }
    return TRUE;
}

VOID CALLBACK WatchForDialog(HWND, UINT, UINT_PTR idTimer, DWORD) {
    HWND hDlg = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindKeyDialogProc, (LPARAM)&hDlg);
    if (!hDlg || g_bDialogSeen)
        return;
    KillTimer(NULL, idTimer);
    g_bDialogSeen = true;
    g_dialogBody(hDlg);
    if (IsWindow(hDlg) && IsWindowVisible(hDlg))
        EndDialog(hDlg, -1);
}

HWND g_hHost;

}  // namespace

void PagesTest::SetUp() {
    ReleaseAssignmentPaths(&g_CurrentSet);
    InitAssignmentSet(&g_CurrentSet);
    ResetProgramState();
    g_PageState = PAGE_STATE{};
    g_App.nShownLayer = 0;
    g_Seen = SeamLog{};
    ASSERT_TRUE(CreateRecordLock());
    nPathsBefore = CountPathTexts();
    UI_SEAM ui = g_UiSeam;
    ui.pfnTrackMenu = AnswerMenu;
    ui.pfnMessageBox = AnswerBox;
    ui.pfnGetOpenFileName = AnswerOpen;
    ui.pfnMessageBeep = CountBeep;
    SetUiSeam(&ui);

    InitCommonControls();
    g_App.hInstance = GetModuleHandleW(NULL);
    g_App.hFont = CreateFontW(-12, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"メイリオ");
    // One host window for the whole process: only the pages come and go.
    if (!g_hHost)
        g_hHost = CreateWindowExW(0, L"Static", L"Zan", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 20, 20, 680, 640,
                                  NULL, NULL, NULL, NULL);
    hHost = g_App.hMainWnd = g_hHost;
    ASSERT_TRUE(hHost);
    CreatePages(hHost);
    // The tab over the whole host, the pages in its display area, as the main window lays them out.
    RECT rc;
    GetClientRect(hHost, &rc);
    MoveWindow(g_App.hTab, 0, 0, rc.right, rc.bottom, TRUE);
    SendMessageW(g_App.hTab, TCM_ADJUSTRECT, FALSE, (LPARAM)&rc);
    for (HWND hPage : g_App.ahPage)
        SetWindowPos(hPage, NULL, rc.left, rc.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RefreshPages();
}

void PagesTest::TearDown() {
    if (pSim) {
        wm_Close();
        SimUninstall();
    }
    SetUiSeam(NULL);
    DestroyWindow(g_App.hTab);
    for (HBITMAP h : g_App.ahKindBitmap)
        DeleteObject(h);
    DeleteObject(g_App.hFont);
    g_App = APP_WINDOW{};
    ReleaseAssignmentPaths(&g_CurrentSet);
    EXPECT_EQ(nPathsBefore, CountPathTexts()) << "a path string was leaked or freed twice";
    // Every edit gives the lock back.
    EXPECT_TRUE(TryLockRecord()) << "the record lock was left taken";
    UnlockRecord();
    CloseRecordLock();
}

HWND PagesTest::PageOfSlot(int nSlot) {
    if (nSlot < SLOT_FIRST_NUNCHUK)
        return g_App.ahPage[PAGE_REMOTE];
    return g_App.ahPage[nSlot < SLOT_FIRST_CLASSIC ? PAGE_NUNCHUK : PAGE_CLASSIC];
}

void PagesTest::SetKeys(ASSIGNMENT &a, std::initializer_list<WORD> keys) {
    a.nKeyCount = 0;
    for (WORD k : keys)
        a.awKey[a.nKeyCount++] = k;
}

void PagesTest::SetPath(ASSIGNMENT &a, const wchar_t *pszPath) {
    ClearAssignmentPath(&a);
    a.nPathLength = lstrlenW(pszPath);
    a.pszPath = AllocPathText(a.nPathLength);
    memcpy(a.pszPath, pszPath, a.nPathLength * sizeof(wchar_t));
}

std::wstring View(const ASSIGNMENT &a) {
    wchar_t sz[400];
    wsprintfW(sz, L"kind %d, %d keys %x %x %x, action %d, amount %d, path %s", a.nKind, a.nKeyCount, a.awKey[0],
              a.awKey[1], a.awKey[2], a.nMouseAction, a.wMoveAmount, a.pszPath ? a.pszPath : L"none");
    return sz;
}

bool OnKeyDialog(const std::function<void()> &open, const std::function<void(HWND)> &body) {
    g_dialogBody = body;
    g_bDialogSeen = false;
    UINT_PTR idWatch = SetTimer(NULL, 0, 10, WatchForDialog);
    open();
    // A click posts its command: the dialog runs when that is handled.
    PumpUntil([] { return !GetQueueStatus(QS_POSTMESSAGE); }, 2000);
    KillTimer(NULL, idWatch);
    return g_bDialogSeen;
}

std::wstring TextOf(HWND hWnd) {
    wchar_t sz[300] = L"";
    GetWindowTextW(hWnd, sz, 300);
    return sz;
}

void SendMouse(HWND hButton, UINT uMsg) {
    RECT rc;
    GetClientRect(hButton, &rc);
    POINT pt = {rc.right / 2, rc.bottom / 2};
    ClientToScreen(hButton, &pt);
    SetCursorPos(pt.x, pt.y);
    SendMessageW(hButton, uMsg, 0, MAKELPARAM(rc.right / 2, rc.bottom / 2));
}
