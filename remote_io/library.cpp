/* library.cpp - the exports that manage the library as a whole. */
#include "connection.h"
#include "frame.h"
#include "hid_io.h"
#include "timer_calls.h"
#include "timer_throttling.h"
#include "transport.h"
#include "version.h"

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(hInstance);
    return TRUE;
}

/* The ten slots' events and locks, and the stop event; 0 when an event cannot be created. */
static int CreateSlots(void)
{
    g_Lib.hStopEvent = CreateEventW(NULL, TRUE, FALSE, NULL);
    int bAll = g_Lib.hStopEvent != NULL;
    for (int i = 0; i < TAVEL_SLOTS; i++) {
        ZeroMemory(&g_Lib.aSlotIo[i], sizeof(OVERLAPPED));
        g_Lib.aSlotIo[i].hEvent = CreateEventW(NULL, FALSE, TRUE, NULL);
        bAll = bAll && g_Lib.aSlotIo[i].hEvent;
    }
    if (bAll) {
        for (int i = 0; i < TAVEL_SLOTS; i++)
            InitializeCriticalSection(&g_Lib.aSlotLock[i]);
        return 1;
    }
    for (int i = 0; i < TAVEL_SLOTS; i++)
        if (g_Lib.aSlotIo[i].hEvent)
            CloseHandle(g_Lib.aSlotIo[i].hEvent);
    if (g_Lib.hStopEvent)
        CloseHandle(g_Lib.hStopEvent);
    g_Lib.hStopEvent = NULL;
    return 0;
}

/* A worker still finishing a close from inside a notification is given this long. */
#define PREVIOUS_WORKER_WAIT_MS 2000

int TAVEL_API wm_Init(void)
{
    if (g_Lib.bInitialized)
        return SetResult(WME_ALREADY_INITIALIZED, 0);
    if (!JoinWorker(PREVIOUS_WORKER_WAIT_MS))
        return SetResult(WME_THREAD, 0);
    /* Without the system's HID calls the library still starts; wm_Connect then finds no remote. */
    g_Lib.dwHidIoError = EnsureHidIo() ? 0 : GetLastError();
    LoadTimerCalls();
    for (int i = 0; i < TAVEL_SLOTS; i++)
        SetSlotDevice(i, NULL);
    /* The worker's resources: failing to create them is reported like failing to start it. */
    if (!CreateSlots())
        return SetResult(WME_THREAD, 0);
    if (!StartWorker()) {
        for (int i = 0; i < TAVEL_SLOTS; i++) {
            CloseHandle(g_Lib.aSlotIo[i].hEvent);
            DeleteCriticalSection(&g_Lib.aSlotLock[i]);
        }
        CloseHandle(g_Lib.hStopEvent);
        g_Lib.hStopEvent = NULL;
        return SetResult(WME_THREAD, 0);
    }
    /* The worker's 5 ms sleep needs a finer clock than Windows' default 15.6 ms tick, which
       Windows 11 brings back while the client's windows are hidden unless the process opts out. */
    KeepTimerResolution();
    g_Timer.pfnTimeBeginPeriod(1);
    ResumeWorker();
    InterlockedExchange(&g_Lib.bInitialized, 1);
    return SetResult(WME_SUCCESS, 1);
}

/*
 * The flag goes first, so exports called from now on refuse work before the locks go away.
 * Called from inside a message the worker sent, the close cannot wait for the worker (which
 * waits for this call to return): the worker finishes it once the message returns.
 */
int TAVEL_API wm_Close(void)
{
    if (!g_Lib.bInitialized)
        return SetResult(WME_NOT_INITIALIZED, 0);
    InterlockedExchange(&g_Lib.bInitialized, 0);
    if (InWorkerMessage()) {
        InterlockedExchange(&g_Lib.bCloseByWorker, 1);
        StopWorker();
        return SetResult(WME_SUCCESS, 1);
    }
    StopWorker();
    CloseSlots();
    return SetResult(WME_SUCCESS, 1);
}

int TAVEL_API wm_Version(void)
{
    return TAVEL_VERSION;
}

int TAVEL_API wm_Count(void)
{
    if (!g_Lib.bInitialized)
        return SetResult(WME_NOT_INITIALIZED, 0);
    int nCount = 0;
    for (int i = 0; i < TAVEL_SLOTS; i++)
        if (g_Lib.apSlot[i])
            nCount++;
    return SetResult(WME_SUCCESS, nCount);
}

/* Under the slot lock: a polled remote is watched by the worker; any other is probed, and
   torn down when the probe finds it gone. */
static int SlotUsable(int nSlot)
{
    LockSlot(nSlot);
    WM_DEVICE *pDev = g_Lib.apSlot[nSlot];
    LONG lSerial = g_Lib.alSlotSerial[nSlot];
    int bUsable = pDev && pDev->system.bAutoUpdate;
    if (pDev && !pDev->system.bAutoUpdate) {
        IO_OUTCOME outcome = SetReportMode(pDev);
        if (outcome == IO_GONE)
            EndLostRemote(nSlot, lSerial);
        bUsable = outcome == IO_DONE;
    }
    UnlockSlot(nSlot);
    return bUsable;
}

int TAVEL_API wm_Exist(int nIndex)
{
    if (!g_Lib.bInitialized)
        return SetResult(WME_NOT_INITIALIZED, -1);
    if (nIndex == -1) {
        int bAny = 0;
        for (int i = 0; i < TAVEL_SLOTS; i++)
            if (SlotUsable(i))
                bAny = 1;
        return bAny ? SetResult(WME_SUCCESS, 1) : SetResult(WME_NONE, 0);
    }
    if (nIndex < 0 || nIndex >= TAVEL_SLOTS)
        return SetResult(WME_BAD_INDEX, 0);
    return SlotUsable(nIndex) ? SetResult(WME_SUCCESS, 1) : SetResult(WME_NO_DEVICE, 0);
}
