// Start-up, the command line, a second start's hand-over, what exit leaves in option.ini, and
// Zan left running: connecting by itself, the notification-area icon, the blocked-input notice.
#include "zan_fixture.h"

#include "modal_ui.h"

#include <dbt.h>
#include <shlwapi.h>

#include "main_handlers.h"
#include "single_instance.h"
#include "system_dll_fake.h"
#include "timer_calls.h"
#include "tray.h"

namespace {

const wchar_t kBlocked[] = L"管理者として実行中のウィンドウには入力できません";

// A second start's command line, as it sends it; then the posted rest is handled.
void HandOver(const std::wstring &line) {
    COPYDATASTRUCT data = {HANDOVER_TAG, (DWORD)((line.size() + 1) * sizeof(wchar_t)), (PVOID)line.c_str()};
    EXPECT_TRUE(SendMessageW(g_pTest->hMain, WM_COPYDATA, 0, (LPARAM)&data));
    PumpFor(50);
}

}  // namespace

// Zan takes winmm.dll from the system folder and opts out of timer throttling before its window
// starts the engine, and the library opts out again in wm_Init. Without winmm (the clock is then
// GetTickCount's) or SetProcessInformation, Zan starts all the same.
TEST_F(ZanTest, TakesWinmmFromTheSystemFolderAndKeepsItsTimerResolution) {
    const struct { SystemDllFake fake; std::vector<std::string> log; } cases[] = {
        {{}, {"load winmm.dll 0x800", kKeepTimerResolution, kKeepTimerResolution}},
        {{{}, L"winmm.dll", "SetProcessInformation"}, {"load winmm.dll 0x800", "load winmm.dll 0x800"}},  // wm_Init tries again
    };
    for (const auto &c : cases) {
        SystemDllFake fake = c.fake;
        SetTimerCalls(NULL);
        InstallSystemDllFake(&fake);
        Restart();
        InstallSystemDllFake(NULL);
        EXPECT_EQ(c.log, fake.log);
    }
    SetTimerCalls(NULL);
}

// Without option.ini or a remote, Zan starts unnamed, red and unconnected. The first quoted
// file on the command line wins; without a usable one, the last file when option.ini says
// so; a last file that does not load is passed over silently.
TEST_F(ZanTest, StartsUnnamedOrWithTheCommandLineFileOrTheLastOne) {
    Start();
    EXPECT_EQ(L"Zan", TextOf(hMain));
    EXPECT_TRUE(boxes.empty()) << "the quiet connect showed a message";
    EXPECT_EQ(kRed, Pixel());
    EXPECT_TRUE(MenuGreyed(IDM_RUN));
    EXPECT_EQ(kNotConnected, StatusText(0));
    EXPECT_EQ((std::vector<UINT>{RegisterWindowMessageW(L"TaskbarCreated"), WM_DROPFILES, WM_COPYDATA, 0x0049}),
              allowedMessages) << "what an elevated Zan must still take from the shell";
    EXPECT_EQ(std::vector<HWND>(g_App.ahPage, g_App.ahPage + PAGE_COUNT), texturedPages) << "pages drawn as the tab pane";
    HDC hScreen = GetDC(NULL), hdc = CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, 4, 4), hOld = (HBITMAP)SelectObject(hdc, hBitmap);
    ReleaseDC(NULL, hScreen);
    for (UINT uMsg : {WM_ERASEBKGND, WM_PRINTCLIENT}) {
        SetPixel(hdc, 1, 1, 0);
        SendMessageW(hMain, uMsg, (WPARAM)hdc, PRF_CLIENT);
        EXPECT_EQ(kRed, GetPixel(hdc, 1, 1)) << "the tab strip's background is the frame's colour: " << uMsg;
    }
    DeleteObject(SelectObject(hdc, hOld));
    DeleteDC(hdc);
    // Each tab shows only its page; another control's notification changes nothing.
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
    EXPECT_FALSE(IsWindowVisible(g_App.ahPage[3]));

    ASSERT_TRUE(CreateDirectoryW(Path(L"my sets").c_str(), NULL));
    WriteSetFile(Path(L"my sets\\named set.zan"), 'N', 0x3);
    WriteSetFile(Path(L"last.zan"), 'L', 0x4);
    // loaded: NULL for nothing
    const struct { const char *name; std::wstring commandLine, lastFile; int bInitSet; const wchar_t *loaded; } cases[] = {
        {"quoted path", L"hello " + Quoted(L"my sets\\named set.zan"), L"last.zan", 1, L"my sets\\named set.zan"},
        {"unterminated quote", L"hello \"" + Path(L"my sets\\named set.zan"), L"last.zan", 1, L"last.zan"},
        {"unterminated, no last file", L"hello \"" + Path(L"my sets\\named set.zan"), L"last.zan", 0, nullptr},
        {"last file gone", L"", L"gone.zan", 1, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        WriteOptions(c.bInitSet, Path(c.lastFile), 0, 1000);
        Restart(c.commandLine);
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(0, g_State.bModified);
        std::wstring loaded = c.loaded ? Path(c.loaded) : L"";
        EXPECT_EQ(loaded, g_State.szCurrentFile);
        EXPECT_EQ(c.loaded ? (c.loaded == c.lastFile ? 'L' : 'N') : 0, g_CurrentSet.aAssign[0].awKey[0]);
        EXPECT_EQ(c.loaded ? L"Zan " + std::wstring(PathFindFileNameW(c.loaded)) : L"Zan", TextOf(hMain));
        EXPECT_EQ(c.loaded && c.loaded == c.lastFile ? BST_CHECKED : BST_UNCHECKED,
                  (int)SendDlgItemMessageW(g_App.ahPage[PAGE_OPTIONS], IDC_LED3, BM_GETCHECK, 0, 0));
        // File > Exit asks the save question as closing does; option.ini names the current
        // file at exit only with "load the last file", and only when there is one.
        MarkModified();
        boxAnswers.push_back(IDNO);
        Command(IDM_EXIT);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hMain); }));
        EXPECT_EQ(1u, boxes.size());
        EXPECT_EQ(c.bInitSet && c.loaded ? loaded : Path(c.lastFile), ReadIniValue(L"szSettingFilename"));
    }
}

