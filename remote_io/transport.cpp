/* transport.cpp - timed report I/O over the slot's overlapped record, and the output commands. */
#include "transport.h"

#include <stdlib.h>
#include <string.h>

#include "decode.h"
#include "frame.h"
#include "hid_io.h"

int IsDataReport(BYTE bId)
{
    return bId >= RPT_IN_DATA_FIRST && bId <= RPT_IN_DATA_LAST;
}

IO_OUTCOME FailWith(DWORD dwCode)
{
    SetLastError(dwCode);
    return IO_FAILED;
}

static DWORD InputLength(const WM_DEVICE *pDev)
{
    return pDev->cbInput ? pDev->cbInput : REPORT_LENGTH;
}

static DWORD OutputLength(const WM_DEVICE *pDev)
{
    return pDev->cbOutput ? pDev->cbOutput : REPORT_LENGTH;
}

void BeginReport(WM_DEVICE *pDev, BYTE bId)
{
    memset(pDev->abOutput, 0, sizeof(pDev->abOutput));
    pDev->abOutput[0] = bId;
    pDev->abOutput[1] = pDev->bRumble ? 1 : 0;
}

static OVERLAPPED *SlotIo(WM_DEVICE *pDev)
{
    OVERLAPPED *pIo = &g_Lib.aSlotIo[pDev->nIndex];
    pIo->Internal = pIo->InternalHigh = 0;
    pIo->Offset = pIo->OffsetHigh = 0;
    return pIo;
}

/* A failed or timed-out transfer: the remote is gone; the boundary tears it down. */
static IO_OUTCOME LoseRemote(WM_DEVICE *pDev)
{
    pDev->bValid = 0;
    SetLastError(WME_IO);
    return IO_GONE;
}

/* The longest wait for one transfer now: the remote's timeout, cut to what is left of
   wm_Close's budget while it tears the remotes down. */
static DWORD TransferLimit(const WM_DEVICE *pDev)
{
    if (!g_Lib.bClosing)
        return pDev->system.dwTimeout;
    LONG lLeft = (LONG)(g_Lib.dwCloseDeadline - GetTickCount());
    return lLeft <= 0 ? 0 : (DWORD)lLeft < pDev->system.dwTimeout ? (DWORD)lLeft : pDev->system.dwTimeout;
}

enum { WAIT_DONE, WAIT_EXPIRED, WAIT_STOPPED };

/* Waits for a transfer's object within the limit; a stop request ends the wait at once. */
static int WaitTransfer(HANDLE hObject, DWORD dwLimit)
{
    HANDLE ah[2] = {hObject, g_Lib.bClosing ? NULL : g_Lib.hStopEvent};
    DWORD dwWait = WaitForMultipleObjects(ah[1] ? 2 : 1, ah, FALSE, dwLimit);
    return dwWait == WAIT_OBJECT_0 ? WAIT_DONE : dwWait == WAIT_OBJECT_0 + 1 ? WAIT_STOPPED : WAIT_EXPIRED;
}

/*
 * Waits for a pending transfer. When it does not end in time it is cancelled, and the cancel
 * is waited for a bounded time: a driver that never completes it leaves the slot's buffer to
 * it, and the remote is gone even when the wait was only cut short by wm_Close.
 */
static IO_OUTCOME FinishPending(WM_DEVICE *pDev, OVERLAPPED *pIo)
{
    DWORD cb = 0;
    int nWait = WaitTransfer(pIo->hEvent, TransferLimit(pDev));
    if (nWait == WAIT_DONE)
        return g_HidIo.pfnGetOverlappedResult(pDev->hDevice, pIo, &cb, FALSE) ? IO_DONE : LoseRemote(pDev);
    g_HidIo.pfnCancelIoEx(pDev->hDevice, pIo);
    if (WaitForSingleObject(pIo->hEvent, CANCEL_WAIT_MS) != WAIT_OBJECT_0 || nWait == WAIT_EXPIRED)
        return LoseRemote(pDev);
    g_HidIo.pfnGetOverlappedResult(pDev->hDevice, pIo, &cb, FALSE);
    SetLastError(WME_IO);
    return IO_GONE; /* stopped: wm_Close tears it down, with its last reports */
}

IO_OUTCOME ReadReport(WM_DEVICE *pDev)
{
    OVERLAPPED *pIo = SlotIo(pDev);
    BYTE *pbBuffer = g_Lib.aabSlotBuffer[pDev->nIndex];
    DWORD cb = 0;
    IO_OUTCOME outcome = IO_DONE;
    pDev->bInputFresh = 0;
    if (!g_HidIo.pfnReadFile(pDev->hDevice, pbBuffer, InputLength(pDev), &cb, pIo)) {
        pDev->bInputFresh = 1;
        outcome = GetLastError() == ERROR_IO_PENDING ? FinishPending(pDev, pIo) : LoseRemote(pDev);
    }
    if (outcome == IO_DONE)
        memcpy(pDev->abInput, pbBuffer, InputLength(pDev));
    return outcome;
}

