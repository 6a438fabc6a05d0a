// The About dialog and the options dialog on the real window.
#include "zan_fixture.h"

#include "version.h"

namespace {

std::wstring ItemText(HWND hDlg, int id) {
    WCHAR sz[MAX_PATH] = L"";
    GetDlgItemTextW(hDlg, id, sz, MAX_PATH);
    return sz;
}

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

TEST_F(ZanTest, AboutShowsTheLibraryVersionAndReleasesItsIcon) {
    Start();
    HICON hIcon = NULL;
    ICONINFO info = {};
    DriveModal([&] { Command(IDM_ABOUT); }, [&](HWND hDlg) {
        EXPECT_EQ(L"tavel v" TAVEL_VERSION_TEXT, ItemText(hDlg, IDC_LIBRARY_VERSION));
        hIcon = (HICON)SendDlgItemMessageW(hDlg, IDC_ABOUT_ICON, STM_GETICON, 0, 0);
        EXPECT_TRUE(GetIconInfo(hIcon, &info)) << "no icon shown";
        PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(IsWindowEnabled(hMain)) << "the dialog ended";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_FALSE(GetIconInfo(hIcon, &info)) << "the icon was not destroyed";
}

// OK takes every control into the options, option.ini and the remote in use; a time-out
// not among the list's values is added to it. Cancel changes nothing.
TEST_F(ZanTest, OptionsDialogRoundTripAndCancel) {
    SimAddRemote();
    std::wstring last = Path(L"last.zan"), browsed = Path(L"browsed.zan");
    WriteOptions(0, last, 1, 1500);
    Start();
    ASSERT_EQ(0, g_State.nSelectedRemote);
    fileAnswers.push_back(browsed);
    APP_OPTIONS before = g_Options;
    DriveModal([&] { Command(IDM_OPTIONS); }, [&](HWND hDlg) {
        EXPECT_EQ(6, (int)SendDlgItemMessageW(hDlg, IDC_OPT_TIMEOUT, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(5, (int)SendDlgItemMessageW(hDlg, IDC_OPT_TIMEOUT, CB_GETCURSEL, 0, 0));
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hDlg, IDC_OPT_CONNECT));
        EXPECT_EQ(last, ItemText(hDlg, IDC_OPT_SETTING_FILE));
        // Both enabled at first, whatever the box shows; then they follow it.
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hDlg, IDC_OPT_BROWSE)));
        Click(hDlg, IDC_OPT_INIT_SET);
        Click(hDlg, IDC_OPT_INIT_SET);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDlg, IDC_OPT_SETTING_FILE)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDlg, IDC_OPT_BROWSE)));
        Click(hDlg, IDC_OPT_INIT_SET);
        Click(hDlg, IDC_OPT_BROWSE);
        EXPECT_EQ(browsed, ItemText(hDlg, IDC_OPT_SETTING_FILE));
        Click(hDlg, IDC_OPT_CONNECT);
        for (const OptionSwitch &sw : kSwitches) {
            EXPECT_EQ(g_Options.*sw.pField ? BST_CHECKED : BST_UNCHECKED, IsDlgButtonChecked(hDlg, sw.nControl))
                << sw.key;
            Click(hDlg, sw.nControl);
        }
        ChooseTimeout(hDlg, 2);
        EXPECT_EQ(1500u, g_Options.dwTimeout) << "the record waits for OK";
        PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(1, g_Options.bInitSet);
    EXPECT_EQ(browsed, g_Options.szSettingFilename);
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
