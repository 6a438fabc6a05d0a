// The About dialog and the options dialog on the real window.
#include "zan_fixture.h"

#include "dialogs.h"
#include "resource.h"
#include "tavel.h"

namespace {

std::wstring ItemText(HWND hDlg, int id) {
    WCHAR sz[MAX_PATH] = L"";
    GetDlgItemTextW(hDlg, id, sz, MAX_PATH);
    return sz;
}

std::wstring ComboItem(HWND hCombo, int i) {
    WCHAR sz[32] = L"";
    if (SendMessageW(hCombo, CB_GETLBTEXTLEN, i, 0) < 32)
        SendMessageW(hCombo, CB_GETLBTEXT, i, (LPARAM)sz);
    return sz;
}

void ChooseCombo(HWND hDlg, int id, int item) {
    SendDlgItemMessageW(hDlg, id, CB_SETCURSEL, item, 0);
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)GetDlgItem(hDlg, id));
}

void Click(HWND hDlg, int id) {
    SendDlgItemMessageW(hDlg, id, BM_CLICK, 0, 0);
}

}  // namespace

TEST_F(ZanTest, AboutShowsTheIconAndTheLibraryVersion) {
    Start();
    for (UINT close : {IDOK, IDCANCEL}) {
        bool seen = false;
        DriveModal([&] { Command(IDM_ABOUT); }, [&](HWND hDlg) {
            EXPECT_EQ(L"tavel v0.03.01", ItemText(hDlg, IDC_LIBRARY_VERSION));
            EXPECT_TRUE(SendDlgItemMessageW(hDlg, IDC_ABOUT_ICON, STM_GETICON, 0, 0) != 0);
            EXPECT_EQ(hMain, GetWindow(hDlg, GW_OWNER));
            seen = true;
            PostMessageW(hDlg, WM_COMMAND, close, 0);
            return true;
        });
        EXPECT_TRUE(seen);
        EXPECT_TRUE(IsWindowEnabled(hMain)) << "the dialog ended";
    }
}

TEST_F(ZanTest, AboutReleasesItsIconWhenItCloses) {
    Start();
    ABOUT_DIALOG about = {};
    HWND hDlg = CreateDialogParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_ABOUTBOX), hMain, AboutDlgProc,
                                   (LPARAM)&about);
    ASSERT_TRUE(hDlg != NULL);
    HICON hIcon = about.hIcon;
    ASSERT_TRUE(hIcon != NULL);
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(hIcon, &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(NULL, about.hIcon);
    EXPECT_FALSE(GetIconInfo(hIcon, &info)) << "the icon was destroyed";
    DestroyWindow(hDlg);
}

namespace {

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

TEST_F(ZanTest, OptionsDialogRoundTripWithATimeoutNotInTheList) {
    SIM_REMOTE *pSim = SimAddRemote();
    (void)pSim;
    std::wstring last = Path(L"last.zan");
    WriteOptions(0, last, 1, 1500);
    Start();
    ASSERT_EQ(0, g_State.nSelectedRemote);
    std::wstring browsed = Path(L"browsed.zan");
    fileAnswers.push_back(browsed);
    APP_OPTIONS before = g_Options;
    DriveModal([&] { Command(IDM_OPTIONS); }, [&](HWND hDlg) {
        HWND hCombo = GetDlgItem(hDlg, IDC_OPT_TIMEOUT);
        EXPECT_EQ(6, (int)SendMessageW(hCombo, CB_GETCOUNT, 0, 0));
        const wchar_t *items[] = {L"500", L"1000", L"2000", L"3000", L"5000", L"1500"};
        for (int i = 0; i < 6; i++)
            EXPECT_EQ(items[i], ComboItem(hCombo, i));
        EXPECT_EQ(5, (int)SendMessageW(hCombo, CB_GETCURSEL, 0, 0));
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hDlg, IDC_OPT_INIT_SET));
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hDlg, IDC_OPT_CONNECT));
        EXPECT_EQ(last, ItemText(hDlg, IDC_OPT_SETTING_FILE));
        // Both enabled at first, whatever the box shows; then they follow it.
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hDlg, IDC_OPT_SETTING_FILE)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hDlg, IDC_OPT_BROWSE)));
        Click(hDlg, IDC_OPT_INIT_SET);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hDlg, IDC_OPT_BROWSE)));
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
        ChooseCombo(hDlg, IDC_OPT_TIMEOUT, 2);
        EXPECT_EQ(1500u, g_Options.dwTimeout) << "the record waits for OK";
        PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
        return true;
    });
    ASSERT_EQ(1u, fileDialogs.size());
    EXPECT_EQ(L"設定ファイルを開く", fileDialogs[0].title);
    EXPECT_EQ(1, g_Options.bInitSet);
    EXPECT_EQ(0, g_Options.bConnect);
    EXPECT_EQ(2000u, g_Options.dwTimeout);
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
}

TEST_F(ZanTest, OptionsDialogCancelChangesNothing) {
    WriteOptions(0, L"", 0, 1000);
    Start();
    DriveModal([&] { Command(IDM_OPTIONS); }, [&](HWND hDlg) {
        HWND hCombo = GetDlgItem(hDlg, IDC_OPT_TIMEOUT);
        EXPECT_EQ(5, (int)SendMessageW(hCombo, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(1, (int)SendMessageW(hCombo, CB_GETCURSEL, 0, 0));
        Click(hDlg, IDC_OPT_CONNECT);
        ChooseCombo(hDlg, IDC_OPT_TIMEOUT, 0);
        PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    EXPECT_EQ(0, g_Options.bConnect);
    EXPECT_EQ(1000u, g_Options.dwTimeout);
    EXPECT_EQ(L"0", ReadIniValue(L"bConnect")) << "cancel writes nothing";
}
