// The camera and the MotionPlus against simulated remotes: set-up sequences and their retries,
// both dot formats, activation modes, scaling and the rest bias on the fake clock.
#include <stdlib.h>

#include <algorithm>
#include <string>

#include "sim_fixture.h"

namespace {

const DWORD kCore = WMRPT_KEYS | WMRPT_ACCEL;

int SetReport(int nSlot, DWORD dwReport) {
    WM_STATUS st = {};
    st.dwFlags = WMST_REPORT;
    st.dwReport = dwReport;
    return wm_SetStatus(nSlot, &st);
}

WM_IR Ir() {
    WM_IR ir = {};
    EXPECT_EQ(1, wm_GetIr(0, &ir));
    return ir;
}

WM_MOTION Motion() {
    WM_MOTION m = {};
    EXPECT_EQ(1, wm_GetMotion(0, &m));
    return m;
}

// The camera's reports and register writes, as "13 04", "16 b00030 01", ...
std::vector<std::string> CameraTraffic(SIM_REMOTE *pSim) {
    std::vector<std::string> out;
    for (int i = 0; i < SimOutputCount(pSim); i++) {
        std::vector<BYTE> ab = OutputAt(pSim, i);
        char sz[64];
        if (ab[0] == 0x13 || ab[0] == 0x1A) {
            snprintf(sz, sizeof sz, "%02x %02x", ab[0], ab[1] & 0x04);
        } else if (ab[0] == RPT_OUT_WRITE_MEMORY && ab[2] == 0xB0) {
            int n = snprintf(sz, sizeof sz, "16 b0%02x%02x", ab[3], ab[4]);
            for (int j = 0; j < ab[5] && n < 60; j++)
                n += snprintf(sz + n, sizeof sz - n, " %02x", ab[6 + j]);
        } else {
            continue;
        }
        out.push_back(sz);
    }
    return out;
}

const std::vector<std::string> kSetUp = {
    "13 04", "1a 04", "16 b00030 01", "16 b00000 00 00 00 00 00 00 90 00 41", "16 b0001a 40 00",
    "16 b00033 03", "16 b00030 08"};

// The camera stays off for a client that never asks for it; asked, it is set up in order, and a
// refused write repeats the whole set-up, three times at most, then again after 2 s.
TEST_F(SimLibrary, CameraSetUpInOrderRepeatedAndRetried) {
    const struct { int nRefused; int nCamera; int nTries; int nRetryTries; int bPolled; } table[] = {
        {0, WMIR_ON, 1, 0, 1}, {2, WMIR_ON, 3, 0, 1}, {3, WMIR_FAILED, 3, 1, 1}, {4, WMIR_FAILED, 3, 2, 1},
        {3, WMIR_FAILED, 3, 1, 0}};  // unpolled: retried when read
    for (auto &row : table) {
        Restart();
        SIM_REMOTE *pSim = AddConnected();
        SetPolling(0, row.bPolled);
        UseFakeClock(5000);
        SimPlugExtension(pSim, SIM_EXT_NUNCHUK, NULL);
        ASSERT_TRUE(PumpUntil([&] { return ExtensionKind() == WMEXT_NUNCHUK; }));
        ASSERT_EQ(1, SetReport(0, kCore | WMRPT_EXTENSION));
        Sleep(100);  // a polled remote's worker would have started the camera by now
        EXPECT_TRUE(CameraTraffic(pSim).empty());
        EXPECT_EQ(WMIR_OFF, Ir().nCamera);

        SimRefuseCameraWrites(pSim, row.nRefused);
        SimClearOutputs(pSim);
        ASSERT_EQ(1, SetReport(0, kCore | WMRPT_IR));
        EXPECT_TRUE(PumpUntil([&] { return Ir().nCamera == row.nCamera; })) << row.nRefused;
        std::vector<std::string> traffic = CameraTraffic(pSim);
        std::vector<std::string> refused = {"13 04", "1a 04", "16 b00030 01"};
        std::vector<std::string> expected;
        for (int i = 0; i < row.nTries; i++) {
            bool bRefused = i < row.nRefused;
            expected.insert(expected.end(), (bRefused ? refused : kSetUp).begin(), (bRefused ? refused : kSetUp).end());
        }
        EXPECT_EQ(expected, traffic) << row.nRefused;
        EXPECT_EQ(row.nCamera, Ir().nCamera) << row.nRefused;
        if (row.nCamera == WMIR_FAILED) {
            SimClearOutputs(pSim);
            g_dwFakeNow += 2100;
            WakeWorker();
            EXPECT_TRUE(PumpUntil([&] { return Ir().nCamera == WMIR_ON; })) << row.nRefused;
            traffic = CameraTraffic(pSim);
            EXPECT_EQ(row.nRetryTries, std::count(traffic.begin(), traffic.end(), "13 04")) << row.nRefused;
        }
        SimClearOutputs(pSim);
        ASSERT_EQ(1, SetReport(0, kCore));
        EXPECT_TRUE(PumpUntil([&] { return Ir().nCamera == WMIR_OFF; }));
        EXPECT_EQ((std::vector<std::string>{"13 00", "1a 00"}), CameraTraffic(pSim));
    }
}

// Dots reach wm_GetIr in both formats (an extension plugged in switches the camera to basic),
// absent dots are absent, and a moved dot is notified only to a client asking for the camera.
TEST_F(SimLibrary, CameraDotsInBothFormats) {
    SIM_REMOTE *pSim = AddConnected();
    ClientWindow window;
    Watch(0, window);
    SimSetIrDot(pSim, 0, 100, 200, 5);
    SimSetIrDot(pSim, 1, 1023, 0, 1);
    SimSetIrDot(pSim, 3, 517, 767, 15);
    const struct { DWORD dwReport; int bNunchuk; int nFormat; BYTE bMode; } table[] = {
        {kCore | WMRPT_IR, 0, WMIR_FORMAT_EXTENDED, 0x33}, {WMRPT_KEYS | WMRPT_IR, 0, WMIR_FORMAT_EXTENDED, 0x33},
        {kCore | WMRPT_IR | WMRPT_MOTION, 0, WMIR_FORMAT_EXTENDED, 0x33},  // no MotionPlus: no gyro bytes
        {kCore | WMRPT_IR, 1, WMIR_FORMAT_BASIC, 0x37}, {WMRPT_KEYS | WMRPT_IR, 1, WMIR_FORMAT_BASIC, 0x36}};
    for (auto &row : table) {
        if (row.bNunchuk && ExtensionKind() != WMEXT_NUNCHUK) {
            SimPlugExtension(pSim, SIM_EXT_NUNCHUK, NULL);  // while the camera is on
            ASSERT_TRUE(PumpUntil([&] { return SimCameraFormat(pSim) == WMIR_FORMAT_BASIC; }));
        }
        ASSERT_EQ(1, SetReport(0, row.dwReport | (row.bNunchuk ? WMRPT_EXTENSION : 0)));
        EXPECT_EQ(row.bMode, SimReportMode(pSim));
        int nSize = row.nFormat == WMIR_FORMAT_BASIC ? -1 : 1;
        SimSetIrDot(pSim, 1, 1023, 0, 1);
        ASSERT_TRUE(PumpUntil([&] { return Ir().aDot[1].nSize == nSize && Ir().aDot[1].nX == 1023; })) << (int)row.bMode;
        WM_IR ir = Ir();
        EXPECT_EQ(row.nFormat, ir.nFormat);
        EXPECT_EQ(3, ir.nDotsSeen);
        const int anWanted[4][4] = {{1, 100, 200, 5}, {1, 1023, 0, 1}, {0, -1, -1, -1}, {1, 517, 767, 15}};
        for (int i = 0; i < 4; i++) {
            const WM_IR_DOT &d = ir.aDot[i];
            int bSized = anWanted[i][0] && row.nFormat == WMIR_FORMAT_EXTENDED;
            EXPECT_EQ(anWanted[i][0], d.bSeen) << i;
            EXPECT_EQ(anWanted[i][1], d.nX) << i;
            EXPECT_EQ(anWanted[i][2], d.nY) << i;
            EXPECT_EQ(bSized ? anWanted[i][3] : -1, d.nSize) << i;
        }
        window.log.clear();
        SimSetIrDot(pSim, 1, 300, 301, 2);
        EXPECT_TRUE(PumpUntil([&] {
            const Notification *n = window.Last(WM_MSG_KEY_DEFAULT);
            return n && (n->lParam & WMKEY_CHANGED_IR);
        }));
    }
    SimHideIrDot(pSim, 0);
    ASSERT_EQ(1, SetReport(0, kCore | WMRPT_EXTENSION));
    window.log.clear();
    SimSetIrDot(pSim, 1, 400, 401, 2);
    SimSetAccel(pSim, 0x90, 0x90, 0x90);
    ASSERT_TRUE(PumpUntil([&] { return window.Count(WM_MSG_KEY_DEFAULT) > 0; }));
    for (const Notification &n : window.log)
        EXPECT_EQ(0, n.lParam & WMKEY_CHANGED_IR);
    ASSERT_EQ(1, SetReport(0, kCore | WMRPT_IR));  // on at disconnection: switched off
    ASSERT_TRUE(PumpUntil([&] { return Ir().nCamera == WMIR_ON; }));
    SimClearOutputs(pSim);
    ASSERT_EQ(1, wm_Disconnect(0, 0));
    EXPECT_EQ((std::vector<std::string>{"13 00", "1a 00"}), CameraTraffic(pSim));
}

SIM_REMOTE *AddRemotePlus(SimLibrary *) {
    SIM_REMOTE *pSim = SimAddRemote();
    SimSetProductId(pSim, 0x0330);
    return pSim;
}

// A remote without a MotionPlus has none; one with it is activated alone or passing its
// extension through, which keeps decoding, and is switched off again with the extension back.
TEST_F(SimLibrary, MotionPlusActivatedWithPassThrough) {
    AddConnected();
    EXPECT_EQ(WMMP_NONE, Motion().nState);
    Restart();
    SIM_REMOTE *pSim = AddRemotePlus(this);
    ConnectAll(1);
    EXPECT_EQ(WMMP_OFF, Motion().nState);
    const struct { int nKind; int nMode; } table[] = {{0, 0x04}, {SIM_EXT_NUNCHUK, 0x05}, {SIM_EXT_CLASSIC, 0x07}};
    for (auto &row : table) {
        if (row.nKind) {
            SimPlugExtension(pSim, row.nKind, NULL);
            ASSERT_TRUE(PumpUntil([&] { return ExtensionKind() == row.nKind; }));
        }
        DWORD dwExt = row.nKind ? WMRPT_EXTENSION : 0;
        ASSERT_EQ(1, SetReport(0, kCore | dwExt | WMRPT_MOTION));
        EXPECT_TRUE(PumpUntil([&] { return SimMotionPlusMode(pSim) == row.nMode && Motion().nState == WMMP_ON; }));
        SimSetGyro(pSim, 5000, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return abs(Motion().nYaw - 5000) <= 5; })) << row.nMode;
        WM_KEYEX ex;
        if (row.nKind == SIM_EXT_NUNCHUK) {
            SimSetNunchuk(pSim, 0xE0, 0x80, 0x2CC, 0x200, 0x200, 1, 0);
            EXPECT_TRUE(PumpUntil([&] {
                return wm_GetKeyEx(0, &ex) && ex.Nunchuk.nC == 1 && ex.Nunchuk.nZ == 0 && ex.Nunchuk.nStickX == 100 &&
                       ex.Nunchuk.nAccX == 100;
            }));
        } else if (row.nKind == SIM_EXT_CLASSIC) {
            SimSetClassic(pSim, 32, 32, 16, 16, 0, 0, 1 << 7 | 1 << 9);  // Up, Left: moved in pass-through
            EXPECT_TRUE(PumpUntil([&] { return wm_GetKeyEx(0, &ex) && ex.Classic.nUp == 1 && ex.Classic.nLeft == 1; }));
        }
        ASSERT_EQ(1, SetReport(0, kCore | dwExt));
        EXPECT_TRUE(PumpUntil([&] { return SimMotionPlusMode(pSim) == 0 && Motion().nState == WMMP_OFF; }));
        EXPECT_TRUE(PumpUntil([&] { return ExtensionKind() == row.nKind; })) << row.nMode;
        SimUnplugExtension(pSim);
        ASSERT_TRUE(PumpUntil([&] { return ExtensionKind() == WMEXT_NONE; }));
    }
}

