// Connecting: no remote, one, several through the selection dialog; run and stop with two remotes.
#include "zan_fixture.h"

namespace {

const int kLeds14 = 0x9, kLeds23 = 0x6, kLed1 = 0x1;

// True once the remote has shown both halves of the alternating identification pattern.
bool SeesAlternation(SIM_REMOTE *pSim) {
    bool seen14 = false, seen23 = false;
    return PumpUntil([&] {
        seen14 |= SimLeds(pSim) == kLeds14;
        seen23 |= SimLeds(pSim) == kLeds23;
        return seen14 && seen23;
    });
}

// Selects a row (-1: none) of the remote selection dialog's list, as a click does.
void SelectListRow(HWND hDlg, int row) {
    HWND hList = GetDlgItem(hDlg, IDC_REMOTE_LIST);
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(hList, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&item);
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (row >= 0)
        SendMessageW(hList, LVM_SETITEMSTATE, row, (LPARAM)&item);
    NMHDR header = {hList, IDC_REMOTE_LIST, (UINT)NM_CLICK};
    SendMessageW(hDlg, WM_NOTIFY, IDC_REMOTE_LIST, (LPARAM)&header);
}


}  // namespace

// Without a remote the menu's connect warns; with one it confirms, and asks before
// connecting anew (No keeps the remote in use). The set's correction level (10 samples per
// step) and the time-out option reach the remote in use on every connection and load.
TEST_F(ZanTest, InteractiveConnectWarnsConfirmsAsksAndAppliesTheSettings) {
    WriteSetFile(Path(L"weak.zan"), 'W', 0x1, 1);
    WriteSetFile(Path(L"strong.zan"), 'S', 0x1, 3);
    WriteOptions(1, Path(L"weak.zan"), 1, 5000);
    auto settings = [] {
        WM_SYSTEM system = {};
        system.dwFlags = WMSYS_SMOOTHING | WMSYS_TIMEOUT;
        if (wm_GetSystem(g_State.nSelectedRemote, &system) != 1)
            return std::string("none");
        return std::to_string(system.nSmoothing) + " " + std::to_string(system.dwTimeout);
    };
    Start();
    Command(IDM_CONNECT);
    ASSERT_EQ(1u, boxes.size()) << "only the menu's connect speaks";
    EXPECT_EQ(L"接続できませんでした", boxes[0].text);
    SimAddRemote();
    Command(IDM_CONNECT);
    EXPECT_EQ("10 5000", settings()) << "connection";
    fileAnswers.push_back(Path(L"strong.zan"));
    Command(IDM_OPEN);
    EXPECT_EQ("30 5000", settings()) << "load";
    boxAnswers = {IDNO, IDYES};
    Command(IDM_CONNECT);
    Command(IDM_CONNECT);
    EXPECT_EQ("30 5000", settings()) << "new connection";
    ASSERT_EQ(5u, boxes.size());
    EXPECT_EQ(boxes[2].text, boxes[3].text) << "No keeps the remote: the same question again";
    EXPECT_EQ(L"接続しました", boxes[4].text);
    EXPECT_EQ(0, g_State.nSelectedRemote);
    EXPECT_EQ(1, wm_Count());
}

