/*
 * report_harness.cpp - one remote whose every transfer, report and failure comes from the
 * fuzz input, driven through the library's exports and the worker's pass, with a client
 * window that may disconnect the remote from inside a notification.
 *
 * Besides what the sanitizers see, it checks after every step what a reader of the
 * record could not tell from a crash: a remote without an extension holds no extension
 * kind, data or filters; extension data is used only when every byte asked for arrived;
 * a getter that reports success still has its remote; no transfer uses a closed
 * handle or a record the driver still holds, and no handle outlives wm_Close by more than
 * a send's limit.
 *
 * Output reports are sent by each remote's own thread, and reads by the thread that calls
 * the library: one input stream feeds both. So that an input always runs the same way, a
 * byte is taken on the calling thread only once the remote's queued reports have been sent,
 * and by any remote only once every remote released before it has closed its handles.
 * Transfers are the driver's as on Windows: each overlapped record says in Internal whether
 * it is pending; one whose cancel never completes is kept by the driver for good.
 */
#include "fuzz_harness.h"

#include <limits.h>
#include <string.h>

#include <unordered_set>
#include <vector>

#include "connection.h"
#include "decode.h"
#include "frame.h"
#include "hid_io.h"
#include "output.h"
#include "transport.h"

#define HARNESS_SLOT 0
#define MAX_HANDLES 64
#define TRACKED_BYTES 64
/* Long enough for a set-output-report thread under Wine, short enough for replays of timeouts. */
#define SHORT_TIMEOUT_MS 200
#define CLIENT_CLASS L"TavelFuzzClient"
/* A set-output-report that stays pending blocks this long, past any transfer's limit, then fails. */
#define SET_REPORT_BLOCK_MS (DEFAULT_TIMEOUT_MS + 200)
/* A released remote's thread sends one report past its limit at most (the rest are dropped
   once it fails): its handles are closed well within this. The same bounds the queue's drain. */
#define SETTLE_MS (3 * DEFAULT_TIMEOUT_MS)

#ifndef STATUS_CANCELLED
#define STATUS_CANCELLED ((DWORD)0xC0000120)
#endif

/* Outcome bytes of a transfer; a transfer that times out is cancelled, and the cancel completes
   unless the outcome says it never does. */
enum { OUT_FAIL = 0x00, OUT_PENDING_TIMEOUT = 0x01, OUT_PENDING_DONE = 0x02, OUT_PENDING_STUCK = 0x03 };

/* What the client does when told about the remote. */
enum { CLIENT_DROP_ON_STATUS = 0x01, CLIENT_DROP_ON_INPUT = 0x02, CLIENT_REFUSE_CONNECT = 0x04 };

/* The bytes that arrived for the latest memory read of one address. */
typedef struct MEMORY_READ {
    DWORD dwAddress;
    int   cbLength;
    BYTE  abArrived[TRACKED_BYTES];
} MEMORY_READ;

enum { READ_IDENTITY, READ_ACCEL_CAL, READ_EXT_ID, READ_EXT_CAL, READ_OTHER, READ_KINDS };

typedef struct REPORT_RUN {
    const BYTE *pData;
    size_t      cb, nAt;
    const char *pszFault;
    int         abOpen[MAX_HANDLES];
    /* The device handle each handle was opened for (its own index for a device handle). */
    int         anOwner[MAX_HANDLES];
    int         nHandles;
    int         nLastDevice;
    MEMORY_READ aRead[READ_KINDS];
    int         nCurrentRead;       /* the read the remote answers, -1 before any */
    DWORD       dwClientFlags;
    int         bClientDropped;     /* the client disconnected the remote in this step */
    HWND        hClient;
    DWORD       dwClock;
    WORD        wProductId;         /* of the remote the next connection finds */
    USHORT      cbCapsInput, cbCapsOutput;
} REPORT_RUN;

/* Report lengths a Bluetooth stack may give: the protocol's, longer ones, a short one. */
static const USHORT g_acbCaps[5] = {REPORT_LENGTH, REPORT_LENGTH + 1, REPORT_LENGTH - 1, MAX_REPORT_LENGTH,
                                    MAX_REPORT_LENGTH + 1};

static REPORT_RUN g_Run;

/* A transfer of an open handle the driver has not completed. */
typedef struct PENDING_IO {
    LPOVERLAPPED pIo;
    int          nHandle;
    int          bStuck;    /* its cancel never completes */
} PENDING_IO;

