#include "sim_fixture.h"

#include <stdio.h>

namespace {

LRESULT CALLBACK ClientProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    ClientWindow *w = (ClientWindow *)GetWindowLongPtrW(hWnd, GWLP_USERDATA);
    if (w && uMsg >= WM_APP && uMsg <= 0xBFFF) {
        DWORD dwExt = 0;
        LPARAM lLogged = lParam;
        if (uMsg == WM_MSG_KEY_DEFAULT) {
            const DWORD *adw = (const DWORD *)lParam;  // valid only during the call
            lLogged = (LPARAM)adw[0];
            dwExt = adw[1];
        }
        w->log.push_back({uMsg, wParam, lLogged, dwExt});
        if (w->onMessage)
            return w->onMessage(uMsg, wParam, lParam);
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

}  // namespace

ClientWindow::ClientWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ClientProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"SimClientWindow";
    RegisterClassW(&wc);
    hWnd = CreateWindowW(L"SimClientWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, (LONG_PTR)this);
}

ClientWindow::~ClientWindow() { DestroyWindow(hWnd); }

int ClientWindow::Count(UINT uMsg) const {
    int n = 0;
    for (const Notification &m : log)
        n += m.uMsg == uMsg;
    return n;
}

const Notification *ClientWindow::Last(UINT uMsg) const {
    for (auto it = log.rbegin(); it != log.rend(); ++it)
        if (it->uMsg == uMsg)
            return &*it;
    return nullptr;
}

void SimLibrary::SetUp() {
    SimInstall();
    ASSERT_EQ(1, wm_Init());
}

void SimLibrary::TearDown() {
    wm_Close();
    SetClockProc(NULL);
    EXPECT_EQ(SimHandlesOpened(), SimHandlesClosed()) << "a device handle was left open";
    EXPECT_EQ(0, SimBadCloses()) << "a device handle was closed twice";
    EXPECT_EQ(0, SimPreparsedOutstanding());
    SimUninstall();
}

void SimLibrary::Restart() {
    wm_Close();
    EXPECT_EQ(SimHandlesOpened(), SimHandlesClosed()) << "a device handle was left open";
    SimUninstall();
    SimInstall();
    ASSERT_EQ(1, wm_Init());
}

static DWORD WINAPI WatchdogProc(LPVOID pv) {
    Watchdog *p = (Watchdog *)pv;
    if (WaitForSingleObject(p->hDone, p->dwMs) != WAIT_OBJECT_0) {
        fprintf(stderr, "hung for %lu ms: %s\n", (unsigned long)p->dwMs, p->pszWhat);
        fflush(stderr);
        ExitProcess(3);
    }
    return 0;
}

Watchdog::Watchdog(DWORD dwMsIn, const char *pszWhatIn) : dwMs(dwMsIn), pszWhat(pszWhatIn) {
    hDone = CreateEventW(NULL, TRUE, FALSE, NULL);
    hThread = CreateThread(NULL, 0, WatchdogProc, this, 0, NULL);
}

Watchdog::~Watchdog() {
    SetEvent(hDone);
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
    CloseHandle(hDone);
}

static DWORD WINAPI CallProc(LPVOID pv) {
    (*(std::function<void()> *)pv)();
    return 0;
}

bool ReturnsWithin(DWORD dwMs, const std::function<void()> &call) {
    std::function<void()> *pCall = new std::function<void()>(call);  // left to a thread that hangs
    HANDLE hThread = CreateThread(NULL, 0, CallProc, pCall, 0, NULL);
    bool bReturned = WaitForSingleObject(hThread, dwMs) == WAIT_OBJECT_0;
    CloseHandle(hThread);
    if (bReturned)
        delete pCall;
    return bReturned;
}

void SimLibrary::ConnectAll(int nExpected) {
    ASSERT_EQ(nExpected, wm_Connect(NULL, 0));
    ASSERT_EQ((DWORD)WME_SUCCESS, GetLastError());
}

void SimLibrary::Watch(int nSlot, ClientWindow &window) {
    WM_SYSTEM sys = {};
    sys.dwFlags = WMSYS_HWND;
    sys.hWnd = window.hWnd;
    ASSERT_EQ(1, wm_SetSystem(nSlot, &sys));
}

void SimLibrary::SetPolling(int nSlot, int bAutoUpdate) {
    WM_SYSTEM sys = {};
    sys.dwFlags = WMSYS_AUTOUPDATE;
    sys.bAutoUpdate = bAutoUpdate;
    ASSERT_EQ(1, wm_SetSystem(nSlot, &sys));
}

void SimLibrary::SetTimeout(int nSlot, DWORD dwMs) {
    WM_SYSTEM sys = {};
    sys.dwFlags = WMSYS_TIMEOUT;
    sys.dwTimeout = dwMs;
    ASSERT_EQ(1, wm_SetSystem(nSlot, &sys));
}
