/* transport.cpp - timed report I/O over the slot's overlapped record, and the output commands. */
#include "transport.h"

#include <stdlib.h>
#include <string.h>

#include "decode.h"
#include "frame.h"
#include "hid_io.h"
#include "output.h"

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

void BeginReport(WM_DEVICE *pDev, BYTE bId)
{
    memset(pDev->abOutput, 0, sizeof(pDev->abOutput));
    pDev->abOutput[0] = bId;
    pDev->abOutput[1] = pDev->bRumble ? 1 : 0;
}

/* A failed or timed-out transfer: the remote is gone; the boundary tears it down. */
static IO_OUTCOME LoseRemote(WM_DEVICE *pDev)
{
    pDev->bValid = 0;
    SetLastError(WME_IO);
    return IO_GONE;
}

/* wm_Connect's deadline on the thread that is setting remotes up (0: none). */
static thread_local DWORD t_dwSetUpDeadline;

void SetSetUpDeadline(DWORD dwDeadline)
{
    t_dwSetUpDeadline = dwDeadline;
}

static DWORD CutTo(DWORD dwLimit, DWORD dwDeadline)
{
    LONG lLeft = (LONG)(dwDeadline - GetTickCount());
    return lLeft <= 0 ? 0 : (DWORD)lLeft < dwLimit ? (DWORD)lLeft : dwLimit;
}

/* The longest wait for one transfer now: the remote's timeout, cut to what is left of
   wm_Close's budget while it tears the remotes down, and of wm_Connect's while it sets them up. */
static DWORD TransferLimit(const WM_DEVICE *pDev)
{
    DWORD dwLimit = pDev->system.dwTimeout;
    if (g_Lib.bClosing)
        dwLimit = CutTo(dwLimit, g_Lib.dwCloseDeadline);
    if (t_dwSetUpDeadline)
        dwLimit = CutTo(dwLimit, t_dwSetUpDeadline);
    return dwLimit;
}

/* A stop request ends transfer waits at once, except the close's own last reports. */
static HANDLE StopObject(void)
{
    return g_Lib.bClosing ? NULL : g_Lib.hStopEvent;
}

static void TakeInput(WM_DEVICE *pDev)
{
    memcpy(pDev->abInput, pDev->pRead->ab, InputLength(pDev));
    pDev->pRead->bPending = 0;
    pDev->dwInputAt = GetTickCount();
}

IO_OUTCOME CheckSilence(WM_DEVICE *pDev, DWORD *pdwLeft)
{
    DWORD dwLimit = TransferLimit(pDev);
    DWORD dwSilent = GetTickCount() - pDev->dwInputAt;
    if (dwSilent < dwLimit) {
        *pdwLeft = dwLimit - dwSilent;
        return IO_DONE;
    }
    CancelRead(pDev);
    return LoseRemote(pDev);
}

/* Starts a read unless one is pending. *pbArrived: a report is in abInput now. */
static IO_OUTCOME StartRead(WM_DEVICE *pDev, int *pbArrived)
{
    WM_TRANSFER *pT = pDev->pRead;
    *pbArrived = 0;
    if (pT->bPending)
        return IO_DONE;
    pT->io.Internal = pT->io.InternalHigh = pT->io.Offset = pT->io.OffsetHigh = 0;
    DWORD cb = 0;
    if (g_HidIo.pfnReadFile(pDev->hDevice, pT->ab, InputLength(pDev), &cb, &pT->io)) {
        TakeInput(pDev);
        *pbArrived = 1;
        return IO_DONE;
    }
    if (GetLastError() != ERROR_IO_PENDING)
        return LoseRemote(pDev);
    pT->bPending = 1;
    return IO_DONE;
}

/* The pending read has completed: its report goes to abInput. */
static IO_OUTCOME CompleteRead(WM_DEVICE *pDev)
{
    DWORD cb = 0;
    if (!g_HidIo.pfnGetOverlappedResult(pDev->hDevice, &pDev->pRead->io, &cb, FALSE)) {
        pDev->pRead->bPending = 0;
        return LoseRemote(pDev);
    }
    TakeInput(pDev);
    return IO_DONE;
}

