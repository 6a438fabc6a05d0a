// The key setting dialog: filling, enabling, browse, OK with the missing-file question, cancel.
#include "page_fixture.h"

#include <imm.h>

namespace {

void Command(HWND hDlg, int nId) {
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), (LPARAM)GetDlgItem(hDlg, nId));
}

void ChooseAction(HWND hDlg, int nAction) {
    HWND hList = GetDlgItem(hDlg, IDC_MOUSE_ACTION);
    SendMessageW(hList, CB_SETCURSEL, nAction, 0);
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDC_MOUSE_ACTION, CBN_SELCHANGE), (LPARAM)hList);
}

std::wstring Text(HWND hDlg, int nId) { return TextOf(GetDlgItem(hDlg, nId)); }

// The enabled controls: k key field, l action list, a and A amount label and field, p and P
// path field and browse button.
std::string Enabled(HWND hDlg) {
    const struct { char c; int nId; } controls[] = {{'k', IDC_KEY_FIELD},        {'l', IDC_MOUSE_ACTION},
                                                    {'a', IDC_MOVE_AMOUNT_LABEL}, {'A', IDC_MOVE_AMOUNT},
                                                    {'p', IDC_APP_PATH},          {'P', IDC_APP_BROWSE}};
    std::string s;
    for (const auto &c : controls)
        if (IsWindowEnabled(GetDlgItem(hDlg, c.nId)))
            s += c.c;
    return s;
}

typedef PagesTest KeyDialogTest;

TEST_F(KeyDialogTest, OpensWithTheEntryShownAndTheControlsOfItsKind) {
    const struct { const char *name; void (*make)(ASSIGNMENT &); int nRadio; const char *pszEnabled;
                   const wchar_t *pszKeys; int nAction; const wchar_t *pszAmount; } cases[] = {
        {"keys", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; SetKeys(a, {VK_CONTROL, VK_SHIFT, 'S'}); },
         IDC_KIND_KEY, "k", L"{Ctrl}{Shift}{S}", 0, L"0"},
        {"move", [](ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = MOUSE_MOVE_DOWN; a.wMoveAmount = 250; },
         IDC_KIND_MOUSE, "laA", L"", MOUSE_MOVE_DOWN, L"250"},
        {"click", [](ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = MOUSE_DOUBLE_CLICK; },
         IDC_KIND_MOUSE, "l", L"", MOUSE_DOUBLE_CLICK, L"0"},
        {"application", [](ASSIGNMENT &a) { a.nKind = ASSIGN_APPLICATION; SetPath(a, L"C:\\x.exe"); SetKeys(a, {'Q'}); },
         IDC_KIND_APPLICATION, "pP", L"{Q}", 0, L"0"},
        {"disabled", [](ASSIGNMENT &a) { SetKeys(a, {VK_F1}); a.nMouseAction = MOUSE_MOVE_UP; },
         IDC_KIND_DISABLED, "", L"{F1}", MOUSE_MOVE_UP, L"0"},
        // Damaged entries are edited as the loader makes them, never read out of range.
        {"unknown kind", [](ASSIGNMENT &a) { a.nKind = 200; }, IDC_KIND_DISABLED, "", L"", 0, L"0"},
        {"unknown action", [](ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = 99; },
         IDC_KIND_DISABLED, "", L"", 0, L"0"},
        {"key count too large", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; a.nKeyCount = 1000000; },
         IDC_KIND_KEY, "k", L"", 0, L"0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Reset(Entry(8));
        c.make(Entry(8));
        RunKeyDialog(8, [&](HWND hDlg) {
            for (int nId = IDC_KIND_KEY; nId <= IDC_KIND_DISABLED; nId++)
                EXPECT_EQ(nId == c.nRadio, IsDlgButtonChecked(hDlg, nId) == BST_CHECKED) << nId;
            EXPECT_EQ(c.pszEnabled, Enabled(hDlg));
            EXPECT_EQ(c.pszKeys, Text(hDlg, IDC_KEY_FIELD));
            EXPECT_EQ(c.nAction, SendDlgItemMessageW(hDlg, IDC_MOUSE_ACTION, CB_GETCURSEL, 0, 0));
            EXPECT_EQ(c.pszAmount, Text(hDlg, IDC_MOVE_AMOUNT));
            EXPECT_EQ(Entry(8).pszPath ? Entry(8).pszPath : L"", Text(hDlg, IDC_APP_PATH));
            // With an input method on, the key hook would see VK_PROCESSKEY instead of the key.
            EXPECT_EQ(NULL, ImmGetContext(GetDlgItem(hDlg, IDC_KEY_FIELD)));
            Command(hDlg, IDCANCEL);
        });
    }
}

// Only the chosen kind's controls are enabled, the amount only for moves; a new action shows
// the stored amount again.
TEST_F(KeyDialogTest, KindAndActionChoicesEnableTheirControls) {
    Entry(1).nKind = ASSIGN_MOUSE;
    Entry(1).nMouseAction = MOUSE_MOVE_UP;
    Entry(1).wMoveAmount = 120;
    const struct { int nRadio, nAction; const char *pszEnabled; } steps[] = {
        {0, MOUSE_LEFT_CLICK, "l"},  {0, MOUSE_MOVE_RIGHT, "laA"}, {IDC_KIND_APPLICATION, 0, "pP"},
        {IDC_KIND_KEY, 0, "k"},      {IDC_KIND_DISABLED, 0, ""},   {IDC_KIND_MOUSE, 0, "laA"},
        {0, MOUSE_SCROLL_DOWN, "l"}, {0, MOUSE_MOVE_DOWN, "laA"},
    };
    RunKeyDialog(1, [&](HWND hDlg) {
        for (const auto &s : steps) {
            SCOPED_TRACE(s.nRadio * 100 + s.nAction);
            if (s.nRadio)
                SendDlgItemMessageW(hDlg, s.nRadio, BM_CLICK, 0, 0);
            else
                ChooseAction(hDlg, s.nAction);
            EXPECT_EQ(s.pszEnabled, Enabled(hDlg));
            SetDlgItemTextW(hDlg, IDC_MOVE_AMOUNT, L"999");
        }
        ChooseAction(hDlg, MOUSE_MOVE_DOWN);
        EXPECT_EQ(L"120", Text(hDlg, IDC_MOVE_AMOUNT));
        Command(hDlg, IDCANCEL);
    });
}

