// The About and options dialogs on the real window, and one set per program: switching on a
// change of the foreground program and back, never over unsaved changes, held input let go
// before the new set acts, the file remembered at exit, and the list dialog.
#include "zan_fixture.h"

#include "dialogs.h"
#include "modal_ui.h"
#include "program_watch.h"
#include "setting_file.h"
#include "version.h"

namespace {

// The foreground moves to program `name` (process: Zan's own to mean one of its windows)
// and the system says so.
void Focus(const std::wstring &name, DWORD dwProcess = 0x4242) {
    g_pTest->foregroundName = name;
    g_pTest->dwForegroundProcess = dwProcess;
    g_pTest->ForegroundMoved();
}

// What a look that could not decide leaves to the next ones, with no further report.
bool SwitchesTo(const std::wstring &path) {
    return PumpUntil([&] { return path == g_State.szCurrentFile; });
}


WORD FirstKeyIn(const std::wstring &path) {
    ASSIGNMENT_SET set = {};
    EXPECT_TRUE(LoadSettingFile(path.c_str(), &set, 1)) << path;
    WORD wKey = set.aAssign[0].awKey[0];
    ReleaseAssignmentPaths(&set);
    return wKey;
}

// default.zan (key A) is the set applied at start, game.zan (key B) Game.exe's.
class ProgramSetsTest : public ZanTest {
protected:
    void WriteDefaultAndGame() {
        WriteSetFile(Path(L"default.zan"), 'A', 0x1);
        WriteSetFile(Path(L"game.zan"), 'B', 0x2);
        WriteOptions(1, Path(L"default.zan"), 1, 1000);
        SetOption(L"bProgramSets", 1);
        WritePrivateProfileStringW(L"programs", L"Game.exe", Path(L"game.zan").c_str(), ini.c_str());
    }
};

void Click(HWND hDlg, int id) {
    SendDlgItemMessageW(hDlg, id, BM_CLICK, 0, 0);
}

void ChooseTimeout(HWND hDlg, int item) {
    SendDlgItemMessageW(hDlg, IDC_OPT_TIMEOUT, CB_SETCURSEL, item, 0);
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDC_OPT_TIMEOUT, CBN_SELCHANGE), (LPARAM)GetDlgItem(hDlg, IDC_OPT_TIMEOUT));
}

struct OptionSwitch {
    int nControl;
    const wchar_t *key;
    int APP_OPTIONS::*pField;
};

const OptionSwitch kSwitches[] = {
    {IDC_OPT_AUTO_CONNECT, L"bAutoConnect", &APP_OPTIONS::bAutoConnect},
    {IDC_OPT_CLOSE_TO_TRAY, L"bCloseToTray", &APP_OPTIONS::bCloseToTray},
    {IDC_OPT_START_IN_TRAY, L"bStartInTray", &APP_OPTIONS::bStartInTray},
    {IDC_OPT_HIGHLIGHT_PRESSED, L"bHighlightPressed", &APP_OPTIONS::bHighlightPressed},
    {IDC_OPT_PROGRAM_SWITCH, L"bProgramSets", &APP_OPTIONS::bProgramSets},
    {IDC_OPT_IMMEDIATE_REACTION, L"bImmediateReaction", &APP_OPTIONS::bImmediateReaction},
};

}  // namespace

