/*
 * slot_value.cpp - the value of a slot from the remote's input: 0 released, else held.
 */
#include <math.h>

#include "engine.h"

#define BUTTON_SCALE       100
#define STICK_DEAD_ZONE    20
#define TRIGGER_THRESHOLD  20

static const double PI = 3.14159265358979323846;

/* WM_KEY's button fields in slot order. */
static int const WM_KEY::*const g_apKeyField[] = {
    &WM_KEY::nA, &WM_KEY::nB, &WM_KEY::nMinus, &WM_KEY::nHome, &WM_KEY::nPlus, &WM_KEY::nOne,
    &WM_KEY::nTwo, &WM_KEY::nUp, &WM_KEY::nDown, &WM_KEY::nLeft, &WM_KEY::nRight,
};

int IsSlotEvaluated(int nSlot, int nExtensionKind)
{
    if (nSlot < SLOT_FIRST_NUNCHUK)
        return 1;
    if (nExtensionKind == WMEXT_NUNCHUK)
        return nSlot < SLOT_FIRST_CLASSIC;
    if (nExtensionKind == WMEXT_CLASSIC || nExtensionKind == WMEXT_CLASSIC_PRO)
        return nSlot >= SLOT_FIRST_CLASSIC;
    /* Without an extension the extension slots act on the last values received. */
    return 1;
}

/* Each direction covers 135 degrees, bounds included, so diagonals press two. */
int GetStickValue(int nDirection, int nX, int nY)
{
    if ((LONGLONG)nX * nX + (LONGLONG)nY * nY < STICK_DEAD_ZONE * STICK_DEAD_ZONE)
        return 0;
    double dAngle = atan2((double)nY, (double)nX);
    if (dAngle < 0)
        dAngle += 2 * PI;
    const double dEighth = PI / 8;
    switch (nDirection) {
    case DIRECTION_UP:
        return dAngle >= dEighth && dAngle <= 7 * dEighth ? nY : 0;
    case DIRECTION_DOWN:
        return dAngle >= 9 * dEighth && dAngle <= 15 * dEighth ? -nY : 0;
    case DIRECTION_LEFT:
        return dAngle >= 5 * dEighth && dAngle <= 11 * dEighth ? -nX : 0;
    case DIRECTION_RIGHT:
        return dAngle >= 13 * dEighth || dAngle <= 3 * dEighth ? nX : 0;
    }
    return 0;
}

int GetSlotValue(int nSlot, const WM_KEY *pKey, const WM_KEYEX *pKeyEx)
{
    const SLOT_SOURCE *pSource = &g_aSlotSource[nSlot];
    switch (pSource->nSource) {
    case SOURCE_KEY:
        /* -1 (not reported) gives -100 and so counts as pressed. */
        return pKey->*g_apKeyField[pSource->nField] * BUTTON_SCALE;
    case SOURCE_KEYEX:
        return pKeyEx->anField[pSource->nField] * BUTTON_SCALE;
    case SOURCE_STICK:
        return GetStickValue(pSource->nDirection, pKeyEx->anField[pSource->nField],
                             pKeyEx->anField[pSource->nFieldY]);
    case SOURCE_TRIGGER: {
        int nValue = pKeyEx->anField[pSource->nField];
        return nValue >= TRIGGER_THRESHOLD ? nValue : 0;
    }
    }
    return 0;
}
