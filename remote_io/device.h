/*
 * device.h - the library's record for one remote, with its alarms and smoothing filters.
 * Reached only through the slot table and only under the slot's lock.
 */
#ifndef TAVEL_DEVICE_H
#define TAVEL_DEVICE_H

#include <windows.h>

#include "tavel.h"

/* Bytes of a report the protocol defines (the id and 21 bytes); reports are decoded from these. */
#define REPORT_LENGTH 22
/* The longest report length a Bluetooth stack may give for a remote. */
#define MAX_REPORT_LENGTH 64

/* One overlapped transfer: its record, event and bytes. A transfer whose cancel never completed
   is abandoned to the driver with all three (never freed), and its owner takes a fresh one. */
typedef struct WM_TRANSFER {
    OVERLAPPED io;                 /* io.hEvent: manual-reset, set while no transfer is pending */
    BYTE       ab[MAX_REPORT_LENGTH];
    int        bPending;
    struct WM_TRANSFER *pNextRetired;
} WM_TRANSFER;

WM_TRANSFER *CreateTransfer(void);
void FreeTransfer(WM_TRANSFER *pTransfer);

/* The remote's output queue and its sending thread (output.cpp). */
typedef struct WM_OUTPUT WM_OUTPUT;

/* A deadline in the millisecond count of the clock. */
typedef struct WM_ALARM {
    int   bArmed;
    DWORD dwDeadline;
} WM_ALARM;

/* Linearly weighted moving mean over N samples. */
typedef struct WM_FILTER {
    int *anSample;
    int  nCount;
    int  nPos;
    int  bPrimed;
} WM_FILTER;

/* Extension calibration, layout by extension kind. */
typedef struct NUNCHUK_CAL {
    short anAccelZero[3];
    short anAccelOne[3];
    BYTE  bStickXMax, bStickXMin, bStickXCentre;
    BYTE  bStickYMax, bStickYMin, bStickYCentre;
} NUNCHUK_CAL;

/* Sticks LX, LY, RX, RY: maximum, minimum, centre each; triggers LT, RT: maximum, minimum. */
typedef struct CLASSIC_CAL {
    BYTE abStick[4][3];
    BYTE abTrigger[2][2];
} CLASSIC_CAL;

enum { CAL_MAX = 0, CAL_MIN = 1, CAL_CENTRE = 2 };

typedef union EXT_CAL {
    NUNCHUK_CAL Nunchuk;
    CLASSIC_CAL Classic;
    BYTE        ab[18];
} EXT_CAL;

/* Nunchuk values in the order of their filters and mask bits 2..6. */
enum { NUN_STICK_X, NUN_STICK_Y, NUN_ACC_X, NUN_ACC_Y, NUN_ACC_Z, NUN_VALUES };

typedef struct NUNCHUK_STATE {
    BYTE       bC, bZ;
    int        anValue[NUN_VALUES];
    WM_FILTER *apFilter[NUN_VALUES];
} NUNCHUK_STATE;

/* Classic buttons in mask order: a, b, Minus, Home, Plus, x, y, Up, Down, Left, Right, L, R, ZL, ZR. */
#define CLASSIC_BUTTONS 15
enum { CLS_LX, CLS_LY, CLS_RX, CLS_RY, CLS_LT, CLS_RT, CLS_VALUES };

typedef struct CLASSIC_STATE {
    BYTE       abButton[CLASSIC_BUTTONS];
    int        anValue[CLS_VALUES];
    WM_FILTER *apFilter[CLS_VALUES];
} CLASSIC_STATE;

typedef union EXT_STATE {
    NUNCHUK_STATE Nunchuk;
    CLASSIC_STATE Classic;
    BYTE          ab[64];
} EXT_STATE;

/* Core buttons in abKey order. */
enum {
    KEY_A, KEY_B, KEY_MINUS, KEY_HOME, KEY_PLUS, KEY_ONE, KEY_TWO,
    KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT, KEY_COUNT
};

/* Output paths of a remote. */
enum { WRITE_PATH_UNKNOWN = -1, WRITE_PATH_SET_REPORT = 0, WRITE_PATH_WRITE_FILE = 1 };

/* nState */
enum { DEVICE_SETTING_UP = 0, DEVICE_REGISTERED = 1, DEVICE_ACTIVE = 2 };

