// The key setting dialog: filling, enabling, browse, OK with the missing-file question, cancel.
#include "pages_test.h"
#include "ui_seam.h"

#include <imm.h>

namespace {

struct MessageBoxCall {
    std::wstring text, caption;
    UINT uType;
};
std::vector<MessageBoxCall> g_boxes;
std::vector<int> g_boxAnswers;

int WINAPI AnswerBox(HWND, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType) {
    g_boxes.push_back({pszText, pszCaption, uType});
    if (g_boxAnswers.empty())
        return IDCANCEL;
    int n = g_boxAnswers.front();
    g_boxAnswers.erase(g_boxAnswers.begin());
    return n;
}

std::wstring g_chosenFile;
std::vector<std::wstring> g_fileDialogTitles;
std::vector<std::wstring> g_fileDialogFilters;

BOOL WINAPI AnswerOpen(LPOPENFILENAMEW pOfn) {
    g_fileDialogTitles.push_back(pOfn->lpstrTitle ? pOfn->lpstrTitle : L"");
    std::wstring filter;
    for (LPCWSTR p = pOfn->lpstrFilter; p && *p; p += lstrlenW(p) + 1)
        filter += std::wstring(p) + L"|";
    g_fileDialogFilters.push_back(filter);
    if (g_chosenFile.empty())
        return FALSE;
    lstrcpynW(pOfn->lpstrFile, g_chosenFile.c_str(), pOfn->nMaxFile);
    return TRUE;
}

class KeyDialogTest : public PagesTest {
protected:
    void SetUp() override {
        PagesTest::SetUp();
        g_boxes.clear();
        g_boxAnswers.clear();
        g_chosenFile.clear();
        g_fileDialogTitles.clear();
        g_fileDialogFilters.clear();
        UI_SEAM ui = g_UiSeam;
        ui.pfnMessageBox = AnswerBox;
        ui.pfnGetOpenFileName = AnswerOpen;
        SetUiSeam(&ui);
    }
    void TearDown() override {
        SetUiSeam(NULL);
        PagesTest::TearDown();
    }
    static bool Enabled(HWND hDlg, int nId) { return IsWindowEnabled(GetDlgItem(hDlg, nId)) != FALSE; }
    static void Command(HWND hDlg, int nId) {
        SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), (LPARAM)GetDlgItem(hDlg, nId));
    }
    static void ClickRadio(HWND hDlg, int nId) { SendDlgItemMessageW(hDlg, nId, BM_CLICK, 0, 0); }
    static void ChooseAction(HWND hDlg, int nAction) {
        HWND hList = GetDlgItem(hDlg, IDC_MOUSE_ACTION);
        SendMessageW(hList, CB_SETCURSEL, nAction, 0);
        SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDC_MOUSE_ACTION, CBN_SELCHANGE), (LPARAM)hList);
    }
    static std::wstring Text(HWND hDlg, int nId) { return TextOf(GetDlgItem(hDlg, nId)); }
    static std::wstring TempFile(const wchar_t *pszName) {
        wchar_t szDir[MAX_PATH];
        GetTempPathW(MAX_PATH, szDir);
        return std::wstring(szDir) + pszName;
    }
};

struct Enabling {
    bool key, list, amount, path;
};

struct OpenCase {
    const char *name;
    std::function<void(ASSIGNMENT &)> make;
    int nRadio;
    Enabling enabled;
    const wchar_t *pszKeys;
    int nListSel;
    const wchar_t *pszAmount;
};

