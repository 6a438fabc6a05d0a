/* notify.cpp - telling the client window what changed in a remote's status and input. */
#include <string.h>

#include "decode.h"
#include "frame.h"

#define MASK_ACCEL_X 0x800
#define MASK_NUNCHUK_FIRST_VALUE 2  /* after C and Z */
#define MASK_CLASSIC_FIRST_VALUE 15 /* after the fifteen buttons */

DWORD StatusChangeMask(const WM_DEVICE *pDev, const STATUS_SNAPSHOT *pSnap)
{
    DWORD dwMask = 0;
    if (memcmp(pDev->abLed, pSnap->abLed, sizeof(pSnap->abLed)) != 0)
        dwMask |= WMST_LED;
    if (pDev->nRumblePower != pSnap->nRumblePower)
        dwMask |= WMST_RUMBLE;
    if (pDev->nBattery != pSnap->nBattery || pDev->bBatteryOk != pSnap->bBatteryOk)
        dwMask |= WMST_BATTERY;
    if (pDev->dwReport != pSnap->dwReport)
        dwMask |= WMST_REPORT;
    if (pDev->nExtType != pSnap->nExtType)
        dwMask |= WMST_EXTENSION;
    return dwMask;
}

static DWORD ExtensionChangeMask(const WM_DEVICE *pDev, const INPUT_SNAPSHOT *pSnap)
{
    DWORD dwMask = 0;
    if (pDev->nExtType == WMEXT_NUNCHUK) {
        const NUNCHUK_STATE *pNew = &pDev->Ext.Nunchuk, *pOld = &pSnap->Ext.Nunchuk;
        if (pNew->bC != pOld->bC)
            dwMask |= 1u << 0;
        if (pNew->bZ != pOld->bZ)
            dwMask |= 1u << 1;
        for (int i = 0; i < NUN_VALUES; i++)
            if (pNew->anValue[i] != pOld->anValue[i])
                dwMask |= 1u << (MASK_NUNCHUK_FIRST_VALUE + i);
    } else if (pDev->nExtType == WMEXT_CLASSIC || pDev->nExtType == WMEXT_CLASSIC_PRO) {
        const CLASSIC_STATE *pNew = &pDev->Ext.Classic, *pOld = &pSnap->Ext.Classic;
        for (int i = 0; i < CLASSIC_BUTTONS; i++)
            if (pNew->abButton[i] != pOld->abButton[i])
                dwMask |= 1u << i;
        for (int i = 0; i < CLS_VALUES; i++)
            if (pNew->anValue[i] != pOld->anValue[i])
                dwMask |= 1u << (MASK_CLASSIC_FIRST_VALUE + i);
    }
    return dwMask;
}

void InputChangeMasks(const WM_DEVICE *pDev, const INPUT_SNAPSHOT *pSnap, DWORD adwMask[2])
{
    adwMask[0] = adwMask[1] = 0;
    if (pDev->dwReport & WMRPT_KEYS)
        for (int i = 0; i < KEY_COUNT; i++)
            if (pDev->abKey[i] != pSnap->abKey[i])
                adwMask[0] |= 1u << i;
    if (pDev->dwReport & WMRPT_ACCEL)
        for (int i = 0; i < 3; i++)
            if (pDev->anAccel[i] != pSnap->anAccel[i])
                adwMask[0] |= MASK_ACCEL_X << i;
    if ((pDev->dwReport & WMRPT_IR) && memcmp(pDev->ir.aDot, pSnap->ir.aDot, sizeof(pSnap->ir.aDot)) != 0)
        adwMask[0] |= WMKEY_CHANGED_IR;
    if ((pDev->dwReport & WMRPT_MOTION) && memcmp(&pDev->motion, &pSnap->motion, sizeof(pSnap->motion)) != 0)
        adwMask[0] |= WMKEY_CHANGED_MOTION;
    if (pDev->dwReport & WMRPT_EXTENSION)
        adwMask[1] = ExtensionChangeMask(pDev, pSnap);
}

IO_OUTCOME NotifyStatus(WM_DEVICE *pDev, const STATUS_SNAPSHOT *pSnap)
{
    if (!pDev->system.hWnd || pDev->nState == DEVICE_SETTING_UP)
        return IO_DONE;
    DWORD dwMask = StatusChangeMask(pDev, pSnap);
    if (dwMask == 0)
        return IO_DONE;
    return SendNotify(pDev->nIndex, pDev->system.uMsgStatus, (WPARAM)pDev->nIndex, (LPARAM)dwMask) ? IO_DONE : IO_GONE;
}

IO_OUTCOME NotifyInput(WM_DEVICE *pDev, const INPUT_SNAPSHOT *pSnap)
{
    if (!pDev->system.hWnd || pDev->nState == DEVICE_SETTING_UP)
        return IO_DONE;
    DWORD adwMask[2];
    InputChangeMasks(pDev, pSnap, adwMask);
    if (adwMask[0] == 0 && adwMask[1] == 0)
        return IO_DONE;
    return SendNotify(pDev->nIndex, pDev->system.uMsgKey, (WPARAM)pDev->nIndex, (LPARAM)adwMask) ? IO_DONE : IO_GONE;
}
