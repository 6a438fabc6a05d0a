// When the engine acts: stopped, without a remote, the record lock busy; releasing what it
// holds when it stops acting; the engine thread, the input hand-off and the wake on a change.
#include "engine_fake.h"

#include <string.h>

#include <algorithm>
#include <set>

#include "setting_file.h"
#include "test_support.h"

namespace {

typedef std::vector<Call> Calls;


TEST_F(EngineTest, NothingIsSentWhileStoppedOrWithoutARemote)
{
    struct Case { const char *name; LONG remote; LONG running; } cases[] = {
        { "stopped", 0, 0 },
        { "no remote", -1, 1 },
    };
    AssignKeys(0, { 'K' });
    AssignMouse(1, MOUSE_SCROLL_UP);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        g_State.nSelectedRemote = c.remote;
        g_State.bRunning = c.running;
        for (int value : { 1, 0, 1, 0 }) {  // presses and releases that nobody sees
            SetKey(&WM_KEY::nA, value);
            SetKey(&WM_KEY::nB, value);
            Cycles(3);
        }
        EXPECT_TRUE(Take().empty());
        g_State.nSelectedRemote = 0;
        g_State.bRunning = 1;
        Cycle();
        EXPECT_TRUE(Take().empty());
    }
}

// Each release must follow its own press, and nothing may be down at the end.
void ExpectNoStrayAndNothingHeld(const Calls &calls)
{
    std::set<std::string> down;  // "key 0x11 ", "mouse LEFT"
    for (const Call &call : calls) {
        for (std::string input : call) {
            for (char &c : input)
                c = (char)tolower(c);
            size_t end = input.size() - (input.back() == 'n' ? 4 : 2);  // "...down" or "...up"
            if (input.back() == 'n')
                down.insert(input.substr(0, end));
            else
                EXPECT_EQ(1u, down.erase(input.substr(0, end))) << "stray " << input;
        }
    }
    EXPECT_TRUE(down.empty()) << "left down: " << (down.empty() ? "" : *down.begin());
}

// A button held across stop and run: the stop lets go; the later release of the button
// sends nothing the stop already released.
TEST_F(EngineTest, StopAndRunSendNoStrayRelease)
{
    struct Case { const char *name; BYTE repeat; bool releaseWhileStopped; } cases[] = {
        { "released while stopped", 0, true },
        { "released while stopped, system repeat", 1, true },
        { "held across, system repeat", 1, false },
        { "held across", 0, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        g_CurrentSet.bSystemRepeat = c.repeat;
        AssignKeys(0, { VK_CONTROL, 'C' });
        AssignKeys(1, { VK_SNAPSHOT });
        AssignMouse(2, MOUSE_LEFT_CLICK);
        for (auto field : { &WM_KEY::nA, &WM_KEY::nB, &WM_KEY::nMinus })
            SetKey(field, 1);
        Cycles(3);
        g_State.bRunning = 0;
        Cycle();
        EXPECT_EQ(Calls({ { "key 0x11 up" }, { "key 0x2c up" }, { "key 0x43 up" }, { "mouse LEFTUP" } }),
                  Calls(fake.calls.end() - 4, fake.calls.end()));
        if (c.releaseWhileStopped)
            for (auto field : { &WM_KEY::nA, &WM_KEY::nB, &WM_KEY::nMinus })
                SetKey(field, 0);
        Cycles(3);
        g_State.bRunning = 1;
        Cycles(3);
        for (auto field : { &WM_KEY::nA, &WM_KEY::nB, &WM_KEY::nMinus })
            SetKey(field, 0);
        Cycles(3);
        ExpectNoStrayAndNothingHeld(Take());
    }
}

// Held slots edited in every way the window can: what they held goes up in the next
// cycle, once, and nothing is left down or released twice.
TEST_F(EngineTest, EditedHeldSlotsReleaseWhatTheyHeldOnce)
{
    TempDir dir;
    WCHAR file[MAX_PATH];
    lstrcpynW(file, dir.File(L"other.zan").c_str(), MAX_PATH);
    AssignKeys(0, { 'C' });  // the loaded file's slots 0 and 1
    AssignMouse(1, MOUSE_RIGHT_CLICK);
    ASSERT_EQ(1, SaveSettingFile(file, 1));

    typedef void (*Edit)(ASSIGNMENT_SET &set, LPCWSTR file);
    struct Case { const char *name; Edit edit; } cases[] = {
        { "disable", [](ASSIGNMENT_SET &s, LPCWSTR) {
            s.aAssign[0].nKind = s.aAssign[1].nKind = ASSIGN_DISABLED; } },
        { "reassign", [](ASSIGNMENT_SET &s, LPCWSTR) {
            s.aAssign[0].awKey[0] = 'C';
            s.aAssign[1].nMouseAction = MOUSE_RIGHT_CLICK; } },
        { "delete", [](ASSIGNMENT_SET &s, LPCWSTR) {
            memset(&s.aAssign[0], 0, 2 * sizeof(ASSIGNMENT)); } },
        { "swap", [](ASSIGNMENT_SET &s, LPCWSTR) {
            std::swap(s.aAssign[0], s.aAssign[2]);
            std::swap(s.aAssign[1], s.aAssign[3]); } },
        { "paste", [](ASSIGNMENT_SET &s, LPCWSTR) {
            s.aAssign[0] = s.aAssign[2];
            s.aAssign[1] = s.aAssign[3]; } },
        { "load", [](ASSIGNMENT_SET &s, LPCWSTR f) { EXPECT_EQ(1, LoadSettingFile(f, &s, 1)); } },
    };
    for (BYTE repeat : { 0, 1 }) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.name) + (repeat ? ", system repeat" : ""));
            InitEngineState(&state);
            InitAssignmentSet(&g_CurrentSet);
            g_CurrentSet.bSystemRepeat = repeat;
            AssignKeys(0, { VK_CONTROL });
            AssignMouse(1, MOUSE_LEFT_CLICK);
            AssignKeys(2, { 'V' });
            AssignMouse(3, MOUSE_MIDDLE_CLICK);
            SetKey(&WM_KEY::nA, 1);
            SetKey(&WM_KEY::nB, 1);
            Cycles(2);
            Take();
            LockRecord();
            c.edit(g_CurrentSet, file);
            g_CurrentSet.bSystemRepeat = repeat;
            UnlockRecord();
            Cycle();
            Calls next = Take();
            EXPECT_EQ(1, std::count(next.begin(), next.end(), Call({ "key 0x11 up" })));
            EXPECT_EQ(1, std::count(next.begin(), next.end(), Call({ "mouse LEFTUP" })));
            Cycles(60);  // held past the repeat delay
            SetKey(&WM_KEY::nA, 0);
            SetKey(&WM_KEY::nB, 0);
            Cycles(3);
            Calls rest = Take();
            next.insert(next.end(), rest.begin(), rest.end());
            next.insert(next.begin(), { { "key 0x11 down" }, { "mouse LEFTDOWN" } });
            ExpectNoStrayAndNothingHeld(next);
        }
    }
}