typedef struct WM_DEVICE {
    int   nState;
    int   bValid;
    int   bLostNotified;
    int   nIndex;
    long  lConnectParam;

    /* The client's settings, as wm_SetSystem takes them (dwFlags unused). */
    WM_SYSTEM system;

    /* Read by this record; owned by pOutput, which closes it once its sender is done. */
    HANDLE hDevice;
    WM_TRANSFER *pRead;
    WM_OUTPUT   *pOutput;
    /* How this remote takes output reports (WRITE_PATH_*), settled at its set-up. */
    int    nWritePath;
    WORD   wProductId;
    /* Report lengths the capability query gave; 0 means REPORT_LENGTH. */
    DWORD  cbInput;
    DWORD  cbOutput;
    BYTE   abIdentity[9];
    BYTE   abAccelCal[6];
    EXT_CAL ExtCal;

    /* Status part: bRumble through bBatteryOk. */
    int       bRumble;
    int       nRumblePower;
    double    dRumbleAcc;
    double    dRumblePeriod;
    WM_ALARM *pRumbleAlarm;
    BYTE      abLed[4];
    DWORD     adwBlink[4];
    WM_ALARM *apBlinkAlarm[4];
    BYTE      nBattery;
    DWORD     dwReport;
    BYTE      bExtConnected;
    /* The plugged extension's identifier is not one this library decodes: it is not identified
       again until it is unplugged. */
    BYTE      bExtUnknown;
    /* Armed while the plugged extension could not be read: it is identified again when this fires. */
    WM_ALARM *pExtRetryAlarm;
    /* The worker asks for the next status when this fires. */
    WM_ALARM *pStatusAlarm;
    /* The rumble bit of the last output report: the motor follows it until the next one. */
    int       bRumbleSent;
    BYTE      abExtId[6];
    int       nExtType;
    BYTE      bSpeaker;
    BYTE      bIrCamera;
    BYTE      bBatteryOk;

    /* The camera, on while dwReport holds WMRPT_IR: its record as wm_GetIr gives it, the mode
       last written to its register (0: none), and the set-up retry after three failures. */
    WM_IR     ir;
    BYTE      bIrModeSent;
    WM_ALARM *pIrRetryAlarm;

    /* The gyro of a MotionPlus: its record as wm_GetMotion gives it; the byte that activated
       it (its pass-through mode); the rest bias in raw units, and the still spell being
       measured for it (since dwStillFrom, nStillCount samples summed). */
    WM_MOTION motion;
    BYTE      bMotionMode;
    /* The gyro's frames say an extension came or went behind it: it is activated afresh in
       the mode that fits, no sooner than a second after the last time (dwMotionReplugAt). */
    BYTE      bMotionReplug;
    /* dwReport changed: the camera and the gyro are to be brought to it (FollowPointing). */
    BYTE      bPointingDue;
    DWORD     dwMotionReplugAt;
    WM_ALARM *pMotionRetryAlarm;
    int       anGyroBias[3];
    DWORD     dwStillFrom;
    int       nStillCount;
    LONG      alStillSum[3];

    /* Input part. */
    BYTE       abKey[KEY_COUNT];
    int        anAccel[3];
    WM_FILTER *apAccelFilter[3];
    EXT_STATE  Ext;

    /* The input report just read, and the output report being sent: a nested memory read
       never overwrites the report its caller is working on. */
    BYTE abInput[MAX_REPORT_LENGTH];
    BYTE abOutput[MAX_REPORT_LENGTH];
    /* GetTickCount when the last report arrived (or reading began): a streaming remote that
       has sent nothing for dwTimeout is gone. */
    DWORD dwInputAt;

    /* Device interface path: tells whether a device found again is this remote. */
    WCHAR *pszPath;
} WM_DEVICE;

/* The clock of alarms and timing; the tests may replace it. */
typedef DWORD (WINAPI *CLOCK_PROC)(void);
DWORD ClockNow(void);
void SetClockProc(CLOCK_PROC pfnClock);

WM_ALARM *CreateAlarm(void);
void FreeAlarm(WM_ALARM *pAlarm);
/* 0 ms disarms; otherwise the deadline becomes now + dwMs. */
void ArmAlarm(WM_ALARM *pAlarm, DWORD dwMs);
int AlarmFired(const WM_ALARM *pAlarm);
/* Milliseconds until the alarm fires (0 when it has), INFINITE when it is not armed. */
DWORD AlarmLeft(const WM_ALARM *pAlarm);

WM_FILTER *CreateFilter(int nCount);
void FreeFilter(WM_FILTER *pFilter);
int FilterSample(WM_FILTER *pFilter, int nSample);
/* Passes the sample through the filter when there is one. */
int FilterValue(WM_FILTER *pFilter, int nSample);

enum { FILTER_CREATE, FILTER_RELEASE };
/* Kind 0: the accelerometer filters; 1..3: the filters of that extension kind. */
int FilterBank(WM_DEVICE *pDev, int nMode, int nKind);

#endif
