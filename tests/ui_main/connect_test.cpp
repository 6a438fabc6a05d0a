// Connecting: no remote, one, several through dialog 119; status bar texts and battery.
#include "zan_fixture.h"

#include "resource.h"
#include "setting_file.h"
#include "tavel.h"

namespace {

const int kLeds14 = 0x9, kLeds23 = 0x6, kLed1 = 0x1;

std::wstring ListText(HWND hList, int row, int column) {
    WCHAR sz[64] = L"";
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = sz;
    item.cchTextMax = 64;
    SendMessageW(hList, LVM_GETITEMTEXTW, row, (LPARAM)&item);
    return sz;
}

void SelectListRow(HWND hDlg, int row) {
    HWND hList = GetDlgItem(hDlg, IDC_REMOTE_LIST);
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    SendMessageW(hList, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&item);
    if (row >= 0) {
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(hList, LVM_SETITEMSTATE, row, (LPARAM)&item);
    }
    NMHDR header = {hList, IDC_REMOTE_LIST, (UINT)NM_CLICK};
    SendMessageW(hDlg, WM_NOTIFY, IDC_REMOTE_LIST, (LPARAM)&header);
}

// True once the remote has shown both halves of the alternating identification pattern.
bool SeesAlternation(SIM_REMOTE *pSim) {
    bool seen14 = false, seen23 = false;
    PumpUntil([&] {
        int leds = SimLeds(pSim);
        seen14 |= leds == kLeds14;
        seen23 |= leds == kLeds23;
        return seen14 && seen23;
    }, 2000);
    return seen14 && seen23;
}

}  // namespace

TEST_F(ZanTest, QuietConnectWithoutRemoteShowsNothing) {
    WriteOptions(0, L"", 1, 1000);
    Start();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(-1, g_State.nSelectedRemote);
    EXPECT_EQ(L"Wiiリモコンと接続されていません", StatusText(0));
}

TEST_F(ZanTest, InteractiveConnectWithoutRemoteWarns) {
    WriteOptions(0, L"", 0, 1000);
    Start();
    Command(IDM_CONNECT);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"接続できませんでした", boxes[0].text);
    EXPECT_EQ(L"接続失敗", boxes[0].caption);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), boxes[0].uType);
    EXPECT_EQ(NULL, boxes[0].hOwner);
    EXPECT_EQ(-1, g_State.nSelectedRemote);
    EXPECT_EQ(RGB(255, 0, 0), GetFrameColour());
}

TEST_F(ZanTest, QuietConnectAtStartUsesTheOnlyRemoteAndRuns) {
    SIM_REMOTE *pSim = SimAddRemote();
    SimSetBattery(pSim, 200, 0);
    WriteSetFile(Path(L"leds.zan"), 'A', 0xA);
    WriteOptions(1, Path(L"leds.zan"), 1, 1000);
    Start();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(0, g_State.nSelectedRemote);
    EXPECT_EQ(L"Wiiリモコン", StatusText(0));
    EXPECT_EQ(200, g_State.nBatteryLevel);
    EXPECT_EQ(RGB(0, 0, 255), GetFrameColour());
    EXPECT_EQ(RGB(0, 0, 255), FramePixel());
    EXPECT_EQ(0xA, SimLeds(pSim)) << "the set's LED pattern while running";
    WM_SYSTEM system = {};
    system.dwFlags = WMSYS_AUTOUPDATE | WMSYS_TIMEOUT | WMSYS_HWND;
    ASSERT_EQ(1, wm_GetSystem(0, &system));
    EXPECT_EQ(1, system.bAutoUpdate);
    EXPECT_EQ(hMain, system.hWnd);
    WM_STATUS status = {};
    status.dwFlags = WMST_REPORT;
    ASSERT_EQ(1, wm_GetStatus(0, &status));
    EXPECT_EQ((DWORD)(WMRPT_KEYS | WMRPT_EXTENSION), status.dwReport);
}

static void WriteSetWithCorrection(const std::wstring &path, BYTE nCorrection) {
    ASSIGNMENT_SET set;
    InitAssignmentSet(&set);
    set.nAnalogCorrection = nCorrection;
    WCHAR szPath[MAX_PATH];
    lstrcpynW(szPath, path.c_str(), MAX_PATH);
    ASSERT_EQ(1, WriteSettingFile(szPath, &set, 1));
}

