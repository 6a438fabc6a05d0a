/*
 * assignment.h - the assignment set: 40 button slots with their actions, the LED
 * pattern, the repeat mode and the analog correction level; the slot table that
 * says which input drives each slot; the record lock over the current set.
 */
#ifndef ZAN_ASSIGNMENT_H
#define ZAN_ASSIGNMENT_H

#include <windows.h>

#include "tavel.h"

#define ASSIGN_SLOTS      40
#define ASSIGN_MAX_KEYS   3
#define ASSIGN_LEDS       4
/* Control id of slot 0's button on the assignment pages; slot n has the id plus n. */
#define ASSIGN_FIRST_CONTROL_ID 41000

/* ASSIGNMENT.nKind */
#define ASSIGN_DISABLED    0
#define ASSIGN_KEY         1
#define ASSIGN_MOUSE       2
#define ASSIGN_APPLICATION 3
#define ASSIGN_LAYER       4   /* switches the other slots to their layer-2 assignments */
#define ASSIGN_KINDS       5

/* ASSIGNMENT.nPressMode: key slots and left, middle, right and double click slots. */
#define PRESS_NORMAL 0
#define PRESS_TURBO  1   /* while held: press and release nTurboRate times a second */
#define PRESS_TOGGLE 2   /* a press holds the keys or the button down, the next lets them go */
#define PRESS_MODES  3
#define TURBO_RATE_MIN     5
#define TURBO_RATE_MAX     30
#define TURBO_RATE_DEFAULT 15   /* what a rate of 0 (a fresh entry) means */

/* ASSIGNMENT.nLayerMode: a layer slot. */
#define LAYER_HOLD   0   /* layer 2 while the slot is held */
#define LAYER_TOGGLE 1   /* each press switches between layer 1 and layer 2 */

#define ASSIGN_LAYERS 2

/* ASSIGNMENT.nMouseAction */
#define MOUSE_LEFT_CLICK   0
#define MOUSE_DOUBLE_CLICK 1
#define MOUSE_MIDDLE_CLICK 2
#define MOUSE_RIGHT_CLICK  3
#define MOUSE_MOVE_UP      4
#define MOUSE_MOVE_DOWN    5
#define MOUSE_MOVE_LEFT    6
#define MOUSE_MOVE_RIGHT   7
#define MOUSE_SCROLL_UP    8
#define MOUSE_SCROLL_DOWN  9
#define MOUSE_SCROLL_LEFT  10
#define MOUSE_SCROLL_RIGHT 11
#define MOUSE_ACTIONS      12

/* ASSIGNMENT_SET.dwVersion */
#define SET_VERSION_FRESH   1
#define SET_VERSION_CURRENT 3

/* ASSIGNMENT_SET.nAnalogCorrection: none, weak, medium, strong. */
#define CORRECTION_LEVELS 4

/* ASSIGNMENT_SET.Pointer: the remote as a pointer. */
#define POINTER_NONE  0
#define POINTER_IR    1   /* absolute: where the remote points at the sensor bar */
#define POINTER_GYRO  2   /* relative: the MotionPlus's yaw and pitch move the pointer */
#define POINTER_MODES 3
#define BAR_ABOVE 0       /* the sensor bar sits above the screen */
#define BAR_BELOW 1
#define POINTER_NO_SLOT 0xFF
#define IR_AREA_MIN     30   /* percent of the camera's view that spans the screen */
#define IR_AREA_MAX     100
#define IR_AREA_DEFAULT 60   /* what an area of 0 means */
#define GYRO_SPEED_MIN     1
#define GYRO_SPEED_MAX     20
#define GYRO_SPEED_DEFAULT 8 /* what a speed of 0 means */

typedef struct POINTER_SETTING {
    BYTE nMode;            /* POINTER_* */
    BYTE nBarPosition;     /* IR: BAR_ABOVE or BAR_BELOW */
    BYTE nArea;            /* IR: IR_AREA_MIN..MAX, 0 the default */
    BYTE nOffScreenSlot;   /* IR: a slot that acts as held while the bar is out of view, or POINTER_NO_SLOT */
    BYTE nSpeed;           /* gyro: GYRO_SPEED_MIN..MAX, 0 the default */
    BYTE nHoldSlot;        /* gyro: the pointer moves only while this slot is held; POINTER_NO_SLOT always */
} POINTER_SETTING;

/* One button slot. The first fields in the order and widths of a settings-file entry; the
 * press mode, turbo rate and layer mode are kept in the file's extra block. */