TEST_F(EngineTest, LostRemoteLeavesNothingHeldAndTheNextStartsReleased)
{
    AssignKeys(0, { VK_CONTROL, 'C' });
    AssignMouse(1, MOUSE_RIGHT_CLICK);
    SetKey(&WM_KEY::nA, 1);
    SetKey(&WM_KEY::nB, 1);
    Cycle();
    Take();

    SetSelectedRemote(-1);  // the remote is lost while both buttons are held
    Cycle();
    EXPECT_EQ(Calls({ { "key 0x11 up" }, { "key 0x43 up" }, { "mouse RIGHTUP" } }), Take());

    // Another remote whose first report changes nothing: no input-change notification.
    SetSelectedRemote(3);
    Cycles(20);
    EXPECT_TRUE(Take().empty()) << "what the loss let go is not released again";
}

TEST_F(EngineTest, ReplacedCopiesAreSeenWhole)
{
    AssignKeys(0, { 'A' });
    AssignKeys(SLOT_FIRST_NUNCHUK, { 'C' });
    WM_KEY k = {};
    WM_KEYEX e = {};
    k.nA = 1;
    e.Nunchuk.nC = 1;
    StoreKeyCopy(&k);
    StoreExtensionCopy(&e);
    StoreKeyCopy(&k);  // several stores between two cycles: the latest pair counts
    Cycle();
    EXPECT_EQ(Calls({ { "key 0x41 down" }, { "key 0x43 down" } }), Take());
    ClearInputCopies();
    Cycle();
    EXPECT_EQ(Calls({ { "key 0x41 up" }, { "key 0x43 up" } }), Take());
}

DWORD WINAPI HoldRecordLock(LPVOID param)
{
    HANDLE *events = (HANDLE *)param;  // [0] taken, [1] let go
    LockRecord();
    SetEvent(events[0]);
    WaitForSingleObject(events[1], INFINITE);
    UnlockRecord();
    return 0;
}

TEST_F(EngineTest, BusyRecordLockSkipsWholeCycles)
{
    AssignKeys(0, { 'H' });
    AssignKeys(1, { 'J' });
    SetKey(&WM_KEY::nA, 1);
    Cycle();
    EXPECT_EQ(Calls({ { "key 0x48 down" } }), Take());

    HANDLE events[2] = { CreateEventW(NULL, TRUE, FALSE, NULL), CreateEventW(NULL, TRUE, FALSE, NULL) };
    HANDLE holder = CreateThread(NULL, 0, HoldRecordLock, events, 0, NULL);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(events[0], 5000));
    SetKey(&WM_KEY::nB, 1);  // neither the held key nor the new press is acted on
    Cycles(5);
    SetKey(&WM_KEY::nB, 0);
    Cycles(5);
    EXPECT_TRUE(Take().empty());

    SetEvent(events[1]);
    WaitForSingleObject(holder, INFINITE);
    CloseHandle(holder);
    CloseHandle(events[0]);
    CloseHandle(events[1]);
    Cycle();  // J's press and release both fell into skipped cycles
    EXPECT_EQ(Calls({ { "key 0x48 down" } }), Take());
    EXPECT_TRUE(TryLockRecord()) << "the engine let go of the lock";
    UnlockRecord();
}

