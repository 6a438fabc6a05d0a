/* remote_link.cpp - every call Zan makes to the remote library. */
#include "remote_link.h"

#include "program_state.h"
#include "tavel.h"

/* Samples of the library's smoothing per correction level. */
#define SMOOTHING_PER_LEVEL 10

void OpenRemoteLink(void)
{
    wm_Init();
}

void CloseRemoteLink(void)
{
    wm_Close();
}

DWORD GetLibraryVersion(void)
{
    return (DWORD)wm_Version();
}

int ConnectRemotes(HWND hOwner)
{
    return wm_Connect(hOwner, 0);
}

void DisconnectRemotes(void)
{
    wm_Disconnect(-1, 1);
}

int CountRemotes(void)
{
    return wm_Count();
}

int RemoteExists(int nSlot)
{
    return wm_Exist(nSlot) == 1;
}

void SetRemoteLeds(int nSlot, const BYTE abLed[REMOTE_LED_COUNT], DWORD dwBlink)
{
    WM_STATUS status;
    ZeroMemory(&status, sizeof(status));
    status.dwFlags = WMST_LED;
    CopyMemory(status.abLed, abLed, sizeof(status.abLed));
    status.dwBlink = dwBlink;
    wm_SetStatus(nSlot, &status);
}

void PulseRemoteRumble(int nSlot, DWORD dwMs)
{
    WM_STATUS status;
    ZeroMemory(&status, sizeof(status));
    status.dwFlags = WMST_RUMBLE;
    status.nRumblePower = 100;
    status.dwRumbleTime = dwMs;
    wm_SetStatus(nSlot, &status);
}

void SetRemotePolling(int nSlot, int bPolling)
{
    WM_SYSTEM system;
    ZeroMemory(&system, sizeof(system));
    system.dwFlags = WMSYS_AUTOUPDATE;
    system.bAutoUpdate = bPolling;
    wm_SetSystem(nSlot, &system);
}

void TuneRemote(int nSlot, int nCorrectionLevel, DWORD dwTimeout)
{
    WM_SYSTEM system;
    ZeroMemory(&system, sizeof(system));
    system.dwFlags = WMSYS_SMOOTHING | WMSYS_TIMEOUT;
    system.nSmoothing = SMOOTHING_PER_LEVEL * nCorrectionLevel;
    system.dwTimeout = dwTimeout;
    wm_SetSystem(nSlot, &system);
}

void TakeNewRemote(HWND hWnd, int nSlot)
{
    WM_SYSTEM system;
    ZeroMemory(&system, sizeof(system));
    system.dwFlags = WMSYS_AUTOUPDATE | WMSYS_HWND;
    system.bAutoUpdate = 0;
    system.hWnd = hWnd;
    wm_SetSystem(nSlot, &system);
    WM_STATUS status;
    ZeroMemory(&status, sizeof(status));
    status.dwFlags = WMST_REPORT;
    status.dwReport = WMRPT_KEYS | WMRPT_EXTENSION;
    wm_SetStatus(nSlot, &status);
}

/* The report flags the pointer may ask for; the library keeps the extension flag itself. */
#define POINTER_REPORT_FLAGS (WMRPT_ACCEL | WMRPT_IR | WMRPT_MOTION)

void SetRemotePointerReport(int nSlot, DWORD dwPointerFlags)
{
    WM_STATUS status;
    ZeroMemory(&status, sizeof(status));
    status.dwFlags = WMST_REPORT;
    if (wm_GetStatus(nSlot, &status) != 1)
        return;
    DWORD dwReport = (status.dwReport & ~(DWORD)POINTER_REPORT_FLAGS) | (dwPointerFlags & POINTER_REPORT_FLAGS);
    /* Each change sets the remote up again (its camera, its gyro): only a real one is sent. */
    if (dwReport == status.dwReport)
        return;
    status.dwFlags = WMST_REPORT;
    status.dwReport = dwReport;
    wm_SetStatus(nSlot, &status);
}

void SetSlotZeroPolling(int bPolling, const BYTE *pabLed)
{
    WM_SYSTEM system;
    ZeroMemory(&system, sizeof(system));
    if (!wm_GetSystem(0, &system))
        return;
    SetRemotePolling(0, bPolling);
    if (pabLed)
        SetRemoteLeds(0, pabLed, 0);
}

int ReadRemoteBattery(int nSlot, int *pnLevel, int *pbOk)
{
    WM_STATUS status;
    ZeroMemory(&status, sizeof(status));
    status.dwFlags = WMST_BATTERY;
    if (wm_GetStatus(nSlot, &status) != 1)
        return 0;
    *pnLevel = status.nBattery;
    *pbOk = status.bBatteryOk;
    return 1;
}

int ReadExtensionKind(int nSlot, int *pnKind)
{
    WM_STATUS status;
    ZeroMemory(&status, sizeof(status));
    status.dwFlags = WMST_EXTENSION;
    if (wm_GetStatus(nSlot, &status) != 1)
        return 0;
    *pnKind = status.nExtType;
    return 1;
}

/* Only complete records the library handed over replace the copies, and only from the
   remote in use: run and stop also turn on polling of slot 0, which may be another remote. */
int RefreshInputCopies(int nSlot, const DWORD *pdwMasks)
{
    if (!pdwMasks || nSlot != g_State.nSelectedRemote)
        return 0;
    if (pdwMasks[0] & ~(DWORD)(WMKEY_CHANGED_IR | WMKEY_CHANGED_MOTION)) {
        WM_KEY key;
        if (wm_GetKey(nSlot, &key) == 1)
            StoreKeyCopy(&key);
    }
    if (pdwMasks[0] & WMKEY_CHANGED_IR) {
        WM_IR ir;
        if (wm_GetIr(nSlot, &ir) == 1)
            StoreIrCopy(&ir);
    }
    if (pdwMasks[0] & WMKEY_CHANGED_MOTION) {
        WM_MOTION motion;
        if (wm_GetMotion(nSlot, &motion) == 1)
            StoreMotionCopy(&motion);
    }
    if (pdwMasks[1]) {
        WM_KEYEX keyEx;
        if (wm_GetKeyEx(nSlot, &keyEx) == 1)
            StoreExtensionCopy(&keyEx);
    }
    return 1;
}
