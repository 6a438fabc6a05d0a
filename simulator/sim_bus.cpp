/*
 * sim_bus.cpp - the simulated bus: installing it, its devices, and the handle calls of
 * the HID device table (open, read, write, wait, cancel, close, set-output-report).
 * Calls on handles that are not simulated go to the real Win32 functions.
 */
#include "sim_internal.h"

#include <cwchar>

std::mutex g_SimLock;
SimBus *g_pSimBus = nullptr;

static const wchar_t HID_INTERFACE_SUFFIX[] = L"{4d1e55b2-f16f-11cf-88cb-001111000030}";
static const int PATH_CHARS = 160;
static const BYTE DEFAULT_BATTERY = 0xC0;
static const DWORD IDENTITY_ADDRESS = 0x0000;
static const int IDENTITY_BYTES = 9;
static const DWORD ACCEL_CAL_ADDRESS = 0x0016;
static const BYTE ACCEL_ZERO_G = 0x80;
static const BYTE ACCEL_ONE_G[3] = {0x9A, 0x9B, 0x9C};

SimHandle *FindHandleLocked(HANDLE h)
{
    if (!g_pSimBus)
        return nullptr;
    auto it = g_pSimBus->handles.find(h);
    return it == g_pSimBus->handles.end() ? nullptr : it->second;
}

static SIM_REMOTE *AddDeviceLocked(WORD wVendor, WORD wProduct, DWORD dwFlags, bool bIsRemote)
{
    SIM_REMOTE *pDev = new SIM_REMOTE;
    pDev->nIndex = (int)g_pSimBus->devices.size();
    pDev->wVendor = wVendor;
    pDev->wProduct = wProduct;
    pDev->dwDevFlags = dwFlags;
    pDev->bIsRemote = bIsRemote;
    wchar_t path[PATH_CHARS];
    swprintf(path, PATH_CHARS, L"\\\\?\\hid#vid_%04x&pid_%04x#sim&%ls&%04x#%ls", wVendor, wProduct,
             bIsRemote ? L"remote" : L"hid", pDev->nIndex, HID_INTERFACE_SUFFIX);
    pDev->path = path;
    g_pSimBus->devices.push_back(pDev);
    return pDev;
}

/* Distinct, plausible power-on memory for the nth remote. */
static void InitRemoteLocked(SIM_REMOTE *pDev)
{
    BYTE n = (BYTE)pDev->nIndex;
    const BYTE abIdentity[IDENTITY_BYTES] = {0xA5, 0x3C, (BYTE)(0x10 + n), 0x6E, (BYTE)(0x81 ^ n),
                                             0x27, (BYTE)(0x40 + 3 * n), 0xD2, (BYTE)(0x09 + n)};
    const BYTE abAccelCal[7] = {ACCEL_ZERO_G, ACCEL_ZERO_G, ACCEL_ZERO_G, 0x00,
                                ACCEL_ONE_G[0], ACCEL_ONE_G[1], ACCEL_ONE_G[2]};
    WriteMemoryLocked(pDev, IDENTITY_ADDRESS, abIdentity, IDENTITY_BYTES);
    WriteMemoryLocked(pDev, ACCEL_CAL_ADDRESS, abAccelCal, sizeof abAccelCal);
    /* Lying flat: X and Y at zero g, Z at one g. */
    pDev->abAccel[0] = ACCEL_ZERO_G;
    pDev->abAccel[1] = ACCEL_ZERO_G;
    pDev->abAccel[2] = ACCEL_ONE_G[2];
    pDev->bBattery = DEFAULT_BATTERY;
}

SIM_REMOTE *SimAddRemote(void)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    SIM_REMOTE *pDev = AddDeviceLocked(SIM_NINTENDO_VENDOR, SIM_REMOTE_PRODUCT, 0, true);
    InitRemoteLocked(pDev);
    return pDev;
}

void SimSetProductId(SIM_REMOTE *pSim, WORD wProduct)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    pSim->wProduct = wProduct;
    pSim->bMotionPlus = wProduct == 0x0330;
    if (pSim->bMotionPlus) {
        const BYTE abInactive[6] = {0x00, 0x00, 0xA6, 0x20, 0x00, 0x05};
        WriteMemoryLocked(pSim, 0x04A600FA, abInactive, 6);
    }
}

