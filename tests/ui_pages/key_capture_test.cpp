// Key capture with real keyboard input: SendInput into the focused key field, so the
// thread keyboard hook sees what a user's key presses produce.
#include "page_fixture.h"

#include "key_text.h"

namespace {

void Ok(HWND hDlg) { SendMessageW(hDlg, WM_COMMAND, IDOK, (LPARAM)GetDlgItem(hDlg, IDOK)); }
void Cancel(HWND hDlg) { SendMessageW(hDlg, WM_COMMAND, IDCANCEL, (LPARAM)GetDlgItem(hDlg, IDCANCEL)); }

std::wstring KeysOf(const ASSIGNMENT &a) {
    WCHAR szText[KEY_TEXT_CHARS] = L"";
    FormatKeyText(szText, &a);
    return szText;
}

typedef PagesTest KeyCaptureTest;

// First presses of named keys, up to three; OK stores what the field shows.
TEST_F(KeyCaptureTest, TheFieldTakesFirstPressesOfNamedKeys) {
    const struct { const char *name; std::vector<WORD> keys; const wchar_t *pszText; int nBeeps; } cases[] = {
        {"a fourth key only beeps",
         {DOWN | VK_CONTROL, DOWN | VK_SHIFT, DOWN | 'S', UP | 'S', UP | VK_SHIFT, UP | VK_CONTROL, 'A'},
         L"{Ctrl}{Shift}{S}", 1},
        {"auto-repeat counts once", {DOWN | 'S', DOWN | 'S', DOWN | 'S', UP | 'S', 'T'}, L"{S}{T}", 0},
        {"keys without a name take no place",
         {'Q', VK_NUMPAD5, VK_HOME, VK_END, VK_NEXT, VK_ADD, VK_OEM_1, VK_LWIN, 'W', 'E'}, L"{Q}{W}{E}", 0},
        // Windows usually delivers print-screen as its release alone.
        {"print screen once per press", {VK_SNAPSHOT, UP | VK_SNAPSHOT}, L"{PrtSc}{PrtSc}", 0},
        {"Enter and Esc are keys, not the dialog's", {VK_RETURN, VK_ESCAPE}, L"{Enter}{Esc}", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Reset(Entry(5));
        Entry(5).nKind = ASSIGN_KEY;
        g_Seen.nBeeps = 0;
        int nResult = RunKeyDialog(5, [&](HWND hDlg) {
            ASSERT_TRUE(FocusKeyField(hDlg));
            Type(c.keys);
            ASSERT_TRUE(WaitText(hDlg, IDC_KEY_FIELD, c.pszText));
            EXPECT_TRUE(IsWindowVisible(hDlg));
            Ok(hDlg);
        });
        EXPECT_EQ(IDOK, nResult);
        EXPECT_EQ(c.nBeeps, g_Seen.nBeeps);
        EXPECT_EQ(c.pszText, KeysOf(Entry(5)));
    }
}

// A double click selects one key's piece; Delete or BackSpace removes that key, other keys
// and selections that hold no piece change nothing.
TEST_F(KeyCaptureTest, SelectedPiecesAreRemovedByDeleteOrBackSpace) {
    const struct { int nClickChar, nSelStart, nSelEnd; WORD wKey; const wchar_t *pszLeft; } cases[] = {
        {9, 0, 0, VK_DELETE, L"{Ctrl}{S}"},       // inside {Shift}
        {1, 0, 0, VK_BACK, L"{Shift}{S}"},        // inside {Ctrl}
        {14, 0, 0, VK_DELETE, L"{Ctrl}{Shift}"},  // on the S of {S}
        {-1, 0, 6, 'X', L"{Ctrl}{Shift}{S}"},
        {-1, 15, 16, VK_DELETE, L"{Ctrl}{Shift}{S}"},  // after the last piece
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.pszLeft)) + " " + std::to_string(c.wKey));
        Reset(Entry(6));
        Entry(6).nKind = ASSIGN_KEY;
        SetKeys(Entry(6), {VK_CONTROL, VK_SHIFT, 'S'});
        RunKeyDialog(6, [&](HWND hDlg) {
            HWND hField = GetDlgItem(hDlg, IDC_KEY_FIELD);
            ASSERT_TRUE(FocusKeyField(hDlg));
            if (c.nClickChar >= 0) {
                LRESULT lPos = SendMessageW(hField, EM_POSFROMCHAR, c.nClickChar, 0);
                SendMessageW(hField, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(LOWORD(lPos) + 1, HIWORD(lPos) + 2));
            } else {
                SendMessageW(hField, EM_SETSEL, c.nSelStart, c.nSelEnd);
            }
            Type({c.wKey});
            ASSERT_TRUE(WaitText(hDlg, IDC_KEY_FIELD, c.pszLeft));
            Ok(hDlg);
        });
        EXPECT_EQ(c.pszLeft, KeysOf(Entry(6)));
    }
}

