// Key capture with real keyboard input: SendInput into the focused key field, so the
// thread keyboard hook sees what a user's key presses produce.
#include "pages_test.h"

#include "key_dialog.h"
#include "ui_seam.h"

namespace {

int g_nBeeps;

BOOL WINAPI CountBeep(UINT) {
    g_nBeeps++;
    return TRUE;
}

class KeyCaptureTest : public PagesTest {
protected:
    UI_SEAM saved = {};

    void SetUp() override {
        PagesTest::SetUp();
        g_nBeeps = 0;
        saved = g_UiSeam;
        UI_SEAM ui = g_UiSeam;
        ui.pfnMessageBeep = CountBeep;
        SetUiSeam(&ui);
    }
    void TearDown() override {
        SetUiSeam(&saved);
        PagesTest::TearDown();
    }

    // Presses the keys one after the other, each held while the next is pressed, then
    // releases them; waits until the field shows the expected text.
    static bool Chord(HWND hDlg, std::initializer_list<WORD> keys, const std::wstring &expected) {
        for (WORD k : keys)
            SendKey(k, false);
        for (auto it = std::rbegin(keys); it != std::rend(keys); ++it)
            SendKey(*it, true);
        return WaitText(hDlg, expected);
    }
    static bool WaitText(HWND hDlg, const std::wstring &expected) {
        HWND hField = GetDlgItem(hDlg, IDC_KEY_FIELD);
        bool bOk = PumpUntil([&] { return TextOf(hField) == expected && !GetQueueStatus(QS_INPUT); }, 3000, hDlg);
        EXPECT_EQ(expected, TextOf(hField));
        return bOk;
    }
    static void Ok(HWND hDlg) { SendMessageW(hDlg, WM_COMMAND, IDOK, (LPARAM)GetDlgItem(hDlg, IDOK)); }
    static void Cancel(HWND hDlg) { SendMessageW(hDlg, WM_COMMAND, IDCANCEL, (LPARAM)GetDlgItem(hDlg, IDCANCEL)); }
    void ExpectKeys(int nSlot, std::initializer_list<WORD> keys) {
        ASSERT_EQ((int)keys.size(), Entry(nSlot).nKeyCount);
        int i = 0;
        for (WORD k : keys)
            EXPECT_EQ(k, Entry(nSlot).awKey[i++]) << "key " << i;
    }
    void Start(int nSlot) {
        Entry(nSlot).nKind = ASSIGN_KEY;
    }
};

TEST_F(KeyCaptureTest, CtrlShiftSGivesThreeKeysAndAFourthOnlyBeeps) {
    Start(0);
    int nResult = RunKeyDialog(0, [&](HWND hDlg) {
        ASSERT_TRUE(FocusKeyField(hDlg));
        ASSERT_TRUE(Chord(hDlg, {VK_CONTROL, VK_SHIFT, 'S'}, L"{Ctrl}{Shift}{S}"));
        EXPECT_EQ(0, g_nBeeps);
        TapKey('A');
        DrainInput(hDlg);
        EXPECT_EQ(1, g_nBeeps);
        EXPECT_EQ(L"{Ctrl}{Shift}{S}", TextOf(GetDlgItem(hDlg, IDC_KEY_FIELD)));
        Ok(hDlg);
    });
    EXPECT_EQ(IDOK, nResult);
    ExpectKeys(0, {VK_CONTROL, VK_SHIFT, 'S'});
}

TEST_F(KeyCaptureTest, AHeldKeyCountsOnce) {
    Start(1);
    RunKeyDialog(1, [&](HWND hDlg) {
        ASSERT_TRUE(FocusKeyField(hDlg));
        for (int i = 0; i < 5; i++)
            SendKey('S', false);  // auto-repeat: the key is already down
        SendKey('S', true);
        DrainInput(hDlg);
        ASSERT_TRUE(Chord(hDlg, {'T'}, L"{S}{T}"));
        Ok(hDlg);
    });
    ExpectKeys(1, {'S', 'T'});
}

TEST_F(KeyCaptureTest, KeysWithoutANameAddNothing) {
    Start(2);
    RunKeyDialog(2, [&](HWND hDlg) {
        ASSERT_TRUE(FocusKeyField(hDlg));
        ASSERT_TRUE(Chord(hDlg, {'Q'}, L"{Q}"));
        for (WORD k : {(WORD)VK_NUMPAD5, (WORD)VK_HOME, (WORD)VK_END, (WORD)VK_NEXT, (WORD)VK_ADD, (WORD)VK_OEM_1,
                       (WORD)VK_LWIN}) {
            SCOPED_TRACE(k);
            TapKey(k);
            DrainInput(hDlg);
            EXPECT_EQ(L"{Q}", TextOf(GetDlgItem(hDlg, IDC_KEY_FIELD)));
        }
        // They took no place either: two more named keys still fit.
        ASSERT_TRUE(Chord(hDlg, {'W'}, L"{Q}{W}"));
        ASSERT_TRUE(Chord(hDlg, {'E'}, L"{Q}{W}{E}"));
        EXPECT_EQ(0, g_nBeeps);
        Ok(hDlg);
    });
    ExpectKeys(2, {'Q', 'W', 'E'});
}

TEST_F(KeyCaptureTest, DoubleClickSelectsAPieceAndDeleteOrBackSpaceRemovesIt) {
    struct Case {
        WORD wRemoveKey;
        int nPieceChar;  // a character inside the piece to remove
        const wchar_t *pszLeft;
        std::initializer_list<WORD> left;
    } cases[] = {
        {VK_DELETE, 9, L"{Ctrl}{S}", {VK_CONTROL, 'S'}},   // inside {Shift}
        {VK_BACK, 1, L"{Shift}{S}", {VK_SHIFT, 'S'}},      // inside {Ctrl}
        {VK_DELETE, 14, L"{Ctrl}{Shift}", {VK_CONTROL, VK_SHIFT}},  // on the "S" of {S}
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.pszLeft)));
        ClearAssignmentPath(&Entry(5));
        Entry(5) = ASSIGNMENT{};
        Start(5);
        RunKeyDialog(5, [&](HWND hDlg) {
            HWND hField = GetDlgItem(hDlg, IDC_KEY_FIELD);
            ASSERT_TRUE(FocusKeyField(hDlg));
            ASSERT_TRUE(Chord(hDlg, {VK_CONTROL, VK_SHIFT, 'S'}, L"{Ctrl}{Shift}{S}"));
            LRESULT lPos = SendMessageW(hField, EM_POSFROMCHAR, c.nPieceChar, 0);
            SendMessageW(hField, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(LOWORD(lPos) + 1, HIWORD(lPos) + 2));
            DWORD dwStart = 0, dwEnd = 0;
            SendMessageW(hField, EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
            std::wstring text = TextOf(hField);
            std::wstring selected = text.substr(dwStart, dwEnd - dwStart);
            EXPECT_EQ(L'{', selected.front());
            EXPECT_EQ(L'}', selected.back());
            TapKey(c.wRemoveKey);
            ASSERT_TRUE(WaitText(hDlg, c.pszLeft));
            Ok(hDlg);
        });
        ExpectKeys(5, c.left);
    }
}

