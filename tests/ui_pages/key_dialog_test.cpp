// The key setting dialog: filling, enabling, browse, OK with the missing-file question,
// cancel; and key capture with real keyboard input, SendInput into the focused key field, so
// the thread keyboard hook sees what a user's key presses produce.
#include "page_fixture.h"

#include <imm.h>

#include "dialogs.h"
#include "key_text.h"

namespace {

// Opens the key setting dialog on a slot as a click does; returns its result.
int RunKeyDialog(int nSlot, const std::function<void(HWND)> &body) {
    INT_PTR nResult = 0;
    EXPECT_TRUE(OnKeyDialog(
        [&] {
            nResult = DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_KEY_SETTING),
                                      PagesTest::PageOfSlot(nSlot), KeySettingDlgProc,
                                      (LPARAM)&g_CurrentSet.aAssign[nSlot]);
        },
        body))
        << "the key setting dialog never showed";
    return (int)nResult;
}

// Keyboard input into the focused window of this thread: a key alone is pressed and
// released; with DOWN or UP, only that.
const WORD DOWN = 0x4000, UP = 0x8000;

void Type(const std::vector<WORD> &keys) {
    for (WORD k : keys) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = k & ~(DOWN | UP);
        in.ki.wScan = (WORD)MapVirtualKeyW(in.ki.wVk, MAPVK_VK_TO_VSC);
        if (!(k & UP))
            SendInput(1, &in, sizeof(in));
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        if (!(k & DOWN))
            SendInput(1, &in, sizeof(in));
    }
}

bool FocusKeyField(HWND hDlg) {
    HWND hField = GetDlgItem(hDlg, IDC_KEY_FIELD);
    SetForegroundWindow(hDlg);
    if (!PumpUntil([&] { return GetForegroundWindow() == hDlg; }, 5000, hDlg))
        return false;
    SetFocus(hField);
    SendMessageW(hField, EM_SETSEL, (WPARAM)-1, 0);  // caret only, no selection
    return PumpUntil([&] { return GetFocus() == hField; }, 5000, hDlg);
}

// Pumps the dialog until the control shows text and no keyboard input is left.
bool WaitText(HWND hDlg, int nId, const std::wstring &text) {
    HWND hControl = GetDlgItem(hDlg, nId);
    bool bOk = PumpUntil([&] { return TextOf(hControl) == text && !GetQueueStatus(QS_INPUT); }, 5000, hDlg);
    EXPECT_EQ(text, TextOf(hControl));
    return bOk;
}

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
        {"click: no amount", [](ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = MOUSE_RIGHT_CLICK; },
         IDC_KIND_MOUSE, "l", L"", MOUSE_RIGHT_CLICK, L"0"},
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

// A path a settings file cannot hold is refused on OK, before the missing-file question: the
// dialog stays open and the slot keeps its entry. A path it holds is then taken.
TEST_F(KeyDialogTest, OkRefusesAPathASettingsFileCannotHold) {
    Entry(4).nKind = ASSIGN_APPLICATION;
    SetPath(Entry(4), L"C:\\ui_pages_missing\\tool.exe");
    ASSIGNMENT before = Entry(4);
    WCHAR szRefusal[512] = L"";
    ASSERT_GT(LoadStringW(GetModuleHandleW(NULL), IDS_UNSTORABLE_PATH, szRefusal, 512), 0);
    g_Seen.boxAnswers = {IDOK, IDOK, IDOK};
    int nResult = RunKeyDialog(4, [&](HWND hDlg) {
        for (const wchar_t *pszPath : {L"C:\\ui_pages_missing\\\u00a5.exe", L"C:\\ui_pages_missing\\\U0001F600.exe"}) {
            SetDlgItemTextW(hDlg, IDC_APP_PATH, pszPath);
            Command(hDlg, IDOK);
            EXPECT_TRUE(IsWindowVisible(hDlg)) << "the dialog stays open";
            EXPECT_EQ(szRefusal, g_Seen.boxText);
            EXPECT_EQ(0, memcmp(&before, &Entry(4), sizeof(before)));
        }
        SetDlgItemTextW(hDlg, IDC_APP_PATH, L"C:\\ui_pages_missing\\ツール.exe");
        Command(hDlg, IDOK);  // the missing-file question, answered OK
    });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ(3, g_Seen.nBoxes);
    EXPECT_STREQ(L"C:\\ui_pages_missing\\ツール.exe", Entry(4).pszPath);
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
        EXPECT_EQ(L"C:\\other.exe", Text(hDlg, IDC_APP_PATH));
        SendDlgItemMessageW(hDlg, IDC_KIND_MOUSE, BM_CLICK, 0, 0);
        ChooseAction(hDlg, MOUSE_MOVE_UP);
        SetDlgItemTextW(hDlg, IDC_MOVE_AMOUNT, L"9");
        ChooseAction(hDlg, MOUSE_MOVE_DOWN);
        EXPECT_EQ(L"640", Text(hDlg, IDC_MOVE_AMOUNT)) << "a new action shows the stored amount again";
        SendDlgItemMessageW(hDlg, IDC_KIND_DISABLED, BM_CLICK, 0, 0);
        Command(hDlg, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, nResult);
    EXPECT_EQ(0, memcmp(&before, &e, sizeof(ASSIGNMENT))) << "every byte, the path reference included";
    EXPECT_EQ(view, View(e));
    EXPECT_EQ(0, g_State.bModified);
}

