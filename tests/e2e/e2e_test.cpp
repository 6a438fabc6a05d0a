// Zan.exe, end to end: a simulated remote's presses become input in another program.
#include <gtest/gtest.h>

#include <initializer_list>

#include "e2e_harness.h"

namespace {

enum { SLOT_A = 0, SLOT_B = 1, SLOT_ONE = 5, SLOT_TWO = 6, SLOT_RIGHT = 10 };

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

}  // namespace
