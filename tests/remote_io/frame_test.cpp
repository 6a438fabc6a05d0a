// The library frame: init and close, counting, slots, locks and notifications.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <vector>

#include "connection.h"
#include "frame.h"

namespace {

// Every test starts and ends with the library closed.
class Frame : public ::testing::Test {
protected:
    void TearDown() override {
        if (g_Lib.bInitialized)
            wm_Close();
    }
};

// Puts a bare record into a slot, as the connection code would; registered but not
// yet active, so the worker's step leaves it alone (it has no device behind it).
WM_DEVICE *PlaceDevice(int nSlot, int bAutoUpdate) {
    WM_DEVICE *pDev = (WM_DEVICE *)calloc(1, sizeof(WM_DEVICE));
    pDev->nIndex = nSlot;
    pDev->nState = DEVICE_REGISTERED;
    pDev->bValid = 1;
    SetDefaultSystem(pDev);
    pDev->bAutoUpdate = bAutoUpdate;
    LockSlot(nSlot);
    SetSlotDevice(nSlot, pDev);
    UnlockSlot(nSlot);
    return pDev;
}

bool ThreadRunning(HANDLE h) { return WaitForSingleObject(h, 0) == WAIT_TIMEOUT; }

TEST_F(Frame, VersionIsTheSameBeforeAndAfterInit) {
    EXPECT_EQ(0x01030000, wm_Version());
    ASSERT_EQ(1, wm_Init());
    EXPECT_EQ(0x01030000, wm_Version());
}

TEST_F(Frame, ExportsRefuseWorkBeforeInit) {
    EXPECT_EQ(0, wm_Count());
    EXPECT_EQ((DWORD)WME_NOT_INITIALIZED, GetLastError());
    EXPECT_EQ(-1, wm_Exist(0));
    EXPECT_EQ((DWORD)WME_NOT_INITIALIZED, GetLastError());
    EXPECT_EQ(0, wm_Close());
    EXPECT_EQ((DWORD)WME_NOT_INITIALIZED, GetLastError());
}

TEST_F(Frame, InitTwiceKeepsTheFirstWorker) {
    ASSERT_EQ(1, wm_Init());
    EXPECT_EQ((DWORD)WME_SUCCESS, GetLastError());
    HANDLE hFirst = g_Lib.hWorker;
    EXPECT_EQ(0, wm_Init());
    EXPECT_EQ((DWORD)WME_ALREADY_INITIALIZED, GetLastError());
    EXPECT_EQ(hFirst, g_Lib.hWorker);
    EXPECT_TRUE(ThreadRunning(g_Lib.hWorker));
}

TEST_F(Frame, CloseEndsTheWorkerAndInitWorksAgain) {
    ASSERT_EQ(1, wm_Init());
    HANDLE hWorker;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), g_Lib.hWorker, GetCurrentProcess(), &hWorker, 0,
                                FALSE, DUPLICATE_SAME_ACCESS));
    EXPECT_EQ(1, wm_Close());
    EXPECT_EQ((DWORD)WME_SUCCESS, GetLastError());
    EXPECT_FALSE(ThreadRunning(hWorker));  // wm_Close returns after the worker has ended
    CloseHandle(hWorker);
    EXPECT_EQ(1, wm_Init());
    EXPECT_EQ(0, wm_Count());
    EXPECT_EQ((DWORD)WME_SUCCESS, GetLastError());
}

TEST_F(Frame, SlotEventsStartSignalled) {
    ASSERT_EQ(1, wm_Init());
    for (int i = 0; i < TAVEL_SLOTS; i++) {
        ASSERT_NE(nullptr, g_Lib.aSlotIo[i].hEvent);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_Lib.aSlotIo[i].hEvent, 0));
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(g_Lib.aSlotIo[i].hEvent, 0));  // auto-reset
    }
}

