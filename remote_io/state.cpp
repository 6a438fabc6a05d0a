/* state.cpp - the exports that read and change one remote's state, or every remote's. */
#include <string.h>

#include "connection.h"
#include "decode.h"
#include "frame.h"
#include "transport.h"

#define MAX_SMOOTHING 500
#define MAX_RUMBLE_POWER 100

typedef IO_OUTCOME (*SLOT_WORK)(WM_DEVICE *pDev, void *pContext);
/* Runs after the slot lock is released (work that touches other remotes). */
typedef void (*AFTER_WORK)(void *pContext);

/*
 * The work on one occupied slot, its lock held. A remote the work found gone is torn down
 * here, with the disconnected message; the result code is the work's own, or WME_IO.
 */
static IO_OUTCOME RunWork(int nSlot, SLOT_WORK pfnWork, void *pContext)
{
    LONG lSerial = g_Lib.alSlotSerial[nSlot];
    IO_OUTCOME outcome = pfnWork(g_Lib.apSlot[nSlot], pContext);
    /* A transfer cut short by wm_Close is no loss: the close switches the remote off itself,
       without the disconnected message. */
    if (outcome == IO_GONE && g_Lib.bInitialized)
        EndLostRemote(nSlot, lSerial);
    else if (g_Lib.apSlot[nSlot] && g_Lib.alSlotSerial[nSlot] == lSerial)
        PublishSlot(nSlot);
    if (outcome == IO_GONE)
        SetLastError(WME_IO);
    /* The step may have to run sooner (a blink, a rumble, polling switched on). */
    WakeWorker();
    return outcome;
}

static int RunOnOneSlot(int nIndex, SLOT_WORK pfnWork, AFTER_WORK pfnAfter, void *pContext)
{
    if (nIndex < 0 || nIndex >= TAVEL_SLOTS)
        return SetResult(WME_BAD_INDEX, 0);
    LockSlot(nIndex);
    WM_DEVICE *pDev = g_Lib.apSlot[nIndex];
    IO_OUTCOME outcome = pDev ? RunWork(nIndex, pfnWork, pContext) : FailWith(WME_NO_DEVICE);
    DWORD dwCode = GetLastError();
    UnlockSlot(nIndex);
    if (pDev && pfnAfter)
        pfnAfter(pContext);
    return outcome == IO_DONE ? SetResult(WME_SUCCESS, 1) : SetResult(dwCode, 0);
}

/* Index -1: a failure on one remote neither stops the loop nor reaches the caller. */
static int RunOnEverySlot(SLOT_WORK pfnWork, AFTER_WORK pfnAfter, void *pContext)
{
    int bAny = 0;
    /* A close asked for inside a notification leaves the other remotes to the close. */
    for (int i = 0; i < TAVEL_SLOTS && g_Lib.bInitialized; i++) {
        LockSlot(i);
        WM_DEVICE *pDev = g_Lib.apSlot[i];
        if (pDev) {
            bAny = 1;
            RunWork(i, pfnWork, pContext);
        }
        UnlockSlot(i);
        if (pDev && pfnAfter)
            pfnAfter(pContext);
    }
    return bAny ? SetResult(WME_SUCCESS, 1) : SetResult(WME_NONE, 0);
}

static int RunExport(int nIndex, int bAllowEvery, SLOT_WORK pfnWork, AFTER_WORK pfnAfter, void *pContext)
{
    if (!EnterCall())
        return 0;
    if (bAllowEvery && nIndex == -1)
        return LeaveCall(RunOnEverySlot(pfnWork, pfnAfter, pContext));
    return LeaveCall(RunOnOneSlot(nIndex, pfnWork, pfnAfter, pContext));
}

/* A getter of a polled remote (or one that needs no transfer) reads the slot's view and never
   waits for a transfer; one of an unpolled remote asks the remote under the slot lock. */
static int RunGetter(int nIndex, int bAlwaysView, SLOT_WORK pfnWork, void *pContext)
{
    if (!EnterCall())
        return 0;
    if (nIndex < 0 || nIndex >= TAVEL_SLOTS)
        return LeaveCall(SetResult(WME_BAD_INDEX, 0));
    WM_DEVICE view;
    if (!ReadSlotView(nIndex, &view))
        return LeaveCall(SetResult(WME_NO_DEVICE, 0));
    if (!bAlwaysView && !view.system.bAutoUpdate)
        return LeaveCall(RunOnOneSlot(nIndex, pfnWork, NULL, pContext));
    IO_OUTCOME outcome = pfnWork(&view, pContext);
    return LeaveCall(outcome == IO_DONE ? SetResult(WME_SUCCESS, 1) : SetResult(GetLastError(), 0));
}

