// Turbo and toggle slots, the second layer and the pause, through engine cycles.
#include "engine_fake.h"
#include "setting_file.h"

namespace {

enum { IN_HOME = 3, EDIT = 300, SWITCH, REPLACE, PAUSE_SLOTS };

ASSIGNMENT Mode(ASSIGNMENT a, BYTE mode, BYTE rate = 0)
{
    a.nPressMode = mode;
    a.nTurboRate = rate;
    return a;
}

ASSIGNMENT Layer(BYTE mode)
{
    ASSIGNMENT a = Keys({});
    a.nKind = ASSIGN_LAYER;
    a.nLayerMode = mode;
    return a;
}

// The engine's layer and pause notes, as "layer 1" or "pause 0".
struct NoteWindow {
    static const UINT kMsg = WM_APP + 9;
    HWND hWnd = CreateWindowExW(0, L"STATIC", NULL, 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    ~NoteWindow() { DestroyWindow(hWnd); }
    std::vector<std::string> Take()
    {
        std::vector<std::string> notes;
        MSG msg;
        while (PeekMessageW(&msg, hWnd, kMsg, kMsg, PM_REMOVE))
            notes.push_back(std::string(msg.wParam == ENGINE_NOTE_LAYER ? "layer " : "pause ") +
                            std::to_string(msg.lParam));
        return notes;
    }
};

const Call kTDown = { "key 0x54 (14) down" }, kTUp = { "key 0x54 (14) up" };
const Call kXDown = { "key 0x58 (2d) down" }, kXUp = { "key 0x58 (2d) up" };
const Call kYDown = { "key 0x59 (15) down" }, kYUp = { "key 0x59 (15) up" };
const Call kHDown = { "key 0x48 (23) down" };


// Set one input (at an edge the engine is woken and reacts at once), then cycles; the calls
// and notes they made.
struct Step {
    int input, value, cycles;
    Calls want;
    std::vector<std::string> notes = {};
    bool edge = false;
};

struct Scenario {
    const char *name;
    std::vector<std::pair<int, ASSIGNMENT>> slots, layer2;
    std::vector<Step> steps;
};

// n cycles of a held key, then its release.
Calls Held(int n, const Call &down, const Call &up)
{
    Calls calls(n, down);
    calls.push_back(up);
    return calls;
}

// Holding Minus and Home for a second from the step's first cycle: 101 cycles of 10 ms.
const int kSecond = 101;

const std::vector<std::pair<int, ASSIGNMENT>> kToggleT = { { 0, Mode(Keys({ 'T' }), PRESS_TOGGLE) },
                                                           { 1, Layer(LAYER_HOLD) } };
const Step kLatchT = { IN_A, 1, 3, { kTDown } }, kLetGoA = { IN_A, 0, 3, {} };

const Scenario kScenarios[] = {
    // A latched toggle stays down across cycles, claimed with its button up, and is let go
    // by the next press or by anything that lets go of what the set holds.
    { "toggle: the second press releases", kToggleT, {},
      { kLatchT, kLetGoA, { IN_A, 1, 3, { kTUp } }, kLetGoA, kLatchT } },
    { "toggle: both edges act at once", kToggleT, {},
      { { IN_A, 1, 0, { kTDown }, {}, true }, { IN_A, 0, 3, {}, {}, true }, { IN_A, 1, 0, { kTUp }, {}, true } } },
    { "toggle: released on stop", kToggleT, {}, { kLatchT, kLetGoA, { RUNNING, 0, 1, { kTUp } }, { RUNNING, 1, 3, {} } } },
    { "toggle: released on loss of the remote", kToggleT, {}, { kLatchT, kLetGoA, { REMOTE, -1, 1, { kTUp } } } },
    { "toggle: released on an edit of the slot", kToggleT, {}, { kLatchT, kLetGoA, { EDIT, 'U', 1, { kTUp } }, { EDIT, 'T', 1, {} }, { IN_A, 1, 1, { kTDown } } } },
    { "toggle: released on a set switch", kToggleT, {}, { kLatchT, kLetGoA, { SWITCH, 1, 1, { kTUp } } } },
    { "toggle: released on a layer switch", kToggleT, {},
      { kLatchT, kLetGoA, { IN_B, 1, 1, { kTUp }, { "layer 1" } } } },
    { "toggle: released on a pause", kToggleT, {},
      { kLatchT, kLetGoA, { IN_MINUS, 1, 0, {} }, { IN_HOME, 1, kSecond, { kTUp }, { "pause 1" } } } },
    // A held slot acts by the active layer; a change releases what the old layer held.
    { "layer hold: layer 2 while held", { { 0, Keys({ 'X' }) }, { 1, Layer(LAYER_HOLD) } }, { { 0, Keys({ 'Y' }) } },
      { { IN_A, 1, 1, { kXDown } },
        { IN_B, 1, 2, { kXUp, kYDown, kYDown }, { "layer 1" } },
        { IN_B, 0, 1, { kYUp, kXDown }, { "layer 0" } },
        { IN_A, 0, 1, { kXUp } } } },
    { "layer toggle: each press switches; a stop goes back to layer 1",
      { { 0, Keys({ 'X' }) }, { 1, Layer(LAYER_TOGGLE) } }, { { 0, Keys({ 'Y' }) }, { 1, Keys({ 'Q' }) } },
      { { IN_B, 1, 1, {}, { "layer 1" } }, { IN_B, 0, 1, {} },
        { IN_A, 1, 1, { kYDown } }, { IN_A, 0, 1, { kYUp } },
        { IN_B, 1, 1, {}, { "layer 0" } }, { IN_B, 0, 1, {} },
        { IN_A, 1, 1, { kXDown } }, { IN_A, 0, 1, { kXUp } },
        { IN_B, 1, 1, {}, { "layer 1" } }, { IN_B, 0, 1, {} },
        { RUNNING, 0, 1, {}, { "layer 0" } }, { RUNNING, 1, 1, {} },
        { IN_A, 1, 1, { kXDown } } } },
    { "layer: a set switch or any replaced set goes back to layer 1",
      { { 0, Keys({ 'X' }) }, { 1, Layer(LAYER_TOGGLE) } }, { { 0, Keys({ 'Y' }) } },
      { { IN_B, 1, 1, {}, { "layer 1" } }, { SWITCH, 1, 1, {}, { "layer 0" } }, { IN_B, 0, 1, {} },
        { IN_A, 1, 1, { kXDown } }, { IN_B, 1, 1, { kXUp, kYDown }, { "layer 1" } },
        { REPLACE, 1, 1, { kYUp, kXDown }, { "layer 0" } } } },
    // The combination held a second pauses once; while paused nothing acts; the resume does
    // not fire the buttons still held.
    { "pause: held a second pauses, once however long", { { 0, Keys({ 'X' }) } }, {},
      { { IN_A, 1, 1, { kXDown } }, { IN_MINUS, 1, 0, {} },
        { IN_HOME, 1, kSecond, Held(kSecond - 1, kXDown, kXUp), { "pause 1" } },
        { IN_HOME, 1, 300, {} }, { IN_A, 0, 1, {} }, { IN_A, 1, 1, {} } } },
    { "pause: held a little less does not", { { IN_HOME, Keys({ 'H' }) } }, {},
      { { IN_MINUS, 1, 0, {} }, { IN_HOME, 1, kSecond - 1, Calls(kSecond - 1, kHDown) },
        { IN_HOME, 0, 1, { { "key 0x48 (23) up" } } } } },
    { "pause: no combination, no pause", { { 0, Keys({ 'X' }) } }, {},
      { { PAUSE_SLOTS, 0, 0, {} }, { IN_MINUS, 1, 0, {} }, { IN_HOME, 1, 2 * kSecond, {} }, { IN_A, 1, 1, { kXDown } } } },
    { "pause: resume blocks the held buttons until pressed again", { { 0, Keys({ 'X' }) } }, {},
      { { PAUSE_SLOTS, 1 | 1 << IN_HOME, 0, {} }, { IN_A, 1, 0, {} },
        { IN_HOME, 1, kSecond, Held(kSecond - 1, kXDown, kXUp), { "pause 1" } },
        { IN_HOME, 0, 1, {} }, { IN_HOME, 1, kSecond, {}, { "pause 0" } },
        { IN_A, 0, 1, {} }, { IN_A, 1, 1, { kXDown } } } },
};

TEST_F(EngineTest, TogglesLayersAndThePause)
{
    NoteWindow notes;
    for (const Scenario &s : kScenarios) {
        SCOPED_TRACE(s.name);
        Reset();
        state.hReportWnd = notes.hWnd;
        state.uNoteMsg = NoteWindow::kMsg;
        for (const auto &slot : s.slots)
            g_CurrentSet.aAssign[slot.first] = slot.second;
        for (const auto &slot : s.layer2)
            g_CurrentSet.aLayer2[slot.first] = slot.second;
        for (size_t i = 0; i < s.steps.size(); i++) {
            const Step &step = s.steps[i];
            SCOPED_TRACE(::testing::Message() << "step " << i);
            if (step.input == EDIT)
                g_CurrentSet.aAssign[0].awKey[0] = (WORD)step.value;
            else if (step.input == SWITCH)
                g_State.bReleaseHeld = 1;
            else if (step.input == REPLACE) {
                ASSIGNMENT_SET same = g_CurrentSet;  // no paths to own
                ReplaceCurrentSet(&same, 0);
            } else if (step.input == PAUSE_SLOTS)
                g_State.nPauseSlots = step.value;
            else
                Set(step.input, step.value);
            if (step.edge)
                RunEngineEdges(&state);
            for (int c = 0; c < step.cycles; c++)
                Cycle();
            EXPECT_EQ(step.want, Take());
            std::vector<std::string> got = notes.Take();
            EXPECT_EQ(step.notes, got);
            if (!got.empty() && got.back().rfind("pause", 0) == 0) {
                EXPECT_EQ(got.back() == "pause 1", IsEnginePaused() != 0);
            }
        }
    }
}

// Turbo presses at the start of each period (1000 / rate ms, 15 a second for a rate of 0)
// and releases before the next press, on the 10 ms cycles; a double click goes once a
// period. The release of the button leaves nothing down, with the system repeat on too.
TEST_F(EngineTest, TurboPressesAndReleasesAtTheRate)
{
    struct Case { ASSIGNMENT slot; int rate, perSecond; BYTE repeat; const char *down, *up; } cases[] = {
        { Keys({ 'K' }), 10, 10, 0, "key 0x4b (25) down", "key 0x4b (25) up" },
        { Keys({ 'K' }), 25, 25, 1, "key 0x4b (25) down", "key 0x4b (25) up" },
        { Keys({ 'K' }), 0, 15, 0, "key 0x4b (25) down", "key 0x4b (25) up" },
        { Mouse(MOUSE_RIGHT_CLICK), 20, 20, 0, "mouse RIGHTDOWN", "mouse RIGHTUP" },
        { Mouse(MOUSE_DOUBLE_CLICK), 5, 5, 0, "mouse LEFTDOWN", "mouse LEFTUP" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.down << " at " << c.rate);
        Reset();
        g_CurrentSet.bSystemRepeat = c.repeat;
        g_CurrentSet.aAssign[0] = Mode(c.slot, PRESS_TURBO, (BYTE)c.rate);
        Set(IN_A, 1);
        const DWORD start = fake.now;
        RunEngineEdges(&state);  // the first press at the edge
        bool slept = false;
        while (fake.now - start + ENGINE_CYCLE_MS < 1000) {  // the last cycle at 990 ms
            fake.now += ENGINE_CYCLE_MS;
            slept |= RunEngineStep(&state, 0) == INFINITE;
        }
        EXPECT_FALSE(slept) << "a held turbo slot keeps the cycles going";
        Set(IN_A, 0);
        Cycle();
        double period = 1000.0 / (c.rate ? c.rate : TURBO_RATE_DEFAULT);
        int downs = 0, ups = 0;
        bool double_click = c.slot.nMouseAction == MOUSE_DOUBLE_CLICK && c.slot.nKind == ASSIGN_MOUSE;
        for (size_t i = 0; i < fake.calls.size(); i++) {
            ASSERT_EQ(1u, fake.calls[i].size());
            DWORD at = fake.times[i] - start;
            if (fake.calls[i][0] == c.down) {
                EXPECT_EQ(downs, ups) << "a press before the release, at " << at;
                int press = double_click ? downs / 2 : downs;
                EXPECT_GE(at, (DWORD)(press * period)) << "press " << press;
                EXPECT_LT(at, press * period + ENGINE_CYCLE_MS) << "press " << press;
                downs++;
            } else {
                EXPECT_EQ(c.up, fake.calls[i][0]);
                ups++;
                EXPECT_EQ(downs, ups) << "a release without a press, at " << at;
            }
        }
        EXPECT_EQ(c.perSecond * (double_click ? 2 : 1), downs);
        EXPECT_EQ(downs, ups) << "nothing left down";
    }
}

// A latched toggle, its button up, needs no cycles: the engine sleeps until the next press
// wakes it, and that press lets go at once.
TEST_F(EngineTest, ALatchedToggleLetsTheEngineSleep)
{
    g_CurrentSet.aAssign[0] = Mode(Mouse(MOUSE_LEFT_CLICK), PRESS_TOGGLE);
    Set(IN_A, 1);
    EXPECT_EQ((DWORD)ENGINE_CYCLE_MS, RunEngineStep(&state, 0));
    Set(IN_A, 0);
    fake.now += ENGINE_CYCLE_MS;
    EXPECT_EQ(INFINITE, RunEngineStep(&state, 0));
    Set(IN_A, 1);
    RunEngineStep(&state, 1);
    EXPECT_EQ(Calls({ { "mouse LEFTDOWN" }, { "mouse LEFTUP" } }), Take());
}

}  // namespace
