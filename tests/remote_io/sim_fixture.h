// The one fixture of the library's tests: the library over the simulated bus, a client window that
// records the notifications, and a fake clock.
#ifndef SIM_FIXTURE_H
#define SIM_FIXTURE_H

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "decode.h"
#include "frame.h"
#include "output.h"
#include "pump.h"
#include "sim_remote.h"
#include "transport.h"

struct Notification {
    UINT uMsg;
    WPARAM wParam;
    LPARAM lParam;  // for input changes: the core mask
};

// A message-only window on the test thread; the worker's notifications arrive while it pumps.
struct ClientWindow {
    HWND hWnd = NULL;
    std::vector<Notification> log;
    std::function<LRESULT(UINT, WPARAM, LPARAM)> onMessage;

    ClientWindow();
    ~ClientWindow();
    int Count(UINT uMsg) const;
    const Notification *Last(UINT uMsg) const;
};

class SimLibrary : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Adds a remote with these faults and connects it (into the next free slot).
    SIM_REMOTE *AddConnected(DWORD dwFaults = 0);
    // Connects the remotes on the bus without a connect window; expects nExpected of them.
    void ConnectAll(int nExpected);
    void Watch(int nSlot, ClientWindow &window);
    void SetSystem(int nSlot, DWORD dwFlag, int nValue);  // one WMSYS_ field that is a number
    void SetPolling(int nSlot, int bAutoUpdate) { SetSystem(nSlot, WMSYS_AUTOUPDATE, bAutoUpdate); }
    void SetTimeout(int nSlot, DWORD dwMs) { SetSystem(nSlot, WMSYS_TIMEOUT, (int)dwMs); }
    int SetLeds(int nSlot, BYTE bLed1);
    int ExtensionKind(int nSlot = 0);  // -1 when the getter fails
    // Closes the library, checks what TearDown checks, and starts afresh on an empty bus.
    void Restart();
    // Time for the library's alarms is g_dwFakeNow from here on.
    void UseFakeClock(DWORD dwNow);
    WM_DEVICE *Device(int nSlot) { return g_Lib.apSlot[nSlot]; }
    // One worker step by hand, under the slot lock the caller holds, and its reports sent.
    IO_OUTCOME Step(int nSlot);
};

extern DWORD g_dwFakeNow;

// The output reports a remote received that match.
int CountOutputs(SIM_REMOTE *pSim, const std::function<bool(const std::vector<BYTE> &)> &match);
std::vector<BYTE> OutputAt(SIM_REMOTE *pSim, int nAt);

// Runs the call on a thread of its own; false when it has not returned within dwMs (the thread
// is then left behind).
bool ReturnsWithin(DWORD dwMs, const std::function<void()> &call);

// Runs code under a slot's lock, as the library's own callers do.
struct SlotLock {
    int nSlot;
    explicit SlotLock(int n) : nSlot(n) { LockSlot(n); }
    ~SlotLock() { UnlockSlot(nSlot); }
};

#endif
