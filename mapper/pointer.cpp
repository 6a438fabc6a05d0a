/*
 * pointer.cpp - the slots and reports a set's pointer uses, and the gyro's rates as pointer
 * motion.
 */
#include <stdlib.h>

#include "pointer.h"

#define CENTIDEGREES   100.0
#define MS_PER_SECOND  1000.0

int PointerUseOfSlot(const ASSIGNMENT_SET *pSet, int nSlot)
{
    const POINTER_SETTING *pPointer = &pSet->Pointer;
    if (nSlot < 0 || nSlot >= ASSIGN_SLOTS)
        return POINTER_USE_NONE;
    if (pPointer->nMode == POINTER_IR && pPointer->nOffScreenSlot == nSlot)
        return POINTER_USE_OFFSCREEN;
    if (pPointer->nMode == POINTER_GYRO && pPointer->nHoldSlot == nSlot)
        return POINTER_USE_HOLD;
    return POINTER_USE_NONE;
}

DWORD PointerReportFlags(const ASSIGNMENT_SET *pSet)
{
    switch (pSet->Pointer.nMode) {
    case POINTER_IR:
        /* The accelerometer tells the roll that turns the camera's picture. */
        return WMRPT_ACCEL | WMRPT_IR;
    case POINTER_GYRO:
        return WMRPT_MOTION;
    }
    return 0;
}

static double DegreesPerSecond(int nRate)
{
    return abs(nRate) < GYRO_DEAD_BAND ? 0.0 : nRate / CENTIDEGREES;
}

/* The whole pixels of *pdRest, towards zero; the fraction stays for the next cycle. */
static LONG TakeWholePixels(double *pdRest)
{
    LONG nWhole = (LONG)*pdRest;
    *pdRest -= nWhole;
    return nWhole;
}

int TrackGyroPointer(GYRO_POINTER *pGyro, const WM_MOTION *pMotion, int nSpeed, DWORD dwElapsed,
                     LONG *pnDx, LONG *pnDy)
{
    *pnDx = *pnDy = 0;
    if (pMotion->nState != WMMP_ON || !pMotion->bCalibrated) {
        pGyro->dRestX = pGyro->dRestY = 0;
        return 0;
    }
    if (nSpeed < GYRO_SPEED_MIN || nSpeed > GYRO_SPEED_MAX)
        nSpeed = GYRO_SPEED_DEFAULT;
    double dPixels = GYRO_PIXELS_PER_DEGREE * nSpeed * dwElapsed / MS_PER_SECOND;
    double dYaw = DegreesPerSecond(pMotion->nYaw), dPitch = DegreesPerSecond(pMotion->nPitch);
    pGyro->dRestX -= dYaw * dPixels;
    pGyro->dRestY -= dPitch * dPixels;
    *pnDx = TakeWholePixels(&pGyro->dRestX);
    *pnDy = TakeWholePixels(&pGyro->dRestY);
    return dYaw != 0 || dPitch != 0;
}
