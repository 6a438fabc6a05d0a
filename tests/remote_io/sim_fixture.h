// The library against simulated remotes, with a client window that records its notifications.
#ifndef SIM_FIXTURE_H
#define SIM_FIXTURE_H

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "frame.h"
#include "pump.h"
#include "sim_remote.h"

struct Notification {
    UINT uMsg;
    WPARAM wParam;
    LPARAM lParam;     // for input changes: the core mask
    DWORD dwExtMask;   // for input changes: the extension mask
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

    // Connects the remotes on the bus without a connect window; expects nExpected of them.
    void ConnectAll(int nExpected);
    // Lets a client window receive the remote's notifications.
    void Watch(int nSlot, ClientWindow &window);
    void SetPolling(int nSlot, int bAutoUpdate);
    void SetTimeout(int nSlot, DWORD dwMs);
    // Closes the library, checks that every handle was closed, and starts afresh on an empty bus.
    void Restart();
    WM_DEVICE *Device(int nSlot) { return g_Lib.apSlot[nSlot]; }
};

// Ends the test process with a message when the scope is not left within dwMs: a hang fails
// the test at once instead of stalling the suite.
struct Watchdog {
    HANDLE hDone;
    HANDLE hThread;
    DWORD dwMs;
    const char *pszWhat;
    Watchdog(DWORD dwMs, const char *pszWhat);
    ~Watchdog();
};

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