static std::vector<PENDING_IO> g_aPending;
/* Stuck transfers whose handle is closed: the driver keeps their records for good. Never
   destroyed, so what it keeps outlives the harness's static objects. */
static std::unordered_set<LPOVERLAPPED> &g_Kept = *new std::unordered_set<LPOVERLAPPED>();

/* Guards g_Run, g_aPending and g_Kept: the remotes' output threads call the HID table too.
   Never held while the library runs. */
static CRITICAL_SECTION g_Lock;
/* Set whenever a device handle is closed. */
static HANDLE g_hHandleClosed;

static void Lock(void)
{
    EnterCriticalSection(&g_Lock);
}

static void Unlock(void)
{
    LeaveCriticalSection(&g_Lock);
}

static void Fault(const char *pszWhat)
{
    Lock();
    if (!g_Run.pszFault)
        g_Run.pszFault = pszWhat;
    Unlock();
}

static int Exhausted(void)
{
    Lock();
    int bExhausted = g_Run.nAt >= g_Run.cb || g_Run.pszFault != NULL;
    Unlock();
    return bExhausted;
}

static BYTE NextByte(void)
{
    Lock();
    BYTE b = Exhausted() ? 0 : g_Run.pData[g_Run.nAt++];
    Unlock();
    return b;
}

static DWORD WINAPI HarnessClock(void)
{
    return g_Run.dwClock;
}

/* Device handles are small numbers: 0x100 + 4 n. A handle opened for reading is a remote's
   device handle; a write-only one belongs to the device handle opened last. */
static HANDLE OpenHandle(DWORD dwAccess)
{
    Lock();
    HANDLE h = INVALID_HANDLE_VALUE;
    if (g_Run.nHandles < MAX_HANDLES) {
        int i = g_Run.nHandles++;
        if (dwAccess & GENERIC_READ)
            g_Run.nLastDevice = i;
        g_Run.abOpen[i] = 1;
        g_Run.anOwner[i] = g_Run.nLastDevice;
        h = (HANDLE)(ULONG_PTR)(0x100 + 4 * i);
    }
    Unlock();
    return h;
}

static int HandleIndex(HANDLE h)
{
    ULONG_PTR n = (ULONG_PTR)h;
    if (n < 0x100 || (n & 3) || (n - 0x100) / 4 >= (ULONG_PTR)g_Run.nHandles)
        return -1;
    return (int)((n - 0x100) / 4);
}

static int HandleOpen(HANDLE h)
{
    Lock();
    int i = HandleIndex(h);
    int bOpen = i >= 0 && g_Run.abOpen[i];
    Unlock();
    if (!bOpen)
        Fault("a transfer on a device handle that is closed or was never opened");
    return bOpen;
}

/* Waits until every handle of a remote opened before nOwner's is closed: their threads have
   stopped taking bytes. 0 (and the fault) when one is still open after SETTLE_MS. */
static int WaitOlderClosed(int nOwner, const char *pszFault)
{
    DWORD dwStart = GetTickCount();
    for (;;) {
        Lock();
        int bOpen = 0;
        for (int i = 0; i < g_Run.nHandles; i++)
            bOpen |= g_Run.abOpen[i] && g_Run.anOwner[i] < nOwner;
        Unlock();
        if (!bOpen)
            return 1;
        DWORD dwSpent = GetTickCount() - dwStart;
        if (dwSpent >= SETTLE_MS) {
            Fault(pszFault);
            return 0;
        }
        /* Several threads may wait here: a close that wakes another is seen within 10 ms. */
        DWORD dwLeft = SETTLE_MS - dwSpent;
        WaitForSingleObject(g_hHandleClosed, dwLeft < 10 ? dwLeft : 10);
    }
}

static int OwnerOf(HANDLE h)
{
    Lock();
    int i = HandleIndex(h);
    int nOwner = i >= 0 ? g_Run.anOwner[i] : INT_MAX;
    Unlock();
    return nOwner;
}

/* On the thread that calls the library, before it takes a byte: the remote in the slot (the one
   whose device handle is hDevice, when given) has sent what it queued. */
static void DrainSlot(HANDLE hDevice)
{
    WM_DEVICE *pDev = g_Lib.apSlot[HARNESS_SLOT];
    if (!pDev || !pDev->pOutput || (hDevice && pDev->hDevice != hDevice))
        return;
    if (!DrainOutput(pDev->pOutput, SETTLE_MS))
        Fault("queued output reports not sent or failed within their limits");
}

