// Input reports decoded into a remote's record, from report bytes alone (no device).
#include <gtest/gtest.h>

#include <string.h>

#include <initializer_list>
#include <random>

#include "decode.h"
#include "frame.h"
#include "transport.h"

namespace {

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
    // Loads a report: id, then bytes from position 1.
    int Feed(std::initializer_list<int> bytes) {
        memset(dev.abInput, 0, sizeof(dev.abInput));
        int i = 0;
        for (int b : bytes)
            dev.abInput[i++] = (BYTE)b;
        return DispatchReport(&dev) == IO_DONE;
    }
    int FeedExt(BYTE bId, int nStart, const BYTE e[6]) {
        memset(dev.abInput, 0, sizeof(dev.abInput));
        dev.abInput[0] = bId;
        memcpy(dev.abInput + nStart, e, 6);
        return DispatchReport(&dev) == IO_DONE;
    }
};

TEST(DecodeKeys, EveryButtonBitLandsInItsField) {
    struct { int nByte, nBit, nKey; } table[] = {
        {2, 3, KEY_A},  {2, 2, KEY_B},  {2, 4, KEY_MINUS}, {2, 7, KEY_HOME}, {1, 4, KEY_PLUS}, {2, 1, KEY_ONE},
        {2, 0, KEY_TWO}, {1, 3, KEY_UP}, {1, 2, KEY_DOWN},  {1, 0, KEY_LEFT}, {1, 1, KEY_RIGHT},
    };
    for (auto &row : table) {
        Remote r(WMRPT_KEYS);
        int b1 = row.nByte == 1 ? 1 << row.nBit : 0, b2 = row.nByte == 2 ? 1 << row.nBit : 0;
        ASSERT_TRUE(r.Feed({0x30, b1, b2}));
        for (int k = 0; k < KEY_COUNT; k++)
            EXPECT_EQ(k == row.nKey ? 1 : 0, r.dev.abKey[k]) << "byte " << row.nByte << " bit " << row.nBit;
    }
}

TEST(DecodeKeys, UnusedBitsAreIgnored) {
    Remote r(WMRPT_KEYS);
    ASSERT_TRUE(r.Feed({0x30, 0x60 | 0x80, 0x60}));  // bits 5..7 of byte 1, 5..6 of byte 2
    for (int k = 0; k < KEY_COUNT; k++)
        EXPECT_EQ(0, r.dev.abKey[k]);
}

TEST(DecodeAccel, CalibrationPointsGiveZeroAndOneG) {
    Remote r(WMRPT_KEYS | WMRPT_ACCEL);
    ASSERT_TRUE(r.Feed({0x31, 0, 0, 0x80, 0x81, 0x82}));
    EXPECT_EQ(0, r.dev.anAccel[0]);
    EXPECT_EQ(0, r.dev.anAccel[1]);
    EXPECT_EQ(0, r.dev.anAccel[2]);
    ASSERT_TRUE(r.Feed({0x31, 0, 0, 0x9A, 0x9B, 0x9C}));
    EXPECT_EQ(100, r.dev.anAccel[0]);
    EXPECT_EQ(100, r.dev.anAccel[1]);
    EXPECT_EQ(100, r.dev.anAccel[2]);
    ASSERT_TRUE(r.Feed({0x31, 0, 0, 0x7F, 0x00, 0xFF}));
    EXPECT_EQ(-3, r.dev.anAccel[0]);    // -100 / 26 truncates toward zero
    EXPECT_EQ(-496, r.dev.anAccel[1]);  // -129 * 100 / 26
    EXPECT_EQ(480, r.dev.anAccel[2]);   // (0xFF - 0x82) * 100 / 26 = 480.7
}

TEST(DecodeAccel, UncalibratedAxisKeepsItsValue) {
    Remote r(WMRPT_KEYS | WMRPT_ACCEL);
    memset(r.dev.abAccelCal, 0, sizeof(r.dev.abAccelCal));
    r.dev.anAccel[1] = 7;
    ASSERT_TRUE(r.Feed({0x31, 0, 0, 0x10, 0x20, 0x30}));
    EXPECT_EQ(0, r.dev.anAccel[0]);
    EXPECT_EQ(7, r.dev.anAccel[1]);
    EXPECT_EQ(0, r.dev.anAccel[2]);
}