// About shows the library's version and destroys its icon when it closes. The options
// dialog's OK takes every control into the options, option.ini and the remote in use; the
// time-out list holds the offered values only (option.ini gives no other). Cancel changes
// nothing.
TEST_F(ZanTest, AboutAndOptionsDialogs) {
    SimAddRemote();
    std::wstring last = Path(L"last.zan"), browsed = Path(L"browsed.zan");
    WriteOptions(0, last, 1, 3000);
    Start();
    ASSERT_EQ(0, g_State.nSelectedRemote);
    HICON hIcon = NULL;
    ICONINFO info = {};
    DriveModal([&] { Command(IDM_ABOUT); }, [&](HWND hDlg) {
        EXPECT_EQ(L"tavel v" TAVEL_VERSION_TEXT, TextOf(GetDlgItem(hDlg, IDC_LIBRARY_VERSION)));
        hIcon = (HICON)SendDlgItemMessageW(hDlg, IDC_ABOUT_ICON, STM_GETICON, 0, 0);
        EXPECT_TRUE(GetIconInfo(hIcon, &info)) << "no icon shown";
        PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
    });
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_FALSE(GetIconInfo(hIcon, &info)) << "the icon was not destroyed";

    fileAnswers.push_back(browsed);
    APP_OPTIONS before = g_Options;
    DriveModal([&] { Command(IDM_OPTIONS); }, [&](HWND hDlg) {
        EXPECT_EQ(5, (int)SendDlgItemMessageW(hDlg, IDC_OPT_TIMEOUT, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(3, (int)SendDlgItemMessageW(hDlg, IDC_OPT_TIMEOUT, CB_GETCURSEL, 0, 0)) << "3000";
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hDlg, IDC_OPT_CONNECT));
        EXPECT_EQ(last, TextOf(GetDlgItem(hDlg, IDC_OPT_SETTING_FILE)));
        // Both enabled at first, whatever the box shows; then they follow it.
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hDlg, IDC_OPT_BROWSE)));
        Click(hDlg, IDC_OPT_INIT_SET);
        Click(hDlg, IDC_OPT_INIT_SET);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDlg, IDC_OPT_SETTING_FILE)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDlg, IDC_OPT_BROWSE)));
        Click(hDlg, IDC_OPT_INIT_SET);
        Click(hDlg, IDC_OPT_BROWSE);
        EXPECT_EQ(browsed, TextOf(GetDlgItem(hDlg, IDC_OPT_SETTING_FILE)));
        Click(hDlg, IDC_OPT_CONNECT);
        for (const OptionSwitch &sw : kSwitches) {
            EXPECT_EQ(g_Options.*sw.pField ? BST_CHECKED : BST_UNCHECKED, IsDlgButtonChecked(hDlg, sw.nControl))
                << sw.key;
            Click(hDlg, sw.nControl);
        }
        ChooseTimeout(hDlg, 2);
        EXPECT_EQ(3000u, g_Options.dwTimeout) << "the record waits for OK";
        PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(L"1", ReadIniValue(L"bInitSet"));
    EXPECT_EQ(L"2000", ReadIniValue(L"dwTimeout"));
    EXPECT_EQ(L"0", ReadIniValue(L"bConnect"));
    EXPECT_EQ(browsed, ReadIniValue(L"szSettingFilename"));
    for (const OptionSwitch &sw : kSwitches) {
        EXPECT_EQ(!(before.*sw.pField), g_Options.*sw.pField) << sw.key;
        EXPECT_EQ(before.*sw.pField ? L"0" : L"1", ReadIniValue(sw.key));
    }
    WM_SYSTEM system = {};
    system.dwFlags = WMSYS_TIMEOUT;
    ASSERT_EQ(1, wm_GetSystem(0, &system));
    EXPECT_EQ(2000u, system.dwTimeout) << "the remote in use gets the timeout";

    DriveModal([&] { Command(IDM_OPTIONS); }, [&](HWND hDlg) {
        EXPECT_EQ(5, (int)SendDlgItemMessageW(hDlg, IDC_OPT_TIMEOUT, CB_GETCOUNT, 0, 0)) << "2000 is in the list";
        Click(hDlg, IDC_OPT_CONNECT);
        ChooseTimeout(hDlg, 0);
        PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(0, g_Options.bConnect);
    EXPECT_EQ(2000u, g_Options.dwTimeout);
    EXPECT_EQ(L"0", ReadIniValue(L"bConnect")) << "cancel writes nothing";
}

// The pause combination: shown as option.ini has it (one it does not list as an item of its
// own), stored on OK only.
TEST_F(ZanTest, OptionsDialogChoosesThePauseCombination) {
    const DWORD kHomeMinus = 0xC, kHomePlus = 0x18, kMinusPlus = 0x14, kOneTwo = 0x60, kAandB = 0x3;
    const struct { DWORD dwBefore; const wchar_t *pszShown; int nItems, nChoose, nEnd; DWORD dwAfter; } cases[] = {
        {kHomeMinus, L"HOME と −", 5, 3, IDOK, kOneTwo},   {kOneTwo, L"1 と 2", 5, 4, IDOK, 0},
        {0, L"使わない", 5, 1, IDOK, kHomePlus},            {kHomePlus, L"HOME と +", 5, 2, IDOK, kMinusPlus},
        {kMinusPlus, L"− と +", 5, 0, IDOK, kHomeMinus},     {kAandB, L"option.ini の組み合わせ", 6, -1, IDOK, kAandB},
        {kAandB, L"option.ini の組み合わせ", 6, 0, IDOK, kHomeMinus}, {kHomePlus, L"HOME と +", 5, 4, IDCANCEL, kHomePlus},
    };
    Start();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.dwBefore * 100 + c.nChoose);
        g_Options.dwPauseSlots = c.dwBefore;
        DriveModal([&] { Command(IDM_OPTIONS); }, [&](HWND hDlg) {
            HWND hList = GetDlgItem(hDlg, IDC_OPT_PAUSE_SLOTS);
            EXPECT_EQ(c.nItems, (int)SendMessageW(hList, CB_GETCOUNT, 0, 0));
            EXPECT_EQ(c.pszShown, TextOf(hList));
            if (c.nChoose >= 0) {
                SendMessageW(hList, CB_SETCURSEL, c.nChoose, 0);
                SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDC_OPT_PAUSE_SLOTS, CBN_SELCHANGE), (LPARAM)hList);
            }
            EXPECT_EQ(c.dwBefore, g_Options.dwPauseSlots) << "the record waits for OK";
            PostMessageW(hDlg, WM_COMMAND, c.nEnd, 0);
        });
        EXPECT_EQ(c.dwAfter, g_Options.dwPauseSlots);
    }
}