TEST_F(KeyDialogTest, OkStoresTheWorkingCopyAndMarksTheSetModified) {
    Entry(11).nKind = ASSIGN_APPLICATION;
    SetPath(Entry(11), L"C:\\old.exe");
    wchar_t szExisting[MAX_PATH];
    GetModuleFileNameW(NULL, szExisting, MAX_PATH);
    g_Seen.chosenFile = szExisting;
    int nResult = RunKeyDialog(11, [&](HWND hDlg) {
        Command(hDlg, IDC_APP_BROWSE);
        EXPECT_EQ(szExisting, Text(hDlg, IDC_APP_PATH));
        SendDlgItemMessageW(hDlg, IDC_KIND_MOUSE, BM_CLICK, 0, 0);
        ChooseAction(hDlg, MOUSE_MOVE_LEFT);
        SetDlgItemTextW(hDlg, IDC_MOVE_AMOUNT, L"1234");
        Command(hDlg, IDOK);
    });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ(0, g_Seen.nBoxes) << "the file exists: no question";
    ASSIGNMENT stored = {};
    stored.nKind = ASSIGN_MOUSE;
    stored.nMouseAction = MOUSE_MOVE_LEFT;
    stored.wMoveAmount = 1234;
    stored.pszPath = szExisting;
    EXPECT_EQ(View(stored), View(Entry(11)));
    EXPECT_EQ(lstrlenW(szExisting), Entry(11).nPathLength);
    EXPECT_EQ(1, g_State.bModified);
}

TEST_F(KeyDialogTest, OkWithEmptyFieldsStoresNoPathAndZeroAndADamagedEntryAsTheLoaderWould) {
    Entry(2).nKind = 77;
    Entry(2).nKeyCount = -3;
    Entry(2).nMouseAction = 250;
    Entry(2).wMoveAmount = 77;
    SetPath(Entry(2), L"C:\\gone.exe");
    RunKeyDialog(2, [&](HWND hDlg) {
        SetDlgItemTextW(hDlg, IDC_APP_PATH, L"");
        SetDlgItemTextW(hDlg, IDC_MOVE_AMOUNT, L"");
        Command(hDlg, IDOK);
    });
    EXPECT_EQ(0, g_Seen.nBoxes);
    EXPECT_EQ(View(ASSIGNMENT{}), View(Entry(2)));
    EXPECT_EQ(0, Entry(2).nPathLength);
}

TEST_F(KeyDialogTest, OkWithAStalePathAsksWhateverTheKindAndCancelKeepsTheDialogOpen) {
    Entry(4).nKind = ASSIGN_APPLICATION;
    SetPath(Entry(4), L"C:\\ui_pages_missing\\tool.exe");
    ASSIGNMENT before = Entry(4);
    g_Seen.boxAnswers = {IDCANCEL, IDOK};
    int nResult = RunKeyDialog(4, [&](HWND hDlg) {
        SendDlgItemMessageW(hDlg, IDC_KIND_KEY, BM_CLICK, 0, 0);  // the path field is disabled now, still checked
        Command(hDlg, IDOK);
        EXPECT_TRUE(IsWindowVisible(hDlg)) << "Cancel on the question keeps the dialog";
        EXPECT_EQ(0, memcmp(&before, &Entry(4), sizeof(before)));
        Command(hDlg, IDOK);
    });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ(2, g_Seen.nBoxes);
    EXPECT_EQ(ASSIGN_KEY, Entry(4).nKind);
    EXPECT_STREQ(L"C:\\ui_pages_missing\\tool.exe", Entry(4).pszPath) << "the user may store the path anyway";
}

TEST_F(KeyDialogTest, CancelLeavesTheSlotExactlyAsItWas) {
    ASSIGNMENT &e = Entry(30);
    e.nKind = ASSIGN_KEY;
    SetKeys(e, {VK_MENU, VK_TAB});
    e.nMouseAction = MOUSE_SCROLL_LEFT;
    e.wMoveAmount = 640;
    SetPath(e, L"C:\\keep.exe");
    ASSIGNMENT before = e;
    std::wstring view = View(e);
    g_Seen.chosenFile = L"C:\\other.exe";
    int nResult = RunKeyDialog(30, [&](HWND hDlg) {
        SendDlgItemMessageW(hDlg, IDC_KIND_APPLICATION, BM_CLICK, 0, 0);
        Command(hDlg, IDC_APP_BROWSE);
        SendDlgItemMessageW(hDlg, IDC_KIND_MOUSE, BM_CLICK, 0, 0);
        ChooseAction(hDlg, MOUSE_MOVE_UP);
        SetDlgItemTextW(hDlg, IDC_MOVE_AMOUNT, L"9");
        Command(hDlg, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, nResult);
    EXPECT_EQ(0, memcmp(&before, &e, sizeof(ASSIGNMENT))) << "every byte, the path reference included";
    EXPECT_EQ(view, View(e));
    EXPECT_EQ(0, g_State.bModified);
}

}  // namespace