TEST_F(KeyDialogTest, OpensWithTheEntryShownAndTheControlsOfItsKind) {
    const OpenCase cases[] = {
        {"keys", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; SetKeys(a, {VK_CONTROL, VK_SHIFT, 'S'}); },
         IDC_KIND_KEY, {true, false, false, false}, L"{Ctrl}{Shift}{S}", 0, L"0"},
        {"move", [](ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = MOUSE_MOVE_DOWN; a.wMoveAmount = 250; },
         IDC_KIND_MOUSE, {false, true, true, false}, L"", 5, L"250"},
        {"click", [](ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = MOUSE_DOUBLE_CLICK; },
         IDC_KIND_MOUSE, {false, true, false, false}, L"", 1, L"0"},
        {"application", [](ASSIGNMENT &a) { a.nKind = ASSIGN_APPLICATION; SetPath(a, L"C:\\x.exe"); SetKeys(a, {'Q'}); },
         IDC_KIND_APPLICATION, {false, false, false, true}, L"{Q}", 0, L"0"},
        {"disabled", [](ASSIGNMENT &a) { SetKeys(a, {VK_F1}); a.nMouseAction = MOUSE_MOVE_UP; }, IDC_KIND_DISABLED,
         {false, false, false, false}, L"{F1}", 4, L"0"},
        // Damaged entries are edited as the loader makes them, never read out of range.
        {"unknown kind", [](ASSIGNMENT &a) { a.nKind = 200; }, IDC_KIND_DISABLED, {false, false, false, false}, L"",
         0, L"0"},
        {"unknown action", [](ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = 99; }, IDC_KIND_DISABLED,
         {false, false, false, false}, L"", 0, L"0"},
        {"key count too large", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; a.nKeyCount = 1000000; }, IDC_KIND_KEY,
         {true, false, false, false}, L"", 0, L"0"},
    };
    for (const OpenCase &c : cases) {
        SCOPED_TRACE(c.name);
        ClearAssignmentPath(&Entry(8));
        Entry(8) = ASSIGNMENT{};
        c.make(Entry(8));
        RunKeyDialog(8, [&](HWND hDlg) {
            for (int nId = IDC_KIND_KEY; nId <= IDC_KIND_DISABLED; nId++)
                EXPECT_EQ(nId == c.nRadio, IsDlgButtonChecked(hDlg, nId) == BST_CHECKED) << nId;
            EXPECT_EQ(c.enabled.key, Enabled(hDlg, IDC_KEY_FIELD));
            EXPECT_EQ(c.enabled.list, Enabled(hDlg, IDC_MOUSE_ACTION));
            EXPECT_EQ(c.enabled.amount, Enabled(hDlg, IDC_MOVE_AMOUNT));
            EXPECT_EQ(c.enabled.amount, Enabled(hDlg, IDC_MOVE_AMOUNT_LABEL));
            EXPECT_EQ(c.enabled.path, Enabled(hDlg, IDC_APP_PATH));
            EXPECT_EQ(c.enabled.path, Enabled(hDlg, IDC_APP_BROWSE));
            EXPECT_EQ(c.pszKeys, Text(hDlg, IDC_KEY_FIELD));
            EXPECT_EQ(c.nListSel, SendDlgItemMessageW(hDlg, IDC_MOUSE_ACTION, CB_GETCURSEL, 0, 0));
            EXPECT_EQ(12, SendDlgItemMessageW(hDlg, IDC_MOUSE_ACTION, CB_GETCOUNT, 0, 0));
            EXPECT_EQ(c.pszAmount, Text(hDlg, IDC_MOVE_AMOUNT));
            EXPECT_EQ(4, SendDlgItemMessageW(hDlg, IDC_MOVE_AMOUNT, EM_GETLIMITTEXT, 0, 0));
            EXPECT_EQ(Entry(8).pszPath ? Entry(8).pszPath : L"", Text(hDlg, IDC_APP_PATH));
            Command(hDlg, IDCANCEL);
        });
    }
}

TEST_F(KeyDialogTest, TheKeyFieldHasNoInputMethod) {
    RunKeyDialog(0, [&](HWND hDlg) {
        HWND hField = GetDlgItem(hDlg, IDC_KEY_FIELD);
        HIMC hImc = ImmGetContext(hField);
        EXPECT_EQ(NULL, hImc) << "with an IME on, the hook would see VK_PROCESSKEY";
        if (hImc)
            ImmReleaseContext(hField, hImc);
        Command(hDlg, IDCANCEL);
    });
}