/* Before a transfer of the calling thread takes a byte. */
static void SettleForRead(HANDLE h)
{
    WaitOlderClosed(OwnerOf(h), "a released remote's handles still open long after it was released");
    DrainSlot(h);
}

/* Before the next action byte: only the slot's remote may still be at work. */
static void SettleForAction(void)
{
    WM_DEVICE *pDev = g_Lib.apSlot[HARNESS_SLOT];
    WaitOlderClosed(pDev ? OwnerOf(pDev->hDevice) : INT_MAX,
                    "a released remote's handles still open long after it was released");
    DrainSlot(NULL);
}

static int ReadKindOf(DWORD dwAddress)
{
    switch (dwAddress) {
    case ADDR_IDENTITY: return READ_IDENTITY;
    case ADDR_ACCEL_CAL: return READ_ACCEL_CAL;
    case ADDR_EXT_ID: return READ_EXT_ID;
    case ADDR_EXT_CAL: return READ_EXT_CAL;
    default: return READ_OTHER;
    }
}

/* An output report: a memory read starts a new account of the bytes that arrive for it. */
static void TakeOutput(const BYTE *ab, DWORD cb)
{
    if (cb < 7 || ab[0] != RPT_OUT_READ_MEMORY)
        return;
    DWORD dwAddress = ((DWORD)(ab[1] & 0xFE) << 24) | ((DWORD)ab[2] << 16) | ((DWORD)ab[3] << 8) | ab[4];
    int nKind = ReadKindOf(dwAddress);
    Lock();
    MEMORY_READ *pRead = &g_Run.aRead[nKind];
    memset(pRead, 0, sizeof(*pRead));
    pRead->dwAddress = dwAddress;
    pRead->cbLength = (ab[5] << 8) | ab[6];
    g_Run.nCurrentRead = nKind;
    Unlock();
}

static int ReadComplete(int nKind)
{
    Lock();
    const MEMORY_READ *pRead = &g_Run.aRead[nKind];
    int bComplete = pRead->cbLength > 0 && pRead->cbLength <= TRACKED_BYTES;
    for (int i = 0; bComplete && i < pRead->cbLength; i++)
        bComplete = pRead->abArrived[i];
    Unlock();
    return bComplete;
}

/* A reply 0x21 to the read asked for last, placed by a signed offset from its address. The
   caller holds the lock. */
static void BuildMemoryReply(BYTE *ab)
{
    BYTE bHeader = NextByte();
    signed char nOffset = (signed char)NextByte();
    const MEMORY_READ *pRead = g_Run.nCurrentRead >= 0 ? &g_Run.aRead[g_Run.nCurrentRead] : NULL;
    int nBase = pRead ? (int)(pRead->dwAddress & 0xFFFF) : 0;
    int nAddress = (nBase + nOffset) & 0xFFFF;
    int cb = (bHeader >> 4) + 1;
    ab[0] = RPT_IN_MEMORY;
    ab[3] = bHeader;
    ab[4] = (BYTE)(nAddress >> 8);
    ab[5] = (BYTE)nAddress;
    for (int i = 0; i < cb; i++)
        ab[6 + i] = NextByte();
    if (!pRead || (bHeader & 0x0F))
        return;
    int nAt = nAddress - nBase;
    if (nAt < 0 || nAt + cb > pRead->cbLength || nAt + cb > TRACKED_BYTES)
        return;
    memset(g_Run.aRead[g_Run.nCurrentRead].abArrived + nAt, 1, (size_t)cb);
}

/* The next input report, or the outcome that stands in for one. */
static int BuildInputReport(BYTE *ab, BYTE bKind)
{
    memset(ab, 0, REPORT_LENGTH);
    if (bKind == RPT_IN_STATUS) {
        ab[0] = bKind;
        ab[3] = NextByte();
        ab[6] = NextByte();
    } else if (bKind == RPT_IN_MEMORY) {
        BuildMemoryReply(ab);
    } else if (IsDataReport(bKind)) {
        ab[0] = bKind;
        for (int i = 1; i < REPORT_LENGTH; i++)
            ab[i] = NextByte();
    } else {
        ab[0] = bKind;
    }
    return 1;
}

static BOOL HarnessFail(DWORD dwError)
{
    SetLastError(dwError);
    return FALSE;
}

/* The caller holds the lock. */
static int FindPending(LPOVERLAPPED pIo)
{
    for (size_t i = 0; i < g_aPending.size(); i++)
        if (g_aPending[i].pIo == pIo)
            return (int)i;
    return -1;
}