TEST_F(KeyCaptureTest, WhileEnterIsHeldOkAndCancelAreIgnored) {
    Entry(7).nKind = ASSIGN_KEY;
    int nResult = RunKeyDialog(7, [&](HWND hDlg) {
        ASSERT_TRUE(FocusKeyField(hDlg));
        // Wine updates the key state for a swallowed press only once a key has passed before.
        Type({VK_RETURN});
        ASSERT_TRUE(WaitText(hDlg, IDC_KEY_FIELD, L"{Enter}"));
        Type({DOWN | VK_RETURN});
        ASSERT_TRUE(WaitText(hDlg, IDC_KEY_FIELD, L"{Enter}{Enter}"));
        Ok(hDlg);
        Cancel(hDlg);
        EXPECT_TRUE(IsWindowVisible(hDlg));
        Type({UP | VK_RETURN});
        ASSERT_TRUE(WaitText(hDlg, IDC_KEY_FIELD, L"{Enter}{Enter}"));
        Ok(hDlg);
    });
    EXPECT_EQ(IDOK, nResult);
}

BYTE *g_pNoAccess;
int g_nNoAccessFaults;

// Wine may swallow a fault inside a hook; a vectored handler still sees it first.
LONG CALLBACK CountNoAccessFault(EXCEPTION_POINTERS *pInfo) {
    const EXCEPTION_RECORD *r = pInfo->ExceptionRecord;
    if (r->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && r->NumberParameters >= 2 &&
        (BYTE *)r->ExceptionInformation[1] >= g_pNoAccess && (BYTE *)r->ExceptionInformation[1] < g_pNoAccess + 4096)
        g_nNoAccessFaults++;
    return EXCEPTION_CONTINUE_SEARCH;
}

// The hook is thread-wide: keys typed into another control of the dialog, or into a window
// (a file dialog, a message box) that keeps a pointer of its own in its window data, go
// there untouched, and the hook reads nothing of that window.
TEST_F(KeyCaptureTest, KeysForOtherWindowsPassWithoutReadingTheirData) {
    g_pNoAccess = (BYTE *)VirtualAlloc(NULL, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_TRUE(g_pNoAccess);
    g_nNoAccessFaults = 0;
    PVOID hHandler = AddVectoredExceptionHandler(1, CountNoAccessFault);
    Entry(9).nKind = ASSIGN_MOUSE;
    Entry(9).nMouseAction = MOUSE_MOVE_UP;
    RunKeyDialog(9, [&](HWND hDlg) {
        HWND hOther = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 60, 14, hDlg,
                                      (HMENU)IDC_KEY_FIELD, NULL, NULL);
        SetWindowLongPtrW(hOther, GWLP_USERDATA, (LONG_PTR)g_pNoAccess);
        SetForegroundWindow(hDlg);
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == hDlg; }, 5000, hDlg));
        for (HWND hTarget : {hOther, GetDlgItem(hDlg, IDC_MOVE_AMOUNT)}) {
            SetFocus(hTarget);
            SendMessageW(hTarget, EM_SETSEL, 0, -1);
            Type({'7', '5'});
            EXPECT_TRUE(PumpUntil([&] { return TextOf(hTarget) == L"75"; }, 5000, hDlg)) << "the keys reach that window";
        }
        DestroyWindow(hOther);
        EXPECT_EQ(L"", TextOf(GetDlgItem(hDlg, IDC_KEY_FIELD)));
        Ok(hDlg);
    });
    RemoveVectoredExceptionHandler(hHandler);
    VirtualFree(g_pNoAccess, 0, MEM_RELEASE);
    EXPECT_EQ(0, g_nNoAccessFaults) << "the hook read the other window's data";
    EXPECT_EQ(75, Entry(9).wMoveAmount);
    EXPECT_EQ(0, Entry(9).nKeyCount);
}

}  // namespace
