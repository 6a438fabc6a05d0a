// Output reports byte for byte, memory reads, the output path, and the loss of a remote.
#include <string.h>

#include <vector>

#include "sim_fixture.h"
#include "transport.h"

namespace {

std::vector<BYTE> Output(SIM_REMOTE *pSim, int nAt, int *pnPath = nullptr) {
    BYTE ab[22];
    SimOutputAt(pSim, nAt, ab, pnPath);
    return std::vector<BYTE>(ab, ab + 22);
}

std::vector<BYTE> Report(std::initializer_list<int> head) {
    std::vector<BYTE> v(22, 0);
    int i = 0;
    for (int b : head)
        v[i++] = (BYTE)b;
    return v;
}

// One connected remote in slot 0 that the worker leaves alone.
class Transport : public SimLibrary {
protected:
    SIM_REMOTE *pSim = nullptr;
    void SetUp() override {
        SimLibrary::SetUp();
        pSim = SimAddRemote();
        ConnectAll(1);
        SetPolling(0, 0);
        SimClearOutputs(pSim);
    }
};

TEST_F(Transport, LedReportCarriesLedsAndRumble) {
    SlotLock lock(0);
    ASSERT_EQ(IO_DONE, SetLeds(Device(0), 1, 0, 0, 1, 0));
    ASSERT_EQ(IO_DONE, SetLeds(Device(0), 1, 0, 0, 1, 1));
    ASSERT_EQ(2, SimOutputCount(pSim));
    EXPECT_EQ(Report({0x11, 0x90}), Output(pSim, 0));
    EXPECT_EQ(Report({0x11, 0x91}), Output(pSim, 1));
    EXPECT_EQ(0x9, SimLeds(pSim));
    EXPECT_EQ(1, SimRumble(pSim));
}

TEST_F(Transport, ReportingModeFollowsReportContent) {
    struct { DWORD dwReport; BYTE bMode; } table[] = {
        {0x03, 0x31}, {0x0B, 0x35}, {0x08, 0x32}, {0x01, 0x30}, {0x0C, 0x36}, {0x06, 0x33}, {0x0E, 0x37},
    };
    SlotLock lock(0);
    for (auto &row : table) {
        SimClearOutputs(pSim);
        Device(0)->dwReport = row.dwReport;
        ASSERT_EQ(IO_DONE, SetReportMode(Device(0)));
        EXPECT_EQ(Report({0x12, 0x04, row.bMode}), Output(pSim, 0)) << row.dwReport;
        EXPECT_EQ(row.bMode, SimReportMode(pSim));
        EXPECT_TRUE(SimContinuous(pSim));
    }
}

TEST_F(Transport, MemoryRequestsCarryAddressSpaceLengthAndRumble) {
    SimPlugExtension(pSim, SIM_EXT_NUNCHUK, NULL);
    SlotLock lock(0);
    BYTE abId[6];
    Device(0)->bRumble = 1;
    ASSERT_EQ(IO_DONE, WriteMemory(Device(0), ADDR_EXT_INIT1, 0x55));
    ASSERT_EQ(IO_DONE, WriteMemory(Device(0), ADDR_EXT_INIT2, 0x00));
    ASSERT_EQ(IO_DONE, ReadMemory(Device(0), ADDR_EXT_ID, abId, 6));
    EXPECT_EQ(Report({0x16, 0x05, 0xA4, 0x00, 0xF0, 0x01, 0x55}), Output(pSim, 0));
    EXPECT_EQ(Report({0x16, 0x05, 0xA4, 0x00, 0xFB, 0x01, 0x00}), Output(pSim, 1));
    EXPECT_EQ(Report({0x17, 0x05, 0xA4, 0x00, 0xFA, 0x00, 0x06}), Output(pSim, 2));
    const BYTE abNunchuk[6] = {0x00, 0x00, 0xA4, 0x20, 0x00, 0x00};
    EXPECT_EQ(0, memcmp(abNunchuk, abId, 6));

    Device(0)->bRumble = 0;
    SimClearOutputs(pSim);
    ASSERT_EQ(IO_DONE, ReadMemory(Device(0), ADDR_EXT_ID, abId, 6));
    EXPECT_EQ(Report({0x17, 0x04, 0xA4, 0x00, 0xFA, 0x00, 0x06}), Output(pSim, 0));
}

TEST_F(Transport, MemoryReadsReassembleOneOrTwoReplies) {
    BYTE abStored[20];
    for (int i = 0; i < 20; i++)
        abStored[i] = (BYTE)(0x40 + i * 3);
    SimWriteMemory(pSim, 0x00001000, abStored, 20);
    SlotLock lock(0);
    for (int cb : {16, 20, 1}) {
        BYTE abRead[20] = {};
        ASSERT_EQ(IO_DONE, ReadMemory(Device(0), 0x00001000, abRead, cb)) << cb;
        EXPECT_EQ(0, memcmp(abStored, abRead, (size_t)cb)) << cb;
    }
}

TEST_F(Transport, MemoryReadErrorsFailTheReadButKeepTheRemote) {
    struct { BYTE bError; DWORD dwCode; } table[] = {
        {8, WME_READ_WRITEONLY}, {7, WME_READ_ERROR}, {1, WME_READ_ERROR}, {0xF, WME_READ_WRITEONLY},
    };
    SlotLock lock(0);
    BYTE ab[9];
    for (auto &row : table) {
        SimSetMemoryError(pSim, row.bError);
        EXPECT_EQ(IO_FAILED, ReadMemory(Device(0), ADDR_IDENTITY, ab, 9));
        EXPECT_EQ(row.dwCode, GetLastError()) << (int)row.bError;
        ASSERT_NE(nullptr, Device(0));
        EXPECT_EQ(1, Device(0)->bValid);
    }
    SimSetMemoryError(pSim, 0);
    SimSetReplyOffset(pSim, 8);
    EXPECT_EQ(IO_FAILED, ReadMemory(Device(0), ADDR_IDENTITY, ab, 9));
    EXPECT_EQ((DWORD)WME_READ_OVERRUN, GetLastError());
    SimSetReplyOffset(pSim, -2);
    EXPECT_EQ(IO_FAILED, ReadMemory(Device(0), ADDR_IDENTITY, ab, 9));
    EXPECT_EQ((DWORD)WME_READ_OVERRUN, GetLastError());
    SimSetReplyOffset(pSim, 0);
    EXPECT_EQ(IO_DONE, ReadMemory(Device(0), ADDR_IDENTITY, ab, 9));
}

// Each remote settles its own output path, write-file first: a Wii Remote Plus (0x0330) that takes
// only write-file works alone and beside an older remote whose stack takes only set-output-report.
TEST_F(SimLibrary, EachRemoteSettlesItsOwnOutputPath) {
    struct Row { WORD wProduct; DWORD dwFaults; int nPath; };
    const Row older = {0x0306, SIM_FAULT_NO_WRITE_FILE, WRITE_PATH_SET_REPORT};
    const Row plus = {0x0330, SIM_FAULT_NO_SET_REPORT, WRITE_PATH_WRITE_FILE};
    const Row plain = {0x0306, 0, WRITE_PATH_WRITE_FILE};
    const std::vector<std::vector<Row>> cases = {{plus}, {older, plus}, {plain, older}};
    for (const std::vector<Row> &rows : cases) {
        Restart();
        std::vector<SIM_REMOTE *> sims;
        for (const Row &row : rows) {
            sims.push_back(SimAddRemote());
            SimSetProductId(sims.back(), row.wProduct);
            SimSetFaults(sims.back(), row.dwFaults);
            ConnectAll(1);  // one after the other, as remotes are paired
        }
        for (int i = 0; i < (int)rows.size(); i++) {
            SlotLock lock(i);
            ASSERT_NE(nullptr, Device(i));
            EXPECT_EQ(rows[i].nPath, Device(i)->nWritePath) << "remote " << i;
            EXPECT_EQ(rows[i].nPath == WRITE_PATH_SET_REPORT, Device(i)->hWrite != NULL);
        }
        for (int i = 0; i < (int)rows.size(); i++) {
            SimSetButtons(sims[i], 0x00, 0x08);  // A, seen through the worker's polling
            ASSERT_TRUE(PumpUntil([&] {
                WM_KEY key;
                return wm_GetKey(i, &key) && key.nA == 1;
            }, 2000)) << "remote " << i;
        }
    }
}

TEST_F(SimLibrary, RemoteWithNoWorkingOutputPathIsRefused) {
    SIM_REMOTE *pSim = SimAddRemote();
    SimSetFaults(pSim, SIM_FAULT_NO_SET_REPORT | SIM_FAULT_NO_WRITE_FILE);
    ClientWindow window;
    EXPECT_EQ(-1, wm_Connect(window.hWnd, 0));
    EXPECT_EQ((DWORD)WME_NOT_FOUND, GetLastError());
    EXPECT_EQ(0, wm_Count());
    PumpFor(20);
    EXPECT_TRUE(window.log.empty());  // a failure while being set up tells nobody
    EXPECT_EQ(SimHandlesOpened(), SimHandlesClosed());
}

TEST_F(SimLibrary, SilentRemoteIsTornDownWithinItsTimeoutAndReportedOnce) {
    SIM_REMOTE *pSim = SimAddRemote();
    ConnectAll(1);
    ClientWindow window;
    SetTimeout(0, 60);
    Watch(0, window);
    SimSetFaults(pSim, SIM_FAULT_NO_ANSWER);
    DWORD dwStart = GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return window.Count(WM_MSG_LOST_DEFAULT) > 0; }, 2000));
    DWORD dwTook = GetTickCount() - dwStart;
    EXPECT_LT(dwTook, 600u);
    PumpFor(100);
    ASSERT_EQ(1, window.Count(WM_MSG_LOST_DEFAULT));
    EXPECT_EQ(0, window.Last(WM_MSG_LOST_DEFAULT)->lParam);
    EXPECT_EQ(0u, window.Last(WM_MSG_LOST_DEFAULT)->wParam);
    EXPECT_EQ(nullptr, Device(0));
    EXPECT_EQ(0, wm_Exist(0));
    EXPECT_EQ(SimHandlesOpened(), SimHandlesClosed());
}

