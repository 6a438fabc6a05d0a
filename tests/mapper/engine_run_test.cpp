// When the engine acts: stopped, without a remote, the record lock busy; releasing what it
// holds when it stops acting; the engine thread and the input hand-off.
#include "engine_fake.h"

namespace {

typedef std::vector<Call> Calls;

const Call kCtrlCDown = { "key 0x11 down", "key 0x43 down" };
const Call kCtrlCUp = { "key 0x11 up", "key 0x43 up" };

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

TEST_F(EngineTest, PendingReleaseIsSentWhenRunningResumes)
{
    AssignKeys(0, { VK_CONTROL, 'C' });
    AssignMouse(1, MOUSE_LEFT_CLICK);
    SetKey(&WM_KEY::nA, 1);
    SetKey(&WM_KEY::nB, 1);
    Cycle();
    EXPECT_EQ(Calls({ kCtrlCDown, { "mouse LEFTDOWN" } }), Take());

    g_State.bRunning = 0;
    Cycle();  // the stop lets go of everything held
    EXPECT_EQ(Calls({ { "key 0x11 up" }, { "key 0x43 up" }, { "mouse LEFTUP" } }), Take());
    SetKey(&WM_KEY::nA, 0);
    SetKey(&WM_KEY::nB, 0);
    Cycles(5);
    EXPECT_TRUE(Take().empty());

    g_State.bRunning = 1;  // the releases made meanwhile are acted on now
    Cycles(3);
    EXPECT_EQ(Calls({ kCtrlCUp, { "mouse LEFTUP" } }), Take());
}

TEST_F(EngineTest, StopReleasesTheRepeatingSlotAndPrintScreen)
{
    g_CurrentSet.bSystemRepeat = 1;
    AssignKeys(0, { VK_SNAPSHOT });
    AssignKeys(1, { 'R' });
    SetKey(&WM_KEY::nA, 1);
    SetKey(&WM_KEY::nB, 1);
    Cycle();
    Take();
    g_State.bRunning = 0;
    Cycle();
    EXPECT_EQ(Calls({ { "key 0x2c up" }, { "key 0x52 up" } }), Take());
    Cycles(100);  // no repeat while stopped
    EXPECT_TRUE(Take().empty());

    g_State.bRunning = 1;  // still held: with the system repeat, held keys stay up until pressed anew
    Cycles(100);
    EXPECT_TRUE(Take().empty());
    SetKey(&WM_KEY::nA, 0);
    SetKey(&WM_KEY::nB, 0);
    Cycle();
    SetKey(&WM_KEY::nA, 1);
    SetKey(&WM_KEY::nB, 1);
    Cycle();
    EXPECT_EQ(Calls({ { "key 0x2c up" }, { "key 0x52 up" }, { "key 0x2c down" }, { "key 0x52 down" } }), Take());
}

TEST_F(EngineTest, HeldKeysGoDownAgainWhenRunningResumes)
{
    AssignKeys(0, { VK_SNAPSHOT, 'P' });
    SetKey(&WM_KEY::nA, 1);
    Cycles(2);
    EXPECT_EQ(Calls({ { "key 0x2c down", "key 0x50 down" }, { "key 0x50 down" } }), Take());
    g_State.bRunning = 0;
    Cycles(3);
    EXPECT_EQ(Calls({ { "key 0x2c up" }, { "key 0x50 up" } }), Take());
    g_State.bRunning = 1;
    Cycle();
    EXPECT_EQ(Calls({ { "key 0x2c down", "key 0x50 down" } }), Take());
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
    EXPECT_EQ(Calls({ kCtrlCUp, { "mouse RIGHTUP" } }), Take()) << "only the pending releases";
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
    ASSERT_EQ(1, StartEngine());
    EXPECT_EQ(0, StartEngine());
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
