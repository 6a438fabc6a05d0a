// Releasing what the engine holds when it stops acting or a held slot is edited; the engine
// thread, and the wake on a change of the input copies.
#include "engine_fake.h"

#include <shellapi.h>
#include <string.h>
#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "setting_file.h"
#include "test_support.h"
namespace {

typedef HRESULT(WINAPI *GET_THREAD_DESCRIPTION_PROC)(HANDLE hThread, PWSTR *ppszDescription);

// The names the threads of this process have given themselves.
std::set<std::wstring> ThreadNames(GET_THREAD_DESCRIPTION_PROC pfnGet)
{
    std::set<std::wstring> names;
    HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL b = Thread32First(hSnap, &entry); b; b = Thread32Next(hSnap, &entry)) {
        HANDLE hThread = entry.th32OwnerProcessID == GetCurrentProcessId()
                             ? OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID) : NULL;
        PWSTR pszName = NULL;
        if (hThread && SUCCEEDED(pfnGet(hThread, &pszName)) && pszName) {
            names.insert(pszName);
            LocalFree(pszName);
        }
        if (hThread)
            CloseHandle(hThread);
    }
    CloseHandle(hSnap);
    return names;
}

}  // namespace

// The benchmark tells Zan's threads apart by these names.
TEST_F(EngineTest, EngineAndLauncherThreadsCarryTheirNamesWhileTheyRun)
{
    GET_THREAD_DESCRIPTION_PROC pfnGet = (GET_THREAD_DESCRIPTION_PROC)(void *)GetProcAddress(
        GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription");
    if (!pfnGet)
        GTEST_SKIP() << "threads have no names before Windows 10 1607";
    ASSERT_EQ(1, StartEngine(NULL, 0, 0));
    std::set<std::wstring> names;
    for (int i = 0; i < 200 && !(names.count(L"Zan engine") && names.count(L"Zan launcher")); i++, Sleep(10))
        names = ThreadNames(pfnGet);
    ASSERT_EQ(1, StopEngine());
    EXPECT_EQ(1u, names.count(L"Zan engine"));
    EXPECT_EQ(1u, names.count(L"Zan launcher"));
    EXPECT_EQ(0u, ThreadNames(pfnGet).count(L"Zan engine"));
}

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
    ASSERT_EQ(1, StartEngine(NULL, 0, 0));
    EXPECT_EQ(0, StartEngine(NULL, 0, 0));
    for (size_t i = 0, pressed = 0; i < 500 && pressed < 2; i++) {
        Sleep(ENGINE_CYCLE_MS);
        pressed += Take().size();
    }
    ASSERT_EQ(1, StopEngine());
    EXPECT_EQ(0, StopEngine());
    ASSERT_GE(fake.calls.size(), 4u);
    EXPECT_EQ(Calls({ { "key 0x10 (2a) up" }, { "mouse LEFTUP" } }), Calls(fake.calls.end() - 2, fake.calls.end()));
}

// Polls until done() holds, for at most ms; whether it did.
bool WaitUntil(const std::function<bool()> &done, DWORD ms = 5000)
{
    for (DWORD start = GetTickCount(); !done();) {
        if (GetTickCount() - start >= ms)
            return false;
        Sleep(1);
    }
    return true;
}

