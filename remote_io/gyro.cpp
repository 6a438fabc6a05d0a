/* gyro.cpp - finding a MotionPlus, switching its gyro on and off, its rates and rest bias. */
#include <stdlib.h>
#include <string.h>

#include "decode.h"
#include "frame.h"
#include "transport.h"

#define MP_INIT_VALUE 0x55
#define MP_MODE_ALONE 0x04
#define MP_MODE_NUNCHUK 0x05
#define MP_MODE_CLASSIC 0x07

/* The raw reading of an axis at rest, and about this many raw units a degree a second in the
   slow range; the fast range spans 2000 degrees a second where the slow one spans 440. */
#define GYRO_ZERO 8192
#define GYRO_UNITS_PER_DEG 20
#define GYRO_FAST_NUM 2000
#define GYRO_FAST_DEN 440
/* The remote lies still while every axis stays this close to its mean (1.5 deg/s, raw) ... */
#define STILL_BAND (GYRO_UNITS_PER_DEG * 3 / 2)
/* ... for this long, with at least this many samples. */
#define STILL_MS 1000
#define STILL_MIN_SAMPLES 20
/* A steady turn is not rest: a mean further than this from the nominal zero (10 deg/s) is
   never taken as the bias. */
#define BIAS_LIMIT (GYRO_UNITS_PER_DEG * 10)

/* Frames carry this bit of byte 5 when they are the gyro's, not the extension's. */
#define FRAME_GYRO_BIT 0x02
/* An extension coming or going behind the gyro is followed no more often than this. */
#define REPLUG_MS 1000
/* Neither plugged nor unplugged: the next status changes it. */
#define EXT_UNKNOWN 0xFF
/* A failed activation is tried again, and a remote without a MotionPlus looked at again (one
   plugged in alone sends no status), this often while a client asks for the gyro. */
#define MOTION_RETRY_MS 2000

static const BYTE g_abMotionPlusTail[4] = {0xA6, 0x20, 0x00, 0x05};

static void RestartStill(WM_DEVICE *pDev)
{
    pDev->dwStillFrom = ClockNow();
    pDev->nStillCount = 0;
    memset(pDev->alStillSum, 0, sizeof(pDev->alStillSum));
}

void ClearMotion(WM_DEVICE *pDev)
{
    memset(&pDev->motion, 0, sizeof(pDev->motion));
    pDev->motion.nState = WMMP_NONE;
    pDev->bMotionMode = 0;
    for (int &nBias : pDev->anGyroBias)
        nBias = GYRO_ZERO;
    RestartStill(pDev);
}

/* Only a MotionPlus not yet active answers there; one that is active keeps its state. */
IO_OUTCOME DetectMotionPlus(WM_DEVICE *pDev)
{
    if (pDev->motion.nState == WMMP_STARTING || pDev->motion.nState == WMMP_ON)
        return IO_DONE;
    BYTE abId[6];
    IO_OUTCOME outcome = ReadMemory(pDev, ADDR_MP_ID, abId, sizeof(abId));
    if (outcome == IO_GONE)
        return outcome;
    int bFound = outcome == IO_DONE && memcmp(abId + 2, g_abMotionPlusTail, 4) == 0;
    pDev->motion.nState = bFound ? WMMP_OFF : WMMP_NONE;
    return bFound ? IO_DONE : FailWith(WME_NO_EXTENSION);
}

static BYTE MotionModeFor(const WM_DEVICE *pDev)
{
    if (pDev->nExtType == WMEXT_NUNCHUK)
        return MP_MODE_NUNCHUK;
    if (pDev->nExtType == WMEXT_CLASSIC || pDev->nExtType == WMEXT_CLASSIC_PRO)
        return MP_MODE_CLASSIC;
    return MP_MODE_ALONE;
}

/* The extension behind the gyro keeps its kind and calibration: it reports in pass-through. */
static IO_OUTCOME ActivateMotion(WM_DEVICE *pDev)
{
    ArmAlarm(pDev->pMotionRetryAlarm, 0);
    pDev->motion.nState = WMMP_STARTING;
    BYTE bMode = MotionModeFor(pDev);
    IO_OUTCOME outcome = WriteRegister(pDev, ADDR_MP_INIT, MP_INIT_VALUE);
    if (outcome == IO_DONE)
        outcome = WriteRegister(pDev, ADDR_MP_ACTIVATE, bMode);
    if (outcome == IO_DONE) {
        pDev->bMotionMode = bMode;
        pDev->motion.nState = WMMP_ON;
        RestartStill(pDev);
        return SetReportMode(pDev);
    }
    if (outcome == IO_FAILED) {
        DWORD dwCode = GetLastError();
        pDev->motion.nState = WMMP_OFF;
        ArmAlarm(pDev->pMotionRetryAlarm, MOTION_RETRY_MS);
        SetLastError(dwCode);
    }
    return outcome;
}