#define EXPORT_PROLOGUE(pRecord)                        \
    if (!(pRecord))                                     \
        return SetResult(g_Lib.bInitialized ? WME_BAD_PARAMETER : WME_NOT_INITIALIZED, 0)

/* A remote nobody polls is read when asked: the queued reports are old, so they are
   dropped and the next data report is read. */
static IO_OUTCOME RefreshInput(WM_DEVICE *pDev)
{
    if (!pDev->bValid)
        return FailWith(WME_IO);
    if (pDev->system.bAutoUpdate)
        return IO_DONE;
    IO_OUTCOME outcome = FlushInput(pDev);
    return outcome == IO_DONE ? ReadDataReport(pDev) : outcome;
}

static IO_OUTCOME GetKeyWork(WM_DEVICE *pDev, void *pContext)
{
    IO_OUTCOME outcome = RefreshInput(pDev);
    if (outcome != IO_DONE)
        return outcome;
    int *anField = (int *)pContext;
    for (int i = 0; i < WM_KEY_FIELDS; i++)
        anField[i] = -1;
    if (pDev->dwReport & WMRPT_KEYS)
        for (int i = 0; i < KEY_COUNT; i++)
            anField[i] = pDev->abKey[i];
    if (pDev->dwReport & WMRPT_ACCEL)
        for (int i = 0; i < 3; i++)
            anField[KEY_COUNT + i] = pDev->anAccel[i];
    return IO_DONE;
}

int TAVEL_API wm_GetKey(int nIndex, WM_KEY *pKey)
{
    EXPORT_PROLOGUE(pKey);
    return RunGetter(nIndex, 0, GetKeyWork, pKey);
}

static void FillNunchuk(const WM_DEVICE *pDev, WM_NUNCHUK_KEYS *pKeys)
{
    const NUNCHUK_STATE *pState = &pDev->Ext.Nunchuk;
    pKeys->nC = pState->bC;
    pKeys->nZ = pState->bZ;
    pKeys->nStickX = pState->anValue[NUN_STICK_X];
    pKeys->nStickY = pState->anValue[NUN_STICK_Y];
    pKeys->nAccX = pState->anValue[NUN_ACC_X];
    pKeys->nAccY = pState->anValue[NUN_ACC_Y];
    pKeys->nAccZ = pState->anValue[NUN_ACC_Z];
}

static void FillClassic(const WM_DEVICE *pDev, WM_KEYEX *pKeyEx)
{
    const CLASSIC_STATE *pState = &pDev->Ext.Classic;
    for (int i = 0; i < CLASSIC_BUTTONS; i++)
        pKeyEx->anField[i] = pState->abButton[i];
    for (int i = 0; i < CLS_VALUES; i++)
        pKeyEx->anField[CLASSIC_BUTTONS + i] = pState->anValue[i];
}

static IO_OUTCOME GetKeyExWork(WM_DEVICE *pDev, void *pContext)
{
    IO_OUTCOME outcome = RefreshInput(pDev);
    if (outcome != IO_DONE)
        return outcome;
    WM_KEYEX *pKeyEx = (WM_KEYEX *)pContext;
    int bReported = (pDev->dwReport & WMRPT_EXTENSION) != 0;
    if (pDev->nExtType == WMEXT_NUNCHUK) {
        /* Fields beyond the Nunchuk view stay as the caller left them. */
        for (int i = 0; i < (int)(sizeof(WM_NUNCHUK_KEYS) / sizeof(int)); i++)
            pKeyEx->anField[i] = -1;
        if (bReported)
            FillNunchuk(pDev, &pKeyEx->Nunchuk);
        return IO_DONE;
    }
    if (pDev->nExtType == WMEXT_CLASSIC || pDev->nExtType == WMEXT_CLASSIC_PRO) {
        for (int i = 0; i < WM_KEYEX_FIELDS; i++)
            pKeyEx->anField[i] = -1;
        if (bReported)
            FillClassic(pDev, pKeyEx);
        return IO_DONE;
    }
    return FailWith(WME_NO_EXTENSION);
}