void SimSetReportLengths(SIM_REMOTE *pSim, USHORT cbInput, USHORT cbOutput)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    pSim->cbInput = cbInput;
    pSim->cbOutput = cbOutput;
}

void SimSetSetReportDelay(SIM_REMOTE *pSim, DWORD dwMs)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    pSim->dwSetReportDelayMs = dwMs;
    g_pSimBus->released.notify_all();
}

void SimSwitchOffPaired(SIM_REMOTE *pSim)
{
    SimSetFaults(pSim, SIM_FAULT_NO_ANSWER | SIM_FAULT_NO_WRITE_FILE | SIM_FAULT_NO_LINK);
    SimSetSetReportDelay(pSim, 1000);
}

void SimFinishStuckTransfers(SIM_REMOTE *pSim, const BYTE abReport[22])
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    auto &stuck = g_pSimBus->stuck;
    for (auto it = stuck.begin(); it != stuck.end();) {
        if (it->pDev != pSim) {
            ++it;
            continue;
        }
        if (it->pBuffer)
            std::copy(abReport, abReport + SIM_REPORT_SIZE, it->pBuffer);
        it->pOv->InternalHigh = it->cb;
        it->pOv->Internal = SIM_STATUS_SUCCESS;
        if (it->pOv->hEvent)
            SetEvent(it->pOv->hEvent);
        it = stuck.erase(it);
    }
}

void SimReleaseHeldCalls(void)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    for (SIM_REMOTE *pDev : g_pSimBus->devices)
        pDev->dwSetReportDelayMs = 0;
    g_pSimBus->released.notify_all();
}

void SimAddHidDevice(WORD wVendor, WORD wProduct, DWORD dwFlags)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    AddDeviceLocked(wVendor, wProduct, dwFlags, false);
}

const wchar_t *SimDevicePath(SIM_REMOTE *pSim)
{
    return pSim->path.c_str();
}

void SimPowerOff(SIM_REMOTE *pSim)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    pSim->bPoweredOff = true;
    FailTransfersLocked(pSim, SIM_STATUS_DEVICE_NOT_CONNECTED, true, true);
}

int SimHandlesOpened(void)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    return g_pSimBus ? g_pSimBus->nOpened : 0;
}

int SimHandlesClosed(void)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    return g_pSimBus ? g_pSimBus->nClosed : 0;
}

int SimBadCloses(void)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    return g_pSimBus ? g_pSimBus->nBadCloses : 0;
}

static HANDLE WINAPI SimCreateFileW(LPCWSTR pszPath, DWORD dwAccess, DWORD dwShare,
                                    LPSECURITY_ATTRIBUTES pSecurity, DWORD dwCreation,
                                    DWORD dwFlags, HANDLE hTemplate)
{
    std::unique_lock<std::mutex> guard(g_SimLock);
    SIM_REMOTE *pDev = nullptr;
    for (SIM_REMOTE *p : g_pSimBus->devices)
        if (pszPath && _wcsicmp(p->path.c_str(), pszPath) == 0)
            pDev = p;
    if (!pDev) {
        guard.unlock();
        return CreateFileW(pszPath, dwAccess, dwShare, pSecurity, dwCreation, dwFlags, hTemplate);
    }
    DWORD dwError = ERROR_SUCCESS;
    if (pDev->bPoweredOff)
        dwError = ERROR_FILE_NOT_FOUND;
    else if (pDev->dwDevFlags & SIM_DEV_OPEN_FAILS)
        dwError = ERROR_ACCESS_DENIED;
    else if (dwCreation != OPEN_EXISTING)
        dwError = ERROR_INVALID_PARAMETER;
    if (dwError != ERROR_SUCCESS) {
        SetLastError(dwError);
        return INVALID_HANDLE_VALUE;
    }
    SimHandle *pHandle = new SimHandle;
    pHandle->h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    pHandle->pDev = pDev;
    pHandle->dwAccess = dwAccess;
    pHandle->bOverlapped = (dwFlags & FILE_FLAG_OVERLAPPED) != 0;
    g_pSimBus->handles[pHandle->h] = pHandle;
    g_pSimBus->nOpened++;
    return pHandle->h;
}

