/* library.cpp - the exports that manage the library as a whole. */
#include "connection.h"
#include "frame.h"
#include "hid_io.h"
#include "transport.h"

#include <mmsystem.h>

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(hInstance);
    return TRUE;
}

static void CreateSlots(void)
{
    for (int i = 0; i < TAVEL_SLOTS; i++) {
        ZeroMemory(&g_Lib.aSlotIo[i], sizeof(OVERLAPPED));
        g_Lib.aSlotIo[i].hEvent = CreateEventW(NULL, FALSE, TRUE, NULL);
        InitializeCriticalSection(&g_Lib.aSlotLock[i]);
    }
}

int TAVEL_API wm_Init(void)
{
    if (g_Lib.bInitialized)
        return SetResult(WME_ALREADY_INITIALIZED, 0);
    EnsureHidIo();
    for (int i = 0; i < TAVEL_SLOTS; i++)
        SetSlotDevice(i, NULL);
    StopWorker();
    if (!StartWorker())
        return SetResult(WME_THREAD, 0);
    CreateSlots();
    /* The worker's 5 ms sleep needs a finer clock than Windows' default 15.6 ms tick. */
    timeBeginPeriod(1);
    ResumeWorker();
    InterlockedExchange(&g_Lib.bInitialized, 1);
    return SetResult(WME_SUCCESS, 1);
}

int TAVEL_API wm_Close(void)
{
    if (!g_Lib.bInitialized)
        return SetResult(WME_NOT_INITIALIZED, 0);
    StopWorker();
    for (int i = 0; i < TAVEL_SLOTS; i++) {
        LockSlot(i);
        if (g_Lib.apSlot[i])
            DestroyDevice(g_Lib.apSlot[i], 0, 0);
        else
            SetLastError(WME_NO_DEVICE);
        CloseHandle(g_Lib.aSlotIo[i].hEvent);
        g_Lib.aSlotIo[i].hEvent = NULL;
        UnlockSlot(i);
        DeleteCriticalSection(&g_Lib.aSlotLock[i]);
    }
    timeEndPeriod(1);
    InterlockedExchange(&g_Lib.bInitialized, 0);
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
    int bUsable = pDev && pDev->bAutoUpdate;
    if (pDev && !pDev->bAutoUpdate) {
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
