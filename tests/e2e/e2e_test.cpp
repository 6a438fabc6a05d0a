// Zan.exe, end to end: a simulated remote's presses become input in another program.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "e2e_harness.h"

namespace {

// The paths only the whole program shows: a key slot, a mouse slot, a launch, a lost
// remote and a save round trip. The engine's timing and arithmetic are the engine tests'.
enum { SLOT_A = 0, SLOT_B = 1, SLOT_HOME = 3, SLOT_ONE = 5, SLOT_RIGHT = 10 };

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