/* A transfer on a handle opened without FILE_FLAG_OVERLAPPED (or without an OVERLAPPED):
   runs on a private OVERLAPPED and blocks until it completes. */
template <typename Start>
static BOOL RunSynchronously(std::unique_lock<std::mutex> &guard, SimHandle *pHandle,
                             LPDWORD pcb, LPOVERLAPPED pCallerOv, Start start)
{
    OVERLAPPED ov = {};
    ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE hEvent = ov.hEvent;
    DWORD dwError = start(pHandle, &ov);
    guard.unlock();
    if (dwError == ERROR_IO_PENDING) {
        WaitForSingleObject(hEvent, INFINITE);
        dwError = StatusToError(ov.Internal);
    }
    CloseHandle(hEvent);
    if (pCallerOv) {
        pCallerOv->Internal = ov.Internal;
        pCallerOv->InternalHigh = ov.InternalHigh;
    }
    if (pcb)
        *pcb = dwError == ERROR_SUCCESS ? (DWORD)ov.InternalHigh : 0;
    if (dwError != ERROR_SUCCESS)
        SetLastError(dwError);
    return dwError == ERROR_SUCCESS;
}

/* Like Win32, the last-error value changes only on failure (ERROR_IO_PENDING included). */
static BOOL Finish(DWORD dwError, LPDWORD pcb, const OVERLAPPED *pOv)
{
    if (pcb)
        *pcb = dwError == ERROR_SUCCESS ? (DWORD)pOv->InternalHigh : 0;
    if (dwError != ERROR_SUCCESS)
        SetLastError(dwError);
    return dwError == ERROR_SUCCESS;
}

static BOOL WINAPI SimReadFile(HANDLE h, LPVOID pBuffer, DWORD cbRead, LPDWORD pcbRead,
                               LPOVERLAPPED pOv)
{
    std::unique_lock<std::mutex> guard(g_SimLock);
    SimHandle *pHandle = FindHandleLocked(h);
    /* The last read's event may still be on its way: set after this read's reset, it would
       signal a read that has not completed, which no driver does. */
    while (pHandle && pHandle->nSignalsInFlight) {
        g_pSimBus->signalled.wait(guard);
        pHandle = FindHandleLocked(h);
    }
    if (!pHandle) {
        guard.unlock();
        return ReadFile(h, pBuffer, cbRead, pcbRead, pOv);
    }
    BYTE *pb = (BYTE *)pBuffer;
    if (!pHandle->bOverlapped || !pOv)
        return RunSynchronously(guard, pHandle, pcbRead, pOv, [&](SimHandle *p, OVERLAPPED *pSyncOv) {
            return StartReadLocked(p, pb, cbRead, pSyncOv);
        });
    return Finish(StartReadLocked(pHandle, pb, cbRead, pOv), pcbRead, pOv);
}

static BOOL WINAPI SimWriteFile(HANDLE h, LPCVOID pBuffer, DWORD cbWrite, LPDWORD pcbWritten,
                                LPOVERLAPPED pOv)
{
    std::unique_lock<std::mutex> guard(g_SimLock);
    SimHandle *pHandle = FindHandleLocked(h);
    if (!pHandle) {
        guard.unlock();
        return WriteFile(h, pBuffer, cbWrite, pcbWritten, pOv);
    }
    const BYTE *pb = (const BYTE *)pBuffer;
    if (!pHandle->bOverlapped || !pOv)
        return RunSynchronously(guard, pHandle, pcbWritten, pOv, [&](SimHandle *p, OVERLAPPED *pSyncOv) {
            return StartWriteLocked(p, pb, cbWrite, pSyncOv);
        });
    return Finish(StartWriteLocked(pHandle, pb, cbWrite, pOv), pcbWritten, pOv);
}