// The listed program in front selects its set, any other program the default one; never
// over unsaved changes or from a file that does not load, which the status bar says. A held
// button whose key changes with the switch: the old key comes up before the new one goes
// down, in the program that now has the foreground.
TEST_F(ProgramSetsTest, ForegroundProgramSelectsItsSetAndLeavingRestoresTheDefault) {
    SIM_REMOTE *pSim = SimAddRemote();
    WriteDefaultAndGame();
    WritePrivateProfileStringW(L"programs", L"broken.exe", Path(L"missing.zan").c_str(), ini.c_str());
    WritePrivateProfileStringW(L"programs", L"nofile.exe", L"  ", ini.c_str());   // refused, and said so
    Start();
    const std::wstring connection = StatusText(0);
    SimSetButtons(pSim, 0, kButtonA);
    ASSERT_TRUE(PumpUntil([&] { return CountKey('A', false) > 0; }));
    Focus(L"game.exe");
    ASSERT_TRUE(PumpUntil([&] { return CountKey('B', false) > 0; }));
    std::vector<KeyEvent> keys = Keys();
    auto firstB = std::find_if(keys.begin(), keys.end(), [](const KeyEvent &e) { return e.wVk == 'B' && !e.bUp; });
    auto lastA = std::find_if(std::make_reverse_iterator(firstB), keys.rend(), [](const KeyEvent &e) { return e.wVk == 'A'; });
    ASSERT_NE(keys.rend(), lastA);
    EXPECT_TRUE(lastA->bUp) << "A was up before B went down";
    SimSetButtons(pSim, 0, 0);
    Focus(L"notepad.exe");
    // An application path in the default set, changed in memory only: it must come back as it was.
    LockRecord();
    g_CurrentSet.aAssign[5].nKind = ASSIGN_APPLICATION;
    g_CurrentSet.aAssign[5].pszPath = AllocPathText(9);
    lstrcpyW(g_CurrentSet.aAssign[5].pszPath, L"calc.exe");
    UnlockRecord();

    struct Step { const wchar_t *name; DWORD process; const wchar_t *file; WORD key; } steps[] = {
        { L"GAME.EXE", 0x4242, L"game.zan", 'B' },             // any case
        { L"ui_main_test.exe", GetCurrentProcessId(), L"game.zan", 'B' },  // Zan itself: stays
        { L"", 0, L"game.zan", 'B' },                                 // no foreground window
        { L"notepad.exe", 0x4242, L"default.zan", 'A' },
        { L"game.exe", 0x4242, L"game.zan", 'B' },
    };
    for (const Step &s : steps) {
        Focus(s.name, s.process);
        EXPECT_EQ(Path(s.file), g_State.szCurrentFile) << s.name;
        EXPECT_EQ(s.key, g_CurrentSet.aAssign[0].awKey[0]) << s.name;
        EXPECT_EQ(L"Zan " + std::wstring(s.file), TextOf(hMain)) << s.name;
    }
    EnterModalUi();   // as while a dialog of Zan is open
    Focus(L"notepad.exe");
    EXPECT_EQ(Path(L"game.zan"), g_State.szCurrentFile) << "no switch under a modal dialog";
    LeaveModalUi();
    EXPECT_TRUE(SwitchesTo(Path(L"default.zan"))) << "looked again once the dialog closed";
    EXPECT_STREQ(L"calc.exe", g_CurrentSet.aAssign[5].pszPath);
    g_Options.bProgramSets = 0;
    Focus(L"game.exe");
    EXPECT_EQ(Path(L"default.zan"), g_State.szCurrentFile) << "the option switches it off";
    g_Options.bProgramSets = 1;

    // A modified set is never replaced, whichever way the switch would go.
    for (const wchar_t *away : {L"notepad.exe", L"game.exe"}) {
        const std::wstring from = away == std::wstring(L"game.exe") ? L"default.zan" : L"game.zan";
        Focus(from == L"game.zan" ? L"game.exe" : L"notepad.exe");
        MarkModified();
        Focus(away);
        EXPECT_EQ(Path(from), g_State.szCurrentFile) << "a modified set is never replaced: " << from;
        EXPECT_EQ(L"設定ファイルが保存されていないため、設定を切り替えていません", StatusText(0));
        Command(IDM_SAVE);
        EXPECT_TRUE(SwitchesTo(Path(from == L"game.zan" ? L"default.zan" : L"game.zan"))) << "once saved, the switch happens";
        EXPECT_EQ(connection, StatusText(0));
    }
    Focus(L"notepad.exe");

    Focus(L"broken.exe");
    EXPECT_EQ(Path(L"default.zan"), g_State.szCurrentFile);
    EXPECT_EQ(L"broken.exe 用の設定ファイルを読み込めませんでした", StatusText(0));
    Focus(L"game.exe");
    EXPECT_EQ(Path(L"game.zan"), g_State.szCurrentFile);
    EXPECT_EQ(connection, StatusText(0));
    Focus(L"notepad.exe");
    EXPECT_EQ(Path(L"default.zan"), g_State.szCurrentFile) << "a past failure does not pin the set";

    // The list dialog offers the last program Zan saw in front, other than itself.
    Focus(L"Notepad.exe");
    Focus(L"ui_main_test.exe", GetCurrentProcessId());
    fileAnswers = { Path(L"note.zan"), L"", Path(L"other.zan") };
    DriveModal([&] { EditProgramSets(hMain); }, [&](HWND hDlg) {
        std::wstring candidate = TextOf(GetDlgItem(hDlg, IDC_PROGRAM_CANDIDATE));
        EXPECT_NE(std::wstring::npos, candidate.find(L"Notepad.exe")) << "the program Zan saw last";
        EXPECT_NE(std::wstring::npos, TextOf(GetDlgItem(hDlg, IDC_PROGRAM_REFUSED)).find(L"でない行が 1 行"));
        SendMessageW(hDlg, WM_COMMAND, IDC_PROGRAM_ADD, 0);
        EXPECT_EQ(3, (int)SendDlgItemMessageW(hDlg, IDC_PROGRAM_LIST, LVM_GETITEMCOUNT, 0, 0));
        EXPECT_EQ(L"Notepad.exe", ListText(GetDlgItem(hDlg, IDC_PROGRAM_LIST), 2, 0));
        EXPECT_EQ(Path(L"note.zan"), ListText(GetDlgItem(hDlg, IDC_PROGRAM_LIST), 2, 1));
        SendMessageW(hDlg, WM_COMMAND, IDC_PROGRAM_FILE, 0);      // cancelled: the file stays
        EXPECT_EQ(Path(L"note.zan"), ListText(GetDlgItem(hDlg, IDC_PROGRAM_LIST), 2, 1));
        SendMessageW(hDlg, WM_COMMAND, IDC_PROGRAM_REMOVE, 0);    // Notepad.exe, the selected row
        SendMessageW(hDlg, WM_COMMAND, IDC_PROGRAM_REMOVE, 0);    // then broken.exe
        SendMessageW(hDlg, WM_COMMAND, IDC_PROGRAM_FILE, 0);      // game.exe gets other.zan
        EXPECT_EQ(2, g_ProgramSets.nCount) << "the list waits for OK";
        PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
    });
    PROGRAM_SET_LIST written;
    ReadProgramSets(ini.c_str(), &written);
    ASSERT_EQ(1, written.nCount);
    EXPECT_EQ(0, written.nRefused) << "OK rewrote the section without the refused line";
    EXPECT_STREQ(L"Game.exe", written.aEntry[0].szProgram);
    EXPECT_EQ(Path(L"other.zan"), written.aEntry[0].szSettingFile);
    EXPECT_EQ(1, g_ProgramSets.nCount);
    ASSERT_TRUE(Close());
    EXPECT_EQ(Path(L"default.zan"), ReadIniValue(L"szSettingFilename")) << "a program's set is never the one remembered";
}

