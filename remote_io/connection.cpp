/* connection.cpp - a remote's record from set-up to teardown. */
#include "connection.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "decode.h"
#include "frame.h"
#include "hid_io.h"
#include "output.h"
#include "transport.h"

void SetDefaultSystem(WM_DEVICE *pDev)
{
    pDev->system.bAutoUpdate = 1;
    pDev->system.dwTimeout = DEFAULT_TIMEOUT_MS;
    pDev->system.nSmoothing = 0;
    pDev->system.hWnd = NULL;
    pDev->system.uMsgStatus = WM_MSG_STATUS_DEFAULT;
    pDev->system.uMsgKey = WM_MSG_KEY_DEFAULT;
    pDev->system.uMsgLost = WM_MSG_LOST_DEFAULT;
    pDev->system.dwUserValue = 0;
}

/* Releases everything the record owns, and the record. The read is cancelled first: the
   device handle is closed only once the output thread is done with it too. */
static void FreeDevice(WM_DEVICE *pDev)
{
    if (pDev->pRead && CancelRead(pDev))
        RetireTransfer(pDev->pRead);
    else if (pDev->pRead)
        FreeTransfer(pDev->pRead); /* the fresh one nobody has used */
    ReleaseOutput(pDev->pOutput);
    FreeAlarm(pDev->pRumbleAlarm);
    FreeAlarm(pDev->pExtRetryAlarm);
    FreeAlarm(pDev->pStatusAlarm);
    FreeAlarm(pDev->pIrRetryAlarm);
    FreeAlarm(pDev->pMotionRetryAlarm);
    for (WM_ALARM *pAlarm : pDev->apBlinkAlarm)
        FreeAlarm(pAlarm);
    FilterBank(pDev, FILTER_RELEASE, 0);
    FilterBank(pDev, FILTER_RELEASE, pDev->nExtType);
    free(pDev->pszPath);
    free(pDev);
}

static HANDLE OpenWriteHandle(LPCWSTR pszPath)
{
    return g_HidIo.pfnCreateFileW(pszPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                  OPEN_EXISTING, 0, NULL);
}

/*
 * The identity read settles this remote's output path. Write-file comes first for every remote:
 * its wait can be bounded and cut short, and a -TR remote does not answer set-output-report over
 * the usual stack. Set-output-report, a blocking call run on a thread of its own, is kept for
 * stacks that take only that.
 */
static IO_OUTCOME ReadIdentityAndPath(WM_DEVICE *pDev)
{
    IO_OUTCOME outcome = ReadIdentity(pDev);
    if (outcome == IO_DONE)
        return IO_DONE;
    /* The first try's write may still be with the driver: the path cannot change under it. */
    HANDLE hWrite = OpenWriteHandle(pDev->pszPath);
    if (hWrite == INVALID_HANDLE_VALUE)
        return outcome;
    if (!SetOutputPath(pDev->pOutput, WRITE_PATH_SET_REPORT, hWrite)) {
        g_HidIo.pfnCloseHandle(hWrite);
        return outcome;
    }
    pDev->nWritePath = WRITE_PATH_SET_REPORT;
    pDev->bValid = 1;
    outcome = ReadIdentity(pDev);
    if (outcome != IO_DONE)
        pDev->nWritePath = WRITE_PATH_UNKNOWN;
    return outcome;
}

static int CreateAlarms(WM_DEVICE *pDev)
{
    pDev->pRumbleAlarm = CreateAlarm();
    pDev->pExtRetryAlarm = CreateAlarm();
    pDev->pStatusAlarm = CreateAlarm();
    pDev->pIrRetryAlarm = CreateAlarm();
    pDev->pMotionRetryAlarm = CreateAlarm();
    int bAll = pDev->pRumbleAlarm && pDev->pExtRetryAlarm && pDev->pStatusAlarm && pDev->pIrRetryAlarm &&
               pDev->pMotionRetryAlarm;
    for (int i = 0; i < 4; i++) {
        pDev->apBlinkAlarm[i] = CreateAlarm();
        bAll = bAll && pDev->apBlinkAlarm[i];
    }
    return bAll;
}

/* The exchange with a remote that is not yet in its slot: a failure only refuses it. */
static int SetUpRemote(WM_DEVICE *pDev)
{
    /* The status below may arm the extension's retry. */
    if (!CreateAlarms(pDev) || !(pDev->pRead = CreateTransfer()))
        return SetResult(ERROR_NOT_ENOUGH_MEMORY, 0);
    /* Reports queued before the remote was opened are old. */
    g_HidIo.pfnHidD_FlushQueue(pDev->hDevice);
    if (ReadIdentityAndPath(pDev) != IO_DONE || ReadAccelCalibration(pDev) != IO_DONE)
        return 0;
    /* A failed extension identification does not refuse the remote. */
    if (RequestStatus(pDev) == IO_GONE)
        return 0;
    if (DetectMotionPlus(pDev) == IO_GONE)
        return 0;
    /* An extension that could not be identified adds no data to the reports. */
    int bExtData = pDev->nExtType != WMEXT_NONE;
    pDev->dwReport = WMRPT_KEYS | WMRPT_ACCEL | (bExtData ? WMRPT_EXTENSION : 0);
    return SetReportMode(pDev) == IO_DONE;
}

