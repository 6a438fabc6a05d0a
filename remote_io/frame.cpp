/* frame.cpp - slots, their locks, the worker thread and notifications. */
#include "frame.h"

#include <string.h>

#include "connection.h"
#include "decode.h"
#include "thread_name.h"
#include "timer_calls.h"
#include "transport.h"

TAVEL_LIBRARY g_Lib = {};

/* Set before anything runs: a zeroed record would ask for the status at every step. */
static struct LIBRARY_DEFAULTS {
    LIBRARY_DEFAULTS()
    {
        g_Lib.bStopRequest = 1;
        g_Lib.dwStatusInterval = STATUS_INTERVAL_MS;
    }
} g_Defaults;

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
    PublishSlot(nSlot);
    WakeWorker();
}

void PublishSlot(int nSlot)
{
    WM_DEVICE *pDev = g_Lib.apSlot[nSlot];
    EnterCriticalSection(&g_Lib.aViewLock[nSlot]);
    g_Lib.abViewed[nSlot] = pDev != NULL;
    if (pDev)
        g_Lib.aView[nSlot] = *pDev;
    LeaveCriticalSection(&g_Lib.aViewLock[nSlot]);
}

int ReadSlotView(int nSlot, WM_DEVICE *pCopy)
{
    EnterCriticalSection(&g_Lib.aViewLock[nSlot]);
    int bViewed = g_Lib.abViewed[nSlot];
    if (bViewed)
        *pCopy = g_Lib.aView[nSlot];
    LeaveCriticalSection(&g_Lib.aViewLock[nSlot]);
    return bViewed;
}

void RetireTransfer(WM_TRANSFER *pTransfer)
{
    if (!pTransfer)
        return;
    EnterCriticalSection(&g_Lib.retireLock);
    pTransfer->pNextRetired = g_Lib.pRetired;
    g_Lib.pRetired = pTransfer;
    LeaveCriticalSection(&g_Lib.retireLock);
}

static void FreeRetired(void)
{
    EnterCriticalSection(&g_Lib.retireLock);
    WM_TRANSFER *pList = g_Lib.pRetired;
    g_Lib.pRetired = NULL;
    LeaveCriticalSection(&g_Lib.retireLock);
    while (pList) {
        WM_TRANSFER *pNext = pList->pNextRetired;
        FreeTransfer(pList);
        pList = pNext;
    }
}

void WakeWorker(void)
{
    if (g_Lib.hWakeEvent)
        SetEvent(g_Lib.hWakeEvent);
}

static thread_local int t_nCallDepth;

int EnterCall(void)
{
    InterlockedIncrement(&g_Lib.lCalls);
    t_nCallDepth++;
    /* Tested after counting the call: wm_Close clears the flag before it counts the calls. */
    if (g_Lib.bInitialized)
        return 1;
    LeaveCall(0);
    return SetResult(WME_NOT_INITIALIZED, 0);
}

int LeaveCall(int nResult)
{
    DWORD dwCode = GetLastError();
    t_nCallDepth--;
    if (InterlockedDecrement(&g_Lib.lCalls) == 0 && g_Lib.lCloseState == CLOSE_PENDING && !InWorkerMessage())
        FinishPendingClose();
    SetLastError(dwCode);
    return nResult;
}

int InsideLibraryCall(void)
{
    return t_nCallDepth > 0;
}

/* Whoever changes the state from pending to finishing finishes the close. */
static int TakePendingClose(void)
{
    return InterlockedCompareExchange(&g_Lib.lCloseState, CLOSE_FINISHING, CLOSE_PENDING) == CLOSE_PENDING;
}

