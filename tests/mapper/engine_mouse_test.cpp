// Mouse and application slots, stick sectors and the extension filter.
#include "engine_fake.h"

#include <shellapi.h>

#include "key_text.h"

namespace {

typedef std::vector<Call> Calls;

enum { NUN_X = 2, NUN_Y = 3, CLS_LT = 19 };
enum { SLOT_C = 11, SLOT_NUN_UP = 13, SLOT_NUN_DOWN = 14, SLOT_NUN_RIGHT = 16, SLOT_CLS_A = 17, SLOT_ZL = 30 };

TEST(StickValue, SectorsAndDeadZone)
{
    struct Case { int x, y, up, down, left, right; } cases[] = {
        { 50, 50, 50, 0, 0, 50 },     // 45 degrees presses both neighbours
        { -50, -50, 0, 50, 50, 0 },
        { 19, 0, 0, 0, 0, 0 },        // radius 19
        { 13, 13, 0, 0, 0, 0 },       // 338 < 400
        { 20, 0, 0, 0, 0, 20 },       // radius 20 on an axis
        { 0, 20, 20, 0, 0, 0 },
        { 0, -20, 0, 20, 0, 0 },
        { -20, 0, 0, 0, 20, 0 },
        { 100, 30, 0, 0, 0, 100 },    // 16.7 degrees: right only
        { 100, 45, 45, 0, 0, 100 },   // 24.2 degrees: up begins at 22.5
        { -100, 100, 100, 0, 100, 0 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "x " << c.x << " y " << c.y);
        EXPECT_EQ(c.up, GetStickValue(DIRECTION_UP, c.x, c.y));
        EXPECT_EQ(c.down, GetStickValue(DIRECTION_DOWN, c.x, c.y));
        EXPECT_EQ(c.left, GetStickValue(DIRECTION_LEFT, c.x, c.y));
        EXPECT_EQ(c.right, GetStickValue(DIRECTION_RIGHT, c.x, c.y));
    }
}

TEST(SlotValue, TriggersNeedTwenty)
{
    WM_KEY key = {};
    WM_KEYEX keyEx = {};
    keyEx.anField[CLS_LT] = 19;
    EXPECT_EQ(0, GetSlotValue(SLOT_ZL, &key, &keyEx));
    keyEx.anField[CLS_LT] = 20;
    EXPECT_EQ(20, GetSlotValue(SLOT_ZL, &key, &keyEx));
    keyEx.anField[13] = 1;  // the digital ZL button drives no slot
    keyEx.anField[CLS_LT] = 0;
    EXPECT_EQ(0, GetSlotValue(SLOT_ZL, &key, &keyEx));
}

TEST(SlotValue, ExtensionFilter)
{
    struct Case { int kind; bool nunchuk, classic; } cases[] = {
        { WMEXT_NONE, true, true }, { WMEXT_NUNCHUK, true, false },
        { WMEXT_CLASSIC, false, true }, { WMEXT_CLASSIC_PRO, false, true },
    };
    for (const Case &c : cases) {
        for (int slot = 0; slot < ASSIGN_SLOTS; slot++) {
            bool want = slot < SLOT_C ? true : slot < SLOT_CLS_A ? c.nunchuk : c.classic;
            EXPECT_EQ(want, IsSlotEvaluated(slot, c.kind) != 0) << "kind " << c.kind << " slot " << slot;
        }
    }
}

TEST_F(EngineTest, StickAt45DegreesPressesUpAndRight)
{
    g_State.nExtensionKind = WMEXT_NUNCHUK;
    AssignKeys(SLOT_NUN_UP, { VK_UP });
    AssignKeys(SLOT_NUN_RIGHT, { VK_RIGHT });
    AssignKeys(SLOT_CLS_A, { 'Q' });  // filtered out with a Nunchuk
    SetKeyEx(0, 1);
    SetKeyEx(NUN_X, 50);
    SetKeyEx(NUN_Y, 50);
    Cycle();
    EXPECT_EQ(Calls({ { "key 0x26 down" }, { "key 0x27 down" } }), Take());
}

TEST_F(EngineTest, ExtensionSlotsUseTheLastValuesWithoutAnExtension)
{
    AssignKeys(SLOT_C, { 'C' });
    AssignKeys(SLOT_CLS_A, { 'A' });
    SetKeyEx(0, 1);
    Cycle();
    EXPECT_EQ(Calls({ { "key 0x43 down" }, { "key 0x41 down" } }), Take());
}

TEST_F(EngineTest, MoveFollowsAmountAndElapsedTime)
{
    AssignMouse(0, MOUSE_MOVE_RIGHT, 1000);
    AssignMouse(1, MOUSE_MOVE_UP, 50);
    SetKey(&WM_KEY::nA, 1);
    Cycles(2);
    Cycle(25);  // a late cycle moves further
    EXPECT_EQ(Calls({ { "move 10,0" }, { "move 10,0" }, { "move 25,0" } }), Take());
    SetKey(&WM_KEY::nA, 0);
    Cycle();
    EXPECT_TRUE(Take().empty());  // releasing a move sends nothing

    SetKey(&WM_KEY::nB, 1);  // half a pixel per cycle: a pixel every second cycle
    Cycles(4);
    EXPECT_EQ(Calls({ { "move 0,0" }, { "move 0,-1" }, { "move 0,0" }, { "move 0,-1" } }), Take());
}

TEST_F(EngineTest, StickMovesInProportionToDeflection)
{
    g_State.nExtensionKind = WMEXT_NUNCHUK;
    AssignMouse(SLOT_NUN_RIGHT, MOUSE_MOVE_RIGHT, 1000);
    SetKeyEx(NUN_X, 40);
    Cycles(2);
    EXPECT_EQ(Calls({ { "move 4,0" }, { "move 4,0" } }), Take());
}

TEST_F(EngineTest, WheelStepsEveryCycleWhileHeld)
{
    g_State.nExtensionKind = WMEXT_NUNCHUK;
    AssignMouse(0, MOUSE_SCROLL_DOWN);
    AssignMouse(1, MOUSE_SCROLL_LEFT);
    AssignMouse(SLOT_NUN_DOWN, MOUSE_SCROLL_DOWN);
    SetKey(&WM_KEY::nA, 1);
    Cycles(2);
    EXPECT_EQ(Calls({ { "wheel -60" }, { "wheel -60" } }), Take());
    SetKey(&WM_KEY::nA, 0);
    SetKey(&WM_KEY::nB, 1);
    Cycle();
    EXPECT_EQ(Calls({ { "hwheel 60" } }), Take());
    SetKey(&WM_KEY::nB, 0);
    SetKeyEx(NUN_Y, -20);  // just past the dead zone: value 20
    Cycle();
    EXPECT_EQ(Calls({ { "wheel -12" } }), Take());
}

TEST_F(EngineTest, ClicksPressAndRelease)
{
    AssignMouse(0, MOUSE_LEFT_CLICK);
    AssignMouse(1, MOUSE_MIDDLE_CLICK);
    AssignMouse(2, MOUSE_RIGHT_CLICK);
    SetKey(&WM_KEY::nA, 1);
    SetKey(&WM_KEY::nB, 1);
    SetKey(&WM_KEY::nMinus, 1);
    Cycles(3);
    EXPECT_EQ(Calls({ { "mouse LEFTDOWN" }, { "mouse MIDDLEDOWN" }, { "mouse RIGHTDOWN" } }), Take());
    SetKey(&WM_KEY::nA, 0);
    SetKey(&WM_KEY::nB, 0);
    SetKey(&WM_KEY::nMinus, 0);
    Cycles(2);
    EXPECT_EQ(Calls({ { "mouse LEFTUP" }, { "mouse MIDDLEUP" }, { "mouse RIGHTUP" } }), Take());
}

TEST_F(EngineTest, DoubleClickIsFourCallsOnThePress)
{
    AssignMouse(0, MOUSE_DOUBLE_CLICK);
    SetKey(&WM_KEY::nA, 1);
    Cycles(3);
    SetKey(&WM_KEY::nA, 0);
    Cycles(2);
    EXPECT_EQ(Calls({ { "mouse LEFTDOWN" }, { "mouse LEFTUP" }, { "mouse LEFTDOWN" }, { "mouse LEFTUP" } }), Take());
}

TEST_F(EngineTest, ApplicationLaunchesOncePerPress)
{
    ASSIGNMENT &a = g_CurrentSet.aAssign[0];
    a.nKind = ASSIGN_APPLICATION;
    a.pszPath = AllocPathText(16);
    lstrcpyW(a.pszPath, L"C:\\tools\\run.exe");
    for (int press = 0; press < 2; press++) {
        SetKey(&WM_KEY::nA, 1);
        Cycles(4);
        SetKey(&WM_KEY::nA, 0);
        Cycles(2);
    }
    ASSERT_EQ(2u, fake.launches.size());
    for (const Launch &l : fake.launches) {
        EXPECT_EQ(L"open", l.verb);
        EXPECT_EQ(L"C:\\tools\\run.exe", l.file);
        EXPECT_TRUE(l.noOwner && l.noParameters && l.noDirectory);
        EXPECT_EQ(SW_SHOWNORMAL, l.show);
    }
    EXPECT_TRUE(Take().empty());
}

// A failed launch is posted to the window, with the slot and the shell's result.
TEST_F(EngineTest, FailedOrMissingLaunchIsPostedToTheWindow)
{
    const UINT kReport = WM_APP + 0x40;
    HWND hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    ASSERT_TRUE(hWnd);
    state.hReportWnd = hWnd;
    state.uReportMsg = kReport;
    ASSIGNMENT &a = g_CurrentSet.aAssign[0];
    a.nKind = ASSIGN_APPLICATION;
    a.pszPath = AllocPathText(5);
    lstrcpyW(a.pszPath, L"x.exe");
    g_CurrentSet.aAssign[1].nKind = ASSIGN_APPLICATION;  // no path: nothing to launch
    fake.shellResult = 32;  // 32 and below are failures
    SetKey(&WM_KEY::nA, 1);
    SetKey(&WM_KEY::nB, 1);
    Cycles(2);
    EXPECT_EQ(1u, fake.launches.size());
    std::vector<std::string> posted;  // "slot result"
    MSG msg;
    while (PeekMessageW(&msg, hWnd, kReport, kReport, PM_REMOVE))
        posted.push_back(std::to_string(msg.wParam) + " " + std::to_string(msg.lParam));
    EXPECT_EQ(std::vector<std::string>({ "0 32", "1 " + std::to_string(SE_ERR_FNF) }), posted);
    DestroyWindow(hWnd);
}

}  // namespace
