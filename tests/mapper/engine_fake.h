// A recording stand-in for the engine's system edge, and a fixture that drives cycles.
#ifndef ZAN_ENGINE_FAKE_H
#define ZAN_ENGINE_FAKE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine.h"
#include "input_seam.h"
#include "program_state.h"

typedef std::vector<std::string> Call;   // one SendInput call, one text per INPUT
typedef std::vector<Call> Calls;

struct FakeSystem {
    CRITICAL_SECTION lock;
    Calls calls;
    std::vector<DWORD> times;   // the clock at each SendInput call
    std::vector<std::wstring> launches;   // "open C:\x.exe show 1", with " with more" for any other argument
    INT_PTR shellResult = 42;
    int keyboardDelay = 1;
    int keyboardSpeed = 31;
    DWORD now = 1000;
};

// What a test sets: WM_KEY's first fields by index, WM_KEYEX's fields as EX + index; whether
// the set runs, the remote in use, and the record lock held by the window.
enum { IN_A, IN_B, IN_MINUS, EX = 100, RUNNING = 200, REMOTE, LOCKED };

// Installs the fake seam, a fresh current set, a fresh program state with remote 0 in
// use and the record lock; removes them all afterwards.
struct EngineTest : ::testing::Test {
    FakeSystem fake;
    ENGINE_STATE state;
    WM_KEY key;
    WM_KEYEX keyEx;
    size_t taken;

    void SetUp() override;
    void TearDown() override;
    // Back to the start of SetUp's state, for each case of a table.
    void Reset();

    // One cycle, ms after the previous one.
    void Cycle(DWORD ms = ENGINE_CYCLE_MS);
    void Cycles(int n) { for (int i = 0; i < n; i++) Cycle(); }
    // The calls made since the last Take.
    Calls Take();

    void Set(int input, int value);
    void AssignKeys(int slot, std::initializer_list<WORD> keys);
    void AssignMouse(int slot, int action, WORD amount = 0);
};

#endif
