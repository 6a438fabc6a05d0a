// Run and stop, the presence timer, and no input left held when the remote goes away.
#include "zan_fixture.h"

#include <shellapi.h>

#include "resource.h"
#include "input_seam.h"
#include "main_handlers.h"
#include "tavel.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kYellow = RGB(255, 255, 0);
const BYTE kButtonA = 0x08;   // byte 2 of the core buttons

int Polling(int slot) {
    WM_SYSTEM system = {};
    system.dwFlags = WMSYS_AUTOUPDATE;
    if (wm_GetSystem(slot, &system) != 1)
        return -1;
    return system.bAutoUpdate;
}

void AssignKey(int slot, WORD vk) {
    LockRecord();
    ASSIGNMENT &a = g_CurrentSet.aAssign[slot];
    a.nKind = ASSIGN_KEY;
    a.nKeyCount = 1;
    a.awKey[0] = vk;
    UnlockRecord();
}

}  // namespace

// Connects through the selection dialog, choosing the given row.
void ZanTest::ConnectChoosingRow(int nRow) {
    DriveModal([&] { Command(IDM_CONNECT); }, [&](HWND hDlg) {
        HWND hList = GetDlgItem(hDlg, IDC_REMOTE_LIST);
        LVITEMW item = {};
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(hList, LVM_SETITEMSTATE, nRow, (LPARAM)&item);
        PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
        return true;
    });
}

TEST_F(ZanTest, RunAndStopWithoutRemoteSwapTheMenuAndKeepTheFrameRed) {
    Start();
    Command(IDM_STOP);
    EXPECT_EQ(0, g_State.bRunning);
    EXPECT_EQ(1, g_App.bPresenceTimer);
    EXPECT_FALSE(MenuGreyed(IDM_RUN));
    EXPECT_TRUE(MenuGreyed(IDM_STOP));
    EXPECT_EQ(kRed, FramePixel());
    Command(IDM_RUN);
    EXPECT_EQ(1, g_State.bRunning);
    EXPECT_EQ(0, g_App.bPresenceTimer);
    EXPECT_TRUE(MenuGreyed(IDM_RUN));
    EXPECT_FALSE(MenuGreyed(IDM_STOP));
    EXPECT_EQ(kRed, FramePixel());
}

TEST_F(ZanTest, RunAndStopTurnTheFrameAndSlotZerosPolling) {
    SIM_REMOTE *pSim = SimAddRemote();
    WriteSetFile(Path(L"leds.zan"), 'A', 0x6);
    WriteOptions(1, Path(L"leds.zan"), 1, 1000);
    WritePrivateProfileStringW(L"option", L"bHighlightPressed", L"0", ini.c_str());  // nothing shows input
    Start();
    ASSERT_EQ(0, g_State.nSelectedRemote);
    EXPECT_EQ(kBlue, FramePixel());
    Command(IDM_STOP);
    EXPECT_EQ(kYellow, FramePixel());
    EXPECT_EQ(0, Polling(0));
    SimClearOutputs(pSim);
    Command(IDM_RUN);
    EXPECT_EQ(kBlue, FramePixel());
    EXPECT_EQ(1, Polling(0));
    EXPECT_EQ(0x6, SimLeds(pSim)) << "running sends the set's LEDs to slot 0";
}

TEST_F(ZanTest, RunAndStopAddressSlotZeroWhicheverRemoteIsInUse) {
    SimAddRemote();
    SimAddRemote();
    SimAddRemote();
    WriteOptions(0, L"", 0, 1000);
    Start();
    ConnectChoosingRow(2);
    ASSERT_EQ(2, g_State.nSelectedRemote);
    EXPECT_EQ(0, Polling(0));
    EXPECT_EQ(1, Polling(2));
    Command(IDM_STOP);
    EXPECT_EQ(kYellow, GetFrameColour());
    EXPECT_EQ(1, Polling(2)) << "stop leaves the remote in use alone";
    Command(IDM_RUN);
    EXPECT_EQ(kBlue, GetFrameColour());
    EXPECT_EQ(1, Polling(0)) << "run turns on polling of slot 0";
}

