// Releasing what the engine holds when it stops acting or a held slot is edited; the engine
// thread, and the wake on a change of the input copies.
#include "engine_fake.h"

#include <string.h>

#include <algorithm>
#include <map>
#include <set>

#include "setting_file.h"
#include "test_support.h"

namespace {

// Each release must follow its own press, and nothing may be down at the end.
void ExpectNoStrayAndNothingHeld(const Calls &calls)
{
    std::set<std::string> down;  // "key 0x11 (1d) ", "mouse LEFT"
    for (const Call &call : calls) {
        for (const std::string &input : call) {
            bool isDown = toupper(input.back()) == 'N';
            std::string what = input.substr(0, input.size() - (isDown ? 4 : 2));
            if (isDown)
                down.insert(what);
            else
                EXPECT_EQ(1u, down.erase(what)) << "stray " << input;
        }
    }
    EXPECT_TRUE(down.empty()) << "left down: " << (down.empty() ? "" : *down.begin());
}

// Buttons held while the set stops acting (stopped, or the remote lost and another found)
// or while their slots are edited in every way the window can: what slots 0 and 1 held goes
// up in the next cycle, once, and a stop lets go of everything. The later release of the
// buttons sends nothing already released, and nothing is left down.
TEST_F(EngineTest, HeldInputIsReleasedOnceWhenTheSetStopsOrItsSlotsChange)
{
    TempDir dir;
    WCHAR file[MAX_PATH];
    lstrcpynW(file, dir.File(L"other.zan").c_str(), MAX_PATH);
    g_CurrentSet.aAssign[0] = Keys({ 'C' });  // the loaded file's slots 0 and 1
    g_CurrentSet.aAssign[1] = Mouse(MOUSE_RIGHT_CLICK);
    ASSERT_EQ(1, SaveSettingFile(file, 1));

    typedef void (*Change)(EngineTest &t, ASSIGNMENT *slots, LPCWSTR file);
    struct Case { const char *name; Change change, resume = nullptr; } cases[] = {
        { "held across stop and run", [](EngineTest &t, ASSIGNMENT *, LPCWSTR) { t.Set(RUNNING, 0); },
          [](EngineTest &t, ASSIGNMENT *, LPCWSTR) { t.Set(RUNNING, 1); } },
        { "released while stopped", [](EngineTest &t, ASSIGNMENT *, LPCWSTR) { t.Set(RUNNING, 0); },
          [](EngineTest &t, ASSIGNMENT *, LPCWSTR) {
              for (int input : { IN_A, IN_B, IN_MINUS })
                  t.Set(input, 0);
              t.Set(RUNNING, 1); } },
        { "remote lost, another found", [](EngineTest &t, ASSIGNMENT *, LPCWSTR) { t.Set(REMOTE, -1); },
          [](EngineTest &t, ASSIGNMENT *, LPCWSTR) { t.Set(REMOTE, 3); } },  // its first report changes nothing
        { "disable", [](EngineTest &, ASSIGNMENT *s, LPCWSTR) { s[0].nKind = s[1].nKind = ASSIGN_DISABLED; } },
        { "reassign", [](EngineTest &, ASSIGNMENT *s, LPCWSTR) {
            s[0].awKey[0] = 'C';
            s[1].nMouseAction = MOUSE_RIGHT_CLICK; } },
        { "delete", [](EngineTest &, ASSIGNMENT *s, LPCWSTR) { memset(s, 0, 2 * sizeof(ASSIGNMENT)); } },
        { "swap", [](EngineTest &, ASSIGNMENT *s, LPCWSTR) {
            std::swap(s[0], s[3]);
            std::swap(s[1], s[4]); } },
        { "paste", [](EngineTest &, ASSIGNMENT *s, LPCWSTR) {
            s[0] = s[3];
            s[1] = s[4]; } },
        { "load", [](EngineTest &, ASSIGNMENT *, LPCWSTR f) { EXPECT_EQ(1, LoadSettingFile(f, &g_CurrentSet, 1)); } },
    };
    for (BYTE repeat : { 0, 1 }) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.name) + (repeat ? ", system repeat" : ""));
            Reset();
            const ASSIGNMENT slots[] = { Keys({ VK_CONTROL, 'C' }), Mouse(MOUSE_LEFT_CLICK), Keys({ VK_SNAPSHOT }),
                                         Keys({ 'V' }), Mouse(MOUSE_MIDDLE_CLICK) };
            std::copy(std::begin(slots), std::end(slots), g_CurrentSet.aAssign);
            g_CurrentSet.bSystemRepeat = repeat;
            for (int input : { IN_A, IN_B, IN_MINUS })
                Set(input, 1);
            Cycles(3);
            Take();
            LockRecord();
            c.change(*this, g_CurrentSet.aAssign, file);
            g_CurrentSet.bSystemRepeat = repeat;
            UnlockRecord();
            Cycle();
            Calls next = Take();
            EXPECT_EQ(1, std::count(next.begin(), next.end(), Call({ "key 0x11 (1d) up" })));
            EXPECT_EQ(1, std::count(next.begin(), next.end(), Call({ "mouse LEFTUP" })));
            if (c.resume) {
                ExpectNoStrayAndNothingHeld(fake.calls);
                Cycles(3);
                c.resume(*this, g_CurrentSet.aAssign, file);
            }
            Cycles(60);  // held past the repeat delay
            for (int input : { IN_A, IN_B, IN_MINUS })
                Set(input, 0);
            Cycles(3);
            ExpectNoStrayAndNothingHeld(fake.calls);
        }
    }
}