// A gyro asked for keeps being sought: a refused activation is tried again after 2 s, and a
// MotionPlus plugged into a remote without one (it sends no status) is found within 2 s, polled
// or read. Switched off when the remote is let go, it shows the extension to the next program.
TEST_F(SimLibrary, GyroTriedAgainAndLookedForWhileAskedFor) {
    const struct { const char *name; WORD wProduct; int nRefused; int bPolled; int nStateAsked; } table[] = {
        {"activation refused", 0x0330, 1, 1, WMMP_OFF},
        {"activation refused, unpolled", 0x0330, 1, 0, WMMP_OFF},
        {"plugged in later", 0x0306, 0, 1, WMMP_NONE},
        {"plugged in later, unpolled", 0x0306, 0, 0, WMMP_NONE}};
    for (auto &row : table) {
        SCOPED_TRACE(row.name);
        Restart();
        SIM_REMOTE *pSim = SimAddRemote();
        SimSetProductId(pSim, row.wProduct);
        ConnectAll(1);
        SetPolling(0, row.bPolled);
        UseFakeClock(5000);
        SimRefuseGyroWrites(pSim, row.nRefused);
        ASSERT_EQ(1, SetReport(0, kCore | WMRPT_MOTION));
        Sleep(200);  // a polled remote's worker takes the change up
        EXPECT_EQ(row.nStateAsked, Motion().nState);
        if (row.nStateAsked == WMMP_NONE)
            SimSetMotionPlus(pSim, 1);
        g_dwFakeNow += 1500;
        WakeWorker();
        Sleep(200);
        EXPECT_EQ(row.nStateAsked, Motion().nState) << "not before its time";
        g_dwFakeNow += 600;
        WakeWorker();
        EXPECT_TRUE(PumpUntil([&] { return Motion().nState == WMMP_ON && SimMotionPlusMode(pSim) == 0x04; }));

        SimClearOutputs(pSim);
        ASSERT_EQ(1, wm_Disconnect(0, 0));
        EXPECT_EQ(0, SimMotionPlusMode(pSim));
        int nOffWrites = 0;
        for (int i = 0; i < SimOutputCount(pSim); i++) {
            std::vector<BYTE> ab = OutputAt(pSim, i);
            nOffWrites += ab[0] == RPT_OUT_WRITE_MEMORY && (ab[1] & 0x04) && ab[2] == 0xA4 && ab[3] == 0x00 &&
                          ab[4] == 0xF0 && ab[6] == 0x55;
        }
        EXPECT_EQ(1, nOffWrites);
    }
}

