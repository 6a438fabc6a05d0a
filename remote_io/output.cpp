/* output.cpp - the remote's output queue and its sending thread. */
#include "output.h"

#include <stdlib.h>
#include <string.h>

#include "frame.h"
#include "hid_io.h"
#include "thread_name.h"

#define OUTPUT_QUEUE 32

typedef struct OUTPUT_ENTRY {
    BYTE  ab[MAX_REPORT_LENGTH];
    DWORD dwLimit;
    LONG  lSeq;
} OUTPUT_ENTRY;

struct WM_OUTPUT {
    /* Two shares while the thread runs: the record's and the thread's. */
    volatile LONG lRefs;
    /* Guards everything below but the handles; never held across a send. */
    CRITICAL_SECTION lock;
    HANDLE hThread;
    HANDLE hWork;     /* auto-reset: a report was queued, or the record let go */
    HANDLE hProgress; /* auto-reset: a send ended */
    HANDLE hDevice;
    HANDLE hWrite;
    DWORD  cbReport;
    int    nPath;
    OUTPUT_ENTRY aQueue[OUTPUT_QUEUE];
    int    nHead, nCount;
    int    bSending;
    int    bQuit;
    LONG   lQueued, lDone;
    volatile LONG bFailed;
    /* The thread's write-file transfer, renewed when a cancel never completed. */
    WM_TRANSFER *pWrite;
    HMODULE hModule;
};

static void CloseIfOpen(HANDLE h)
{
    if (h && h != INVALID_HANDLE_VALUE)
        g_HidIo.pfnCloseHandle(h);
}

static void DropShare(WM_OUTPUT *pOut)
{
    if (InterlockedDecrement(&pOut->lRefs) != 0)
        return;
    CloseIfOpen(pOut->hDevice);
    CloseIfOpen(pOut->hWrite);
    FreeTransfer(pOut->pWrite);
    CloseHandle(pOut->hWork);
    CloseHandle(pOut->hProgress);
    DeleteCriticalSection(&pOut->lock);
    free(pOut);
}

/* Write-file with the one shape of a timed transfer: pending, bounded wait, cancel, and a
   bounded wait for the cancel; a transfer the driver keeps is left to it. */
static int SendByWriteFile(WM_OUTPUT *pOut, const OUTPUT_ENTRY *pEntry)
{
    WM_TRANSFER *pT = pOut->pWrite;
    if (!pT)
        return 0;
    memcpy(pT->ab, pEntry->ab, pOut->cbReport);
    pT->io.Internal = pT->io.InternalHigh = pT->io.Offset = pT->io.OffsetHigh = 0;
    DWORD cb = 0;
    if (g_HidIo.pfnWriteFile(pOut->hDevice, pT->ab, pOut->cbReport, &cb, &pT->io))
        return 1;
    if (GetLastError() != ERROR_IO_PENDING)
        return 0;
    if (WaitForSingleObject(pT->io.hEvent, pEntry->dwLimit) == WAIT_OBJECT_0)
        return g_HidIo.pfnGetOverlappedResult(pOut->hDevice, &pT->io, &cb, FALSE) != 0;
    g_HidIo.pfnCancelIoEx(pOut->hDevice, &pT->io);
    if (WaitForSingleObject(pT->io.hEvent, CANCEL_WAIT_MS) != WAIT_OBJECT_0)
        pOut->pWrite = CreateTransfer(); /* the old one stays the driver's */
    else
        g_HidIo.pfnGetOverlappedResult(pOut->hDevice, &pT->io, &cb, FALSE);
    return 0;
}

static int SendEntry(WM_OUTPUT *pOut, const OUTPUT_ENTRY *pEntry, int nPath, HANDLE hWrite)
{
    if (nPath == WRITE_PATH_SET_REPORT)
        return g_HidIo.pfnHidD_SetOutputReport(hWrite, (PVOID)pEntry->ab, pOut->cbReport) != 0;
    return SendByWriteFile(pOut, pEntry);
}

