#include "page_fixture.h"

#include <string.h>

#include <commctrl.h>

#include "dialogs.h"
#include "pages.h"
#include "ui_seam.h"
#include "resource.h"
#include "slot_button.h"

namespace {

const wchar_t kHostClass[] = L"ZanPagesHost";

DialogScript *g_pScript;
MenuAnswer *g_pMenu;

void CollectItems(HMENU hMenu, std::vector<MenuItemSeen> &items) {
    int n = GetMenuItemCount(hMenu);
    for (int i = 0; i < n; i++) {
        wchar_t szText[64] = L"";
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
        mii.dwTypeData = szText;
        mii.cch = 64;
        GetMenuItemInfoW(hMenu, i, TRUE, &mii);
        if (mii.fType & MFT_SEPARATOR)
            continue;
        if (mii.hSubMenu) {
            CollectItems(mii.hSubMenu, items);
            continue;
        }
        items.push_back({mii.wID, szText, (mii.fState & MFS_GRAYED) != 0});
    }
}

int AnswerMenu(HMENU hMenu, int, int, HWND hOwner) {
    std::vector<MenuItemSeen> items;
    CollectItems(hMenu, items);
    g_pMenu->shown.push_back(items);
    g_pMenu->owners.push_back(hOwner);
    if (g_pMenu->answers.empty())
        return 0;
    int nAnswer = g_pMenu->answers.front();
    g_pMenu->answers.erase(g_pMenu->answers.begin());
    return nAnswer;
}

VOID CALLBACK WatchForDialog(HWND, UINT, UINT_PTR idTimer, DWORD) {
    HWND hDlg = FindKeyDialog();
    if (!hDlg || !g_pScript)
        return;
    KillTimer(NULL, idTimer);
    DialogScript *pScript = g_pScript;
    g_pScript = nullptr;
    pScript->bSeen = true;
    pScript->body(hDlg);
    if (IsWindow(hDlg) && IsWindowVisible(hDlg))
        EndDialog(hDlg, -1);
}

UINT_PTR g_idWatch;
HWND g_hHost;

}  // namespace

HWND CreatePageHost(HINSTANCE hInstance) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = hInstance;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.lpszClassName = kHostClass;
    RegisterClassW(&wc);

    InitCommonControls();
    g_App.hInstance = hInstance;
    g_App.hFont = CreateFontW(-12, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"メイリオ");
    // One host for the whole process: only the pages come and go.
    if (!g_hHost)
        g_hHost = CreateWindowExW(0, kHostClass, L"Zan", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE | WS_CLIPCHILDREN,
                                  20, 20, 680, 640, NULL, NULL, hInstance, NULL);
    HWND hHost = g_hHost;
    g_App.hMainWnd = hHost;
    CreatePages(hHost);
    // The main window sizes the tab to its pages; so does the host, without a status bar.
    RECT rc;
    GetClientRect(g_App.ahPage[0], &rc);
    SendMessageW(g_App.hTab, TCM_ADJUSTRECT, TRUE, (LPARAM)&rc);
    MoveWindow(g_App.hTab, 5, 5, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    GetClientRect(g_App.hTab, &rc);
    SendMessageW(g_App.hTab, TCM_ADJUSTRECT, FALSE, (LPARAM)&rc);
    for (HWND hPage : g_App.ahPage)
        SetWindowPos(hPage, NULL, rc.left, rc.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RefreshPages();
    ShowPage(PAGE_REMOTE);
    return hHost;
}

void DestroyPageHost(HWND hHost) {
    (void)hHost;
    DestroyWindow(g_App.hTab);
    for (HBITMAP &h : g_App.ahKindBitmap) {
        DeleteObject(h);
        h = NULL;
    }
    DeleteObject(g_App.hFont);
    g_App = APP_WINDOW{};
}

void ShowPage(int nPage) {
    SendMessageW(g_App.hTab, TCM_SETCURSEL, nPage, 0);
    for (int i = 0; i < PAGE_COUNT; i++)
        ShowWindow(g_App.ahPage[i], i == nPage ? SW_SHOW : SW_HIDE);
    UpdateWindow(g_App.hMainWnd);
}

void SetKeys(ASSIGNMENT &a, std::initializer_list<WORD> keys) {
    a.nKeyCount = 0;
    for (WORD k : keys)
        a.awKey[a.nKeyCount++] = k;
}

void SetPath(ASSIGNMENT &a, const wchar_t *pszPath) {
    ClearAssignmentPath(&a);
    int cch = lstrlenW(pszPath);
    a.pszPath = AllocPathText(cch);
    memcpy(a.pszPath, pszPath, cch * sizeof(wchar_t));
    a.nPathLength = cch;
}

std::wstring PathOf(const ASSIGNMENT &a) {
    return a.pszPath ? std::wstring(a.pszPath) : std::wstring(L"<none>");
}

static BOOL CALLBACK FindKeyDialogProc(HWND hWnd, LPARAM lParam) {
    wchar_t szClass[16] = L"", szTitle[16] = L"";
    GetClassNameW(hWnd, szClass, 16);
    GetWindowTextW(hWnd, szTitle, 16);
    if (!lstrcmpW(szClass, L"#32770") && !lstrcmpW(szTitle, L"キー設定") && IsWindowVisible(hWnd)) {
        *(HWND *)lParam = hWnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindKeyDialog() {
    HWND hFound = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindKeyDialogProc, (LPARAM)&hFound);
    return hFound;
}

void DialogScript::Arm() {
    bSeen = false;
    g_pScript = this;
    g_idWatch = SetTimer(NULL, 0, 10, WatchForDialog);
}

void DialogScript::Disarm() {
    if (g_pScript == this) {
        g_pScript = nullptr;
        KillTimer(NULL, g_idWatch);
    }
}

void SendKey(WORD wVk, bool bUp) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = wVk;
    in.ki.wScan = (WORD)MapVirtualKeyW(wVk, MAPVK_VK_TO_VSC);
    in.ki.dwFlags = bUp ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof(in));
}