TEST_F(KeyCaptureTest, OtherKeysWithASelectionDoNothing) {
    Start(6);
    RunKeyDialog(6, [&](HWND hDlg) {
        HWND hField = GetDlgItem(hDlg, IDC_KEY_FIELD);
        ASSERT_TRUE(FocusKeyField(hDlg));
        ASSERT_TRUE(Chord(hDlg, {VK_CONTROL, 'S'}, L"{Ctrl}{S}"));
        SendMessageW(hField, EM_SETSEL, 0, 6);
        TapKey('X');
        DrainInput(hDlg);
        EXPECT_EQ(L"{Ctrl}{S}", TextOf(hField));
        // A selection after the last piece names no key: Delete changes nothing.
        SendMessageW(hField, EM_SETSEL, 8, 9);
        TapKey(VK_DELETE);
        DrainInput(hDlg);
        EXPECT_EQ(L"{Ctrl}{S}", TextOf(hField));
        Ok(hDlg);
    });
    ExpectKeys(6, {VK_CONTROL, 'S'});
}

TEST_F(KeyCaptureTest, EnterAndEscAreCapturedAndNeverCloseTheDialog) {
    Start(7);
    int nResult = RunKeyDialog(7, [&](HWND hDlg) {
        ASSERT_TRUE(FocusKeyField(hDlg));
        ASSERT_TRUE(Chord(hDlg, {VK_RETURN}, L"{Enter}"));
        EXPECT_TRUE(IsWindowVisible(hDlg));
        ASSERT_TRUE(Chord(hDlg, {VK_ESCAPE}, L"{Enter}{Esc}"));
        EXPECT_TRUE(IsWindowVisible(hDlg));
        // While Enter is held, OK and Cancel are ignored.
        SendKey(VK_RETURN, false);
        ASSERT_TRUE(WaitText(hDlg, L"{Enter}{Esc}{Enter}"));
        Ok(hDlg);
        Cancel(hDlg);
        EXPECT_TRUE(IsWindowVisible(hDlg));
        SendKey(VK_RETURN, true);
        DrainInput(hDlg);
        Ok(hDlg);
    });
    EXPECT_EQ(IDOK, nResult);
    ExpectKeys(7, {VK_RETURN, VK_ESCAPE, VK_RETURN});
}

