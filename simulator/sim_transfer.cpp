/*
 * sim_transfer.cpp - overlapped transfers: starting, completing, cancelling, and the
 * completion thread that finishes reads after the scripted latency.
 */
#include "sim_internal.h"

#include <algorithm>

#include "thread_name.h"

static HANDLE EventOf(SimHandle *pHandle, OVERLAPPED *pOv)
{
    /* Win32 signals the file object itself when the OVERLAPPED has no event. */
    return pOv->hEvent ? pOv->hEvent : pHandle->h;
}

DWORD StatusToError(ULONG_PTR status)
{
    switch (status) {
    case SIM_STATUS_SUCCESS: return ERROR_SUCCESS;
    case SIM_STATUS_PENDING: return ERROR_IO_INCOMPLETE;
    case SIM_STATUS_CANCELLED: return ERROR_OPERATION_ABORTED;
    case SIM_STATUS_DEVICE_NOT_CONNECTED: return ERROR_DEVICE_NOT_CONNECTED;
    default: return ERROR_GEN_FAILURE;
    }
}

void CompleteTransferLocked(SimHandle *pHandle, SimTransfer &transfer, ULONG_PTR status,
                            const SimReport *pReport)
{
    OVERLAPPED *pOv = transfer.pOv;
    DWORD cb = &transfer == &pHandle->read ? pHandle->pDev->cbInput : pHandle->pDev->cbOutput;
    if (pReport && transfer.pBuffer) {
        /* A stack with longer reports pads them with zeros. */
        std::fill(transfer.pBuffer, transfer.pBuffer + cb, 0);
        std::copy(pReport->begin(), pReport->begin() + std::min<DWORD>(cb, SIM_REPORT_SIZE), transfer.pBuffer);
    }
    transfer.bActive = false;
    transfer.pOv = nullptr;
    transfer.pBuffer = nullptr;
    pOv->InternalHigh = status == SIM_STATUS_SUCCESS ? cb : 0;
    pOv->Internal = status;
    HANDLE hEvent = EventOf(pHandle, pOv);
    HANDLE hCopy = NULL;
    auto *pDeferred = g_pSimBus->pDeferredEvents;
    if (pDeferred && DuplicateHandle(GetCurrentProcess(), hEvent, GetCurrentProcess(), &hCopy, 0, FALSE,
                                     DUPLICATE_SAME_ACCESS)) {
        pDeferred->push_back(std::make_pair(pHandle->h, hCopy));
        pHandle->nSignalsInFlight++;
    } else {
        SetEvent(hEvent);
    }
}

static void PumpHandleLocked(SimHandle *pHandle, SimClock::time_point now)
{
    SimTransfer &read = pHandle->read;
    if (!read.bActive || (pHandle->pDev->dwFaults & SIM_FAULT_NO_ANSWER))
        return;
    if (pHandle->queue.empty() || pHandle->queue.front().first > now)
        return;
    SimReport report = pHandle->queue.front().second;
    pHandle->queue.pop_front();
    CompleteTransferLocked(pHandle, read, SIM_STATUS_SUCCESS, &report);
}

void PumpRemoteLocked(SIM_REMOTE *pDev)
{
    SimClock::time_point now = SimClock::now();
    for (auto &entry : g_pSimBus->handles)
        if (entry.second->pDev == pDev)
            PumpHandleLocked(entry.second, now);
}

void BroadcastLocked(SIM_REMOTE *pDev, const SimReport &report)
{
    /* Like HID, every open handle with read access receives its own copy;
       with no such handle the report is lost. */
    SimClock::time_point at = SimClock::now() + std::chrono::milliseconds(pDev->dwLatencyMs);
    for (auto &entry : g_pSimBus->handles) {
        SimHandle *pHandle = entry.second;
        if (pHandle->pDev != pDev || !(pHandle->dwAccess & GENERIC_READ))
            continue;
        if (pHandle->queue.size() >= SIM_QUEUE_REPORTS)
            pHandle->queue.pop_front();
        pHandle->queue.push_back(std::make_pair(at, report));
    }
    PumpRemoteLocked(pDev);
}

void FailTransfersLocked(SIM_REMOTE *pDev, ULONG_PTR status, bool bReads, bool bWrites)
{
    for (auto &entry : g_pSimBus->handles) {
        SimHandle *pHandle = entry.second;
        if (pHandle->pDev != pDev)
            continue;
        if (bReads && pHandle->read.bActive)
            CompleteTransferLocked(pHandle, pHandle->read, status, nullptr);
        if (bWrites && pHandle->write.bActive)
            CompleteTransferLocked(pHandle, pHandle->write, status, nullptr);
    }
}

static void BeginLocked(SimHandle *pHandle, SimTransfer &transfer, OVERLAPPED *pOv)
{
    (void)pHandle;
    transfer.bActive = true;
    transfer.pOv = pOv;
    transfer.pBuffer = nullptr;
    pOv->Internal = SIM_STATUS_PENDING;
    pOv->InternalHigh = 0;
}