/* Takes the next report, or says the thread is done (queue empty and let go). */
static int NextEntry(WM_OUTPUT *pOut, OUTPUT_ENTRY *pEntry, int *pnPath, HANDLE *phWrite)
{
    for (;;) {
        EnterCriticalSection(&pOut->lock);
        if (pOut->nCount > 0) {
            *pEntry = pOut->aQueue[pOut->nHead];
            *pnPath = pOut->nPath;
            *phWrite = pOut->hWrite;
            pOut->bSending = 1;
            LeaveCriticalSection(&pOut->lock);
            return 1;
        }
        int bQuit = pOut->bQuit;
        LeaveCriticalSection(&pOut->lock);
        if (bQuit)
            return 0;
        WaitForSingleObject(pOut->hWork, INFINITE);
    }
}

static DWORD WINAPI OutputProc(LPVOID pv)
{
    WM_OUTPUT *pOut = (WM_OUTPUT *)pv;
    HMODULE hModule = pOut->hModule;
    NameCurrentThread(L"tavel output");
    OUTPUT_ENTRY entry;
    int nPath;
    HANDLE hWrite;
    while (NextEntry(pOut, &entry, &nPath, &hWrite)) {
        int bOk = !pOut->bFailed && SendEntry(pOut, &entry, nPath, hWrite);
        EnterCriticalSection(&pOut->lock);
        pOut->nHead = (pOut->nHead + 1) % OUTPUT_QUEUE;
        pOut->nCount--;
        pOut->lDone = entry.lSeq;
        pOut->bSending = 0;
        if (!bOk)
            InterlockedExchange(&pOut->bFailed, 1);
        LeaveCriticalSection(&pOut->lock);
        SetEvent(pOut->hProgress);
    }
    DropShare(pOut);
    /* The thread keeps the library loaded until it has left the library's code. */
    FreeLibraryAndExitThread(hModule, 0);
    return 0;
}

WM_OUTPUT *CreateOutput(HANDLE hDevice, DWORD cbReport)
{
    WM_OUTPUT *pOut = (WM_OUTPUT *)calloc(1, sizeof(WM_OUTPUT));
    if (!pOut) {
        CloseIfOpen(hDevice);
        return NULL;
    }
    InitializeCriticalSection(&pOut->lock);
    pOut->lRefs = 1;
    pOut->hDevice = hDevice;
    pOut->cbReport = cbReport;
    pOut->nPath = WRITE_PATH_WRITE_FILE;
    pOut->hWork = CreateEventW(NULL, FALSE, FALSE, NULL);
    pOut->hProgress = CreateEventW(NULL, FALSE, FALSE, NULL);
    pOut->pWrite = CreateTransfer();
    HANDLE hThread = NULL;
    if (pOut->hWork && pOut->hProgress && pOut->pWrite &&
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCWSTR)(void *)OutputProc, &pOut->hModule)) {
        pOut->lRefs = 2;
        hThread = CreateThread(NULL, 0, OutputProc, pOut, 0, NULL);
        if (!hThread) {
            pOut->lRefs = 1;
            FreeLibrary(pOut->hModule);
        }
    }
    if (!hThread) {
        DWORD dwError = GetLastError();
        DropShare(pOut);
        SetLastError(dwError);
        return NULL;
    }
    pOut->hThread = hThread;
    return pOut;
}

/* An idle thread ends at once; one still sending is not waited for beyond this. */
#define OUTPUT_END_WAIT_MS 100

void ReleaseOutput(WM_OUTPUT *pOut)
{
    if (!pOut)
        return;
    EnterCriticalSection(&pOut->lock);
    pOut->bQuit = 1;
    int bBusy = pOut->bSending || pOut->nCount > 0;
    LeaveCriticalSection(&pOut->lock);
    SetEvent(pOut->hWork);
    /* So the handles are closed by the time the remote's teardown returns, when they can be. */
    WaitForSingleObject(pOut->hThread, bBusy ? 0 : OUTPUT_END_WAIT_MS);
    CloseHandle(pOut->hThread);
    DropShare(pOut);
}