// Run polls slot 0 even when another remote is in use; that remote's buttons must not act.
TEST_F(ZanTest, ButtonsOfARemoteNotInUseNeverAct) {
    SIM_REMOTE *pFirst = SimAddRemote();
    SimAddRemote();
    WriteOptions(0, L"", 0, 1000);
    Start();
    ConnectChoosingRow(1);
    ASSERT_EQ(1, g_State.nSelectedRemote);
    AssignKey(0, 'K');
    Command(IDM_STOP);
    Command(IDM_RUN);
    ASSERT_EQ(1, Polling(0));
    SimSetButtons(pFirst, 0, kButtonA);
    PumpFor(300);
    EXPECT_EQ(0, CountKey('K', false)) << "A on the remote in slot 0 pressed K";
}

TEST_F(ZanTest, PresenceTimerNoticesARemoteSwitchedOffWhileStopped) {
    SIM_REMOTE *pSim = SimAddRemote();
    SimSetBattery(pSim, 150, 0);
    WriteOptions(0, L"", 1, 1000);
    Start();
    ASSERT_EQ(0, g_State.nSelectedRemote);
    Command(IDM_STOP);
    ASSERT_EQ(kYellow, FramePixel());
    SimPowerOff(pSim);
    // The timer's tick, sent here, rather than a wall-clock window that load stretches.
    ASSERT_TRUE(KillTimer(hMain, PRESENCE_TIMER_ID)) << "no presence timer while stopped";
    ASSERT_TRUE(PumpUntil([] { return wm_Exist(0) == 0; }, 2500));
    SendMessageW(hMain, WM_TIMER, PRESENCE_TIMER_ID, 0);
    ASSERT_TRUE(PumpUntil([] { return g_State.nSelectedRemote == -1; }, 2500));
    EXPECT_EQ(kRed, FramePixel());
    EXPECT_EQ(L"Wiiリモコンと接続されていません", StatusText(0));
    EXPECT_EQ(0, BatteryPixels(false)) << "part 1 is blank";
}

TEST_F(ZanTest, ProgramRequestedDisconnectLeavesLedOne) {
    SIM_REMOTE *pSim = SimAddRemote();
    WriteSetFile(Path(L"leds.zan"), 'A', 0xF);
    WriteOptions(1, Path(L"leds.zan"), 1, 1000);
    Start();
    ASSERT_EQ(0xF, SimLeds(pSim));
    SendMessageW(hMain, WM_MSG_LOST_DEFAULT, 0, 1);
    EXPECT_EQ(0x1, SimLeds(pSim));
    EXPECT_EQ(-1, g_State.nSelectedRemote);
    EXPECT_EQ(kRed, FramePixel());
}

// A key held on the remote is released when the remote is lost, and a new remote does
// not inherit it.
TEST_F(ZanTest, NoKeyStaysHeldWhenTheRemoteIsLostOrReplaced) {
    SIM_REMOTE *pSim = SimAddRemote();
    WriteOptions(0, L"", 1, 1000);
    Start();
    ASSERT_EQ(0, g_State.nSelectedRemote);
    AssignKey(0, 'K');
    SimSetButtons(pSim, 0, kButtonA);
    ASSERT_TRUE(PumpUntil([&] { return CountKey('K', false) > 0; }, 2000)) << "A presses K";
    SimPowerOff(pSim);
    ASSERT_TRUE(PumpUntil([] { return g_State.nSelectedRemote == -1; }, 2000));
    EXPECT_TRUE(PumpUntil([&] { return CountKey('K', true) > 0; }, 1000)) << "K released after the loss";

    SimAddRemote();
    Command(IDM_CONNECT);
    ASSERT_EQ(0, g_State.nSelectedRemote);
    int downs = CountKey('K', false);
    PumpFor(300);
    EXPECT_EQ(downs, CountKey('K', false)) << "the new remote starts from released buttons";
    std::vector<KeyEvent> keys = Keys();
    ASSERT_FALSE(keys.empty());
    EXPECT_TRUE(keys.back().bUp) << "the last event for K is its release";
}

