/* transport.cpp - timed report I/O over the slot's overlapped record, and the output commands. */
#include "transport.h"

#include <string.h>

#include "decode.h"
#include "frame.h"
#include "hid_io.h"

int IsDataReport(BYTE bId)
{
    return bId >= RPT_IN_DATA_FIRST && bId <= RPT_IN_DATA_LAST;
}

int RemoteGone(void)
{
    DWORD dwCode = GetLastError();
    return dwCode == WME_IO || dwCode == WME_REMOVED;
}

void BeginReport(WM_DEVICE *pDev, BYTE bId)
{
    memset(pDev->abReport, 0, sizeof(pDev->abReport));
    pDev->abReport[0] = bId;
    pDev->abReport[1] = pDev->bRumble ? 1 : 0;
}

static OVERLAPPED *SlotIo(WM_DEVICE *pDev)
{
    OVERLAPPED *pIo = &g_Lib.aSlotIo[pDev->nIndex];
    pIo->Internal = pIo->InternalHigh = 0;
    pIo->Offset = pIo->OffsetHigh = 0;
    return pIo;
}

/*
 * Waits for a pending transfer. On a timeout the transfer is cancelled and waited for,
 * so it can never complete later into the buffer of the next transfer.
 */
static int FinishPending(WM_DEVICE *pDev, OVERLAPPED *pIo)
{
    DWORD cb = 0;
    if (WaitForSingleObject(pIo->hEvent, pDev->dwTimeout) == WAIT_OBJECT_0)
        return g_HidIo.pfnGetOverlappedResult(pDev->hDevice, pIo, &cb, FALSE);
    g_HidIo.pfnCancelIoEx(pDev->hDevice, pIo);
    g_HidIo.pfnGetOverlappedResult(pDev->hDevice, pIo, &cb, TRUE);
    return 0;
}

static int ReadOneReport(WM_DEVICE *pDev)
{
    OVERLAPPED *pIo = SlotIo(pDev);
    DWORD cb = 0;
    if (g_HidIo.pfnReadFile(pDev->hDevice, pDev->abReport, REPORT_LENGTH, &cb, pIo))
        return 1;
    if (GetLastError() != ERROR_IO_PENDING)
        return 0;
    return FinishPending(pDev, pIo);
}

int SendReportRaw(WM_DEVICE *pDev)
{
    if (g_Lib.nWritePath == WRITE_PATH_SET_REPORT)
        return g_HidIo.pfnHidD_SetOutputReport(pDev->hWrite, pDev->abReport, REPORT_LENGTH) ? 1 : 0;

    OVERLAPPED *pIo = SlotIo(pDev);
    DWORD cb = 0;
    if (g_HidIo.pfnWriteFile(pDev->hDevice, pDev->abReport, REPORT_LENGTH, &cb, pIo))
        return 1;
    if (GetLastError() != ERROR_IO_PENDING)
        return 0;
    return FinishPending(pDev, pIo);
}

/* A failed or timed-out transfer: the remote is gone. */
static int FailTransfer(WM_DEVICE *pDev)
{
    pDev->bValid = 0;
    if (pDev->nState == DEVICE_SETTING_UP)
        return SetResult(WME_CONNECTING, 0);
    DestroyDevice(pDev, 1, 1);
    if (GetLastError() != WME_REMOVED)
        SetLastError(WME_IO);
    return 0;
}

int ReadReport(WM_DEVICE *pDev, int bDispatch, DWORD dwMask)
{
    for (int nRead = 0; nRead < MAX_REPORTS_PER_EXCHANGE; nRead++) {
        if (!ReadOneReport(pDev))
            return FailTransfer(pDev);

        BYTE bId = pDev->abReport[0];
        DWORD dwKind = bId == RPT_IN_STATUS ? READ_STATUS : IsDataReport(bId) ? READ_DATA : 0;
        if (dwMask & dwKind) {
            if (bDispatch) {
                DispatchReport(pDev);
                if (GetLastError() == WME_REMOVED)
                    return 0;
            }
            return 1;
        }
        if (!(dwMask & READ_UNTIL))
            return 1;
    }
    return FailTransfer(pDev);
}

int WriteReport(WM_DEVICE *pDev)
{
    if (!SendReportRaw(pDev))
        return FailTransfer(pDev);
    return 1;
}

