/* extension.cpp - identifying and calibrating the extension plugged into a remote. */
#include <string.h>

#include "decode.h"
#include "frame.h"
#include "transport.h"

/* Reads of an identifier that says "not ready" before identification gives up until the next status. */
#define MAX_NOT_READY_READS 16

static const BYTE g_abIdNunchuk[6] = {0x00, 0x00, 0xA4, 0x20, 0x00, 0x00};
static const BYTE g_abIdClassic[6] = {0x00, 0x00, 0xA4, 0x20, 0x01, 0x01};
static const BYTE g_abIdClassicPro[6] = {0x01, 0x00, 0xA4, 0x20, 0x01, 0x01};
static const BYTE g_abIdNotReady[6] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

/* The PRO reports no usable calibration: its stick ranges are fixed. */
static const BYTE g_abProLeftStick[3] = {60, 6, 32};
static const BYTE g_abProRightStick[3] = {30, 3, 16};
#define TRIGGER_MAX 31

static int KindFromId(const BYTE abId[6])
{
    if (memcmp(abId, g_abIdNunchuk, 6) == 0)
        return WMEXT_NUNCHUK;
    if (memcmp(abId, g_abIdClassic, 6) == 0)
        return WMEXT_CLASSIC;
    if (memcmp(abId, g_abIdClassicPro, 6) == 0)
        return WMEXT_CLASSIC_PRO;
    return WMEXT_NONE;
}

static void FillNunchukCal(NUNCHUK_CAL *pCal, const BYTE c[16])
{
    for (int i = 0; i < 3; i++) {
        pCal->anAccelZero[i] = (short)(c[i] * 4 + ((c[14] >> (2 * i)) & 3));
        pCal->anAccelOne[i] = (short)(c[4 + i] * 4 + ((c[15] >> (2 * i)) & 3));
    }
    pCal->bStickXMax = c[8];
    pCal->bStickXMin = c[9];
    pCal->bStickXCentre = c[10];
    pCal->bStickYMax = c[11];
    pCal->bStickYMin = c[12];
    pCal->bStickYCentre = c[13];
}

static void FillTriggerCal(CLASSIC_CAL *pCal)
{
    for (int i = 0; i < 2; i++) {
        pCal->abTrigger[i][CAL_MAX] = TRIGGER_MAX;
        pCal->abTrigger[i][CAL_MIN] = 0;
    }
}

static void FillClassicCal(CLASSIC_CAL *pCal, const BYTE c[16])
{
    /* Left stick values are 6-bit, right stick values 5-bit, calibrated on an 8-bit scale. */
    for (int nAxis = 0; nAxis < 4; nAxis++) {
        int nShift = nAxis < 2 ? 2 : 3;
        for (int j = 0; j < 3; j++)
            pCal->abStick[nAxis][j] = (BYTE)(c[nAxis * 3 + j] >> nShift);
    }
    FillTriggerCal(pCal);
}

static void FillClassicProCal(CLASSIC_CAL *pCal)
{
    for (int nAxis = 0; nAxis < 4; nAxis++)
        memcpy(pCal->abStick[nAxis], nAxis < 2 ? g_abProLeftStick : g_abProRightStick, 3);
    FillTriggerCal(pCal);
}

static IO_OUTCOME ReadExtensionId(WM_DEVICE *pDev, BYTE abId[6])
{
    for (int nRead = 0; nRead < MAX_NOT_READY_READS; nRead++) {
        IO_OUTCOME outcome = ReadMemory(pDev, ADDR_EXT_ID, abId, 6);
        if (outcome != IO_DONE || memcmp(abId, g_abIdNotReady, 6) != 0)
            return outcome;
    }
    return FailWith(WME_BAD_EXTENSION);
}

/* Sets up the extension's registers, reads its identifier and calibration; the kind is set
   only once all of it has been read. */
static IO_OUTCOME ReadExtension(WM_DEVICE *pDev)
{
    IO_OUTCOME outcome = WriteMemory(pDev, ADDR_EXT_INIT1, 0x55);
    if (outcome == IO_DONE)
        outcome = WriteMemory(pDev, ADDR_EXT_INIT2, 0x00);
    BYTE abId[6];
    if (outcome == IO_DONE)
        outcome = ReadExtensionId(pDev, abId);
    if (outcome != IO_DONE)
        return outcome;

    int nKind = KindFromId(abId);
    if (nKind == WMEXT_NONE) {
        memcpy(pDev->abExtId, abId, sizeof(pDev->abExtId));
        pDev->bExtUnknown = 1;
        return FailWith(WME_BAD_EXTENSION);
    }
    BYTE abCal[16];
    outcome = ReadMemory(pDev, ADDR_EXT_CAL, abCal, sizeof(abCal));
    /* The PRO's calibration bytes are not used: only a lost remote stops it. */
    if (outcome == IO_GONE || (outcome == IO_FAILED && nKind != WMEXT_CLASSIC_PRO))
        return outcome;
    if (nKind == WMEXT_NUNCHUK)
        FillNunchukCal(&pDev->ExtCal.Nunchuk, abCal);
    else if (nKind == WMEXT_CLASSIC)
        FillClassicCal(&pDev->ExtCal.Classic, abCal);
    else
        FillClassicProCal(&pDev->ExtCal.Classic);
    pDev->nExtType = nKind;
    FilterBank(pDev, FILTER_CREATE, nKind);
    return IO_DONE;
}

IO_OUTCOME IdentifyExtension(WM_DEVICE *pDev)
{
    /* Whatever was plugged in before is gone: its state and filters must not outlive it. */
    ClearExtension(pDev);
    return ReadExtension(pDev);
}