TEST(DecodeAccel, KeysOnlyReportingLeavesAccelerometerAndItsMaskAlone) {
    Remote r(WMRPT_KEYS);
    INPUT_SNAPSHOT snap;
    TakeInputSnapshot(&r.dev, &snap);
    ASSERT_TRUE(r.Feed({0x31, 0x00, 0x08, 0x10, 0x20, 0x30}));
    EXPECT_EQ(1, r.dev.abKey[KEY_A]);
    EXPECT_EQ(0, r.dev.anAccel[0]);
    DWORD adwMask[2];
    InputChangeMasks(&r.dev, &snap, adwMask);
    EXPECT_EQ(1u << KEY_A, adwMask[0]);
    EXPECT_EQ(0u, adwMask[1]);
}

const BYTE kNunchukCal[16] = {0x80, 0x80, 0x80, 0, 0xB3, 0xB3, 0xB3, 0, 0xE0, 0x20, 0x80, 0xE0, 0x20, 0x80, 0, 0};

void CalibrateNunchuk(WM_DEVICE *pDev, const BYTE c[16]) {
    NUNCHUK_CAL *p = &pDev->ExtCal.Nunchuk;
    for (int i = 0; i < 3; i++) {
        p->anAccelZero[i] = (short)(c[i] * 4);
        p->anAccelOne[i] = (short)(c[4 + i] * 4);
    }
    p->bStickXMax = c[8]; p->bStickXMin = c[9]; p->bStickXCentre = c[10];
    p->bStickYMax = c[11]; p->bStickYMin = c[12]; p->bStickYCentre = c[13];
}

TEST(DecodeExtension, NunchukSticksAccelerometerAndInvertedButtons) {
    Remote r(WMRPT_KEYS | WMRPT_ACCEL | WMRPT_EXTENSION, WMEXT_NUNCHUK);
    CalibrateNunchuk(&r.dev, kNunchukCal);
    // Stick full right and centre; accelerometer X one-g, Y zero-g plus its low bits 3, Z zero-g; C pressed.
    const BYTE e[6] = {0xE0, 0x80, 0xB3, 0x80, 0x80, (BYTE)(0x01 | (3 << 4))};
    ASSERT_TRUE(r.FeedExt(0x35, 6, e));
    const NUNCHUK_STATE &n = r.dev.Ext.Nunchuk;
    EXPECT_EQ(100, n.anValue[NUN_STICK_X]);  // (0xE0 - 0x80) * 200 / 0xC0
    EXPECT_EQ(0, n.anValue[NUN_STICK_Y]);
    EXPECT_EQ(100, n.anValue[NUN_ACC_X]);
    EXPECT_EQ(1, n.anValue[NUN_ACC_Y]);      // 3 * 100 / 204
    EXPECT_EQ(0, n.anValue[NUN_ACC_Z]);
    EXPECT_EQ(1, n.bC);
    EXPECT_EQ(0, n.bZ);
}

TEST(DecodeExtension, NunchukStickWithoutMaximumIsNeverConverted) {
    Remote r(WMRPT_KEYS | WMRPT_EXTENSION, WMEXT_NUNCHUK);
    BYTE cal[16];
    memcpy(cal, kNunchukCal, 16);
    cal[8] = 0;  // stick X maximum
    cal[11] = cal[12] = 0x40;  // stick Y maximum equals minimum
    CalibrateNunchuk(&r.dev, cal);
    const BYTE e[6] = {0xFF, 0x00, 0x80, 0x80, 0x80, 0x03};
    ASSERT_TRUE(r.FeedExt(0x32, 3, e));
    EXPECT_EQ(0, r.dev.Ext.Nunchuk.anValue[NUN_STICK_X]);
    EXPECT_EQ(0, r.dev.Ext.Nunchuk.anValue[NUN_STICK_Y]);
}

void CalibrateClassicPro(WM_DEVICE *pDev) {
    const BYTE left[3] = {60, 6, 32}, right[3] = {30, 3, 16};
    for (int a = 0; a < 4; a++)
        memcpy(pDev->ExtCal.Classic.abStick[a], a < 2 ? left : right, 3);
    for (int t = 0; t < 2; t++) {
        pDev->ExtCal.Classic.abTrigger[t][CAL_MAX] = 31;
        pDev->ExtCal.Classic.abTrigger[t][CAL_MIN] = 0;
    }
}