int CreateDevice(int nSlot, HWND hWnd, UINT uMsg, const FOUND_REMOTE *pFound)
{
    WM_DEVICE *pDev = (WM_DEVICE *)calloc(1, sizeof(WM_DEVICE));
    if (!pDev) {
        g_HidIo.pfnCloseHandle(pFound->hDevice);
        return SetResult(ERROR_NOT_ENOUGH_MEMORY, -1);
    }
    pDev->hDevice = pFound->hDevice;
    pDev->wProductId = pFound->wProductId;
    pDev->cbInput = pFound->cbInput;
    pDev->cbOutput = pFound->cbOutput;
    pDev->pszPath = _wcsdup(pFound->pszPath);
    pDev->nIndex = nSlot;
    pDev->nWritePath = WRITE_PATH_WRITE_FILE;
    pDev->dwInputAt = GetTickCount();
    /* The camera is off at power-on, and stays off until a client asks for its dots. */
    ClearIrDots(&pDev->ir);
    ClearMotion(pDev);
    /* From here the output record owns the handle. */
    pDev->pOutput = CreateOutput(pFound->hDevice, pDev->cbOutput ? pDev->cbOutput : REPORT_LENGTH);
    pDev->bValid = 1;
    SetDefaultSystem(pDev);
    if (!pDev->pOutput || !pDev->pszPath || !SetUpRemote(pDev)) {
        DWORD dwError = GetLastError();
        FreeDevice(pDev);
        return SetResult(dwError, -1);
    }

    pDev->bValid = 1;
    pDev->nState = DEVICE_REGISTERED;
    pDev->lConnectParam = 0;
    SetSlotDevice(nSlot, pDev);
    if (hWnd) {
        LONG lSerial = g_Lib.alSlotSerial[nSlot];
        LRESULT lReply = SendMessageW(hWnd, uMsg ? uMsg : WM_MSG_CONNECT_DEFAULT, (WPARAM)nSlot, 0);
        if (g_Lib.alSlotSerial[nSlot] != lSerial)
            return SetResult(WME_REMOVED, -1);
        if (lReply == -1) {
            DestroyDevice(pDev, 1, 0);
            return -1;
        }
    }
    pDev->nState = DEVICE_ACTIVE;
    return nSlot;
}

int DestroyDevice(WM_DEVICE *pDev, int bKeepOutputs, int bNotify)
{
    if (pDev->nState == DEVICE_SETTING_UP)
        return SetResult(WME_CONNECTING, 0);
    int nSlot = pDev->nIndex;
    if (!pDev->bLostNotified) {
        pDev->bLostNotified = 1;
        /* The client may have disconnected it while handling the message: then it is gone. */
        if (bNotify && !SendNotify(nSlot, pDev->system.uMsgLost, (WPARAM)nSlot, (LPARAM)pDev->bValid))
            return 1;
    }
    /* A remote already gone cannot be switched off; once wm_Close's time is spent none is. */
    int bCanSend = pDev->bValid && (!g_Lib.bClosing || (LONG)(g_Lib.dwCloseDeadline - GetTickCount()) > 0);
    if (!bKeepOutputs && bCanSend &&
        (pDev->bRumble || pDev->abLed[0] || pDev->abLed[1] || pDev->abLed[2] || pDev->abLed[3])) {
        pDev->bRumble = 0;
        memset(pDev->abLed, 0, sizeof(pDev->abLed));
        BeginReport(pDev, RPT_OUT_LEDS);
        WriteReport(pDev);
    }
    /* A camera left on would drain the batteries of a remote nobody uses. */
    if (bCanSend && pDev->bValid && pDev->ir.nCamera != WMIR_OFF)
        SwitchCameraOff(pDev);
    /* Left on, the gyro would hide the extension from the next program that opens the remote. */
    if (bCanSend && pDev->bValid)
        SwitchMotionOff(pDev);
    /* At wm_Close the remote also stops streaming: core buttons, sent only when they change. */
    if (g_Lib.bClosing && bCanSend && pDev->bValid) {
        BeginReport(pDev, RPT_OUT_MODE);
        pDev->abOutput[2] = ReportModeFor(0);
        WriteReport(pDev);
    }
    pDev->bValid = 0;
    SetSlotDevice(nSlot, NULL);
    FreeDevice(pDev);
    return 1;
}

void EndLostRemote(int nSlot, LONG lSerial)
{
    WM_DEVICE *pDev = g_Lib.apSlot[nSlot];
    if (pDev && g_Lib.alSlotSerial[nSlot] == lSerial)
        DestroyDevice(pDev, 1, 1);
}
