/* frame.cpp - slots, their locks, the worker thread and notifications. */
#include "frame.h"

#include "decode.h"

TAVEL_LIBRARY g_Lib = {
    0, 1, NULL, 0, {0}, {0}, {}, {}
};

int SetResult(DWORD dwCode, int bResult)
{
    SetLastError(dwCode);
    return bResult;
}

void LockSlot(int nSlot)
{
    EnterCriticalSection(&g_Lib.aSlotLock[nSlot]);
}

void UnlockSlot(int nSlot)
{
    LeaveCriticalSection(&g_Lib.aSlotLock[nSlot]);
}

void SetSlotDevice(int nSlot, WM_DEVICE *pDev)
{
    g_Lib.apSlot[nSlot] = pDev;
    InterlockedIncrement(&g_Lib.alSlotSerial[nSlot]);
}

int FindFreeSlot(void)
{
    for (int i = 0; i < TAVEL_SLOTS; i++) {
        if (!TryEnterCriticalSection(&g_Lib.aSlotLock[i]))
            continue;
        if (g_Lib.apSlot[i] == NULL)
            return i;
        UnlockSlot(i);
    }
    return SetResult(WME_NO_SLOT, -1);
}

int SendNotify(int nSlot, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    WM_DEVICE *pDev = g_Lib.apSlot[nSlot];
    if (!pDev || !pDev->bAutoUpdate || !pDev->hWnd || uMsg == 0)
        return 1;

    HWND hWnd = pDev->hWnd;
    LONG lSerial = g_Lib.alSlotSerial[nSlot];
    DWORD dwCode = GetLastError();
    if (GetCurrentThreadId() == g_Lib.dwWorkerId) {
        /* The client's window procedure may wait for this slot (wm_GetKey): never hold it meanwhile. */
        UnlockSlot(nSlot);
        SendMessageW(hWnd, uMsg, wParam, lParam);
        LockSlot(nSlot);
    } else {
        SendMessageW(hWnd, uMsg, wParam, lParam);
    }

    /* The record is gone when the slot's occupant changed while the message was handled. */
    if (g_Lib.alSlotSerial[nSlot] != lSerial)
        return SetResult(WME_REMOVED, 0);
    SetLastError(dwCode);
    return 1;
}

void WorkerPass(void)
{
    for (int i = 0; i < TAVEL_SLOTS; i++) {
        /* Tested before every slot so a stop waits for one remote's step at most. */
        if (g_Lib.bStopRequest)
            return;
        if (!TryEnterCriticalSection(&g_Lib.aSlotLock[i])) {
            SetLastError(WME_BUSY);
            continue;
        }
        WM_DEVICE *pDev = g_Lib.apSlot[i];
        LONG lSerial = g_Lib.alSlotSerial[i];
        if (!pDev)
            SetLastError(WME_NO_DEVICE);
        else if (pDev->bAutoUpdate && UpdateDevice(pDev) == IO_GONE)
            EndLostRemote(i, lSerial);
        UnlockSlot(i);
    }
}

static DWORD WINAPI WorkerProc(LPVOID)
{
    while (!g_Lib.bStopRequest) {
        WorkerPass();
        Sleep(5);
    }
    return 0;
}

int StartWorker(void)
{
    InterlockedExchange(&g_Lib.bStopRequest, 0);
    g_Lib.hWorker = CreateThread(NULL, 0, WorkerProc, NULL, CREATE_SUSPENDED, &g_Lib.dwWorkerId);
    if (!g_Lib.hWorker) {
        InterlockedExchange(&g_Lib.bStopRequest, 1);
        return 0;
    }
    return 1;
}

void ResumeWorker(void)
{
    ResumeThread(g_Lib.hWorker);
}

/*
 * The worker is never terminated: a thread killed inside a remote's step would keep
 * that slot's lock for ever. It tests the stop request before every slot, and each of
 * its transfers is bounded by the remote's timeout, so it ends after one step at most.
 * Messages sent to this thread are handled while waiting, so a worker that is
 * notifying a window of this thread can finish.
 */
void StopWorker(void)
{
    if (g_Lib.bStopRequest || !g_Lib.hWorker)
        return;
    InterlockedExchange(&g_Lib.bStopRequest, 1);
    for (;;) {
        DWORD dwWait = MsgWaitForMultipleObjects(1, &g_Lib.hWorker, FALSE, INFINITE, QS_SENDMESSAGE);
        if (dwWait != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(g_Lib.hWorker);
    g_Lib.hWorker = NULL;
    g_Lib.dwWorkerId = 0;
}