int CancelRead(WM_DEVICE *pDev)
{
    WM_TRANSFER *pT = pDev->pRead;
    if (!pT || !pT->bPending)
        return 1;
    g_HidIo.pfnCancelIoEx(pDev->hDevice, &pT->io);
    if (WaitForSingleObject(pT->io.hEvent, CANCEL_WAIT_MS) != WAIT_OBJECT_0) {
        /* The driver keeps the record, its event and its bytes: the next read gets fresh ones. */
        pDev->pRead = CreateTransfer();
        return 0;
    }
    DWORD cb = 0;
    g_HidIo.pfnGetOverlappedResult(pDev->hDevice, &pT->io, &cb, FALSE);
    pT->bPending = 0;
    return 1;
}

IO_OUTCOME FlushInput(WM_DEVICE *pDev)
{
    /* A read left pending by the worker holds a report from before the flush. */
    if (!CancelRead(pDev))
        return LoseRemote(pDev);
    g_HidIo.pfnHidD_FlushQueue(pDev->hDevice);
    return IO_DONE;
}

IO_OUTCOME PollRead(WM_DEVICE *pDev, int *pbArrived)
{
    if (!pDev->pRead)
        return LoseRemote(pDev);
    if (pDev->pRead->bPending) {
        *pbArrived = HasOverlappedIoCompleted(&pDev->pRead->io);
        return *pbArrived ? CompleteRead(pDev) : IO_DONE;
    }
    return StartRead(pDev, pbArrived);
}

HANDLE ReadEvent(const WM_DEVICE *pDev)
{
    return pDev->pRead && pDev->pRead->bPending ? pDev->pRead->io.hEvent : NULL;
}

/*
 * Waits for the pending read. When it does not end in time it is cancelled, and the cancel
 * is waited for a bounded time; the remote is gone even when the wait was only cut short by
 * wm_Close, which then tears it down with its last reports.
 */
IO_OUTCOME ReadReport(WM_DEVICE *pDev)
{
    int bArrived = 0;
    IO_OUTCOME outcome = PollRead(pDev, &bArrived);
    if (outcome != IO_DONE || bArrived)
        return outcome;
    HANDLE ah[2] = {pDev->pRead->io.hEvent, StopObject()};
    DWORD dwWait = WaitForMultipleObjects(ah[1] ? 2 : 1, ah, FALSE, TransferLimit(pDev));
    if (dwWait == WAIT_OBJECT_0)
        return CompleteRead(pDev);
    int bCancelled = CancelRead(pDev);
    if (dwWait != WAIT_OBJECT_0 + 1 || !bCancelled)
        return LoseRemote(pDev);
    SetLastError(WME_IO);
    return IO_GONE; /* stopped */
}

/* Queues abOutput; with bWait, waits for it within the transfer's limit. A send that fails
   later, unwaited, is seen by the worker's next step. */
static IO_OUTCOME SendReport(WM_DEVICE *pDev, int bWait)
{
    /* Byte 1 bit 0 of every output report is the rumble bit. */
    pDev->bRumbleSent = pDev->abOutput[1] & 1;
    DWORD dwLimit = TransferLimit(pDev);
    LONG lSeq = pDev->pOutput ? QueueOutput(pDev->pOutput, pDev->abOutput, dwLimit) : 0;
    if (!lSeq)
        return LoseRemote(pDev);
    if (!bWait)
        return IO_DONE;
    /* Write-file's own wait and its cancel end within dwLimit + CANCEL_WAIT_MS: the sender
       has told the outcome by then. Set-output-report cannot be cut short: it is left. */
    DWORD dwWait = dwLimit + (pDev->nWritePath == WRITE_PATH_WRITE_FILE ? CANCEL_WAIT_MS + 50 : 0);
    int bStopped = 0;
    if (WaitOutput(pDev->pOutput, lSeq, dwWait, StopObject(), &bStopped))
        return IO_DONE;
    if (!bStopped)
        return LoseRemote(pDev);
    SetLastError(WME_IO);
    return IO_GONE;
}

IO_OUTCOME WriteReport(WM_DEVICE *pDev)
{
    return SendReport(pDev, 1);
}

