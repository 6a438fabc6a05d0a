// One set per program: switching on a change of the foreground program and back, never over
// unsaved changes, held input let go before the new set acts, the file remembered at exit,
// and the list dialog.
#include "zan_fixture.h"

#include "program_watch.h"

namespace {

// option.ini naming the default set, with the program list switched on and game.exe listed.
void StartWithGameListed(ZanTest *pTest, int bConnect) {
    WriteSetFile(pTest->Path(L"default.zan"), 'A', 0x1);
    WriteSetFile(pTest->Path(L"game.zan"), 'B', 0x2);
    pTest->WriteOptions(1, pTest->Path(L"default.zan"), bConnect, 1000);
    pTest->SetOption(L"bProgramSets", 1);
    const wchar_t *ini = pTest->ini.c_str();
    WritePrivateProfileStringW(L"programs", L"Game.exe", pTest->Path(L"game.zan").c_str(), ini);
    WritePrivateProfileStringW(L"programs", L"broken.exe", pTest->Path(L"missing.zan").c_str(), ini);
    pTest->Start();
}

WORD SlotZeroKey() { return g_CurrentSet.aAssign[0].awKey[0]; }

}  // namespace

// The listed program in front selects its set, any other program the default one; never
// over unsaved changes or from a file that does not load, which the status bar says.
TEST_F(ZanTest, ProgramSetsForegroundProgramSelectsItsSetAndLeavingRestoresTheDefault) {
    StartWithGameListed(this, 0);
    const std::wstring connection = StatusText(0);
    ASSERT_EQ(Path(L"default.zan"), g_State.szCurrentFile);
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
        EXPECT_EQ(s.key, SlotZeroKey()) << s.name;
        EXPECT_EQ(L"Zan " + std::wstring(s.file), Title()) << s.name;
    }
    EnableWindow(hMain, FALSE);   // as while a modal dialog of Zan is open
    Focus(L"notepad.exe");
    EXPECT_EQ(Path(L"game.zan"), g_State.szCurrentFile) << "no switch under a modal dialog";
    EnableWindow(hMain, TRUE);
    Focus(L"notepad.exe");
    ASSERT_TRUE(g_CurrentSet.aAssign[5].pszPath != NULL);
    EXPECT_STREQ(L"calc.exe", g_CurrentSet.aAssign[5].pszPath);
    g_Options.bProgramSets = 0;
    Focus(L"game.exe");
    EXPECT_EQ(Path(L"default.zan"), g_State.szCurrentFile) << "the option switches it off";
    g_Options.bProgramSets = 1;

    Focus(L"game.exe");
    MarkModified();
    Focus(L"notepad.exe");
    EXPECT_EQ(Path(L"game.zan"), g_State.szCurrentFile) << "a modified set is never replaced";
    EXPECT_EQ(1, g_State.bModified);
    EXPECT_EQ(L"設定ファイルが保存されていないため、設定を切り替えていません", StatusText(0));
    Command(IDM_SAVE);
    Focus(L"notepad.exe");
    EXPECT_EQ(Path(L"default.zan"), g_State.szCurrentFile) << "once saved, the switch happens";
    EXPECT_EQ(connection, StatusText(0));

    Focus(L"broken.exe");
    EXPECT_EQ(Path(L"default.zan"), g_State.szCurrentFile);
    EXPECT_EQ('A', SlotZeroKey());
    EXPECT_EQ(L"broken.exe 用の設定ファイルを読み込めませんでした", StatusText(0));
    Focus(L"game.exe");
    EXPECT_EQ(Path(L"game.zan"), g_State.szCurrentFile);
    EXPECT_EQ(connection, StatusText(0));
    ASSERT_TRUE(Close());
    EXPECT_EQ(Path(L"default.zan"), ReadIniValue(L"szSettingFilename")) << "a program's set is never the one remembered";
}