/* One HidD_SetOutputReport call on a thread of its own: the call is synchronous and may block for
   the Bluetooth stack's own time-out. The caller waits a bounded time; a call that has not
   returned by then finishes alone, with its own copy of the report. */
typedef struct SET_REPORT_CALL {
    HANDLE        hWrite;
    ULONG         cbReport;
    BYTE          abReport[MAX_REPORT_LENGTH];
    volatile LONG bOk;
    volatile LONG lRefs;
    HMODULE       hModule;
} SET_REPORT_CALL;

static void ReleaseCall(SET_REPORT_CALL *pCall)
{
    if (InterlockedDecrement(&pCall->lRefs) == 0)
        free(pCall);
}

static DWORD WINAPI SetReportProc(LPVOID pv)
{
    SET_REPORT_CALL *pCall = (SET_REPORT_CALL *)pv;
    HMODULE hModule = pCall->hModule;
    BOOLEAN bOk = g_HidIo.pfnHidD_SetOutputReport(pCall->hWrite, pCall->abReport, pCall->cbReport);
    InterlockedExchange(&pCall->bOk, bOk ? 1 : 0);
    ReleaseCall(pCall);
    /* The thread keeps the library loaded until it has left the library's code. */
    FreeLibraryAndExitThread(hModule, 0);
    return 0;
}

static IO_OUTCOME SetOutputReportBounded(WM_DEVICE *pDev)
{
    SET_REPORT_CALL *pCall = (SET_REPORT_CALL *)calloc(1, sizeof(SET_REPORT_CALL));
    if (!pCall)
        return LoseRemote(pDev);
    pCall->hWrite = pDev->hWrite;
    pCall->cbReport = OutputLength(pDev);
    memcpy(pCall->abReport, pDev->abOutput, sizeof(pCall->abReport));
    pCall->lRefs = 2;
    HANDLE hThread = NULL;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCWSTR)(void *)SetReportProc,
                           &pCall->hModule)) {
        hThread = CreateThread(NULL, 0, SetReportProc, pCall, 0, NULL);
        if (!hThread)
            FreeLibrary(pCall->hModule);
    }
    if (!hThread) {
        free(pCall);
        return LoseRemote(pDev);
    }
    int bOk = WaitTransfer(hThread, TransferLimit(pDev)) == WAIT_DONE && pCall->bOk;
    CloseHandle(hThread);
    ReleaseCall(pCall);
    return bOk ? IO_DONE : LoseRemote(pDev);
}

IO_OUTCOME WriteReport(WM_DEVICE *pDev)
{
    /* Byte 1 bit 0 of every output report is the rumble bit. */
    pDev->bRumbleSent = pDev->abOutput[1] & 1;
    if (pDev->nWritePath == WRITE_PATH_SET_REPORT)
        return SetOutputReportBounded(pDev);

    OVERLAPPED *pIo = SlotIo(pDev);
    BYTE *pbBuffer = g_Lib.aabSlotBuffer[pDev->nIndex];
    memcpy(pbBuffer, pDev->abOutput, OutputLength(pDev));
    DWORD cb = 0;
    if (g_HidIo.pfnWriteFile(pDev->hDevice, pbBuffer, OutputLength(pDev), &cb, pIo))
        return IO_DONE;
    if (GetLastError() != ERROR_IO_PENDING)
        return LoseRemote(pDev);
    return FinishPending(pDev, pIo);
}

IO_OUTCOME ReadDataReport(WM_DEVICE *pDev)
{
    for (int nRead = 0; nRead < MAX_REPORTS_PER_EXCHANGE; nRead++) {
        IO_OUTCOME outcome = ReadReport(pDev);
        if (outcome != IO_DONE)
            return outcome;
        if (IsDataReport(pDev->abInput[0]))
            return DispatchReport(pDev);
    }
    return LoseRemote(pDev);
}

IO_OUTCOME SetLeds(WM_DEVICE *pDev, int bLed1, int bLed2, int bLed3, int bLed4, int bRumble)
{
    pDev->abLed[0] = bLed1 ? 1 : 0;
    pDev->abLed[1] = bLed2 ? 1 : 0;
    pDev->abLed[2] = bLed3 ? 1 : 0;
    pDev->abLed[3] = bLed4 ? 1 : 0;
    pDev->bRumble = bRumble ? 1 : 0;
    BeginReport(pDev, RPT_OUT_LEDS);
    for (int i = 0; i < 4; i++)
        if (pDev->abLed[i])
            pDev->abOutput[1] |= (BYTE)(0x10 << i);
    return WriteReport(pDev);
}

/* Reporting mode ids indexed by the accelerometer, extension and IR bits. */
static const BYTE g_abReportMode[8] = {0x30, 0x32, 0x32, 0x36, 0x31, 0x33, 0x35, 0x37};

BYTE ReportModeFor(DWORD dwReport)
{
    int nIndex = ((dwReport & WMRPT_ACCEL) ? 4 : 0) | ((dwReport & WMRPT_EXTENSION) ? 2 : 0) |
                 ((dwReport & WMRPT_IR) ? 1 : 0);
    return g_abReportMode[nIndex];
}

