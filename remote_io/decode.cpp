/* decode.cpp - core buttons, accelerometer, status and extension data from input reports. */
#include "decode.h"

#include <string.h>

#include "frame.h"
#include "transport.h"

/* Every handled report carries the core buttons; nExtStart 0 means no extension bytes. */
typedef struct REPORT_LAYOUT {
    BYTE bId;
    BYTE bAccel;
    BYTE nExtStart;
    BYTE nIrStart;
    BYTE cbIr;
} REPORT_LAYOUT;

static const REPORT_LAYOUT g_aLayout[] = {
    {RPT_IN_MEMORY, 0, 0, 0, 0},
    {0x30, 0, 0, 0, 0},
    {0x31, 1, 0, 0, 0},
    {0x32, 0, 3, 0, 0},
    {0x33, 1, 0, 6, 12},
    {0x34, 0, 3, 0, 0},
    {0x35, 1, 6, 0, 0},
    {0x36, 0, 13, 3, 10},
    {0x37, 1, 16, 6, 10},
};

/* Byte and bit of each core button, in abKey order. */
static const BYTE g_abKeyByte[KEY_COUNT] = {2, 2, 2, 2, 1, 2, 2, 1, 1, 1, 1};
static const BYTE g_abKeyBit[KEY_COUNT] = {3, 2, 4, 7, 4, 1, 0, 3, 2, 0, 1};

/* Classic buttons in Ext order: extension byte (4 or 5) and bit; 0 on the wire means pressed. */
static const BYTE g_abClassicByte[CLASSIC_BUTTONS] = {5, 5, 4, 4, 4, 5, 5, 5, 4, 5, 4, 4, 4, 5, 5};
static const BYTE g_abClassicBit[CLASSIC_BUTTONS] = {4, 6, 4, 3, 2, 3, 5, 0, 6, 1, 7, 5, 1, 7, 2};

void TakeInputSnapshot(const WM_DEVICE *pDev, INPUT_SNAPSHOT *pSnap)
{
    memcpy(pSnap->abKey, pDev->abKey, sizeof(pSnap->abKey));
    memcpy(pSnap->anAccel, pDev->anAccel, sizeof(pSnap->anAccel));
    pSnap->Ext = pDev->Ext;
    pSnap->ir = pDev->ir;
    pSnap->motion = pDev->motion;
}

void TakeStatusSnapshot(const WM_DEVICE *pDev, STATUS_SNAPSHOT *pSnap)
{
    memcpy(pSnap->abLed, pDev->abLed, sizeof(pSnap->abLed));
    pSnap->nRumblePower = pDev->nRumblePower;
    pSnap->nBattery = pDev->nBattery;
    pSnap->bBatteryOk = pDev->bBatteryOk;
    pSnap->bExtConnected = pDev->bExtConnected;
    pSnap->dwReport = pDev->dwReport;
    pSnap->nExtType = pDev->nExtType;
}

void DecodeKeys(WM_DEVICE *pDev)
{
    if (!(pDev->dwReport & WMRPT_KEYS))
        return;
    for (int i = 0; i < KEY_COUNT; i++)
        pDev->abKey[i] = (pDev->abInput[g_abKeyByte[i]] >> g_abKeyBit[i]) & 1;
}

/* (raw - zero) * 100 / (one - zero), or the old value when the two points are equal. */
static int ScaleToG(int nRaw, int nZero, int nOne, int nOld, WM_FILTER *pFilter)
{
    if (nOne == nZero)
        return nOld;
    return FilterValue(pFilter, (nRaw - nZero) * 100 / (nOne - nZero));
}

void DecodeAccel(WM_DEVICE *pDev)
{
    if (!(pDev->dwReport & WMRPT_ACCEL))
        return;
    for (int i = 0; i < 3; i++)
        pDev->anAccel[i] = ScaleToG(pDev->abInput[3 + i], pDev->abAccelCal[i], pDev->abAccelCal[3 + i],
                                    pDev->anAccel[i], pDev->apAccelFilter[i]);
}

/* A stick axis about the centre, full deflection about +-100; needs a usable range. */
static int ScaleStick(int nRaw, const BYTE abCal[3], int nOld, WM_FILTER *pFilter)
{
    int nMax = abCal[CAL_MAX], nMin = abCal[CAL_MIN];
    if (nMax == 0 || nMax == nMin)
        return nOld;
    return FilterValue(pFilter, (nRaw - abCal[CAL_CENTRE]) * 200 / (nMax - nMin));
}

static int ScaleTrigger(int nRaw, const BYTE abCal[2], int nOld, WM_FILTER *pFilter)
{
    int nMax = abCal[CAL_MAX], nMin = abCal[CAL_MIN];
    if (nMax == 0 || nMax == nMin)
        return nOld;
    return FilterValue(pFilter, (nRaw - nMin) * 100 / (nMax - nMin));
}