IO_OUTCOME PostReport(WM_DEVICE *pDev)
{
    return SendReport(pDev, 0);
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

void BeginLedReport(WM_DEVICE *pDev)
{
    BeginReport(pDev, RPT_OUT_LEDS);
    for (int i = 0; i < 4; i++)
        if (pDev->abLed[i])
            pDev->abOutput[1] |= (BYTE)(0x10 << i);
}

IO_OUTCOME SetLeds(WM_DEVICE *pDev, int bLed1, int bLed2, int bLed3, int bLed4, int bRumble)
{
    pDev->abLed[0] = bLed1 ? 1 : 0;
    pDev->abLed[1] = bLed2 ? 1 : 0;
    pDev->abLed[2] = bLed3 ? 1 : 0;
    pDev->abLed[3] = bLed4 ? 1 : 0;
    pDev->bRumble = bRumble ? 1 : 0;
    BeginLedReport(pDev);
    return WriteReport(pDev);
}

/* Reporting mode ids indexed by the accelerometer, extension and IR bits. */
/* There is no mode of buttons and camera alone: 0x33 carries the camera's dots with the
   accelerometer, which is then not decoded. */
static const BYTE g_abReportMode[8] = {0x30, 0x33, 0x32, 0x36, 0x31, 0x33, 0x35, 0x37};

BYTE ReportModeFor(DWORD dwReport)
{
    /* The gyro's frames come in the extension bytes. */
    int bExtBytes = (dwReport & (WMRPT_EXTENSION | WMRPT_MOTION)) != 0;
    int nIndex = ((dwReport & WMRPT_ACCEL) ? 4 : 0) | (bExtBytes ? 2 : 0) |
                 ((dwReport & WMRPT_IR) ? 1 : 0);
    return g_abReportMode[nIndex];
}

/* A remote without a MotionPlus keeps the gyro's flag, and reports as if it were clear. */
BYTE DeviceReportMode(const WM_DEVICE *pDev)
{
    DWORD dwReport = pDev->dwReport;
    if (pDev->motion.nState == WMMP_NONE)
        dwReport &= ~(DWORD)WMRPT_MOTION;
    return ReportModeFor(dwReport);
}

IO_OUTCOME SetReportMode(WM_DEVICE *pDev)
{
    BeginReport(pDev, RPT_OUT_MODE);
    pDev->abOutput[1] |= CONTINUOUS_REPORTING;
    pDev->abOutput[2] = DeviceReportMode(pDev);
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

/* One report 0x16 of cb bytes, sent without waiting for the remote's acknowledgement. */
static IO_OUTCOME SendRegisters(WM_DEVICE *pDev, DWORD dwAddress, const BYTE *pb, int cb)
{
    if (cb <= 0 || cb > MAX_WRITE_BYTES)
        return FailWith(WME_BAD_PARAMETER);
    BeginReport(pDev, RPT_OUT_WRITE_MEMORY);
    PutAddress(pDev, dwAddress);
    pDev->abOutput[5] = (BYTE)cb;
    memcpy(pDev->abOutput + 6, pb, (size_t)cb);
    return WriteReport(pDev);
}

IO_OUTCOME WriteMemory(WM_DEVICE *pDev, DWORD dwAddress, BYTE bData)
{
    return SendRegisters(pDev, dwAddress, &bData, 1);
}

/* The acknowledgement names the report it answers and an error code (0: taken). */
#define ACK_REPORT_AT 3
#define ACK_ERROR_AT 4

IO_OUTCOME WriteRegisters(WM_DEVICE *pDev, DWORD dwAddress, const BYTE *pb, int cb)
{
    IO_OUTCOME outcome = SendRegisters(pDev, dwAddress, pb, cb);
    if (outcome != IO_DONE)
        return outcome;
    /* A streaming remote is there even when the acknowledgement never comes: that fails the
       write, not the remote. Data reports read meanwhile are passed over. */
    for (int nRead = 0; nRead < MAX_REPORTS_PER_EXCHANGE; nRead++) {
        outcome = ReadReport(pDev);
        if (outcome != IO_DONE)
            return outcome;
        if (pDev->abInput[0] == RPT_IN_ACK && pDev->abInput[ACK_REPORT_AT] == RPT_OUT_WRITE_MEMORY)
            return pDev->abInput[ACK_ERROR_AT] ? FailWith(WME_IO) : IO_DONE;
    }
    return FailWith(WME_IO);
}

IO_OUTCOME WriteRegister(WM_DEVICE *pDev, DWORD dwAddress, BYTE b)
{
    return WriteRegisters(pDev, dwAddress, &b, 1);
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