IO_OUTCOME SetReportMode(WM_DEVICE *pDev)
{
    BeginReport(pDev, RPT_OUT_MODE);
    pDev->abOutput[1] |= CONTINUOUS_REPORTING;
    pDev->abOutput[2] = ReportModeFor(pDev->dwReport);
    return WriteReport(pDev);
}

/* Another report read meanwhile is passed over undecoded and the status asked for again. */
IO_OUTCOME RequestStatus(WM_DEVICE *pDev)
{
    for (int nTry = 0; nTry < MAX_REPORTS_PER_EXCHANGE; nTry++) {
        BeginReport(pDev, RPT_OUT_STATUS);
        IO_OUTCOME outcome = WriteReport(pDev);
        if (outcome == IO_DONE)
            outcome = ReadReport(pDev);
        if (outcome != IO_DONE)
            return outcome;
        if (pDev->abInput[0] == RPT_IN_STATUS)
            return DispatchReport(pDev);
    }
    return LoseRemote(pDev);
}

static void PutAddress(WM_DEVICE *pDev, DWORD dwAddress)
{
    pDev->abOutput[1] |= (BYTE)(dwAddress >> 24);
    pDev->abOutput[2] = (BYTE)(dwAddress >> 16);
    pDev->abOutput[3] = (BYTE)(dwAddress >> 8);
    pDev->abOutput[4] = (BYTE)dwAddress;
}

/*
 * One reply 0x21: IO_DONE once every requested byte has arrived, IO_FAILED with a code on
 * an error; *pnFilled is how far the bytes have arrived without a gap, and the read
 * completes only when that reaches the end, so no byte is ever left unwritten.
 */
static IO_OUTCOME TakeMemoryReply(WM_DEVICE *pDev, DWORD dwAddress, BYTE *pbDest, int cbLength,
                                  int *pnFilled, int *pbComplete)
{
    const BYTE *pbIn = pDev->abInput;
    BYTE bHeader = pbIn[3];
    *pbComplete = 0;
    if (bHeader & 0x08)
        return FailWith(WME_READ_WRITEONLY);
    if (bHeader & 0x07)
        return FailWith(WME_READ_ERROR);
    int cb = (bHeader >> 4) + 1;
    int nAt = ((pbIn[4] << 8) | pbIn[5]) - (int)(dwAddress & 0xFFFF);
    if (nAt < 0 || nAt + cb > cbLength)
        return FailWith(WME_READ_OVERRUN);
    memcpy(pbDest + nAt, pbIn + 6, (size_t)cb);
    if (nAt <= *pnFilled && nAt + cb > *pnFilled)
        *pnFilled = nAt + cb;
    *pbComplete = *pnFilled == cbLength;
    return IO_DONE;
}

IO_OUTCOME ReadMemory(WM_DEVICE *pDev, DWORD dwAddress, BYTE *pbDest, int cbLength)
{
    if (cbLength <= 0)
        return IO_DONE;
    BeginReport(pDev, RPT_OUT_READ_MEMORY);
    PutAddress(pDev, dwAddress);
    pDev->abOutput[5] = (BYTE)(cbLength >> 8);
    pDev->abOutput[6] = (BYTE)cbLength;
    IO_OUTCOME outcome = WriteReport(pDev);
    if (outcome != IO_DONE)
        return outcome;

    /* Other reports arriving meanwhile (data, status, acknowledgements) are passed over. */
    int nFilled = 0;
    for (int nRead = 0; nRead < MAX_REPORTS_PER_EXCHANGE; nRead++) {
        outcome = ReadReport(pDev);
        if (outcome != IO_DONE)
            return outcome;
        if (pDev->abInput[0] != RPT_IN_MEMORY)
            continue;
        int bComplete;
        outcome = TakeMemoryReply(pDev, dwAddress, pbDest, cbLength, &nFilled, &bComplete);
        if (outcome != IO_DONE || bComplete)
            return outcome;
    }
    return LoseRemote(pDev);
}

IO_OUTCOME WriteMemory(WM_DEVICE *pDev, DWORD dwAddress, BYTE bData)
{
    BeginReport(pDev, RPT_OUT_WRITE_MEMORY);
    PutAddress(pDev, dwAddress);
    pDev->abOutput[5] = 1;
    pDev->abOutput[6] = bData;
    return WriteReport(pDev);
}

IO_OUTCOME ReadIdentity(WM_DEVICE *pDev)
{
    return ReadMemory(pDev, ADDR_IDENTITY, pDev->abIdentity, sizeof(pDev->abIdentity));
}

IO_OUTCOME ReadAccelCalibration(WM_DEVICE *pDev)
{
    BYTE ab[7];
    IO_OUTCOME outcome = ReadMemory(pDev, ADDR_ACCEL_CAL, ab, sizeof(ab));
    if (outcome != IO_DONE)
        return outcome;
    /* Zero-g X, Y, Z, an unused byte, then one-g X, Y, Z. */
    memcpy(pDev->abAccelCal, ab, 3);
    memcpy(pDev->abAccelCal + 3, ab + 4, 3);
    return IO_DONE;
}
