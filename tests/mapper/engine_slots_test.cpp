// Key and mouse slots through whole engine cycles, and the stick's sectors.
#include "engine_fake.h"

namespace {

enum { NUN_X = EX + 2, NUN_Y = EX + 3, CLS_ZL = EX + 13, CLS_LT = EX + 19 };
enum { SLOT_C = 11, SLOT_NUN_UP = 13, SLOT_NUN_DOWN = 14, SLOT_NUN_RIGHT = 16, SLOT_CLS_A = 17, SLOT_ZL = 30 };

const Call kCtrlCDown = { "key 0x11 (1d) down", "key 0x43 (2e) down" };
const Call kCtrlCUp = { "key 0x11 (1d) up", "key 0x43 (2e) up" };
const Call kEditingDown = { "key 0x25 (e0 4b) down", "key 0x22 (e0 51) down", "key 0x2d (e0 52) down" };

// Set one input, run cycles of ms each, and the calls those cycles made.
struct Step {
    int input, value, cycles;
    Calls want;
    DWORD ms = ENGINE_CYCLE_MS;
};

struct Scenario {
    const char *name;
    std::vector<std::pair<int, ASSIGNMENT>> slots;
    std::vector<Step> steps;
};

const std::vector<std::pair<int, ASSIGNMENT>> kKeyAndWheel = { { 0, Keys({ 'K' }) }, { 1, Mouse(MOUSE_SCROLL_UP) } };

const Scenario kScenarios[] = {
    // Presses and releases that nobody sees are not acted on when the set acts again.
    { "nothing is sent while stopped", kKeyAndWheel,
      { { RUNNING, 0, 0, {} }, { IN_A, 1, 3, {} }, { IN_B, 1, 3, {} }, { IN_A, 0, 3, {} }, { IN_B, 0, 3, {} },
        { IN_A, 1, 3, {} }, { IN_A, 0, 3, {} }, { RUNNING, 1, 1, {} } } },
    { "nothing is sent without a remote", kKeyAndWheel,
      { { REMOTE, -1, 0, {} }, { IN_A, 1, 3, {} }, { IN_B, 1, 3, {} }, { IN_A, 0, 3, {} }, { IN_B, 0, 3, {} },
        { IN_A, 1, 3, {} }, { IN_A, 0, 3, {} }, { REMOTE, 0, 1, {} } } },
    // While the window holds the lock whole cycles are skipped: J's press and release fall
    // into them, and H, held throughout, is sent again only afterwards.
    { "a busy record lock skips whole cycles", { { 0, Keys({ 'H' }) }, { 1, Keys({ 'J' }) } },
      { { IN_A, 1, 1, { { "key 0x48 (23) down" } } }, { LOCKED, 1, 0, {} }, { IN_B, 1, 5, {} }, { IN_B, 0, 5, {} },
        { LOCKED, 0, 1, { { "key 0x48 (23) down" } } } } },
    { "held keys are sent every cycle and released once", { { 0, Keys({ VK_CONTROL, 'C' }) } },
      { { IN_A, 1, 5, Calls(5, kCtrlCDown) }, { IN_A, 0, 3, { kCtrlCUp } } } },
    // Programs that read scan codes tell the arrows and the editing block from the keypad by
    // the extended prefix alone; the virtual key stays what was assigned. The stop lets go
    // (key by key) and a key still held when running resumes goes down again.
    { "arrows and the editing block carry the extended prefix, other keys not",
      { { 0, Keys({ VK_LEFT, VK_NEXT, VK_INSERT }) }, { 1, Keys({ VK_RMENU, VK_DELETE, VK_RETURN }) } },
      { { IN_A, 1, 1, { kEditingDown } },
        { RUNNING, 0, 1, { { "key 0x22 (e0 51) up" }, { "key 0x25 (e0 4b) up" }, { "key 0x2d (e0 52) up" } } },
        { RUNNING, 1, 1, { kEditingDown } },
        { IN_A, 0, 1, { { "key 0x25 (e0 4b) up", "key 0x22 (e0 51) up", "key 0x2d (e0 52) up" } } },
        { IN_B, 1, 1, { { "key 0xa5 (e0 38) down", "key 0x2e (e0 53) down", "key 0x0d (1c) down" } } } } },
    { "an unreported button counts as pressed", { { 1, Keys({ 'B' }) } },
      { { IN_B, -1, 1, { { "key 0x42 (30) down" } } } } },
    { "a key slot without keys sends nothing", { { 0, Keys({}) } }, { { IN_A, 1, 3, {} } } },
    { "a held print-screen is pressed once, shared by all slots",
      { { 0, Keys({ VK_SNAPSHOT }) }, { 1, Keys({ VK_MENU, VK_SNAPSHOT }) } },
      { { IN_A, 1, 3, { { "key 0x2c (e0 37) down" } } },
        { IN_B, 1, 1, { { "key 0x12 (38) down" } } },
        { IN_A, 0, 1, { { "key 0x2c (e0 37) up" }, { "key 0x12 (38) down", "key 0x2c (e0 37) down" } } },
        { IN_B, 0, 1, { { "key 0x12 (38) up", "key 0x2c (e0 37) up" } } } } },
    // Delay (setting + 1) * 250 ms, interval 400 - 12 * speed ms, counted from the press.
    { "system repeat: 500 ms delay, 40 ms interval", { { 0, Keys({ VK_CONTROL, 'C' }) } },
      { { REPEAT_DELAY, 1, 0, {} }, { REPEAT_SPEED, 30, 0, {} }, { IN_A, 1, 1, { kCtrlCDown } },
        { IN_A, 1, 50, { kCtrlCDown } }, { IN_A, 1, 4, { kCtrlCDown } }, { IN_A, 1, 4, { kCtrlCDown } },
        { IN_A, 0, 3, { kCtrlCUp } } } },
    { "system repeat: 250 ms delay, 400 ms interval", { { 0, Keys({ 'X' }) } },
      { { REPEAT_DELAY, 0, 0, {} }, { REPEAT_SPEED, 0, 0, {} }, { IN_A, 1, 1, { { "key 0x58 (2d) down" } } },
        { IN_A, 1, 25, { { "key 0x58 (2d) down" } } }, { IN_A, 1, 40, { { "key 0x58 (2d) down" } } } } },
    { "a late cycle sends one repeat, the backlog goes one per cycle", { { 0, Keys({ 'X' }) } },
      { { REPEAT_DELAY, 0, 0, {} }, { REPEAT_SPEED, 31, 0, {} }, { IN_A, 1, 1, { { "key 0x58 (2d) down" } } },
        { IN_A, 1, 1, { { "key 0x58 (2d) down" } }, 1000 }, { IN_A, 1, 1, { { "key 0x58 (2d) down" } } } } },
    { "only the newest held slot repeats", { { 0, Keys({ 'A' }) }, { 1, Keys({ 'B' }) } },
      { { REPEAT_DELAY, 0, 0, {} }, { REPEAT_SPEED, 25, 0, {} }, { IN_A, 1, 10, { { "key 0x41 (1e) down" } } },
        { IN_B, 1, 46, Calls(4, { "key 0x42 (30) down" }) },  // the press, the delay at 25, intervals at 35 and 45
        { IN_A, 0, 1, { { "key 0x41 (1e) up" } } },
        { IN_B, 0, 1, { { "key 0x42 (30) up" } } } } },
    { "clicks press and release",
      { { 0, Mouse(MOUSE_LEFT_CLICK) }, { 1, Mouse(MOUSE_MIDDLE_CLICK) }, { 2, Mouse(MOUSE_RIGHT_CLICK) } },
      { { IN_A, 1, 1, { { "mouse LEFTDOWN" } } }, { IN_B, 1, 1, { { "mouse MIDDLEDOWN" } } },
        { IN_MINUS, 1, 2, { { "mouse RIGHTDOWN" } } }, { IN_A, 0, 1, { { "mouse LEFTUP" } } },
        { IN_B, 0, 1, { { "mouse MIDDLEUP" } } }, { IN_MINUS, 0, 2, { { "mouse RIGHTUP" } } } } },
    { "a double click is four calls on the press", { { 0, Mouse(MOUSE_DOUBLE_CLICK) } },
      { { IN_A, 1, 3, { { "mouse LEFTDOWN" }, { "mouse LEFTUP" }, { "mouse LEFTDOWN" }, { "mouse LEFTUP" } } },
        { IN_A, 0, 2, {} } } },
    // Amount in pixels per second; a late cycle moves further, fractions carry over. The
    // move slots of a cycle make one move, sent every cycle while one is held.
    { "moves follow the amount and the elapsed time, both axes in one move",
      { { 0, Mouse(MOUSE_MOVE_RIGHT, 1000) }, { 1, Mouse(MOUSE_MOVE_UP, 50) } },
      { { IN_A, 1, 2, Calls(2, { "move 10,0" }) }, { IN_A, 1, 1, { { "move 25,0" } }, 25 },
        { IN_B, 1, 4, { { "move 10,0" }, { "move 10,-1" }, { "move 10,0" }, { "move 10,-1" } } },
        { IN_A, 0, 4, { { "move 0,0" }, { "move 0,-1" }, { "move 0,0" }, { "move 0,-1" } } },
        { IN_B, 0, 1, {} } } },
    { "the wheel steps every cycle while held, a stick by its deflection; left is negative",
      { { 0, Mouse(MOUSE_SCROLL_DOWN) }, { 1, Mouse(MOUSE_SCROLL_LEFT) }, { 2, Mouse(MOUSE_SCROLL_RIGHT) },
        { SLOT_NUN_DOWN, Mouse(MOUSE_SCROLL_DOWN) } },
      { { EXTENSION, WMEXT_NUNCHUK, 0, {} }, { IN_A, 1, 2, Calls(2, { "wheel -60" }) }, { IN_A, 0, 0, {} },
        { IN_B, 1, 1, { { "hwheel -60" } } }, { IN_B, 0, 0, {} },
        { IN_MINUS, 1, 1, { { "hwheel 60" } } }, { IN_MINUS, 0, 0, {} },
        { NUN_Y, -20, 1, { { "wheel -12" } } } } },  // just past the dead zone
    { "a stick moves the pointer in proportion to its deflection, a diagonal in one move",
      { { SLOT_NUN_UP, Mouse(MOUSE_MOVE_UP, 1000) }, { SLOT_NUN_RIGHT, Mouse(MOUSE_MOVE_RIGHT, 1000) } },
      { { EXTENSION, WMEXT_NUNCHUK, 0, {} }, { NUN_X, 40, 2, Calls(2, { "move 4,0" }) },
        { NUN_Y, 40, 2, Calls(2, { "move 4,-4" }) } } },
    { "a stick at 45 degrees presses up and right; a Nunchuk leaves the Classic slots alone",
      { { SLOT_NUN_UP, Keys({ VK_UP }) }, { SLOT_NUN_RIGHT, Keys({ VK_RIGHT }) }, { SLOT_CLS_A, Keys({ 'Q' }) } },
      { { EXTENSION, WMEXT_NUNCHUK, 0, {} }, { EX, 1, 0, {} }, { NUN_X, 50, 0, {} },
        { NUN_Y, 50, 1, { { "key 0x26 (e0 48) down" }, { "key 0x27 (e0 4d) down" } } } } },
    { "without an extension its slots act on the last values",
      { { SLOT_C, Keys({ 'C' }) }, { SLOT_CLS_A, Keys({ 'A' }) } },
      { { EX, 1, 1, { { "key 0x43 (2e) down" }, { "key 0x41 (1e) down" } } } } },
    { "a Classic leaves the Nunchuk slots alone; a trigger counts from 20, not its button",
      { { SLOT_C, Keys({ 'C' }) }, { SLOT_CLS_A, Keys({ 'A' }) }, { SLOT_ZL, Keys({ 'Z' }) } },
      { { EXTENSION, WMEXT_CLASSIC_PRO, 0, {} }, { EX, 1, 1, { { "key 0x41 (1e) down" } } },
        { EX, 0, 1, { { "key 0x41 (1e) up" } } }, { CLS_LT, 19, 1, {} },
        { CLS_LT, 20, 1, { { "key 0x5a (2c) down" } } }, { CLS_ZL, 1, 0, {} },
        { CLS_LT, 0, 1, { { "key 0x5a (2c) up" } } } } },
};

TEST_F(EngineTest, SlotsThroughCycles)
{
    for (const Scenario &s : kScenarios) {
        SCOPED_TRACE(s.name);
        Reset();
        for (const auto &slot : s.slots)
            g_CurrentSet.aAssign[slot.first] = slot.second;
        for (size_t i = 0; i < s.steps.size(); i++) {
            SCOPED_TRACE(::testing::Message() << "step " << i);
            Set(s.steps[i].input, s.steps[i].value);
            for (int c = 0; c < s.steps[i].cycles; c++)
                Cycle(s.steps[i].ms);
            EXPECT_EQ(s.steps[i].want, Take());
        }
    }
    EXPECT_TRUE(TryLockRecord()) << "the engine let go of the record lock";
    UnlockRecord();
}

TEST(StickValue, SectorsOf135DegreesAndADeadZoneOf20)
{
    struct Case { int x, y, want[DIRECTIONS]; } cases[] = {  // up, down, left, right
        { 50, 50, { 50, 0, 0, 50 } },     // 45 degrees presses both neighbours
        { -50, -50, { 0, 50, 50, 0 } },
        { 19, 0, { 0, 0, 0, 0 } },
        { 13, 13, { 0, 0, 0, 0 } },       // 338 < 400
        { -20, 0, { 0, 0, 20, 0 } },
        { 100, 30, { 0, 0, 0, 100 } },    // 16.7 degrees: right only
        { 100, 45, { 45, 0, 0, 100 } },   // 24.2 degrees: up begins at 22.5
    };
    for (const Case &c : cases)
        for (int d = 0; d < DIRECTIONS; d++)
            EXPECT_EQ(c.want[d], GetStickValue(d, c.x, c.y)) << "x " << c.x << " y " << c.y << " direction " << d;
}

}  // namespace