/* Writing the extension's first set-up byte switches the gyro off and brings the extension
   behind it back. The status the remote sends then may have been passed over while the write
   waited for its acknowledgement: a fresh one, taken as a change whatever it says, identifies
   the extension afresh or clears it. */
static IO_OUTCOME DeactivateMotion(WM_DEVICE *pDev)
{
    IO_OUTCOME outcome = WriteRegister(pDev, ADDR_EXT_INIT1, MP_INIT_VALUE);
    if (outcome == IO_GONE)
        return outcome;
    pDev->motion.nState = WMMP_OFF;
    pDev->bMotionMode = 0;
    pDev->bExtConnected = EXT_UNKNOWN;
    return RequestStatus(pDev) == IO_GONE ? IO_GONE : IO_DONE;
}

/* Switched off, the gyro comes back once the status that follows has identified the extension
   behind it, in the mode that passes that one through. */
IO_OUTCOME ReplugMotion(WM_DEVICE *pDev)
{
    pDev->bMotionReplug = 0;
    pDev->dwMotionReplugAt = ClockNow();
    /* Switched off meanwhile: the extension was identified as the gyro went. */
    if (pDev->motion.nState != WMMP_ON)
        return IO_DONE;
    return DeactivateMotion(pDev);
}

IO_OUTCOME FollowMotion(WM_DEVICE *pDev)
{
    int nState = pDev->motion.nState;
    int bActive = nState == WMMP_ON || nState == WMMP_STARTING;
    if (!(pDev->dwReport & WMRPT_MOTION)) {
        ArmAlarm(pDev->pMotionRetryAlarm, 0);
        return bActive ? DeactivateMotion(pDev) : IO_DONE;
    }
    int bWaiting = AlarmLeft(pDev->pMotionRetryAlarm) != INFINITE;
    if (bActive || (bWaiting && !AlarmFired(pDev->pMotionRetryAlarm)))
        return IO_DONE;
    /* None found at connection or the last extension change: looked for when the wait is over. */
    if (nState == WMMP_NONE) {
        IO_OUTCOME outcome = bWaiting ? DetectMotionPlus(pDev) : IO_FAILED;
        if (outcome == IO_GONE)
            return IO_GONE;
        if (outcome != IO_DONE) {
            ArmAlarm(pDev->pMotionRetryAlarm, MOTION_RETRY_MS);
            return IO_DONE;
        }
    }
    return ActivateMotion(pDev);
}

void SwitchMotionOff(WM_DEVICE *pDev)
{
    ArmAlarm(pDev->pMotionRetryAlarm, 0);
    if (pDev->motion.nState != WMMP_ON && pDev->motion.nState != WMMP_STARTING)
        return;
    WriteMemory(pDev, ADDR_EXT_INIT1, MP_INIT_VALUE);
    pDev->motion.nState = WMMP_OFF;
    pDev->bMotionMode = 0;
}

/* Raw minus bias in hundredths of a degree a second, by the axis's range. */
static int ScaleRate(int nRaw, int nBias, int bFast)
{
    long lRate = (long)(nRaw - nBias) * 100 / GYRO_UNITS_PER_DEG;
    return (int)(bFast ? lRate * GYRO_FAST_NUM / GYRO_FAST_DEN : lRate);
}

/* A still spell as long as STILL_MS gives the bias its mean; any axis leaving its band, or
   a fast axis, starts the spell afresh. */
