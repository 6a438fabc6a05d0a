// Zan.exe, end to end: a simulated remote's presses become input in another program.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "e2e_harness.h"

namespace {

enum {
    SLOT_A = 0, SLOT_B = 1, SLOT_MINUS = 2, SLOT_HOME = 3, SLOT_PLUS = 4, SLOT_ONE = 5, SLOT_TWO = 6,
    SLOT_UP = 7, SLOT_DOWN = 8, SLOT_LEFT = 9, SLOT_RIGHT = 10,
    SLOT_NUNCHUK_STICK_UP = 13, SLOT_NUNCHUK_STICK_DOWN = 14, SLOT_NUNCHUK_STICK_RIGHT = 16,
    SLOT_CLASSIC_A = 17, SLOT_CLASSIC_LSTICK_UP = 32, SLOT_CLASSIC_LSTICK_LEFT = 34,
};

void SetKeys(ASSIGNMENT_SET *pSet, int nSlot, std::initializer_list<WORD> keys) {
    ASSIGNMENT *p = &pSet->aAssign[nSlot];
    p->nKind = ASSIGN_KEY;
    p->nKeyCount = 0;
    for (WORD w : keys)
        p->awKey[p->nKeyCount++] = w;
}

void SetMouse(ASSIGNMENT_SET *pSet, int nSlot, int nAction, int nAmount = 0) {
    ASSIGNMENT *p = &pSet->aAssign[nSlot];
    p->nKind = ASSIGN_MOUSE;
    p->nMouseAction = (BYTE)nAction;
    p->wMoveAmount = (WORD)nAmount;
}

std::vector<long> Params(const std::vector<TargetEvent> &events) {
    std::vector<long> v;
    for (const TargetEvent &e : events)
        v.push_back(e.nParam);
    return v;
}

class EndToEnd : public ::testing::Test {
protected:
    ZanRun run;
    ASSIGNMENT_SET set;
    void SetUp() override {
        const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = info->name();
        ASSERT_TRUE(run.Prepare(std::wstring(name.begin(), name.end()).c_str()));
        InitAssignmentSet(&set);
    }
    // Starts Zan on the set with a scenario whose remote acts after the cue, then the target.
    void Start(const std::string &actions) {
        std::wstring path = run.WriteSet(&set, L"test.zan");
        ASSERT_FALSE(path.empty());
        run.WriteScenario("remote\nwaitconnected 1\nwaitfile " + run.ScenarioPath(L"cue") + "\nwait 100\n" +
                          actions);
        ASSERT_TRUE(run.StartZan(L"\"" + path + L"\""));
        ASSERT_TRUE(run.StartTarget());
        run.Cue();
    }
};

TEST_F(EndToEnd, HeldKeySlotRepeatsItsKeysEveryCycleAndReleasesOnce) {
    SetKeys(&set, SLOT_A, {VK_CONTROL, 'C'});
    Start("press 1 A\nwait 50\nrelease 1 A\n");
    ASSERT_TRUE(run.WaitEvents([](const std::vector<TargetEvent> &e) { return Only(e, "KEYUP").size() >= 2; }, 5000));
    Sleep(200);
    run.Close();
    std::vector<TargetEvent> events = run.Events();
    std::vector<long> downs = Params(Only(events, "KEYDOWN"));
    ASSERT_GE(downs.size(), 4u);  // at least two cycles of both keys
    for (size_t i = 0; i < downs.size(); i++)
        EXPECT_EQ(i % 2 == 0 ? VK_CONTROL : 'C', downs[i]) << i;
    EXPECT_EQ((std::vector<long>{VK_CONTROL, 'C'}), Params(Only(events, "KEYUP")));
    EXPECT_TRUE(KeysLeftDown(events).empty());
}


TEST_F(EndToEnd, SystemRepeatPressesOnceThenRepeatsAfterTheDelayAtTheRate) {
    SetKeys(&set, SLOT_B, {'X'});
    set.bSystemRepeat = 1;
    Start("press 1 B\nwait 900\nrelease 1 B\n");
    ASSERT_TRUE(run.WaitEvents([](const std::vector<TargetEvent> &e) { return !Only(e, "KEYUP").empty(); }, 6000));
    Sleep(200);
    run.Close();
    std::vector<TargetEvent> events = run.Events();
    std::vector<TargetEvent> downs = Only(events, "KEYDOWN");
    ASSERT_GE(downs.size(), 3u);
    UINT uDelay = 1, uSpeed = 31;
    SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &uDelay, 0);
    SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &uSpeed, 0);
    double dDelay = (uDelay + 1) * 250.0;
    // One press, then nothing for the keyboard delay, then repeats at the keyboard rate.
    EXPECT_NEAR(dDelay, downs[1].dMs - downs[0].dMs, 60.0);
    for (size_t i = 2; i < downs.size(); i++)
        EXPECT_LT(downs[i].dMs - downs[i - 1].dMs, 60.0) << i;
    EXPECT_EQ(1u, Only(events, "KEYUP").size());
    EXPECT_TRUE(KeysLeftDown(events).empty());
}

