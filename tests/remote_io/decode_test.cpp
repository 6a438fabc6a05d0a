// What needs no device: the smoothing filter, and input reports decoded into a remote's record.
#include <gtest/gtest.h>

#include <string.h>

#include <initializer_list>
#include <vector>

#include "decode.h"
#include "frame.h"
#include "transport.h"

namespace {

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

}  // namespace