static void DecodeNunchuk(WM_DEVICE *pDev, const BYTE *e)
{
    NUNCHUK_STATE *pState = &pDev->Ext.Nunchuk;
    const NUNCHUK_CAL *pCal = &pDev->ExtCal.Nunchuk;
    BYTE abX[3] = {pCal->bStickXMax, pCal->bStickXMin, pCal->bStickXCentre};
    BYTE abY[3] = {pCal->bStickYMax, pCal->bStickYMin, pCal->bStickYCentre};
    int *an = pState->anValue;
    an[NUN_STICK_X] = ScaleStick(e[0], abX, an[NUN_STICK_X], pState->apFilter[NUN_STICK_X]);
    an[NUN_STICK_Y] = ScaleStick(e[1], abY, an[NUN_STICK_Y], pState->apFilter[NUN_STICK_Y]);
    for (int i = 0; i < 3; i++) {
        int nSample = e[2 + i] * 4 + ((e[5] >> (2 + 2 * i)) & 3);
        an[NUN_ACC_X + i] = ScaleToG(nSample, pCal->anAccelZero[i], pCal->anAccelOne[i],
                                     an[NUN_ACC_X + i], pState->apFilter[NUN_ACC_X + i]);
    }
    pState->bC = (e[5] & 0x02) ? 0 : 1;
    pState->bZ = (e[5] & 0x01) ? 0 : 1;
}

static void DecodeClassic(WM_DEVICE *pDev, const BYTE *e)
{
    CLASSIC_STATE *pState = &pDev->Ext.Classic;
    const CLASSIC_CAL *pCal = &pDev->ExtCal.Classic;
    int anRaw[CLS_VALUES];
    anRaw[CLS_LX] = e[0] & 0x3F;
    anRaw[CLS_LY] = e[1] & 0x3F;
    anRaw[CLS_RX] = ((e[0] >> 6) & 3) << 3 | ((e[1] >> 6) & 3) << 1 | ((e[2] >> 7) & 1);
    anRaw[CLS_RY] = e[2] & 0x1F;
    anRaw[CLS_LT] = ((e[2] >> 5) & 3) << 3 | ((e[3] >> 5) & 7);
    anRaw[CLS_RT] = e[3] & 0x1F;

    int *an = pState->anValue;
    for (int i = CLS_LX; i <= CLS_RY; i++)
        an[i] = ScaleStick(anRaw[i], pCal->abStick[i], an[i], pState->apFilter[i]);
    for (int i = CLS_LT; i <= CLS_RT; i++)
        an[i] = ScaleTrigger(anRaw[i], pCal->abTrigger[i - CLS_LT], an[i], pState->apFilter[i]);
    for (int i = 0; i < CLASSIC_BUTTONS; i++)
        pState->abButton[i] = ((e[g_abClassicByte[i]] >> g_abClassicBit[i]) & 1) ? 0 : 1;
}

IO_OUTCOME DecodeExtension(WM_DEVICE *pDev, int nStart)
{
    /* All 0xFF: the extension is not answering (unplugged or not yet set up). */
    int bAllFF = 1;
    for (int i = nStart; i < REPORT_LENGTH; i++)
        if (pDev->abInput[i] != 0xFF)
            bAllFF = 0;
    if (bAllFF)
        return IO_DONE;
    BYTE *e = pDev->abInput + nStart;
    /* With the gyro on, its frames and the extension's take turns in these bytes. */
    if (TakeMotionFrame(pDev, e) || !(pDev->dwReport & WMRPT_EXTENSION))
        return IO_DONE;
    if (pDev->nExtType < WMEXT_NONE || pDev->nExtType > WMEXT_CLASSIC_PRO)
        return FailWith(WME_BAD_EXTENSION);

    if (pDev->nExtType == WMEXT_NUNCHUK)
        DecodeNunchuk(pDev, e);
    else if (pDev->nExtType != WMEXT_NONE)
        DecodeClassic(pDev, e);
    return IO_DONE;
}

void ClearExtension(WM_DEVICE *pDev)
{
    if (pDev->nExtType >= WMEXT_NUNCHUK && pDev->nExtType <= WMEXT_CLASSIC_PRO)
        FilterBank(pDev, FILTER_RELEASE, pDev->nExtType);
    memset(&pDev->Ext, 0, sizeof(pDev->Ext));
    pDev->nExtType = WMEXT_NONE;
}

static IO_OUTCOME SetExtensionReporting(WM_DEVICE *pDev, int bOn)
{
    if (bOn)
        pDev->dwReport |= WMRPT_EXTENSION;
    else
        pDev->dwReport &= ~(DWORD)WMRPT_EXTENSION;
    return SetReportMode(pDev);
}

/* An extension that fails to answer is read again no sooner than this. */
#define EXT_RETRY_MS 1000