/* A transfer ends: its record says how, then its event is signalled. The caller holds the lock. */
static void CompleteIo(LPOVERLAPPED pIo, DWORD dwStatus, DWORD cb)
{
    pIo->InternalHigh = cb;
    pIo->Internal = dwStatus;
    SetEvent(pIo->hEvent);
}

/* A transfer begins on a record: one the driver still holds is a record used twice. */
static int BeginIo(LPOVERLAPPED pIo)
{
    Lock();
    int bHeld = FindPending(pIo) >= 0 || g_Kept.count(pIo) > 0;
    Unlock();
    if (bHeld)
        Fault("a transfer started on an overlapped record the driver still holds");
    return !bHeld;
}

/* Pending: completed at once (its event signalled now), or left pending until cancelled, or for good. */
static BOOL GoPending(HANDLE h, LPOVERLAPPED pIo, int bDone, int bStuck, DWORD cb)
{
    Lock();
    if (bDone) {
        CompleteIo(pIo, 0, cb);
    } else {
        ResetEvent(pIo->hEvent);
        pIo->InternalHigh = 0;
        pIo->Internal = STATUS_PENDING;
        PENDING_IO pending = {pIo, HandleIndex(h), bStuck};
        g_aPending.push_back(pending);
    }
    Unlock();
    return HarnessFail(ERROR_IO_PENDING);
}

static BOOL WINAPI HarnessReadFile(HANDLE h, LPVOID pBuffer, DWORD cbRead, LPDWORD pcbRead, LPOVERLAPPED pIo)
{
    SettleForRead(h);
    if (!HandleOpen(h) || Exhausted())
        return HarnessFail(ERROR_DEVICE_NOT_CONNECTED);
    if (cbRead < REPORT_LENGTH || !pIo)
        return Fault("a read without an overlapped record or shorter than a report"), HarnessFail(ERROR_INVALID_PARAMETER);
    if (!BeginIo(pIo))
        return HarnessFail(ERROR_INVALID_PARAMETER);
    BYTE bKind = NextByte();
    if (bKind == OUT_FAIL)
        return HarnessFail(ERROR_GEN_FAILURE);
    if (bKind == OUT_PENDING_TIMEOUT || bKind == OUT_PENDING_STUCK)
        return GoPending(h, pIo, 0, bKind == OUT_PENDING_STUCK, 0);
    int bPending = bKind == OUT_PENDING_DONE;
    if (bPending)
        bKind = NextByte();
    memset(pBuffer, 0, cbRead);
    Lock();
    BuildInputReport((BYTE *)pBuffer, bKind);
    Unlock();
    if (bPending)
        return GoPending(h, pIo, 1, 0, cbRead);
    if (pcbRead)
        *pcbRead = cbRead;
    Lock();
    CompleteIo(pIo, 0, cbRead);
    Unlock();
    return TRUE;
}

static BOOL WINAPI HarnessWriteFile(HANDLE h, LPCVOID pBuffer, DWORD cbWrite, LPDWORD pcbWritten, LPOVERLAPPED pIo)
{
    WaitOlderClosed(OwnerOf(h), "a released remote's handles still open long after it was released");
    if (!HandleOpen(h) || Exhausted())
        return HarnessFail(ERROR_DEVICE_NOT_CONNECTED);
    if (!pIo)
        return Fault("a write to the device without an overlapped record"), HarnessFail(ERROR_INVALID_PARAMETER);
    if (!BeginIo(pIo))
        return HarnessFail(ERROR_INVALID_PARAMETER);
    TakeOutput((const BYTE *)pBuffer, cbWrite);
    BYTE bOutcome = NextByte();
    if (bOutcome == OUT_FAIL)
        return HarnessFail(ERROR_GEN_FAILURE);
    if (bOutcome == OUT_PENDING_TIMEOUT || bOutcome == OUT_PENDING_DONE || bOutcome == OUT_PENDING_STUCK)
        return GoPending(h, pIo, bOutcome == OUT_PENDING_DONE, bOutcome == OUT_PENDING_STUCK, cbWrite);
    if (pcbWritten)
        *pcbWritten = cbWrite;
    Lock();
    CompleteIo(pIo, 0, cbWrite);
    Unlock();
    return TRUE;
}

