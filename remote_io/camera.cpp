/* camera.cpp - switching the remote's IR camera on and off, and decoding its dots. */
#include <string.h>

#include "decode.h"
#include "frame.h"
#include "transport.h"

/* A set-up that fails is repeated this often running before the camera counts as failed. */
#define CAMERA_TRIES 3
/* A failed camera is set up afresh no sooner than this. */
#define CAMERA_RETRY_MS 2000

#define CAMERA_ENABLE_BIT 0x04
#define IR_CONTROL_START 0x01
#define IR_CONTROL_READY 0x08

/* A sensitivity commonly used with a sensor bar at living-room distance. */
static const BYTE g_abSensitivity1[9] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x90, 0x00, 0x41};
static const BYTE g_abSensitivity2[2] = {0x40, 0x00};

#define DOT_COORD_MAX 1023

void ClearIrDots(WM_IR *pIr)
{
    pIr->nDotsSeen = 0;
    for (WM_IR_DOT &dot : pIr->aDot) {
        dot.bSeen = 0;
        dot.nX = dot.nY = dot.nSize = -1;
    }
}

/* The format the camera's mode register must hold for the remote's reporting mode. */
static BYTE CameraFormatFor(const WM_DEVICE *pDev)
{
    BYTE bMode = DeviceReportMode(pDev);
    return bMode == 0x36 || bMode == 0x37 ? WMIR_FORMAT_BASIC : WMIR_FORMAT_EXTENDED;
}

static IO_OUTCOME SendCameraPower(WM_DEVICE *pDev, int bOn)
{
    const BYTE abId[2] = {RPT_OUT_IR_CLOCK, RPT_OUT_IR_POWER};
    for (BYTE bId : abId) {
        BeginReport(pDev, bId);
        if (bOn)
            pDev->abOutput[1] |= CAMERA_ENABLE_BIT;
        IO_OUTCOME outcome = WriteReport(pDev);
        if (outcome != IO_DONE)
            return outcome;
    }
    return IO_DONE;
}

static IO_OUTCOME SetUpCameraOnce(WM_DEVICE *pDev)
{
    BYTE bFormat = CameraFormatFor(pDev);
    IO_OUTCOME outcome = SendCameraPower(pDev, 1);
    if (outcome == IO_DONE)
        outcome = WriteRegister(pDev, ADDR_IR_CONTROL, IR_CONTROL_START);
    if (outcome == IO_DONE)
        outcome = WriteRegisters(pDev, ADDR_IR_SENSITIVITY1, g_abSensitivity1, sizeof(g_abSensitivity1));
    if (outcome == IO_DONE)
        outcome = WriteRegisters(pDev, ADDR_IR_SENSITIVITY2, g_abSensitivity2, sizeof(g_abSensitivity2));
    if (outcome == IO_DONE)
        outcome = WriteRegister(pDev, ADDR_IR_MODE, bFormat);
    if (outcome == IO_DONE)
        outcome = WriteRegister(pDev, ADDR_IR_CONTROL, IR_CONTROL_READY);
    if (outcome == IO_DONE)
        pDev->bIrModeSent = bFormat;
    return outcome;
}

static IO_OUTCOME SetUpCamera(WM_DEVICE *pDev)
{
    pDev->ir.nCamera = WMIR_STARTING;
    ArmAlarm(pDev->pIrRetryAlarm, 0);
    IO_OUTCOME outcome = IO_FAILED;
    for (int nTry = 0; nTry < CAMERA_TRIES && outcome == IO_FAILED; nTry++)
        outcome = SetUpCameraOnce(pDev);
    if (outcome == IO_DONE) {
        pDev->ir.nCamera = WMIR_ON;
        pDev->ir.nFormat = pDev->bIrModeSent;
    } else if (outcome == IO_FAILED) {
        DWORD dwCode = GetLastError();
        pDev->ir.nCamera = WMIR_FAILED;
        ArmAlarm(pDev->pIrRetryAlarm, CAMERA_RETRY_MS);
        SetLastError(dwCode);
    }
    return outcome;
}