TEST_F(EndToEnd, MouseClicksAndDoubleClick) {
    SetMouse(&set, SLOT_A, MOUSE_LEFT_CLICK);
    SetMouse(&set, SLOT_B, MOUSE_RIGHT_CLICK);
    SetMouse(&set, SLOT_ONE, MOUSE_DOUBLE_CLICK);
    Start("press 1 A\nwait 60\nrelease 1 A\nwait 300\npress 1 B\nwait 60\nrelease 1 B\nwait 600\n"
          "press 1 ONE\nwait 60\nrelease 1 ONE\n");
    ASSERT_TRUE(run.WaitEvents([](const std::vector<TargetEvent> &e) { return !Only(e, "LDBLCLK").empty(); }, 6000));
    Sleep(200);
    run.Close();
    std::vector<TargetEvent> events = run.Events();
    EXPECT_EQ(2u, Only(events, "LDOWN").size());  // the click and the double click's first press
    EXPECT_EQ(3u, Only(events, "LUP").size());
    EXPECT_EQ(1u, Only(events, "LDBLCLK").size());
    EXPECT_EQ(1u, Only(events, "RDOWN").size());
    EXPECT_EQ(1u, Only(events, "RUP").size());
}

TEST_F(EndToEnd, PointerMovesAtTheSlotsAmountPerSecond) {
    SetMouse(&set, SLOT_RIGHT, MOUSE_MOVE_RIGHT, 1000);
    SetMouse(&set, SLOT_DOWN, MOUSE_MOVE_DOWN, 50);
    Start("press 1 RIGHT\nwait 200\nrelease 1 RIGHT\nwait 200\npress 1 DOWN\nwait 1000\nrelease 1 DOWN\n");
    Sleep(3000);
    run.Close();
    std::vector<TargetEvent> moves = Only(run.Events(), "MOVE");
    ASSERT_GE(moves.size(), 10u);
    long nRight = 0, nDown = 0;
    long xPrev = 500, yPrev = 400;
    for (const TargetEvent &m : moves) {
        nRight += m.x - xPrev;
        nDown += m.y - yPrev;
        xPrev = m.x;
        yPrev = m.y;
    }
    EXPECT_NEAR(200, nRight, 40);  // 1000 px/s for about 200 ms
    EXPECT_NEAR(50, nDown, 15);    // 50 px/s for about a second
}

TEST_F(EndToEnd, WheelOnAButtonTurnsSixtyPerCycle) {
    SetMouse(&set, SLOT_A, MOUSE_SCROLL_DOWN);
    Start("press 1 A\nwait 100\nrelease 1 A\n");
    ASSERT_TRUE(run.WaitEvents([](const std::vector<TargetEvent> &e) { return Only(e, "WHEEL").size() >= 3; }, 5000));
    Sleep(200);
    run.Close();
    std::vector<TargetEvent> wheels = Only(run.Events(), "WHEEL");
    ASSERT_GE(wheels.size(), 3u);
    for (const TargetEvent &w : wheels)
        EXPECT_EQ(-60, w.nParam);
}