// A window that only takes the launcher's failure reports, and the reports it got.
struct ReportWindow {
    static const UINT kMsg = WM_APP + 7;
    HWND hWnd = CreateWindowExW(0, L"STATIC", NULL, 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    ~ReportWindow() { DestroyWindow(hWnd); }
    // The next report as "slot result", waiting at most ms; "" when none came.
    std::string Next(DWORD ms = 0)
    {
        MSG msg;
        bool got = false;
        WaitUntil([&] { return got = PeekMessageW(&msg, hWnd, kMsg, kMsg, PM_REMOVE) != FALSE; }, ms);
        return got ? std::to_string(msg.wParam) + " " + std::to_string(msg.lParam) : "";
    }
};

// The shell's gate, and the events it sets as a launch begins and ends.
struct Gate {
    FakeLauncher launch;
    Gate()
    {
        launch.launchesExpected = true;
        launch.gate = CreateEventW(NULL, TRUE, FALSE, NULL);
        launch.entered = CreateEventW(NULL, FALSE, FALSE, NULL);
        launch.returned = CreateEventW(NULL, FALSE, FALSE, NULL);
        g_pLaunch = &launch;
    }
    ~Gate()
    {
        g_pLaunch = nullptr;
        for (HANDLE h : { launch.gate, launch.entered, launch.returned })
            CloseHandle(h);
    }
    size_t Count()
    {
        EnterCriticalSection(&g_fakeLock);
        size_t n = launch.launches.size();
        LeaveCriticalSection(&g_fakeLock);
        return n;
    }
};

// How many calls so far sent the one input.
size_t CountSent(EngineTest &t, const std::string &input)
{
    EnterCriticalSection(&g_fakeLock);
    size_t n = (size_t)std::count(t.fake.calls.begin(), t.fake.calls.end(), Call({ input }));
    LeaveCriticalSection(&g_fakeLock);
    return n;
}

DWORD WINAPI LockAndUnlockRecord(LPVOID)
{
    LockRecord();
    UnlockRecord();
    return 0;
}

DWORD WINAPI StopTheEngine(LPVOID)
{
    return (DWORD)StopEngine();
}

// The window's side of an edit, on a thread of its own so a lock that is never freed fails
// the test instead of hanging it: 1 when LockRecord returned within ms.
bool LockRecordWithin(DWORD ms, HANDLE gate)
{
    HANDLE locker = CreateThread(NULL, 0, LockAndUnlockRecord, NULL, 0, NULL);
    bool prompt = WaitForSingleObject(locker, ms) == WAIT_OBJECT_0;
    if (!prompt)
        SetEvent(gate);  // let the launch return, and the lock with it
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(locker, 10000));
    CloseHandle(locker);
    return prompt;
}

// A launch that waits in the shell (a SmartScreen or UAC prompt is up) holds neither the
// engine nor the record lock: a held key is released meanwhile and the window can edit the
// set. Once the shell returns the launch happened once, on the launcher's thread, with the
// path copied; a failed launch is reported to the window with its slot and result, a
// successful one not.
TEST_F(EngineTest, ALaunchWaitingInTheShellHoldsNeitherTheEngineNorTheRecordLock)
{
    Gate gate;
    ReportWindow report;
    g_CurrentSet.aAssign[0] = Application(L"C:\\apps\\blocked.exe");
    g_CurrentSet.aAssign[1] = Keys({ 'K' });
    ASSERT_EQ(1, StartEngine(report.hWnd, ReportWindow::kMsg, 0));
    Set(IN_B, 1);
    ASSERT_TRUE(WaitUntil([&] { return CountSent(*this, "key 0x4b (25) down") > 0; }));
    Set(IN_A, 1);
    ASSERT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(gate.launch.entered, 5000)) << "no launch";

    Set(IN_B, 0);
    EXPECT_TRUE(WaitUntil([&] { return CountSent(*this, "key 0x4b (25) up") > 0; }, 2000))
        << "the key was not released while the launch waited";
    EXPECT_TRUE(LockRecordWithin(2000, gate.launch.gate)) << "an edit waited for the launch";
    LockRecord();
    ClearAssignmentPath(&g_CurrentSet.aAssign[0]);  // the edit frees the path the launch was given
    g_CurrentSet.aAssign[0] = Application(L"C:\\apps\\failing.exe");
    UnlockRecord();

    SetEvent(gate.launch.gate);
    ASSERT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(gate.launch.returned, 5000));
    Sleep(5 * ENGINE_CYCLE_MS);  // room for a second launch of the same press
    ASSERT_EQ(1u, gate.Count()) << "one launch per press";
    const FakeLaunch &first = gate.launch.launches[0];
    EXPECT_EQ(L"open", first.verb);
    EXPECT_EQ(L"C:\\apps\\blocked.exe", first.file);
    EXPECT_TRUE(first.noParameters);
    EXPECT_EQ(SW_SHOWNORMAL, first.show);
    EXPECT_NE(fake.inputThread, first.thread) << "launched on the engine thread";
    EXPECT_EQ("", report.Next()) << "a successful launch is not reported";

    // Released (seen once the key goes down with the same copy), then pressed again: the
    // shell fails and the window hears of it.
    gate.launch.result = SE_ERR_NOASSOC;
    size_t downs = CountSent(*this, "key 0x4b (25) down");
    Set(IN_A, 0);
    Set(IN_B, 1);
    ASSERT_TRUE(WaitUntil([&] { return CountSent(*this, "key 0x4b (25) down") > downs; }));
    Set(IN_A, 1);
    EXPECT_EQ("0 " + std::to_string(SE_ERR_NOASSOC), report.Next(5000));
    ASSERT_EQ(2u, gate.Count());
    EXPECT_EQ(L"C:\\apps\\failing.exe", gate.launch.launches[1].file);
    EXPECT_EQ(first.thread, gate.launch.launches[1].thread);
    EXPECT_EQ(1, StopEngine());
}