static BOOL WINAPI SimGetOverlappedResult(HANDLE h, LPOVERLAPPED pOv, LPDWORD pcb, BOOL bWait)
{
    std::unique_lock<std::mutex> guard(g_SimLock);
    SimHandle *pHandle = FindHandleLocked(h);
    if (!pHandle) {
        guard.unlock();
        return GetOverlappedResult(h, pOv, pcb, bWait);
    }
    HANDLE hEvent = pOv->hEvent ? pOv->hEvent : h;
    guard.unlock();
    const DWORD POLL_MS = 50; /* re-checks in case someone else consumed an auto-reset event */
    while (*(volatile ULONG_PTR *)&pOv->Internal == SIM_STATUS_PENDING) {
        if (!bWait) {
            SetLastError(ERROR_IO_INCOMPLETE);
            return FALSE;
        }
        WaitForSingleObject(hEvent, POLL_MS);
    }
    guard.lock();
    ULONG_PTR status = pOv->Internal;
    if (pcb)
        *pcb = (DWORD)pOv->InternalHigh;
    if (status != SIM_STATUS_SUCCESS)
        SetLastError(StatusToError(status));
    return status == SIM_STATUS_SUCCESS;
}

static BOOL WINAPI SimCancelIoEx(HANDLE h, LPOVERLAPPED pOv)
{
    std::unique_lock<std::mutex> guard(g_SimLock);
    SimHandle *pHandle = FindHandleLocked(h);
    if (!pHandle) {
        guard.unlock();
        return CancelIoEx(h, pOv);
    }
    bool bFound = false;
    for (SimTransfer *pTransfer : {&pHandle->read, &pHandle->write}) {
        if (pTransfer->bActive && (!pOv || pTransfer->pOv == pOv)) {
            /* A driver that never completes a cancelled transfer still accepts the cancel. */
            if (!(pHandle->pDev->dwFaults & SIM_FAULT_CANCEL_STUCK))
                CompleteTransferLocked(pHandle, *pTransfer, SIM_STATUS_CANCELLED, nullptr);
            bFound = true;
        }
    }
    if (!bFound)
        SetLastError(ERROR_NOT_FOUND);
    return bFound;
}