// Cancelling the selection disconnects every remote; choosing one while stopped uses it and
// leaves the other connected but not polled. While the dialog is open the selected remote
// alternates LEDs 1+4 and 2+3, the others show LED 1. Run and stop then swap the menu items
// and colour the frame; run polls slot 0 although another remote is in use, stop leaves the
// remote in use alone, and the buttons of the remote not in use never act. When the remote in
// use is lost while the other stays in slot 0, the reconnection uses the slot the library
// reports; a disconnection Zan asked for leaves LED 1.
TEST_F(ZanTest, TwoRemotesAreChosenInTheSelectionDialogAndOnlyTheOneInUseActs) {
    SIM_REMOTE *pFirst = SimAddRemote();
    SIM_REMOTE *pSecond = SimAddRemote();
    SimSetBattery(pFirst, 200, 0);
    SimSetBattery(pSecond, 30, 1);
    WriteOptions(0, L"", 0, 1000);
    Start();
    Command(IDM_STOP);
    DriveModal([&] { Command(IDM_CONNECT); }, [&](HWND hDlg) { PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_TRUE(boxes.empty()) << "a cancelled selection shows nothing";
    EXPECT_EQ(0, wm_Count());

    DriveModal([&] { Command(IDM_CONNECT); }, [&](HWND hDlg) {
        EXPECT_EQ(-1, g_State.nSelectedRemote) << "no remote is in use while choosing";
        EXPECT_EQ(L"15%", ListText(GetDlgItem(hDlg, IDC_REMOTE_LIST), 1, 1));
        EXPECT_TRUE(SeesAlternation(pFirst)) << "the selected remote alternates";
        EXPECT_EQ(kLed1, SimLeds(pSecond));
        SelectListRow(hDlg, 1);
        EXPECT_TRUE(SeesAlternation(pSecond)) << "the newly selected remote alternates";
        EXPECT_EQ(kLed1, SimLeds(pFirst));
        SelectListRow(hDlg, -1);
        SendMessageW(hDlg, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(IsWindowVisible(hDlg)) << "OK without a row keeps the dialog";
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(hDlg, boxes[0].hOwner);
        SelectListRow(hDlg, 1);
        PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(SeesAlternation(pSecond)) << "chosen while stopped, the remote alternates";
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(L"接続しました", boxes[1].text);
    EXPECT_EQ(1, g_State.nSelectedRemote);
    EXPECT_EQ(30, g_State.nBatteryLevel);
    EXPECT_EQ(2, wm_Count()) << "the other remote stays connected";
    EXPECT_EQ(0, Polling(0)) << "the remote not chosen is not polled";
    EXPECT_EQ(kLed1, SimLeds(pFirst));

    Command(IDM_RUN);
    EXPECT_EQ(kBlue, Pixel());
    EXPECT_TRUE(MenuGreyed(IDM_RUN) && !MenuGreyed(IDM_STOP));
    ASSERT_EQ(1, Polling(0)) << "run turns on polling of slot 0";
    Command(IDM_STOP);
    EXPECT_EQ(kYellow, Pixel());
    EXPECT_TRUE(MenuGreyed(IDM_STOP) && !MenuGreyed(IDM_RUN));
    EXPECT_EQ(1, Polling(1)) << "stop leaves the remote in use alone";
    Command(IDM_RUN);
    AssignKey(0, 'K');
    AssignKey(1, 'L');
    SimSetButtons(pFirst, 0, kButtonA);
    SimSetButtons(pSecond, 0, kButtonB);
    ASSERT_TRUE(PumpUntil([&] { return CountKey('L', false) > 0; })) << "B on the remote in use";
    EXPECT_EQ(0, CountKey('K', false)) << "A on the remote in slot 0 pressed K";

    SimSetButtons(pFirst, 0, 0);
    SimPowerOff(pSecond);
    ASSERT_TRUE(PumpUntil([] { return g_State.nSelectedRemote == -1; }));
    SIM_REMOTE *pThird = SimAddRemote();
    Command(IDM_CONNECT);
    EXPECT_EQ(1, g_State.nSelectedRemote) << "the slot the library put the new remote in";
    SimSetButtons(pThird, 0, kButtonA);
    EXPECT_TRUE(PumpUntil([&] { return CountKey('K', false) > 0; })) << "the new remote's A presses K";
    SendMessageW(hMain, WM_MSG_LOST_DEFAULT, 1, 1);
    EXPECT_EQ(kLed1, SimLeds(pThird));
    EXPECT_EQ(-1, g_State.nSelectedRemote);
    EXPECT_EQ(kRed, Pixel());
}

