// The options page: refill from a loaded file, LED boxes against a simulated remote,
// key repeat mode, analog correction and its smoothing.
#include "pages_test.h"

#include <string>
#include <thread>

#include "app.h"
#include "pages.h"
#include "setting_file.h"
#include "sim_remote.h"

namespace {

class OptionsPageTest : public PagesTest {
protected:
    SIM_REMOTE *pSim = nullptr;
    HWND hPage = NULL;

    void SetUp() override {
        PagesTest::SetUp();
        hPage = g_App.ahPage[PAGE_OPTIONS];
        ShowPage(PAGE_OPTIONS);
        // As start-up reads it: a remote streams every 10 ms, and a zero timeout would lose it.
        g_Options.dwTimeout = DEFAULT_TIMEOUT_MS;
        SimInstall();
        ASSERT_EQ(1, wm_Init());
        pSim = SimAddRemote();
        ASSERT_EQ(1, wm_Connect(NULL, 0));
        SetSelectedRemote(0);
    }
    void TearDown() override {
        wm_Close();
        SimUninstall();
        PagesTest::TearDown();
    }
    int Checked(int nId) { return IsDlgButtonChecked(hPage, nId) == BST_CHECKED; }
    void Click(int nId) { SendDlgItemMessageW(hPage, nId, BM_CLICK, 0, 0); }
    void ChooseCorrection(int nLevel, int nCode = CBN_SELCHANGE) {
        HWND hList = GetDlgItem(hPage, IDC_ANALOG_CORRECTION);
        SendMessageW(hList, CB_SETCURSEL, nLevel, 0);
        SendMessageW(hPage, WM_COMMAND, MAKEWPARAM(IDC_ANALOG_CORRECTION, nCode), (LPARAM)hList);
    }
    int Smoothing() {
        WM_SYSTEM sys = {};
        sys.dwFlags = WMSYS_SMOOTHING;
        EXPECT_EQ(1, wm_GetSystem(0, &sys));
        return sys.nSmoothing;
    }
    static int LedBits() {
        int n = 0;
        for (int i = 0; i < 4; i++)
            n |= g_CurrentSet.abLed[i] ? 1 << i : 0;
        return n;
    }
};

TEST_F(OptionsPageTest, LoadingAFileWithLedsOneAndThreeChecksExactlyThoseWithoutModifiedMark) {
    wchar_t szDir[MAX_PATH], szFile[MAX_PATH];
    GetTempPathW(MAX_PATH, szDir);
    wsprintfW(szFile, L"%sui_pages_%lu.zan", szDir, GetCurrentProcessId());
    g_CurrentSet.abLed[0] = 1;
    g_CurrentSet.abLed[1] = 0;
    g_CurrentSet.abLed[2] = 1;
    g_CurrentSet.abLed[3] = 0;
    g_CurrentSet.bSystemRepeat = 1;
    g_CurrentSet.nAnalogCorrection = 3;
    ASSERT_EQ(1, SaveSettingFile(szFile, 1));
    InitAssignmentSet(&g_CurrentSet);
    RefreshPages();
    ASSERT_TRUE(Checked(IDC_LED1));
    ASSERT_FALSE(Checked(IDC_LED3));
    std::wstring title = Title();

    LockRecord();
    ASSERT_EQ(1, LoadSettingFile(szFile, &g_CurrentSet, 1));
    UnlockRecord();
    DeleteFileW(szFile);
    RefreshPages();
    EXPECT_EQ(1, Checked(IDC_LED1));
    EXPECT_EQ(0, Checked(IDC_LED2));
    EXPECT_EQ(1, Checked(IDC_LED3));
    EXPECT_EQ(0, Checked(IDC_LED4));
    EXPECT_EQ(1, Checked(IDC_SYSTEM_REPEAT));
    EXPECT_EQ(3, SendDlgItemMessageW(hPage, IDC_ANALOG_CORRECTION, CB_GETCURSEL, 0, 0));
    Settle();
    EXPECT_EQ(0, g_State.bModified);
    EXPECT_EQ(title, Title());
    EXPECT_EQ(1, bPagesReady);
}

TEST_F(OptionsPageTest, LedBoxWhileRunningChangesTheRemoteAtOnce) {
    g_State.bRunning = 1;
    struct Step {
        int nId;
        int nBits;
    } steps[] = {{IDC_LED2, 0x3}, {IDC_LED1, 0x2}, {IDC_LED4, 0xA}, {IDC_LED3, 0xE}};
    for (const Step &s : steps) {
        Click(s.nId);
        EXPECT_EQ(s.nBits, LedBits());
        EXPECT_EQ(s.nBits, SimLeds(pSim)) << "the remote shows the new pattern";
    }
    EXPECT_EQ(1, g_State.bModified);
    EXPECT_NE(std::wstring::npos, Title().find(L" (*)"));
}

TEST_F(OptionsPageTest, LedBoxWhileStoppedChangesOnlyTheRecord) {
    g_State.bRunning = 0;
    int nOutputs = SimOutputCount(pSim);
    int nLeds = SimLeds(pSim);
    Click(IDC_LED3);
    EXPECT_EQ(0x5, LedBits());
    EXPECT_EQ(nLeds, SimLeds(pSim));
    for (int i = nOutputs; i < SimOutputCount(pSim); i++) {
        BYTE abReport[22];
        int nPath;
        SimOutputAt(pSim, i, abReport, &nPath);
        EXPECT_NE(0x11, abReport[0]) << "an LED report went to the remote";
    }
    EXPECT_EQ(1, g_State.bModified);
}

TEST_F(OptionsPageTest, KeyRepeatBoxStoresItsState) {
    Click(IDC_SYSTEM_REPEAT);
    EXPECT_EQ(1, g_CurrentSet.bSystemRepeat);
    EXPECT_EQ(1, g_State.bModified);
    Click(IDC_SYSTEM_REPEAT);
    EXPECT_EQ(0, g_CurrentSet.bSystemRepeat);
}

TEST_F(OptionsPageTest, CorrectionSendsTenTimesTheLevelToTheSelectedRemote) {
    for (int nLevel : {2, 3, 1, 0}) {
        SCOPED_TRACE(nLevel);
        ChooseCorrection(nLevel);
        EXPECT_EQ(nLevel, g_CurrentSet.nAnalogCorrection);
        EXPECT_EQ(10 * nLevel, Smoothing());
    }
    EXPECT_EQ(1, g_State.bModified);
}

TEST_F(OptionsPageTest, CorrectionWithoutARemoteAndOtherNotificationsAreSilent) {
    ChooseCorrection(2, CBN_DROPDOWN);
    EXPECT_EQ(0, g_CurrentSet.nAnalogCorrection) << "only a change of selection counts";
    EXPECT_EQ(0, g_State.bModified);
    EXPECT_EQ(0, Smoothing());
    SetSelectedRemote(-1);
    ChooseCorrection(3);
    EXPECT_EQ(3, g_CurrentSet.nAnalogCorrection);
    EXPECT_EQ(0, Smoothing()) << "no remote selected: nothing is sent";
    EXPECT_EQ(1, g_State.bModified);
}

TEST_F(OptionsPageTest, OptionEditsWaitForTheRecordLock) {
    g_State.bRunning = 1;
    BYTE bWhileHeld = 0xFF;
    HANDLE hHeld = CreateEventW(NULL, TRUE, FALSE, NULL);
    std::thread holder([&] {
        LockRecord();
        SetEvent(hHeld);
        Sleep(150);  // the click runs meanwhile and must block
        bWhileHeld = g_CurrentSet.abLed[1];
        UnlockRecord();
    });
    WaitForSingleObject(hHeld, INFINITE);
    Click(IDC_LED2);
    holder.join();
    CloseHandle(hHeld);
    EXPECT_EQ(0, bWhileHeld);
    EXPECT_EQ(1, g_CurrentSet.abLed[1]);
}

}  // namespace