TEST_F(EngineTest, EngineThreadReleasesWhatItHoldsWhenStopped)
{
    g_CurrentSet.aAssign[0] = Keys({ VK_SHIFT });
    g_CurrentSet.aAssign[1] = Mouse(MOUSE_LEFT_CLICK);
    Set(IN_A, 1);
    Set(IN_B, 1);
    EXPECT_EQ(0, StopEngine());
    ASSERT_EQ(1, StartEngine(NULL, 0));
    EXPECT_EQ(0, StartEngine(NULL, 0));
    for (size_t i = 0, pressed = 0; i < 500 && pressed < 2; i++) {
        Sleep(ENGINE_CYCLE_MS);
        pressed += Take().size();
    }
    ASSERT_EQ(1, StopEngine());
    EXPECT_EQ(0, StopEngine());
    ASSERT_GE(fake.calls.size(), 4u);
    EXPECT_EQ(Calls({ { "key 0x10 (2a) up" }, { "mouse LEFTUP" } }), Calls(fake.calls.end() - 2, fake.calls.end()));
}

// The engine thread's loop against the fake clock, one millisecond at a time for 100 ms: A
// and B pressed 3 ms after a cycle and released 50 ms later, each change waking the engine;
// a step runs when woken or when the wait RunEngineStep asked for is over. With the
// immediate reaction the key and the click go out in the millisecond the copy changes,
// without it they wait for the cycle. Either way a held key is sent again and the pointer
// moves at the cycle's cadence only.
TEST_F(EngineTest, WakeActsOnEdgesAtOnceWhileHeldRatesStayOnTheCycle)
{
    struct Case { LONG immediate; DWORD pressAt, releaseAt; } cases[] = {
        { 1, 3, 53 },
        { 0, 10, 60 },
    };
    const std::string kDown = "key 0x4b (25) down";
    std::vector<std::map<std::string, size_t>> counts;  // inputs sent, and "pixels" moved
    for (const Case &c : cases) {
        SCOPED_TRACE(c.immediate ? "immediate" : "cycle only");
        Reset();
        g_State.bImmediateReaction = c.immediate;
        g_CurrentSet.aAssign[0] = Keys({ 'K' });
        g_CurrentSet.aAssign[1] = Mouse(MOUSE_LEFT_CLICK);
        g_CurrentSet.aAssign[2] = Mouse(MOUSE_MOVE_RIGHT, 1000);  // on Minus, held throughout
        Set(IN_MINUS, 1);
        DWORD wait = ENGINE_CYCLE_MS, waitStart = 0;
        for (DWORD ms = 0; ms <= 100; ms++, fake.now++) {
            bool woken = ms == 3 || ms == 53;
            if (woken) {
                Set(IN_A, ms == 3);
                Set(IN_B, ms == 3);
            }
            if (woken || ms - waitStart >= wait) {
                wait = RunEngineStep(&state, woken);
                waitStart = ms;
            }
        }
        std::map<std::string, DWORD> first;
        std::map<std::string, size_t> count;
        for (size_t i = 0; i < fake.calls.size(); i++) {
            const std::string &input = fake.calls[i][0];
            DWORD at = fake.times[i] - 1000;
            first.insert({ input, at });
            bool move = input.rfind("move", 0) == 0;
            count[move ? "pixels" : input] += move ? atoi(input.c_str() + 5) : 1;
            EXPECT_TRUE(!move || at % ENGINE_CYCLE_MS == 0) << "moves only with the cycle, not at " << at;
        }
        EXPECT_EQ(c.pressAt, first[kDown]);
        EXPECT_EQ(c.pressAt, first["mouse LEFTDOWN"]);
        EXPECT_EQ(c.releaseAt, first["key 0x4b (25) up"]);
        EXPECT_EQ(c.releaseAt, first["mouse LEFTUP"]);
        EXPECT_EQ(1u, count["mouse LEFTDOWN"]);
        count[kDown] -= c.pressAt % ENGINE_CYCLE_MS ? 1 : 0;  // the edge's own press
        EXPECT_EQ(100u, count["pixels"]) << "the pointer moves as far as before";
        counts.push_back(count);
    }
    EXPECT_EQ(counts[0][kDown], counts[1][kDown]) << "a held key is sent as often as before";
}

TEST_F(EngineTest, EveryStoreOfTheCopiesSignalsTheWakeEvent)
{
    HANDLE wake = CreateEventW(NULL, FALSE, FALSE, NULL);
    SetInputWakeEvent(wake);
    for (auto store : { +[] { WM_KEY k = {}; StoreKeyCopy(&k); }, +[] { WM_KEYEX e = {}; StoreExtensionCopy(&e); },
                        +[] { ClearInputCopies(); } }) {
        EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(wake, 0));
        store();
        EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(wake, 0));
    }
    SetInputWakeEvent(NULL);
    CloseHandle(wake);
}

}  // namespace