// A stop while a launch still waits in the shell waits a bounded time for it and leaves the
// launcher's thread to end when the shell returns; the engine starts again meanwhile.
TEST_F(EngineTest, StopWaitsABoundedTimeForALaunchStillInTheShell)
{
    Gate gate;
    g_CurrentSet.aAssign[0] = Application(L"C:\\apps\\blocked.exe");
    ASSERT_EQ(1, StartEngine(NULL, 0, 0));
    Set(IN_A, 1);
    ASSERT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(gate.launch.entered, 5000)) << "no launch";
    DWORD start = GetTickCount();
    HANDLE stopper = CreateThread(NULL, 0, StopTheEngine, NULL, 0, NULL);
    bool bounded = WaitForSingleObject(stopper, LAUNCH_STOP_WAIT_MS + 4000) == WAIT_OBJECT_0;
    DWORD took = GetTickCount() - start;
    SetEvent(gate.launch.gate);  // lets a stop that waits for the launch end, too
    WaitForSingleObject(stopper, INFINITE);
    DWORD stopped = 0;
    GetExitCodeThread(stopper, &stopped);
    CloseHandle(stopper);
    EXPECT_TRUE(bounded) << "the stop waited for the launch";
    EXPECT_GE(took + 50, (DWORD)LAUNCH_STOP_WAIT_MS) << "the stop gave the launch its time";
    EXPECT_EQ(1u, stopped);
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(gate.launch.returned, 5000));

    ResetEvent(gate.launch.gate);
    ASSERT_EQ(1, StartEngine(NULL, 0, 0));  // a fresh engine takes A, still held, as a press
    EXPECT_TRUE(WaitUntil([&] { return gate.Count() == 2; })) << "the new launcher launches";
    SetEvent(gate.launch.gate);
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(gate.launch.returned, 5000));
    EXPECT_EQ(1, StopEngine());
}