// A held button whose key changes with the switch: the old key comes up before the new
// one goes down, in the program that now has the foreground.
TEST_F(ZanTest, ProgramSetsSwitchLetsGoOfHeldKeysBeforeTheNewSetActs) {
    SIM_REMOTE *pSim = SimAddRemote();
    StartWithGameListed(this, 1);
    ASSERT_EQ(0, g_State.nSelectedRemote);
    SimSetButtons(pSim, 0, kButtonA);
    ASSERT_TRUE(PumpUntil([&] { return CountKey('A', false) > 0; }));
    Focus(L"game.exe");
    ASSERT_TRUE(PumpUntil([&] { return CountKey('B', false) > 0; }));
    std::vector<KeyEvent> keys = Keys();
    size_t firstB = 0, lastAUp = keys.size();
    while (firstB < keys.size() && !(keys[firstB].wVk == 'B' && !keys[firstB].bUp))
        firstB++;
    for (size_t i = 0; i < firstB; i++) {
        if (keys[i].wVk == 'A')
            lastAUp = keys[i].bUp ? i : keys.size();
    }
    EXPECT_LT(lastAUp, firstB) << "A was up before B went down";
}

TEST_F(ZanTest, ProgramSetsListDialogAddsTheLastForeignProgramChangesAndRemoves) {
    StartWithGameListed(this, 0);
    Focus(L"Notepad.exe");
    Focus(L"ui_main_test.exe", GetCurrentProcessId());
    fileAnswers = { Path(L"note.zan"), L"", Path(L"other.zan") };
    auto rowText = [](HWND hDlg, int row, int column) {
        WCHAR sz[MAX_PATH] = L"";
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = sz;
        item.cchTextMax = MAX_PATH;
        SendDlgItemMessageW(hDlg, IDC_PROGRAM_LIST, LVM_GETITEMTEXTW, row, (LPARAM)&item);
        return std::wstring(sz);
    };
    DriveModal([&] { EditProgramSets(hMain); }, [&](HWND hDlg) {
        WCHAR sz[MAX_PATH];
        GetDlgItemTextW(hDlg, IDC_PROGRAM_CANDIDATE, sz, MAX_PATH);
        EXPECT_NE(std::wstring::npos, std::wstring(sz).find(L"Notepad.exe")) << "the program Zan saw last";
        SendMessageW(hDlg, WM_COMMAND, IDC_PROGRAM_ADD, 0);
        EXPECT_EQ(3, (int)SendDlgItemMessageW(hDlg, IDC_PROGRAM_LIST, LVM_GETITEMCOUNT, 0, 0));
        EXPECT_EQ(L"Notepad.exe", rowText(hDlg, 2, 0));
        EXPECT_EQ(Path(L"note.zan"), rowText(hDlg, 2, 1));
        SendMessageW(hDlg, WM_COMMAND, IDC_PROGRAM_FILE, 0);      // cancelled: the file stays
        EXPECT_EQ(Path(L"note.zan"), rowText(hDlg, 2, 1));
        SendMessageW(hDlg, WM_COMMAND, IDC_PROGRAM_REMOVE, 0);    // Notepad.exe, the selected row
        SendMessageW(hDlg, WM_COMMAND, IDC_PROGRAM_REMOVE, 0);    // then broken.exe
        SendMessageW(hDlg, WM_COMMAND, IDC_PROGRAM_FILE, 0);      // game.exe gets other.zan
        EXPECT_EQ(2, g_ProgramSets.nCount) << "the list waits for OK";
        PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
    });
    PROGRAM_SET_LIST written;
    ReadProgramSets(ini.c_str(), &written);
    ASSERT_EQ(1, written.nCount);
    EXPECT_STREQ(L"Game.exe", written.aEntry[0].szProgram);
    EXPECT_EQ(Path(L"other.zan"), written.aEntry[0].szSettingFile);
    EXPECT_EQ(1, g_ProgramSets.nCount);
}