TEST_F(KeyCaptureTest, PrintScreenCountsOncePerPress) {
    Start(8);
    RunKeyDialog(8, [&](HWND hDlg) {
        ASSERT_TRUE(FocusKeyField(hDlg));
        TapKey(VK_SNAPSHOT);  // press and release
        ASSERT_TRUE(WaitText(hDlg, L"{PrtSc}"));
        SendKey(VK_SNAPSHOT, true);  // a release alone, as Windows delivers print-screen
        ASSERT_TRUE(WaitText(hDlg, L"{PrtSc}{PrtSc}"));
        Ok(hDlg);
    });
    ExpectKeys(8, {VK_SNAPSHOT, VK_SNAPSHOT});
}

TEST_F(KeyCaptureTest, KeysTypedOutsideTheKeyFieldAreNotCaptured) {
    Start(9);
    Entry(9).nKind = ASSIGN_MOUSE;
    Entry(9).nMouseAction = MOUSE_MOVE_UP;
    RunKeyDialog(9, [&](HWND hDlg) {
        HWND hAmount = GetDlgItem(hDlg, IDC_MOVE_AMOUNT);
        SetForegroundWindow(hDlg);
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == hDlg; }, 3000, hDlg));
        SetFocus(hAmount);
        SendMessageW(hAmount, EM_SETSEL, 0, -1);
        TapKey('7');
        TapKey('5');
        ASSERT_TRUE(PumpUntil([&] { return TextOf(hAmount) == L"75"; }, 3000, hDlg));
        EXPECT_EQ(L"", TextOf(GetDlgItem(hDlg, IDC_KEY_FIELD)));
        Ok(hDlg);
    });
    EXPECT_EQ(75, Entry(9).wMoveAmount);
    EXPECT_EQ(0, Entry(9).nKeyCount);
}

}  // namespace

static BYTE *g_pNoAccess;
static int g_nNoAccessFaults;

// Wine may swallow a fault inside a hook; a vectored handler still sees it first.
static LONG CALLBACK CountNoAccessFault(EXCEPTION_POINTERS *pInfo) {
    const EXCEPTION_RECORD *r = pInfo->ExceptionRecord;
    if (r->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && r->NumberParameters >= 2 &&
        (BYTE *)r->ExceptionInformation[1] >= g_pNoAccess && (BYTE *)r->ExceptionInformation[1] < g_pNoAccess + 4096)
        g_nNoAccessFaults++;
    return EXCEPTION_CONTINUE_SEARCH;
}

// The hook is thread-wide: with the focus in another window (a file dialog, a message box)
// that keeps a pointer of its own in its window data, the key goes there untouched and the
// hook reads nothing of that window.
TEST_F(KeyCaptureTest, KeysForOtherWindowsPassWithoutReadingTheirData) {
    Start(0);
    g_pNoAccess = (BYTE *)VirtualAlloc(NULL, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_TRUE(g_pNoAccess);
    void *pNoAccess = g_pNoAccess;
    g_nNoAccessFaults = 0;
    PVOID hHandler = AddVectoredExceptionHandler(1, CountNoAccessFault);
    RunKeyDialog(0, [&](HWND hDlg) {
        HWND hOther = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 60, 14, hDlg,
                                      (HMENU)IDC_KEY_FIELD, NULL, NULL);
        SetWindowLongPtrW(hOther, GWLP_USERDATA, (LONG_PTR)pNoAccess);
        SetFocus(hOther);
        ASSERT_EQ(hOther, GetFocus());
        TapKey('Q');
        EXPECT_TRUE(PumpUntil([&] { return TextOf(hOther) == L"q"; }, 3000, hDlg)) << "the key reaches that window";
        EXPECT_EQ(L"", TextOf(GetDlgItem(hDlg, IDC_KEY_FIELD)));
        DestroyWindow(hOther);
        Cancel(hDlg);
    });
    RemoveVectoredExceptionHandler(hHandler);
    EXPECT_EQ(0, g_nNoAccessFaults) << "the hook read the other window's data";
    EXPECT_EQ(0, Entry(0).nKeyCount);
    VirtualFree(pNoAccess, 0, MEM_RELEASE);
}