int SetOutputPath(WM_OUTPUT *pOut, int nPath, HANDLE hWrite)
{
    EnterCriticalSection(&pOut->lock);
    int bIdle = !pOut->bSending && pOut->nCount == 0;
    if (bIdle) {
        if (hWrite != pOut->hWrite) {
            CloseIfOpen(pOut->hWrite);
            pOut->hWrite = hWrite;
        }
        pOut->nPath = nPath;
        /* A failure on the other path says nothing of this one. */
        InterlockedExchange(&pOut->bFailed, 0);
    }
    LeaveCriticalSection(&pOut->lock);
    return bIdle;
}

LONG QueueOutput(WM_OUTPUT *pOut, const BYTE *pbReport, DWORD dwLimit)
{
    LONG lSeq = 0;
    EnterCriticalSection(&pOut->lock);
    if (!pOut->bFailed && pOut->nCount < OUTPUT_QUEUE) {
        OUTPUT_ENTRY *pEntry = &pOut->aQueue[(pOut->nHead + pOut->nCount) % OUTPUT_QUEUE];
        memcpy(pEntry->ab, pbReport, sizeof(pEntry->ab));
        pEntry->dwLimit = dwLimit;
        /* 0 is never a report's number. */
        if (++pOut->lQueued == 0)
            pOut->lQueued = 1;
        pEntry->lSeq = lSeq = pOut->lQueued;
        pOut->nCount++;
    }
    LeaveCriticalSection(&pOut->lock);
    if (lSeq)
        SetEvent(pOut->hWork);
    return lSeq;
}

/* Report lSeq has been sent (1), failed (-1) or is still queued or being sent (0). */
static int OutputState(WM_OUTPUT *pOut, LONG lSeq)
{
    EnterCriticalSection(&pOut->lock);
    int bDone = (LONG)(pOut->lDone - lSeq) >= 0 && pOut->lDone != 0;
    int nState = pOut->bFailed ? -1 : bDone ? 1 : 0;
    LeaveCriticalSection(&pOut->lock);
    return nState;
}

int WaitOutput(WM_OUTPUT *pOut, LONG lSeq, DWORD dwMs, HANDLE hStop, int *pbStopped)
{
    DWORD dwStart = GetTickCount();
    *pbStopped = 0;
    for (;;) {
        int nState = OutputState(pOut, lSeq);
        if (nState != 0)
            return nState > 0;
        DWORD dwSpent = GetTickCount() - dwStart;
        if (dwSpent >= dwMs) {
            /* Not sent in time: the remote is taken as gone, and what is queued after it is dropped. */
            InterlockedExchange(&pOut->bFailed, 1);
            return 0;
        }
        HANDLE ah[2] = {pOut->hProgress, hStop};
        DWORD dwWait = WaitForMultipleObjects(hStop ? 2 : 1, ah, FALSE, dwMs - dwSpent);
        if (dwWait == WAIT_OBJECT_0 + 1) {
            *pbStopped = 1;
            return 0;
        }
    }
}

int DrainOutput(WM_OUTPUT *pOut, DWORD dwMs)
{
    EnterCriticalSection(&pOut->lock);
    LONG lLast = pOut->nCount > 0 ? pOut->lQueued : 0;
    LeaveCriticalSection(&pOut->lock);
    int bStopped;
    return lLast == 0 || WaitOutput(pOut, lLast, dwMs, NULL, &bStopped) || OutputFailed(pOut);
}

int OutputFailed(const WM_OUTPUT *pOut)
{
    return pOut->bFailed != 0;
}

HANDLE OutputThread(const WM_OUTPUT *pOut)
{
    return pOut->hThread;
}
