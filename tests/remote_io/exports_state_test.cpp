// The exported interface against simulated remotes: discovery, connection and remote state.
#include <string.h>

#include "sim_fixture.h"
#include "transport.h"

namespace {

BYTE LastOutputId(SIM_REMOTE *pSim, BYTE *pbByte1) {
    int n = SimOutputCount(pSim);
    if (n == 0)
        return 0;
    BYTE ab[22];
    SimOutputAt(pSim, n - 1, ab, NULL);
    *pbByte1 = ab[1];
    return ab[0];
}

int CountOutputs(SIM_REMOTE *pSim, BYTE bId) {
    int nCount = 0;
    for (int i = 0; i < SimOutputCount(pSim); i++) {
        BYTE ab[22];
        SimOutputAt(pSim, i, ab, NULL);
        nCount += ab[0] == bId;
    }
    return nCount;
}

TEST_F(SimLibrary, ConnectWithoutRemoteFindsNothing) {
    SimAddHidDevice(0x046D, 0xC077, 0);
    EXPECT_EQ(-1, wm_Connect(NULL, 0));
    EXPECT_EQ((DWORD)WME_NOT_FOUND, GetLastError());
}

TEST_F(SimLibrary, ConnectSkipsEveryOtherHidDevice) {
    SimAddHidDevice(0x046D, 0xC077, 0);                  // another vendor
    SimAddHidDevice(0x057E, 0x0330, 0);                  // the vendor's other product
    SimAddHidDevice(0x057E, 0x0306, SIM_DEV_CAPS_FAIL);  // looks right, no capabilities
    SimAddHidDevice(0x057E, 0x0306, SIM_DEV_OPEN_FAILS); // cannot be opened
    SimAddRemote();
    EXPECT_EQ(1, wm_Connect(NULL, 0));
    EXPECT_EQ((DWORD)WME_SUCCESS, GetLastError());
    EXPECT_EQ(1, wm_Count());
    EXPECT_EQ(0, SimPreparsedOutstanding());
    EXPECT_EQ(0, SimDeviceListsOutstanding());
}

TEST_F(SimLibrary, ConnectMessageRepliedMinusOneRefusesTheRemote) {
    SIM_REMOTE *pSim = SimAddRemote();
    ClientWindow window;
    window.onMessage = [](UINT uMsg, WPARAM, LPARAM) -> LRESULT { return uMsg == 0x8123 ? -1 : 0; };
    EXPECT_EQ(-1, wm_Connect(window.hWnd, 0x8123));
    EXPECT_EQ(0, wm_Count());
    ASSERT_EQ(1u, window.log.size());
    EXPECT_EQ(0x8123u, window.log[0].uMsg);
    EXPECT_EQ(0, window.log[0].lParam);
    EXPECT_EQ(SimHandlesOpened(), SimHandlesClosed());
    PumpFor(30);
    EXPECT_EQ(1u, window.log.size());  // no disconnect notification
    (void)pSim;
}

TEST_F(SimLibrary, ConnectMessageCarriesTheSlotAndDefaultNumber) {
    SimAddRemote();
    SimAddRemote();
    ClientWindow window;
    EXPECT_EQ(2, wm_Connect(window.hWnd, 0));
    ASSERT_EQ(2u, window.log.size());
    EXPECT_EQ((UINT)WM_MSG_CONNECT_DEFAULT, window.log[0].uMsg);
    EXPECT_EQ(0u, window.log[0].wParam);
    EXPECT_EQ(1u, window.log[1].wParam);
}

TEST_F(SimLibrary, NoFreeSlotStopsWithMinusOne) {
    for (int i = 0; i < TAVEL_SLOTS - 1; i++)
        SimAddRemote();
    ConnectAll(TAVEL_SLOTS - 1);
    SimAddRemote();
    SimAddRemote();
    EXPECT_EQ(-1, wm_Connect(NULL, 0));
    EXPECT_EQ((DWORD)WME_NO_SLOT, GetLastError());
    EXPECT_EQ(TAVEL_SLOTS, wm_Count());
}

TEST_F(SimLibrary, ConnectingAgainKeepsOneSlotPerRemote) {
    SimAddRemote();
    ConnectAll(1);
    SimAddRemote();
    EXPECT_EQ(1, wm_Connect(NULL, 0));  // only the new one
    EXPECT_EQ(2, wm_Count());
    EXPECT_EQ(-1, wm_Connect(NULL, 0));
    EXPECT_EQ((DWORD)WME_NOT_FOUND, GetLastError());
    EXPECT_EQ(2, wm_Count());
}

TEST_F(SimLibrary, DisconnectSwitchesOutputsOffUnlessKept) {
    SIM_REMOTE *pSim = SimAddRemote();
    ConnectAll(1);
    WM_STATUS st = {};
    st.dwFlags = WMST_LED;
    st.abLed[0] = 1;
    ASSERT_EQ(1, wm_SetStatus(0, &st));
    SimClearOutputs(pSim);
    ClientWindow window;
    Watch(0, window);
    ASSERT_EQ(1, wm_Disconnect(0, 1));
    EXPECT_EQ(0, CountOutputs(pSim, RPT_OUT_LEDS));
    EXPECT_EQ(1, window.Count(WM_MSG_LOST_DEFAULT));
    EXPECT_EQ(1, window.Last(WM_MSG_LOST_DEFAULT)->lParam);  // asked for

    ConnectAll(1);
    ASSERT_EQ(1, wm_SetStatus(0, &st));
    ASSERT_EQ(1, wm_Disconnect(0, 0));
    BYTE b1 = 0xFF;
    EXPECT_EQ(RPT_OUT_LEDS, LastOutputId(pSim, &b1));
    EXPECT_EQ(0x00, b1);
    EXPECT_EQ(0, SimLeds(pSim));
}

TEST_F(SimLibrary, DisconnectArgumentsAndEmptySlots) {
    EXPECT_EQ(1, wm_Disconnect(-1, 1));
    EXPECT_EQ((DWORD)WME_SUCCESS, GetLastError());
    EXPECT_EQ(0, wm_Disconnect(10, 1));
    EXPECT_EQ((DWORD)WME_BAD_INDEX, GetLastError());
    EXPECT_EQ(0, wm_Disconnect(-2, 1));
    EXPECT_EQ((DWORD)WME_BAD_INDEX, GetLastError());
    EXPECT_EQ(0, wm_Disconnect(4, 1));
    EXPECT_EQ((DWORD)WME_NO_DEVICE, GetLastError());
}

// Off at close: LEDs, rumble, and the continuous stream (core buttons, sent only on a change).
TEST_F(SimLibrary, CloseSwitchesOutputsOffWithoutNotifying) {
    SIM_REMOTE *pSim = SimAddRemote();
    ConnectAll(1);
    ClientWindow window;
    Watch(0, window);
    WM_STATUS st = {};
    st.dwFlags = WMST_LED | WMST_RUMBLE;
    st.abLed[2] = 1;
    st.nRumblePower = 100;
    ASSERT_EQ(1, wm_SetStatus(0, &st));
    window.log.clear();
    ASSERT_EQ(1, wm_Close());
    EXPECT_EQ(0, SimLeds(pSim));
    EXPECT_EQ(0, SimRumble(pSim));
    EXPECT_EQ(0, SimContinuous(pSim));
    EXPECT_EQ(0x30, SimReportMode(pSim));
    PumpFor(20);
    EXPECT_EQ(0, window.Count(WM_MSG_LOST_DEFAULT));
    ASSERT_EQ(1, wm_Init());  // for TearDown
}

TEST_F(SimLibrary, EveryExportChecksItsArguments) {
    WM_KEY key;
    WM_KEYEX ex;
    WM_STATUS st = {};
    WM_SYSTEM sys = {};
    EXPECT_EQ(0, wm_GetKey(0, NULL));
    EXPECT_EQ((DWORD)WME_BAD_PARAMETER, GetLastError());
    EXPECT_EQ(0, wm_GetKeyEx(0, NULL));
    EXPECT_EQ((DWORD)WME_BAD_PARAMETER, GetLastError());
    EXPECT_EQ(0, wm_SetStatus(-1, NULL));
    EXPECT_EQ((DWORD)WME_BAD_PARAMETER, GetLastError());
    EXPECT_EQ(0, wm_GetKey(-1, &key));  // -1 is for the setters only
    EXPECT_EQ((DWORD)WME_BAD_INDEX, GetLastError());
    EXPECT_EQ(0, wm_GetSystem(10, &sys));
    EXPECT_EQ((DWORD)WME_BAD_INDEX, GetLastError());
    EXPECT_EQ(0, wm_GetStatus(3, &st));
    EXPECT_EQ((DWORD)WME_NO_DEVICE, GetLastError());
    EXPECT_EQ(0, wm_SetStatus(-1, &st));
    EXPECT_EQ((DWORD)WME_NONE, GetLastError());
    EXPECT_EQ(0, wm_SetSystem(-1, NULL));
    EXPECT_EQ((DWORD)WME_NONE, GetLastError());

    ASSERT_EQ(1, wm_Close());
    EXPECT_EQ(0, wm_GetKeyEx(0, &ex));
    EXPECT_EQ((DWORD)WME_NOT_INITIALIZED, GetLastError());
    EXPECT_EQ(0, wm_SetSystem(0, NULL));
    EXPECT_EQ((DWORD)WME_NOT_INITIALIZED, GetLastError());
    EXPECT_EQ(-1, wm_Connect(NULL, 0));
    EXPECT_EQ((DWORD)WME_NOT_INITIALIZED, GetLastError());
    EXPECT_EQ(0, wm_Disconnect(-1, 0));
    EXPECT_EQ((DWORD)WME_NOT_INITIALIZED, GetLastError());
    ASSERT_EQ(1, wm_Init());
}

TEST_F(SimLibrary, UnreportedFieldsComeBackMinusOne) {
    SIM_REMOTE *pSim = SimAddRemote();
    SimPlugExtension(pSim, SIM_EXT_NUNCHUK, NULL);
    ConnectAll(1);
    WM_STATUS st = {};
    st.dwFlags = WMST_REPORT;
    st.dwReport = WMRPT_KEYS;
    ASSERT_EQ(1, wm_SetStatus(0, &st));
    WM_KEY key;
    ASSERT_EQ(1, wm_GetKey(0, &key));
    EXPECT_EQ(0, key.nA);
    EXPECT_EQ(-1, key.nAccX);
    EXPECT_EQ(-1, key.nAccY);
    EXPECT_EQ(-1, key.nAccZ);

    WM_KEYEX ex;
    for (int &n : ex.anField)
        n = 77;
    ASSERT_EQ(1, wm_GetKeyEx(0, &ex));
    for (int i = 0; i < 7; i++)
        EXPECT_EQ(-1, ex.anField[i]) << i;  // extension not reported
    for (int i = 7; i < WM_KEYEX_FIELDS; i++)
        EXPECT_EQ(77, ex.anField[i]) << i;  // beyond the Nunchuk view

    st.dwReport = WMRPT_ACCEL;
    ASSERT_EQ(1, wm_SetStatus(0, &st));
    ASSERT_EQ(1, wm_GetKey(0, &key));
    EXPECT_EQ(-1, key.nA);
    EXPECT_EQ(-1, key.nRight);
    EXPECT_NE(-1, key.nAccZ);
}

TEST_F(SimLibrary, GettersReadTheDeviceWhenNotPolled) {
    SIM_REMOTE *pSim = SimAddRemote();
    ConnectAll(1);
    SetPolling(0, 0);
    SimSetButtons(pSim, 0x01, 0x00);  // Left
    WM_KEY key;
    ASSERT_EQ(1, wm_GetKey(0, &key));
    EXPECT_EQ(1, key.nLeft);
    SimSetBattery(pSim, 0x33, 1);
    WM_STATUS st = {};
    st.dwFlags = WMST_BATTERY;
    st.dwBlink = 1234;
    st.dwRumbleTime = 5678;
    ASSERT_EQ(1, wm_GetStatus(0, &st));
    EXPECT_EQ(0x33, st.nBattery);
    EXPECT_EQ(0, st.bBatteryOk);
    EXPECT_EQ(1234u, st.dwBlink);  // never written by the getter
    EXPECT_EQ(5678u, st.dwRumbleTime);
}

TEST_F(SimLibrary, ExistProbesARemoteNobodyPolls) {
    SIM_REMOTE *pSim = SimAddRemote();
    ConnectAll(1);
    SetPolling(0, 0);
    SetTimeout(0, 30);
    EXPECT_EQ(1, wm_Exist(0));
    SimPowerOff(pSim);
    EXPECT_EQ(0, wm_Exist(0));
    EXPECT_EQ((DWORD)WME_NO_DEVICE, GetLastError());
    EXPECT_EQ(0, wm_Count());
}

TEST_F(SimLibrary, SetSystemDefaultsBadSmoothingAndEveryRemote) {
    SimAddRemote();
    SimAddRemote();
    ConnectAll(2);
    ClientWindow window;
    WM_SYSTEM sys = {};
    sys.dwFlags = 0x3F;
    sys.bAutoUpdate = 0;
    sys.dwTimeout = 250;
    sys.nSmoothing = 3;
    sys.hWnd = window.hWnd;
    sys.uMsgStatus = 0x9000;
    sys.uMsgKey = 0x9001;
    sys.uMsgLost = 0x9003;
    sys.dwUserValue = 0xDEADBEEF;
    ASSERT_EQ(1, wm_SetSystem(0, &sys));
    WM_SYSTEM got = {};
    got.dwFlags = 0x3F;
    ASSERT_EQ(1, wm_GetSystem(0, &got));
    EXPECT_EQ(0, memcmp(&sys, &got, sizeof(sys)));

    ASSERT_EQ(1, wm_SetSystem(0, NULL));
    ASSERT_EQ(1, wm_GetSystem(0, &got));
    EXPECT_EQ(1, got.bAutoUpdate);
    EXPECT_EQ(1000u, got.dwTimeout);
    EXPECT_EQ(0, got.nSmoothing);
    EXPECT_EQ(NULL, got.hWnd);
    EXPECT_EQ(0x8000u, got.uMsgStatus);
    EXPECT_EQ(0x8001u, got.uMsgKey);
    EXPECT_EQ(0x8003u, got.uMsgLost);
    EXPECT_EQ(0u, got.dwUserValue);

    sys.dwFlags = 0x07;
    sys.bAutoUpdate = 0;
    sys.dwTimeout = 700;
    sys.nSmoothing = 501;
    EXPECT_EQ(0, wm_SetSystem(0, &sys));
    EXPECT_EQ((DWORD)WME_BAD_PARAMETER, GetLastError());
    ASSERT_EQ(1, wm_GetSystem(0, &got));
    EXPECT_EQ(0, got.bAutoUpdate);  // taken over before the bad value
    EXPECT_EQ(700u, got.dwTimeout);
    EXPECT_EQ(0, got.nSmoothing);

    sys.dwFlags = WMSYS_SMOOTHING;
    sys.nSmoothing = 600;
    EXPECT_EQ(1, wm_SetSystem(-1, &sys));  // the failures stay inside the loop
    EXPECT_EQ((DWORD)WME_SUCCESS, GetLastError());
    for (int i = 0; i < 2; i++) {
        ASSERT_EQ(1, wm_GetSystem(i, &got));
        EXPECT_EQ(0, got.nSmoothing);
    }
}

TEST_F(SimLibrary, SmoothingRebuildsAndZeroTurnsItOffEverywhere) {
    SimAddRemote();
    SimAddRemote();
    ConnectAll(2);
    WM_SYSTEM sys = {};
    sys.dwFlags = WMSYS_SMOOTHING;
    sys.nSmoothing = 4;
    ASSERT_EQ(1, wm_SetSystem(-1, &sys));
    for (int i = 0; i < 2; i++) {
        SlotLock lock(i);
        ASSERT_NE(nullptr, Device(i)->apAccelFilter[0]);
        EXPECT_EQ(4, Device(i)->apAccelFilter[0]->nCount);
    }
    sys.nSmoothing = 0;
    ASSERT_EQ(1, wm_SetSystem(1, &sys));
    for (int i = 0; i < 2; i++) {
        SlotLock lock(i);
        EXPECT_EQ(nullptr, Device(i)->apAccelFilter[0]) << i;
    }
    WM_SYSTEM got = {};
    got.dwFlags = WMSYS_SMOOTHING;
    ASSERT_EQ(1, wm_GetSystem(0, &got));
    EXPECT_EQ(4, got.nSmoothing);  // its own count stays
}

TEST_F(SimLibrary, DisconnectDuringStatusNotificationOnTheClientThread) {
    SimAddRemote();
    ConnectAll(1);
    ClientWindow window;
    window.onMessage = [](UINT uMsg, WPARAM wParam, LPARAM) -> LRESULT {
        if (uMsg == WM_MSG_STATUS_DEFAULT)
            wm_Disconnect((int)wParam, 1);
        return 0;
    };
    Watch(0, window);
    WM_STATUS st = {};
    st.dwFlags = WMST_LED;
    st.abLed[1] = 1;
    EXPECT_EQ(1, wm_SetStatus(0, &st));
    EXPECT_EQ(nullptr, Device(0));
    EXPECT_EQ(1, window.Count(WM_MSG_LOST_DEFAULT));
}

// Two client threads call getters and setters while the worker polls and remotes come and go.
struct StressShared {
    volatile LONG bStop;
    volatile LONG nCalls;
};

DWORD WINAPI StressClient(LPVOID pv) {
    StressShared *p = (StressShared *)pv;
    unsigned n = GetCurrentThreadId();
    while (!p->bStop) {
        int nSlot = (int)(n++ % 2);
        WM_KEY key;
        WM_STATUS st = {};
        WM_SYSTEM sys = {};
        wm_GetKey(nSlot, &key);
        st.dwFlags = WMST_LED | WMST_RUMBLE | WMST_BATTERY;
        st.abLed[n % 4] = 1;
        st.nRumblePower = (int)(n % 101);
        wm_SetStatus(nSlot, &st);
        wm_GetStatus(nSlot, &st);
        sys.dwFlags = WMSYS_SMOOTHING;
        sys.nSmoothing = (int)(n % 3);
        wm_SetSystem(nSlot, &sys);
        wm_Exist(nSlot);
        InterlockedIncrement(&p->nCalls);
    }
    return 0;
}

TEST_F(SimLibrary, StressClientsWorkerAndReplugging) {
    SIM_REMOTE *apSim[2] = {SimAddRemote(), SimAddRemote()};
    for (SIM_REMOTE *p : apSim)
        SimSetReadLatency(p, 1);
    ConnectAll(2);
    for (int i = 0; i < 2; i++)
        SetTimeout(i, 50);
    StressShared shared = {0, 0};
    HANDLE ahThread[2];
    for (HANDLE &h : ahThread)
        h = CreateThread(NULL, 0, StressClient, &shared, 0, NULL);

    int nPoweredOff = 0;
    DWORD dwStart = GetTickCount();
    for (int nRound = 0; GetTickCount() - dwStart < 1500; nRound++) {
        int i = nRound % 2;
        SimPowerOff(apSim[i]);
        nPoweredOff++;
        Sleep(20);
        apSim[i] = SimAddRemote();
        SimSetReadLatency(apSim[i], 1);
        wm_Connect(NULL, 0);
        WM_SYSTEM sys = {};
        sys.dwFlags = WMSYS_TIMEOUT;
        sys.dwTimeout = 50;
        wm_SetSystem(-1, &sys);
        Sleep(30);
    }
    InterlockedExchange(&shared.bStop, 1);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, ahThread, TRUE, 10000)) << "deadlock";
    for (HANDLE h : ahThread)
        CloseHandle(h);
    EXPECT_GT(shared.nCalls, 20);
    EXPECT_GT(nPoweredOff, 5);
    ASSERT_EQ(1, wm_Close());
    EXPECT_EQ(SimHandlesOpened(), SimHandlesClosed());
    EXPECT_EQ(0, SimBadCloses());
    ASSERT_EQ(1, wm_Init());
}

}  // namespace