int TAVEL_API wm_GetKeyEx(int nIndex, WM_KEYEX *pKeyEx)
{
    EXPORT_PROLOGUE(pKeyEx);
    return RunGetter(nIndex, 0, GetKeyExWork, pKeyEx);
}

static IO_OUTCOME GetStatusWork(WM_DEVICE *pDev, void *pContext)
{
    if (!pDev->bValid)
        return FailWith(WME_IO);
    if (!pDev->system.bAutoUpdate) {
        /* A status whose extension could not be identified is still a fresh status. */
        if (FlushInput(pDev) == IO_GONE || RequestStatus(pDev) == IO_GONE)
            return IO_GONE;
    }
    WM_STATUS *pStatus = (WM_STATUS *)pContext;
    DWORD dwFlags = pStatus->dwFlags;
    if (dwFlags & WMST_LED)
        memcpy(pStatus->abLed, pDev->abLed, sizeof(pStatus->abLed));
    if (dwFlags & WMST_RUMBLE)
        pStatus->nRumblePower = pDev->nRumblePower;
    if (dwFlags & WMST_BATTERY) {
        pStatus->bBatteryOk = pDev->bBatteryOk;
        pStatus->nBattery = pDev->nBattery;
    }
    if (dwFlags & WMST_REPORT)
        pStatus->dwReport = pDev->dwReport;
    if (dwFlags & WMST_EXTENSION)
        pStatus->nExtType = pDev->nExtType;
    if (dwFlags & WMST_SPEAKER)
        pStatus->bSpeaker = pDev->bSpeaker;
    if (dwFlags & WMST_IRCAMERA)
        pStatus->bIrCamera = pDev->bIrCamera;
    return IO_DONE;
}

int TAVEL_API wm_GetStatus(int nIndex, WM_STATUS *pStatus)
{
    EXPORT_PROLOGUE(pStatus);
    return RunGetter(nIndex, 0, GetStatusWork, pStatus);
}

/* The worker does not step a remote nobody polls: what is due of its camera and gyro is
   taken up when it is read. */
static IO_OUTCOME CatchUpUnpolled(WM_DEVICE *pDev)
{
    if (pDev->system.bAutoUpdate || !pDev->bValid)
        return IO_DONE;
    return StepPointing(pDev);
}

/* The camera's and the gyro's getters: what is due of an unpolled remote, then its input. */
static IO_OUTCOME RefreshCaughtUp(WM_DEVICE *pDev)
{
    return CatchUpUnpolled(pDev) == IO_GONE ? IO_GONE : RefreshInput(pDev);
}

static IO_OUTCOME GetIrWork(WM_DEVICE *pDev, void *pContext)
{
    IO_OUTCOME outcome = RefreshCaughtUp(pDev);
    if (outcome == IO_DONE)
        *(WM_IR *)pContext = pDev->ir;
    return outcome;
}

int TAVEL_API wm_GetIr(int nIndex, WM_IR *pIr)
{
    EXPORT_PROLOGUE(pIr);
    return RunGetter(nIndex, 0, GetIrWork, pIr);
}

static IO_OUTCOME GetMotionWork(WM_DEVICE *pDev, void *pContext)
{
    IO_OUTCOME outcome = RefreshCaughtUp(pDev);
    if (outcome == IO_DONE)
        *(WM_MOTION *)pContext = pDev->motion;
    return outcome;
}

int TAVEL_API wm_GetMotion(int nIndex, WM_MOTION *pMotion)
{
    EXPORT_PROLOGUE(pMotion);
    return RunGetter(nIndex, 0, GetMotionWork, pMotion);
}