// The set's correction level (10 samples per step) and the time-out option are in effect
// on the remote in use after every change of either or of the remote.
TEST_F(ZanTest, CorrectionAndTimeoutReachTheRemoteInUse) {
    SimAddRemote();
    WriteSetWithCorrection(Path(L"weak.zan"), 1);
    WriteSetWithCorrection(Path(L"strong.zan"), 3);
    WriteOptions(1, Path(L"weak.zan"), 1, 5000);
    auto settings = [] {
        WM_SYSTEM system = {};
        system.dwFlags = WMSYS_SMOOTHING | WMSYS_TIMEOUT;
        if (wm_GetSystem(g_State.nSelectedRemote, &system) != 1)
            return std::string("none");
        return std::to_string(system.nSmoothing) + " " + std::to_string(system.dwTimeout);
    };
    Start();
    ASSERT_EQ(0, g_State.nSelectedRemote);
    EXPECT_EQ("10 5000", settings()) << "start";
    fileAnswers.push_back(Path(L"strong.zan"));
    Command(IDM_OPEN);
    EXPECT_EQ("30 5000", settings()) << "load";
    boxAnswers.push_back(IDYES);  // connect anew
    Command(IDM_CONNECT);
    ASSERT_EQ(0, g_State.nSelectedRemote);
    EXPECT_EQ("30 5000", settings()) << "new connection";
}

TEST_F(ZanTest, InteractiveConnectConfirmsAndAsksBeforeReconnecting) {
    SimAddRemote();
    WriteOptions(0, L"", 0, 1000);
    Start();
    Command(IDM_CONNECT);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"接続しました", boxes[0].text);
    EXPECT_EQ(L"接続成功", boxes[0].caption);
    EXPECT_EQ(0, g_State.nSelectedRemote);

    boxAnswers.push_back(IDNO);
    Command(IDM_CONNECT);
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(L"一度に接続できるWiiリモコンは１個までです\n新しく接続しなおしますか？", boxes[1].text);
    EXPECT_EQ(L"接続", boxes[1].caption);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONQUESTION), boxes[1].uType);
    EXPECT_EQ(0, g_State.nSelectedRemote) << "No keeps the remote";

    boxAnswers.push_back(IDYES);
    Command(IDM_CONNECT);
    ASSERT_EQ(4u, boxes.size());
    EXPECT_EQ(L"接続しました", boxes[3].text);
    EXPECT_EQ(0, g_State.nSelectedRemote);
    EXPECT_EQ(1, wm_Count());
}

