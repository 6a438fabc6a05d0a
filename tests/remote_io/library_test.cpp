// The exported interface and the frame under it: arguments, slots, locks, notifications,
// connection and the remote's state, against simulated remotes.
#include <stdlib.h>
#include <string.h>

#include <string>

#include "connection.h"
#include "sim_fixture.h"
#include "system_dll_fake.h"
#include "timer_calls.h"
#include "version.h"

namespace {

// Puts a bare record into a slot, as the connection code would; registered but not active, so
// the worker leaves it alone (it has no device behind it).
WM_DEVICE *PlaceDevice(int nSlot, int bAutoUpdate) {
    WM_DEVICE *pDev = (WM_DEVICE *)calloc(1, sizeof(WM_DEVICE));
    pDev->nIndex = nSlot;
    pDev->nState = DEVICE_REGISTERED;
    pDev->bValid = 1;
    SetDefaultSystem(pDev);
    pDev->system.bAutoUpdate = bAutoUpdate;
    SlotLock lock(nSlot);
    SetSlotDevice(nSlot, pDev);
    return pDev;
}

struct ExportCall {
    const char *pszName;
    std::function<int()> call;
    int nResult;
    DWORD dwCode;  // 0: not checked
};

void ExpectCalls(const std::vector<ExportCall> &rows) {
    for (const ExportCall &row : rows) {
        SetLastError(0xDEAD);
        EXPECT_EQ(row.nResult, row.call()) << row.pszName;
        DWORD dwCode = GetLastError();
        EXPECT_EQ(row.dwCode ? row.dwCode : dwCode, dwCode) << row.pszName;
    }
}

TEST_F(SimLibrary, EveryExportChecksItsArgumentsAndTheLibraryState) {
    static WM_KEY key;
    static WM_STATUS st;
    static WM_SYSTEM sys;
    SimAddHidDevice(0x046D, 0xC077, 0);  // not a remote
    ExpectCalls({
        {"Version", [] { return wm_Version(); }, TAVEL_VERSION, 0},
        {"Init again", [] { return wm_Init(); }, 0, WME_ALREADY_INITIALIZED},
        {"Connect, no remote", [] { return wm_Connect(NULL, 0); }, -1, WME_NOT_FOUND},
        {"Exist 10", [] { return wm_Exist(10); }, 0, WME_BAD_INDEX},
        {"Exist empty", [] { return wm_Exist(3); }, 0, WME_NO_DEVICE},
        {"Exist any", [] { return wm_Exist(-1); }, 0, WME_NONE},
        {"GetKey NULL", [] { return wm_GetKey(0, NULL); }, 0, WME_BAD_PARAMETER},
        {"GetKeyEx NULL", [] { return wm_GetKeyEx(0, NULL); }, 0, WME_BAD_PARAMETER},
        {"SetStatus NULL", [] { return wm_SetStatus(-1, NULL); }, 0, WME_BAD_PARAMETER},
        {"GetKey -1", [] { return wm_GetKey(-1, &key); }, 0, WME_BAD_INDEX},  // -1 is for setters
        {"GetSystem 10", [] { return wm_GetSystem(10, &sys); }, 0, WME_BAD_INDEX},
        {"GetStatus empty", [] { return wm_GetStatus(3, &st); }, 0, WME_NO_DEVICE},
        {"SetStatus none", [] { return wm_SetStatus(-1, &st); }, 0, WME_NONE},
        {"SetSystem none", [] { return wm_SetSystem(-1, NULL); }, 0, WME_NONE},
        {"Disconnect all", [] { return wm_Disconnect(-1, 1); }, 1, WME_SUCCESS},
        {"Disconnect -2", [] { return wm_Disconnect(-2, 1); }, 0, WME_BAD_INDEX},
        {"Disconnect empty", [] { return wm_Disconnect(4, 1); }, 0, WME_NO_DEVICE},
        {"Close", [] { return wm_Close(); }, 1, WME_SUCCESS},
        {"Count closed", [] { return wm_Count(); }, 0, WME_NOT_INITIALIZED},
        {"Exist closed", [] { return wm_Exist(0); }, -1, WME_NOT_INITIALIZED},
        {"Close closed", [] { return wm_Close(); }, 0, WME_NOT_INITIALIZED},
        {"SetSystem closed", [] { return wm_SetSystem(0, NULL); }, 0, WME_NOT_INITIALIZED},
        {"Connect closed", [] { return wm_Connect(NULL, 0); }, -1, WME_NOT_INITIALIZED},
        {"Disconnect closed", [] { return wm_Disconnect(-1, 0); }, 0, WME_NOT_INITIALIZED},
        {"Init", [] { return wm_Init(); }, 1, WME_SUCCESS},
        {"Count", [] { return wm_Count(); }, 0, WME_SUCCESS},
    });
}

// A failing export leaves the slot's lock as it found it, so a remote connected into that slot
// afterwards is polled. The calls run on the test thread: a lock it leaked would still let it
// connect (the locks are recursive) but would keep the worker out of the slot.
TEST_F(SimLibrary, FailingExportsLeaveTheSlotToTheWorker) {
    WM_KEY key;
    WM_KEYEX ex;
    WM_STATUS st = {}, badRumble = {WMST_RUMBLE, {}, 0, 101, 0, 0, 0, 0, 0, 0, 0};
    WM_SYSTEM sys = {}, badSmoothing = {WMSYS_SMOOTHING, 0, 0, 501, NULL, 0, 0, 0, 0};
    const struct { bool bRemoteFirst; ExportCall call; } table[] = {
        {false, {"GetKey", [&] { return wm_GetKey(0, &key); }, 0, WME_NO_DEVICE}},
        {false, {"GetKeyEx", [&] { return wm_GetKeyEx(0, &ex); }, 0, WME_NO_DEVICE}},
        {false, {"GetStatus", [&] { return wm_GetStatus(0, &st); }, 0, WME_NO_DEVICE}},
        {false, {"SetStatus", [&] { return wm_SetStatus(0, &st); }, 0, WME_NO_DEVICE}},
        {false, {"SetStatus all", [&] { return wm_SetStatus(-1, &st); }, 0, WME_NONE}},
        {false, {"GetSystem", [&] { return wm_GetSystem(0, &sys); }, 0, WME_NO_DEVICE}},
        {false, {"SetSystem", [] { return wm_SetSystem(0, NULL); }, 0, WME_NO_DEVICE}},
        {false, {"SetSystem all", [] { return wm_SetSystem(-1, NULL); }, 0, WME_NONE}},
        {false, {"Disconnect", [] { return wm_Disconnect(0, 1); }, 0, WME_NO_DEVICE}},
        {false, {"Exist", [] { return wm_Exist(0); }, 0, WME_NO_DEVICE}},
        {false, {"Exist any", [] { return wm_Exist(-1); }, 0, WME_NONE}},
        {true, {"GetKeyEx, no extension", [&] { return wm_GetKeyEx(0, &ex); }, 0, WME_NO_EXTENSION}},
        {true, {"SetStatus, rumble 101", [&] { return wm_SetStatus(0, &badRumble); }, 0, WME_BAD_PARAMETER}},
        {true, {"SetSystem, smoothing 501", [&] { return wm_SetSystem(0, &badSmoothing); }, 0, WME_BAD_PARAMETER}},
        {false, {"Connect, short reports", [] {  // compared with every slot; stays on the bus
                     SimSetReportLengths(SimAddRemote(), 21, 22);
                     return wm_Connect(NULL, 0);
                 }, -1, WME_REPORT_LENGTH}},
    };
    for (auto &row : table) {
        SIM_REMOTE *pSim = row.bRemoteFirst ? AddConnected() : nullptr;
        ExpectCalls({row.call});
        if (!pSim)
            pSim = AddConnected();
        ASSERT_NE(nullptr, Device(0)) << row.call.pszName;
        SimSetCoreButtons(pSim, 1 << KEY_A);
        EXPECT_TRUE(PumpUntil([&] { return wm_GetKey(0, &key) && key.nA == 1; }, 2000)) << row.call.pszName;
        ASSERT_EQ(1, wm_Disconnect(0, 1));
        SimPowerOff(pSim);
    }
}

TEST_F(SimLibrary, SlotsAndTheWorkerEndWithClose) {
    PlaceDevice(4, 1);
    ExpectCalls({
        {"Count", [] { return wm_Count(); }, 1, WME_SUCCESS},
        {"Exist polled", [] { return wm_Exist(4); }, 1, WME_SUCCESS},  // usable without any I/O
        {"Exist any", [] { return wm_Exist(-1); }, 1, WME_SUCCESS},
    });
    PlaceDevice(0, 0);
    {
        SlotLock busy(1);  // in use by this thread, as by another client
        int nSlot = -2;
        ReturnsWithin(INFINITE, [&] {
            nSlot = FindFreeSlot();  // returns with the slot locked
            UnlockSlot(nSlot);
        });
        EXPECT_EQ(2, nSlot);  // skips the occupied and the busy slot
    }
    HANDLE hWorker;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), g_Lib.hWorker, GetCurrentProcess(), &hWorker, 0,
                                FALSE, DUPLICATE_SAME_ACCESS));
    EXPECT_EQ(1, wm_Close());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hWorker, 0));  // ended before wm_Close returned
    CloseHandle(hWorker);
    for (WM_DEVICE *p : g_Lib.apSlot)
        EXPECT_EQ(nullptr, p);
}