// The queue holds LAUNCH_QUEUE_ENTRIES launches behind the one in the shell, each with its own
// copy of the path; one more is refused at once. Without a launcher, or with no path, the
// engine reports the launch as failed itself.
TEST_F(EngineTest, LaunchQueueIsBoundedAndALaunchItCannotTakeIsReported)
{
    Gate gate;
    ReportWindow report;
    LAUNCHER *launcher = StartLauncher(report.hWnd, ReportWindow::kMsg);
    ASSERT_TRUE(launcher);
    WCHAR path[MAX_PATH] = L"first.exe";
    ASSERT_EQ(1, QueueLaunch(launcher, 1, path));
    ASSERT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(gate.launch.entered, 5000));
    for (int i = 0; i < LAUNCH_QUEUE_ENTRIES; i++) {
        swprintf(path, MAX_PATH, L"queued%d.exe", i);
        EXPECT_EQ(1, QueueLaunch(launcher, 2, path));
        lstrcpyW(path, L"overwritten.exe");
    }
    EXPECT_EQ(0, QueueLaunch(launcher, 3, path)) << "the queue is full";
    EXPECT_EQ(0, QueueLaunch(launcher, 3, NULL));
    EXPECT_EQ(0, QueueLaunch(NULL, 3, path));
    gate.launch.result = SE_ERR_FNF;
    SetEvent(gate.launch.gate);
    ASSERT_TRUE(WaitUntil([&] { return gate.Count() == 1 + LAUNCH_QUEUE_ENTRIES; }));
    for (int i = 0; i < LAUNCH_QUEUE_ENTRIES; i++) {
        EXPECT_EQ(L"queued" + std::to_wstring(i) + L".exe", gate.launch.launches[1 + i].file);
        EXPECT_EQ("2 " + std::to_string(SE_ERR_FNF), report.Next(5000)) << "queued launch " << i;
    }
    EXPECT_EQ(1, StopLauncher(launcher, LAUNCH_STOP_WAIT_MS));
    EXPECT_EQ("", report.Next()) << "the first launch succeeded";

    gate.launch.launchesExpected = false;
    state.hReportWnd = report.hWnd;
    state.uReportMsg = ReportWindow::kMsg;
    g_CurrentSet.aAssign[0] = Application(L"C:\\apps\\any.exe");
    g_CurrentSet.aAssign[1] = Application(NULL);
    Set(IN_A, 1);
    Set(IN_B, 1);
    Cycle();
    EXPECT_EQ("0 " + std::to_string(SE_ERR_OOM), report.Next());
    EXPECT_EQ("1 " + std::to_string(SE_ERR_FNF), report.Next());
}