// A burst of arrivals, and a resume, make one quiet attempt each. The tooltip names the
// set and the battery; one balloon when the remote connects, one when it is lost.
TEST_F(ZanTest, ArrivalsAndResumeConnectOnceEachWithTooltipAndBalloons) {
    SimAddHidDevice(0x046D, 0xC077, 0);
    WriteSetFile(Path(L"leds.zan"), 'A', 0xA);
    WriteOptions(0, L"", 0, 1000);
    SetOption(L"bAutoConnect", 1);
    Start(Quoted(L"leds.zan"));
    int nOpened = SimHandlesOpened();
    Command(IDM_CONNECT);
    const int kPerAttempt = SimHandlesOpened() - nOpened;
    ASSERT_GT(kPerAttempt, 0);

    nOpened = SimHandlesOpened();
    boxes.clear();
    struct { DEV_BROADCAST_DEVICEINTERFACE_W h; WCHAR szRest[96]; } mouse = {}, remote = {};
    for (auto *p : {&mouse, &remote}) {
        p->h.dbcc_size = sizeof(*p);
        p->h.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    }
    lstrcpyW(mouse.h.dbcc_name, L"\\\\?\\HID#VID_046D&PID_C077#7&1&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    lstrcpyW(remote.h.dbcc_name, L"\\\\?\\HID#{00001124-0000-1000-8000-00805f9b34fb}_VID&0002057e_PID&0306#8&1&0");
    DEV_BROADCAST_DEVICEINTERFACE_W &arrival = remote.h;
    SendMessageW(hMain, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, (LPARAM)&mouse.h);
    PumpFor(1800);
    EXPECT_EQ(nOpened, SimHandlesOpened()) << "a mouse arriving is no reason to look";
    for (int i = 0; i < 3; i++)
        SendMessageW(hMain, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, (LPARAM)&arrival);
    EXPECT_TRUE(PumpUntil([&] { return StatusText(0) == L"自動接続: Wiiリモコンが見つかりませんでした"; }))
        << StatusText(0).c_str();
    EXPECT_EQ(nOpened + kPerAttempt, SimHandlesOpened()) << "one attempt for the burst";
    nOpened = SimHandlesOpened();
    EnterModalUi();   // a dialog is open: the attempt waits for it
    SendMessageW(hMain, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, (LPARAM)&arrival);
    PumpFor(1800);
    EXPECT_EQ(nOpened, SimHandlesOpened()) << "no attempt under a dialog";
    LeaveModalUi();
    EXPECT_TRUE(PumpUntil([&] { return SimHandlesOpened() == nOpened + kPerAttempt; }));

    SIM_REMOTE *pSim = SimAddRemote();
    SimSetBattery(pSim, 100, 0);
    SendMessageW(hMain, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    SendMessageW(hMain, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    ASSERT_TRUE(PumpUntil([&] { return g_State.nSelectedRemote == 0; }));
    EXPECT_EQ(L"自動接続しました: Wiiリモコン", StatusText(0));
    EXPECT_EQ(0xA, SimLeds(pSim)) << "the set's LEDs while running";
    EXPECT_TRUE(boxes.empty()) << "automatic attempts are quiet";
    EXPECT_EQ(L"Zan leds.zan\nバッテリー 50%", tips.back());
    EXPECT_EQ(1, Balloons(L"Wiiリモコンと接続しました"));
    EXPECT_EQ((DWORD)(NIIF_INFO | NIIF_RESPECT_QUIET_TIME), balloonFlags.back()) << "quiet over a full-screen game";
    SimPowerOff(pSim);
    ASSERT_TRUE(PumpUntil([&] { return Balloons(L"Wiiリモコンとの接続が切れました") > 0; }));
    SendMessageW(hMain, WM_TIMER, PRESENCE_TIMER_ID, 0);   // a later look at the lost remote
    EXPECT_EQ(1, Balloons(L"Wiiリモコンとの接続が切れました"));
    EXPECT_EQ(L"Zan leds.zan\n" + std::wstring(kNotConnected), tips.back());
}

// Minimising and (with the option) closing hide the window; the icon shows it again; its
// menu stops and exits, exit asking the save question as closing does. An elevated window
// in front is noticed; the option or the /tray switch starts hidden.
TEST_F(ZanTest, TrayHidesShowsAndExitsThroughTheQuestion) {
    WriteOptions(0, L"", 0, 1000);
    SetOption(L"bCloseToTray", 1);
    Start();
    hElevated = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"admin", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL,
                                  NULL, NULL, NULL);
    SetForegroundWindow(hElevated);
    ForegroundMoved();
    EXPECT_EQ(kBlocked, StatusText(0)) << "seen when the system reports the change";
    EXPECT_NE(std::wstring::npos, tips.back().find(kBlocked));
    SetForegroundWindow(hMain);
    ForegroundMoved();
    EXPECT_EQ(kNotConnected, StatusText(0));
    EXPECT_EQ(std::wstring::npos, tips.back().find(kBlocked));
    DestroyWindow(hElevated);

    EXPECT_EQ((DWORD)NIM_ADD, trayMessages.at(0));
    SendMessageW(hMain, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(IsWindowVisible(hMain));
    SendMessageW(hMain, WM_APP_TRAY, 0, MAKELPARAM(NIN_SELECT, 1));
    EXPECT_TRUE(IsWindowVisible(hMain));
    SendMessageW(hMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(hMain));
    EXPECT_FALSE(IsWindowVisible(hMain));
    for (bool kept : {false, true}) {   // an Explorer that forgot the icon, or kept it
        trayIconThere = kept;
        trayMessages.clear();
        SendMessageW(hMain, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
        EXPECT_EQ((std::vector<DWORD>{NIM_DELETE, NIM_ADD, NIM_SETVERSION, NIM_MODIFY}), trayMessages);
        EXPECT_TRUE(IsTrayIconShown()) << "a restarted Explorer gets it back";
    }

    EnterModalUi();   // under a dialog the menu offers only "show", and nothing else is done
    menuAnswers = {ID_TRAY_EXIT};
    SendMessageW(hMain, WM_APP_TRAY, 0, MAKELPARAM(WM_CONTEXTMENU, 1));
    EXPECT_EQ(std::vector<UINT>{ID_TRAY_SHOW}, menuEnabled.back());
    SendMessageW(hMain, WM_COMMAND, ID_TRAY_STOP, 0);
    PumpFor(100);
    ASSERT_TRUE(IsWindow(hMain));
    EXPECT_EQ(1, g_State.bRunning);
    LeaveModalUi();
    menuAnswers = {ID_TRAY_STOP};
    SendMessageW(hMain, WM_APP_TRAY, 0, MAKELPARAM(WM_CONTEXTMENU, 1));
    EXPECT_EQ(0, g_State.bRunning);

    MarkModified();
    menuAnswers = {ID_TRAY_EXIT, ID_TRAY_EXIT};
    boxAnswers = {IDCANCEL, IDNO};
    SendMessageW(hMain, WM_APP_TRAY, 0, MAKELPARAM(WM_CONTEXTMENU, 1));
    PumpFor(100);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(kSaveQuestion, boxes[0].text);
    ASSERT_TRUE(IsWindow(hMain)) << "cancelled";
    SendMessageW(hMain, WM_APP_TRAY, 0, MAKELPARAM(WM_CONTEXTMENU, 1));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hMain); }));
    EXPECT_EQ(2u, boxes.size());
    EXPECT_EQ((DWORD)NIM_DELETE, trayMessages.back());

    SetOption(L"bStartInTray", 1);
    trayAddFailures = 1;   // the taskbar at logon, not ready yet: shown, the icon offered again
    Restart();
    EXPECT_TRUE(IsWindowVisible(hMain));
    EXPECT_TRUE(PumpUntil([&] { return IsTrayIconShown() != 0; }));
    Restart();
    EXPECT_FALSE(IsWindowVisible(hMain)) << "started in the tray by the option";
    SetOption(L"bStartInTray", 0);
    Restart(L"x.zan /TRAY");
    EXPECT_FALSE(IsWindowVisible(hMain)) << "started in the tray by the switch";
}