// Connecting skips other devices, names each new remote's slot to the window (whose -1 refuses
// it), connects each remote once, and stops when the slots run out.
TEST_F(SimLibrary, ConnectFindsEachRemoteOnce) {
    SimAddHidDevice(0x046D, 0xC077, 0);                  // another vendor
    SimAddHidDevice(0x057E, 0x0330, 0);                  // the vendor's other product
    SimAddHidDevice(0x057E, 0x0306, SIM_DEV_CAPS_FAIL);  // looks right, no capabilities
    SimAddHidDevice(0x057E, 0x0306, SIM_DEV_OPEN_FAILS); // cannot be opened
    SimAddRemote();
    SimAddRemote();
    ClientWindow window;
    window.onMessage = [&](UINT uMsg, WPARAM, LPARAM) -> LRESULT { return uMsg == 0x8123 ? -1 : 0; };
    EXPECT_EQ(-1, wm_Connect(window.hWnd, 0x8123));
    EXPECT_EQ(0, wm_Count());
    EXPECT_EQ(2, window.Count(0x8123));
    EXPECT_EQ(SimHandlesOpened(), SimHandlesClosed());
    window.log.clear();
    EXPECT_EQ(2, wm_Connect(window.hWnd, 0));
    ASSERT_EQ(2u, window.log.size());  // and no notification of the refused ones
    EXPECT_EQ((UINT)WM_MSG_CONNECT_DEFAULT, window.log[1].uMsg);
    EXPECT_EQ(1u, window.log[1].wParam);
    SimAddRemote();
    EXPECT_EQ(1, wm_Connect(NULL, 0));  // only the new one
    EXPECT_EQ(-1, wm_Connect(NULL, 0));
    EXPECT_EQ((DWORD)WME_NOT_FOUND, GetLastError());
    for (int i = 3; i < TAVEL_SLOTS + 2; i++)
        SimAddRemote();
    EXPECT_EQ(-1, wm_Connect(NULL, 0));
    EXPECT_EQ((DWORD)WME_NO_SLOT, GetLastError());
    EXPECT_EQ(TAVEL_SLOTS, wm_Count());
}