void FinishPendingClose(void)
{
    if (!TakePendingClose())
        return;
    StopWorker();
    CloseSlots();
    InterlockedExchange(&g_Lib.lCloseState, CLOSE_NONE);
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
    /* The handler reads what the message announces. */
    PublishSlot(nSlot);
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

/* A slot held by an export is tried again this soon. */
#define BUSY_RETRY_MS 5

static void AddWait(WORKER_WAIT *pWait, const STEP_WAIT *pStep)
{
    /* Passing on a fixed period, as the worker once did, it does not wake for the reads. */
    if (pStep->hRead && !g_Lib.dwPassMs)
        pWait->ah[pWait->nCount++] = pStep->hRead;
    if (pStep->dwMs < pWait->dwMs)
        pWait->dwMs = pStep->dwMs;
}

void WorkerPass(WORKER_WAIT *pWait)
{
    pWait->ah[0] = g_Lib.hStopEvent;
    pWait->ah[1] = g_Lib.hWakeEvent;
    pWait->nCount = 2;
    pWait->dwMs = g_Lib.dwPassMs ? g_Lib.dwPassMs : INFINITE;
    for (int i = 0; i < TAVEL_SLOTS; i++) {
        /* Tested before every slot so a stop waits for one remote's step at most. */
        if (g_Lib.bStopRequest)
            return;
        if (!TryEnterCriticalSection(&g_Lib.aSlotLock[i])) {
            STEP_WAIT busy = {NULL, BUSY_RETRY_MS};
            AddWait(pWait, &busy);
            SetLastError(WME_BUSY);
            continue;
        }
        WM_DEVICE *pDev = g_Lib.apSlot[i];
        LONG lSerial = g_Lib.alSlotSerial[i];
        STEP_WAIT step = {NULL, INFINITE};
        if (!pDev) {
            SetLastError(WME_NO_DEVICE);
        } else if (pDev->system.bAutoUpdate) {
            IO_OUTCOME outcome = UpdateDevice(pDev, &step);
            /* A transfer cut short by wm_Close is no loss: the close tears the remote down itself. */
            if (outcome == IO_GONE && !g_Lib.bStopRequest)
                EndLostRemote(i, lSerial);
            else if (outcome != IO_GONE)
                PublishSlot(i);
        }
        UnlockSlot(i);
        AddWait(pWait, &step);
    }
}

/* The worker sleeps until a remote's report arrives, an alarm is due, or it is woken. */
static void WaitForWork(const WORKER_WAIT *pWait)
{
    WaitForMultipleObjects(pWait->nCount, pWait->ah, FALSE, pWait->dwMs);
}

/*
 * The worker holds a reference to the library's module and drops it as its last act, so a
 * client that unloads the library without wm_Close never leaves it running unmapped code.
 */
static DWORD WINAPI WorkerProc(LPVOID pModule)
{
    NameCurrentThread(L"tavel worker");
    while (!g_Lib.bStopRequest) {
        FreeRetired();
        WORKER_WAIT wait;
        WorkerPass(&wait);
        if (!g_Lib.bStopRequest)
            WaitForWork(&wait);
    }
    /* A close asked for inside a message this thread sent, with no call left to finish it. */
    if (g_Lib.bCloseByWorker && g_Lib.lCalls == 0 && TakePendingClose()) {
        CloseSlots();
        InterlockedExchange(&g_Lib.lCloseState, CLOSE_NONE);
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

void HandleSentMessages(void)
{
    MSG msg;
    PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
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
        HandleSentMessages();
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

int CreateSlots(void)
{
    g_Lib.hStopEvent = CreateEventW(NULL, TRUE, FALSE, NULL);
    g_Lib.hWakeEvent = CreateEventW(NULL, FALSE, FALSE, NULL);
    if (!g_Lib.hStopEvent || !g_Lib.hWakeEvent) {
        DeleteSlots();
        return 0;
    }
    for (int i = 0; i < TAVEL_SLOTS; i++) {
        InitializeCriticalSection(&g_Lib.aSlotLock[i]);
        InitializeCriticalSection(&g_Lib.aViewLock[i]);
        g_Lib.abViewed[i] = 0;
    }
    InitializeCriticalSection(&g_Lib.retireLock);
    g_Lib.pRetired = NULL;
    return 1;
}

void DeleteSlots(void)
{
    if (g_Lib.hStopEvent && g_Lib.hWakeEvent) {
        for (int i = 0; i < TAVEL_SLOTS; i++) {
            DeleteCriticalSection(&g_Lib.aSlotLock[i]);
            DeleteCriticalSection(&g_Lib.aViewLock[i]);
        }
        FreeRetired();
        DeleteCriticalSection(&g_Lib.retireLock);
    }
    if (g_Lib.hStopEvent)
        CloseHandle(g_Lib.hStopEvent);
    if (g_Lib.hWakeEvent)
        CloseHandle(g_Lib.hWakeEvent);
    g_Lib.hStopEvent = g_Lib.hWakeEvent = NULL;
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
        UnlockSlot(i);
    }
    InterlockedExchange(&g_Lib.bClosing, 0);
    DeleteSlots();
    g_Timer.pfnTimeEndPeriod(1);
}
