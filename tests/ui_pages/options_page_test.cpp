// The options page: LED and key repeat boxes, analog correction and what reaches a
// simulated remote.
#include "page_fixture.h"

#include "connection.h"
#include "engine.h"
#include "engine_notes.h"
#include "pages.h"
#include "tavel.h"

namespace {

class OptionsPageTest : public PagesTest {
protected:
    // The library with one simulated remote connected and selected.
    void ConnectRemote() {
        // As start-up reads it: a remote streams every 10 ms, and a zero timeout would lose it.
        g_Options.dwTimeout = DEFAULT_TIMEOUT_MS;
        SimInstall();
        ASSERT_EQ(1, wm_Init());
        pSim = SimAddRemote();
        ASSERT_EQ(1, wm_Connect(NULL, 0));
        SetSelectedRemote(0);
    }
    static HWND Page() { return g_App.ahPage[PAGE_OPTIONS]; }
    static int Bits(const BYTE *pab) {
        int n = 0;
        for (int i = 0; i < 4; i++)
            n |= pab[i] ? 1 << i : 0;
        return n;
    }
    static int LedBits() { return Bits(g_CurrentSet.abLed); }
};

// The LEDs reach the remote at once while the set runs; stopped, only the record changes.
TEST_F(OptionsPageTest, BoxesStoreTheirStateAndLedsReachTheRemoteOnlyWhileRunning) {
    ConnectRemote();
    const struct { bool bRunning; int nId, nLeds, bRepeat, nRemoteLeds; } steps[] = {
        {true, IDC_LED2, 0x3, 0, 0x3},  {true, IDC_LED1, 0x2, 0, 0x2},          {true, IDC_LED4, 0xA, 0, 0xA},
        {false, IDC_LED3, 0xE, 0, 0xA}, {false, IDC_SYSTEM_REPEAT, 0xE, 1, 0xA}, {true, IDC_SYSTEM_REPEAT, 0xE, 0, 0xA},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.nId);
        g_State.bRunning = s.bRunning;
        g_State.bModified = 0;
        SendDlgItemMessageW(Page(), s.nId, BM_CLICK, 0, 0);
        EXPECT_EQ(s.nLeds, LedBits());
        EXPECT_EQ(s.bRepeat, g_CurrentSet.bSystemRepeat);
        EXPECT_EQ(s.nRemoteLeds, SimLeds(pSim));
        EXPECT_EQ(1, g_State.bModified);
    }
}

// The layer-2 boxes edit their own pattern; the remote shows the pattern of the layer the
// engine says is in force, whichever box changed.
TEST_F(OptionsPageTest, LayerLedBoxesEditTheirPatternAndTheRemoteShowsTheActiveLayer) {
    ConnectRemote();
    g_State.bRunning = 1;
    const struct { int nLayer, nId, nLeds, nLayerLeds, nRemoteLeds; } steps[] = {
        {0, IDC_LAYER_LED1, 0x1, 0x9, 0x1}, {1, IDC_LAYER_LED2, 0x1, 0xB, 0xB},
        {1, IDC_LED3, 0x5, 0xB, 0xB},       {1, IDC_LAYER_LED4, 0x5, 0x3, 0x3},
        {0, IDC_LAYER_LED1, 0x5, 0x2, 0x5},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.nId);
        OnEngineNote(hHost, ENGINE_NOTE_LAYER, s.nLayer);
        g_State.bModified = 0;
        SendDlgItemMessageW(Page(), s.nId, BM_CLICK, 0, 0);
        EXPECT_EQ(s.nLeds, LedBits());
        EXPECT_EQ(s.nLayerLeds, Bits(g_CurrentSet.abLayerLed));
        EXPECT_EQ(s.nRemoteLeds, SimLeds(pSim));
        EXPECT_EQ(1, g_State.bModified);
    }
    ForgetEngineNotes();
    g_CurrentSet.abLayerLed[2] = 1;
    RefreshPages();
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(i == 1 || i == 2, IsDlgButtonChecked(Page(), IDC_LAYER_LED1 + i) == BST_CHECKED) << i;
}

// The selected remote smooths by ten times the level; only a change of selection counts.
TEST_F(OptionsPageTest, CorrectionGoesToTheSelectedRemote) {
    ConnectRemote();
    const struct { int nRemote, nLevel, nCode, nStored, nSmoothing; } steps[] = {
        {0, 2, CBN_DROPDOWN, 0, 0}, {0, 2, CBN_SELCHANGE, 2, 20}, {0, 3, CBN_SELCHANGE, 3, 30},
        {0, 1, CBN_SELCHANGE, 1, 10}, {0, 0, CBN_SELCHANGE, 0, 0}, {-1, 3, CBN_SELCHANGE, 3, 0},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.nLevel * 10 + s.nCode);
        SetSelectedRemote(s.nRemote);
        g_State.bModified = 0;
        HWND hList = GetDlgItem(Page(), IDC_ANALOG_CORRECTION);
        SendMessageW(hList, CB_SETCURSEL, s.nLevel, 0);
        SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(IDC_ANALOG_CORRECTION, s.nCode), (LPARAM)hList);
        EXPECT_EQ(s.nStored, g_CurrentSet.nAnalogCorrection);
        WM_SYSTEM sys = {};
        sys.dwFlags = WMSYS_SMOOTHING;
        EXPECT_EQ(1, wm_GetSystem(0, &sys));
        EXPECT_EQ(s.nSmoothing, sys.nSmoothing);
        EXPECT_EQ(s.nCode == CBN_SELCHANGE, g_State.bModified == 1);
    }
}