// Outputs go off when the client lets a remote go (unless it keeps them) and at close, where
// nobody is told.
TEST_F(SimLibrary, OutputsOffAtDisconnectUnlessKeptAndAtClose) {
    SIM_REMOTE *pSim = AddConnected();
    ClientWindow window;
    Watch(0, window);
    ASSERT_EQ(1, SetLeds(0, 1));
    SimClearOutputs(pSim);
    ASSERT_EQ(1, wm_Disconnect(0, 1));
    EXPECT_EQ(0, CountOutputs(pSim, [](const std::vector<BYTE> &ab) { return ab[0] == RPT_OUT_LEDS; }));
    EXPECT_EQ(1, window.Count(WM_MSG_LOST_DEFAULT));
    EXPECT_EQ(1, window.Last(WM_MSG_LOST_DEFAULT)->lParam);  // asked for

    ConnectAll(1);
    ASSERT_EQ(1, SetLeds(0, 1));
    ASSERT_EQ(1, wm_Disconnect(0, 0));
    std::vector<BYTE> abLast = OutputAt(pSim, SimOutputCount(pSim) - 1);
    EXPECT_EQ(RPT_OUT_LEDS, abLast[0]);
    EXPECT_EQ(0, abLast[1]);  // LEDs and rumble off

    ConnectAll(1);
    Watch(0, window);
    WM_STATUS st = {};
    st.dwFlags = WMST_LED | WMST_RUMBLE;
    st.abLed[2] = 1;
    st.nRumblePower = 100;
    ASSERT_EQ(1, wm_SetStatus(0, &st));
    window.log.clear();
    ASSERT_EQ(1, wm_Close());
    EXPECT_EQ(0, SimLeds(pSim));
    EXPECT_EQ(0, SimRumble(pSim));
    EXPECT_EQ(0, SimContinuous(pSim));  // core buttons only, sent on a change
    EXPECT_EQ(0x30, SimReportMode(pSim));
    PumpFor(20);
    EXPECT_TRUE(window.log.empty());
}

