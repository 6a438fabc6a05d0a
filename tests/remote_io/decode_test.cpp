// What needs no device: smoothing filters, alarms, and input reports decoded into a remote's record.
#include <gtest/gtest.h>

#include <string.h>

#include <initializer_list>
#include <vector>

#include "decode.h"
#include "frame.h"
#include "transport.h"

namespace {

DWORD g_dwNow;
DWORD WINAPI FakeClock() { return g_dwNow; }

TEST(Filter, WeightedMeanPrimedByTheFirstSample) {
    struct { int nCount; std::vector<int> in, out; } table[] = {
        {1, {5, -7, 300}, {5, -7, 300}},
        {3, {0, 30, 30, 30, 0}, {0, 15, 25, 30, 15}},  // newest weighs 3, oldest 1
        {2, {-1, -2}, {-1, -1}},                        // -10 / 6 truncates toward zero
        {4, {80, 80}, {80, 80}},                        // primed with 80, not zeros
    };
    for (auto &row : table) {
        WM_FILTER *f = CreateFilter(row.nCount);
        for (size_t i = 0; i < row.in.size(); i++)
            EXPECT_EQ(row.out[i], FilterSample(f, row.in[i])) << row.nCount << " #" << i;
        FreeFilter(f);
    }
}

TEST(Alarm, FiresAtItsDeadlineAcrossTheClockWrap) {
    struct { DWORD dwStart, dwArm; std::vector<std::pair<DWORD, bool>> checks; } table[] = {
        {1000, 500, {{1499, false}, {1500, true}, {9000, true}}},  // firing does not disarm
        {1000, 0, {{5000, false}}},                                // 0 ms disarms
        {0xFFFFFF00u, 0x200, {{0xFFFFFFF0u, false}, {0x50, false}, {0x100, true}}},
    };
    SetClockProc(FakeClock);
    for (auto &row : table) {
        g_dwNow = row.dwStart;
        WM_ALARM *a = CreateAlarm();
        EXPECT_FALSE(AlarmFired(a));  // created disarmed
        ArmAlarm(a, 10);
        ArmAlarm(a, row.dwArm);
        for (auto &check : row.checks) {
            g_dwNow = check.first;
            EXPECT_EQ(check.second, (bool)AlarmFired(a)) << std::hex << row.dwStart << " at " << check.first;
        }
        FreeAlarm(a);
    }
    SetClockProc(NULL);
}

// A record as a set-up remote has it; state 0 keeps any transfer from tearing it down.
struct Remote {
    WM_DEVICE dev = {};
    Remote(DWORD dwReport, int nExtType = WMEXT_NONE) {
        dev.dwReport = dwReport;
        dev.nExtType = nExtType;
        dev.bExtConnected = nExtType != WMEXT_NONE;
        const BYTE abCal[6] = {0x80, 0x81, 0x82, 0x9A, 0x9B, 0x9C};
        memcpy(dev.abAccelCal, abCal, 6);
    }
    // Loads a report: its bytes from the id on, with the six extension bytes at nExtAt if given.
    int Feed(std::initializer_list<int> bytes, const BYTE *pbExt = nullptr, int nExtAt = 0) {
        memset(dev.abInput, 0, sizeof(dev.abInput));
        int i = 0;
        for (int b : bytes)
            dev.abInput[i++] = (BYTE)b;
        if (pbExt)
            memcpy(dev.abInput + nExtAt, pbExt, 6);
        return DispatchReport(&dev) == IO_DONE;
    }
};

TEST(Decode, AccelerometerAgainstItsCalibration) {
    struct { BYTE abRaw[3]; int anExpected[3]; } table[] = {
        {{0x80, 0x81, 0x82}, {0, 0, 0}},
        {{0x9A, 0x9B, 0x9C}, {100, 100, 100}},
        {{0x7F, 0x00, 0xFF}, {-3, -496, 480}},  // truncated toward zero
    };
    for (auto &row : table) {
        Remote r(WMRPT_KEYS | WMRPT_ACCEL);
        ASSERT_TRUE(r.Feed({0x31, 0, 0, row.abRaw[0], row.abRaw[1], row.abRaw[2]}));
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(row.anExpected[i], r.dev.anAccel[i]) << (int)row.abRaw[i];
    }
    Remote r(WMRPT_KEYS | WMRPT_ACCEL);  // an uncalibrated axis keeps its value
    memset(r.dev.abAccelCal, 0, sizeof(r.dev.abAccelCal));
    r.dev.anAccel[1] = 7;
    ASSERT_TRUE(r.Feed({0x31, 0, 0, 0x10, 0x20, 0x30}));
    EXPECT_EQ(7, r.dev.anAccel[1]);
}

// Reports that must leave the record (or part of it) alone.
TEST(Decode, WhatIsNotReportedStaysAlone) {
    Remote keysOnly(WMRPT_KEYS);  // data report 0x31 while only keys are asked for
    INPUT_SNAPSHOT snap;
    TakeInputSnapshot(&keysOnly.dev, &snap);
    ASSERT_TRUE(keysOnly.Feed({0x31, 0x60 | 0x80, 0x08 | 0x60, 0x10, 0x20, 0x30}));  // A and unused bits
    EXPECT_EQ(0, keysOnly.dev.anAccel[0]);
    DWORD adwMask[2];
    InputChangeMasks(&keysOnly.dev, &snap, adwMask);
    EXPECT_EQ(1u << KEY_A, adwMask[0]);
    EXPECT_EQ(0u, adwMask[1]);

    for (int nId : {0x00, 0x22, 0x38, 0x3D, 0x3E, 0x3F, 0xFF}) {
        Remote r(WMRPT_KEYS | WMRPT_ACCEL);
        EXPECT_FALSE(r.Feed({nId, 0xFF, 0xFF, 0x10, 0x10, 0x10})) << nId;
        EXPECT_EQ(0, r.dev.abKey[KEY_LEFT] + r.dev.abKey[KEY_A] + r.dev.anAccel[0]) << nId;
    }

    const BYTE abFF[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};  // an extension not yet ready
    Remote classic(WMRPT_KEYS | WMRPT_EXTENSION, WMEXT_CLASSIC);
    classic.dev.Ext.Classic.anValue[CLS_LX] = 55;
    ASSERT_TRUE(classic.Feed({0x32}, abFF, 3));
    EXPECT_EQ(55, classic.dev.Ext.Classic.anValue[CLS_LX]);

    const BYTE e[6] = {1, 2, 3, 4, 5, 6};
    Remote bad(WMRPT_KEYS | WMRPT_EXTENSION, 7);
    EXPECT_FALSE(bad.Feed({0x32}, e, 3));
    EXPECT_EQ((DWORD)WME_BAD_EXTENSION, GetLastError());
    Remote none(WMRPT_KEYS | WMRPT_EXTENSION, WMEXT_NONE);
    ASSERT_TRUE(none.Feed({0x32}, e, 3));
    for (BYTE b : none.dev.Ext.ab)
        EXPECT_EQ(0, b);
}

void CalibrateNunchuk(WM_DEVICE *pDev, BYTE bStickXMax, BYTE bStickYMax) {
    NUNCHUK_CAL *p = &pDev->ExtCal.Nunchuk;
    for (int i = 0; i < 3; i++) {
        p->anAccelZero[i] = 0x80 * 4;
        p->anAccelOne[i] = 0xB3 * 4;
    }
    p->bStickXMax = bStickXMax; p->bStickXMin = 0x20; p->bStickXCentre = 0x80;
    p->bStickYMax = bStickYMax; p->bStickYMin = 0x40; p->bStickYCentre = 0x80;
}

TEST(Decode, NunchukAgainstItsCalibration) {
    Remote r(WMRPT_KEYS | WMRPT_ACCEL | WMRPT_EXTENSION, WMEXT_NUNCHUK);
    CalibrateNunchuk(&r.dev, 0xE0, 0xE0);
    // Stick full right and centre; accelerometer X one-g, Y zero-g plus low bits 3, Z zero-g; C pressed.
    const BYTE e[6] = {0xE0, 0x80, 0xB3, 0x80, 0x80, (BYTE)(0x01 | (3 << 4))};
    ASSERT_TRUE(r.Feed({0x35}, e, 6));
    const NUNCHUK_STATE &n = r.dev.Ext.Nunchuk;
    const int anExpected[NUN_VALUES] = {100, 0, 100, 1, 0};
    for (int i = 0; i < NUN_VALUES; i++)
        EXPECT_EQ(anExpected[i], n.anValue[i]) << i;
    EXPECT_EQ(1, n.bC);
    EXPECT_EQ(0, n.bZ);

    Remote bare(WMRPT_KEYS | WMRPT_EXTENSION, WMEXT_NUNCHUK);  // no usable stick range
    CalibrateNunchuk(&bare.dev, 0, 0x40);
    const BYTE e2[6] = {0xFF, 0x00, 0x80, 0x80, 0x80, 0x03};
    ASSERT_TRUE(bare.Feed({0x32}, e2, 3));
    EXPECT_EQ(0, bare.dev.Ext.Nunchuk.anValue[NUN_STICK_X]);
    EXPECT_EQ(0, bare.dev.Ext.Nunchuk.anValue[NUN_STICK_Y]);
}

TEST(Decode, ClassicSticksAndTriggersFromTheirBitFields) {
    Remote r(WMRPT_KEYS | WMRPT_EXTENSION, WMEXT_CLASSIC_PRO);
    const BYTE left[3] = {60, 6, 32}, right[3] = {30, 3, 16};
    for (int a = 0; a < 4; a++)
        memcpy(r.dev.ExtCal.Classic.abStick[a], a < 2 ? left : right, 3);
    for (int t = 0; t < 2; t++)
        r.dev.ExtCal.Classic.abTrigger[t][CAL_MAX] = 31;
    struct { BYTE e[6]; int anExpected[CLS_VALUES]; } table[] = {
        // LX 60, LY 32, RX 16 (bits 4..3 = 2), RY 3, LT 0, RT 31
        {{(BYTE)(60 | (2 << 6)), 32, 3, 31, 0xFF, 0xFF}, {103, 0, 0, -96, 0, 100}},
        // LT 31 spread over e2 bits 6..5 and e3 bits 7..5
        {{32, 32, (BYTE)(3 << 5), (BYTE)(7 << 5), 0xFF, 0xFF}, {0, 0, -118, -118, 100, 0}},
    };
    for (auto &row : table) {
        ASSERT_TRUE(r.Feed({0x32}, row.e, 3));
        for (int i = 0; i < CLS_VALUES; i++)
            EXPECT_EQ(row.anExpected[i], r.dev.Ext.Classic.anValue[i]) << i;
    }
}

TEST(Decode, StatusFlagsBatteryAndTheirChangeMask) {
    Remote r(WMRPT_KEYS | WMRPT_ACCEL);
    ASSERT_TRUE(r.Feed({0x20, 0, 0, 0x90 | 0x04, 0, 0, 0xC8}));  // LEDs 1 and 4, speaker on
    EXPECT_EQ(200, r.dev.nBattery);
    EXPECT_EQ(1, r.dev.bBatteryOk);
    EXPECT_EQ(1, r.dev.bSpeaker);
    EXPECT_EQ(0, r.dev.bIrCamera);
    const BYTE abLed[4] = {1, 0, 0, 1};
    EXPECT_EQ(0, memcmp(abLed, r.dev.abLed, 4));
    struct { BYTE bFlags, bBattery; DWORD dwMask; } table[] = {
        {0x94, 0xC7, WMST_BATTERY}, {0x95, 0xC7, WMST_BATTERY}, {0x35, 0xC7, WMST_LED},
    };
    for (auto &row : table) {
        STATUS_SNAPSHOT snap;
        TakeStatusSnapshot(&r.dev, &snap);
        ASSERT_TRUE(r.Feed({0x20, 0, 0, row.bFlags, 0, 0, row.bBattery}));
        EXPECT_EQ(row.dwMask, StatusChangeMask(&r.dev, &snap)) << (int)row.bFlags;
    }
    EXPECT_EQ(0, r.dev.bBatteryOk);
}

}  // namespace
