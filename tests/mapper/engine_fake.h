// A recording stand-in for the engine's system edge, and a fixture that drives cycles.
#ifndef ZAN_ENGINE_FAKE_H
#define ZAN_ENGINE_FAKE_H

#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "engine.h"
#include "input_seam.h"
#include "program_state.h"

typedef std::vector<std::string> Call;   // one SendInput call, one text per INPUT
typedef std::vector<Call> Calls;

struct FakeSystem {
    Calls calls;
    std::vector<DWORD> times;   // the clock at each SendInput call
    DWORD inputThread = 0;      // the thread of the last SendInput call
    int keyboardDelay = 1;
    int keyboardSpeed = 31;
    DWORD now = 1000;
    BOOL wow64 = FALSE;         // what IsWow64Process says of this process
};

inline FakeSystem *g_pFake;
inline CRITICAL_SECTION g_fakeLock;   // the engine thread's calls against the test's reads

// "key 0x11 (1d) down" (the virtual key, then the scan code, with e0 for an extended key),
// "mouse LEFTUP", "move 10,0", "wheel -60"; fields the engine must leave zero are checked
// here, once for every test.
inline std::string DescribeInput(const INPUT &input)
{
    char text[64];
    if (input.type == INPUT_KEYBOARD) {
        const KEYBDINPUT &k = input.ki;
        EXPECT_EQ(0u, k.time | k.dwExtraInfo | (k.dwFlags & ~(KEYEVENTF_KEYUP | KEYEVENTF_EXTENDEDKEY)));
        snprintf(text, sizeof(text), "key 0x%02x (%s%02x) %s", k.wVk, (k.dwFlags & KEYEVENTF_EXTENDEDKEY) ? "e0 " : "",
                 k.wScan, (k.dwFlags & KEYEVENTF_KEYUP) ? "up" : "down");
        return text;
    }
    const MOUSEINPUT &m = input.mi;
    bool wheel = m.dwFlags == MOUSEEVENTF_WHEEL || m.dwFlags == MOUSEEVENTF_HWHEEL;
    EXPECT_EQ(0u, m.time | m.dwExtraInfo | (wheel ? 0 : m.mouseData));
    if (m.dwFlags == MOUSEEVENTF_MOVE) {
        snprintf(text, sizeof(text), "move %ld,%ld", m.dx, m.dy);
    } else if (m.dwFlags == (MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE)) {
        snprintf(text, sizeof(text), "moveto %ld,%ld", m.dx, m.dy);
    } else if (wheel) {
        snprintf(text, sizeof(text), "%s %d", m.dwFlags == MOUSEEVENTF_WHEEL ? "wheel" : "hwheel", (int)m.mouseData);
    } else if (__builtin_popcount(m.dwFlags) == 1 && m.dwFlags <= MOUSEEVENTF_MIDDLEUP) {
        // The button flags are one bit each, from MOUSEEVENTF_LEFTDOWN (0x2) to MIDDLEUP (0x40).
        const char *const buttons[] = { "LEFTDOWN", "LEFTUP", "RIGHTDOWN", "RIGHTUP", "MIDDLEDOWN", "MIDDLEUP" };
        snprintf(text, sizeof(text), "mouse %s", buttons[__builtin_ctz(m.dwFlags) - 1]);
    } else {
        snprintf(text, sizeof(text), "mouse flags 0x%lx", m.dwFlags);
    }
    EXPECT_EQ(0, (m.dwFlags & MOUSEEVENTF_MOVE) ? 0 : m.dx | m.dy) << text;
    return text;
}

inline UINT WINAPI FakeSendInput(UINT cInputs, LPINPUT pInputs, int cbSize)
{
    EXPECT_EQ((int)sizeof(INPUT), cbSize);
    Call call;
    for (UINT i = 0; i < cInputs; i++)
        call.push_back(DescribeInput(pInputs[i]));
    EnterCriticalSection(&g_fakeLock);
    g_pFake->calls.push_back(call);
    g_pFake->times.push_back(g_pFake->now);
    g_pFake->inputThread = GetCurrentThreadId();
    LeaveCriticalSection(&g_fakeLock);
    return cInputs;
}

// A launch: the shell call as the launcher made it, and on which thread. A test that expects
// launches says so (launchesExpected); until the gate (a manual-reset event) is set, each
// call waits there, as ShellExecuteW does while a SmartScreen or UAC prompt is up. entered
// is set as each call begins, returned as it ends.
struct FakeLaunch {
    std::wstring verb, file;
    bool noParameters;
    INT show;
    DWORD thread;
};

struct FakeLauncher {
    bool launchesExpected = false;
    HANDLE gate = NULL, entered = NULL, returned = NULL;
    INT_PTR result = 42;
    std::vector<FakeLaunch> launches;
};

inline FakeLauncher *g_pLaunch;

// Without a FakeLauncher in g_pLaunch no test launches: the end-to-end tests start a real
// program, the window's tests show a failure.
inline HINSTANCE WINAPI FakeShellExecute(HWND hWnd, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                         LPCWSTR directory, INT show)
{
    FakeLauncher *launch = g_pLaunch;
    if (!launch || !launch->launchesExpected) {
        ADD_FAILURE() << "this test launches no program";
        return (HINSTANCE)42;
    }
    EXPECT_EQ(NULL, hWnd);
    EnterCriticalSection(&g_fakeLock);
    launch->launches.push_back({ verb ? verb : L"(null)", file ? file : L"(null)", !parameters && !directory,
                                 show, GetCurrentThreadId() });
    INT_PTR result = launch->result;
    LeaveCriticalSection(&g_fakeLock);
    if (launch->entered)
        SetEvent(launch->entered);
    if (launch->gate)
        WaitForSingleObject(launch->gate, INFINITE);
    if (launch->returned)
        SetEvent(launch->returned);
    return (HINSTANCE)result;
}

