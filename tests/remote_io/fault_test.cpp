// Faults of remotes and stacks that a polite simulator would hide: memory replies that fail or
// leave gaps, output paths that do not work, remotes that go silent or away, calls that block,
// cancels that never complete, backlogs, odd report lengths, and a client that closes the library
// from inside a notification.
#include <string.h>

#include <string>

#include "decode.h"
#include "sim_fixture.h"

namespace {

const DWORD TIMEOUT_MS = 100;
// A transfer ends within its timeout, plus a cancel the driver does not complete, plus slack for a loaded machine.
const DWORD EXPORT_BOUND_MS = TIMEOUT_MS + CANCEL_WAIT_MS + 400;
// wm_Close's stated 0.8 s, plus slack.
const DWORD CLOSE_BOUND_MS = 1500;

// Reads of one or two replies; error nibbles and misplaced replies fail the read, not the remote;
// a reply holding only the last bytes does not complete it.
TEST_F(SimLibrary, MemoryReadsReassembleOrFail) {
    SIM_REMOTE *pSim = AddConnected();
    SetPolling(0, 0);
    BYTE abStored[20];
    for (int i = 0; i < 20; i++)
        abStored[i] = (BYTE)(0x40 + i * 3);
    SimWriteMemory(pSim, 0x1000, abStored, 20);
    struct { int cb; BYTE bError; int nOffset; DWORD dwCode; } table[] = {
        {16, 0, 0, 0}, {20, 0, 0, 0}, {1, 0, 0, 0},
        {9, 8, 0, WME_READ_WRITEONLY}, {9, 0xF, 0, WME_READ_WRITEONLY}, {9, 7, 0, WME_READ_ERROR},
        {9, 1, 0, WME_READ_ERROR}, {9, 0, 8, WME_READ_OVERRUN}, {9, 0, -2, WME_READ_OVERRUN},
    };
    SlotLock lock(0);
    for (auto &row : table) {
        SimSetMemoryError(pSim, row.bError);
        SimSetReplyOffset(pSim, row.nOffset);
        BYTE abRead[20] = {};
        IO_OUTCOME nResult = ReadMemory(Device(0), 0x1000, abRead, row.cb);
        EXPECT_EQ(row.dwCode ? IO_FAILED : IO_DONE, nResult) << row.cb << "/" << (int)row.bError << "/" << row.nOffset;
        if (row.dwCode)
            EXPECT_EQ(row.dwCode, GetLastError());
        else
            EXPECT_EQ(0, memcmp(abStored, abRead, (size_t)row.cb));
        ASSERT_NE(nullptr, Device(0));
        EXPECT_EQ(1, Device(0)->bValid);
    }
    SimSetMemoryError(pSim, 0);
    SimSetReplyOffset(pSim, 0);
    BYTE abTail[22] = {0x21, 0, 0, 0x30, 0x10, 0x0C};  // 4 bytes at 0x100C
    memcpy(abTail + 6, abStored + 12, 4);
    SimQueueReport(pSim, abTail);
    BYTE abRead[16];
    memset(abRead, 0xEE, sizeof(abRead));
    ASSERT_EQ(IO_DONE, ReadMemory(Device(0), 0x1000, abRead, 16));
    EXPECT_EQ(0, memcmp(abStored, abRead, 16));
}

// Each remote settles its own output path, write-file first: a Wii Remote Plus (0x0330) that takes
// only write-file works alone and beside an older remote whose stack takes only set-output-report.
// Report lengths come from the capability query: 23 bytes (some stacks) works, shorter than the
// protocol's 22 is refused with its own code. A remote with no working output path is refused,
// and a failure while being set up tells nobody.
TEST_F(SimLibrary, RemotesRefusedOrWorkingWithTheirOwnOutputPath) {
    struct Row { WORD wProduct; DWORD dwFaults; int nPath; USHORT cbInput = 22, cbOutput = 22; DWORD dwCode = 0; };
    const Row older = {0x0306, SIM_FAULT_NO_WRITE_FILE, WRITE_PATH_SET_REPORT};
    const Row plus = {0x0330, SIM_FAULT_NO_SET_REPORT, WRITE_PATH_WRITE_FILE};
    const Row plain = {0x0306, 0, WRITE_PATH_WRITE_FILE};
    const std::vector<std::vector<Row>> cases = {
        {plus}, {older, plus}, {plain, older},
        {{0x0306, 0, WRITE_PATH_WRITE_FILE, 23, 23}}, {{0x0306, 0, WRITE_PATH_WRITE_FILE, 23, 22}},
        {{0x0306, 0, 0, 21, 22, WME_REPORT_LENGTH}}, {{0x0306, 0, 0, 22, 21, WME_REPORT_LENGTH}},
        {{0x0306, SIM_FAULT_NO_SET_REPORT | SIM_FAULT_NO_WRITE_FILE, 0, 22, 22, WME_NOT_FOUND}},
    };
    for (size_t nCase = 0; nCase < cases.size(); nCase++) {
        SCOPED_TRACE(testing::Message() << "case " << nCase);
        const std::vector<Row> &rows = cases[nCase];
        Restart();
        std::vector<SIM_REMOTE *> sims;
        for (const Row &row : rows) {
            sims.push_back(SimAddRemote());
            SimSetProductId(sims.back(), row.wProduct);
            SimSetFaults(sims.back(), row.dwFaults);
            SimSetReportLengths(sims.back(), row.cbInput, row.cbOutput);
            if (row.dwCode) {
                ClientWindow window;
                EXPECT_EQ(-1, wm_Connect(window.hWnd, 0));
                EXPECT_EQ(row.dwCode, GetLastError());
                PumpFor(20);
                EXPECT_TRUE(window.log.empty());
                sims.pop_back();
                continue;
            }
            ConnectAll(1);  // one after the other, as remotes are paired
        }
        for (int i = 0; i < (int)sims.size(); i++) {  // the connected ones
            {
                SlotLock lock(i);
                ASSERT_NE(nullptr, Device(i));
                EXPECT_EQ(rows[i].nPath, Device(i)->nWritePath) << "remote " << i;
            }
            SimSetCoreButtons(sims[i], 1);  // A, seen through the worker's polling
            ASSERT_TRUE(PumpUntil([&] {
                WM_KEY key;
                return wm_GetKey(i, &key) && key.nA == 1;
            })) << "remote " << i;
        }
    }
}

// A remote that stops answering, is switched off, or whose writes never end is torn down (and a
// polled one reported lost once), whatever "record vanished" code an earlier call left behind;
// one that answers slowly within its time-out is fine.
TEST_F(SimLibrary, LostRemotesAreTornDownWithinTheirTimeout) {
    const DWORD OFF = 0x80000000;  // switched off
    struct Row {
        const char *pszName;
        DWORD dwFaults;
        int bPolled;
        std::function<int()> call;
        int nResult;
        DWORD dwCode;
    };
    auto leds = [this] { return SetLeds(0, 1); };
    auto staleCode = [] { SetLastError(WME_REMOVED); WM_KEY key; return wm_GetKey(0, &key); };
    const std::vector<Row> rows = {
        {"silent", SIM_FAULT_NO_ANSWER, 1, nullptr, 0, 0},
        {"switched off", OFF, 1, nullptr, 0, 0},
        {"writes pend", SIM_FAULT_NO_SET_REPORT | SIM_FAULT_WRITE_PENDS, 0, leds, 0, WME_IO},
        {"probed", OFF, 0, [] { return wm_Exist(0); }, 0, WME_NO_DEVICE},
        {"stale code", OFF, 0, staleCode, 0, WME_IO},
        {"stale code, let go", 0, 0, [] { SetLastError(WME_REMOVED); return wm_Disconnect(0, 1); }, 1, 0},
        {"slow", 0, 0, leds, 1, WME_SUCCESS},
    };
    for (const Row &row : rows) {
        Restart();
        SIM_REMOTE *pSim = AddConnected(SIM_FAULT_NO_SET_REPORT);
        ClientWindow window;
        Watch(0, window);
        SetPolling(0, row.bPolled);
        SetTimeout(0, 60);
        bool bLost = row.nResult == 0 || row.dwCode == 0;
        SimSetReadLatency(pSim, bLost ? 0 : 3);
        if (row.dwFaults == OFF)
            SimPowerOff(pSim);
        else if (row.dwFaults)
            SimSetFaults(pSim, row.dwFaults);
        DWORD dwStart = GetTickCount();
        if (row.call) {
            EXPECT_EQ(row.nResult, row.call()) << row.pszName;
            DWORD dwCode = GetLastError();
            EXPECT_EQ(row.dwCode ? row.dwCode : dwCode, dwCode) << row.pszName;
        }
        ASSERT_TRUE(PumpUntil([&] { return (Device(0) == nullptr) == bLost; })) << row.pszName;
        EXPECT_LT(GetTickCount() - dwStart, 900u) << row.pszName;  // far below the 1 s default
        PumpFor(60);
        EXPECT_EQ(bLost && row.bPolled, window.Count(WM_MSG_LOST_DEFAULT)) << row.pszName;
        for (const Notification &n : window.log)
            EXPECT_TRUE(n.uMsg != WM_MSG_LOST_DEFAULT || n.lParam == 0) << row.pszName;  // not asked for
        if (!bLost) {
            SimSetCoreButtons(pSim, 1);
            WM_KEY key;
            ASSERT_EQ(1, wm_GetKey(0, &key));
            EXPECT_EQ(1, key.nA);
        }
    }
}

// The status report shows a new extension; the remote is lost while it is identified. The getter
// must fail and the record be released once, not used after it was freed.
TEST_F(SimLibrary, RemoteLostDuringIdentificationFailsTheGetter) {
    SIM_REMOTE *pSim = AddConnected();
    SetPolling(0, 0);
    SetTimeout(0, 50);
    SimPlugExtension(pSim, SIM_EXT_NUNCHUK, NULL);
    SimFailOutputsAfter(pSim, 2);  // the status request and the reporting mode, then nothing
    WM_STATUS st = {};
    st.dwFlags = WMST_EXTENSION | WMST_BATTERY;
    EXPECT_EQ(0, wm_GetStatus(0, &st));
    EXPECT_EQ((DWORD)WME_IO, GetLastError());
    EXPECT_EQ(nullptr, Device(0));
    EXPECT_EQ(0, wm_Count());
}

// A failed identification leaves no extension behind: kind 0, state and filters cleared, and the
// next try, a second later, identifies it afresh.
TEST_F(SimLibrary, FailedIdentificationLeavesNoExtension) {
    SIM_REMOTE *pSim = AddConnected();
    SetPolling(0, 0);
    UseFakeClock(1000);
    SetSystem(0, WMSYS_SMOOTHING, 4);
    {
        SlotLock lock(0);
        memset(&Device(0)->Ext, 0x5A, sizeof(Device(0)->Ext));  // left over from an earlier extension
    }
    SimSetMemoryErrorAt(pSim, ADDR_EXT_CAL, 7);
    SimPlugExtension(pSim, SIM_EXT_NUNCHUK, NULL);
    EXPECT_EQ(WMEXT_NONE, ExtensionKind());
    {
        SlotLock lock(0);
        for (BYTE b : Device(0)->Ext.ab)
            ASSERT_EQ(0, b);
    }
    SimSetMemoryErrorAt(pSim, 0, 0);
    EXPECT_EQ(WMEXT_NONE, ExtensionKind());
    g_dwFakeNow += 1000;
    EXPECT_EQ(WMEXT_NUNCHUK, ExtensionKind());
    SlotLock lock(0);
    EXPECT_NE(nullptr, Device(0)->Ext.Nunchuk.apFilter[NUN_STICK_X]);
}

// Every export that talks to the device returns in time when set-output-report never returns and
// a cancelled read never completes; the remote is then gone.
TEST_F(SimLibrary, ExportsReturnWithinTheirBoundWhateverTheDriverDoes) {
    struct Row {
        const char *pszName;
        std::function<int()> call;
    };
    const std::vector<Row> rows = {
        {"wm_GetKey", [] { WM_KEY key; return wm_GetKey(0, &key); }},
        {"wm_GetStatus", [] { WM_STATUS st = {}; st.dwFlags = WMST_BATTERY; return wm_GetStatus(0, &st); }},
        {"wm_SetStatus", [] { WM_STATUS st = {}; st.dwFlags = WMST_LED; return wm_SetStatus(0, &st); }},
        {"wm_Exist", [] { return wm_Exist(0); }},
        {"wm_Disconnect", [] { return wm_Disconnect(0, 0); }},
    };
    for (const Row &row : rows) {
        SIM_REMOTE *pSim = AddConnected(SIM_FAULT_NO_WRITE_FILE);  // a stack that takes only set-output-report
        SetPolling(0, 0);
        SetTimeout(0, TIMEOUT_MS);
        ASSERT_EQ(1, SetLeds(0, 1));
        SimSetSetReportDelay(pSim, INFINITE);
        SimSetFaults(pSim, SIM_FAULT_NO_WRITE_FILE | SIM_FAULT_NO_ANSWER | SIM_FAULT_CANCEL_STUCK);
        int nResult = -1;
        EXPECT_TRUE(ReturnsWithin(EXPORT_BOUND_MS, [&] { nResult = row.call(); })) << row.pszName;
        EXPECT_EQ(row.pszName == std::string("wm_Disconnect") ? 1 : 0, nResult) << row.pszName;
        EXPECT_EQ(0, wm_Count()) << row.pszName;
        SimPowerOff(pSim);  // leaves the bus's enumeration
    }
}

// wm_Close with a huge timeout: the worker is stuck in a read whose cancel never completes, another
// remote's writes never end.
TEST_F(SimLibrary, CloseReturnsWithinItsBoundWhateverTheDriverDoes) {
    for (DWORD dwStuck : {(DWORD)SIM_FAULT_NO_ANSWER, (DWORD)SIM_FAULT_NO_WRITE_FILE}) {
        Restart();
        SIM_REMOTE *pPolled = AddConnected(dwStuck & SIM_FAULT_NO_WRITE_FILE), *pIdle = AddConnected();
        SetPolling(1, 0);
        ASSERT_EQ(1, SetLeds(-1, 1));
        SetTimeout(-1, 0x7FFFFFFF);
        SimSetSetReportDelay(pPolled, INFINITE);
        SimSetFaults(pPolled, dwStuck | SIM_FAULT_CANCEL_STUCK);
        SimSetFaults(pIdle, SIM_FAULT_NO_SET_REPORT | SIM_FAULT_WRITE_PENDS | SIM_FAULT_CANCEL_STUCK);
        PumpFor(50);  // the worker is now waiting on the stuck remote
        int nClosed = 0;
        EXPECT_TRUE(ReturnsWithin(CLOSE_BOUND_MS, [&] { nClosed = wm_Close(); })) << dwStuck;
        EXPECT_EQ(1, nClosed);
        ASSERT_EQ(1, wm_Init());
    }
}

// Reading state never waits for someone else's transfer: the getters of a polled remote return at
// once while the worker waits on it (silent, or its status request stuck in set-output-report).
TEST_F(SimLibrary, GettersNeverWaitForTheWorkersTransfers) {
    for (DWORD dwStuck : {(DWORD)SIM_FAULT_NO_ANSWER, (DWORD)SIM_FAULT_NO_WRITE_FILE}) {
        Restart();
        SIM_REMOTE *pSim = AddConnected(dwStuck & SIM_FAULT_NO_WRITE_FILE);
        SetTimeout(0, 3000);
        SimSetSetReportDelay(pSim, INFINITE);
        SimSetFaults(pSim, dwStuck | SIM_FAULT_NO_ANSWER);
        PumpFor(1200);  // a status request is due about once a second
        std::function<int()> getters[] = {
            [] { WM_KEY key; return wm_GetKey(0, &key); },
            [] { WM_STATUS st = {}; st.dwFlags = 0x7F; return wm_GetStatus(0, &st); },
            [] { WM_SYSTEM sys = {}; sys.dwFlags = 0x3F; return wm_GetSystem(0, &sys); },
            [] { return wm_Exist(0); },
        };
        for (auto &getter : getters) {
            DWORD dwStart = GetTickCount();
            EXPECT_EQ(1, getter()) << dwStuck;
            EXPECT_LT(GetTickCount() - dwStart, 50u) << dwStuck;
        }
    }
}

// Paired remotes that are switched off are listed as present: wm_Connect gives up on them within
// its stated 3 s, and each costs one sending thread however many reports were tried; a working
// remote on the set-output-report path sends all its reports from one thread too.
TEST_F(SimLibrary, ConnectIsBoundedAndEachRemoteHasOneSendingThread) {
    SIM_REMOTE *pGood = SimAddRemote();
    SimSetFaults(pGood, SIM_FAULT_NO_WRITE_FILE);
    ConnectAll(1);
    for (int i = 0; i < 30; i++)
        ASSERT_EQ(1, SetLeds(0, (BYTE)(i & 1)));
    EXPECT_EQ(1, SimSetReportThreads(pGood));
    SIM_REMOTE *apOff[3];
    for (SIM_REMOTE *&pOff : apOff)
        SimSwitchOffPaired(pOff = SimAddRemote());
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(-1, wm_Connect(NULL, 0));
    EXPECT_EQ((DWORD)WME_NOT_FOUND, GetLastError());
    EXPECT_LT(GetTickCount() - dwStart, 3000u);
    for (SIM_REMOTE *pOff : apOff)
        EXPECT_GE(1, SimSetReportThreads(pOff));
    EXPECT_EQ(1, wm_Count());
}

// A read whose cancel never completed is finished by the driver after its remote was torn down and
// another remote took the slot: the late report (A held) must not reach the new remote's state.
TEST_F(SimLibrary, LateCompletionOfAnAbandonedReadLeavesTheNextRemoteAlone) {
    SIM_REMOTE *pOld = AddConnected();
    SetTimeout(0, 60);
    SimSetFaults(pOld, SIM_FAULT_NO_ANSWER | SIM_FAULT_CANCEL_STUCK);
    ASSERT_TRUE(PumpUntil([&] { return Device(0) == nullptr; }));
    SimPowerOff(pOld);
    SIM_REMOTE *pNew = AddConnected();
    ClientWindow window;
    Watch(0, window);
    SimSetFaults(pNew, SIM_FAULT_NO_ANSWER);  // so the worker is waiting on the new remote's read
    PumpFor(50);
    const BYTE abHeld[22] = {0x31, 0x00, 0x08, 0x80, 0x80, 0x9C};
    SimFinishStuckTransfers(pOld, abHeld);
    PumpFor(30);
    SimSetFaults(pNew, 0);
    PumpFor(100);
    WM_KEY key;
    ASSERT_EQ(1, wm_GetKey(0, &key));
    EXPECT_EQ(0, key.nA);
    for (const Notification &n : window.log)
        EXPECT_FALSE(n.uMsg == WM_MSG_KEY_DEFAULT && (n.lParam & (1 << KEY_A)));
}

// A client that quits when told about a remote closes the library from inside the notification:
// sent by the worker, or on the client's own thread by wm_Disconnect, wm_SetStatus or wm_Connect,
// with a button change pending so the worker is sending an input notice to the same window too.
// No row hangs; a restart inside the handler fails at once; the close finishes once the
// outermost call returns (or the worker's message does), leaves no handle open, and
// wm_Connect sets up no remote after it.
TEST_F(SimLibrary, CloseFromInsideEveryNotification) {
    struct Row {
        const char *pszName;
        UINT uMsg;
        std::function<int(SIM_REMOTE *, HWND)> trigger;
        int nResult;  // of the call that triggers, -2: none
        int nConnected;
    };
    WM_STATUS leds = {};
    leds.dwFlags = WMST_LED;
    leds.abLed[1] = 1;
    const Row rows[] = {
        {"worker, input", WM_MSG_KEY_DEFAULT, [](SIM_REMOTE *p, HWND) { SimSetCoreButtons(p, 1); return -2; }, -2, 1},
        {"worker, status", WM_MSG_STATUS_DEFAULT, [](SIM_REMOTE *p, HWND) { SimSetBattery(p, 0x21, 0); return -2; }, -2, 1},
        {"worker, lost", WM_MSG_LOST_DEFAULT, [](SIM_REMOTE *p, HWND) { SimPowerOff(p); return -2; }, -2, 1},
        {"wm_Disconnect", WM_MSG_LOST_DEFAULT, [](SIM_REMOTE *, HWND) { return wm_Disconnect(0, 0); }, 1, 1},
        {"wm_Disconnect(-1)", WM_MSG_LOST_DEFAULT, [](SIM_REMOTE *, HWND) { return wm_Disconnect(-1, 0); }, 1, 2},
        {"wm_SetStatus", WM_MSG_STATUS_DEFAULT, [&](SIM_REMOTE *, HWND) { return wm_SetStatus(0, &leds); }, 1, 1},
        {"wm_SetStatus(-1)", WM_MSG_STATUS_DEFAULT, [&](SIM_REMOTE *, HWND) { return wm_SetStatus(-1, &leds); }, 1, 2},
        {"wm_Connect", WM_MSG_CONNECT_DEFAULT, [](SIM_REMOTE *, HWND h) { return wm_Connect(h, 0); }, -1, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.pszName);
        Restart();
        SIM_REMOTE *pSim = SimAddRemote();
        SimAddRemote();
        if (row.uMsg != WM_MSG_CONNECT_DEFAULT)
            ConnectAll(2);
        if (row.nConnected == 1)
            wm_Disconnect(1, 1);
        int nClosed = -1, nInit = -1, nResult = -2, nConnects = 0;
        DWORD dwInitCode = 0, dwInitMs = 0;
        ASSERT_TRUE(ReturnsWithin(10000, [&] {
            ClientWindow window;
            window.onMessage = [&](UINT uMsg, WPARAM, LPARAM) -> LRESULT {
                nConnects += uMsg == WM_MSG_CONNECT_DEFAULT;
                if (uMsg == row.uMsg && nClosed == -1) {
                    nClosed = wm_Close();
                    DWORD dwStart = GetTickCount();
                    nInit = wm_Init();
                    dwInitCode = GetLastError();
                    dwInitMs = GetTickCount() - dwStart;
                }
                return 0;
            };
            for (int i = 0; i < 2; i++)
                if (Device(i))
                    Watch(i, window);
            SimSetCoreButtons(pSim, 1 << KEY_B);
            nResult = row.trigger(pSim, window.hWnd);
            PumpUntil([&] { return nClosed != -1; });
            EXPECT_TRUE(row.nResult == -2 || row.nResult == nResult);
        }));
        EXPECT_EQ(1, nClosed);
        EXPECT_EQ(0, nInit);
        EXPECT_EQ((DWORD)WME_CLOSING, dwInitCode);
        EXPECT_LT(dwInitMs, 100u);
        EXPECT_LE(nConnects, 1);  // the enumeration stopped
        EXPECT_EQ(0, wm_Count());  // refused at once: the library is closed
        ASSERT_EQ(1, wm_Init());  // waits for the worker to finish the close
        EXPECT_TRUE(PumpUntil([] { return SimHandlesOpened() == SimHandlesClosed(); }, 1000));
    }
}

// Reports that queued while nobody polled are old: the getters read past them, and switching
// polling on does not replay them as input.
TEST_F(SimLibrary, BacklogIsNeitherReadByGettersNorReplayed) {
    SIM_REMOTE *pSim = AddConnected();
    SetPolling(0, 0);
    ClientWindow window;
    Watch(0, window);
    const BYTE abOld[22] = {0x31, 0x00, 0x08, 0x80, 0x80, 0x9C};  // A held, a second ago
    for (int i = 0; i < 32; i++)
        SimQueueReport(pSim, abOld);
    WM_KEY key;
    ASSERT_EQ(1, wm_GetKey(0, &key));
    EXPECT_EQ(0, key.nA);
    for (int i = 0; i < 32; i++)
        SimQueueReport(pSim, abOld);
    SetPolling(0, 1);
    SimSetCoreButtons(pSim, 1 << KEY_B);
    auto pressed = [&](int nKey) {
        for (const Notification &n : window.log)
            if (n.uMsg == WM_MSG_KEY_DEFAULT && (n.lParam & (1 << nKey)))
                return true;
        return false;
    };
    ASSERT_TRUE(PumpUntil([&] { return pressed(KEY_B); }));
    EXPECT_FALSE(pressed(KEY_A));
}

}  // namespace