TEST_F(Frame, ExistChecksIndexAndOccupancy) {
    ASSERT_EQ(1, wm_Init());
    EXPECT_EQ(0, wm_Exist(10));
    EXPECT_EQ((DWORD)WME_BAD_INDEX, GetLastError());
    EXPECT_EQ(0, wm_Exist(-2));
    EXPECT_EQ((DWORD)WME_BAD_INDEX, GetLastError());
    EXPECT_EQ(0, wm_Exist(3));
    EXPECT_EQ((DWORD)WME_NO_DEVICE, GetLastError());
    EXPECT_EQ(0, wm_Exist(-1));
    EXPECT_EQ((DWORD)WME_NONE, GetLastError());

    // A polled remote counts as usable without any I/O.
    PlaceDevice(4, 1);
    EXPECT_EQ(1, wm_Count());
    EXPECT_EQ(1, wm_Exist(4));
    EXPECT_EQ((DWORD)WME_SUCCESS, GetLastError());
    EXPECT_EQ(1, wm_Exist(-1));
    EXPECT_EQ((DWORD)WME_SUCCESS, GetLastError());
}

TEST_F(Frame, CloseEmptiesOccupiedSlots) {
    ASSERT_EQ(1, wm_Init());
    PlaceDevice(0, 1);
    PlaceDevice(9, 0);
    EXPECT_EQ(2, wm_Count());
    EXPECT_EQ(1, wm_Close());
    for (WM_DEVICE *p : g_Lib.apSlot)
        EXPECT_EQ(nullptr, p);
    EXPECT_EQ(0, wm_Count());
    EXPECT_EQ((DWORD)WME_NOT_INITIALIZED, GetLastError());
}

DWORD WINAPI HoldSlotUntilEvent(LPVOID pv) {
    HANDLE *ah = (HANDLE *)pv;  // [0] slot number as handle value, [1] held, [2] release
    int nSlot = (int)(INT_PTR)ah[0];
    LockSlot(nSlot);
    SetEvent(ah[1]);
    WaitForSingleObject(ah[2], INFINITE);
    UnlockSlot(nSlot);
    return 0;
}

TEST_F(Frame, FindFreeSlotSkipsBusyAndOccupiedSlots) {
    ASSERT_EQ(1, wm_Init());
    PlaceDevice(0, 0);
    HANDLE ah[3] = {(HANDLE)(INT_PTR)1, CreateEventW(NULL, TRUE, FALSE, NULL), CreateEventW(NULL, TRUE, FALSE, NULL)};
    HANDLE hThread = CreateThread(NULL, 0, HoldSlotUntilEvent, ah, 0, NULL);
    WaitForSingleObject(ah[1], INFINITE);

    int nSlot = FindFreeSlot();  // 0 occupied, 1 locked elsewhere
    EXPECT_EQ(2, nSlot);
    UnlockSlot(nSlot);

    SetEvent(ah[2]);
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
    CloseHandle(ah[1]);
    CloseHandle(ah[2]);
}

TEST_F(Frame, FindFreeSlotFailsWhenAllAreOccupied) {
    ASSERT_EQ(1, wm_Init());
    for (int i = 0; i < TAVEL_SLOTS; i++)
        PlaceDevice(i, 0);
    EXPECT_EQ(-1, FindFreeSlot());
    EXPECT_EQ((DWORD)WME_NO_SLOT, GetLastError());
}

// A window that records what it is sent and can act while handling it.
struct Recorder {
    struct Msg { UINT uMsg; WPARAM wParam; LPARAM lParam; bool bSlotLockedElsewhere; };
    std::vector<Msg> msgs;
    void (*pfnOnMessage)(Recorder *, UINT, WPARAM) = nullptr;
    int nProbeSlot = -1;
};

DWORD WINAPI TryLockProbe(LPVOID pv) {
    int nSlot = (int)(INT_PTR)pv;
    if (!TryEnterCriticalSection(&g_Lib.aSlotLock[nSlot]))
        return 1;
    UnlockSlot(nSlot);
    return 0;
}