// Under WOW64 a path inside the Windows folder's System32, in any case, goes through Sysnative;
// anything else, or a rewrite longer than the buffer, goes as given. The launcher asks the seam
// whether it runs under WOW64 and launches what the rewrite gives.
TEST_F(EngineTest, UnderWow64System32LaunchesGoThroughSysnative)
{
    const wchar_t *kWsl = L"C:\\Windows\\System32\\wsl.exe";
    struct Case { int wow64; const wchar_t *path, *want; int cchOut; } cases[] = {
        { 1, kWsl, L"C:\\Windows\\Sysnative\\wsl.exe", MAX_PATH },
        { 1, L"c:\\WINDOWS\\system32\\WindowsPowerShell\\v1.0\\powershell.exe",
          L"C:\\Windows\\Sysnative\\WindowsPowerShell\\v1.0\\powershell.exe", MAX_PATH },
        { 0, kWsl, nullptr, MAX_PATH },
        { 1, L"C:\\Windows\\System32x\\tool.exe", nullptr, MAX_PATH },
        { 1, L"C:\\Windows\\System32", nullptr, MAX_PATH },
        { 1, L"C:\\Windows\\SysWOW64\\cmd.exe", nullptr, MAX_PATH },
        { 1, L"D:\\Windows\\System32\\cmd.exe", nullptr, MAX_PATH },
        { 1, L"C:\\Tools\\Windows\\System32\\cmd.exe", nullptr, MAX_PATH },
        { 1, kWsl, L"C:\\Windows\\Sysnative\\wsl.exe", 29 },  // 28 characters and the terminator
        { 1, kWsl, nullptr, 28 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << std::wstring(c.path) << ", wow64 " << c.wow64 << ", buffer " << c.cchOut);
        WCHAR out[MAX_PATH] = L"untouched";
        EXPECT_EQ(c.want != nullptr, MakeNativeLaunchPath(c.path, L"C:\\Windows", c.wow64, out, c.cchOut));
        EXPECT_EQ(std::wstring(c.want ? c.want : L"untouched"), out);
    }

    Gate gate;
    SetEvent(gate.launch.gate);
    LAUNCHER *launcher = StartLauncher(NULL, 0);
    ASSERT_TRUE(launcher);
    WCHAR windows[MAX_PATH];
    ASSERT_GT(GetSystemWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::wstring cmd = std::wstring(windows) + L"\\SYSTEM32\\cmd.exe";
    for (BOOL wow64 : { TRUE, FALSE }) {
        fake.wow64 = wow64;
        size_t before = gate.Count();
        ASSERT_EQ(1, QueueLaunch(launcher, 0, cmd.c_str()));
        ASSERT_TRUE(WaitUntil([&] { return gate.Count() > before; }));
        EXPECT_EQ(wow64 ? std::wstring(windows) + L"\\Sysnative\\cmd.exe" : cmd, gate.launch.launches[before].file);
    }
    EXPECT_EQ(1, StopLauncher(launcher, LAUNCH_STOP_WAIT_MS));
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

// The same loop with a move slot on A: with nothing pressed the engine runs one step and then
// waits for the wake event alone; pressed (a wake), the pointer moves every 10 ms by a cycle's
// distance at the cadence of the first cycle, and the cycle that finds A released is the last.
TEST_F(EngineTest, IdleEngineWaitsForTheWakeEventAloneAndAHeldMoveStillMovesEvery10Ms)
{
    struct Case { const char *name; LONG immediate; DWORD pressAt, releaseAt; std::vector<DWORD> moves; size_t steps; } cases[] = {
        { "nothing pressed", 1, 200, 200, {}, 1 },
        { "immediate", 1, 23, 73, { 30, 40, 50, 60, 70 }, 9 },
        { "cycle only", 0, 23, 73, { 30, 40, 50, 60, 70 }, 9 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        g_State.bImmediateReaction = c.immediate;
        g_CurrentSet.aAssign[0] = Mouse(MOUSE_MOVE_RIGHT, 1000);
        DWORD wait = ENGINE_CYCLE_MS, waitStart = 0;
        size_t steps = 0;
        for (DWORD ms = 0; ms <= 100; ms++, fake.now++) {
            bool woken = ms == c.pressAt || ms == c.releaseAt;
            if (woken)
                Set(IN_A, ms == c.pressAt);
            if (ms == 0 || woken || (wait != INFINITE && ms - waitStart >= wait)) {
                wait = RunEngineStep(&state, woken);
                waitStart = ms;
                steps++;
            }
        }
        std::vector<DWORD> moves;
        for (size_t i = 0; i < fake.calls.size(); i++) {
            moves.push_back(fake.times[i] - 1000);
            EXPECT_EQ(fake.calls[0], fake.calls[i]) << "a cycle's distance each time";
        }
        EXPECT_EQ(c.moves, moves);
        EXPECT_EQ(c.steps, steps);
    }
}

// The window replaces the set (another program came to the front) while J of the old set is
// held, and within the cycle a press of K arrives: the edge lets go of J before K goes down,
// and the cycles after it find nothing more to let go of, so K stays down until its button
// is released, with the system repeat or without.
TEST_F(EngineTest, APressRightAfterASetSwitchIsNotCutShort)
{
    for (BYTE repeat : { 0, 1 }) {
        SCOPED_TRACE(repeat ? "system repeat" : "no repeat");
        Reset();
        g_CurrentSet.bSystemRepeat = repeat;
        g_CurrentSet.aAssign[1] = Keys({ 'J' });
        Set(IN_B, 1);
        Cycle();
        EXPECT_EQ(Calls({ { "key 0x4a (24) down" } }), Take());
        LockRecord();  // the switch: the new set has K on A and nothing on B
        g_CurrentSet.aAssign[0] = Keys({ 'K' });
        g_CurrentSet.aAssign[1] = Keys({});
        InterlockedExchange(&g_State.bReleaseHeld, 1);
        UnlockRecord();
        fake.now += 3;
        Set(IN_A, 1);
        RunEngineEdges(&state);  // woken by the new copy, 3 ms into the cycle
        EXPECT_EQ(Calls({ { "key 0x4a (24) up" }, { "key 0x4b (25) down" } }), Take());
        Cycles(3);
        EXPECT_EQ(repeat ? Calls() : Calls(3, { "key 0x4b (25) down" }), Take()) << "K stays down";
        Set(IN_A, 0);
        Cycle();
        EXPECT_EQ(Calls({ { "key 0x4b (25) up" } }), Take());
    }
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