TEST_F(KeyDialogTest, AmountFieldIsEnabledOnlyForMoveActions) {
    RunKeyDialog(0, [&](HWND hDlg) {
        ClickRadio(hDlg, IDC_KIND_MOUSE);
        EXPECT_TRUE(Enabled(hDlg, IDC_MOUSE_ACTION));
        EXPECT_FALSE(Enabled(hDlg, IDC_KEY_FIELD));
        for (int nAction = 0; nAction < 12; nAction++) {
            ChooseAction(hDlg, nAction);
            bool bMove = nAction >= MOUSE_MOVE_UP && nAction <= MOUSE_MOVE_RIGHT;
            EXPECT_EQ(bMove, Enabled(hDlg, IDC_MOVE_AMOUNT)) << nAction;
            EXPECT_EQ(bMove, Enabled(hDlg, IDC_MOVE_AMOUNT_LABEL)) << nAction;
        }
        ChooseAction(hDlg, MOUSE_MOVE_UP);
        EXPECT_TRUE(Enabled(hDlg, IDC_MOVE_AMOUNT));
        ChooseAction(hDlg, MOUSE_LEFT_CLICK);
        EXPECT_FALSE(Enabled(hDlg, IDC_MOVE_AMOUNT));
        // Another kind disables the mouse controls again.
        ChooseAction(hDlg, MOUSE_MOVE_RIGHT);
        ClickRadio(hDlg, IDC_KIND_APPLICATION);
        EXPECT_FALSE(Enabled(hDlg, IDC_MOVE_AMOUNT));
        EXPECT_FALSE(Enabled(hDlg, IDC_MOUSE_ACTION));
        EXPECT_TRUE(Enabled(hDlg, IDC_APP_PATH));
        Command(hDlg, IDCANCEL);
    });
}