void Choose(HWND hDlg, int nList, int nItem) {
    HWND hList = GetDlgItem(hDlg, nList);
    SendMessageW(hList, CB_SETCURSEL, nItem, 0);
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(nList, CBN_SELCHANGE), (LPARAM)hList);
}

// The enabled mode controls: m press mode, r turbo rate, y layer mode, L the layer kind.
std::string ModesEnabled(HWND hDlg) {
    const struct { char c; int nId; } controls[] = {
        {'m', IDC_PRESS_MODE}, {'r', IDC_TURBO_RATE}, {'y', IDC_LAYER_MODE}, {'L', IDC_KIND_LAYER}};
    std::string s;
    for (const auto &c : controls)
        if (IsWindowEnabled(GetDlgItem(hDlg, c.nId)))
            s += c.c;
    return s;
}

// OK stores the mode, the rate (held to 5..30) and the layer mode where they act and clears
// them where they do not; -1 and NULL leave a control as the dialog showed it.
TEST_F(KeyDialogTest, OkStoresModesWhereTheyActAndClearsThemElsewhere) {
    auto turbo20 = [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; a.nPressMode = PRESS_TURBO; a.nTurboRate = 20; };
    const struct { const char *name; void (*make)(ASSIGNMENT &); int nRadio, nAction, nMode; const wchar_t *pszRate;
                   int nLayerMode; const char *pszEnabled; const wchar_t *pszShownRate;
                   int nKind, nStoredMode, nStoredRate, nStoredLayer; } cases[] = {
        {"key turbo", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; }, 0, -1, PRESS_TURBO, L"20", -1, "mrL", L"15",
         ASSIGN_KEY, PRESS_TURBO, 20, LAYER_HOLD},
        {"rate above", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; }, 0, -1, PRESS_TURBO, L"99", -1, "mrL", L"15",
         ASSIGN_KEY, PRESS_TURBO, 30, LAYER_HOLD},
        {"rate below", turbo20, 0, -1, -1, L"3", -1, "mrL", L"20", ASSIGN_KEY, PRESS_TURBO, 5, LAYER_HOLD},
        {"rate empty", turbo20, 0, -1, -1, L"", -1, "mrL", L"20", ASSIGN_KEY, PRESS_TURBO, 15, LAYER_HOLD},
        {"turbo to toggle", turbo20, 0, -1, PRESS_TOGGLE, nullptr, -1, "mL", L"20", ASSIGN_KEY, PRESS_TOGGLE, 0, LAYER_HOLD},
        {"toggle click", [](ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = MOUSE_RIGHT_CLICK; }, 0,
         MOUSE_MIDDLE_CLICK, PRESS_TOGGLE, nullptr, -1, "mL", L"15", ASSIGN_MOUSE, PRESS_TOGGLE, 0, LAYER_HOLD},
        {"a double click cannot latch", [](ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nPressMode = PRESS_TOGGLE; }, 0,
         MOUSE_DOUBLE_CLICK, -1, nullptr, -1, "mL", L"15", ASSIGN_MOUSE, PRESS_NORMAL, 0, LAYER_HOLD},
        {"turbo key to a move", turbo20, IDC_KIND_MOUSE, MOUSE_MOVE_UP, -1, nullptr, -1, "L", L"20",
         ASSIGN_MOUSE, PRESS_NORMAL, 0, LAYER_HOLD},
        {"turbo key to a scroll", turbo20, IDC_KIND_MOUSE, MOUSE_SCROLL_DOWN, -1, nullptr, -1, "L", L"20",
         ASSIGN_MOUSE, PRESS_NORMAL, 0, LAYER_HOLD},
        {"turbo key to an application", turbo20, IDC_KIND_APPLICATION, -1, -1, nullptr, -1, "L", L"20",
         ASSIGN_APPLICATION, PRESS_NORMAL, 0, LAYER_HOLD},
        {"turbo key to a layer", turbo20, IDC_KIND_LAYER, -1, -1, nullptr, LAYER_TOGGLE, "yL", L"20",
         ASSIGN_LAYER, PRESS_NORMAL, 0, LAYER_TOGGLE},
        {"layer toggle to a key", [](ASSIGNMENT &a) { a.nKind = ASSIGN_LAYER; a.nLayerMode = LAYER_TOGGLE; },
         IDC_KIND_KEY, -1, -1, nullptr, -1, "mL", L"15", ASSIGN_KEY, PRESS_NORMAL, 0, LAYER_HOLD},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Reset(Entry(8));
        c.make(Entry(8));
        EXPECT_EQ(IDOK, RunKeyDialog(8, [&](HWND hDlg) {
            EXPECT_EQ(c.pszShownRate, Text(hDlg, IDC_TURBO_RATE));
            if (c.nRadio)
                SendDlgItemMessageW(hDlg, c.nRadio, BM_CLICK, 0, 0);
            if (c.nAction >= 0)
                ChooseAction(hDlg, c.nAction);
            if (c.nMode >= 0)
                Choose(hDlg, IDC_PRESS_MODE, c.nMode);
            if (c.nLayerMode >= 0)
                Choose(hDlg, IDC_LAYER_MODE, c.nLayerMode);
            if (c.pszRate)
                SetDlgItemTextW(hDlg, IDC_TURBO_RATE, c.pszRate);
            EXPECT_EQ(c.pszEnabled, ModesEnabled(hDlg));
            int nModes = c.nKind == ASSIGN_MOUSE && c.nAction == MOUSE_DOUBLE_CLICK ? 2 : 3;
            EXPECT_EQ(nModes, SendDlgItemMessageW(hDlg, IDC_PRESS_MODE, CB_GETCOUNT, 0, 0)) << "modes offered";
            Command(hDlg, IDOK);
        }));
        const ASSIGNMENT &e = Entry(8);
        EXPECT_EQ(c.nKind, e.nKind);
        EXPECT_EQ(c.nStoredMode, e.nPressMode);
        EXPECT_EQ(c.nStoredRate, e.nTurboRate);
        EXPECT_EQ(c.nStoredLayer, e.nLayerMode);
    }
}