TEST_F(ZanTest, NoExtensionButtonStaysHeldWhenTheExtensionIsPulledOut) {
    SIM_REMOTE *pSim = SimAddRemote();
    SimPlugExtension(pSim, SIM_EXT_NUNCHUK, NULL);
    WriteOptions(0, L"", 1, 1000);
    Start();
    ASSERT_EQ(0, g_State.nSelectedRemote);
    ASSERT_TRUE(PumpUntil([] { return g_State.nExtensionKind == WMEXT_NUNCHUK; }, 3000));
    AssignKey(SLOT_FIRST_NUNCHUK, 'C');      // the Nunchuk's C button
    SimSetNunchuk(pSim, 128, 128, 512, 512, 512, 1, 0);
    ASSERT_TRUE(PumpUntil([&] { return CountKey('C', false) > 0; }, 2000)) << "C presses its key";
    SimUnplugExtension(pSim);
    ASSERT_TRUE(PumpUntil([] { return g_State.nExtensionKind == WMEXT_NONE; }, 3000));
    EXPECT_TRUE(PumpUntil([&] { return CountKey('C', true) > 0; }, 1000)) << "C released after unplugging";
    int downs = CountKey('C', false);
    PumpFor(200);
    EXPECT_EQ(downs, CountKey('C', false)) << "and not pressed again";
    EXPECT_EQ(0, g_State.nSelectedRemote) << "the remote itself stays in use";
}

// The remote in use is lost while another stays in slot 0: the reconnection uses the slot
// the library put the new remote in, not slot 0.
TEST_F(ZanTest, ReconnectAfterLossUsesTheSlotTheLibraryReports) {
    SimAddRemote();
    SIM_REMOTE *pSecond = SimAddRemote();
    WriteOptions(0, L"", 0, 1000);
    Start();
    ConnectChoosingRow(1);
    ASSERT_EQ(1, g_State.nSelectedRemote);
    AssignKey(0, 'K');
    SimPowerOff(pSecond);
    ASSERT_TRUE(PumpUntil([] { return g_State.nSelectedRemote == -1; }, 2000));

    SIM_REMOTE *pThird = SimAddRemote();
    Command(IDM_CONNECT);
    EXPECT_EQ(1, g_State.nSelectedRemote);
    EXPECT_EQ(L"接続しました", boxes.back().text);
    SimSetButtons(pThird, 0, kButtonA);
    EXPECT_TRUE(PumpUntil([&] { return CountKey('K', false) > 0; }, 2000)) << "the new remote's A presses K";
}

static HINSTANCE WINAPI FailLaunch(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT) {
    return (HINSTANCE)SE_ERR_FNF;
}

// A failed launch is shown by the main window, owned by it; meanwhile the record lock is
// free and the engine acts on the other buttons.
TEST_F(ZanTest, FailedLaunchIsShownByTheWindowWhileTheEngineGoesOn) {
    const BYTE kButtonB = 0x04;
    SIM_REMOTE *pSim = SimAddRemote();
    WriteOptions(0, L"", 1, 1000);
    Start();
    ASSERT_EQ(0, g_State.nSelectedRemote);
    INPUT_SEAM input = g_Seam;
    input.pfnShellExecute = FailLaunch;
    SetInputSeam(&input);
    LockRecord();
    ASSIGNMENT &a = g_CurrentSet.aAssign[0];
    a.nKind = ASSIGN_APPLICATION;
    a.pszPath = AllocPathText(11);
    lstrcpyW(a.pszPath, L"missing.exe");
    a.nPathLength = 11;
    UnlockRecord();
    AssignKey(1, 'K');
    bool lockFree = false, keyWhileShown = false;
    whileBoxShown = [&] {
        // The engine takes the lock for a moment each cycle: free means obtainable soon.
        lockFree = PumpUntil([] { return TryLockRecord() ? (UnlockRecord(), true) : false; }, 1000);
        SimSetButtons(pSim, 0, kButtonA | kButtonB);
        keyWhileShown = PumpUntil([&] { return CountKey('K', false) > 0; }, 2000);
    };
    SimSetButtons(pSim, 0, kButtonA);
    ASSERT_TRUE(PumpUntil([&] { return !boxes.empty(); }, 3000));
    EXPECT_EQ(hMain, boxes[0].hOwner);
    EXPECT_EQ(L"ファイルの実行に失敗しました", boxes[0].text);
    EXPECT_EQ(L"Zan", boxes[0].caption);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONERROR), boxes[0].uType);
    EXPECT_TRUE(lockFree) << "no lock is held while the message is shown";
    EXPECT_TRUE(keyWhileShown) << "the engine acts while the message is shown";
    whileBoxShown = nullptr;
}
