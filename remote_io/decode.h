/*
 * decode.h - input reports into the remote's record, extensions, and the client's notifications.
 * All functions run under the remote's slot lock.
 */
#ifndef TAVEL_DECODE_H
#define TAVEL_DECODE_H

#include "device.h"

/* The input part of a record, as it was before a data report was decoded. */
typedef struct INPUT_SNAPSHOT {
    BYTE      abKey[KEY_COUNT];
    int       anAccel[3];
    EXT_STATE Ext;
} INPUT_SNAPSHOT;

/* The status fields whose changes the client is told about. */
typedef struct STATUS_SNAPSHOT {
    BYTE  abLed[4];
    int   nRumblePower;
    BYTE  nBattery;
    BYTE  bBatteryOk;
    BYTE  bExtConnected;
    DWORD dwReport;
    int   nExtType;
} STATUS_SNAPSHOT;

void TakeInputSnapshot(const WM_DEVICE *pDev, INPUT_SNAPSHOT *pSnap);
void TakeStatusSnapshot(const WM_DEVICE *pDev, STATUS_SNAPSHOT *pSnap);

int DispatchReport(WM_DEVICE *pDev);
int DecodeStatus(WM_DEVICE *pDev);
int DecodeKeys(WM_DEVICE *pDev);
int DecodeAccel(WM_DEVICE *pDev);
int DecodeExtension(WM_DEVICE *pDev, int nStart);
int IdentifyExtension(WM_DEVICE *pDev);

/* The change masks, exposed for the notifications and their tests. */
DWORD StatusChangeMask(const WM_DEVICE *pDev, const STATUS_SNAPSHOT *pSnap);
void InputChangeMasks(const WM_DEVICE *pDev, const INPUT_SNAPSHOT *pSnap, DWORD adwMask[2]);

int NotifyStatus(WM_DEVICE *pDev, const STATUS_SNAPSHOT *pSnap);
int NotifyInput(WM_DEVICE *pDev, const INPUT_SNAPSHOT *pSnap);

int UpdateDevice(WM_DEVICE *pDev);

#endif