/* Synchronous: a report that stays pending blocks the sending thread past any limit, then fails. */
static BOOLEAN NTAPI HarnessSetOutputReport(HANDLE h, PVOID pReport, ULONG cbReport)
{
    WaitOlderClosed(OwnerOf(h), "a released remote's handles still open long after it was released");
    if (!HandleOpen(h) || Exhausted())
        return FALSE;
    TakeOutput((const BYTE *)pReport, cbReport);
    BYTE bOutcome = NextByte();
    if (bOutcome == OUT_PENDING_TIMEOUT || bOutcome == OUT_PENDING_STUCK) {
        Sleep(SET_REPORT_BLOCK_MS);
        return FALSE;
    }
    return bOutcome != OUT_FAIL;
}

static BOOL WINAPI HarnessGetOverlappedResult(HANDLE h, LPOVERLAPPED pIo, LPDWORD pcb, BOOL bWait)
{
    if (!HandleOpen(h))
        return HarnessFail(ERROR_INVALID_HANDLE);
    if (bWait && pIo->Internal == STATUS_PENDING)
        WaitForSingleObject(pIo->hEvent, INFINITE);
    Lock();
    DWORD dwStatus = (DWORD)pIo->Internal;
    *pcb = (DWORD)pIo->InternalHigh;
    Unlock();
    if (dwStatus == STATUS_PENDING)
        return HarnessFail(ERROR_IO_INCOMPLETE);
    if (dwStatus != 0)
        return HarnessFail(ERROR_OPERATION_ABORTED);
    return TRUE;
}

/* A pending transfer of the handle (every one, without a record) ends as cancelled, unless its
   cancel never completes. */
static BOOL WINAPI HarnessCancelIoEx(HANDLE h, LPOVERLAPPED pIo)
{
    if (!HandleOpen(h))
        return HarnessFail(ERROR_INVALID_HANDLE);
    int bFound = 0;
    Lock();
    int nHandle = HandleIndex(h);
    for (size_t i = 0; i < g_aPending.size();) {
        PENDING_IO *pPending = &g_aPending[i];
        if (pPending->nHandle != nHandle || (pIo && pPending->pIo != pIo)) {
            i++;
            continue;
        }
        bFound = 1;
        if (pPending->bStuck) {
            i++;
            continue;
        }
        CompleteIo(pPending->pIo, STATUS_CANCELLED, 0);
        g_aPending.erase(g_aPending.begin() + (long)i);
    }
    Unlock();
    return bFound ? TRUE : HarnessFail(ERROR_NOT_FOUND);
}

static BOOLEAN NTAPI HarnessFlushQueue(HANDLE h)
{
    return HandleOpen(h);
}

static HANDLE WINAPI HarnessCreateFileW(LPCWSTR, DWORD dwAccess, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)
{
    return OpenHandle(dwAccess);
}

/* As on Windows, closing a handle completes its pending transfers, as cancelled; the ones
   whose cancel never completes stay the driver's, and their records must still be there. */
static BOOL WINAPI HarnessCloseHandle(HANDLE h)
{
    Lock();
    int i = HandleIndex(h);
    int bOpen = i >= 0 && g_Run.abOpen[i];
    if (bOpen) {
        g_Run.abOpen[i] = 0;
        for (size_t n = 0; n < g_aPending.size();) {
            PENDING_IO *pPending = &g_aPending[n];
            if (pPending->nHandle != i) {
                n++;
            } else if (pPending->bStuck) {
                if (pPending->pIo->Internal != STATUS_PENDING)
                    Fault("an overlapped record the driver still holds was changed by the library");
                g_Kept.insert(pPending->pIo);
                g_aPending.erase(g_aPending.begin() + (long)n);
            } else {
                CompleteIo(pPending->pIo, STATUS_CANCELLED, 0);
                g_aPending.erase(g_aPending.begin() + (long)n);
            }
        }
    }
    Unlock();
    if (!bOpen) {
        Fault("a device handle closed twice or never opened");
        return HarnessFail(ERROR_INVALID_HANDLE);
    }
    SetEvent(g_hHandleClosed);
    return TRUE;
}

/* Discovery: one Wii Remote. */
#define DEVICE_PATH L"\\\\?\\hid#vid_057e&pid_0306#fuzz"

static void NTAPI HarnessGetHidGuid(LPGUID pGuid)
{
    memset(pGuid, 0, sizeof(*pGuid));
}

static HDEVINFO WINAPI HarnessGetClassDevs(const GUID *, PCWSTR, HWND, DWORD)
{
    return (HDEVINFO)(ULONG_PTR)0xDE0;
}