static IO_OUTCOME SetRumble(WM_DEVICE *pDev, const WM_STATUS *pStatus)
{
    if ((DWORD)pStatus->nRumblePower > MAX_RUMBLE_POWER)
        return FailWith(WME_BAD_PARAMETER);
    int nPower = pStatus->nRumblePower;
    pDev->dRumbleAcc = 0;
    pDev->nRumblePower = nPower;
    pDev->bRumble = nPower != 0;
    if (pStatus->dwRumbleTime != 0 && pStatus->dwRumbleTime != WM_RUMBLE_KEEP_ALARM)
        ArmAlarm(pDev->pRumbleAlarm, pStatus->dwRumbleTime);
    /* Worker steps per motor pulse; the motor runs in (89 p + 901) / 9800 of them. */
    pDev->dRumblePeriod = 9800.0 / (89.0 * nPower + 901.0);
    return SetLeds(pDev, pDev->abLed[0], pDev->abLed[1], pDev->abLed[2], pDev->abLed[3], pDev->bRumble);
}

static IO_OUTCOME SetLedStates(WM_DEVICE *pDev, const WM_STATUS *pStatus)
{
    DWORD dwBlink = pStatus->dwBlink;
    if (dwBlink != 0 && dwBlink != WM_BLINK_STEADY) {
        /* Lit bytes start blinking from the LED's current state; the worker toggles them. */
        for (int i = 0; i < 4; i++) {
            if (!pStatus->abLed[i])
                continue;
            pDev->adwBlink[i] = dwBlink;
            ArmAlarm(pDev->apBlinkAlarm[i], dwBlink);
        }
        return IO_DONE;
    }
    for (int i = 0; i < 4; i++)
        pDev->adwBlink[i] = 0;
    return SetLeds(pDev, pStatus->abLed[0], pStatus->abLed[1], pStatus->abLed[2], pStatus->abLed[3],
                   pDev->bRumble);
}

static IO_OUTCOME SetStatusWork(WM_DEVICE *pDev, void *pContext)
{
    const WM_STATUS *pStatus = (const WM_STATUS *)pContext;
    if (!pDev->bValid)
        return FailWith(WME_IO);
    STATUS_SNAPSHOT snap;
    TakeStatusSnapshot(pDev, &snap);
    IO_OUTCOME outcome = IO_DONE;
    if (pStatus->dwFlags & WMST_RUMBLE)
        outcome = SetRumble(pDev, pStatus);
    if (outcome == IO_DONE && (pStatus->dwFlags & WMST_LED))
        outcome = SetLedStates(pDev, pStatus);
    if (outcome == IO_DONE && (pStatus->dwFlags & WMST_REPORT)) {
        pDev->dwReport = pStatus->dwReport;
        outcome = SetReportMode(pDev);
        /* The camera's and the gyro's set-ups are several acknowledged writes each: a polled
           remote's are left to the worker, so this export waits for its own report only. */
        pDev->bPointingDue = outcome == IO_DONE;
        if (outcome == IO_DONE && !pDev->system.bAutoUpdate && FollowPointing(pDev) == IO_GONE)
            outcome = IO_GONE;
    }
    if (outcome != IO_DONE)
        return outcome;
    /* A client that disconnects the remote while told about it has still had its change made. */
    NotifyStatus(pDev, &snap);
    return IO_DONE;
}

int TAVEL_API wm_SetStatus(int nIndex, const WM_STATUS *pStatus)
{
    EXPORT_PROLOGUE(pStatus);
    return RunExport(nIndex, 1, SetStatusWork, NULL, (void *)pStatus);
}

static IO_OUTCOME GetSystemWork(WM_DEVICE *pDev, void *pContext)
{
    WM_SYSTEM *pSystem = (WM_SYSTEM *)pContext;
    DWORD dwFlags = pSystem->dwFlags;
    if (dwFlags & WMSYS_AUTOUPDATE)
        pSystem->bAutoUpdate = pDev->system.bAutoUpdate;
    if (dwFlags & WMSYS_TIMEOUT)
        pSystem->dwTimeout = pDev->system.dwTimeout;
    if (dwFlags & WMSYS_SMOOTHING)
        pSystem->nSmoothing = pDev->system.nSmoothing;
    if (dwFlags & WMSYS_HWND)
        pSystem->hWnd = pDev->system.hWnd;
    if (dwFlags & WMSYS_MESSAGES) {
        pSystem->uMsgStatus = pDev->system.uMsgStatus;
        pSystem->uMsgKey = pDev->system.uMsgKey;
        pSystem->uMsgLost = pDev->system.uMsgLost;
    }
    if (dwFlags & WMSYS_USERVALUE)
        pSystem->dwUserValue = pDev->system.dwUserValue;
    return IO_DONE;
}

