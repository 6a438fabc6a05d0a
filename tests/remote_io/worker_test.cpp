// The worker's step on simulated remotes: status, extensions, rumble, blinking and notifications.
#include <string.h>

#include "decode.h"
#include "sim_fixture.h"
#include "transport.h"

namespace {

DWORD g_dwNow;
DWORD WINAPI FakeClock() { return g_dwNow; }

class Worker : public SimLibrary {
protected:
    SIM_REMOTE *pSim = nullptr;
    ClientWindow window;
    void SetUp() override {
        SimLibrary::SetUp();
        pSim = SimAddRemote();
        ConnectAll(1);
        Watch(0, window);
    }
    bool WaitFor(UINT uMsg, int nCount = 1) {
        return PumpUntil([&] { return window.Count(uMsg) >= nCount; }, 2000);
    }
};

TEST_F(Worker, ButtonPressReachesTheWindowWithItsMask) {
    SimSetButtons(pSim, 0x00, 0x08);  // A
    ASSERT_TRUE(WaitFor(WM_MSG_KEY_DEFAULT));
    const Notification *n = window.Last(WM_MSG_KEY_DEFAULT);
    EXPECT_EQ(0u, n->wParam);
    EXPECT_EQ(1 << KEY_A, n->lParam & 0x7FF);
    WM_KEY key;
    ASSERT_EQ(1, wm_GetKey(0, &key));
    EXPECT_EQ(1, key.nA);
    EXPECT_EQ(0, key.nB);
}

TEST_F(Worker, ExtensionPlugAndUnplugResendModeAndClearState) {
    SimPlugExtension(pSim, SIM_EXT_NUNCHUK, NULL);
    ASSERT_TRUE(PumpUntil([&] { return window.Count(WM_MSG_STATUS_DEFAULT) > 0; }, 2000));
    const Notification *n = window.Last(WM_MSG_STATUS_DEFAULT);
    EXPECT_EQ(WMST_REPORT | WMST_EXTENSION, n->lParam & (WMST_REPORT | WMST_EXTENSION));
    EXPECT_EQ(0x35, SimReportMode(pSim));

    SimSetNunchuk(pSim, 0x80, 0x80, 0x200, 0x200, 0x200, 1, 0);
    ASSERT_TRUE(PumpUntil([&] {
        WM_KEYEX ex;
        return wm_GetKeyEx(0, &ex) && ex.Nunchuk.nC == 1;
    }, 2000));

    window.log.clear();
    SimUnplugExtension(pSim);
    ASSERT_TRUE(WaitFor(WM_MSG_STATUS_DEFAULT));
    n = window.Last(WM_MSG_STATUS_DEFAULT);
    EXPECT_EQ(WMST_REPORT | WMST_EXTENSION, n->lParam & (WMST_REPORT | WMST_EXTENSION));
    EXPECT_EQ(0x31, SimReportMode(pSim));
    WM_KEYEX ex;
    memset(&ex, 0x5A, sizeof(ex));
    EXPECT_EQ(0, wm_GetKeyEx(0, &ex));
    EXPECT_EQ((DWORD)WME_NO_EXTENSION, GetLastError());
    EXPECT_EQ(0x5A5A5A5A, ex.anField[0]);  // untouched
    SlotLock lock(0);
    for (BYTE b : Device(0)->Ext.ab)
        ASSERT_EQ(0, b);
}

TEST_F(Worker, ClassicAndProAreIdentified) {
    struct { int nKind; int nExtType; } table[] = {{SIM_EXT_CLASSIC, WMEXT_CLASSIC}, {SIM_EXT_CLASSIC_PRO, WMEXT_CLASSIC_PRO}};
    for (auto &row : table) {
        SimPlugExtension(pSim, row.nKind, NULL);
        SimSetClassic(pSim, 32, 32, 16, 16, 0, 31, 1 << 0);  // a pressed, right trigger full
        ASSERT_TRUE(PumpUntil([&] {
            WM_KEYEX ex;
            return wm_GetKeyEx(0, &ex) && ex.Classic.nA == 1 && ex.Classic.nRT == 100;
        }, 2000)) << row.nKind;
        WM_STATUS st = {};
        st.dwFlags = WMST_EXTENSION;
        ASSERT_EQ(1, wm_GetStatus(0, &st));
        EXPECT_EQ(row.nExtType, st.nExtType);
        SimUnplugExtension(pSim);
        ASSERT_TRUE(PumpUntil([&] {
            WM_STATUS s = {};
            s.dwFlags = WMST_EXTENSION;
            return wm_GetStatus(0, &s) && s.nExtType == 0;
        }, 2000));
    }
}

// An extension this library does not decode is identified once per plug-in; the remote keeps
// working and its status (a low battery) keeps reaching the client.
TEST_F(Worker, UnknownExtensionIsIdentifiedOncePerPlugIn) {
    const BYTE abId[6] = {0x01, 0x00, 0xA4, 0x20, 0x04, 0x05};
    auto identifications = [&] {
        int n = 0;
        for (int i = 0; i < SimOutputCount(pSim); i++) {
            BYTE ab[22];
            SimOutputAt(pSim, i, ab, NULL);
            n += ab[0] == RPT_OUT_WRITE_MEMORY && ab[2] == 0xA4 && ab[4] == 0xF0;
        }
        return n;
    };
    auto batteryNotified = [&](BYTE bLevel) {
        SimSetBattery(pSim, bLevel, 0);
        int nFrom = (int)window.log.size();
        return PumpUntil([&] {
            for (int i = nFrom; i < (int)window.log.size(); i++)
                if (window.log[i].uMsg == WM_MSG_STATUS_DEFAULT && (window.log[i].lParam & WMST_BATTERY))
                    return true;
            return false;
        }, 2000);
    };
    SimClearOutputs(pSim);
    for (int nPlug = 1; nPlug <= 2; nPlug++) {
        SimPlugExtensionId(pSim, abId, NULL);
        ASSERT_TRUE(batteryNotified((BYTE)(0x30 + nPlug)));
        ASSERT_TRUE(batteryNotified((BYTE)(0x40 + nPlug)));  // further cycles ran
        EXPECT_EQ(nPlug, identifications());
        WM_STATUS st = {};
        st.dwFlags = WMST_EXTENSION | WMST_REPORT;
        ASSERT_EQ(1, wm_GetStatus(0, &st));
        EXPECT_EQ(WMEXT_NONE, st.nExtType);
        EXPECT_EQ(0u, st.dwReport & WMRPT_EXTENSION);  // reporting without extension data
        SimUnplugExtension(pSim);
        ASSERT_TRUE(batteryNotified((BYTE)(0x50 + nPlug)));
    }
    SimSetButtons(pSim, 0x00, 0x04);  // B
    EXPECT_TRUE(PumpUntil([&] {
        WM_KEY key;
        return wm_GetKey(0, &key) && key.nB == 1;
    }, 2000));
}

TEST_F(Worker, NotReadyIdentifierIsReadAgain) {
    SimSetExtensionNotReady(pSim, 3);
    SimPlugExtension(pSim, SIM_EXT_CLASSIC, NULL);
    ASSERT_TRUE(PumpUntil([&] {
        WM_STATUS st = {};
        st.dwFlags = WMST_EXTENSION;
        return wm_GetStatus(0, &st) && st.nExtType == WMEXT_CLASSIC;
    }, 2000));
}

TEST_F(Worker, BatteryChangeAloneIsMaskFour) {
    PumpFor(30);
    window.log.clear();
    SimSetBattery(pSim, 0x10, 0);
    ASSERT_TRUE(WaitFor(WM_MSG_STATUS_DEFAULT));
    EXPECT_EQ(WMST_BATTERY, window.Last(WM_MSG_STATUS_DEFAULT)->lParam);
    SimSetBattery(pSim, 0x10, 1);
    ASSERT_TRUE(WaitFor(WM_MSG_STATUS_DEFAULT, 2));
    EXPECT_EQ(WMST_BATTERY, window.Last(WM_MSG_STATUS_DEFAULT)->lParam);
    WM_STATUS st = {};
    st.dwFlags = WMST_BATTERY;
    ASSERT_EQ(1, wm_GetStatus(0, &st));
    EXPECT_EQ(0, st.bBatteryOk);
    EXPECT_EQ(0x10, st.nBattery);
}

// Steps the remote by hand (polling off), counting the status requests sent with the rumble bit.
int RumbleSteps(WM_DEVICE *pDev, SIM_REMOTE *pSim, int nSteps) {
    SimClearOutputs(pSim);
    pDev->bAutoUpdate = 0;
    for (int i = 0; i < nSteps; i++)
        EXPECT_EQ(IO_DONE, UpdateDevice(pDev));
    int nOn = 0;
    for (int i = 0; i < SimOutputCount(pSim); i++) {
        BYTE ab[22];
        SimOutputAt(pSim, i, ab, NULL);
        if (ab[0] == RPT_OUT_STATUS)
            nOn += ab[1] & 1;
    }
    return nOn;
}

TEST_F(Worker, RumblePowerSetsThePulseRatio) {
    SetPolling(0, 0);
    struct { int nPower; int nSteps; int nExpectedOn; } table[] = {
        {100, 20, 20}, {0, 20, 0}, {1, 99, 10}, {50, 98, 54}, {99, 98, 97},
    };
    for (auto &row : table) {
        WM_STATUS st = {};
        st.dwFlags = WMST_RUMBLE;
        st.nRumblePower = row.nPower;
        ASSERT_EQ(1, wm_SetStatus(0, &st));
        SlotLock lock(0);
        int nOn = RumbleSteps(Device(0), pSim, row.nSteps);
        // One pulse per period of 9800 / (89 p + 901) steps.
        EXPECT_NEAR(row.nExpectedOn, nOn, 1) << "power " << row.nPower;
    }
}

TEST_F(Worker, RumbleRefusesPowerAbove100) {
    for (int nPower : {101, -1}) {
        WM_STATUS st = {};
        st.dwFlags = WMST_RUMBLE;
        st.nRumblePower = nPower;
        EXPECT_EQ(0, wm_SetStatus(0, &st));
        EXPECT_EQ((DWORD)WME_BAD_PARAMETER, GetLastError());
        SlotLock lock(0);
        EXPECT_EQ(0, Device(0)->nRumblePower);
        EXPECT_EQ(0, Device(0)->bRumble);
    }
}

TEST_F(Worker, TimedRumbleStopsAndLaterRumbleWithoutDurationKeepsGoing) {
    SetPolling(0, 0);
    g_dwNow = 1000;
    SetClockProc(FakeClock);
    WM_STATUS st = {};
    st.dwFlags = WMST_RUMBLE;
    st.nRumblePower = 100;
    st.dwRumbleTime = 200;
    ASSERT_EQ(1, wm_SetStatus(0, &st));
    {
        SlotLock lock(0);
        g_dwNow = 1100;
        ASSERT_EQ(IO_DONE, UpdateDevice(Device(0)));
        EXPECT_EQ(1, Device(0)->bRumble);
        g_dwNow = 1200;
        ASSERT_EQ(IO_DONE, UpdateDevice(Device(0)));
        EXPECT_EQ(0, Device(0)->bRumble);
        EXPECT_EQ(0, Device(0)->nRumblePower);
    }
    st.dwRumbleTime = 0;
    ASSERT_EQ(1, wm_SetStatus(0, &st));
    SlotLock lock(0);
    g_dwNow = 5000;
    ASSERT_EQ(IO_DONE, UpdateDevice(Device(0)));
    EXPECT_EQ(1, Device(0)->bRumble);
    EXPECT_EQ(100, Device(0)->nRumblePower);
}

TEST_F(Worker, BlinkingAlternatesOneFourWithTwoThree) {
    SetPolling(0, 0);
    g_dwNow = 50000;
    SetClockProc(FakeClock);
    WM_STATUS st = {};
    st.dwFlags = WMST_LED;
    st.abLed[0] = 1;
    st.abLed[3] = 1;
    st.dwBlink = 0;
    ASSERT_EQ(1, wm_SetStatus(0, &st));
    EXPECT_EQ(0x9, SimLeds(pSim));
    memset(st.abLed, 1, 4);
    st.dwBlink = 500;
    ASSERT_EQ(1, wm_SetStatus(0, &st));
    EXPECT_EQ(0x9, SimLeds(pSim));  // nothing sent until the first toggle
    int anExpected[] = {0x6, 0x9, 0x6, 0x9};
    for (int nExpected : anExpected) {
        SlotLock lock(0);
        g_dwNow += 499;
        ASSERT_EQ(IO_DONE, UpdateDevice(Device(0)));
        EXPECT_NE(nExpected, SimLeds(pSim));
        g_dwNow += 1;
        ASSERT_EQ(IO_DONE, UpdateDevice(Device(0)));
        EXPECT_EQ(nExpected, SimLeds(pSim));
    }
    st.dwBlink = 0;
    st.abLed[1] = st.abLed[2] = 0;  // steady 1 and 4
    ASSERT_EQ(1, wm_SetStatus(0, &st));
    g_dwNow += 2000;
    SlotLock lock(0);
    ASSERT_EQ(IO_DONE, UpdateDevice(Device(0)));
    EXPECT_EQ(0x9, SimLeds(pSim));
}

TEST_F(Worker, WindowDisconnectingDuringInputNotificationLeavesWorkerRunning) {
    SIM_REMOTE *pSecond = SimAddRemote();
    ConnectAll(1);
    ClientWindow other;
    Watch(1, other);
    window.onMessage = [](UINT uMsg, WPARAM wParam, LPARAM) -> LRESULT {
        if (uMsg == WM_MSG_KEY_DEFAULT)
            wm_Disconnect((int)wParam, 1);
        return 0;
    };
    SimSetButtons(pSim, 0x00, 0x08);
    ASSERT_TRUE(PumpUntil([&] { return Device(0) == nullptr; }, 2000));
    EXPECT_EQ(1, window.Count(WM_MSG_LOST_DEFAULT));  // asked for: lParam 1
    EXPECT_EQ(1, window.Last(WM_MSG_LOST_DEFAULT)->lParam);
    SimSetButtons(pSecond, 0x00, 0x04);
    ASSERT_TRUE(PumpUntil([&] { return other.Count(WM_MSG_KEY_DEFAULT) > 0; }, 2000));
}

struct HoldContext { HANDLE hHeld, hRelease; };

DWORD WINAPI HoldSlotZero(LPVOID pv) {
    HoldContext *c = (HoldContext *)pv;
    LockSlot(0);
    SetEvent(c->hHeld);
    WaitForSingleObject(c->hRelease, INFINITE);
    UnlockSlot(0);
    return 0;
}

// The worker only tries a slot's lock: a client holding one slot never stops the others.
TEST_F(Worker, ClientHoldingASlotNeverBlocksTheWorker) {
    WM_SYSTEM sys = {};
    sys.dwFlags = WMSYS_HWND;
    ASSERT_EQ(1, wm_SetSystem(0, &sys));  // slot 0 sends nothing, so the worker never lets go of it mid-step
    SIM_REMOTE *pSecond = SimAddRemote();
    ConnectAll(1);
    ClientWindow other;
    Watch(1, other);
    HANDLE hHeld = CreateEventW(NULL, TRUE, FALSE, NULL), hRelease = CreateEventW(NULL, TRUE, FALSE, NULL);
    HoldContext ctx = {hHeld, hRelease};
    HANDLE hThread = CreateThread(NULL, 0, HoldSlotZero, &ctx, 0, NULL);
    WaitForSingleObject(hHeld, INFINITE);
    SimSetButtons(pSecond, 0x00, 0x08);
    EXPECT_TRUE(PumpUntil([&] { return other.Count(WM_MSG_KEY_DEFAULT) > 0; }, 2000));
    SetEvent(hRelease);
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
    CloseHandle(hHeld);
    CloseHandle(hRelease);
}

DWORD WINAPI GetKeyOfSlotZero(LPVOID) {
    WM_KEY key;
    return (DWORD)wm_GetKey(0, &key);
}

// While the client handles a notification from the worker, another thread may use that remote.
TEST_F(Worker, SlotIsFreeWhileTheWorkersNotificationIsHandled) {
    DWORD dwOtherThread = WAIT_TIMEOUT;
    window.onMessage = [&](UINT uMsg, WPARAM, LPARAM) -> LRESULT {
        if (uMsg == WM_MSG_KEY_DEFAULT && dwOtherThread == WAIT_TIMEOUT) {
            HANDLE h = CreateThread(NULL, 0, GetKeyOfSlotZero, NULL, 0, NULL);
            dwOtherThread = WaitForSingleObject(h, 1000);
            CloseHandle(h);
        }
        return 0;
    };
    SimSetButtons(pSim, 0x00, 0x08);
    ASSERT_TRUE(WaitFor(WM_MSG_KEY_DEFAULT));
    EXPECT_EQ(WAIT_OBJECT_0, dwOtherThread);
}

TEST_F(Worker, NotificationsWaitForAWindowAndForPolling) {
    SIM_REMOTE *pSecond = SimAddRemote();
    ClientWindow connectWindow;
    ASSERT_EQ(1, wm_Connect(connectWindow.hWnd, 0));
    EXPECT_EQ(1, connectWindow.Count(WM_MSG_CONNECT_DEFAULT));
    SimSetButtons(pSecond, 0x00, 0x08);
    PumpFor(60);
    EXPECT_EQ(1u, connectWindow.log.size());  // only the connect message: no hWnd yet

    ClientWindow watcher;
    Watch(1, watcher);
    SetPolling(1, 0);
    SimSetButtons(pSecond, 0x00, 0x04);
    PumpFor(60);
    EXPECT_TRUE(watcher.log.empty());  // not polled: nothing sent
}

}  // namespace