TEST(DecodeExtension, ClassicSticksAndTriggersFromTheirBitFields) {
    Remote r(WMRPT_KEYS | WMRPT_EXTENSION, WMEXT_CLASSIC_PRO);
    CalibrateClassicPro(&r.dev);
    // LX 60, LY 32, RX 16 (bits 4..3 = 2, 2..1 = 0, 0 = 0), RY 3, LT 0, RT 31; no buttons pressed.
    const BYTE e[6] = {(BYTE)(60 | (2 << 6)), 32, 3, 31, 0xFF, 0xFF};
    ASSERT_TRUE(r.FeedExt(0x32, 3, e));
    const CLASSIC_STATE &c = r.dev.Ext.Classic;
    EXPECT_EQ(103, c.anValue[CLS_LX]);  // (60 - 32) * 200 / 54
    EXPECT_EQ(0, c.anValue[CLS_LY]);
    EXPECT_EQ(0, c.anValue[CLS_RX]);
    EXPECT_EQ(-96, c.anValue[CLS_RY]);  // (3 - 16) * 200 / 27
    EXPECT_EQ(0, c.anValue[CLS_LT]);
    EXPECT_EQ(100, c.anValue[CLS_RT]);
    for (int i = 0; i < CLASSIC_BUTTONS; i++)
        EXPECT_EQ(0, c.abButton[i]);

    // Left trigger 31 spread over e2 bits 6..5 and e3 bits 7..5.
    const BYTE e2[6] = {32, 32, (BYTE)(3 << 5), (BYTE)(7 << 5), 0xFF, 0xFF};
    ASSERT_TRUE(r.FeedExt(0x32, 3, e2));
    EXPECT_EQ(100, c.anValue[CLS_LT]);
    EXPECT_EQ(0, c.anValue[CLS_RT]);
}

TEST(DecodeExtension, EveryClassicButtonFromItsBit) {
    // a, b, Minus, Home, Plus, x, y, Up, Down, Left, Right, L, R, ZL, ZR as (byte e4/e5, bit).
    const int table[CLASSIC_BUTTONS][2] = {{5, 4}, {5, 6}, {4, 4}, {4, 3}, {4, 2}, {5, 3}, {5, 5}, {5, 0},
                                           {4, 6}, {5, 1}, {4, 7}, {4, 5}, {4, 1}, {5, 7}, {5, 2}};
    for (int nButton = 0; nButton < CLASSIC_BUTTONS; nButton++) {
        Remote r(WMRPT_KEYS | WMRPT_EXTENSION, WMEXT_CLASSIC);
        BYTE e[6] = {32, 32, 16, 0, 0xFF, 0xFF};
        e[table[nButton][0]] &= (BYTE)~(1 << table[nButton][1]);  // 0 on the wire is pressed
        ASSERT_TRUE(r.FeedExt(0x32, 3, e));
        for (int i = 0; i < CLASSIC_BUTTONS; i++)
            EXPECT_EQ(i == nButton ? 1 : 0, r.dev.Ext.Classic.abButton[i]) << "button " << nButton;
    }
}

TEST(DecodeExtension, AllFFBytesLeaveTheExtensionStateAlone) {
    Remote r(WMRPT_KEYS | WMRPT_EXTENSION, WMEXT_CLASSIC);
    CalibrateClassicPro(&r.dev);
    r.dev.Ext.Classic.anValue[CLS_LX] = 55;
    r.dev.Ext.Classic.abButton[3] = 1;
    memset(r.dev.abInput, 0xFF, sizeof(r.dev.abInput));
    r.dev.abInput[0] = 0x32;
    r.dev.abInput[1] = r.dev.abInput[2] = 0;
    ASSERT_EQ(IO_DONE, DispatchReport(&r.dev));
    EXPECT_EQ(55, r.dev.Ext.Classic.anValue[CLS_LX]);
    EXPECT_EQ(1, r.dev.Ext.Classic.abButton[3]);
}

TEST(DecodeExtension, UnknownKindFailsAndNoKindDecodesNothing) {
    const BYTE e[6] = {1, 2, 3, 4, 5, 6};
    Remote bad(WMRPT_KEYS | WMRPT_EXTENSION, 7);
    EXPECT_FALSE(bad.FeedExt(0x32, 3, e));
    EXPECT_EQ((DWORD)WME_BAD_EXTENSION, GetLastError());

    Remote none(WMRPT_KEYS | WMRPT_EXTENSION, WMEXT_NONE);
    ASSERT_TRUE(none.FeedExt(0x32, 3, e));
    for (BYTE b : none.dev.Ext.ab)
        EXPECT_EQ(0, b);
}

