// Key slots through whole engine cycles: lists, repeat at the system rate, print-screen.
#include "engine_fake.h"

namespace {

const Call kCtrlCDown = { "key 0x11 down", "key 0x43 down" };
const Call kCtrlCUp = { "key 0x11 up", "key 0x43 up" };

typedef std::vector<Call> Calls;

TEST_F(EngineTest, HeldKeysAreSentEveryCycleAndReleasedOnce)
{
    AssignKeys(0, { VK_CONTROL, 'C' });
    SetKey(&WM_KEY::nA, 1);
    Cycles(5);  // 50 ms
    SetKey(&WM_KEY::nA, 0);
    Cycles(3);
    EXPECT_EQ(Calls({ kCtrlCDown, kCtrlCDown, kCtrlCDown, kCtrlCDown, kCtrlCDown, kCtrlCUp }), Take());
    ASSERT_EQ(6u, fake.raw.size());
    EXPECT_EQ(0x1D, fake.raw[0][0].ki.wScan);  // scan codes as the keyboard layout maps them
    EXPECT_EQ(0x2E, fake.raw[0][1].ki.wScan);
    EXPECT_EQ(0x1D, fake.raw[5][0].ki.wScan);
}

// Programs that read scan codes tell the arrows and the editing block from the keypad by
// the extended flag alone; the virtual-key code stays what was assigned. A key still held
// when running resumes goes down again (print-screen too).
TEST_F(EngineTest, ExtendedKeysCarryTheExtendedFlag)
{
    const std::vector<WORD> extended = { VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_INSERT, VK_DELETE, VK_HOME,
        VK_END, VK_PRIOR, VK_NEXT, VK_NUMLOCK, VK_DIVIDE, VK_RCONTROL, VK_RMENU, VK_LWIN, VK_APPS, VK_SNAPSHOT };
    const std::vector<WORD> ordinary = { 'A', VK_CONTROL, VK_SHIFT, VK_RETURN, VK_F1, VK_NUMPAD8, VK_SPACE };
    for (bool isExtended : { true, false })
    for (WORD vk : isExtended ? extended : ordinary) {
        SCOPED_TRACE(vk);
        AssignKeys(0, { vk });
        SetKey(&WM_KEY::nA, 1);
        Cycle();
        g_State.bRunning = 0;  // the stop's own release
        Cycle();
        g_State.bRunning = 1;
        Cycle();
        SetKey(&WM_KEY::nA, 0);
        Cycle();
        ASSERT_EQ(4u, fake.raw.size());
        for (size_t i = 0; i < fake.raw.size(); i++) {
            const KEYBDINPUT &k = fake.raw[i][0].ki;
            EXPECT_EQ(vk, k.wVk);
            EXPECT_EQ(isExtended, (k.dwFlags & KEYEVENTF_EXTENDEDKEY) != 0) << "input " << i;
            EXPECT_EQ(i % 2 == 1, (k.dwFlags & KEYEVENTF_KEYUP) != 0) << "input " << i;
        }
        fake.raw.clear();
    }
}

TEST_F(EngineTest, UnreportedButtonCountsAsPressed)
{
    AssignKeys(1, { 'B' });
    SetKey(&WM_KEY::nB, -1);
    Cycle();
    EXPECT_EQ(Calls({ { "key 0x42 down" } }), Take());
}

// Indexes of the cycles, counted from the press at 0, in which the keys went down.
std::vector<int> DownCycles(EngineTest &t, int cycles)
{
    std::vector<int> at;
    for (int i = 0; i < cycles; i++) {
        t.Cycle();
        for (const Call &c : t.Take())
            if (c.front().find("down") != std::string::npos)
                at.push_back(i);
    }
    return at;
}

TEST_F(EngineTest, SystemRepeatWaitsTheDelayThenTheInterval)
{
    g_CurrentSet.bSystemRepeat = 1;
    fake.keyboardDelay = 1;   // 500 ms
    fake.keyboardSpeed = 30;  // 400 - 12 * 30 = 40 ms
    AssignKeys(0, { VK_CONTROL, 'C' });
    SetKey(&WM_KEY::nA, 1);
    EXPECT_EQ(std::vector<int>({ 0, 50, 54, 58, 62, 66 }), DownCycles(*this, 70));
    SetKey(&WM_KEY::nA, 0);
    Cycles(3);
    EXPECT_EQ(Calls({ kCtrlCUp }), Take());

    // The settings are read at every call: a shorter delay applies to the next press.
    fake.keyboardDelay = 0;   // 250 ms
    fake.keyboardSpeed = 0;   // 400 ms
    SetKey(&WM_KEY::nA, 1);
    EXPECT_EQ(std::vector<int>({ 0, 25, 65 }), DownCycles(*this, 70));
}

TEST_F(EngineTest, SystemRepeatSendsAtMostOneListPerCycle)
{
    g_CurrentSet.bSystemRepeat = 1;
    fake.keyboardDelay = 0;
    fake.keyboardSpeed = 31;  // 28 ms
    AssignKeys(0, { 'X' });
    SetKey(&WM_KEY::nA, 1);
    Cycle();
    Take();
    Cycle(1000);  // a late cycle: delay and several intervals have gathered
    EXPECT_EQ(1u, Take().size());
    Cycle();
    EXPECT_EQ(1u, Take().size());  // the backlog is worked off one list per cycle
}

TEST_F(EngineTest, OnlyTheNewestHeldSlotRepeats)
{
    g_CurrentSet.bSystemRepeat = 1;
    fake.keyboardDelay = 0;   // 250 ms
    fake.keyboardSpeed = 25;  // 100 ms
    AssignKeys(0, { 'A' });
    AssignKeys(1, { 'B' });
    SetKey(&WM_KEY::nA, 1);
    Cycles(10);
    EXPECT_EQ(Calls({ { "key 0x41 down" } }), Take());
    SetKey(&WM_KEY::nB, 1);
    Cycles(46);  // B: press, delay at 25, interval at 35 and 45
    EXPECT_EQ(Calls({ { "key 0x42 down" }, { "key 0x42 down" }, { "key 0x42 down" }, { "key 0x42 down" } }), Take());
    SetKey(&WM_KEY::nA, 0);
    Cycle();
    EXPECT_EQ(Calls({ { "key 0x41 up" } }), Take());
    SetKey(&WM_KEY::nB, 0);
    Cycle();
    EXPECT_EQ(Calls({ { "key 0x42 up" } }), Take());
}

TEST_F(EngineTest, HeldPrintScreenIsPressedOnceAndSharedByAllSlots)
{
    AssignKeys(0, { VK_SNAPSHOT });
    AssignKeys(1, { VK_MENU, VK_SNAPSHOT });
    SetKey(&WM_KEY::nA, 1);
    Cycles(3);
    EXPECT_EQ(Calls({ { "key 0x2c down" } }), Take());
    SetKey(&WM_KEY::nB, 1);  // the latch is set: only Alt goes down
    Cycle();
    EXPECT_EQ(Calls({ { "key 0x12 down" } }), Take());
    SetKey(&WM_KEY::nA, 0);
    Cycle();
    EXPECT_EQ(Calls({ { "key 0x2c up" }, { "key 0x12 down", "key 0x2c down" } }), Take());
    SetKey(&WM_KEY::nB, 0);
    Cycle();
    EXPECT_EQ(Calls({ { "key 0x12 up", "key 0x2c up" } }), Take());
}

TEST_F(EngineTest, KeySlotWithoutKeysSendsNothing)
{
    AssignKeys(0, {});
    SetKey(&WM_KEY::nA, 1);
    Cycles(3);
    EXPECT_TRUE(Take().empty());
}

}  // namespace
