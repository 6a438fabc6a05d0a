#include "engine_fake.h"

#include <stdio.h>

FakeSystem *g_pFake;

namespace {

UINT WINAPI FakeSendInput(UINT cInputs, LPINPUT pInputs, int cbSize)
{
    EXPECT_EQ((int)sizeof(INPUT), cbSize);
    Call call;
    for (UINT i = 0; i < cInputs; i++)
        call.push_back(DescribeInput(pInputs[i]));
    EnterCriticalSection(&g_pFake->lock);
    g_pFake->calls.push_back(call);
    g_pFake->raw.push_back(std::vector<INPUT>(pInputs, pInputs + cInputs));
    g_pFake->times.push_back(g_pFake->now);
    LeaveCriticalSection(&g_pFake->lock);
    return cInputs;
}

HINSTANCE WINAPI FakeShellExecute(HWND hWnd, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, INT show)
{
    g_pFake->launches.push_back({ verb ? verb : L"", file ? file : L"", hWnd == NULL, parameters == NULL,
                                  directory == NULL, show });
    return (HINSTANCE)g_pFake->shellResult;
}

BOOL WINAPI FakeSystemParametersInfo(UINT action, UINT, PVOID value, UINT)
{
    if (action == SPI_GETKEYBOARDDELAY)
        *(int *)value = g_pFake->keyboardDelay;
    else if (action == SPI_GETKEYBOARDSPEED)
        *(int *)value = g_pFake->keyboardSpeed;
    else
        return FALSE;
    return TRUE;
}

DWORD WINAPI FakeClock(void)
{
    return g_pFake->now;
}

}  // namespace

std::string DescribeInput(const INPUT &input)
{
    char text[64];
    if (input.type == INPUT_KEYBOARD) {
        const KEYBDINPUT &k = input.ki;
        EXPECT_EQ(0u, k.time);
        EXPECT_EQ(0u, k.dwExtraInfo);
        EXPECT_EQ(0u, k.dwFlags & ~(KEYEVENTF_KEYUP | KEYEVENTF_EXTENDEDKEY)) << "no other key flag is set";
        snprintf(text, sizeof(text), "key 0x%02x %s", k.wVk, (k.dwFlags & KEYEVENTF_KEYUP) ? "up" : "down");
        return text;
    }
    const MOUSEINPUT &m = input.mi;
    EXPECT_EQ(0u, m.time);
    EXPECT_EQ(0u, m.dwExtraInfo);
    switch (m.dwFlags) {
    case MOUSEEVENTF_MOVE:
        EXPECT_EQ(0u, m.mouseData);
        snprintf(text, sizeof(text), "move %ld,%ld", m.dx, m.dy);
        return text;
    case MOUSEEVENTF_WHEEL:
    case MOUSEEVENTF_HWHEEL:
        snprintf(text, sizeof(text), "%s %d", m.dwFlags == MOUSEEVENTF_WHEEL ? "wheel" : "hwheel", (int)m.mouseData);
        return text;
    }
    EXPECT_EQ(0, m.dx);
    EXPECT_EQ(0, m.dy);
    EXPECT_EQ(0u, m.mouseData);
    static const struct { DWORD flag; const char *name; } buttons[] = {
        { MOUSEEVENTF_LEFTDOWN, "LEFTDOWN" }, { MOUSEEVENTF_LEFTUP, "LEFTUP" },
        { MOUSEEVENTF_MIDDLEDOWN, "MIDDLEDOWN" }, { MOUSEEVENTF_MIDDLEUP, "MIDDLEUP" },
        { MOUSEEVENTF_RIGHTDOWN, "RIGHTDOWN" }, { MOUSEEVENTF_RIGHTUP, "RIGHTUP" },
    };
    for (const auto &b : buttons)
        if (m.dwFlags == b.flag)
            return std::string("mouse ") + b.name;
    snprintf(text, sizeof(text), "mouse flags 0x%lx", m.dwFlags);
    return text;
}

void EngineTest::SetUp()
{
    InitializeCriticalSection(&fake.lock);
    g_pFake = &fake;
    INPUT_SEAM seam = { FakeSendInput, FakeShellExecute, FakeSystemParametersInfo, FakeClock };
    g_Seam = seam;
    ResetProgramState();
    SetSelectedRemote(0);
    InitAssignmentSet(&g_CurrentSet);
    ASSERT_TRUE(CreateRecordLock());
    InitEngineState(&state);
}

void EngineTest::TearDown()
{
    CloseRecordLock();
    ReleaseAssignmentPaths(&g_CurrentSet);
    InitAssignmentSet(&g_CurrentSet);
    ResetProgramState();
    ResetInputSeam();
    g_pFake = NULL;
    DeleteCriticalSection(&fake.lock);
}

void EngineTest::Cycle(DWORD ms)
{
    fake.now += ms;
    RunEngineCycle(&state);
}

std::vector<Call> EngineTest::Take()
{
    EnterCriticalSection(&fake.lock);
    std::vector<Call> fresh(fake.calls.begin() + taken, fake.calls.end());
    taken = fake.calls.size();
    LeaveCriticalSection(&fake.lock);
    return fresh;
}

void EngineTest::SetKey(int WM_KEY::*field, int value)
{
    key.*field = value;
    StoreKeyCopy(&key);
}

void EngineTest::SetKeyEx(int field, int value)
{
    keyEx.anField[field] = value;
    StoreExtensionCopy(&keyEx);
}

void EngineTest::AssignKeys(int slot, std::initializer_list<WORD> keys)
{
    ASSIGNMENT &a = g_CurrentSet.aAssign[slot];
    a.nKind = ASSIGN_KEY;
    a.nKeyCount = (int)keys.size();
    int i = 0;
    for (WORD k : keys)
        a.awKey[i++] = k;
}

void EngineTest::AssignMouse(int slot, int action, WORD amount)
{
    ASSIGNMENT &a = g_CurrentSet.aAssign[slot];
    a.nKind = ASSIGN_MOUSE;
    a.nMouseAction = (BYTE)action;
    a.wMoveAmount = amount;
}