// An extension plugged in or pulled out behind an active MotionPlus shows only in the gyro's
// frames: the gyro is activated afresh in the mode that passes it through.
TEST_F(SimLibrary, MotionPlusFollowsAnExtensionPluggedBehindIt) {
    SIM_REMOTE *pSim = AddRemotePlus(this);
    ConnectAll(1);
    ASSERT_EQ(1, SetReport(0, kCore | WMRPT_MOTION));
    ASSERT_TRUE(PumpUntil([&] { return SimMotionPlusMode(pSim) == 0x04; }));
    const struct { int nKind; int nMode; } table[] = {{SIM_EXT_NUNCHUK, 0x05}, {0, 0x04}, {SIM_EXT_CLASSIC, 0x07}};
    for (auto &row : table) {
        if (row.nKind)
            SimPlugExtension(pSim, row.nKind, NULL);
        else
            SimUnplugExtension(pSim);
        EXPECT_TRUE(PumpUntil([&] {
            return SimMotionPlusMode(pSim) == row.nMode && ExtensionKind() == row.nKind && Motion().nState == WMMP_ON;
        })) << row.nMode;
    }
}

// Until the remote has lain still for a second of the library's clock the rates keep the bias;
// then it is measured and removed; slow and fast ranges scale apart.
TEST_F(SimLibrary, GyroRatesScaledWithTheRestBiasMeasured) {
    SIM_REMOTE *pSim = AddRemotePlus(this);
    ConnectAll(1);
    UseFakeClock(1000);
    SimSetGyroBias(pSim, 100, -60, 40, 5);
    ASSERT_EQ(1, SetReport(0, kCore | WMRPT_MOTION));
    ASSERT_TRUE(PumpUntil([&] { return abs(Motion().nYaw - 500) <= 25; }));  // 100 raw units: 5 deg/s
    Sleep(300);
    EXPECT_EQ(0, Motion().bCalibrated);
    g_dwFakeNow += 1100;
    ASSERT_TRUE(PumpUntil([&] { return Motion().bCalibrated == 1; }));
    const struct { int nYaw, nRoll, nPitch; int bYawFast, bRollFast, bPitchFast; int nSlack; } table[] = {
        {0, 0, 0, 0, 0, 0, 30},
        {10000, -5000, 2500, 0, 0, 0, 30},
        {100000, 0, -60000, 1, 0, 1, 140},
    };
    for (auto &row : table) {
        SimSetGyro(pSim, row.nYaw, row.nRoll, row.nPitch);
        EXPECT_TRUE(PumpUntil([&] {
            WM_MOTION m = Motion();
            return abs(m.nYaw - row.nYaw) <= row.nSlack && abs(m.nRoll - row.nRoll) <= row.nSlack &&
                   abs(m.nPitch - row.nPitch) <= row.nSlack && m.bYawFast == row.bYawFast &&
                   m.bRollFast == row.bRollFast && m.bPitchFast == row.bPitchFast;
        })) << row.nYaw << " " << Motion().nYaw << " " << Motion().nRoll << " " << Motion().nPitch;
    }
    // A steady turn of 30 deg/s for over a second is not taken for rest.
    SimSetGyro(pSim, 3000, 0, 0);
    Sleep(300);
    g_dwFakeNow += 1100;
    Sleep(300);
    EXPECT_NEAR(3000, Motion().nYaw, 30);
}

}  // namespace