/*
 * The extension came or went with this status report, or its retry is due. An identification
 * that failed on the way is tried again at the first status report after EXT_RETRY_MS, until
 * the extension is unplugged (each try is several transfers); an identifier this library does
 * not decode is remembered until the extension is unplugged, and the remote reports without
 * extension data meanwhile.
 */
static IO_OUTCOME IdentifyChangedExtension(WM_DEVICE *pDev)
{
    pDev->bExtUnknown = 0;
    ArmAlarm(pDev->pExtRetryAlarm, 0);
    /* An active gyro answers as the extension: identifying it would switch it off. */
    if (pDev->motion.nState == WMMP_ON)
        return SetReportMode(pDev);
    IO_OUTCOME outcome = SetExtensionReporting(pDev, pDev->bExtConnected);
    /* The camera's format follows the reporting mode; a camera that fails is its own matter. */
    if (outcome == IO_DONE && FollowCamera(pDev) == IO_GONE)
        return IO_GONE;
    if (outcome != IO_DONE)
        return outcome;
    if (DetectMotionPlus(pDev) == IO_GONE)
        return IO_GONE;
    if (!pDev->bExtConnected) {
        ClearExtension(pDev);
        return IO_DONE;
    }
    outcome = IdentifyExtension(pDev);
    if (outcome != IO_FAILED)
        return outcome;
    DWORD dwCode = GetLastError();
    if (!pDev->bExtUnknown)
        ArmAlarm(pDev->pExtRetryAlarm, EXT_RETRY_MS);
    else if (SetExtensionReporting(pDev, 0) == IO_GONE)
        return IO_GONE;
    SetLastError(dwCode);
    return IO_FAILED;
}

/* A MotionPlus found with the change, or switched off to let an extension behind it be
   identified, is activated once that extension's kind is known (not while its retry waits). */
static IO_OUTCOME ExtensionChanged(WM_DEVICE *pDev)
{
    IO_OUTCOME outcome = IdentifyChangedExtension(pDev);
    DWORD dwCode = GetLastError();
    if (outcome == IO_GONE)
        return IO_GONE;
    if (pDev->motion.nState != WMMP_NONE && AlarmLeft(pDev->pExtRetryAlarm) == INFINITE &&
        FollowMotion(pDev) == IO_GONE)
        return IO_GONE;
    SetLastError(dwCode);
    return outcome;
}

/* A failed identification still counts as a decoded status: the remote keeps working without
   extension data, and the client hears about the status. */
IO_OUTCOME DecodeStatus(WM_DEVICE *pDev)
{
    STATUS_SNAPSHOT snap;
    TakeStatusSnapshot(pDev, &snap);
    BYTE bFlags = pDev->abInput[3];
    pDev->nBattery = pDev->abInput[6];
    pDev->bBatteryOk = (bFlags & 0x01) ? 0 : 1;
    pDev->bExtConnected = (bFlags >> 1) & 1;
    pDev->bSpeaker = (bFlags >> 2) & 1;
    pDev->bIrCamera = (bFlags >> 3) & 1;
    for (int i = 0; i < 4; i++)
        pDev->abLed[i] = (bFlags >> (4 + i)) & 1;

    IO_OUTCOME outcome = IO_DONE;
    if (pDev->bExtConnected != snap.bExtConnected || AlarmFired(pDev->pExtRetryAlarm))
        outcome = ExtensionChanged(pDev);
    if (outcome == IO_GONE)
        return IO_GONE;
    DWORD dwCode = GetLastError();
    if (NotifyStatus(pDev, &snap) == IO_GONE)
        return IO_GONE;
    if (outcome == IO_FAILED)
        SetLastError(dwCode);
    return outcome;
}

IO_OUTCOME DispatchReport(WM_DEVICE *pDev)
{
    BYTE bId = pDev->abInput[0];
    INPUT_SNAPSHOT snap;
    TakeInputSnapshot(pDev, &snap);

    IO_OUTCOME outcome = IO_DONE;
    if (bId == RPT_IN_STATUS) {
        outcome = DecodeStatus(pDev);
    } else {
        const REPORT_LAYOUT *pLayout = NULL;
        for (const REPORT_LAYOUT &layout : g_aLayout)
            if (layout.bId == bId)
                pLayout = &layout;
        if (!pLayout)
            return FailWith(WME_BAD_PARAMETER); /* not a report this library handles */
        DecodeKeys(pDev);
        if (pLayout->bAccel)
            DecodeAccel(pDev);
        if (pLayout->cbIr)
            DecodeIr(pDev, pLayout->nIrStart, pLayout->cbIr);
        if (pLayout->nExtStart)
            outcome = DecodeExtension(pDev, pLayout->nExtStart);
    }
    if (outcome != IO_DONE)
        return outcome;
    return NotifyInput(pDev, &snap);
}