TEST(DispatchReport, UnhandledIdsFailAndChangeNothing) {
    for (int nId : {0x00, 0x22, 0x38, 0x3D, 0x3E, 0x3F, 0xFF}) {
        Remote r(WMRPT_KEYS | WMRPT_ACCEL);
        EXPECT_FALSE(r.Feed({nId, 0xFF, 0xFF, 0x10, 0x10, 0x10})) << nId;
        for (int k = 0; k < KEY_COUNT; k++)
            EXPECT_EQ(0, r.dev.abKey[k]);
        EXPECT_EQ(0, r.dev.anAccel[0]);
    }
}

TEST(DecodeStatus, FlagsBatteryAndTheirChangeMask) {
    Remote r(WMRPT_KEYS | WMRPT_ACCEL);
    ASSERT_TRUE(r.Feed({0x20, 0, 0, 0x90 | 0x04, 0, 0, 0xC8}));  // LEDs 1 and 4, speaker on
    EXPECT_EQ(200, r.dev.nBattery);
    EXPECT_EQ(1, r.dev.bBatteryOk);
    EXPECT_EQ(1, r.dev.bSpeaker);
    EXPECT_EQ(0, r.dev.bIrCamera);
    const BYTE abLed[4] = {1, 0, 0, 1};
    EXPECT_EQ(0, memcmp(abLed, r.dev.abLed, 4));

    STATUS_SNAPSHOT snap;
    TakeStatusSnapshot(&r.dev, &snap);
    ASSERT_TRUE(r.Feed({0x20, 0, 0, 0x94, 0, 0, 0xC7}));  // battery level only
    EXPECT_EQ((DWORD)WMST_BATTERY, StatusChangeMask(&r.dev, &snap));
    TakeStatusSnapshot(&r.dev, &snap);
    ASSERT_TRUE(r.Feed({0x20, 0, 0, 0x95, 0, 0, 0xC7}));  // battery-low flag only
    EXPECT_EQ(0, r.dev.bBatteryOk);
    EXPECT_EQ((DWORD)WMST_BATTERY, StatusChangeMask(&r.dev, &snap));
    TakeStatusSnapshot(&r.dev, &snap);
    ASSERT_TRUE(r.Feed({0x20, 0, 0, 0x35, 0, 0, 0xC7}));  // LEDs only
    EXPECT_EQ((DWORD)WMST_LED, StatusChangeMask(&r.dev, &snap));
}

// Random and malformed reports never crash, write outside the record or leave it inconsistent.
TEST(DecodeFuzz, RandomReportsKeepTheRecordConsistent) {
    struct Guarded {
        BYTE abBefore[64];
        WM_DEVICE dev;
        BYTE abAfter[64];
    };
    std::mt19937 rng(20261206);
    for (int nRound = 0; nRound < 4; nRound++) {
        Guarded g;
        memset(&g, 0xA5, sizeof(g));
        memset(&g.dev, 0, sizeof(g.dev));
        g.dev.nExtType = nRound;  // each kind, with random calibration
        g.dev.dwReport = 0x0F;
        for (BYTE &b : g.dev.ExtCal.ab)
            b = (BYTE)rng();
        for (BYTE &b : g.dev.abAccelCal)
            b = (BYTE)rng();
        for (int i = 0; i < 5000; i++) {
            for (BYTE &b : g.dev.abInput)
                b = (BYTE)rng();
            // Mostly ids the decoder handles, sometimes any byte; status reports keep the extension flag
            // as it is, so no transfer is attempted.
            int nPick = (int)(rng() % 12);
            g.dev.abInput[0] = nPick < 8 ? (BYTE)(0x30 + nPick) : nPick < 10 ? (BYTE)0x20 : (BYTE)rng();
            if (g.dev.abInput[0] == 0x20)
                g.dev.abInput[3] = (BYTE)((g.dev.abInput[3] & ~0x02) | (g.dev.bExtConnected << 1));
            DispatchReport(&g.dev);
            for (BYTE b : g.dev.abKey)
                ASSERT_LE(b, 1);
            for (BYTE b : g.dev.abLed)
                ASSERT_LE(b, 1);
            ASSERT_EQ(nRound, g.dev.nExtType);
        }
        for (int i = 0; i < 64; i++) {
            ASSERT_EQ(0xA5, g.abBefore[i]);
            ASSERT_EQ(0xA5, g.abAfter[i]);
        }
        if (nRound == WMEXT_NUNCHUK) {
            EXPECT_LE(g.dev.Ext.Nunchuk.bC, 1);
            EXPECT_LE(g.dev.Ext.Nunchuk.bZ, 1);
        } else if (nRound >= WMEXT_CLASSIC) {
            for (BYTE b : g.dev.Ext.Classic.abButton)
                EXPECT_LE(b, 1);
        }
    }
}

}  // namespace