// True when a thread other than the caller cannot take the slot lock right now.
bool SlotLockedElsewhere(int nSlot) {
    HANDLE h = CreateThread(NULL, 0, TryLockProbe, (LPVOID)(INT_PTR)nSlot, 0, NULL);
    WaitForSingleObject(h, INFINITE);
    DWORD dwCode = 0;
    GetExitCodeThread(h, &dwCode);
    CloseHandle(h);
    return dwCode == 1;
}

LRESULT CALLBACK RecorderProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    Recorder *r = (Recorder *)GetWindowLongPtrW(hWnd, GWLP_USERDATA);
    if (r && uMsg >= 0x8000 && uMsg <= 0x8003) {
        r->msgs.push_back({uMsg, wParam, lParam, r->nProbeSlot >= 0 && SlotLockedElsewhere(r->nProbeSlot)});
        if (r->pfnOnMessage)
            r->pfnOnMessage(r, uMsg, wParam);
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

HWND CreateRecorderWindow(Recorder *r) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RecorderProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"FrameTestRecorder";
    RegisterClassW(&wc);
    HWND hWnd = CreateWindowW(L"FrameTestRecorder", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, (LONG_PTR)r);
    return hWnd;
}

TEST_F(Frame, NotifyOnClientThreadKeepsTheSlotLocked) {
    ASSERT_EQ(1, wm_Init());
    Recorder r;
    r.nProbeSlot = 5;
    HWND hWnd = CreateRecorderWindow(&r);
    WM_DEVICE *pDev = PlaceDevice(5, 1);
    pDev->hWnd = hWnd;

    LockSlot(5);
    SetLastError(WME_SUCCESS);
    EXPECT_EQ(1, SendNotify(5, pDev->uMsgStatus, 5, 0x04));
    EXPECT_EQ((DWORD)WME_SUCCESS, GetLastError());
    UnlockSlot(5);

    ASSERT_EQ(1u, r.msgs.size());
    EXPECT_EQ(0x8000u, r.msgs[0].uMsg);
    EXPECT_EQ(5u, r.msgs[0].wParam);
    EXPECT_EQ(0x04, r.msgs[0].lParam);
    EXPECT_TRUE(r.msgs[0].bSlotLockedElsewhere);
    DestroyWindow(hWnd);
}

TEST_F(Frame, NotifySendsNothingWithoutPollingWindowOrMessage) {
    ASSERT_EQ(1, wm_Init());
    Recorder r;
    HWND hWnd = CreateRecorderWindow(&r);
    WM_DEVICE *pDev = PlaceDevice(2, 0);
    pDev->hWnd = hWnd;
    LockSlot(2);
    SendNotify(2, 0x8000, 2, 1);  // polling off
    pDev->bAutoUpdate = 1;
    SendNotify(2, 0, 2, 1);       // message number 0
    pDev->hWnd = NULL;
    SendNotify(2, 0x8000, 2, 1);  // no window
    UnlockSlot(2);
    EXPECT_TRUE(r.msgs.empty());
    DestroyWindow(hWnd);
}

void DisconnectDuringMessage(Recorder *, UINT, WPARAM wParam) {
    int nSlot = (int)wParam;
    LockSlot(nSlot);
    DestroyDevice(g_Lib.apSlot[nSlot], 1, 0);
    UnlockSlot(nSlot);
}

TEST_F(Frame, NotifyReportsRemovedWhenTheHandlerEmptiesTheSlot) {
    ASSERT_EQ(1, wm_Init());
    Recorder r;
    r.pfnOnMessage = DisconnectDuringMessage;
    HWND hWnd = CreateRecorderWindow(&r);
    WM_DEVICE *pDev = PlaceDevice(7, 1);
    pDev->hWnd = hWnd;
    LockSlot(7);
    EXPECT_EQ(0, SendNotify(7, 0x8001, 7, 0));
    EXPECT_EQ(nullptr, g_Lib.apSlot[7]);
    UnlockSlot(7);
    DestroyWindow(hWnd);
}

}  // namespace
