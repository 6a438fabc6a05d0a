// The remote as a pointer: the bar among the camera's dots, the 1-euro filter, the gyro's
// motion, and the pointer in the engine's cycles.
#include "engine_fake.h"

#include <math.h>

#include <algorithm>
#include <vector>

#include "pointer.h"

namespace {

WM_IR Camera(std::vector<POINT> dots)
{
    WM_IR ir = { WMIR_ON, WMIR_FORMAT_EXTENDED, (int)dots.size(), {} };
    for (int i = 0; i < WM_IR_DOTS; i++)
        ir.aDot[i] = i < (int)dots.size() ? WM_IR_DOT{ 1, (int)dots[i].x, (int)dots[i].y, 2 } : WM_IR_DOT{ 0, -1, -1, -1 };
    return ir;
}

}  // namespace

// Area 50: the screen spans camera x 256..768, and 384 rows centred a half area away from the
// bar's side (192 with the bar above, 576 below). Dots moving left and down move the pointer
// right and up.
TEST(Pointer, DotsGiveTheScreenPoint)
{
    struct Case {
        const char *name; int bar; std::vector<POINT> dots; int accX, accZ; int found; double x, y, spread = 0;
    } cases[] = {
        { "centre, bar above", BAR_ABOVE, { { 462, 192 }, { 562, 192 } }, 0, 100, BAR_SEEN, 0.5, 0.5 },
        { "centre, bar below", BAR_BELOW, { { 462, 576 }, { 562, 576 } }, 0, 100, BAR_SEEN, 0.5, 0.5 },
        { "left and down", BAR_ABOVE, { { 512, 288 }, { 412, 288 } }, 0, 100, BAR_SEEN, 0.59766, 0.25 },
        { "level at 0 degrees", BAR_BELOW, { { 462, 484 }, { 562, 484 } }, 0, 100, BAR_SEEN, 0.5, 0.73958 },
        { "the same at 90 degrees", BAR_BELOW, { { 612, 334 }, { 612, 434 } }, 100, 0, BAR_SEEN, 0.5, 0.73958 },
        { "no accelerometer: not level", BAR_BELOW, { { 612, 334 }, { 612, 434 } }, -1, -1, BAR_PART, 0, 0 },
        { "a stray third dot", BAR_ABOVE, { { 700, 20 }, { 462, 192 }, { 562, 192 } }, 0, 100, BAR_SEEN, 0.5, 0.5 },
        { "a lamp level with it, nearer the last width", BAR_ABOVE, { { 462, 192 }, { 900, 192 }, { 562, 192 } },
          0, 100, BAR_SEEN, 0.5, 0.5, 110 },
        { "edges clamp", BAR_ABOVE, { { 0, 900 }, { 40, 900 } }, 0, 100, BAR_SEEN, 1, 0 },
        { "one dot", BAR_ABOVE, { { 462, 192 } }, 0, 100, BAR_PART, 0, 0 },
        { "none", BAR_ABOVE, {}, 0, 100, BAR_NONE, 0, 0 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        POINTER_SETTING setting = { POINTER_IR, (BYTE)c.bar, 50, POINTER_NO_SLOT, 0, POINTER_NO_SLOT };
        WM_IR ir = Camera(c.dots);
        WM_KEY key = {};
        key.nAccX = c.accX;
        key.nAccZ = c.accZ;
        double spread = c.spread, camX = -1, camY = -1, x = -1, y = -1;
        ASSERT_EQ(c.found, FindSensorBar(&ir, &key, &spread, &camX, &camY));
        if (c.found != BAR_SEEN)
            continue;
        CameraToScreen(&setting, camX, camY, &x, &y);
        EXPECT_NEAR(c.x, x, 1e-4);
        EXPECT_NEAR(c.y, y, 1e-4);
    }
}

// Camera jitter of +-0.002 of the screen (about a camera pixel) stays within a pixel of 1280
// once settled; a jump across most of the screen is followed within 4 cycles.
TEST(Pointer, FilterSteadiesAStillPointAndFollowsAFastOne)
{
    ONE_EURO still = {}, fast = {};
    unsigned seed = 12345;
    double worst = 0;
    for (int i = 0; i < 300; i++) {
        seed = (seed * 1103515245u + 12345u) & 0x7fffffff;
        double out = FilterOneEuro(&still, 0.5 + 0.002 * (2.0 * seed / 0x7fffffff - 1), 0.01);
        if (i >= 50)
            worst = std::max(worst, fabs(out - 0.5));
    }
    EXPECT_LT(worst, 1.0 / 1280);
    for (int i = 0; i < 50; i++)
        FilterOneEuro(&fast, 0.2, 0.01);
    double out = 0;
    for (int i = 0; i < 4; i++)
        out = FilterOneEuro(&fast, 0.8, 0.01);
    EXPECT_NEAR(0.8, out, 0.005);
}

// Pixels over a second of 10 ms cycles: 2 pixels per degree per speed step, the fractions
// carried, nothing inside the dead band or before the gyro is calibrated.
TEST(Pointer, GyroMovesByRateTimesTime)
{
    struct Case {
        const char *name; int yaw, pitch, speed, calibrated, state; LONG dx, dy;
    } cases[] = {
        { "yaw left", 1000, 0, 8, 1, WMMP_ON, -160, 0 },
        { "pitch down, slowest", 0, -2000, 1, 1, WMMP_ON, 0, 40 },
        { "speed 0 is the default", -1000, 1000, 0, 1, WMMP_ON, 160, -160 },
        { "at the dead band", 150, 0, 8, 1, WMMP_ON, -24, 0 },
        { "inside it", 149, -149, 8, 1, WMMP_ON, 0, 0 },
        { "not calibrated", 1000, 1000, 8, 0, WMMP_ON, 0, 0 },
        { "starting", 1000, 1000, 8, 1, WMMP_STARTING, 0, 0 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        GYRO_POINTER gyro = {};
        WM_MOTION motion = { c.state, c.yaw, 0, c.pitch, 0, 0, 0, c.calibrated };
        LONG dx = 0, dy = 0;
        for (int i = 0; i < 100; i++) {
            LONG x, y;
            TrackGyroPointer(&gyro, &motion, c.speed, 10, &x, &y);
            dx += x;
            dy += y;
        }
        EXPECT_NEAR(c.dx, dx, 1);
        EXPECT_NEAR(c.dy, dy, 1);
    }
}

TEST(Pointer, SlotsAndReportsFollowTheMode)
{
    ASSIGNMENT_SET set;
    InitAssignmentSet(&set);
    set.Pointer.nOffScreenSlot = 3;
    set.Pointer.nHoldSlot = 5;
    const struct { int use3, use5; DWORD reports; } modes[POINTER_MODES] = {
        { POINTER_USE_NONE, POINTER_USE_NONE, 0 }, { POINTER_USE_OFFSCREEN, POINTER_USE_NONE, WMRPT_ACCEL | WMRPT_IR },
        { POINTER_USE_NONE, POINTER_USE_HOLD, WMRPT_MOTION } };
    for (int mode = 0; mode < POINTER_MODES; mode++) {
        set.Pointer.nMode = (BYTE)mode;
        EXPECT_EQ(modes[mode].use3, PointerUseOfSlot(&set, 3));
        EXPECT_EQ(modes[mode].use5, PointerUseOfSlot(&set, 5));
        EXPECT_EQ(modes[mode].reports, PointerReportFlags(&set));
    }
}

// The bar moves the pointer when its point changes; out of view for two cycles the off-screen
// slot's key goes down, and up again when the bar is back (the point jumping there) or the set stops.
TEST_F(EngineTest, IrPointsAndHoldsTheOffScreenSlotWhileTheBarIsAway)
{
    g_CurrentSet.Pointer = { POINTER_IR, BAR_ABOVE, 50, 1, 0, POINTER_NO_SLOT };
    g_CurrentSet.aAssign[1] = Keys({ 'X' });
    key.nAccZ = 100;
    StoreKeyCopy(&key);
    const std::vector<POINT> bar = { { 462, 192 }, { 562, 192 } }, right = { { 362, 192 }, { 462, 192 } };
    struct Step {
        std::vector<POINT> dots; int running; Calls want;
    } steps[] = {
        { bar, 1, { { "moveto 32768,32768" } } },
        { bar, 1, {} },
        { {}, 1, {} },
        { {}, 1, { { "key 0x58 (2d) down" } } },
        { right, 1, { { "key 0x58 (2d) up" }, { "moveto 45567,32768" } } },
        { {}, 1, {} },
        { {}, 1, { { "key 0x58 (2d) down" } } },
        { {}, 0, { { "key 0x58 (2d) up" } } },
        { bar, 0, {} },
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(::testing::Message() << "step " << &s - steps);
        WM_IR ir = Camera(s.dots);
        StoreIrCopy(&ir);
        Set(RUNNING, s.running);
        Cycle();
        EXPECT_EQ(s.want, Take());
    }
}

// The gyro joins the move slots' one relative move, only while its hold slot is held, whose own
// key acts too; the cycles go on while it turns and idle once it is still.
TEST_F(EngineTest, GyroMovesWhileItsHoldSlotIsHeld)
{
    g_CurrentSet.Pointer = { POINTER_GYRO, BAR_ABOVE, 0, POINTER_NO_SLOT, 10, IN_A };
    g_CurrentSet.aAssign[IN_A] = Keys({ 'Q' });
    g_CurrentSet.aAssign[IN_B] = Mouse(MOUSE_MOVE_RIGHT, 1000);
    WM_MOTION motion = { WMMP_ON, -500, 0, 1000, 0, 0, 0, 1 };
    StoreMotionCopy(&motion);
    Cycle();
    EXPECT_EQ(Calls{}, Take());
    Set(IN_A, 1);
    Set(IN_B, 1);
    Cycle();
    EXPECT_EQ((Calls{ { "key 0x51 (10) down" }, { "move 11,-2" } }), Take());
    Set(IN_B, 0);
    Cycles(9);
    Calls calls = Take();
    EXPECT_EQ(9, std::count(calls.begin(), calls.end(), Call{ "move 1,-2" }));
    g_CurrentSet.Pointer.nHoldSlot = POINTER_NO_SLOT;
    Set(IN_A, 0);
    EXPECT_EQ(ENGINE_CYCLE_MS, RunEngineStep(&state, 0));
    motion.nYaw = motion.nPitch = 100;
    StoreMotionCopy(&motion);
    EXPECT_EQ(INFINITE, RunEngineStep(&state, 0));
}
