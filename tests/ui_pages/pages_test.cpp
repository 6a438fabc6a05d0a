#include "pages_test.h"

#include <ostream>

#include "dialogs.h"
#include "pages.h"

void PagesTest::SetUp() {
    ReleaseAssignmentPaths(&g_CurrentSet);
    InitAssignmentSet(&g_CurrentSet);
    ResetProgramState();
    g_PageState = PAGE_STATE{};
    ASSERT_TRUE(CreateRecordLock());
    nPathsBefore = CountPathTexts();
    hHost = CreatePageHost(GetModuleHandleW(NULL));
    ASSERT_TRUE(hHost);
    menu.Install();
}

void PagesTest::TearDown() {
    menu.Uninstall();
    DestroyPageHost(hHost);
    ReleaseAssignmentPaths(&g_CurrentSet);
    EXPECT_EQ(nPathsBefore, CountPathTexts()) << "a path string was leaked or freed twice";
    // Every edit gives the lock back.
    EXPECT_TRUE(TryLockRecord()) << "the record lock was left taken";
    UnlockRecord();
    CloseRecordLock();
}

HWND PagesTest::PageOfSlot(int nSlot) {
    if (nSlot < SLOT_FIRST_NUNCHUK)
        return g_App.ahPage[PAGE_REMOTE];
    if (nSlot < SLOT_FIRST_CLASSIC)
        return g_App.ahPage[PAGE_NUNCHUK];
    return g_App.ahPage[PAGE_CLASSIC];
}

EntryView View(const ASSIGNMENT &a) {
    EntryView v = {a.nKind, a.nKeyCount, {a.awKey[0], a.awKey[1], a.awKey[2]}, a.nMouseAction, a.wMoveAmount,
                   PathOf(a)};
    return v;
}

std::ostream &operator<<(std::ostream &os, const EntryView &v) {
    os << "kind " << v.nKind << " keys " << v.nKeyCount << " [" << v.awKey[0] << "," << v.awKey[1] << ","
       << v.awKey[2] << "] mouse " << v.nMouseAction << " amount " << v.wMoveAmount << " path ";
    for (wchar_t c : v.path)
        os << (char)(c < 128 ? c : '?');
    return os;
}

int RunKeyDialog(int nSlot, const std::function<void(HWND)> &body) {
    DialogScript script;
    script.body = body;
    script.Arm();
    INT_PTR nResult = DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_KEY_SETTING),
                                      PagesTest::PageOfSlot(nSlot), KeySettingDlgProc,
                                      (LPARAM)&g_CurrentSet.aAssign[nSlot]);
    script.Disarm();
    EXPECT_TRUE(script.bSeen) << "the key setting dialog never showed";
    return (int)nResult;
}

void DrainInput(HWND hDlg) {
    PumpUntil([] { return GetQueueStatus(QS_INPUT) == 0; }, 2000, hDlg);
}