TEST_F(SimLibrary, RemoteSwitchedOffIsTornDownAsLost) {
    SIM_REMOTE *pSim = SimAddRemote();
    ConnectAll(1);
    ClientWindow window;
    Watch(0, window);
    SimPowerOff(pSim);
    ASSERT_TRUE(PumpUntil([&] { return Device(0) == nullptr; }, 2000));
    PumpFor(30);
    EXPECT_EQ(1, window.Count(WM_MSG_LOST_DEFAULT));
    EXPECT_EQ(0, window.Last(WM_MSG_LOST_DEFAULT)->lParam);
}

TEST_F(SimLibrary, PendingWritesTimeOutToo) {
    SIM_REMOTE *pSim = SimAddRemote();
    SimSetFaults(pSim, SIM_FAULT_NO_SET_REPORT);
    ConnectAll(1);
    SetPolling(0, 0);
    SetTimeout(0, 30);
    SimSetFaults(pSim, SIM_FAULT_NO_SET_REPORT | SIM_FAULT_WRITE_PENDS);
    WM_STATUS st = {};
    st.dwFlags = WMST_LED;
    st.abLed[0] = 1;
    EXPECT_EQ(0, wm_SetStatus(0, &st));
    EXPECT_EQ((DWORD)WME_IO, GetLastError());
    EXPECT_EQ(nullptr, Device(0));
}

TEST_F(SimLibrary, SlowAnswersWithinTheTimeoutAreFine) {
    SIM_REMOTE *pSim = SimAddRemote();
    SimSetReadLatency(pSim, 3);
    ConnectAll(1);
    SetPolling(0, 0);
    SimSetButtons(pSim, 0x00, 0x08);
    WM_KEY key;
    ASSERT_EQ(1, wm_GetKey(0, &key));
    EXPECT_EQ(1, key.nA);
}

}  // namespace