static void MeasureStill(WM_DEVICE *pDev, const int anRaw[3], int bAnyFast)
{
    int bInBand = !bAnyFast;
    for (int i = 0; i < 3 && bInBand && pDev->nStillCount > 0; i++)
        bInBand = abs(anRaw[i] - (int)(pDev->alStillSum[i] / pDev->nStillCount)) <= STILL_BAND;
    if (!bInBand)
        RestartStill(pDev);
    if (bAnyFast)
        return;
    for (int i = 0; i < 3; i++)
        pDev->alStillSum[i] += anRaw[i];
    pDev->nStillCount++;
    if (ClockNow() - pDev->dwStillFrom < STILL_MS || pDev->nStillCount < STILL_MIN_SAMPLES)
        return;
    int anMean[3];
    int bPlausible = 1;
    for (int i = 0; i < 3; i++) {
        anMean[i] = (int)(pDev->alStillSum[i] / pDev->nStillCount);
        bPlausible = bPlausible && abs(anMean[i] - GYRO_ZERO) <= BIAS_LIMIT;
    }
    RestartStill(pDev);
    if (!bPlausible)
        return;
    memcpy(pDev->anGyroBias, anMean, sizeof(anMean));
    pDev->motion.bCalibrated = 1;
}

static void DecodeGyro(WM_DEVICE *pDev, const BYTE *e)
{
    /* Yaw, roll, pitch: 14 bits each, the high six in bytes 3..5 above their slow flags. */
    int anRaw[3];
    for (int i = 0; i < 3; i++)
        anRaw[i] = e[i] | (e[3 + i] >> 2) << 8;
    int bYawFast = !(e[3] & 0x02), bPitchFast = !(e[3] & 0x01), bRollFast = !(e[4] & 0x02);
    MeasureStill(pDev, anRaw, bYawFast || bPitchFast || bRollFast);
    /* An extension this library does not decode stays behind a gyro reporting alone. */
    int bBehind = e[4] & 0x01, bPassing = pDev->bMotionMode != MP_MODE_ALONE;
    if (bBehind != bPassing && !(bBehind && pDev->bExtUnknown) && ClockNow() - pDev->dwMotionReplugAt >= REPLUG_MS)
        pDev->bMotionReplug = 1;
    WM_MOTION *pMotion = &pDev->motion;
    pMotion->bYawFast = bYawFast;
    pMotion->bRollFast = bRollFast;
    pMotion->bPitchFast = bPitchFast;
    pMotion->nYaw = ScaleRate(anRaw[0], pDev->anGyroBias[0], bYawFast);
    pMotion->nRoll = ScaleRate(anRaw[1], pDev->anGyroBias[1], bRollFast);
    pMotion->nPitch = ScaleRate(anRaw[2], pDev->anGyroBias[2], bPitchFast);
}

/* A Nunchuk frame in pass-through: C and Z move to bits 3 and 2 of byte 5, and the lowest
   accelerometer bit of each axis (and the two lowest of Z) make room; they read 0. */
static void UnpackNunchuk(BYTE *e)
{
    int nAccX = e[2] << 2 | ((e[5] >> 4) & 1) << 1;
    int nAccY = e[3] << 2 | ((e[5] >> 5) & 1) << 1;
    int nAccZ = (e[4] & 0xFE) << 2 | ((e[5] >> 6) & 3) << 1;
    BYTE bZ = (e[5] >> 2) & 1, bC = (e[5] >> 3) & 1;
    e[2] = (BYTE)(nAccX >> 2);
    e[3] = (BYTE)(nAccY >> 2);
    e[4] = (BYTE)(nAccZ >> 2);
    e[5] = (BYTE)(bZ | bC << 1 | (nAccX & 3) << 2 | (nAccY & 3) << 4 | (nAccZ & 3) << 6);
}

/* A Classic frame in pass-through: Up and Left move to bit 0 of bytes 0 and 1, which lose the
   lowest bit of the left stick. */
static void UnpackClassic(BYTE *e)
{
    BYTE bUp = e[0] & 1, bLeft = e[1] & 1;
    e[0] &= 0xFE;
    e[1] &= 0xFE;
    e[4] |= 0x01;
    e[5] = (BYTE)((e[5] & 0xFC) | bUp | bLeft << 1);
}

int TakeMotionFrame(WM_DEVICE *pDev, BYTE *e)
{
    if (pDev->motion.nState != WMMP_ON)
        return 0;
    if (e[5] & FRAME_GYRO_BIT) {
        DecodeGyro(pDev, e);
        return 1;
    }
    if (pDev->bMotionMode == MP_MODE_NUNCHUK)
        UnpackNunchuk(e);
    else if (pDev->bMotionMode == MP_MODE_CLASSIC)
        UnpackClassic(e);
    return 0;
}