TEST_F(SimLibrary, SetSystemDefaultsBadSmoothingAndEveryRemote) {
    SimAddRemote();
    SimAddRemote();
    ConnectAll(2);
    ClientWindow window;
    WM_SYSTEM sys = {0x3F, 0, 250, 3, window.hWnd, 0x9000, 0x9001, 0x9003, 0xDEADBEEF}, got = {0x3F, 0, 0, 0, NULL, 0, 0, 0, 0};
    ASSERT_EQ(1, wm_SetSystem(0, &sys));
    ASSERT_EQ(1, wm_GetSystem(0, &got));
    EXPECT_EQ(0, memcmp(&sys, &got, sizeof(sys)));
    ASSERT_EQ(1, wm_SetSystem(0, NULL));
    ASSERT_EQ(1, wm_GetSystem(0, &got));
    const WM_SYSTEM defaults = {0x3F, 1, 1000, 0, NULL, 0x8000, 0x8001, 0x8003, 0};
    EXPECT_EQ(0, memcmp(&defaults, &got, sizeof(got)));

    sys = {0x07, 0, 700, 501, NULL, 0, 0, 0, 0};
    EXPECT_EQ(0, wm_SetSystem(0, &sys));
    EXPECT_EQ((DWORD)WME_BAD_PARAMETER, GetLastError());
    ASSERT_EQ(1, wm_GetSystem(0, &got));
    EXPECT_EQ(0, got.bAutoUpdate);  // taken over before the bad value
    EXPECT_EQ(700u, got.dwTimeout);
    EXPECT_EQ(0, got.nSmoothing);

    SetSystem(-1, WMSYS_SMOOTHING, 600);  // the failures stay inside the loop
    got.dwFlags = WMSYS_SMOOTHING;
    ASSERT_EQ(1, wm_GetSystem(1, &got));
    EXPECT_EQ(0, got.nSmoothing);
    SetSystem(-1, WMSYS_SMOOTHING, 4);
    for (int i = 0; i < 2; i++) {
        SlotLock lock(i);
        ASSERT_NE(nullptr, Device(i)->apAccelFilter[0]);
        EXPECT_EQ(4, Device(i)->apAccelFilter[0]->nCount);
    }
    SetSystem(1, WMSYS_SMOOTHING, 0);  // 0 on one remote turns smoothing off on every remote
    for (int i = 0; i < 2; i++) {
        SlotLock lock(i);
        EXPECT_EQ(nullptr, Device(i)->apAccelFilter[0]) << i;
    }
    ASSERT_EQ(1, wm_GetSystem(0, &got));
    EXPECT_EQ(4, got.nSmoothing);  // its own count stays
}

