#include "sim_fixture.h"

DWORD g_dwFakeNow;

namespace {

DWORD WINAPI FakeClock() { return g_dwFakeNow; }

LRESULT CALLBACK ClientProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    ClientWindow *w = (ClientWindow *)GetWindowLongPtrW(hWnd, GWLP_USERDATA);
    if (!w || uMsg < WM_APP || uMsg > 0xBFFF)
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    // An input change carries its masks, valid only during the call: the core mask is logged.
    w->log.push_back({uMsg, wParam, uMsg == WM_MSG_KEY_DEFAULT ? (LPARAM)((const DWORD *)lParam)[0] : lParam});
    return w->onMessage ? w->onMessage(uMsg, wParam, lParam) : 0;
}

DWORD WINAPI CallProc(LPVOID pv) {
    (*(std::function<void()> *)pv)();
    return 0;
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
    if (g_Lib.bInitialized)
        wm_Close();
    SetClockProc(NULL);
    // A handle is closed only once the set-output-report call stuck on it has returned.
    SimReleaseHeldCalls();
    PumpUntil([] { return SimHandlesOpened() == SimHandlesClosed(); }, 1000);
    EXPECT_EQ(SimHandlesOpened(), SimHandlesClosed()) << "a device handle was left open";
    EXPECT_EQ(0, SimBadCloses()) << "a device handle was closed twice";
    EXPECT_EQ(0, SimPreparsedOutstanding());
    EXPECT_EQ(0, SimDeviceListsOutstanding());
    SimUninstall();
}

void SimLibrary::Restart() {
    TearDown();
    SetUp();
}

void SimLibrary::UseFakeClock(DWORD dwNow) {
    g_dwFakeNow = dwNow;
    SetClockProc(FakeClock);
}

IO_OUTCOME SimLibrary::Step(int nSlot) {
    STEP_WAIT wait;
    IO_OUTCOME outcome = UpdateDevice(Device(nSlot), &wait);
    if (outcome != IO_GONE)
        DrainOutput(Device(nSlot)->pOutput, 2000);
    return outcome;
}

SIM_REMOTE *SimLibrary::AddConnected(DWORD dwFaults) {
    SIM_REMOTE *pSim = SimAddRemote();
    SimSetFaults(pSim, dwFaults);
    ConnectAll(1);
    return pSim;
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

void SimLibrary::SetSystem(int nSlot, DWORD dwFlag, int nValue) {
    WM_SYSTEM sys = {};
    sys.dwFlags = dwFlag;
    sys.bAutoUpdate = nValue;
    sys.dwTimeout = (DWORD)nValue;
    sys.nSmoothing = nValue;
    ASSERT_EQ(1, wm_SetSystem(nSlot, &sys));
}

int SimLibrary::SetLeds(int nSlot, BYTE bLed1) {
    WM_STATUS st = {};
    st.dwFlags = WMST_LED;
    st.abLed[0] = bLed1;
    return wm_SetStatus(nSlot, &st);
}

int SimLibrary::ExtensionKind(int nSlot) {
    WM_STATUS st = {};
    st.dwFlags = WMST_EXTENSION;
    return wm_GetStatus(nSlot, &st) ? st.nExtType : -1;
}

int CountOutputs(SIM_REMOTE *pSim, const std::function<bool(const std::vector<BYTE> &)> &match) {
    int n = 0;
    for (int i = 0; i < SimOutputCount(pSim); i++)
        n += match(OutputAt(pSim, i));
    return n;
}

std::vector<BYTE> OutputAt(SIM_REMOTE *pSim, int nAt) {
    std::vector<BYTE> v(22);
    SimOutputAt(pSim, nAt, v.data(), NULL);
    return v;
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
