// Start-up, the command line, and what exit leaves in option.ini.
#include "zan_fixture.h"

#include "resource.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0);

int CheckState(int nPage, int nId) {
    return (int)SendDlgItemMessageW(g_App.ahPage[nPage], nId, BM_GETCHECK, 0, 0);
}

}  // namespace

TEST_F(ZanTest, StartsUnnamedRedAndUnconnectedWithoutOptionsOrRemote) {
    Start();
    EXPECT_EQ(L"Zan", Title());
    EXPECT_TRUE(boxes.empty()) << "the quiet connect showed a message";
    for (int i = 0; i < ASSIGN_SLOTS; i++)
        EXPECT_EQ(ASSIGN_DISABLED, g_CurrentSet.aAssign[i].nKind) << "slot " << i;
    // The slot buttons point at their entries, which the pages draw as unused.
    HWND hA = GetDlgItem(g_App.ahPage[PAGE_REMOTE], IDC_REMOTE_A);
    EXPECT_EQ((LONG_PTR)&g_CurrentSet.aAssign[0], GetWindowLongPtrW(hA, GWLP_USERDATA));
    EXPECT_EQ(BST_CHECKED, CheckState(PAGE_OPTIONS, IDC_LED1));
    for (int id : {IDC_LED2, IDC_LED3, IDC_LED4})
        EXPECT_EQ(BST_UNCHECKED, CheckState(PAGE_OPTIONS, id)) << id;
    EXPECT_EQ(kRed, GetFrameColour());
    EXPECT_EQ(kRed, FramePixel());
    EXPECT_TRUE(MenuGreyed(IDM_RUN));
    EXPECT_FALSE(MenuGreyed(IDM_STOP));
    EXPECT_EQ(L"Wiiリモコンと接続されていません", StatusText(0));
    EXPECT_EQ(-1, g_State.nSelectedRemote);
}

TEST_F(ZanTest, TabSelectionShowsOnlyItsPage) {
    Start();
    for (int sel : {2, 3, 1, 0}) {
        SendMessageW(g_App.hTab, TCM_SETCURSEL, sel, 0);
        NMHDR header = {g_App.hTab, 0, (UINT)TCN_SELCHANGE};
        SendMessageW(hMain, WM_NOTIFY, 0, (LPARAM)&header);
        for (int i = 0; i < PAGE_COUNT; i++)
            EXPECT_EQ(i == sel, IsWindowVisible(g_App.ahPage[i]) != 0) << "tab " << sel << " page " << i;
    }
    // Another sender's notification changes nothing.
    NMHDR other = {g_App.hStatus, 0, (UINT)NM_CLICK};
    SendMessageW(g_App.hTab, TCM_SETCURSEL, 3, 0);
    SendMessageW(hMain, WM_NOTIFY, 0, (LPARAM)&other);
    EXPECT_TRUE(IsWindowVisible(g_App.ahPage[0]));
    EXPECT_FALSE(IsWindowVisible(g_App.ahPage[3]));
}

struct CommandLineCase {
    const char *name;
    bool quotedWithSpace;   // the file's path has a space and is quoted
    bool closeQuote;
    bool initSet;
    bool expectCommandLineFile;
    bool expectLastFile;
};

class CommandLineTest : public ZanTest, public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(CommandLineTest, LoadsTheFirstSettingsFileOrTheLastOne) {
    const CommandLineCase &c = GetParam();
    ASSERT_TRUE(CreateDirectoryW(Path(L"my sets").c_str(), NULL));
    std::wstring named = Path(L"my sets\\named set.zan");
    std::wstring last = Path(L"last.zan");
    WriteSetFile(named, 'N', 0x3);
    WriteSetFile(last, 'L', 0x4);
    WriteOptions(c.initSet, last, 0, 1000);
    std::wstring line = L"hello \"" + named + (c.closeQuote ? L"\"" : L"");
    Start(line.c_str());
    if (c.expectCommandLineFile) {
        EXPECT_EQ(named, g_State.szCurrentFile);
        EXPECT_EQ('N', g_CurrentSet.aAssign[0].awKey[0]);
        EXPECT_EQ(L"Zan named set.zan", Title());
    } else if (c.expectLastFile) {
        EXPECT_EQ(last, g_State.szCurrentFile);
        EXPECT_EQ('L', g_CurrentSet.aAssign[0].awKey[0]);
        EXPECT_EQ(L"Zan last.zan", Title());
        EXPECT_EQ(BST_CHECKED, CheckState(PAGE_OPTIONS, IDC_LED3));
    } else {
        EXPECT_EQ(L"", std::wstring(g_State.szCurrentFile));
        EXPECT_EQ(ASSIGN_DISABLED, g_CurrentSet.aAssign[0].nKind);
        EXPECT_EQ(L"Zan", Title());
    }
    EXPECT_EQ(0, g_State.bModified);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLineTest, ::testing::Values(
    CommandLineCase{"QuotedPathWinsOverLastFile", true, true, true, true, false},
    CommandLineCase{"UnterminatedQuoteFallsBackToLastFile", true, false, true, false, true},
    CommandLineCase{"UnterminatedQuoteWithoutInitSetLoadsNothing", true, false, false, false, false}),
    [](const ::testing::TestParamInfo<CommandLineCase> &info) { return std::string(info.param.name); });

TEST_F(ZanTest, LastFileThatCannotBeLoadedIsPassedOverSilently) {
    WriteOptions(1, Path(L"gone.zan"), 0, 1000);
    Start();
    EXPECT_EQ(L"", std::wstring(g_State.szCurrentFile));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(L"Zan", Title());
}

TEST_F(ZanTest, ExitWithInitSetRemembersTheCurrentFile) {
    std::wstring file = Path(L"current.zan");
    WriteSetFile(file, 'C', 0x1);
    WriteOptions(1, Path(L"older.zan"), 0, 2000);
    Start((L"\"" + file + L"\"").c_str());
    ASSERT_EQ(file, g_State.szCurrentFile);
    ASSERT_TRUE(Close());
    EXPECT_EQ(file, ReadIniValue(L"szSettingFilename"));
    EXPECT_EQ(L"1", ReadIniValue(L"bInitSet"));
    EXPECT_EQ(L"2000", ReadIniValue(L"dwTimeout"));
}

TEST_F(ZanTest, ExitWithoutInitSetWritesNoOptionsFile) {
    std::wstring file = Path(L"current.zan");
    WriteSetFile(file, 'C', 0x1);
    Start((L"\"" + file + L"\"").c_str());
    ASSERT_EQ(file, g_State.szCurrentFile);
    ASSERT_TRUE(Close());
    EXPECT_FALSE(IniExists());
}

TEST_F(ZanTest, ExitCommandClosesThroughTheQuestion) {
    Start();
    MarkModified();
    boxAnswers.push_back(IDCANCEL);
    Command(IDM_EXIT);
    PumpFor(100);
    EXPECT_TRUE(IsWindow(hMain)) << "Cancel must keep the window";
    ASSERT_EQ(1u, boxes.size());
    boxAnswers.push_back(IDNO);
    Command(IDM_EXIT);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hMain); }, 2000));
    hMain = NULL;
}