static BOOL WINAPI SimCloseHandle(HANDLE h)
{
    std::unique_lock<std::mutex> guard(g_SimLock);
    SimHandle *pHandle = FindHandleLocked(h);
    if (!pHandle) {
        if (g_pSimBus && g_pSimBus->retired.count(h)) {
            g_pSimBus->nBadCloses++;
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        guard.unlock();
        return CloseHandle(h);
    }
    for (SimTransfer *pTransfer : {&pHandle->read, &pHandle->write}) {
        if (pTransfer->bActive && !(pHandle->pDev->dwFaults & SIM_FAULT_CANCEL_STUCK))
            CompleteTransferLocked(pHandle, *pTransfer, SIM_STATUS_CANCELLED, nullptr);
        else if (pTransfer->bActive)
            g_pSimBus->stuck.push_back({pHandle->pDev, pTransfer->pOv, pTransfer->pBuffer, pHandle->pDev->cbInput});
    }
    g_pSimBus->handles.erase(h);
    g_pSimBus->retired.insert(h); /* the event stays open so the value is not reused */
    g_pSimBus->nClosed++;
    delete pHandle;
    return TRUE;
}

/* A call held back by a set-output-report delay; fails when the bus goes or the handle closes. */
static bool HoldSetReportLocked(std::unique_lock<std::mutex> &guard, HANDLE h, SIM_REMOTE *pDev)
{
    SimClock::time_point start = SimClock::now();
    g_pSimBus->nHeldCalls++;
    for (;;) {
        DWORD dwDelay = pDev->dwSetReportDelayMs;
        if (g_pSimBus->bStop || !FindHandleLocked(h))
            break;
        if (dwDelay == 0 || (dwDelay != INFINITE && SimClock::now() >= start + std::chrono::milliseconds(dwDelay)))
            break;
        if (dwDelay == INFINITE)
            g_pSimBus->released.wait(guard);
        else
            g_pSimBus->released.wait_until(guard, start + std::chrono::milliseconds(dwDelay));
    }
    g_pSimBus->nHeldCalls--;
    g_pSimBus->released.notify_all();
    return !g_pSimBus->bStop && FindHandleLocked(h);
}

static BOOLEAN NTAPI SimSetOutputReport(HANDLE h, PVOID pReport, ULONG cbReport)
{
    std::unique_lock<std::mutex> guard(g_SimLock);
    SimHandle *pHandle = FindHandleLocked(h);
    if (!pHandle) {
        guard.unlock();
        return HidD_SetOutputReport(h, pReport, cbReport);
    }
    SIM_REMOTE *pDev = pHandle->pDev;
    pDev->setReportThreads.insert(GetCurrentThreadId());
    DWORD dwError = ERROR_SUCCESS;
    if (cbReport != pDev->cbOutput || cbReport < (ULONG)SIM_REPORT_SIZE)
        dwError = ERROR_INVALID_PARAMETER;
    else if (!(pHandle->dwAccess & GENERIC_WRITE))
        dwError = ERROR_ACCESS_DENIED;
    else if (pDev->bPoweredOff)
        dwError = ERROR_DEVICE_NOT_CONNECTED;
    else if ((pDev->dwFaults & (SIM_FAULT_WRITE_FAILS | SIM_FAULT_NO_SET_REPORT)) || OutputRefusedLocked(pDev))
        dwError = ERROR_GEN_FAILURE;
    else if ((pDev->dwSetReportDelayMs && !HoldSetReportLocked(guard, h, pDev)) ||
             (pDev->dwFaults & SIM_FAULT_NO_LINK))
        dwError = ERROR_GEN_FAILURE;
    else
        HandleOutputLocked(pDev, (const BYTE *)pReport, SIM_PATH_SET_REPORT);
    if (dwError != ERROR_SUCCESS)
        SetLastError(dwError);
    return dwError == ERROR_SUCCESS;
}

static BOOLEAN NTAPI SimFlushQueue(HANDLE h)
{
    std::unique_lock<std::mutex> guard(g_SimLock);
    SimHandle *pHandle = FindHandleLocked(h);
    if (!pHandle) {
        guard.unlock();
        return HidD_FlushQueue(h);
    }
    pHandle->queue.clear();
    return TRUE;
}

void FillHidIoTable(HID_IO *pIo)
{
    pIo->pfnCreateFileW = SimCreateFileW;
    pIo->pfnReadFile = SimReadFile;
    pIo->pfnWriteFile = SimWriteFile;
    pIo->pfnGetOverlappedResult = SimGetOverlappedResult;
    pIo->pfnCancelIoEx = SimCancelIoEx;
    pIo->pfnCloseHandle = SimCloseHandle;
    pIo->pfnHidD_SetOutputReport = SimSetOutputReport;
    pIo->pfnHidD_FlushQueue = SimFlushQueue;
}

static void FreeBusLocked(void)
{
    for (auto &entry : g_pSimBus->handles) {
        SimHandle *pHandle = entry.second;
        for (SimTransfer *pTransfer : {&pHandle->read, &pHandle->write})
            if (pTransfer->bActive)
                CompleteTransferLocked(pHandle, *pTransfer, SIM_STATUS_DEVICE_NOT_CONNECTED, nullptr);
        CloseHandle(pHandle->h);
        delete pHandle;
    }
    for (HANDLE h : g_pSimBus->retired)
        CloseHandle(h);
    for (SIM_REMOTE *pDev : g_pSimBus->devices)
        delete pDev;
    FreeEnumStateLocked();
}

void SimInstall(void)
{
    if (g_pSimBus)
        SimUninstall();
    {
        std::lock_guard<std::mutex> guard(g_SimLock);
        g_pSimBus = new SimBus;
    }
    StartCompleter();
    HID_IO io = g_HidIo;
    FillHidIoTable(&io);
    FillEnumTable(&io);
    SetHidIo(&io);
}

void SimUninstall(void)
{
    if (!g_pSimBus)
        return;
    SetHidIo(nullptr);
    StopCompleter();
    std::unique_lock<std::mutex> guard(g_SimLock);
    /* Set-output-report calls still held back fail now; the bus is freed once they have left. */
    g_pSimBus->released.notify_all();
    while (g_pSimBus->nHeldCalls > 0)
        g_pSimBus->released.wait(guard);
    FreeBusLocked();
    delete g_pSimBus;
    g_pSimBus = nullptr;
}
