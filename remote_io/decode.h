/*
 * decode.h - input reports into the remote's record, extensions, and the client's notifications.
 * All functions run under the remote's slot lock. One report goes ReadReport (transport.cpp)
 * -> DispatchReport -> the decoders -> NotifyStatus / NotifyInput (notify.cpp) -> SendNotify.
 */
#ifndef TAVEL_DECODE_H
#define TAVEL_DECODE_H

#include "device.h"
#include "transport.h"

/* The input part of a record, as it was before a data report was decoded. */
typedef struct INPUT_SNAPSHOT {
    BYTE      abKey[KEY_COUNT];
    int       anAccel[3];
    EXT_STATE Ext;
    WM_IR     ir;
    WM_MOTION motion;
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

/* Decodes abInput by its id. IO_FAILED for an id this library does not handle. */
IO_OUTCOME DispatchReport(WM_DEVICE *pDev);
IO_OUTCOME DecodeStatus(WM_DEVICE *pDev);
void DecodeKeys(WM_DEVICE *pDev);
void DecodeAccel(WM_DEVICE *pDev);
IO_OUTCOME DecodeExtension(WM_DEVICE *pDev, int nStart);
/* On IO_FAILED the remote is left without an extension: kind 0, Ext and filters cleared. */
IO_OUTCOME IdentifyExtension(WM_DEVICE *pDev);
/* Releases the extension's filters and clears its state and kind. */
void ClearExtension(WM_DEVICE *pDev);

/* The camera (camera.cpp): every dot absent; the camera brought to what dwReport asks
   (IO_FAILED once its set-up failed three times running); the dots of a data report's nStart
   byte on, cbSpace bytes of room. */
void ClearIrDots(WM_IR *pIr);
IO_OUTCOME FollowCamera(WM_DEVICE *pDev);
IO_OUTCOME SwitchCameraOff(WM_DEVICE *pDev);
void DecodeIr(WM_DEVICE *pDev, int nStart, int cbSpace);

/* The MotionPlus (gyro.cpp): its record reset (WMMP_NONE); looked for (IO_FAILED is not an
   error: there is none); switched on or off as dwReport asks, a failed activation and a
   missing MotionPlus tried again on pMotionRetryAlarm; and the six extension bytes of
   a data report taken: 1 when they were the gyro's or were rewritten in place to the plain
   layout of the extension behind it, which is then decoded as usual. */
void ClearMotion(WM_DEVICE *pDev);
IO_OUTCOME DetectMotionPlus(WM_DEVICE *pDev);
IO_OUTCOME FollowMotion(WM_DEVICE *pDev);
/* The camera and the gyro brought to dwReport (bPointingDue); a failed set-up shows in its
   getter, so only IO_GONE reaches the caller. */
IO_OUTCOME FollowPointing(WM_DEVICE *pDev);
/* What is due of the camera and the gyro at a step: a dwReport change, the camera's retry,
   the gyro's new pass-through mode, its retry or search; IO_GONE or IO_DONE. */
IO_OUTCOME StepPointing(WM_DEVICE *pDev);
/* Switches the gyro off and on again for the extension now behind it (bMotionReplug). */
IO_OUTCOME ReplugMotion(WM_DEVICE *pDev);
/* The gyro off without waiting for the remote's acknowledgement: the remote is going. */
void SwitchMotionOff(WM_DEVICE *pDev);
int TakeMotionFrame(WM_DEVICE *pDev, BYTE *e);

/* The change masks, exposed for the notifications and their tests. */
DWORD StatusChangeMask(const WM_DEVICE *pDev, const STATUS_SNAPSHOT *pSnap);
void InputChangeMasks(const WM_DEVICE *pDev, const INPUT_SNAPSHOT *pSnap, DWORD adwMask[2]);

/* IO_GONE when the record went away while the client handled the message. */
IO_OUTCOME NotifyStatus(WM_DEVICE *pDev, const STATUS_SNAPSHOT *pSnap);
IO_OUTCOME NotifyInput(WM_DEVICE *pDev, const INPUT_SNAPSHOT *pSnap);

/* What the worker waits for after a remote's step: its pending read (NULL: none) and at most
   dwMs (INFINITE: no alarm is due). */
typedef struct STEP_WAIT {
    HANDLE hRead;
    DWORD  dwMs;
} STEP_WAIT;

/* The worker's step on one remote: decodes the reports that have arrived and sends what is
   due, without waiting for the remote; the worker tears the remote down on IO_GONE. */
IO_OUTCOME UpdateDevice(WM_DEVICE *pDev, STEP_WAIT *pWait);

#endif
