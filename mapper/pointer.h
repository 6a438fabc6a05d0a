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

#endif