static BOOL WINAPI HarnessEnumInterfaces(HDEVINFO, PSP_DEVINFO_DATA, const GUID *, DWORD dwIndex,
                                         PSP_DEVICE_INTERFACE_DATA)
{
    return dwIndex == 0;
}

static BOOL WINAPI HarnessInterfaceDetail(HDEVINFO, PSP_DEVICE_INTERFACE_DATA, PSP_DEVICE_INTERFACE_DETAIL_DATA_W pDetail,
                                          DWORD cbDetail, PDWORD pcbRequired, PSP_DEVINFO_DATA)
{
    DWORD cbNeeded = (DWORD)(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + sizeof(DEVICE_PATH));
    if (pcbRequired)
        *pcbRequired = cbNeeded;
    if (!pDetail || cbDetail < cbNeeded)
        return HarnessFail(ERROR_INSUFFICIENT_BUFFER);
    memcpy(pDetail->DevicePath, DEVICE_PATH, sizeof(DEVICE_PATH));
    return TRUE;
}

static BOOL WINAPI HarnessDestroyList(HDEVINFO)
{
    return TRUE;
}

static BOOLEAN NTAPI HarnessGetAttributes(HANDLE h, PHIDD_ATTRIBUTES pAttributes)
{
    if (!HandleOpen(h))
        return FALSE;
    pAttributes->VendorID = 0x057E;
    pAttributes->ProductID = g_Run.wProductId;
    return TRUE;
}

static BOOLEAN NTAPI HarnessGetPreparsedData(HANDLE h, PHIDP_PREPARSED_DATA *ppData)
{
    if (!HandleOpen(h))
        return FALSE;
    *ppData = (PHIDP_PREPARSED_DATA)(ULONG_PTR)0xCA0;
    return TRUE;
}

static BOOLEAN NTAPI HarnessFreePreparsedData(PHIDP_PREPARSED_DATA)
{
    return TRUE;
}

static NTSTATUS NTAPI HarnessGetCaps(PHIDP_PREPARSED_DATA, PHIDP_CAPS pCaps)
{
    memset(pCaps, 0, sizeof(*pCaps));
    pCaps->InputReportByteLength = g_Run.cbCapsInput;
    pCaps->OutputReportByteLength = g_Run.cbCapsOutput;
    return HIDP_STATUS_SUCCESS;
}

static void InstallHidTable(void)
{
    HID_IO io;
    memset(&io, 0, sizeof(io));
    io.pfnCreateFileW = HarnessCreateFileW;
    io.pfnReadFile = HarnessReadFile;
    io.pfnWriteFile = HarnessWriteFile;
    io.pfnGetOverlappedResult = HarnessGetOverlappedResult;
    io.pfnCancelIoEx = HarnessCancelIoEx;
    io.pfnCloseHandle = HarnessCloseHandle;
    io.pfnHidD_SetOutputReport = HarnessSetOutputReport;
    io.pfnHidD_FlushQueue = HarnessFlushQueue;
    io.pfnHidD_GetHidGuid = HarnessGetHidGuid;
    io.pfnSetupDiGetClassDevsW = HarnessGetClassDevs;
    io.pfnSetupDiEnumDeviceInterfaces = HarnessEnumInterfaces;
    io.pfnSetupDiGetDeviceInterfaceDetailW = HarnessInterfaceDetail;
    io.pfnSetupDiDestroyDeviceInfoList = HarnessDestroyList;
    io.pfnHidD_GetAttributes = HarnessGetAttributes;
    io.pfnHidD_GetPreparsedData = HarnessGetPreparsedData;
    io.pfnHidD_FreePreparsedData = HarnessFreePreparsedData;
    io.pfnHidP_GetCaps = HarnessGetCaps;
    SetHidIo(&io);
}

/* The client window: it may drop the remote when told about it, as a client that quits would. */
static LRESULT CALLBACK ClientProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_MSG_CONNECT_DEFAULT:
        return (g_Run.dwClientFlags & CLIENT_REFUSE_CONNECT) ? -1 : 0;
    case WM_MSG_STATUS_DEFAULT:
        if (g_Run.dwClientFlags & CLIENT_DROP_ON_STATUS) {
            g_Run.bClientDropped = 1;
            wm_Disconnect((int)wParam, 0);
        }
        return 0;
    case WM_MSG_KEY_DEFAULT: {
        /* The two masks are readable while the message is handled. */
        volatile DWORD dwMasks = ((const DWORD *)lParam)[0] | ((const DWORD *)lParam)[1];
        (void)dwMasks;
        if (g_Run.dwClientFlags & CLIENT_DROP_ON_INPUT) {
            g_Run.bClientDropped = 1;
            wm_Disconnect((int)wParam, 0);
        }
        return 0;
    }
    case WM_MSG_LOST_DEFAULT:
        if ((int)wParam != HARNESS_SLOT)
            Fault("a lost notification for another slot");
        return 0;
    default:
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
}

