/*
 * remote_latency - how long a button change takes from a (simulated) remote to the client
 * window's input-changed notification, through the real worker thread, and what the
 * worker costs in CPU and output reports while idle. Not a test: it prints figures.
 *
 *   remote_latency [presses]   (default 1000 per configuration)
 */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "frame.h"
#include "output.h"
#include "sim_remote.h"
#include "tavel.h"

namespace {

struct Bench {
    HWND hWnd;
    LARGE_INTEGER liFreq;
    volatile LONG nWaitSlot = -1;
    LARGE_INTEGER liSeen;
    HANDLE hSeen;
};

Bench g_Bench;

LRESULT CALLBACK BenchProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_MSG_KEY_DEFAULT) {
        const DWORD *adwMask = (const DWORD *)lParam;
        if ((LONG)wParam == g_Bench.nWaitSlot && (adwMask[0] & 1)) {
            QueryPerformanceCounter(&g_Bench.liSeen);
            g_Bench.nWaitSlot = -1;
            SetEvent(g_Bench.hSeen);
        }
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

struct DriverArgs {
    std::vector<SIM_REMOTE *> remotes;
    int nPresses;
    std::vector<double> delays;
    std::vector<int> held;  // kept from one run to the next, so every press is a change
    volatile LONG bDone;
};

DWORD WINAPI Driver(LPVOID pv) {
    DriverArgs *a = (DriverArgs *)pv;
    std::vector<int> &held = a->held;
    held.resize(a->remotes.size(), 0);
    srand(12345);
    for (int i = 0; i < a->nPresses; i++) {
        int k = i % (int)a->remotes.size();
        Sleep(2 + rand() % 6);  // presses land anywhere in the worker's pass
        held[k] = !held[k];
        ResetEvent(g_Bench.hSeen);
        InterlockedExchange(&g_Bench.nWaitSlot, k);
        LARGE_INTEGER liStart;
        QueryPerformanceCounter(&liStart);
        SimSetButtons(a->remotes[k], 0, held[k] ? 0x08 : 0x00);
        if (WaitForSingleObject(g_Bench.hSeen, 2000) != WAIT_OBJECT_0) {
            fprintf(stderr, "press %d was never reported\n", i);
            continue;
        }
        a->delays.push_back((double)(g_Bench.liSeen.QuadPart - liStart.QuadPart) * 1000.0 /
                            (double)g_Bench.liFreq.QuadPart);
    }
    InterlockedExchange(&a->bDone, 1);
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
    return 0;
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    size_t n = (size_t)(p * (double)(v.size() - 1) + 0.5);
    return v[n];
}

ULONGLONG ThreadCpu100ns(HANDLE h) {
    FILETIME c, e, k, u;
    if (!h || !GetThreadTimes(h, &c, &e, &k, &u))
        return 0;
    return ((ULONGLONG)k.dwHighDateTime << 32 | k.dwLowDateTime) + ((ULONGLONG)u.dwHighDateTime << 32 | u.dwLowDateTime);
}

// The worker's and the remotes' sending threads' CPU time.
ULONGLONG LibraryCpu100ns(int nRemotes) {
    ULONGLONG ull = ThreadCpu100ns(g_Lib.hWorker);
    for (int i = 0; i < nRemotes; i++)
        if (g_Lib.apSlot[i])
            ull += ThreadCpu100ns(OutputThread(g_Lib.apSlot[i]->pOutput));
    return ull;
}

void RunConfiguration(int nRemotes, DWORD dwReadLatency, int nPresses) {
    SimInstall();
    DriverArgs args;
    args.nPresses = nPresses;
    args.bDone = 0;
    for (int i = 0; i < nRemotes; i++) {
        args.remotes.push_back(SimAddRemote());
        SimSetReadLatency(args.remotes.back(), dwReadLatency);
    }
    wm_Init();
    wm_Connect(NULL, 0);
    for (int i = 0; i < nRemotes; i++) {
        WM_SYSTEM sys = {};
        sys.dwFlags = WMSYS_HWND;
        sys.hWnd = g_Bench.hWnd;
        wm_SetSystem(i, &sys);
    }

    // Each mode: idle first (the library's own cost with nothing happening, and the output
    // reports an idle remote is sent), then the presses. "as before": a status request every 10 ms
    // (about one per step then) and a pass every 5 ms; "now": the worker waits for the reports, status once a second.
    struct Mode {
        const char *pszName;
        DWORD dwInterval, dwPassMs;
        double dCpu, dOutputs;
        std::vector<double> delays;
    } aMode[2] = {{"as before", 10, 5, 0, 0, {}}, {"now", STATUS_INTERVAL_MS, 0, 0, 0, {}}};
    MSG msg;
    for (Mode &mode : aMode) {
        g_Lib.dwStatusInterval = mode.dwInterval;
        g_Lib.dwPassMs = mode.dwPassMs;
        WakeWorker();
        int nOutputs0 = 0;
        for (SIM_REMOTE *pSim : args.remotes)
            nOutputs0 += SimOutputCount(pSim);
        ULONGLONG ullCpu0 = LibraryCpu100ns(nRemotes);
        DWORD dwIdleStart = GetTickCount();
        while (GetTickCount() - dwIdleStart < 5000) {
            while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
            Sleep(5);
        }
        double dSeconds = (GetTickCount() - dwIdleStart) / 1000.0;
        mode.dCpu = (double)(LibraryCpu100ns(nRemotes) - ullCpu0) / 10000.0 / dSeconds;
        int nOutputs = -nOutputs0;
        for (SIM_REMOTE *pSim : args.remotes)
            nOutputs += SimOutputCount(pSim);
        mode.dOutputs = nOutputs / dSeconds / nRemotes;

        args.bDone = 0;
        args.delays.clear();
        HANDLE hDriver = CreateThread(NULL, 0, Driver, &args, 0, NULL);
        while (!args.bDone) {
            MsgWaitForMultipleObjects(1, &hDriver, FALSE, 50, QS_ALLINPUT);
            while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
        }
        WaitForSingleObject(hDriver, INFINITE);
        CloseHandle(hDriver);
        mode.delays = args.delays;
    }
    wm_Close();
    SimUninstall();

    printf("%d remote(s), read latency %lu ms:\n", nRemotes, dwReadLatency);
    for (Mode &mode : aMode)
        printf("  %-9s  %zu presses  median %.2f ms  p99 %.2f ms  max %.2f ms;  idle: library CPU %.1f ms/s, "
               "%.1f output reports/s per remote\n", mode.pszName, mode.delays.size(), Percentile(mode.delays, 0.5),
               Percentile(mode.delays, 0.99), Percentile(mode.delays, 1.0), mode.dCpu, mode.dOutputs);
    fflush(stdout);
}

}  // namespace

int main(int argc, char **argv) {
    int nPresses = argc > 1 ? atoi(argv[1]) : 1000;
    QueryPerformanceFrequency(&g_Bench.liFreq);
    g_Bench.hSeen = CreateEventW(NULL, TRUE, FALSE, NULL);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BenchProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"RemoteLatencyBench";
    RegisterClassW(&wc);
    g_Bench.hWnd = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);

    printf("Button change in the simulated remote -> input-changed notification in the client window\n");
    RunConfiguration(1, 0, nPresses);
    RunConfiguration(4, 0, nPresses);
    RunConfiguration(1, 1, nPresses);
    RunConfiguration(4, 1, nPresses);
    return 0;
}