DWORD StartReadLocked(SimHandle *pHandle, BYTE *pb, DWORD cb, OVERLAPPED *pOv)
{
    ResetEvent(EventOf(pHandle, pOv));
    SIM_REMOTE *pDev = pHandle->pDev;
    if (!(pHandle->dwAccess & GENERIC_READ))
        return ERROR_ACCESS_DENIED;
    if (pDev->bPoweredOff)
        return ERROR_DEVICE_NOT_CONNECTED;
    if (pDev->dwFaults & SIM_FAULT_READ_FAILS)
        return ERROR_GEN_FAILURE;
    if (cb < pDev->cbInput)
        return ERROR_INVALID_USER_BUFFER;
    if (pHandle->read.bActive)
        return ERROR_BUSY;
    BeginLocked(pHandle, pHandle->read, pOv);
    pHandle->read.pBuffer = pb;
    PumpHandleLocked(pHandle, SimClock::now());
    if (!pHandle->read.bActive)
        return ERROR_SUCCESS;
    /* A report still on its way is due before the completion thread would next wake; with none
       queued, the next stream tick (which it waits for anyway) completes the read. */
    if (!pHandle->queue.empty())
        g_pSimBus->wake.notify_all();
    return ERROR_IO_PENDING;
}

DWORD StartWriteLocked(SimHandle *pHandle, const BYTE *pb, DWORD cb, OVERLAPPED *pOv)
{
    ResetEvent(EventOf(pHandle, pOv));
    SIM_REMOTE *pDev = pHandle->pDev;
    if (cb != pDev->cbOutput || cb < (DWORD)SIM_REPORT_SIZE)
        return ERROR_INVALID_PARAMETER;
    if (!(pHandle->dwAccess & GENERIC_WRITE))
        return ERROR_ACCESS_DENIED;
    if (pDev->bPoweredOff)
        return ERROR_DEVICE_NOT_CONNECTED;
    if ((pDev->dwFaults & (SIM_FAULT_WRITE_FAILS | SIM_FAULT_NO_WRITE_FILE)) || OutputRefusedLocked(pDev))
        return ERROR_GEN_FAILURE;
    if (pHandle->write.bActive)
        return ERROR_BUSY;
    BeginLocked(pHandle, pHandle->write, pOv);
    std::copy(pb, pb + SIM_REPORT_SIZE, pHandle->write.report.begin());
    if (pDev->dwFaults & SIM_FAULT_WRITE_PENDS)
        return ERROR_IO_PENDING; /* held back until cancelled or the fault is cleared */
    HandleOutputLocked(pDev, pb, SIM_PATH_WRITE_FILE);
    CompleteTransferLocked(pHandle, pHandle->write, SIM_STATUS_SUCCESS, nullptr);
    return ERROR_SUCCESS;
}

/* The earliest latency deadline still ahead, if any read waits for one. */
static bool NextDueLocked(SimClock::time_point now, SimClock::time_point *pNext)
{
    bool bAny = false;
    for (auto &entry : g_pSimBus->handles) {
        const SimHandle *pHandle = entry.second;
        if (!pHandle->read.bActive || pHandle->queue.empty())
            continue;
        SimClock::time_point due = pHandle->queue.front().first;
        if (due > now && (!bAny || due < *pNext)) {
            *pNext = due;
            bAny = true;
        }
    }
    return bAny;
}

/* Every remote in continuous mode sends its data report, read or not. */
static void StreamLocked(SimBus *pBus, SimClock::time_point now)
{
    if (now < pBus->nextStream)
        return;
    for (SIM_REMOTE *pDev : pBus->devices)
        if (pDev->bIsRemote && pDev->bContinuous && !pDev->bPoweredOff)
            BroadcastLocked(pDev, BuildDataReportLocked(pDev));
    pBus->nextStream += std::chrono::milliseconds(SIM_STREAM_PERIOD_MS);
    if (pBus->nextStream <= now)
        pBus->nextStream = now + std::chrono::milliseconds(SIM_STREAM_PERIOD_MS);
}

static void CompleterLoop(SimBus *pBus)
{
    /* "sim " marks the simulator's threads, whose CPU the benchmark keeps apart from Zan's. */
    NameCurrentThread(L"sim remote");
    std::unique_lock<std::mutex> guard(g_SimLock);
    pBus->nextStream = SimClock::now();
    std::vector<std::pair<HANDLE, HANDLE>> events;
    while (!pBus->bStop) {
        SimClock::time_point now = SimClock::now();
        pBus->pDeferredEvents = &events;
        StreamLocked(pBus, now);
        for (auto &entry : pBus->handles)
            PumpHandleLocked(entry.second, now);
        pBus->pDeferredEvents = nullptr;
        /* A driver completes a read without holding anything its reader needs: a reader woken
           here must not find the simulator's lock taken. What changed meanwhile is pumped at once. */
        if (!events.empty()) {
            guard.unlock();
            for (auto &event : events) {
                SetEvent(event.second);
                CloseHandle(event.second);
            }
            guard.lock();
            for (auto &event : events)
                if (SimHandle *pHandle = FindHandleLocked(event.first))
                    pHandle->nSignalsInFlight--;
            events.clear();
            pBus->signalled.notify_all();
            continue;
        }
        SimClock::time_point next;
        if (!NextDueLocked(now, &next) || pBus->nextStream < next)
            next = pBus->nextStream;
        pBus->wake.wait_until(guard, next);
    }
}

void StartCompleter(void)
{
    g_pSimBus->bStop = false;
    g_pSimBus->completer = std::thread(CompleterLoop, g_pSimBus);
}

void StopCompleter(void)
{
    {
        std::lock_guard<std::mutex> guard(g_SimLock);
        g_pSimBus->bStop = true;
        g_pSimBus->wake.notify_all();
    }
    g_pSimBus->completer.join();
}