typedef struct ASSIGNMENT {
    BYTE   nKind;
    int    nKeyCount;
    WORD   awKey[ASSIGN_MAX_KEYS];
    BYTE   nMouseAction;
    WORD   wMoveAmount;
    int    nPathLength;
    WCHAR *pszPath;          /* owned by the entry; NULL when there is no path */
    BYTE   nPressMode;       /* PRESS_*: key slots and click slots */
    BYTE   nTurboRate;       /* presses a second, TURBO_RATE_MIN..MAX; 0 the default */
    BYTE   nLayerMode;       /* LAYER_*: layer slots */
} ASSIGNMENT;

typedef struct ASSIGNMENT_SET {
    DWORD      dwVersion;
    ASSIGNMENT aAssign[ASSIGN_SLOTS];     /* layer 1 */
    BYTE       abLed[ASSIGN_LEDS];
    BYTE       bSystemRepeat;
    BYTE       nAnalogCorrection;
    /* Layer 2 and the LEDs that show it: in the file's extra block only. A layer-2 entry of a
     * layer slot is never used: that slot switches layers in both. */
    ASSIGNMENT aLayer2[ASSIGN_SLOTS];
    BYTE       abLayerLed[ASSIGN_LEDS];
    POINTER_SETTING Pointer;              /* in the file's extra block only */
} ASSIGNMENT_SET;

/* Where a slot's value comes from. */
enum {
    SOURCE_KEY,      /* a button field of WM_KEY */
    SOURCE_KEYEX,    /* a button field of WM_KEYEX */
    SOURCE_STICK,    /* one direction of a stick of WM_KEYEX */
    SOURCE_TRIGGER   /* an analog trigger field of WM_KEYEX */
};

enum { DIRECTION_UP, DIRECTION_DOWN, DIRECTION_LEFT, DIRECTION_RIGHT, DIRECTIONS };

typedef struct SLOT_SOURCE {
    int nSource;
    int nField;          /* the button or trigger field; a stick's X field */
    int nFieldY;         /* a stick's Y field */
    int nDirection;      /* a stick's direction */
} SLOT_SOURCE;

/* First slots of the extension pages. */
#define SLOT_FIRST_NUNCHUK 11
#define SLOT_FIRST_CLASSIC 17

extern const SLOT_SOURCE g_aSlotSource[ASSIGN_SLOTS];

/* The current set: edited on the window thread, read by the engine under the record lock. */
extern ASSIGNMENT_SET g_CurrentSet;

/* Empties a set to the fresh record: all zero, version 1, LED 1 lit, layer 2 shown by
 * LED 4, no pointer (and no pointer slots). Releases no strings. */
void InitAssignmentSet(ASSIGNMENT_SET *pSet);
/* The entry of slot nSlot in layer nLayer (0 or 1). */
ASSIGNMENT *LayerEntry(ASSIGNMENT_SET *pSet, int nLayer, int nSlot);
const ASSIGNMENT *LayerEntryOf(const ASSIGNMENT_SET *pSet, int nLayer, int nSlot);
/* The entry slot nSlot acts by in layer nLayer: a layer slot switches in both layers, so it
 * is its layer-1 entry in either; any other slot's entry of that layer. */
ASSIGNMENT *ActingEntry(ASSIGNMENT_SET *pSet, int nLayer, int nSlot);
/* 1 when the set uses a press mode, a layer slot, a layer-2 entry, a layer LED pattern
 * other than the fresh one or a pointer: only such a set needs the file's extra block. */
int UsesSetExtras(const ASSIGNMENT_SET *pSet);

/* Releases the entry's path string and forgets it. */
void ClearAssignmentPath(ASSIGNMENT *pAssign);
/* Releases the path strings of all entries of both layers. */
void ReleaseAssignmentPaths(ASSIGNMENT_SET *pSet);
/* Copies an entry with a duplicate of its path; 0 (and pDest untouched) when memory runs out. */
int CopyAssignment(ASSIGNMENT *pDest, const ASSIGNMENT *pSource);

/* Path strings: a counted allocation of cch + 1 characters, and its release. */
WCHAR *AllocPathText(int cch);
void FreePathText(WCHAR *psz);
/* Number of path strings alive, to find leaks. */
LONG CountPathTexts(void);

/* Puts the entry's fields into range so nothing indexes past a table later:
 * an unknown kind becomes disabled, a key count outside 0..3 becomes 0, an
 * unknown mouse action becomes 0 and disables a mouse entry, an unknown press mode becomes
 * normal, a turbo rate outside TURBO_RATE_MIN..MAX becomes 0, a layer mode other than
 * LAYER_TOGGLE becomes LAYER_HOLD. */
void SanitizeAssignment(ASSIGNMENT *pAssign);

/* The record lock: an unnamed auto-reset event, signalled while free. */
extern HANDLE g_hRecordLock;
int CreateRecordLock(void);
void CloseRecordLock(void);
void LockRecord(void);      /* waits without limit: the window thread's writers */
int TryLockRecord(void);    /* never waits: the engine */
void UnlockRecord(void);

#endif