int SetLeds(WM_DEVICE *pDev, int bLed1, int bLed2, int bLed3, int bLed4, int bRumble)
{
    pDev->abLed[0] = bLed1 ? 1 : 0;
    pDev->abLed[1] = bLed2 ? 1 : 0;
    pDev->abLed[2] = bLed3 ? 1 : 0;
    pDev->abLed[3] = bLed4 ? 1 : 0;
    pDev->bRumble = bRumble ? 1 : 0;
    BeginReport(pDev, RPT_OUT_LEDS);
    for (int i = 0; i < 4; i++)
        if (pDev->abLed[i])
            pDev->abReport[1] |= (BYTE)(0x10 << i);
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

int SetReportMode(WM_DEVICE *pDev)
{
    BeginReport(pDev, RPT_OUT_MODE);
    pDev->abReport[1] |= CONTINUOUS_REPORTING;
    pDev->abReport[2] = ReportModeFor(pDev->dwReport);
    return WriteReport(pDev);
}

int RequestStatus(WM_DEVICE *pDev)
{
    for (int nTry = 0; nTry < MAX_REPORTS_PER_EXCHANGE; nTry++) {
        BeginReport(pDev, RPT_OUT_STATUS);
        if (!WriteReport(pDev))
            return 0;
        if (!ReadReport(pDev, 1, READ_STATUS))
            return 0;
        if (pDev->abReport[0] == RPT_IN_STATUS)
            return 1;
    }
    return FailTransfer(pDev);
}

static void PutAddress(WM_DEVICE *pDev, DWORD dwAddress)
{
    pDev->abReport[1] |= (BYTE)(dwAddress >> 24);
    pDev->abReport[2] = (BYTE)(dwAddress >> 16);
    pDev->abReport[3] = (BYTE)(dwAddress >> 8);
    pDev->abReport[4] = (BYTE)dwAddress;
}

/* One reply 0x21: 1 when it completes the read, 0 to read on, -1 on an error. */
static int TakeMemoryReply(WM_DEVICE *pDev, DWORD dwAddress, BYTE *pbDest, int cbLength)
{
    BYTE bHeader = pDev->abReport[3];
    if (bHeader & 0x08)
        return SetResult(WME_READ_WRITEONLY, -1);
    if (bHeader & 0x07)
        return SetResult(WME_READ_ERROR, -1);
    int cb = (bHeader >> 4) + 1;
    int nAt = ((pDev->abReport[4] << 8) | pDev->abReport[5]) - (int)(dwAddress & 0xFFFF);
    if (nAt < 0 || nAt + cb > cbLength)
        return SetResult(WME_READ_OVERRUN, -1);
    memcpy(pbDest + nAt, pDev->abReport + 6, (size_t)cb);
    return nAt + cb == cbLength ? 1 : 0;
}

int ReadMemory(WM_DEVICE *pDev, DWORD dwAddress, BYTE *pbDest, int cbLength)
{
    if (cbLength <= 0)
        return 1;
    BeginReport(pDev, RPT_OUT_READ_MEMORY);
    PutAddress(pDev, dwAddress);
    pDev->abReport[5] = (BYTE)(cbLength >> 8);
    pDev->abReport[6] = (BYTE)cbLength;
    if (!WriteReport(pDev))
        return 0;

    /* Other reports arriving meanwhile (data, status, acknowledgements) are passed over. */
    for (int nRead = 0; nRead < MAX_REPORTS_PER_EXCHANGE; nRead++) {
        if (!ReadReport(pDev, 0, READ_ANY))
            return 0;
        if (pDev->abReport[0] != RPT_IN_MEMORY)
            continue;
        int nTaken = TakeMemoryReply(pDev, dwAddress, pbDest, cbLength);
        if (nTaken != 0)
            return nTaken > 0;
    }
    return FailTransfer(pDev);
}

int WriteMemory(WM_DEVICE *pDev, DWORD dwAddress, BYTE bData)
{
    BeginReport(pDev, RPT_OUT_WRITE_MEMORY);
    PutAddress(pDev, dwAddress);
    pDev->abReport[5] = 1;
    pDev->abReport[6] = bData;
    return WriteReport(pDev);
}

int ReadIdentity(WM_DEVICE *pDev)
{
    return ReadMemory(pDev, ADDR_IDENTITY, pDev->abIdentity, sizeof(pDev->abIdentity));
}

int ReadAccelCalibration(WM_DEVICE *pDev)
{
    BYTE ab[7];
    if (!ReadMemory(pDev, ADDR_ACCEL_CAL, ab, sizeof(ab)))
        return 0;
    /* Zero-g X, Y, Z, an unused byte, then one-g X, Y, Z. */
    memcpy(pDev->abAccelCal, ab, 3);
    memcpy(pDev->abAccelCal + 3, ab + 4, 3);
    return 1;
}