TEST_F(EngineTest, EngineThreadReleasesWhatItHoldsWhenStopped)
{
    AssignKeys(0, { VK_SHIFT });
    AssignMouse(1, MOUSE_LEFT_CLICK);
    SetKey(&WM_KEY::nA, 1);
    SetKey(&WM_KEY::nB, 1);
    EXPECT_EQ(0, StopEngine());
    ASSERT_EQ(1, StartEngine(NULL, 0));
    EXPECT_EQ(0, StartEngine(NULL, 0));
    for (int i = 0; i < 500; i++) {
        EnterCriticalSection(&fake.lock);
        size_t n = fake.calls.size();
        LeaveCriticalSection(&fake.lock);
        if (n >= 2)
            break;
        Sleep(ENGINE_CYCLE_MS);
    }
    ASSERT_EQ(1, StopEngine());
    EXPECT_EQ(0, StopEngine());
    std::vector<Call> calls = Take();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(Calls({ { "key 0x10 up" }, { "mouse LEFTUP" } }), Calls(calls.end() - 2, calls.end()));
}

}  // namespace

namespace {

// The engine thread's loop against the fake clock, one millisecond at a time: inputs are
// stored at the given times (waking the engine), steps run when woken or when the wait
// RunEngineStep asked for is over. Returns each SendInput call with its time.
typedef std::vector<std::pair<DWORD, std::string>> Timeline;

Timeline RunThreadLoop(EngineTest &t, const std::vector<std::pair<DWORD, int>> &changes, DWORD until)
{
    DWORD waitStart = t.fake.now, wait = ENGINE_CYCLE_MS;
    size_t next = 0;
    for (; t.fake.now <= until; t.fake.now++) {
        bool woken = false;
        for (; next < changes.size() && changes[next].first == t.fake.now; next++) {
            t.SetKey(&WM_KEY::nA, changes[next].second);
            t.SetKey(&WM_KEY::nB, changes[next].second);
            woken = true;
        }
        if (woken || t.fake.now - waitStart >= wait) {
            wait = RunEngineStep(&t.state, woken);
            waitStart = t.fake.now;
        }
    }
    Timeline out;
    for (size_t i = 0; i < t.fake.calls.size(); i++)
        for (const std::string &input : t.fake.calls[i])
            out.push_back({ t.fake.times[i] - 1000, input });
    return out;
}

size_t Count(const Timeline &line, const std::string &input)
{
    return std::count_if(line.begin(), line.end(), [&](const auto &e) { return e.second == input; });
}

// A press 3 ms after a cycle: with the immediate reaction its key and click go out in the
// millisecond the copy changes, and so does the release; without it they wait for the cycle.
// Either way a held key is sent again and the pointer moves at the cycle's cadence only.
TEST_F(EngineTest, WakeActsOnEdgesAtOnceWhileHeldRatesStayOnTheCycle)
{
    struct Case { LONG immediate; DWORD pressAt, releaseAt; } cases[] = {
        { 1, 3, 53 },
        { 0, 10, 60 },
    };
    std::vector<size_t> heldDowns, pixels;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.immediate ? "immediate" : "cycle only");
        fake.calls.clear();
        fake.times.clear();
        fake.now = 1000;
        taken = 0;
        InitEngineState(&state);
        g_State.bImmediateReaction = c.immediate;
        AssignKeys(0, { 'K' });
        AssignMouse(1, MOUSE_LEFT_CLICK);
        AssignMouse(2, MOUSE_MOVE_RIGHT, 1000);  // on Minus, held throughout
        SetKey(&WM_KEY::nMinus, 1);
        Timeline line = RunThreadLoop(*this, { { 1003, 1 }, { 1053, 0 } }, 1100);
        auto first = [&](const std::string &input) {
            for (const auto &e : line)
                if (e.second == input)
                    return e.first;
            return (DWORD)-1;
        };
        EXPECT_EQ(c.pressAt, first("key 0x4b down"));
        EXPECT_EQ(c.pressAt, first("mouse LEFTDOWN"));
        EXPECT_EQ(c.releaseAt, first("key 0x4b up"));
        EXPECT_EQ(c.releaseAt, first("mouse LEFTUP"));
        EXPECT_EQ(1u, Count(line, "mouse LEFTDOWN"));
        size_t moves = 0;
        for (const auto &e : line) {
            if (e.second.rfind("move", 0) == 0) {
                EXPECT_EQ(0u, e.first % ENGINE_CYCLE_MS) << "moves only with the cycle, not at " << e.first;
                moves += atoi(e.second.c_str() + 5);
            }
        }
        heldDowns.push_back(Count(line, "key 0x4b down") - (c.pressAt % ENGINE_CYCLE_MS ? 1 : 0));
        pixels.push_back(moves);
    }
    EXPECT_EQ(heldDowns[0], heldDowns[1]) << "a held key is sent as often as before";
    EXPECT_EQ(pixels[0], pixels[1]) << "the pointer moves as far as before";
    EXPECT_EQ(100u, pixels[0]);
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
