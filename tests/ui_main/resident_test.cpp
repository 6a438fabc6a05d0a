// Zan left running: connecting by itself, the notification-area icon, the blocked-input notice.
#include "zan_fixture.h"

#include <dbt.h>

#include "resident.h"
#include "resource.h"

namespace {

const wchar_t kNotFound[] = L"自動接続: Wiiリモコンが見つかりませんでした";
const wchar_t kBlocked[] = L"管理者として実行中のウィンドウには入力できません";

void HidArrives(HWND hMain) {
    DEV_BROADCAST_DEVICEINTERFACE_W arrival = {};
    arrival.dbcc_size = sizeof(arrival);
    arrival.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    SendMessageW(hMain, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, (LPARAM)&arrival);
}

int g_nTrayCommand;
int AnswerTrayMenu(HMENU, int, int, HWND) { return g_nTrayCommand; }

HWND g_hElevated;
int ElevatedWindow(HWND hWnd) { return hWnd == g_hElevated; }
int NotElevated() { return 0; }

}  // namespace

// Each burst of arrivals, and a resume, make one quiet attempt, and only with the option on.
TEST_F(ZanTest, ArrivalsAndResumeConnectOnceEach) {
    SimAddHidDevice(0x046D, 0xC077, 0);
    WriteOptions(0, L"", 0, 1000);
    SetOption(L"bAutoConnect", 1);
    Start();
    int nOpened = SimHandlesOpened();
    Command(IDM_CONNECT);
    const int kPerAttempt = SimHandlesOpened() - nOpened;
    ASSERT_GT(kPerAttempt, 0);

    g_Options.bAutoConnect = 0;
    nOpened = SimHandlesOpened();
    HidArrives(hMain);
    PumpFor(2000);
    EXPECT_EQ(nOpened, SimHandlesOpened()) << "the option is off";

    g_Options.bAutoConnect = 1;
    size_t nBoxes = boxes.size();
    for (int i = 0; i < 3; i++) {
        HidArrives(hMain);
        PumpFor(200);
    }
    EXPECT_TRUE(PumpUntil([&] { return StatusText(0) == kNotFound; }, 4000)) << StatusText(0).c_str();
    PumpFor(300);
    EXPECT_EQ(nOpened + kPerAttempt, SimHandlesOpened()) << "one attempt for the burst";
    EXPECT_EQ(nBoxes, boxes.size()) << "quietly";

    SimAddRemote();
    SendMessageW(hMain, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    SendMessageW(hMain, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    ASSERT_TRUE(PumpUntil([&] { return g_State.nSelectedRemote == 0; }, 4000));
    EXPECT_EQ(L"自動接続しました: Wiiリモコン", StatusText(0));
    EXPECT_EQ(1, Balloons(L"Wiiリモコンと接続しました"));
    EXPECT_EQ(nBoxes, boxes.size());
}

// Minimising and (with the option) closing hide the window; the icon shows it again; its
// menu stops and exits, exit asking the save question as closing does.
TEST_F(ZanTest, TrayHidesShowsAndExitsThroughTheQuestion) {
    WriteOptions(0, L"", 0, 1000);
    SetOption(L"bCloseToTray", 1);
    Start();
    ASSERT_FALSE(trayCalls.empty());
    EXPECT_EQ((DWORD)NIM_ADD, trayCalls[0].dwMessage);
    SendMessageW(hMain, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(IsWindowVisible(hMain));
    SendMessageW(hMain, WM_APP_TRAY, 0, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(hMain));
    SendMessageW(hMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(hMain));
    EXPECT_FALSE(IsWindowVisible(hMain));
    EXPECT_TRUE(boxes.empty());
    SendMessageW(hMain, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ((DWORD)NIM_ADD, trayCalls[trayCalls.size() - 2].dwMessage) << "a restarted Explorer gets it back";

    TRAY_MENU_PROC pfnSystemMenu = g_pfnTrackTrayMenu;
    g_pfnTrackTrayMenu = AnswerTrayMenu;
    g_nTrayCommand = ID_TRAY_STOP;
    SendMessageW(hMain, WM_APP_TRAY, 0, WM_RBUTTONUP);
    EXPECT_EQ(0, g_State.bRunning);

    g_State.bModified = 1;
    g_nTrayCommand = ID_TRAY_EXIT;
    boxAnswers = {IDCANCEL, IDNO};
    SendMessageW(hMain, WM_APP_TRAY, 0, WM_RBUTTONUP);
    PumpFor(100);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"この設定ファイルは保存されていません\n保存しますか？", boxes[0].text);
    ASSERT_TRUE(IsWindow(hMain)) << "cancelled";
    SendMessageW(hMain, WM_APP_TRAY, 0, WM_RBUTTONUP);
    PumpFor(100);
    EXPECT_EQ(2u, boxes.size());
    EXPECT_FALSE(IsWindow(hMain));
    EXPECT_EQ((DWORD)NIM_DELETE, trayCalls.back().dwMessage);
    hMain = NULL;
    g_pfnTrackTrayMenu = pfnSystemMenu;
}

struct HiddenStart {
    int bOption;
    const wchar_t *commandLine;
    bool bHidden;
};

class HiddenStartTest : public ZanTest, public ::testing::WithParamInterface<HiddenStart> {};

TEST_P(HiddenStartTest, StartsInTheTrayByOptionOrSwitch) {
    WriteOptions(0, L"", 0, 1000);
    SetOption(L"bStartInTray", GetParam().bOption);
    Start(GetParam().commandLine);
    EXPECT_EQ(!GetParam().bHidden, IsWindowVisible(hMain) != FALSE);
}

INSTANTIATE_TEST_SUITE_P(Cases, HiddenStartTest, ::testing::Values(
    HiddenStart{1, L"", true}, HiddenStart{0, L"x.zan /TRAY", true}, HiddenStart{0, L"C:\\a/tray.zan", false}));

// The tooltip names the set and the battery; one balloon when the remote connects, one when lost.
TEST_F(ZanTest, TooltipAndBalloonsFollowTheRemote) {
    SIM_REMOTE *pSim = SimAddRemote();
    SimSetBattery(pSim, 100, 0);
    WriteSetFile(Path(L"leds.zan"), 'A', 0x1);
    WriteOptions(1, Path(L"leds.zan"), 1, 1000);
    Start();
    EXPECT_EQ(L"Zan leds.zan\nバッテリー 50%", TrayTip());
    EXPECT_EQ(1, Balloons(L"Wiiリモコンと接続しました"));
    SimPowerOff(pSim);
    ASSERT_TRUE(PumpUntil([&] { return g_State.nSelectedRemote < 0; }, 4000));
    PumpFor(1200);
    EXPECT_EQ(1, Balloons(L"Wiiリモコンとの接続が切れました"));
    EXPECT_EQ(L"Zan leds.zan\nWiiリモコンと接続されていません", TrayTip());
}

TEST_F(ZanTest, ElevatedForegroundWindowIsNoticed) {
    SetElevationProcs(ElevatedWindow, NotElevated);
    WriteOptions(0, L"", 0, 1000);
    Start();
    g_hElevated = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"admin", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL,
                                  NULL, NULL, NULL);
    SetForegroundWindow(g_hElevated);
    EXPECT_TRUE(PumpUntil([&] { return StatusText(0) == kBlocked; }, 3000)) << StatusText(0).c_str();
    EXPECT_NE(std::wstring::npos, TrayTip().find(kBlocked));
    SetForegroundWindow(hMain);
    EXPECT_TRUE(PumpUntil([&] { return StatusText(0) == L"Wiiリモコンと接続されていません"; }, 3000));
    EXPECT_EQ(std::wstring::npos, TrayTip().find(kBlocked));
    DestroyWindow(g_hElevated);
}
