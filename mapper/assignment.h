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

/* One button slot. Fields in the order and widths of a settings-file entry. */
typedef struct ASSIGNMENT {
    BYTE   nKind;
    int    nKeyCount;
    WORD   awKey[ASSIGN_MAX_KEYS];
    BYTE   nMouseAction;
    WORD   wMoveAmount;
    int    nPathLength;
    WCHAR *pszPath;          /* owned by the entry; NULL when there is no path */
} ASSIGNMENT;

typedef struct ASSIGNMENT_SET {
    DWORD      dwVersion;
    ASSIGNMENT aAssign[ASSIGN_SLOTS];
    BYTE       abLed[ASSIGN_LEDS];
    BYTE       bSystemRepeat;
    BYTE       nAnalogCorrection;
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

/* Empties a set to the fresh record: all zero, version 1, LED 1 lit. Releases no strings. */
void InitAssignmentSet(ASSIGNMENT_SET *pSet);

/* Releases the entry's path string and forgets it. */
void ClearAssignmentPath(ASSIGNMENT *pAssign);
/* Releases the path strings of all 40 entries. */
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
 * unknown mouse action becomes 0 and disables a mouse entry. */
void SanitizeAssignment(ASSIGNMENT *pAssign);

/* The record lock: an unnamed auto-reset event, signalled while free. */
extern HANDLE g_hRecordLock;
int CreateRecordLock(void);
void CloseRecordLock(void);
void LockRecord(void);      /* waits without limit: the window thread's writers */
int TryLockRecord(void);    /* never waits: the engine */
void UnlockRecord(void);

#endif