// A program listed with the default set's own file keeps what was saved while it was in
// front; and nothing switches under a file dialog or a box, so Save As writes the set on screen.
TEST_F(ProgramSetsTest, KeepSavedEditsAndWaitForDialogs) {
    WriteDefaultAndGame();
    WritePrivateProfileStringW(L"programs", L"Same.exe", Path(L"default.zan").c_str(), ini.c_str());
    Start();
    Focus(L"same.exe");
    LockRecord();
    g_CurrentSet.aAssign[0].awKey[0] = 'Z';
    UnlockRecord();
    MarkModified();
    Command(IDM_SAVE);
    Focus(L"notepad.exe");
    EXPECT_EQ('Z', g_CurrentSet.aAssign[0].awKey[0]) << "the default set never comes back older than its file";
    Command(IDM_SAVE);
    EXPECT_EQ('Z', FirstKeyIn(Path(L"default.zan")));

    whileBoxShown = [&] { Focus(L"game.exe"); };
    fileAnswers = { Path(L"copy.zan") };
    Command(IDM_SAVE_AS);
    EXPECT_EQ(Path(L"copy.zan"), g_State.szCurrentFile);
    EXPECT_EQ('Z', FirstKeyIn(Path(L"copy.zan"))) << "Save As wrote the set on screen";
    Command(IDM_CONNECT);   // no remote: a box says so
    whileBoxShown = nullptr;
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(Path(L"copy.zan"), g_State.szCurrentFile) << "no switch under a box";
    EXPECT_TRUE(SwitchesTo(Path(L"game.zan"))) << "the switch waited for the box";
}
