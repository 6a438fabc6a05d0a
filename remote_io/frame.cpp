/* frame.cpp - slots, their locks, the worker thread and notifications. */
#include "frame.h"

#include "connection.h"
#include "decode.h"
#include "timer_calls.h"

TAVEL_LIBRARY g_Lib = {
    0, 1, NULL, 0, NULL, 0, 0, 0, 0, {0}, {0}, {}, {}, {}, 0, STATUS_INTERVAL_MS
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
    if (!pDev || !pDev->system.bAutoUpdate || !pDev->system.hWnd || uMsg == 0)
        return 1;

    HWND hWnd = pDev->system.hWnd;
    LONG lSerial = g_Lib.alSlotSerial[nSlot];
    DWORD dwCode = GetLastError();
    if (GetCurrentThreadId() == g_Lib.dwWorkerId) {
        /* The client's window procedure may wait for this slot (wm_GetKey): never hold it meanwhile.
           wm_Close called from that procedure must not wait for this thread, which waits for it. */
        UnlockSlot(nSlot);
        g_Lib.dwNotifiedThread = GetWindowThreadProcessId(hWnd, NULL);
        SendMessageW(hWnd, uMsg, wParam, lParam);
        g_Lib.dwNotifiedThread = 0;
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
        /* A transfer cut short by wm_Close is no loss: the close tears the remote down itself. */
        else if (pDev->system.bAutoUpdate && UpdateDevice(pDev) == IO_GONE && !g_Lib.bStopRequest)
            EndLostRemote(i, lSerial);
        UnlockSlot(i);
    }
}

/*
 * The worker holds a reference to the library's module and drops it as its last act, so a
 * client that unloads the library without wm_Close never leaves it running unmapped code.
 */
static DWORD WINAPI WorkerProc(LPVOID pModule)
{
    while (!g_Lib.bStopRequest) {
        WorkerPass();
        WaitForSingleObject(g_Lib.hStopEvent, 5);
    }
    if (g_Lib.bCloseByWorker) {
        CloseSlots();
        InterlockedExchange(&g_Lib.bCloseByWorker, 0);
    }
    FreeLibraryAndExitThread((HMODULE)pModule, 0);
    return 0;
}

int StartWorker(void)
{
    HMODULE hModule = NULL;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCWSTR)(void *)WorkerProc, &hModule))
        return 0;
    InterlockedExchange(&g_Lib.bStopRequest, 0);
    g_Lib.hWorker = CreateThread(NULL, 0, WorkerProc, hModule, CREATE_SUSPENDED, &g_Lib.dwWorkerId);
    if (!g_Lib.hWorker) {
        InterlockedExchange(&g_Lib.bStopRequest, 1);
        FreeLibrary(hModule);
        return 0;
    }
    return 1;
}

void ResumeWorker(void)
{
    ResumeThread(g_Lib.hWorker);
}

/* Messages sent to this thread are handled while waiting, so a worker that is notifying a
   window of this thread can finish. */
int JoinWorker(DWORD dwMs)
{
    if (!g_Lib.hWorker)
        return 1;
    DWORD dwStart = GetTickCount();
    for (;;) {
        DWORD dwSpent = GetTickCount() - dwStart;
        DWORD dwLeft = dwMs == INFINITE ? INFINITE : dwSpent >= dwMs ? 0 : dwMs - dwSpent;
        DWORD dwWait = MsgWaitForMultipleObjects(1, &g_Lib.hWorker, FALSE, dwLeft, QS_SENDMESSAGE);
        if (dwWait == WAIT_OBJECT_0)
            break;
        if (dwWait != WAIT_OBJECT_0 + 1)
            return 0;
        MSG msg;
        PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(g_Lib.hWorker);
    g_Lib.hWorker = NULL;
    g_Lib.dwWorkerId = 0;
    return 1;
}

/*
 * The worker is never terminated: a thread killed inside a remote's step would keep
 * that slot's lock for ever. The stop event cuts its transfer waits short, and it tests the
 * stop request before every slot, so it ends within a cancelled transfer's wait.
 */
void StopWorker(void)
{
    if (!g_Lib.hWorker)
        return;
    InterlockedExchange(&g_Lib.bStopRequest, 1);
    if (g_Lib.hStopEvent)
        SetEvent(g_Lib.hStopEvent);
    if (!InWorkerMessage())
        JoinWorker(INFINITE);
}

/* The worker waits for a window of this thread, and this thread is handling a sent message:
   the worker's (a thread merely about to receive it is not inside it). */
int InWorkerMessage(void)
{
    return GetCurrentThreadId() == g_Lib.dwNotifiedThread && InSendMessage();
}

void CloseSlots(void)
{
    g_Lib.dwCloseDeadline = GetTickCount() + CLOSE_BUDGET_MS;
    InterlockedExchange(&g_Lib.bClosing, 1);
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
    InterlockedExchange(&g_Lib.bClosing, 0);
    CloseHandle(g_Lib.hStopEvent);
    g_Lib.hStopEvent = NULL;
    g_Timer.pfnTimeEndPeriod(1);
}