TEST_F(KeyDialogTest, OkStoresTheWorkingCopyAndMarksTheSetModified) {
    Entry(11).nKind = ASSIGN_APPLICATION;
    SetPath(Entry(11), L"C:\\old.exe");
    std::wstring chosen = TempFile(L"ui_pages_tool.exe");
    HANDLE h = CreateFileW(chosen.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    g_chosenFile = chosen;
    LONG nPaths = CountPathTexts();
    int nResult = RunKeyDialog(11, [&](HWND hDlg) {
        Command(hDlg, IDC_APP_BROWSE);
        EXPECT_EQ(chosen, Text(hDlg, IDC_APP_PATH));
        ClickRadio(hDlg, IDC_KIND_MOUSE);
        ChooseAction(hDlg, MOUSE_MOVE_LEFT);
        SetDlgItemTextW(hDlg, IDC_MOVE_AMOUNT, L"1234");
        Command(hDlg, IDOK);
    });
    DeleteFileW(chosen.c_str());
    EXPECT_EQ(IDOK, nResult);
    ASSERT_EQ(1u, g_fileDialogTitles.size());
    EXPECT_EQ(L"起動するアプリケーション", g_fileDialogTitles[0]);
    EXPECT_EQ(L"すべてのファイル(*.*)|*.*|", g_fileDialogFilters[0]);
    EXPECT_TRUE(g_boxes.empty()) << "the file exists: no question";
    EXPECT_EQ(ASSIGN_MOUSE, Entry(11).nKind);
    EXPECT_EQ(MOUSE_MOVE_LEFT, Entry(11).nMouseAction);
    EXPECT_EQ(1234, Entry(11).wMoveAmount);
    EXPECT_EQ(chosen, PathOf(Entry(11)));
    EXPECT_EQ((int)chosen.size(), Entry(11).nPathLength);
    EXPECT_EQ(nPaths, CountPathTexts()) << "the old path is released, the new one owned by the entry";
    Settle();
    EXPECT_EQ(1, g_State.bModified);
    EXPECT_NE(std::wstring::npos, Title().find(L" (*)"));
}

TEST_F(KeyDialogTest, OkWithAnEmptyPathStoresNoPathAndAnEmptyAmountStoresZero) {
    Entry(2).nKind = ASSIGN_MOUSE;
    Entry(2).nMouseAction = MOUSE_MOVE_UP;
    Entry(2).wMoveAmount = 77;
    SetPath(Entry(2), L"C:\\gone.exe");
    RunKeyDialog(2, [&](HWND hDlg) {
        SetDlgItemTextW(hDlg, IDC_APP_PATH, L"");
        SetDlgItemTextW(hDlg, IDC_MOVE_AMOUNT, L"");
        Command(hDlg, IDOK);
    });
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(NULL, Entry(2).pszPath);
    EXPECT_EQ(0, Entry(2).nPathLength);
    EXPECT_EQ(0, Entry(2).wMoveAmount);
}

TEST_F(KeyDialogTest, OkWithAStalePathAsksWhateverTheKindAndCancelKeepsTheDialogOpen) {
    std::wstring stale = TempFile(L"ui_pages_deleted.exe");
    HANDLE h = CreateFileW(stale.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    Entry(4).nKind = ASSIGN_APPLICATION;
    SetPath(Entry(4), stale.c_str());
    ASSERT_TRUE(DeleteFileW(stale.c_str()));
    EntryView before = View(Entry(4));
    WCHAR *pszBefore = Entry(4).pszPath;
    g_boxAnswers = {IDCANCEL, IDOK};
    int nResult = RunKeyDialog(4, [&](HWND hDlg) {
        ClickRadio(hDlg, IDC_KIND_KEY);  // the path field is disabled now, and still checked
        Command(hDlg, IDOK);
        EXPECT_TRUE(IsWindowVisible(hDlg)) << "Cancel on the question keeps the dialog";
        EXPECT_EQ(before, View(Entry(4)));
        EXPECT_EQ(pszBefore, Entry(4).pszPath);
        Command(hDlg, IDOK);
    });
    EXPECT_EQ(IDOK, nResult);
    ASSERT_EQ(2u, g_boxes.size());
    EXPECT_EQ(L"アプリケーションに指定したファイルは存在しません\n設定を完了させますか？", g_boxes[0].text);
    EXPECT_EQ(L"Zan", g_boxes[0].caption);
    EXPECT_EQ((UINT)(MB_OKCANCEL | MB_ICONQUESTION), g_boxes[0].uType);
    EXPECT_EQ(ASSIGN_KEY, Entry(4).nKind);
    EXPECT_EQ(stale, PathOf(Entry(4))) << "the user may store the path anyway";
}

TEST_F(KeyDialogTest, CancelLeavesTheSlotExactlyAsItWas) {
    ASSIGNMENT &e = Entry(30);
    e.nKind = ASSIGN_KEY;
    SetKeys(e, {VK_MENU, VK_TAB});
    e.nMouseAction = MOUSE_SCROLL_LEFT;
    e.wMoveAmount = 640;
    SetPath(e, L"C:\\keep.exe");
    ASSIGNMENT bytes = e;
    std::wstring path = PathOf(e);
    LONG nPaths = CountPathTexts();
    g_chosenFile = L"C:\\other.exe";
    int nResult = RunKeyDialog(30, [&](HWND hDlg) {
        ClickRadio(hDlg, IDC_KIND_APPLICATION);
        Command(hDlg, IDC_APP_BROWSE);
        SetDlgItemTextW(hDlg, IDC_APP_PATH, L"C:\\typed.exe");
        ClickRadio(hDlg, IDC_KIND_MOUSE);
        ChooseAction(hDlg, MOUSE_MOVE_UP);
        SetDlgItemTextW(hDlg, IDC_MOVE_AMOUNT, L"9");
        ClickRadio(hDlg, IDC_KIND_DISABLED);
        Command(hDlg, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, nResult);
    EXPECT_EQ(0, memcmp(&bytes, &e, sizeof(ASSIGNMENT))) << "every byte, the path reference included";
    EXPECT_EQ(path, PathOf(e));
    EXPECT_EQ(nPaths, CountPathTexts()) << "the working copy's path was released";
    EXPECT_EQ(0, g_State.bModified);
}

TEST_F(KeyDialogTest, ChangingTheActionShowsTheStoredAmountAgain) {
    Entry(1).nKind = ASSIGN_MOUSE;
    Entry(1).nMouseAction = MOUSE_MOVE_UP;
    Entry(1).wMoveAmount = 120;
    RunKeyDialog(1, [&](HWND hDlg) {
        SetDlgItemTextW(hDlg, IDC_MOVE_AMOUNT, L"999");
        ChooseAction(hDlg, MOUSE_MOVE_DOWN);
        EXPECT_EQ(L"120", Text(hDlg, IDC_MOVE_AMOUNT));
        Command(hDlg, IDOK);
    });
    EXPECT_EQ(MOUSE_MOVE_DOWN, Entry(1).nMouseAction);
    EXPECT_EQ(120, Entry(1).wMoveAmount);
}

TEST_F(KeyDialogTest, OkOfADamagedEntryStoresItAsTheLoaderWould) {
    Entry(6).nKind = 77;
    Entry(6).nKeyCount = -3;
    Entry(6).nMouseAction = 250;
    RunKeyDialog(6, [&](HWND hDlg) { Command(hDlg, IDOK); });
    EXPECT_EQ(ASSIGN_DISABLED, Entry(6).nKind);
    EXPECT_EQ(0, Entry(6).nKeyCount);
    EXPECT_EQ(0, Entry(6).nMouseAction);
}

}  // namespace
