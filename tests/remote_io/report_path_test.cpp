// The report path's memory faults: a remote lost during identification, a failed identification,
// and memory replies that leave a gap.
#include <string.h>

#include "decode.h"
#include "sim_fixture.h"
#include "transport.h"

namespace {

// One remote that nobody polls, so the getters drive its reports.
class ReportPath : public SimLibrary {
protected:
    SIM_REMOTE *pSim = nullptr;
    void SetUp() override {
        SimLibrary::SetUp();
        pSim = SimAddRemote();
        ConnectAll(1);
        SetPolling(0, 0);
        SetTimeout(0, 50);
    }
    int ExtensionKind() {
        WM_STATUS st = {};
        st.dwFlags = WMST_EXTENSION;
        return wm_GetStatus(0, &st) ? st.nExtType : -1;
    }
};

// The status report shows a new extension; the remote is lost while it is identified. The getter
// must fail and the record be released once, not used after it was freed.
TEST_F(ReportPath, RemoteLostDuringIdentificationFailsTheGetter) {
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
// next plug-in is identified afresh.
TEST_F(ReportPath, FailedIdentificationLeavesNoExtension) {
    WM_SYSTEM sys = {};
    sys.dwFlags = WMSYS_SMOOTHING;
    sys.nSmoothing = 4;
    ASSERT_EQ(1, wm_SetSystem(0, &sys));
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
        EXPECT_EQ(0, Device(0)->bExtConnected);
    }
    SimSetMemoryErrorAt(pSim, 0, 0);
    EXPECT_EQ(WMEXT_NUNCHUK, ExtensionKind());
    SlotLock lock(0);
    EXPECT_NE(nullptr, Device(0)->Ext.Nunchuk.apFilter[NUN_STICK_X]);
}

// A reply holding only the last bytes of a read does not complete it: the read waits for the rest.
TEST_F(ReportPath, MemoryReadCompletesOnlyWhenEveryByteArrived) {
    BYTE abStored[16];
    for (int i = 0; i < 16; i++)
        abStored[i] = (BYTE)(0x30 + i);
    SimWriteMemory(pSim, 0x00002000, abStored, 16);
    BYTE abTail[22] = {0x21, 0, 0, 0x30, 0x20, 0x0C};  // 4 bytes at 0x200C
    memcpy(abTail + 6, abStored + 12, 4);
    SlotLock lock(0);
    SimQueueReport(pSim, abTail);
    BYTE abRead[16];
    memset(abRead, 0xEE, sizeof(abRead));
    ASSERT_EQ(IO_DONE, ReadMemory(Device(0), 0x00002000, abRead, 16));
    EXPECT_EQ(0, memcmp(abStored, abRead, 16));
}

}  // namespace