inline BOOL WINAPI FakeSystemParametersInfo(UINT action, UINT, PVOID value, UINT)
{
    if (action != SPI_GETKEYBOARDDELAY && action != SPI_GETKEYBOARDSPEED)
        return FALSE;
    *(int *)value = action == SPI_GETKEYBOARDDELAY ? g_pFake->keyboardDelay : g_pFake->keyboardSpeed;
    return TRUE;
}

inline DWORD WINAPI FakeClock(void)
{
    return g_pFake->now;
}

inline BOOL WINAPI FakeIsWow64Process(HANDLE process, PBOOL wow64)
{
    EXPECT_EQ(GetCurrentProcess(), process);
    *wow64 = g_pFake->wow64;
    return TRUE;
}

// What a test sets: WM_KEY's first fields by index, WM_KEYEX's fields as EX + index; whether
// the set runs, the remote in use, the record lock held by the window, the extension kind;
// the keyboard's repeat delay or speed setting (either turns the system repeat on).
enum { IN_A, IN_B, IN_MINUS, EX = 100, RUNNING = 200, REMOTE, LOCKED, EXTENSION, REPEAT_DELAY, REPEAT_SPEED };

inline ASSIGNMENT Keys(std::initializer_list<WORD> keys)
{
    ASSIGNMENT a = { ASSIGN_KEY, (int)keys.size(), { 0, 0, 0 }, 0, 0, 0, NULL, PRESS_NORMAL, 0, LAYER_HOLD };
    std::copy(keys.begin(), keys.end(), a.awKey);
    return a;
}

// An application slot; its path string belongs to the current set once stored there.
inline ASSIGNMENT Application(const wchar_t *path)
{
    ASSIGNMENT a = { ASSIGN_APPLICATION, 0, { 0, 0, 0 }, 0, 0, 0, NULL, PRESS_NORMAL, 0, LAYER_HOLD };
    if (path) {
        a.nPathLength = lstrlenW(path);
        a.pszPath = AllocPathText(a.nPathLength);
        lstrcpyW(a.pszPath, path);
    }
    return a;
}

inline ASSIGNMENT Mouse(int action, WORD amount = 0)
{
    return { ASSIGN_MOUSE, 0, { 0, 0, 0 }, (BYTE)action, amount, 0, NULL, PRESS_NORMAL, 0, LAYER_HOLD };
}

// Installs the fake seam, a fresh current set, a fresh program state with remote 0 in
// use and the record lock; removes them all afterwards.
struct EngineTest : ::testing::Test {
    FakeSystem fake;
    ENGINE_STATE state;
    WM_KEY key;
    WM_KEYEX keyEx;
    size_t taken;

    void SetUp() override
    {
        InitializeCriticalSection(&g_fakeLock);
        g_pFake = &fake;
        INPUT_SEAM seam = { FakeSendInput, FakeShellExecute, FakeSystemParametersInfo, FakeClock, FakeIsWow64Process };
        SetInputSeam(&seam);
        ASSERT_TRUE(CreateRecordLock());
        Reset();
    }
    void TearDown() override
    {
        g_pLaunch = nullptr;
        CloseRecordLock();
        Reset();
        ResetProgramState();
        SetInputSeam(NULL);
        DeleteCriticalSection(&g_fakeLock);
    }
    // Back to the start of SetUp's state, for each case of a table.
    void Reset()
    {
        ResetProgramState();
        SetSelectedRemote(0);
        ReleaseAssignmentPaths(&g_CurrentSet);
        InitAssignmentSet(&g_CurrentSet);
        fake = FakeSystem();
        InitEngineState(&state);
        key = {};
        keyEx = {};
        taken = 0;
    }

    // One cycle, ms after the previous one.
    void Cycle(DWORD ms = ENGINE_CYCLE_MS)
    {
        fake.now += ms;
        RunEngineCycle(&state);
    }
    void Cycles(int n) { for (int i = 0; i < n; i++) Cycle(); }
    // The calls made since the last Take.
    Calls Take()
    {
        EnterCriticalSection(&g_fakeLock);
        Calls fresh(fake.calls.begin() + taken, fake.calls.end());
        taken = fake.calls.size();
        LeaveCriticalSection(&g_fakeLock);
        return fresh;
    }

    void Set(int input, int value)
    {
        if (input == RUNNING) {
            g_State.bRunning = value;
        } else if (input == REMOTE) {
            SetSelectedRemote(value);
        } else if (input == LOCKED) {
            value ? LockRecord() : UnlockRecord();
        } else if (input == EXTENSION) {
            g_State.nExtensionKind = value;
        } else if (input == REPEAT_DELAY || input == REPEAT_SPEED) {
            g_CurrentSet.bSystemRepeat = 1;
            (input == REPEAT_DELAY ? fake.keyboardDelay : fake.keyboardSpeed) = value;
        } else if (input >= EX) {
            keyEx.anField[input - EX] = value;
            StoreExtensionCopy(&keyEx);
        } else {
            (&key.nA)[input] = value;
            StoreKeyCopy(&key);
        }
    }
};

#endif
