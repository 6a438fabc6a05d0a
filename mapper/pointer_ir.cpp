/*
 * pointer_ir.cpp - the IR pointer: the sensor bar among the camera's dots, its midpoint as a
 * point on the screen, steadied by the 1-euro filter.
 */
#include <math.h>
#include <string.h>

#include "pointer.h"

#define CAMERA_CENTRE_X  (WM_IR_WIDTH / 2)
#define CAMERA_CENTRE_Y  (WM_IR_HEIGHT / 2)
#define PERCENT          100.0
#define ABSOLUTE_MAX     65535.0
#define MS_PER_SECOND    1000.0
/* A pair is level when its ends differ in height by at most this share of their spread
 * (about 27 degrees), which a bar seen from any sensible angle stays within. */
#define LEVEL_SLOPE      0.5

typedef struct CAMERA_POINT {
    double dX, dY;
} CAMERA_POINT;

/* The seen dots turned by the roll about the camera's centre, which undoes the turn of the
 * picture when the remote lies on its side; the count of them. */
static int SeenDots(const WM_IR *pIr, const WM_KEY *pKey, CAMERA_POINT *aPoint)
{
    double dCos = 1.0, dSin = 0.0;
    if (pKey->nAccX != -1 && pKey->nAccZ != -1 && (pKey->nAccX || pKey->nAccZ)) {
        double dRoll = atan2((double)pKey->nAccX, (double)pKey->nAccZ);
        dCos = cos(dRoll);
        dSin = sin(dRoll);
    }
    int nSeen = 0;
    for (const WM_IR_DOT &dot : pIr->aDot) {
        if (!dot.bSeen)
            continue;
        double dX = dot.nX - CAMERA_CENTRE_X, dY = dot.nY - CAMERA_CENTRE_Y;
        aPoint[nSeen].dX = CAMERA_CENTRE_X + dCos * dX - dSin * dY;
        aPoint[nSeen].dY = CAMERA_CENTRE_Y + dSin * dX + dCos * dY;
        nSeen++;
    }
    return nSeen;
}

int FindSensorBar(const WM_IR *pIr, const WM_KEY *pKey, double *pdSpread, double *pdX, double *pdY)
{
    CAMERA_POINT aPoint[WM_IR_DOTS];
    int nSeen = SeenDots(pIr, pKey, aPoint);
    double dLast = *pdSpread, dBest = -1.0;
    for (int i = 0; i < nSeen; i++) {
        for (int j = i + 1; j < nSeen; j++) {
            double dSpread = fabs(aPoint[i].dX - aPoint[j].dX);
            /* Smaller is better: the distance from the last spread, or the widest first. */
            double dScore = dLast > 0 ? fabs(dSpread - dLast) : WM_IR_WIDTH - dSpread;
            if (fabs(aPoint[i].dY - aPoint[j].dY) > dSpread * LEVEL_SLOPE || (dBest >= 0 && dScore >= dBest))
                continue;
            dBest = dScore;
            *pdSpread = dSpread;
            *pdX = (aPoint[i].dX + aPoint[j].dX) / 2;
            *pdY = (aPoint[i].dY + aPoint[j].dY) / 2;
        }
    }
    if (dBest >= 0)
        return BAR_SEEN;
    return nSeen ? BAR_PART : BAR_NONE;
}

static double Clamp01(double d)
{
    return d < 0 ? 0 : d > 1 ? 1 : d;
}

void CameraToScreen(const POINTER_SETTING *pSetting, double dCamX, double dCamY, double *pdX, double *pdY)
{
    int nArea = pSetting->nArea;
    if (nArea < IR_AREA_MIN || nArea > IR_AREA_MAX)
        nArea = IR_AREA_DEFAULT;
    double dWidth = WM_IR_WIDTH * nArea / PERCENT, dHeight = WM_IR_HEIGHT * nArea / PERCENT;
    double dCentreY = CAMERA_CENTRE_Y + (pSetting->nBarPosition == BAR_BELOW ? dHeight : -dHeight) / 2;
    *pdX = Clamp01(0.5 - (dCamX - CAMERA_CENTRE_X) / dWidth);
    *pdY = Clamp01(0.5 - (dCamY - dCentreY) / dHeight);
}

int TrackIrPointer(IR_POINTER *pIr, const POINTER_SETTING *pSetting, const WM_IR *pCamera, const WM_KEY *pKey,
                   DWORD dwElapsed, LONG *pnX, LONG *pnY)
{
    double dCamX = 0, dCamY = 0;
    /* A camera still starting (or off) says nothing of where the bar is: the point stays. */
    int nBar = pCamera->nCamera == WMIR_ON ? FindSensorBar(pCamera, pKey, &pIr->dSpread, &dCamX, &dCamY) : BAR_PART;
    if (nBar == BAR_NONE) {
        if (pIr->nMissing < IR_MISSING_CYCLES)
            pIr->nMissing++;
        pIr->bOffScreen = pIr->nMissing >= IR_MISSING_CYCLES;
        return 0;
    }
    int bBack = pIr->bOffScreen;
    pIr->nMissing = 0;
    pIr->bOffScreen = 0;
    if (nBar == BAR_PART)
        return 0;
    /* Back in view the bar starts afresh, rather than gliding in from where it was lost. */
    if (bBack || !pIr->bHavePoint)
        memset(pIr->aAxis, 0, sizeof(pIr->aAxis));
    pIr->bHavePoint = 1;
    double dX, dY;
    CameraToScreen(pSetting, dCamX, dCamY, &dX, &dY);
    double dSeconds = dwElapsed / MS_PER_SECOND;
    LONG nX = (LONG)lround(Clamp01(FilterOneEuro(&pIr->aAxis[0], dX, dSeconds)) * ABSOLUTE_MAX);
    LONG nY = (LONG)lround(Clamp01(FilterOneEuro(&pIr->aAxis[1], dY, dSeconds)) * ABSOLUTE_MAX);
    if (pIr->bSent && nX == pIr->nSentX && nY == pIr->nSentY)
        return 0;
    pIr->bSent = 1;
    *pnX = pIr->nSentX = nX;
    *pnY = pIr->nSentY = nY;
    return 1;
}