void TapKey(WORD wVk) {
    SendKey(wVk, false);
    SendKey(wVk, true);
}

bool FocusKeyField(HWND hDlg) {
    HWND hField = GetDlgItem(hDlg, IDC_KEY_FIELD);
    SetForegroundWindow(hDlg);
    if (!PumpUntil([&] { return GetForegroundWindow() == hDlg; }, 3000, hDlg))
        return false;
    SetFocus(hField);
    SendMessageW(hField, EM_SETSEL, (WPARAM)-1, 0);  // caret only, no selection
    return PumpUntil([&] { return GetFocus() == hField; }, 3000, hDlg);
}

std::wstring TextOf(HWND hWnd) {
    wchar_t sz[300] = L"";
    GetWindowTextW(hWnd, sz, 300);
    return sz;
}

static LPARAM CentreOf(HWND hButton) {
    RECT rc;
    GetClientRect(hButton, &rc);
    POINT pt = {rc.right / 2, rc.bottom / 2};
    POINT ptScreen = pt;
    ClientToScreen(hButton, &ptScreen);
    // The leave request is real: keep the cursor over the button the message goes to.
    SetCursorPos(ptScreen.x, ptScreen.y);
    return MAKELPARAM(pt.x, pt.y);
}

void Press(HWND hButton, bool bRight) {
    LPARAM lPos = CentreOf(hButton);
    SendMessageW(hButton, bRight ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, bRight ? MK_RBUTTON : MK_LBUTTON, lPos);
}

void LeaveButton(HWND hButton) {
    SendMessageW(hButton, WM_MOUSELEAVE, 0, 0);
}

void Release(HWND hButton, bool bRight) {
    LPARAM lPos = CentreOf(hButton);
    SendMessageW(hButton, bRight ? WM_RBUTTONUP : WM_LBUTTONUP, 0, lPos);
}

void MenuAnswer::Install() {
    g_pMenu = this;
    UI_SEAM ui = g_UiSeam;
    ui.pfnTrackMenu = AnswerMenu;
    SetUiSeam(&ui);
}

// The other calls of the seam are left as the test set them.
void MenuAnswer::Uninstall() {
    UI_SEAM ui = g_UiSeam;
    SetUiSeam(NULL);
    ui.pfnTrackMenu = g_UiSeam.pfnTrackMenu;
    SetUiSeam(&ui);
    g_pMenu = nullptr;
}

const MenuItemSeen *FindItem(const std::vector<MenuItemSeen> &items, UINT id) {
    for (const MenuItemSeen &item : items)
        if (item.id == id)
            return &item;
    return nullptr;
}
