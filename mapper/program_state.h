/*
 * program_state.h - process-wide values shared by the window thread (the only writer)
 * and the engine thread, and the hand-off of the remote's latest input to the engine.
 */
#ifndef ZAN_PROGRAM_STATE_H
#define ZAN_PROGRAM_STATE_H

#include <windows.h>

#include "tavel.h"

typedef struct PROGRAM_STATE {
    volatile LONG nSelectedRemote;   /* library slot of the remote in use, -1 none */
    volatile LONG bRunning;          /* 1 while the set is executed */
    volatile LONG nExtensionKind;    /* WMEXT_* of the remote in use */
    int   bModified;
    WCHAR szCurrentFile[MAX_PATH];
    int   nBatteryLevel;
    /* Set by the window thread, under the record lock, when it replaces the set for
     * another program: the engine lets go of everything it holds before it acts on the
     * new set, so no key of the old set stays down in the new program. Both the cycle and
     * the edges take the request before they act. */
    volatile LONG bReleaseHeld;
    /* Set by every replacement of the whole set: the engine goes back to layer 1. */
    volatile LONG bSetReplaced;
    volatile LONG bImmediateReaction; /* 1: the engine acts on press and release edges at once */
    volatile LONG nPauseSlots;        /* the options' dwPauseSlots, as the engine reads it */
} PROGRAM_STATE;

extern PROGRAM_STATE g_State;

/* Window thread: makes nSlot (or -1) the remote in use. The key and extension copies
 * are cleared first, so a new remote starts from released buttons and never inherits
 * a button the previous one held when it was lost. Call it wherever the remote in use
 * changes: when it is lost or disconnected, and when another one is selected. */
void SetSelectedRemote(int nSlot);

/* Window thread: replace the key copy or the extension copy whole (after wm_GetKey / wm_GetKeyEx). */
void StoreKeyCopy(const WM_KEY *pKey);
void StoreExtensionCopy(const WM_KEYEX *pKeyEx);
/* Window thread: the camera's and the gyro's copies (after wm_GetIr / wm_GetMotion). */
void StoreIrCopy(const WM_IR *pIr);
void StoreMotionCopy(const WM_MOTION *pMotion);
/* Window thread: all copies back to all zero. */
void ClearInputCopies(void);

/* Window thread: the copies as last stored (for the window's own display of them). */
void ReadLatestCopies(WM_KEY *pKey, WM_KEYEX *pKeyEx);

/* Set after every store or clear of the copies (NULL: none), so the engine wakes at once. */
void SetInputWakeEvent(HANDLE hEvent);
/* Sets it without a new copy: an engine waiting while idle acts on a change of the set or
   of the run state at once. */
void WakeEngine(void);

/* Engine thread only: the latest complete pair of copies. Never waits. */
void ReadInputCopies(WM_KEY *pKey, WM_KEYEX *pKeyEx);

/* Engine thread only: the camera's and gyro's copies of the pair ReadInputCopies took last. */
void ReadPointerCopies(WM_IR *pIr, WM_MOTION *pMotion);

/* Back to the initial values, for a fresh start (the tests). */
void ResetProgramState(void);

#endif
