// Smoothing filters, filter banks and alarms of the per-remote record.
#include <gtest/gtest.h>

#include "device.h"

namespace {

DWORD g_dwFakeNow;
DWORD WINAPI FakeClock() { return g_dwFakeNow; }

struct FakeClockScope {
    explicit FakeClockScope(DWORD dwNow) { g_dwFakeNow = dwNow; SetClockProc(FakeClock); }
    ~FakeClockScope() { SetClockProc(NULL); }
};

TEST(Filter, SingleSamplePassesEverySampleUnchanged) {
    WM_FILTER *f = CreateFilter(1);
    for (int s : {5, -7, 300, 0, 12})
        EXPECT_EQ(s, FilterSample(f, s));
    FreeFilter(f);
}

TEST(Filter, ThreeSamplesWeightNewestMost) {
    WM_FILTER *f = CreateFilter(3);
    EXPECT_EQ(0, FilterSample(f, 0));    // primes every entry
    EXPECT_EQ(15, FilterSample(f, 30));  // (3*30 + 2*0 + 1*0) * 2 / 12
    EXPECT_EQ(25, FilterSample(f, 30));  // (3*30 + 2*30 + 0) * 2 / 12
    EXPECT_EQ(30, FilterSample(f, 30));
    EXPECT_EQ(15, FilterSample(f, 0));   // (3*0 + 2*30 + 1*30) * 2 / 12
    FreeFilter(f);
}

TEST(Filter, NegativeMeansTruncateTowardZero) {
    WM_FILTER *f = CreateFilter(2);
    EXPECT_EQ(-1, FilterSample(f, -1));
    EXPECT_EQ(-1, FilterSample(f, -2));  // -10 / 6
    FreeFilter(f);
}

TEST(Filter, FirstSamplePrimesWholeWindow) {
    WM_FILTER *f = CreateFilter(4);
    EXPECT_EQ(80, FilterSample(f, 80));
    EXPECT_EQ(80, FilterSample(f, 80));  // the window holds 80 everywhere, not zeros
    FreeFilter(f);
}

TEST(FilterBank, CreatesAndReleasesPerKind) {
    WM_DEVICE dev = {};
    dev.nSmoothing = 5;
    ASSERT_TRUE(FilterBank(&dev, FILTER_CREATE, 0));
    for (WM_FILTER *f : dev.apAccelFilter) {
        ASSERT_NE(nullptr, f);
        EXPECT_EQ(5, f->nCount);
        EXPECT_FALSE(f->bPrimed);
    }
    ASSERT_TRUE(FilterBank(&dev, FILTER_CREATE, 3));
    for (int i = 0; i < 4; i++)
        EXPECT_NE(nullptr, dev.Ext.Classic.apFilter[i]);
    EXPECT_EQ(nullptr, dev.Ext.Classic.apFilter[CLS_LT]);  // the PRO has no analog triggers
    EXPECT_EQ(nullptr, dev.Ext.Classic.apFilter[CLS_RT]);

    FilterBank(&dev, FILTER_RELEASE, 0);
    FilterBank(&dev, FILTER_RELEASE, 3);
    for (WM_FILTER *f : dev.apAccelFilter)
        EXPECT_EQ(nullptr, f);
    for (WM_FILTER *f : dev.Ext.Classic.apFilter)
        EXPECT_EQ(nullptr, f);
}

TEST(FilterBank, NoSmoothingCreatesNothing) {
    WM_DEVICE dev = {};
    ASSERT_TRUE(FilterBank(&dev, FILTER_CREATE, 1));
    for (WM_FILTER *f : dev.Ext.Nunchuk.apFilter)
        EXPECT_EQ(nullptr, f);
    EXPECT_EQ(42, FilterValue(dev.Ext.Nunchuk.apFilter[0], 42));
}

TEST(Alarm, ZeroMillisecondsDisarmsInsteadOfFiring) {
    FakeClockScope clock(1000);
    WM_ALARM *a = CreateAlarm();
    ArmAlarm(a, 10);
    ArmAlarm(a, 0);
    g_dwFakeNow = 5000;
    EXPECT_FALSE(AlarmFired(a));
    FreeAlarm(a);
}

TEST(Alarm, FiresAtAndAfterDeadlineAndStaysFired) {
    FakeClockScope clock(1000);
    WM_ALARM *a = CreateAlarm();
    EXPECT_FALSE(AlarmFired(a));  // created disarmed
    ArmAlarm(a, 500);
    g_dwFakeNow = 1499;
    EXPECT_FALSE(AlarmFired(a));
    g_dwFakeNow = 1500;
    EXPECT_TRUE(AlarmFired(a));
    g_dwFakeNow = 9000;
    EXPECT_TRUE(AlarmFired(a));  // firing does not disarm
    FreeAlarm(a);
}

TEST(Alarm, SurvivesWrapOfMillisecondCount) {
    FakeClockScope clock(0xFFFFFF00u);
    WM_ALARM *a = CreateAlarm();
    ArmAlarm(a, 0x200);  // deadline wraps to 0x100
    g_dwFakeNow = 0xFFFFFFF0u;
    EXPECT_FALSE(AlarmFired(a));  // a plain unsigned >= would fire here
    g_dwFakeNow = 0x50;
    EXPECT_FALSE(AlarmFired(a));
    g_dwFakeNow = 0x100;
    EXPECT_TRUE(AlarmFired(a));
    FreeAlarm(a);
}

}  // namespace