// A foreground change the system does not report is still seen: within the slow look that
// backs the hook up, or, when the hook cannot be set, by looking at the recheck rate.
TEST_F(ZanTest, AnUnreportedForegroundChangeIsStillSeen) {
    for (bool refused : {false, true}) {
        refuseEventHook = refused;
        WriteOptions(0, L"", 0, 1000);
        Restart();
        EXPECT_EQ(!refused, pfnForegroundEvent != nullptr);
        hElevated = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"admin", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL,
                                    NULL, NULL, NULL);
        SetForegroundWindow(hElevated);
        EXPECT_TRUE(PumpUntil([&] { return StatusText(0) == kBlocked; })) << "hook refused: " << refused;
        DestroyWindow(hElevated);
        hElevated = NULL;
    }
}

// A second start's hand-over: without /tray the window comes back from the tray or the
// taskbar; /tray leaves it hidden, and a file with it still opens. Under a box only the latest
// hand-over waits for the box to close, then opens its file after the save question.
TEST_F(ZanTest, HandOverShowsTheWindowAndOpensItsFileOnceNoBoxIsUp) {
    WriteOptions(0, L"", 0, 1000);
    WriteSetFile(Path(L"a.zan"), 'A', 0x1);
    WriteSetFile(Path(L"b.zan"), 'B', 0x1);
    Start();
    const struct { int nShow; std::wstring line; bool bShown; const wchar_t *title; } cases[] = {
        {SW_HIDE, L"", true, L"Zan"},
        {SW_MINIMIZE, L"", true, L"Zan"},
        {SW_HIDE, L"/tray", false, L"Zan"},
        {SW_HIDE, Quoted(L"a.zan") + L" /tray", false, L"Zan a.zan"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.nShow);
        SCOPED_TRACE(c.line.c_str());
        ShowWindow(hMain, c.nShow);
        HandOver(c.line);
        EXPECT_EQ(c.bShown, IsWindowVisible(hMain) && !IsIconic(hMain));
        EXPECT_EQ(c.title, TextOf(hMain));
    }
    EXPECT_TRUE(boxes.empty());
    MarkModified();
    bool bHandedOver = false;
    whileBoxShown = [&] {
        if (bHandedOver)
            return;
        bHandedOver = true;
        HandOver(Quoted(L"missing.zan"));   // replaced before it fails
        HandOver(Quoted(L"b.zan"));
        EXPECT_EQ(1u, boxes.size()) << "nothing opens over the box";
        EXPECT_EQ(L"Zan a.zan (*)", TextOf(hMain));
    };
    boxAnswers = {IDOK, IDNO};
    Command(IDM_CONNECT);   // no remote: a warning
    PumpFor(50);
    whileBoxShown = nullptr;
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(kSaveQuestion, boxes[1].text);
    EXPECT_EQ(L"Zan b.zan", TextOf(hMain));
}