int TAVEL_API wm_GetSystem(int nIndex, WM_SYSTEM *pSystem)
{
    EXPORT_PROLOGUE(pSystem);
    return RunGetter(nIndex, 1, GetSystemWork, pSystem);
}

typedef struct SET_SYSTEM_CONTEXT {
    const WM_SYSTEM *pSystem;
    int bSmoothingChanged;
    int nNewSmoothing;
} SET_SYSTEM_CONTEXT;

static int TakeSystemFields(WM_DEVICE *pDev, const WM_SYSTEM *pSystem)
{
    if (!pSystem) {
        if (!pDev->system.bAutoUpdate)
            FlushInput(pDev);
        SetDefaultSystem(pDev);
        return 1;
    }
    DWORD dwFlags = pSystem->dwFlags;
    if (dwFlags & WMSYS_AUTOUPDATE) {
        /* The reports queued while nobody polled are old: the worker starts from fresh ones. */
        if (!pDev->system.bAutoUpdate && pSystem->bAutoUpdate) {
            FlushInput(pDev);
            pDev->dwInputAt = GetTickCount();
        }
        pDev->system.bAutoUpdate = pSystem->bAutoUpdate;
    }
    if (dwFlags & WMSYS_TIMEOUT)
        pDev->system.dwTimeout = pSystem->dwTimeout;
    if (dwFlags & WMSYS_SMOOTHING) {
        if (pSystem->nSmoothing < 0 || pSystem->nSmoothing > MAX_SMOOTHING)
            return SetResult(WME_BAD_PARAMETER, 0);
        pDev->system.nSmoothing = pSystem->nSmoothing;
    }
    if (dwFlags & WMSYS_HWND)
        pDev->system.hWnd = pSystem->hWnd;
    if (dwFlags & WMSYS_MESSAGES) {
        pDev->system.uMsgStatus = pSystem->uMsgStatus;
        pDev->system.uMsgKey = pSystem->uMsgKey;
        pDev->system.uMsgLost = pSystem->uMsgLost;
    }
    if (dwFlags & WMSYS_USERVALUE)
        pDev->system.dwUserValue = pSystem->dwUserValue;
    return 1;
}

static IO_OUTCOME SetSystemWork(WM_DEVICE *pDev, void *pContext)
{
    SET_SYSTEM_CONTEXT *pSet = (SET_SYSTEM_CONTEXT *)pContext;
    int nOld = pDev->system.nSmoothing;
    pSet->bSmoothingChanged = 0;
    if (!TakeSystemFields(pDev, pSet->pSystem))
        return IO_FAILED;
    if (pDev->system.nSmoothing != nOld) {
        pSet->bSmoothingChanged = 1;
        pSet->nNewSmoothing = pDev->system.nSmoothing;
    }
    return IO_DONE;
}

static void RebuildFilters(WM_DEVICE *pDev, int nNewSmoothing)
{
    int nMode = nNewSmoothing != 0 && pDev->system.nSmoothing != 0 ? FILTER_CREATE : FILTER_RELEASE;
    FilterBank(pDev, nMode, 0);
    if (pDev->nExtType >= WMEXT_NUNCHUK && pDev->nExtType <= WMEXT_CLASSIC_PRO)
        FilterBank(pDev, nMode, pDev->nExtType);
}

/* A smoothing change acts on every registered remote, each under its own lock in turn. */
static void AfterSetSystem(void *pContext)
{
    SET_SYSTEM_CONTEXT *pSet = (SET_SYSTEM_CONTEXT *)pContext;
    if (!pSet->bSmoothingChanged)
        return;
    pSet->bSmoothingChanged = 0;
    for (int i = 0; i < TAVEL_SLOTS; i++) {
        LockSlot(i);
        WM_DEVICE *pDev = g_Lib.apSlot[i];
        if (pDev && pDev->nState != DEVICE_SETTING_UP)
            RebuildFilters(pDev, pSet->nNewSmoothing);
        UnlockSlot(i);
    }
}

int TAVEL_API wm_SetSystem(int nIndex, const WM_SYSTEM *pSystem)
{
    SET_SYSTEM_CONTEXT set = {pSystem, 0, 0};
    return RunExport(nIndex, 1, SetSystemWork, AfterSetSystem, &set);
}