TEST_F(EndToEnd, NunchukStickDirectionsIncludingADiagonal) {
    SetKeys(&set, SLOT_NUNCHUK_STICK_UP, {'W'});
    SetKeys(&set, SLOT_NUNCHUK_STICK_RIGHT, {'D'});
    std::wstring path = run.WriteSet(&set, L"test.zan");
    run.WriteScenario("remote\next 1 nunchuk\nwaitconnected 1\nwaitfile " + run.ScenarioPath(L"cue") +
                      "\nwait 200\nnunchuk 1 224 128 0 0\nwait 60\nnunchuk 1 128 128 0 0\nwait 200\n"
                      "nunchuk 1 218 218 0 0\nwait 60\nnunchuk 1 128 128 0 0\n");
    ASSERT_TRUE(run.StartZan(L"\"" + path + L"\""));
    ASSERT_TRUE(run.StartTarget());
    run.Cue();
    ASSERT_TRUE(run.WaitEvents([](const std::vector<TargetEvent> &e) { return Only(e, "KEYUP").size() >= 3; }, 6000));
    Sleep(200);
    run.Close();
    std::vector<TargetEvent> events = run.Events();
    EXPECT_EQ((std::vector<long>{'D', 'W', 'D'}), Params(Only(events, "KEYUP")));
    EXPECT_TRUE(KeysLeftDown(events).empty());
}

// Starts Zan with an extension plugged into the remote, and the stick actions after the cue.
void StartWithExtension(ZanRun &run, ASSIGNMENT_SET *pSet, const char *pszKind, const std::string &actions) {
    std::wstring path = run.WriteSet(pSet, L"test.zan");
    run.WriteScenario(std::string("remote\next 1 ") + pszKind + "\nwaitconnected 1\nwaitfile " +
                      run.ScenarioPath(L"cue") + "\nwait 200\n" + actions);
    ASSERT_TRUE(run.StartZan(L"\"" + path + L"\""));
    ASSERT_TRUE(run.StartTarget());
    run.Cue();
}

TEST_F(EndToEnd, WheelOnAStickJustPastTheDeadZoneTurnsTwelvePerCycle) {
    SetMouse(&set, SLOT_NUNCHUK_STICK_DOWN, MOUSE_SCROLL_DOWN);
    // Raw 108 on the simulated Nunchuk's calibration is -20, the edge of the dead zone.
    StartWithExtension(run, &set, "nunchuk", "nunchuk 1 128 108 0 0\nwait 100\nnunchuk 1 128 128 0 0\n");
    ASSERT_TRUE(run.WaitEvents([](const std::vector<TargetEvent> &e) { return Only(e, "WHEEL").size() >= 3; }, 6000));
    Sleep(200);
    run.Close();
    std::vector<TargetEvent> wheels = Only(run.Events(), "WHEEL");
    ASSERT_GE(wheels.size(), 3u);
    for (const TargetEvent &w : wheels)
        EXPECT_EQ(-12, w.nParam);
}

TEST_F(EndToEnd, ClassicStickDirectionsIncludingADiagonal) {
    SetKeys(&set, SLOT_CLASSIC_LSTICK_UP, {'I'});
    SetKeys(&set, SLOT_CLASSIC_LSTICK_LEFT, {'J'});
    SetKeys(&set, SLOT_CLASSIC_A, {'K'});
    // Left stick full left, then up and left at once, then the a button.
    StartWithExtension(run, &set, "classic",
                       "classic 1 4 32 15 15 0 0\nwait 60\nclassic 1 32 32 15 15 0 0\nwait 200\n"
                       "classic 1 12 52 15 15 0 0\nwait 60\nclassic 1 32 32 15 15 0 0\nwait 200\n"
                       "classic 1 32 32 15 15 0 0 a\nwait 60\nclassic 1 32 32 15 15 0 0\n");
    ASSERT_TRUE(run.WaitEvents([](const std::vector<TargetEvent> &e) { return Only(e, "KEYUP").size() >= 4; }, 6000));
    Sleep(200);
    run.Close();
    std::vector<TargetEvent> events = run.Events();
    std::vector<long> ups = Params(Only(events, "KEYUP"));
    ASSERT_EQ(4u, ups.size());
    EXPECT_EQ('J', ups[0]);
    EXPECT_TRUE((ups[1] == 'I' && ups[2] == 'J') || (ups[1] == 'J' && ups[2] == 'I')) << "the diagonal presses both";
    EXPECT_EQ('K', ups[3]);
    EXPECT_TRUE(KeysLeftDown(events).empty());
}