TEST_F(SimLibrary, DisconnectDuringStatusNotificationOnTheClientThread) {
    AddConnected();
    ClientWindow window;
    window.onMessage = [](UINT uMsg, WPARAM wParam, LPARAM) -> LRESULT {
        if (uMsg == WM_MSG_STATUS_DEFAULT)
            wm_Disconnect((int)wParam, 1);
        return 0;
    };
    Watch(0, window);
    EXPECT_EQ(1, SetLeds(0, 1));
    EXPECT_EQ(nullptr, Device(0));
    EXPECT_EQ(1, window.Count(WM_MSG_LOST_DEFAULT));
}

// Without the simulator wm_Init takes hid.dll, setupapi.dll and winmm.dll from the system folder
// alone (on Windows 7 without the search flags, by their full paths) and opts the process out of
// timer throttling as its worker starts. A DLL or a call that cannot be had leaves a library that
// starts and finds no remote, keeping why; a Windows without SetProcessInformation changes nothing.
TEST_F(SimLibrary, TakesItsSystemDllsFromTheSystemFolderAlone) {
    WCHAR szFolder[MAX_PATH];
    std::string folder(szFolder, szFolder + GetSystemDirectoryW(szFolder, MAX_PATH));
    auto loads = [&](bool bWindows7, std::vector<std::string> dlls, bool bOptOut = true) {
        std::vector<std::string> log;
        for (const std::string &dll : dlls) {
            log.push_back("load " + dll + " 0x800");
            if (bWindows7)
                log.push_back("load " + folder + "\\" + dll + " 0x8");
        }
        if (bOptOut)
            log.push_back(kKeepTimerResolution);
        return log;
    };
    const std::vector<std::string> all = {"hid.dll", "setupapi.dll", "winmm.dll"};
    const struct { SystemDllFake fake; DWORD dwKept; std::vector<std::string> log; } cases[] = {
        {{}, 0, loads(false, all)},
        {{{}, L"", "", true}, 0, loads(true, all)},
        {{{}, L"hid.dll", ""}, ERROR_MOD_NOT_FOUND, loads(false, {"hid.dll", "winmm.dll"})},
        {{{}, L"", "SetupDiEnumDeviceInterfaces"}, ERROR_PROC_NOT_FOUND, loads(false, all)},
        {{{}, L"", "SetProcessInformation"}, 0, loads(false, all, false)},
    };
    ASSERT_EQ(1, wm_Close());
    SimUninstall();
    for (const auto &c : cases) {
        SystemDllFake fake = c.fake;
        SetTimerCalls(NULL);
        InstallSystemDllFake(&fake);
        EXPECT_EQ(1, wm_Init());
        InstallSystemDllFake(NULL);
        EXPECT_EQ(c.log, fake.log);
        EXPECT_EQ(c.dwKept, g_Lib.dwHidIoError);
        EXPECT_EQ(-1, wm_Connect(NULL, 0));
        EXPECT_EQ(WME_NOT_FOUND, GetLastError());
        EXPECT_EQ(1, wm_Close());
        SetHidIo(NULL);
    }
    SimInstall();
    ASSERT_EQ(1, wm_Init());
}

}  // namespace
