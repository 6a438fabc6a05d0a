/*
 * pointer.h - the remote as a pointer: the IR camera's dots as a point on the screen, the
 * gyro's rates as pointer motion, and the slots the pointer uses.
 */
#ifndef ZAN_POINTER_H
#define ZAN_POINTER_H

#include "assignment.h"

/* What a slot does for the set's pointer (PointerUseOfSlot). */
#define POINTER_USE_NONE      0
#define POINTER_USE_OFFSCREEN 1   /* IR: acts as held while the sensor bar is out of view */
#define POINTER_USE_HOLD      2   /* gyro: the pointer moves while it is held */

/* The slot's use by the pointer the set has chosen: a slot named for the other mode is none. */
int PointerUseOfSlot(const ASSIGNMENT_SET *pSet, int nSlot);
/* The report flags (WMRPT_*) the set's pointer needs from the remote besides buttons and
 * extension: the camera and the accelerometer for IR, the gyro for the gyro, 0 without. */
DWORD PointerReportFlags(const ASSIGNMENT_SET *pSet);

/* The 1-euro filter of one axis: a low pass whose cutoff rises with the speed of the input,
 * so a still hand's jitter is smoothed away and a fast move is followed with little lag. */
#define EURO_MIN_CUTOFF_HZ 1.0
#define EURO_BETA          10.0   /* Hz more per screen width a second */
#define EURO_D_CUTOFF_HZ   1.0

typedef struct ONE_EURO {
    int    bStarted;
    double dValue;        /* the filtered value */
    double dRate;         /* its filtered rate, per second */
} ONE_EURO;

/* The next filtered value for dValue, dSeconds after the previous one; the first after a
 * reset is the input itself. A zeroed filter is reset. */
double FilterOneEuro(ONE_EURO *pFilter, double dValue, double dSeconds);

/* The sensor bar in the camera's view (FindSensorBar). */
#define BAR_NONE 0   /* no dot seen */
#define BAR_PART 1   /* dots seen, but no pair that makes a level bar */
#define BAR_SEEN 2

/* The bar's midpoint as the camera sees it (0..1023, 0..767), turned back by the remote's roll
 * when the accelerometer reports it. The bar is a level pair of dots: a lamp or a reflection is
 * rarely level with both its ends. Of several, the one whose spread is nearest *pdSpread, the
 * bar's as last seen (the user rarely steps back between two reports), or with 0 there the
 * widest; *pdSpread then holds the chosen pair's. */
int FindSensorBar(const WM_IR *pIr, const WM_KEY *pKey, double *pdSpread, double *pdX, double *pdY);
/* The camera point as a point on the screen, 0..1 from the left and from the top, clamped.
 * The camera's picture is the scene turned over in both axes: aiming right moves the bar to a
 * smaller x, aiming up to a larger y. The central nArea percent of the view spans the screen,
 * its centre moved half the area's height so that aiming at the bar itself reaches the
 * screen's edge next to the bar: with the bar above the screen, aiming at the screen's centre
 * sees the bar at a smaller y than the camera's centre. */
void CameraToScreen(const POINTER_SETTING *pSetting, double dCamX, double dCamY, double *pdX, double *pdY);

/* The IR pointer between cycles. All zero is the start: nothing seen, nothing sent. */
#define IR_MISSING_CYCLES 2   /* cycles without a dot before the bar counts as out of view */

typedef struct IR_POINTER {
    ONE_EURO aAxis[2];
    int   bHavePoint;           /* a point was seen since the reset */
    double dSpread;             /* the bar's width in the camera, as last seen */
    int   nMissing;             /* cycles in a row the camera saw no dot */
    int   bOffScreen;           /* the bar is out of view: the off-screen slot acts as held */
    int   bSent;
    LONG  nSentX, nSentY;       /* the last absolute point sent, 0..65535 */
} IR_POINTER;

/* One cycle of the camera: the filtered point, and whether the bar is out of view. The point
 * stays where it was while only part of the bar is seen. 1 when the point to show changed,
 * *pnX and *pnY then in 0..65535 for MOUSEEVENTF_ABSOLUTE. */
int TrackIrPointer(IR_POINTER *pIr, const POINTER_SETTING *pSetting, const WM_IR *pCamera, const WM_KEY *pKey,
                   DWORD dwElapsed, LONG *pnX, LONG *pnY);

/* The gyro pointer: pixel fractions carried between cycles. */
#define GYRO_DEAD_BAND          150   /* hundredths of deg/s: a still remote's noise */
#define GYRO_PIXELS_PER_DEGREE  2.0   /* times the speed setting */

typedef struct GYRO_POINTER {
    double dRestX, dRestY;
} GYRO_POINTER;

/* The pixels the gyro's rates move the pointer over dwElapsed ms: a positive yaw (the front
 * turning left) to the left, a positive pitch (the front tipping up) upwards. Rates inside the
 * dead band count as none; nothing moves until the gyro runs calibrated. 1 while a rate is
 * outside the dead band, though it moved less than a pixel. */
int TrackGyroPointer(GYRO_POINTER *pGyro, const WM_MOTION *pMotion, int nSpeed, DWORD dwElapsed,
                      LONG *pnDx, LONG *pnDy);

#endif