TEST_F(EndToEnd, ApplicationSlotLaunchesOncePerPress) {
    ASSIGNMENT *p = &set.aAssign[SLOT_HOME];
    std::wstring marker = run.Path(L"launch_marker.exe");
    p->nKind = ASSIGN_APPLICATION;
    p->pszPath = AllocPathText((int)marker.size());
    wcscpy(p->pszPath, marker.c_str());
    p->nPathLength = (int)marker.size();
    Start("press 1 HOME\nwait 100\nrelease 1 HOME\nwait 200\npress 1 HOME\nwait 100\nrelease 1 HOME\n");
    DWORD dwStart = GetTickCount();
    while (GetTickCount() - dwStart < 6000) {
        std::string log = run.ReadFile(L"launch_marker.log");
        if (std::count(log.begin(), log.end(), '\n') >= 2)
            break;
        Sleep(50);
    }
    Sleep(500);
    run.Close();
    std::string log = run.ReadFile(L"launch_marker.log");
    EXPECT_EQ(2, std::count(log.begin(), log.end(), '\n')) << log;
    ReleaseAssignmentPaths(&set);
}

// Stop, run, the remote lost while a key is held, and a new remote: no key is ever left
// down, and the key the lost remote held is not sent again after the reconnection.
TEST_F(EndToEnd, NothingStaysDownAcrossStopLossAndReconnect) {
    SetKeys(&set, SLOT_A, {'Q'});
    std::wstring path = run.WriteSet(&set, L"test.zan");
    run.WriteScenario("remote\nwaitconnected 1\nwaitfile " + run.ScenarioPath(L"cue") +
                      "\nwait 100\npress 1 A\nwait 100\noff 1\nwait 300\nremote\n"
                      "waitfile " + run.ScenarioPath(L"cue2") + "\nwaitconnected 2\nwait 500\n");
    ASSERT_TRUE(run.StartZan(L"\"" + path + L"\""));
    ASSERT_TRUE(run.StartTarget());
    run.Cue();
    // The lost remote's key is released once the loss is noticed.
    ASSERT_TRUE(run.WaitEvents([](const std::vector<TargetEvent> &e) { return !Only(e, "KEYUP").empty(); }, 6000));
    // Reconnect through the menu, as a user would.
    run.Cue(L"cue2");
    PostMessageW(run.hZan, WM_COMMAND, 40000, 0);
    // The interactive connect ends with a message box; answer it as a user would.
    EXPECT_TRUE(run.AnswerMessageBox(IDOK, 5000));
    size_t nDownsAfterLoss = Only(run.Events(), "KEYDOWN").size();
    Sleep(500);
    run.Close();
    std::vector<TargetEvent> events = run.Events();
    EXPECT_EQ(nDownsAfterLoss, Only(events, "KEYDOWN").size());
    EXPECT_TRUE(KeysLeftDown(events).empty());
}

TEST_F(EndToEnd, StopReleasesAHeldKeyAndRunActsAgain) {
    SetKeys(&set, SLOT_A, {'R'});
    Start("press 1 A\nwait 2000\nrelease 1 A\n");
    ASSERT_TRUE(run.WaitEvents([](const std::vector<TargetEvent> &e) { return !Only(e, "KEYDOWN").empty(); }, 5000));
    PostMessageW(run.hZan, WM_COMMAND, 201, 0);  // stop
    ASSERT_TRUE(run.WaitEvents([](const std::vector<TargetEvent> &e) { return !Only(e, "KEYUP").empty(); }, 2000));
    size_t nDowns = Only(run.Events(), "KEYDOWN").size();
    Sleep(200);
    EXPECT_EQ(nDowns, Only(run.Events(), "KEYDOWN").size());  // nothing sent while stopped
    PostMessageW(run.hZan, WM_COMMAND, 200, 0);  // run
    ASSERT_TRUE(run.WaitEvents([](const std::vector<TargetEvent> &e) { return Only(e, "KEYUP").size() >= 2; }, 5000));
    Sleep(200);
    run.Close();
    EXPECT_TRUE(KeysLeftDown(run.Events()).empty());
}

