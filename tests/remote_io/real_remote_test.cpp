// What real remotes and stacks do that a polite simulator would hide: blocking calls, drivers that
// never complete a cancel, backlogs, report lengths, unknown extensions, and a client that closes
// the library from inside a notification.
#include <string.h>

#include <functional>
#include <vector>

#include "sim_fixture.h"
#include "transport.h"

namespace {

const DWORD TIMEOUT_MS = 100;
// A transfer ends within its timeout, plus a cancel the driver does not complete, plus slack for a loaded machine.
const DWORD EXPORT_BOUND_MS = TIMEOUT_MS + CANCEL_WAIT_MS + 400;
// wm_Close's stated 0.8 s, plus slack.
const DWORD CLOSE_BOUND_MS = 1500;

WM_STATUS LedStatus(BYTE bLed1) {
    WM_STATUS st = {};
    st.dwFlags = WMST_LED;
    st.abLed[0] = bLed1;
    return st;
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
        {"wm_SetStatus", [] { WM_STATUS st = LedStatus(0); return wm_SetStatus(0, &st); }},
        {"wm_Exist", [] { return wm_Exist(0); }},
        {"wm_Disconnect", [] { return wm_Disconnect(0, 0); }},
    };
    for (const Row &row : rows) {
        SIM_REMOTE *pSim = SimAddRemote();
        SimSetFaults(pSim, SIM_FAULT_NO_WRITE_FILE);  // a stack that takes only set-output-report
        ConnectAll(1);
        SetPolling(0, 0);
        SetTimeout(0, TIMEOUT_MS);
        WM_STATUS st = LedStatus(1);
        ASSERT_EQ(1, wm_SetStatus(0, &st));
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
        SIM_REMOTE *pPolled = SimAddRemote(), *pIdle = SimAddRemote();
        SimSetFaults(pPolled, dwStuck & SIM_FAULT_NO_WRITE_FILE);
        ConnectAll(2);
        SetPolling(1, 0);
        WM_STATUS st = LedStatus(1);
        ASSERT_EQ(1, wm_SetStatus(-1, &st));
        SetTimeout(0, 0x7FFFFFFF);
        SetTimeout(1, 0x7FFFFFFF);
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

// A client that quits when told about a remote closes the library from inside the notification.
TEST_F(SimLibrary, CloseFromInsideAWorkerNotification) {
    struct Row {
        const char *pszName;
        UINT uMsg;
        std::function<void(SIM_REMOTE *)> trigger;
    };
    const std::vector<Row> rows = {
        {"input", WM_MSG_KEY_DEFAULT, [](SIM_REMOTE *p) { SimSetButtons(p, 0x00, 0x08); }},
        {"status", WM_MSG_STATUS_DEFAULT, [](SIM_REMOTE *p) { SimSetBattery(p, 0x21, 0); }},
        {"lost", WM_MSG_LOST_DEFAULT, [](SIM_REMOTE *p) { SimPowerOff(p); }},
    };
    for (const Row &row : rows) {
        Restart();
        SIM_REMOTE *pSim = SimAddRemote();
        ConnectAll(1);
        ClientWindow window;
        int nClosed = -1;
        window.onMessage = [&](UINT uMsg, WPARAM, LPARAM) -> LRESULT {
            if (uMsg == row.uMsg && nClosed == -1)
                nClosed = wm_Close();
            return 0;
        };
        Watch(0, window);
        Watchdog watchdog(10000, row.pszName);
        row.trigger(pSim);
        ASSERT_TRUE(PumpUntil([&] { return nClosed != -1; }, 3000)) << row.pszName;
        EXPECT_EQ(1, nClosed) << row.pszName;
        EXPECT_EQ(0, wm_Count());  // refused at once: the library is closed
        ASSERT_EQ(1, wm_Init()) << row.pszName;  // waits for the worker to finish the close
        EXPECT_EQ(SimHandlesOpened(), SimHandlesClosed()) << row.pszName;
    }
}

// The "record vanished" code left over from an earlier call must not keep a remote in its slot.
TEST_F(SimLibrary, StaleRemovedCodeKeepsNoRemote) {
    SIM_REMOTE *pSim = SimAddRemote();
    ConnectAll(1);
    SetLastError(WME_REMOVED);
    EXPECT_EQ(1, wm_Disconnect(0, 1));
    EXPECT_EQ(0, wm_Count());

    ConnectAll(1);
    SetPolling(0, 0);
    SetTimeout(0, TIMEOUT_MS);
    SimPowerOff(pSim);
    SetLastError(WME_REMOVED);
    WM_KEY key;
    EXPECT_EQ(0, wm_GetKey(0, &key));
    EXPECT_EQ((DWORD)WME_IO, GetLastError());
    EXPECT_EQ(0, wm_Count());
}

// Reports that queued while nobody polled are old: the getters read past them, and switching
// polling on does not replay them as input.
TEST_F(SimLibrary, BacklogIsNeitherReadByGettersNorReplayed) {
    SIM_REMOTE *pSim = SimAddRemote();
    ConnectAll(1);
    SetPolling(0, 0);
    ClientWindow window;
    Watch(0, window);
    const BYTE abOld[22] = {0x31, 0x00, 0x08, 0x80, 0x80, 0x9C};  // A held, a second ago
    auto queueBacklog = [&] {
        for (int i = 0; i < 32; i++)
            SimQueueReport(pSim, abOld);
    };
    queueBacklog();
    WM_KEY key;
    ASSERT_EQ(1, wm_GetKey(0, &key));
    EXPECT_EQ(0, key.nA);

    queueBacklog();
    SetPolling(0, 1);
    SimSetButtons(pSim, 0x00, 0x04);  // B, now
    auto pressed = [&](int nKey) {
        for (const Notification &n : window.log)
            if (n.uMsg == WM_MSG_KEY_DEFAULT && (n.lParam & (1 << nKey)))
                return true;
        return false;
    };
    ASSERT_TRUE(PumpUntil([&] { return pressed(KEY_B); }, 2000));
    EXPECT_FALSE(pressed(KEY_A));
}

// 23 bytes (some stacks) works; shorter than the protocol's 22 is refused with its own code.
TEST_F(SimLibrary, ReportLengthsComeFromTheCapabilityQuery) {
    struct { USHORT cbInput, cbOutput; bool bWorks; } table[] = {
        {23, 23, true}, {23, 22, true}, {21, 22, false}, {22, 21, false},
    };
    for (auto &row : table) {
        Restart();
        SIM_REMOTE *pSim = SimAddRemote();
        SimSetReportLengths(pSim, row.cbInput, row.cbOutput);
        if (!row.bWorks) {
            EXPECT_EQ(-1, wm_Connect(NULL, 0)) << row.cbInput << "/" << row.cbOutput;
            EXPECT_EQ((DWORD)WME_REPORT_LENGTH, GetLastError());
            continue;
        }
        ConnectAll(1);
        SimSetButtons(pSim, 0x00, 0x08);
        EXPECT_TRUE(PumpUntil([&] {
            WM_KEY key;
            return wm_GetKey(0, &key) && key.nA == 1;
        }, 2000)) << row.cbInput << "/" << row.cbOutput;
    }
}

}  // namespace
