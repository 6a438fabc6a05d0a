/* standins.cpp - temporary stand-ins until the protocol and connection code exist. */
#include "frame.h"

#include <stdlib.h>

int UpdateDevice(WM_DEVICE *)
{
    return 1;
}

int SetReportMode(WM_DEVICE *)
{
    return SetResult(WME_IO, 0);
}

int DestroyDevice(WM_DEVICE *pDev, int, int)
{
    if (pDev->nState == DEVICE_SETTING_UP)
        return SetResult(WME_CONNECTING, 0);
    pDev->bValid = 0;
    SetSlotDevice(pDev->nIndex, NULL);
    free(pDev);
    return 1;
}