TEST_F(EndToEnd, SetSavedByZanReloadsIdentically) {
    SetKeys(&set, SLOT_A, {VK_CONTROL, VK_SHIFT, 'S'});
    SetMouse(&set, SLOT_RIGHT, MOUSE_MOVE_RIGHT, 777);
    set.abLed[2] = 1;
    set.bSystemRepeat = 1;
    set.nAnalogCorrection = 2;
    Start("");
    std::string before = run.ReadFile(L"test.zan");
    // An old time stamp shows whether Zan really wrote the file.
    HANDLE h = CreateFileW(run.Path(L"test.zan").c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL, OPEN_EXISTING, 0, NULL);
    FILETIME ftOld = {0x10000000, 0x01000000};
    SetFileTime(h, NULL, NULL, &ftOld);
    CloseHandle(h);
    PostMessageW(run.hZan, WM_COMMAND, 40005, 0);  // save over the current file
    DWORD dwStart = GetTickCount();
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    do {
        Sleep(50);
        GetFileAttributesExW(run.Path(L"test.zan").c_str(), GetFileExInfoStandard, &data);
    } while (CompareFileTime(&data.ftLastWriteTime, &ftOld) == 0 && GetTickCount() - dwStart < 5000);
    run.Close();
    EXPECT_NE(0, CompareFileTime(&data.ftLastWriteTime, &ftOld)) << "Zan did not save";
    EXPECT_EQ(before, run.ReadFile(L"test.zan"));
}

TEST_F(EndToEnd, OptionFileWrittenAtExitIsUsedAtTheNextStart) {
    SetKeys(&set, SLOT_A, {'M'});
    run.WriteFile(L"option.ini", "[option]\r\nbInitSet=1\r\n");
    Start("");
    run.Close();
    std::string ini = run.ReadFile(L"option.ini");   // turned UTF-16 by the write
    EXPECT_EQ(0u, ini.find("\xFF\xFE"));
    EXPECT_NE(std::string::npos, ini.find(std::string("t\0e\0s\0t\0.\0z\0a\0n\0", 16)));

    // No command line now: the remembered file is loaded and acts.
    run.WriteScenario("remote\nwaitconnected 1\nwaitfile " + run.ScenarioPath(L"cue3") +
                      "\nwait 100\npress 1 A\nwait 30\nrelease 1 A\n");
    ASSERT_TRUE(run.StartZan(L""));
    wchar_t szTitle[260] = L"";
    DWORD dwStart = GetTickCount();
    while (!wcsstr(szTitle, L"test.zan") && GetTickCount() - dwStart < 5000) {
        GetWindowTextW(run.hZan, szTitle, 260);
        Sleep(20);
    }
    EXPECT_NE(nullptr, wcsstr(szTitle, L"test.zan")) << "title stayed as it was";
    ASSERT_TRUE(run.StartTarget());
    run.Cue(L"cue3");
    EXPECT_TRUE(run.WaitEvents([](const std::vector<TargetEvent> &e) {
        auto ups = Only(e, "KEYUP");
        return !ups.empty() && ups[0].nParam == 'M';
    }, 5000));
    run.Close();
}

// The target program is listed with a set of its own: once it has the foreground, the real
// Zan.exe executes that set, and its title names it.
TEST_F(EndToEnd, ListedProgramInFrontGetsItsOwnSet) {
    SetKeys(&set, SLOT_A, {'D'});
    ASSIGNMENT_SET game;
    InitAssignmentSet(&game);
    SetKeys(&game, SLOT_A, {'G'});
    std::wstring gamePath = run.WriteSet(&game, L"game.zan");
    run.WriteFile(L"option.ini", "[option]\r\nbProgramSets=1\r\n[programs]\r\nINPUT_TARGET.EXE=" +
                                     std::string(gamePath.begin(), gamePath.end()) + "\r\n");
    Start("wait 1000\npress 1 A\nwait 30\nrelease 1 A\n");
    EXPECT_TRUE(run.WaitEvents([](const std::vector<TargetEvent> &e) { return !Only(e, "KEYUP").empty(); }, 5000));
    wchar_t szTitle[260] = L"";
    GetWindowTextW(run.hZan, szTitle, 260);
    run.Close();
    EXPECT_EQ((std::vector<long>{'G'}), Params(Only(run.Events(), "KEYUP")));
    EXPECT_NE(nullptr, wcsstr(szTitle, L"game.zan")) << "the title names the program's set";
}

}  // namespace
