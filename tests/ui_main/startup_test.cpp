// Start-up, the command line, and what exit leaves in option.ini.
#include "zan_fixture.h"

#include <shlwapi.h>

namespace {

int LedChecked(int nId) {
    return (int)SendDlgItemMessageW(g_App.ahPage[PAGE_OPTIONS], nId, BM_GETCHECK, 0, 0);
}

}  // namespace

TEST_F(ZanTest, StartsUnnamedRedAndUnconnectedWithoutOptionsOrRemote) {
    Start();
    EXPECT_EQ(L"Zan", Title());
    EXPECT_TRUE(boxes.empty()) << "the quiet connect showed a message";
    for (int i = 0; i < ASSIGN_SLOTS; i++)
        EXPECT_EQ(ASSIGN_DISABLED, g_CurrentSet.aAssign[i].nKind) << "slot " << i;
    for (int id : {IDC_LED1, IDC_LED2, IDC_LED3, IDC_LED4})
        EXPECT_EQ(id == IDC_LED1 ? BST_CHECKED : BST_UNCHECKED, LedChecked(id)) << id;
    EXPECT_EQ(kRed, Pixel());
    EXPECT_TRUE(MenuGreyed(IDM_RUN));
    EXPECT_EQ(kNotConnected, StatusText(0));
    WCHAR sz[64];
    COLORREF cr;
    EXPECT_EQ(0, GetBatteryPartLook(sz, 64, &cr)) << "no battery part without a remote";

    for (int sel : {2, 3, 1, 0}) {
        SendMessageW(g_App.hTab, TCM_SETCURSEL, sel, 0);
        NMHDR header = {g_App.hTab, 0, (UINT)TCN_SELCHANGE};
        SendMessageW(hMain, WM_NOTIFY, 0, (LPARAM)&header);
        for (int i = 0; i < PAGE_COUNT; i++)
            EXPECT_EQ(i == sel, IsWindowVisible(g_App.ahPage[i]) != 0) << "tab " << sel << " page " << i;
    }
    NMHDR other = {g_App.hStatus, 0, (UINT)NM_CLICK};
    SendMessageW(g_App.hTab, TCM_SETCURSEL, 3, 0);
    SendMessageW(hMain, WM_NOTIFY, 0, (LPARAM)&other);
    EXPECT_FALSE(IsWindowVisible(g_App.ahPage[3])) << "another sender's notification switched pages";
}

// The first quoted settings file on the command line wins; without a usable one, the last
// file when option.ini says so; a last file that does not load is passed over silently.
TEST_F(ZanTest, LoadsTheCommandLineFileOrTheLastOne) {
    ASSERT_TRUE(CreateDirectoryW(Path(L"my sets").c_str(), NULL));
    WriteSetFile(Path(L"my sets\\named set.zan"), 'N', 0x3);
    WriteSetFile(Path(L"last.zan"), 'L', 0x4);
    const struct {
        const char *name;
        std::wstring commandLine, lastFile;
        int bInitSet;
        const wchar_t *loaded;   // NULL: nothing
    } cases[] = {
        {"quoted path", L"hello " + Quoted(L"my sets\\named set.zan"), L"last.zan", 1, L"my sets\\named set.zan"},
        {"unterminated quote", L"hello \"" + Path(L"my sets\\named set.zan"), L"last.zan", 1, L"last.zan"},
        {"unterminated, no last file", L"hello \"" + Path(L"my sets\\named set.zan"), L"last.zan", 0, nullptr},
        {"last file gone", L"", L"gone.zan", 1, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (hMain)
            ASSERT_TRUE(Close());   // before option.ini is written: exit writes it too
        WriteOptions(c.bInitSet, Path(c.lastFile), 0, 1000);
        Restart(c.commandLine);
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(0, g_State.bModified);
        if (!c.loaded) {
            EXPECT_EQ(L"", std::wstring(g_State.szCurrentFile));
            EXPECT_EQ(ASSIGN_DISABLED, g_CurrentSet.aAssign[0].nKind);
            EXPECT_EQ(L"Zan", Title());
            continue;
        }
        EXPECT_EQ(Path(c.loaded), g_State.szCurrentFile);
        EXPECT_EQ(c.loaded == c.lastFile ? 'L' : 'N', g_CurrentSet.aAssign[0].awKey[0]);
        EXPECT_EQ(L"Zan " + std::wstring(PathFindFileNameW(c.loaded)), Title());
        EXPECT_EQ(c.loaded == c.lastFile ? BST_CHECKED : BST_UNCHECKED, LedChecked(IDC_LED3));
    }
}

// With "load the last file" option.ini names the current file at exit; without it, exit
// writes no option.ini at all. File > Exit goes through the save question like closing.
TEST_F(ZanTest, ExitRemembersTheCurrentFileOnlyWhenAsked) {
    WriteSetFile(Path(L"current.zan"), 'C', 0x1);
    for (int bInitSet : {1, 0}) {
        SCOPED_TRACE(bInitSet);
        DeleteFileW(ini.c_str());
        if (bInitSet)
            WriteOptions(1, Path(L"older.zan"), 0, 2000);
        Restart(Quoted(L"current.zan"));
        ASSERT_EQ(Path(L"current.zan"), g_State.szCurrentFile);
        MarkModified();
        boxAnswers.push_back(IDCANCEL);
        Command(IDM_EXIT);
        PumpFor(100);
        ASSERT_EQ(1u, boxes.size());
        ASSERT_TRUE(IsWindow(hMain)) << "Cancel must keep the window";
        boxAnswers.push_back(IDNO);
        Command(IDM_EXIT);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hMain); }));
        hMain = NULL;
        EXPECT_EQ(bInitSet ? Path(L"current.zan") : L"<missing>", ReadIniValue(L"szSettingFilename"));
        EXPECT_EQ(bInitSet ? L"2000" : L"<missing>", ReadIniValue(L"dwTimeout"));
        EXPECT_EQ(bInitSet != 0, GetFileAttributesW(ini.c_str()) != INVALID_FILE_ATTRIBUTES);
    }
}