static int IsZero(const void *p, size_t cb)
{
    const BYTE *pb = (const BYTE *)p;
    for (size_t i = 0; i < cb; i++)
        if (pb[i])
            return 0;
    return 1;
}

/* What must hold of the remote's record between two steps. */
static void CheckRecord(void)
{
    WM_DEVICE *pDev = g_Lib.apSlot[HARNESS_SLOT];
    if (!pDev)
        return;
    int nKind = pDev->nExtType;
    if (nKind < WMEXT_NONE || nKind > WMEXT_CLASSIC_PRO)
        return Fault("an extension kind out of range");
    if (!pDev->bExtConnected && nKind != WMEXT_NONE)
        return Fault("a remote without an extension keeps an extension kind");
    if (nKind == WMEXT_NONE && !IsZero(&pDev->Ext, sizeof(pDev->Ext)))
        return Fault("extension data or filters left behind without an extension");
    if (nKind != WMEXT_NONE && !ReadComplete(READ_EXT_ID))
        return Fault("an extension identified though not every identifier byte arrived");
    if ((nKind == WMEXT_NUNCHUK || nKind == WMEXT_CLASSIC) && !ReadComplete(READ_EXT_CAL))
        return Fault("extension calibration used though not every byte arrived");
    if (pDev->system.nSmoothing == 0 && !IsZero(pDev->apAccelFilter, sizeof(pDev->apAccelFilter)))
        return Fault("accelerometer filters without smoothing");
}

/* A getter that reports success still has its remote, unless the client dropped it meanwhile. */
static void CheckSuccess(int bDone)
{
    if (bDone && !g_Lib.apSlot[HARNESS_SLOT] && !g_Run.bClientDropped)
        Fault("an export reported success for a remote that was torn down during it");
}

static void Connect(void)
{
    if (g_Lib.apSlot[HARNESS_SLOT])
        return;
    if (wm_Connect(g_Run.hClient, 0) <= 0 || !g_Lib.apSlot[HARNESS_SLOT])
        return;
    if (!ReadComplete(READ_IDENTITY) || !ReadComplete(READ_ACCEL_CAL))
        return Fault("a remote connected though its identity or calibration did not arrive in full");
    WM_SYSTEM sys;
    memset(&sys, 0, sizeof(sys));
    sys.dwFlags = WMSYS_TIMEOUT | WMSYS_HWND;
    sys.dwTimeout = SHORT_TIMEOUT_MS;
    sys.hWnd = g_Run.hClient;
    wm_SetSystem(HARNESS_SLOT, &sys);
}

static void SetSystemFlag(DWORD dwFlag)
{
    WM_SYSTEM sys;
    memset(&sys, 0, sizeof(sys));
    BYTE b = NextByte();
    sys.dwFlags = dwFlag;
    sys.bAutoUpdate = b & 1;
    sys.nSmoothing = b % 4;
    sys.hWnd = (b & 1) ? g_Run.hClient : NULL;
    wm_SetSystem(HARNESS_SLOT, &sys);
}

static void SetStatus(void)
{
    WM_STATUS st;
    memset(&st, 0, sizeof(st));
    BYTE bFlags = NextByte(), bLeds = NextByte();
    st.dwFlags = bFlags & (WMST_LED | WMST_RUMBLE | WMST_REPORT);
    for (int i = 0; i < 4; i++)
        st.abLed[i] = (bLeds >> i) & 1;
    st.dwBlink = (bLeds & 0x10) ? 20 : 0;
    st.nRumblePower = NextByte() % 101;
    st.dwRumbleTime = (DWORD)NextByte() * 4;
    st.dwReport = NextByte() & 0x0F;
    wm_SetStatus(HARNESS_SLOT, &st);
}

/* The remote found by the next connection: a late remote (0x0330) or an older one, and its report lengths. */
static void ChooseRemote(void)
{
    BYTE b = NextByte();
    g_Run.wProductId = (b & 1) ? 0x0330 : 0x0306;
    g_Run.cbCapsInput = g_acbCaps[(b >> 1) % 5];
    g_Run.cbCapsOutput = g_acbCaps[(b >> 4) % 5];
}