// A layer-2 entry is edited like any other, but a layer slot cannot be made there.
TEST_F(KeyDialogTest, LayerTwoDoesNotOfferTheLayerKind) {
    ASSIGNMENT &e = g_CurrentSet.aLayer2[5];
    e.nKind = ASSIGN_KEY;
    std::string enabled;
    EXPECT_TRUE(OnKeyDialog(
        [&] {
            DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_KEY_SETTING), PageOfSlot(5),
                            KeySettingDlgProc, (LPARAM)&e);
        },
        [&](HWND hDlg) {
            enabled = ModesEnabled(hDlg);
            Choose(hDlg, IDC_PRESS_MODE, PRESS_TOGGLE);
            Command(hDlg, IDOK);
        }));
    EXPECT_EQ("m", enabled);
    EXPECT_EQ(PRESS_TOGGLE, e.nPressMode);
    EXPECT_EQ(PRESS_NORMAL, Entry(5).nPressMode) << "layer 1 untouched";
}

typedef PagesTest KeyCaptureTest;

// First presses of named keys, up to three; a double click selects one key's piece, which
// Delete or BackSpace removes, while other keys and selections that hold no piece change
// nothing. OK stores what the field shows.
TEST_F(KeyCaptureTest, TheFieldTakesFirstPressesOfNamedKeysAndRemovesSelectedOnes) {
    const std::vector<WORD> kCtrlShiftS = {VK_CONTROL, VK_SHIFT, 'S'};
    const struct { const char *name; std::vector<WORD> start; int nClickChar, nSelFrom, nSelTo;
                   std::vector<WORD> keys; const wchar_t *pszText; int nBeeps; } cases[] = {
        {"a fourth key only beeps", {}, -1, -1, -1,
         {DOWN | VK_CONTROL, DOWN | VK_SHIFT, DOWN | 'S', UP | 'S', UP | VK_SHIFT, UP | VK_CONTROL, 'A'},
         L"{Ctrl}{Shift}{S}", 1},
        {"auto-repeat counts once", {}, -1, -1, -1, {DOWN | 'S', DOWN | 'S', DOWN | 'S', UP | 'S', 'T'}, L"{S}{T}", 0},
        {"keys without a name take no place", {}, -1, -1, -1,
         {'Q', VK_NUMPAD5, VK_HOME, VK_END, VK_NEXT, VK_ADD, VK_OEM_1, VK_LWIN, 'W', 'E'}, L"{Q}{W}{E}", 0},
        // Windows usually delivers print-screen as its release alone.
        {"print screen once per press", {}, -1, -1, -1, {VK_SNAPSHOT, UP | VK_SNAPSHOT}, L"{PrtSc}{PrtSc}", 0},
        {"Enter and Esc are keys, not the dialog's", {}, -1, -1, -1, {VK_RETURN, VK_ESCAPE}, L"{Enter}{Esc}", 0},
        {"Delete inside {Shift}", kCtrlShiftS, 9, -1, -1, {VK_DELETE}, L"{Ctrl}{S}", 0},
        {"BackSpace inside {Ctrl}", kCtrlShiftS, 1, -1, -1, {VK_BACK}, L"{Shift}{S}", 0},
        {"Delete on the S of {S}", kCtrlShiftS, 14, -1, -1, {VK_DELETE}, L"{Ctrl}{Shift}", 0},
        {"another key with a selection", kCtrlShiftS, -1, 0, 6, {'X'}, L"{Ctrl}{Shift}{S}", 0},
        {"Delete after the last piece", kCtrlShiftS, -1, 15, 16, {VK_DELETE}, L"{Ctrl}{Shift}{S}", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Reset(Entry(5));
        Entry(5).nKind = ASSIGN_KEY;
        for (WORD k : c.start)
            Entry(5).awKey[Entry(5).nKeyCount++] = k;
        g_Seen.nBeeps = 0;
        int nResult = RunKeyDialog(5, [&](HWND hDlg) {
            HWND hField = GetDlgItem(hDlg, IDC_KEY_FIELD);
            ASSERT_TRUE(FocusKeyField(hDlg));
            LRESULT lPos = SendMessageW(hField, EM_POSFROMCHAR, c.nClickChar, 0);
            if (c.nClickChar >= 0)
                SendMessageW(hField, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(LOWORD(lPos) + 1, HIWORD(lPos) + 2));
            if (c.nSelFrom >= 0)
                SendMessageW(hField, EM_SETSEL, c.nSelFrom, c.nSelTo);
            Type(c.keys);
            ASSERT_TRUE(WaitText(hDlg, IDC_KEY_FIELD, c.pszText));
            EXPECT_TRUE(IsWindowVisible(hDlg));
            Command(hDlg, IDOK);
        });
        EXPECT_EQ(IDOK, nResult);
        EXPECT_EQ(c.nBeeps, g_Seen.nBeeps);
        WCHAR szStored[KEY_TEXT_CHARS] = L"";
        FormatKeyText(szStored, &Entry(5));
        EXPECT_EQ(c.pszText, std::wstring(szStored));
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
        Command(hDlg, IDOK);
        Command(hDlg, IDCANCEL);
        EXPECT_TRUE(IsWindowVisible(hDlg));
        Type({UP | VK_RETURN});
        ASSERT_TRUE(WaitText(hDlg, IDC_KEY_FIELD, L"{Enter}{Enter}"));
        Command(hDlg, IDOK);
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
// there untouched, and the hook reads nothing of that window; OK stores what the fields show.
TEST_F(KeyCaptureTest, KeysForOtherWindowsPassWithoutReadingTheirData) {
    g_pNoAccess = (BYTE *)VirtualAlloc(NULL, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_TRUE(g_pNoAccess);
    g_nNoAccessFaults = 0;
    PVOID hHandler = AddVectoredExceptionHandler(1, CountNoAccessFault);
    Entry(9).nKind = ASSIGN_MOUSE;
    Entry(9).nMouseAction = MOUSE_MOVE_UP;
    RunKeyDialog(9, [&](HWND hDlg) {
        ChooseAction(hDlg, MOUSE_MOVE_LEFT);
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
        Command(hDlg, IDOK);
    });
    RemoveVectoredExceptionHandler(hHandler);
    VirtualFree(g_pNoAccess, 0, MEM_RELEASE);
    EXPECT_EQ(0, g_nNoAccessFaults) << "the hook read the other window's data";
    EXPECT_EQ(MOUSE_MOVE_LEFT, Entry(9).nMouseAction);
    EXPECT_EQ(75, Entry(9).wMoveAmount) << "OK stores what the fields show";
    EXPECT_EQ(1, g_State.bModified);
    EXPECT_EQ(0, Entry(9).nKeyCount);
}

}  // namespace