TEST_F(ZanTest, TwoRemotesAreChosenInTheSelectionDialog) {
    SIM_REMOTE *pFirst = SimAddRemote();
    SIM_REMOTE *pSecond = SimAddRemote();
    SimSetBattery(pFirst, 200, 0);
    SimSetBattery(pSecond, 30, 1);
    WriteOptions(0, L"", 0, 1000);
    Start();
    Command(IDM_STOP);
    int step = 0;
    DriveModal([&] { Command(IDM_CONNECT); }, [&](HWND hDlg) {
        HWND hList = GetDlgItem(hDlg, IDC_REMOTE_LIST);
        EXPECT_EQ(-1, g_State.nSelectedRemote) << "no remote is in use while choosing";
        EXPECT_EQ(2, (int)SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
        EXPECT_EQ(L"Wiiリモコン [1]", ListText(hList, 0, 0));
        EXPECT_EQ(L"100%", ListText(hList, 0, 1));  // 0xC8 is full
        EXPECT_EQ(L"Wiiリモコン [2]", ListText(hList, 1, 0));
        EXPECT_EQ(L"15%", ListText(hList, 1, 1));
        EXPECT_EQ(0, (int)SendMessageW(hList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED));
        EXPECT_TRUE(SendMessageW(hList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
        // While the dialog is open the selected remote alternates 1+4 and 2+3, the others show LED 1.
        EXPECT_TRUE(SeesAlternation(pFirst)) << "the selected remote alternates";
        EXPECT_EQ(kLed1, SimLeds(pSecond));

        SelectListRow(hDlg, 1);
        EXPECT_TRUE(SeesAlternation(pSecond)) << "the newly selected remote alternates";
        EXPECT_EQ(kLed1, SimLeds(pFirst));

        SelectListRow(hDlg, -1);
        EXPECT_TRUE(PumpUntil([&] { return SimLeds(pFirst) == kLed1 && SimLeds(pSecond) == kLed1; }, 1000));
        SendMessageW(hDlg, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(IsWindowVisible(hDlg)) << "OK without a row keeps the dialog";
        if (!boxes.empty()) {
            EXPECT_EQ(L"何か選択してください", boxes.back().text);
            EXPECT_EQ(hDlg, boxes.back().hOwner);
            EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), boxes.back().uType);
        }
        SelectListRow(hDlg, 1);
        PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
        step++;
        return true;
    });
    EXPECT_EQ(1, step);
    // Chosen while stopped: once polled, the chosen remote alternates 1+4 and 2+3.
    EXPECT_TRUE(SeesAlternation(pSecond)) << "the chosen remote alternates";
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(L"接続しました", boxes[1].text);
    EXPECT_EQ(1, g_State.nSelectedRemote);
    EXPECT_EQ(L"Wiiリモコン", StatusText(0));
    EXPECT_EQ(30, g_State.nBatteryLevel);
    EXPECT_EQ(2, wm_Count()) << "the other remote stays connected";
    WM_SYSTEM system = {};
    system.dwFlags = WMSYS_AUTOUPDATE;
    ASSERT_EQ(1, wm_GetSystem(0, &system));
    EXPECT_EQ(0, system.bAutoUpdate) << "the remote not chosen is not polled";
    EXPECT_EQ(kLed1, SimLeds(pFirst));
}

TEST_F(ZanTest, CancellingTheSelectionDisconnectsEveryRemote) {
    SimAddRemote();
    SimAddRemote();
    WriteOptions(0, L"", 0, 1000);
    Start();
    DriveModal([&] { Command(IDM_CONNECT); }, [&](HWND hDlg) {
        PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    EXPECT_TRUE(boxes.empty()) << "a cancelled selection shows nothing";
    EXPECT_EQ(-1, g_State.nSelectedRemote);
    EXPECT_EQ(0, wm_Count());
    EXPECT_EQ(RGB(255, 0, 0), GetFrameColour());
}

struct ExtensionCase {
    int kind;
    const wchar_t *text;
};

class ExtensionTextTest : public ZanTest, public ::testing::WithParamInterface<ExtensionCase> {};

TEST_P(ExtensionTextTest, StatusBarNamesTheExtension) {
    SIM_REMOTE *pSim = SimAddRemote();
    if (GetParam().kind)
        SimPlugExtension(pSim, GetParam().kind, NULL);
    WriteOptions(0, L"", 1, 1000);
    Start();
    ASSERT_EQ(0, g_State.nSelectedRemote);
    EXPECT_TRUE(PumpUntil([&] { return StatusText(0) == GetParam().text; }, 3000)) << StatusText(0).c_str();
    EXPECT_EQ(GetParam().kind, g_State.nExtensionKind);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ExtensionTextTest, ::testing::Values(
    ExtensionCase{0, L"Wiiリモコン"},
    ExtensionCase{SIM_EXT_NUNCHUK, L"Wiiリモコン + ヌンチャク"},
    ExtensionCase{SIM_EXT_CLASSIC, L"Wiiリモコン + クラシックコントローラ"},
    ExtensionCase{SIM_EXT_CLASSIC_PRO, L"Wiiリモコン + クラシックコントローラPRO"}));

struct BatteryCase {
    const char *name;
    BYTE level;
    bool low;
    const wchar_t *text;
};

class BatteryTest : public ZanTest, public ::testing::WithParamInterface<BatteryCase> {};

TEST_P(BatteryTest, BatteryPartShowsTheLevelInRedWhenLow) {
    const BatteryCase &c = GetParam();
    SIM_REMOTE *pSim = SimAddRemote();
    SimSetBattery(pSim, c.level, c.low);
    WriteOptions(0, L"", 1, 1000);
    Start();
    ASSERT_EQ(0, g_State.nSelectedRemote);
    WCHAR sz[64];
    COLORREF cr;
    ASSERT_EQ(1, GetBatteryPartLook(sz, 64, &cr));
    EXPECT_EQ(c.text, std::wstring(sz));
    EXPECT_EQ(c.low ? RGB(255, 0, 0) : RGB(0, 0, 0), cr);
    // What the status bar shows: red text pixels exactly when low.
    if (c.low) {
        EXPECT_GT(BatteryPixels(true), 5);
    } else {
        EXPECT_EQ(0, BatteryPixels(true));
        EXPECT_GT(BatteryPixels(false), 5);
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, BatteryTest, ::testing::Values(
    BatteryCase{"Full", 0xC8, false, L"\t\tバッテリー 100%"},
    BatteryCase{"AboveFullIsClamped", 0xFF, false, L"\t\tバッテリー 100%"},
    BatteryCase{"LowAt57", 57, true, L"\t\tバッテリー 28%"},
    BatteryCase{"Exhausted", 0, true, L"\t\t電池切れ"}),
    [](const ::testing::TestParamInfo<BatteryCase> &info) { return std::string(info.param.name); });

TEST_F(ZanTest, BatteryPartIsBlankWithoutRemote) {
    Start();
    WCHAR sz[64];
    COLORREF cr;
    EXPECT_EQ(0, GetBatteryPartLook(sz, 64, &cr));
    EXPECT_EQ(L"", std::wstring(sz));
    EXPECT_EQ(0, BatteryPixels(false)) << "nothing is drawn in part 1";
}