IO_OUTCOME SwitchCameraOff(WM_DEVICE *pDev)
{
    ArmAlarm(pDev->pIrRetryAlarm, 0);
    pDev->ir.nCamera = WMIR_OFF;
    pDev->ir.nFormat = WMIR_FORMAT_NONE;
    pDev->bIrModeSent = 0;
    ClearIrDots(&pDev->ir);
    return SendCameraPower(pDev, 0);
}

/*
 * Brings the camera to what dwReport asks. A camera that is on gets its mode register
 * rewritten when the reporting mode moved between the basic and extended formats (an
 * extension came or went); a failed one waits for its retry alarm.
 */
IO_OUTCOME FollowCamera(WM_DEVICE *pDev)
{
    int bWanted = (pDev->dwReport & WMRPT_IR) != 0;
    if (!bWanted)
        return pDev->ir.nCamera == WMIR_OFF ? IO_DONE : SwitchCameraOff(pDev);
    if (pDev->ir.nCamera == WMIR_FAILED && !AlarmFired(pDev->pIrRetryAlarm))
        return IO_DONE;
    if (pDev->ir.nCamera != WMIR_ON)
        return SetUpCamera(pDev);
    BYTE bFormat = CameraFormatFor(pDev);
    if (bFormat == pDev->bIrModeSent)
        return IO_DONE;
    ClearIrDots(&pDev->ir);
    IO_OUTCOME outcome = WriteRegister(pDev, ADDR_IR_MODE, bFormat);
    if (outcome == IO_DONE) {
        pDev->bIrModeSent = bFormat;
        pDev->ir.nFormat = bFormat;
    } else if (outcome == IO_FAILED) {
        outcome = SetUpCamera(pDev);
    }
    return outcome;
}

static void TakeDot(WM_IR_DOT *pDot, int nX, int nY, int nSize)
{
    if (nX == DOT_COORD_MAX && nY == DOT_COORD_MAX) {
        pDot->bSeen = 0;
        pDot->nX = pDot->nY = pDot->nSize = -1;
        return;
    }
    pDot->bSeen = 1;
    pDot->nX = nX;
    pDot->nY = nY;
    pDot->nSize = nSize;
}

/* Extended: three bytes a dot, x and y low bits, then y high (7-6), x high (5-4), size (3-0). */
static void DecodeExtendedDots(WM_IR *pIr, const BYTE *pb)
{
    for (int i = 0; i < WM_IR_DOTS; i++) {
        const BYTE *d = pb + 3 * i;
        TakeDot(&pIr->aDot[i], d[0] | ((d[2] >> 4) & 3) << 8, d[1] | ((d[2] >> 6) & 3) << 8, d[2] & 0x0F);
    }
}

/* Basic: five bytes for two dots, x1, y1, their high bits (y1 x1 y2 x2), x2, y2; no sizes. */
static void DecodeBasicDots(WM_IR *pIr, const BYTE *pb)
{
    for (int nPair = 0; nPair < 2; nPair++) {
        const BYTE *d = pb + 5 * nPair;
        BYTE bHigh = d[2];
        TakeDot(&pIr->aDot[2 * nPair], d[0] | ((bHigh >> 4) & 3) << 8, d[1] | ((bHigh >> 6) & 3) << 8, -1);
        TakeDot(&pIr->aDot[2 * nPair + 1], d[3] | (bHigh & 3) << 8, d[4] | ((bHigh >> 2) & 3) << 8, -1);
    }
}

void DecodeIr(WM_DEVICE *pDev, int nStart, int cbSpace)
{
    WM_IR *pIr = &pDev->ir;
    if (pIr->nCamera != WMIR_ON)
        return;
    const BYTE *pb = pDev->abInput + nStart;
    /* A report whose room does not fit the register's format came before the mode changed. */
    if (pIr->nFormat == WMIR_FORMAT_EXTENDED && cbSpace >= 12)
        DecodeExtendedDots(pIr, pb);
    else if (pIr->nFormat == WMIR_FORMAT_BASIC && cbSpace >= 10 && cbSpace < 12)
        DecodeBasicDots(pIr, pb);
    else
        return;
    pIr->nDotsSeen = 0;
    for (const WM_IR_DOT &dot : pIr->aDot)
        pIr->nDotsSeen += dot.bSeen;
}