/* One pass, and the worker's wait after it without waiting: every handle it would wait on is open. */
static void WorkerStep(void)
{
    WORKER_WAIT wait;
    WorkerPass(&wait);
    if (wait.nCount < 2 || wait.nCount > ARRAYSIZE(wait.ah))
        return Fault("the worker's wait has a count out of range");
    if (WaitForMultipleObjects(wait.nCount, wait.ah, FALSE, 0) == WAIT_FAILED)
        Fault("the worker would wait on a handle that is not open");
}

static void RunAction(BYTE bAction)
{
    WM_STATUS st;
    WM_KEY key;
    WM_KEYEX keyEx;
    g_Run.bClientDropped = 0;
    switch (bAction % 13) {
    case 0: WorkerStep(); break;
    case 1:
        memset(&st, 0, sizeof(st));
        st.dwFlags = 0x7F;
        CheckSuccess(wm_GetStatus(HARNESS_SLOT, &st));
        break;
    case 2: CheckSuccess(wm_GetKey(HARNESS_SLOT, &key)); break;
    case 3: wm_GetKeyEx(HARNESS_SLOT, &keyEx); CheckSuccess(GetLastError() == WME_SUCCESS); break;
    case 4: SetSystemFlag(WMSYS_AUTOUPDATE); break;
    case 5: SetSystemFlag(WMSYS_SMOOTHING); break;
    case 6: SetSystemFlag(WMSYS_HWND); break;
    case 7: SetStatus(); break;
    case 8: CheckSuccess(wm_Exist(HARNESS_SLOT) == 1); break;
    case 9: g_Run.dwClientFlags = NextByte(); break;
    case 10: g_Run.dwClock += (DWORD)NextByte() * 2; break;
    case 11: ChooseRemote(); break;
    default:
        wm_Disconnect(HARNESS_SLOT, NextByte() & 1);
        Connect();
        break;
    }
    CheckRecord();
}

static HWND CreateClient(void)
{
    WNDCLASSW wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = ClientProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = CLIENT_CLASS;
    RegisterClassW(&wc); /* already there from an earlier run is fine */
    return CreateWindowExW(0, CLIENT_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
}

/* The worker thread is stopped at once: this thread runs its pass, so a run is repeatable. */
static void TakeOverWorker(void)
{
    StopWorker();
    InterlockedExchange(&g_Lib.bStopRequest, 0);
    ResetEvent(g_Lib.hStopEvent);
    g_Lib.dwWorkerId = GetCurrentThreadId();
}

static void StartHarness(void)
{
    static int bStarted;
    if (bStarted)
        return;
    bStarted = 1;
    InitializeCriticalSection(&g_Lock);
    g_hHandleClosed = CreateEventW(NULL, FALSE, FALSE, NULL);
}

const char *FuzzReportPath(const unsigned char *pData, size_t cb)
{
    StartHarness();
    Lock();
    memset(&g_Run, 0, sizeof(g_Run));
    /* An earlier run that left handles open has failed; its transfers stay the driver's. */
    for (const PENDING_IO &pending : g_aPending)
        g_Kept.insert(pending.pIo);
    g_aPending.clear();
    g_Run.pData = pData;
    g_Run.cb = cb;
    g_Run.nCurrentRead = -1;
    g_Run.wProductId = 0x0306;
    g_Run.cbCapsInput = g_Run.cbCapsOutput = REPORT_LENGTH;
    Unlock();
    InstallHidTable();
    SetClockProc(HarnessClock);
    g_Run.hClient = CreateClient();
    if (!g_Run.hClient || !wm_Init())
        return "the client window or the library did not start";
    TakeOverWorker();

    Connect();
    CheckRecord();
    for (;;) {
        SettleForAction();
        if (Exhausted())
            break;
        RunAction(NextByte());
    }

    Lock();
    g_Run.cb = 0; /* from here on every transfer fails */
    Unlock();
    wm_Close();
    /* A remote's thread may still be ending a send: its handles close within the send's limit. */
    WaitOlderClosed(INT_MAX, "a device handle left open after wm_Close");
    DestroyWindow(g_Run.hClient);
    SetClockProc(NULL);
    Lock();
    const char *pszFault = g_Run.pszFault;
    Unlock();
    return pszFault;
}