// The pointer group edits the set's pointer, greys the fields of the kind not chosen, and the
// remote is asked for the camera and accelerometer or the gyro only while the set points.
TEST_F(OptionsPageTest, PointerChoiceEditsTheSetAndAsksTheRemoteForWhatItNeeds) {
    ConnectRemote();
    const struct { int nId; int nCode; int nValue; DWORD dwReport; BYTE POINTER_SETTING::*pField; int nStored; } steps[] = {
        {IDC_POINTER_MODE, CBN_SELCHANGE, POINTER_IR, WMRPT_IR | WMRPT_ACCEL, &POINTER_SETTING::nMode, POINTER_IR},
        {IDC_POINTER_OFFSCREEN, CBN_SELCHANGE, 4, WMRPT_IR | WMRPT_ACCEL, &POINTER_SETTING::nOffScreenSlot, 3},
        {IDC_POINTER_AREA, EN_CHANGE, 45, WMRPT_IR | WMRPT_ACCEL, &POINTER_SETTING::nArea, 45},
        {IDC_POINTER_AREA, EN_CHANGE, 5, WMRPT_IR | WMRPT_ACCEL, &POINTER_SETTING::nArea, 45},   // below the range
        {IDC_POINTER_BAR, CBN_SELCHANGE, BAR_BELOW, WMRPT_IR | WMRPT_ACCEL, &POINTER_SETTING::nBarPosition, BAR_BELOW},
        {IDC_POINTER_MODE, CBN_SELCHANGE, POINTER_GYRO, WMRPT_MOTION, &POINTER_SETTING::nMode, POINTER_GYRO},
        {IDC_POINTER_HOLD, CBN_SELCHANGE, 2, WMRPT_MOTION, &POINTER_SETTING::nHoldSlot, 1},
        {IDC_POINTER_SPEED, EN_CHANGE, 21, WMRPT_MOTION, &POINTER_SETTING::nSpeed, 0},   // above the range
        {IDC_POINTER_MODE, CBN_SELCHANGE, POINTER_NONE, 0, &POINTER_SETTING::nMode, POINTER_NONE},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.nId * 100 + s.nValue);
        HWND hControl = GetDlgItem(Page(), s.nId);
        if (s.nCode == EN_CHANGE)
            SetDlgItemInt(Page(), s.nId, s.nValue, FALSE);   // sends EN_CHANGE itself
        else {
            SendMessageW(hControl, CB_SETCURSEL, s.nValue, 0);
            SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(s.nId, s.nCode), (LPARAM)hControl);
        }
        EXPECT_EQ(s.nStored, g_CurrentSet.Pointer.*s.pField);
        WM_STATUS status = {};
        status.dwFlags = WMST_REPORT;
        ASSERT_EQ(1, wm_GetStatus(0, &status));
        EXPECT_EQ(s.dwReport, status.dwReport & (WMRPT_IR | WMRPT_ACCEL | WMRPT_MOTION));
        EXPECT_EQ(g_CurrentSet.Pointer.nMode == POINTER_IR, IsWindowEnabled(GetDlgItem(Page(), IDC_POINTER_AREA)) != 0);
        EXPECT_EQ(g_CurrentSet.Pointer.nMode == POINTER_GYRO, IsWindowEnabled(GetDlgItem(Page(), IDC_POINTER_HOLD)) != 0);
    }
    // A fresh set shows no pointer and no slot for it.
    InitAssignmentSet(&g_CurrentSet);
    RefreshPages();
    EXPECT_EQ(0, SendDlgItemMessageW(Page(), IDC_POINTER_MODE, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(0, SendDlgItemMessageW(Page(), IDC_POINTER_HOLD, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(IR_AREA_DEFAULT, (int)GetDlgItemInt(Page(), IDC_POINTER_AREA, NULL, FALSE));
}

// A slow remote is told of an LED click only after the record lock is free again, so the
// engine (which only tries the lock) and the set's other writers never wait on it.
struct LockProbe {
    HANDLE hStarted;
    int bLocked;
};

DWORD WINAPI ProbeRecordLock(LPVOID pParam) {
    LockProbe *pProbe = (LockProbe *)pParam;
    SetEvent(pProbe->hStarted);
    Sleep(100);   // the click waits on the remote by now
    pProbe->bLocked = WaitForSingleObject(g_hRecordLock, 200) == WAIT_OBJECT_0;
    if (pProbe->bLocked)
        UnlockRecord();
    return 0;
}

TEST_F(OptionsPageTest, LedClickWaitsOnTheRemoteWithTheRecordLockFree) {
    ConnectRemote();
    g_State.bRunning = 1;
    SimSetFaults(pSim, SIM_FAULT_WRITE_PENDS);   // the library waits out its time-out
    LockProbe probe = {CreateEventW(NULL, TRUE, FALSE, NULL), 0};
    HANDLE hThread = CreateThread(NULL, 0, ProbeRecordLock, &probe, 0, NULL);
    WaitForSingleObject(probe.hStarted, INFINITE);
    DWORD dwStart = GetTickCount();
    SendDlgItemMessageW(Page(), IDC_LED3, BM_CLICK, 0, 0);
    DWORD dwClick = GetTickCount() - dwStart;
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
    CloseHandle(probe.hStarted);
    ASSERT_GE(dwClick, 300u) << "the remote was slow to answer";
    EXPECT_TRUE(probe.bLocked) << "the record lock was free while the library waited";
}

}  // namespace
