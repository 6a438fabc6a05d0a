// The worker's step on simulated remotes: input and status notifications, extensions, rumble (on
// the fake clock), and a client holding one slot's lock.
#include <string.h>

#include "decode.h"
#include "sim_fixture.h"

namespace {

// Each extension kind is identified (a not-yet-ready identifier is read again), the remote is
// told to report its data, every input arrives in its field through the extension's own
// encoding, and unplugging clears it all.
TEST_F(SimLibrary, ExtensionsKnownAndUnknownPluggedAndUnplugged) {
    SIM_REMOTE *pSim = AddConnected();
    ClientWindow window;
    Watch(0, window);
    auto statusNotified = [&](int nExtType) {
        return PumpUntil([&] {
            const Notification *n = window.Last(WM_MSG_STATUS_DEFAULT);
            return n && (n->lParam & (WMST_REPORT | WMST_EXTENSION)) == (WMST_REPORT | WMST_EXTENSION) &&
                   ExtensionKind() == nExtType;
        });
    };
    auto fieldsAre = [&](int nSet, int nButtons) {  // button field nSet 1, the others 0
        return PumpUntil([&] {
            WM_KEYEX ex;
            bool bOk = wm_GetKeyEx(0, &ex);
            for (int i = 0; i < nButtons; i++)
                bOk = bOk && ex.anField[i] == (i == nSet);
            return bOk;
        });
    };
    for (int nKind : {SIM_EXT_NUNCHUK, SIM_EXT_CLASSIC, SIM_EXT_CLASSIC_PRO}) {
        window.log.clear();
        SimSetExtensionNotReady(pSim, 3);
        SimPlugExtension(pSim, nKind, NULL);
        ASSERT_TRUE(statusNotified(nKind)) << nKind;  // the library's kinds are the simulator's
        EXPECT_EQ(0x35, SimReportMode(pSim));
        if (nKind == SIM_EXT_NUNCHUK) {
            SimSetNunchuk(pSim, 0x80, 0x80, 0x200, 0x200, 0x200, 1, 0);
            EXPECT_TRUE(fieldsAre(0, 2));  // C, not Z
        }
        for (int nButton = 0; nButton < 15 && nKind != SIM_EXT_NUNCHUK; nButton++) {
            SimSetClassic(pSim, 32, 32, 16, 16, 0, 31, (WORD)(1 << nButton));
            EXPECT_TRUE(fieldsAre(nButton, 15)) << nKind << " button " << nButton;
        }
        window.log.clear();
        SimUnplugExtension(pSim);
        ASSERT_TRUE(statusNotified(WMEXT_NONE));
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

    // An extension this library does not decode is identified once per plug-in; the remote keeps
    // working and its status (a low battery) keeps reaching the client.
    const BYTE abId[6] = {0x01, 0x00, 0xA4, 0x20, 0x04, 0x05};
    auto identifications = [&] {
        return CountOutputs(pSim, [](const std::vector<BYTE> &ab) {
            return ab[0] == RPT_OUT_WRITE_MEMORY && ab[2] == 0xA4 && ab[4] == 0xF0;
        });
    };
    auto batteryNotified = [&](BYTE bLevel) {
        SimSetBattery(pSim, bLevel, 0);
        window.log.clear();
        return PumpUntil([&] {
            for (const Notification &n : window.log)
                if (n.uMsg == WM_MSG_STATUS_DEFAULT && (n.lParam & WMST_BATTERY))
                    return true;
            return false;
        });
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
}

// Each core button's bit in bytes 1 and 2 of the input reports, as a Wii Remote sends it, reaches
// its own WM_KEY field and no other.
TEST_F(SimLibrary, EachCoreButtonBitReachesItsOwnField) {
    SIM_REMOTE *pSim = AddConnected();
    const struct { const char *pszName; BYTE bByte1, bByte2; int WM_KEY::*pnField; } table[] = {
        {"left", 0x01, 0, &WM_KEY::nLeft}, {"right", 0x02, 0, &WM_KEY::nRight},
        {"down", 0x04, 0, &WM_KEY::nDown}, {"up", 0x08, 0, &WM_KEY::nUp},
        {"plus", 0x10, 0, &WM_KEY::nPlus}, {"two", 0, 0x01, &WM_KEY::nTwo},
        {"one", 0, 0x02, &WM_KEY::nOne}, {"B", 0, 0x04, &WM_KEY::nB},
        {"A", 0, 0x08, &WM_KEY::nA}, {"minus", 0, 0x10, &WM_KEY::nMinus},
        {"home", 0, 0x80, &WM_KEY::nHome},
    };
    auto fieldsAre = [&](int WM_KEY::*pnPressed) {  // nullptr: none pressed
        return PumpUntil([&] {
            WM_KEY key;
            bool bOk = wm_GetKey(0, &key) != 0;
            for (auto &row : table)
                bOk = bOk && key.*row.pnField == (row.pnField == pnPressed);
            return bOk;
        }, 2000);
    };
    for (auto &pressed : table) {
        SimSetButtons(pSim, 0, 0);  // released first, so the last press cannot pass for this one
        ASSERT_TRUE(fieldsAre(nullptr));
        SimSetButtons(pSim, pressed.bByte1, pressed.bByte2);
        EXPECT_TRUE(fieldsAre(pressed.pnField)) << pressed.pszName;
    }
}

// The accelerometer's calibration is the remote's own, read from its memory at 0x0016: zero g of
// X, Y and Z, a byte of their low bits, one g of X, Y and Z, a byte of theirs. The low bits are
// finer than the 8-bit readings, which are all the library scales.
TEST_F(SimLibrary, AccelerometerScaledByTheCalibrationInTheRemotesMemory) {
    SIM_REMOTE *pSim = SimAddRemote();
    const BYTE abCal[8] = {0x70, 0x84, 0x8C, 0xE4, 0x8A, 0xA8, 0x9C, 0x1B};
    SimWriteMemory(pSim, 0x0016, abCal, sizeof abCal);
    ConnectAll(1);
    const struct { BYTE abRaw[3]; int anExpected[3]; } table[] = {
        {{0x70, 0x84, 0x8C}, {0, 0, 0}},
        {{0x8A, 0xA8, 0x9C}, {100, 100, 100}},
        {{0xA4, 0x8D, 0x80}, {200, 25, -75}},
        {{0x57, 0x60, 0xFF}, {-96, -100, 718}},  // truncated toward zero
    };
    for (auto &row : table) {
        SimSetAccel(pSim, row.abRaw[0], row.abRaw[1], row.abRaw[2]);
        WM_KEY key = {};
        EXPECT_TRUE(PumpUntil([&] {
            return wm_GetKey(0, &key) && key.nAccX == row.anExpected[0] && key.nAccY == row.anExpected[1] &&
                   key.nAccZ == row.anExpected[2];
        }, 2000)) << (int)row.abRaw[0] << " got " << key.nAccX << " " << key.nAccY << " " << key.nAccZ;
    }
}

WM_STATUS Rumble(int nPower, DWORD dwMs) {
    WM_STATUS st = {};
    st.dwFlags = WMST_RUMBLE;
    st.nRumblePower = nPower;
    st.dwRumbleTime = dwMs;
    return st;
}

// Steps the remote by hand on the fake clock, 20 ms a step, counting its status requests and
// extension identifications: an idle remote is asked about once a second, a plugged extension is
// still seen at once (by the remote's own status), and one whose calibration cannot be read is
// tried again about once a second, however often a client asks for the status.
TEST_F(SimLibrary, IdleRemoteAndUnreadableExtensionAreAskedAboutOnceASecond) {
    UseFakeClock(1000);  // before the worker arms any alarm, so none is on the other clock
    SIM_REMOTE *pSim = AddConnected();
    SetPolling(0, 0);
    struct {
        const char *pszPhase;
        void (*before)(SIM_REMOTE *);
        int nSteps, bClientAsks, nMinStatus, nMaxStatus, nMinTries, nMaxTries, nExtType;
    } table[] = {
        {"idle", [](SIM_REMOTE *) {}, 95, 0, 1, 3, 0, 0, WMEXT_NONE},
        {"plugged", [](SIM_REMOTE *p) { SimPlugExtension(p, SIM_EXT_NUNCHUK, NULL); }, 3, 0, 0, 0, 1, 1, WMEXT_NUNCHUK},
        {"unreadable", [](SIM_REMOTE *p) {
             SimUnplugExtension(p);
             SimSetMemoryErrorAt(p, ADDR_EXT_CAL, 7);
             SimPlugExtension(p, SIM_EXT_NUNCHUK, NULL);
         }, 150, 0, 1, 7, 2, 4, WMEXT_NONE},
        {"unreadable, client asks", [](SIM_REMOTE *) {}, 100, 1, 0, 9999, 1, 3, WMEXT_NONE},
        {"readable", [](SIM_REMOTE *p) { SimSetMemoryErrorAt(p, 0, 0); }, 60, 0, 0, 3, 1, 1, WMEXT_NUNCHUK},
    };
    for (auto &row : table) {
        SCOPED_TRACE(row.pszPhase);
        SimClearOutputs(pSim);
        row.before(pSim);
        for (int i = 0; i < row.nSteps; i++) {
            g_dwFakeNow += 20;
            {
                SlotLock lock(0);
                ASSERT_EQ(IO_DONE, Step(0));
            }
            WM_STATUS st = {};
            st.dwFlags = WMST_BATTERY;
            ASSERT_TRUE(!row.bClientAsks || wm_GetStatus(0, &st));
        }
        int nStatus = CountOutputs(pSim, [](const std::vector<BYTE> &ab) { return ab[0] == RPT_OUT_STATUS; });
        int nTries = CountOutputs(pSim, [](const std::vector<BYTE> &ab) {
            return ab[0] == RPT_OUT_WRITE_MEMORY && ab[2] == 0xA4 && ab[4] == 0xF0;
        });
        EXPECT_LE(row.nMinStatus, nStatus);
        EXPECT_GE(row.nMaxStatus, nStatus);
        EXPECT_LE(row.nMinTries, nTries);
        EXPECT_GE(row.nMaxTries, nTries);
        SlotLock lock(0);
        EXPECT_EQ(row.nExtType, Device(0)->nExtType);
    }
}

// Steps the remote by hand, counting the steps after which its motor runs.
TEST_F(SimLibrary, RumblePowerSetsThePulseRatioAndATimeStopsIt) {
    SIM_REMOTE *pSim = AddConnected();
    SetPolling(0, 0);
    struct { int nPower; int nSteps; int nExpectedOn; } table[] = {
        {100, 20, 20}, {0, 20, 0}, {1, 99, 10}, {50, 98, 54}, {101, 20, 0}, {-1, 5, 0},
    };
    for (auto &row : table) {
        WM_STATUS st = Rumble(row.nPower, 0);
        bool bValid = row.nPower >= 0 && row.nPower <= 100;
        ASSERT_EQ((int)bValid, wm_SetStatus(0, &st)) << row.nPower;
        EXPECT_EQ(bValid ? (DWORD)WME_SUCCESS : (DWORD)WME_BAD_PARAMETER, GetLastError());
        SlotLock lock(0);
        int nOn = 0;
        for (int i = 0; i < row.nSteps; i++) {
            ASSERT_EQ(IO_DONE, Step(0));
            nOn += SimRumble(pSim);
        }
        // One pulse per period of 9800 / (89 p + 901) steps.
        EXPECT_NEAR(row.nExpectedOn, nOn, 1) << "power " << row.nPower;
        st.dwFlags = WMST_RUMBLE;
        ASSERT_EQ(1, wm_GetStatus(0, &st));
        EXPECT_EQ(bValid ? row.nPower : 0, st.nRumblePower);
        st = Rumble(0, 0);
        ASSERT_EQ(1, wm_SetStatus(0, &st));
    }

    // A timed rumble stops; a later one without a duration keeps going.
    UseFakeClock(1000);
    WM_STATUS st = Rumble(100, 200);
    ASSERT_EQ(1, wm_SetStatus(0, &st));
    struct { DWORD dwNow; int bRumble; } steps[] = {{1100, 1}, {1199, 1}, {1200, 0}};
    for (auto &step : steps) {
        SlotLock lock(0);
        g_dwFakeNow = step.dwNow;
        ASSERT_EQ(IO_DONE, Step(0));
        EXPECT_EQ(step.bRumble, Device(0)->bRumble) << step.dwNow;
        EXPECT_EQ(step.bRumble * 100, Device(0)->nRumblePower);
    }
    st = Rumble(100, 0);
    ASSERT_EQ(1, wm_SetStatus(0, &st));
    SlotLock lock(0);
    g_dwFakeNow = 5000;
    ASSERT_EQ(IO_DONE, Step(0));
    EXPECT_EQ(1, Device(0)->bRumble);
}

// The worker only tries a slot's lock: a client holding one slot never stops the others.
TEST_F(SimLibrary, ClientHoldingASlotNeverBlocksTheWorker) {
    AddConnected();
    SetSystem(0, WMSYS_HWND, 0);  // slot 0 sends nothing, so the worker never lets go of it mid-step
    SIM_REMOTE *pSecond = AddConnected();
    ClientWindow other;
    Watch(1, other);
    SlotLock held(0);  // while this thread waits for the other slot's notification
    SimSetCoreButtons(pSecond, 1 << KEY_A);
    EXPECT_TRUE(PumpUntil([&] { return other.Count(WM_MSG_KEY_DEFAULT) > 0; }));
}

}  // namespace
