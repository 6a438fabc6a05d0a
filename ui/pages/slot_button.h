/* slot_button.h - the slot buttons of the assignment pages: their shared gesture and
 * clipboard state, their drawing, their menus and the edits of entries they make.
 * UI thread only. */
#ifndef ZAN_SLOT_BUTTON_H
#define ZAN_SLOT_BUTTON_H

#include <windows.h>

#include "assignment.h"

/* One record for everything the slot buttons remember between messages. */
typedef struct PAGE_STATE {
    WNDPROC         pfnButtonProc;  /* the standard button procedure, taken from the first slot button */
    TRACKMOUSEEVENT leave;          /* leave request; hwndTrack is the button last pressed */
    int             bDragging;      /* the cursor has left the pressed button */
    ASSIGNMENT     *pSource;        /* slot taken by a drag, "交換" or "コピー"; NULL for none */
    HWND            hSourceButton;  /* its button, repainted after a swap */
    int             nPendingOp;     /* 0, ID_SLOT_SWAP or ID_SLOT_COPY: what a paste does */
} PAGE_STATE;

extern PAGE_STATE g_PageState;

/* The entry a slot button stands for (its user data), or NULL before the first refresh. */
ASSIGNMENT *EntryOfButton(HWND hButton);

/* Draws one slot button (WM_DRAWITEM of a page). */
void DrawAssignButton(HWND hPage, const DRAWITEMSTRUCT *pItem);

/* The kind a slot is shown and edited as: out-of-range values count as disabled,
 * as the settings loader makes them. */
int EffectiveKind(const ASSIGNMENT *pAssign);

/* Entry edits, each under the record lock; the gestures and menus that call them mark
 * the set modified. */
void SwapEntries(ASSIGNMENT *pA, ASSIGNMENT *pB);
int CopyEntry(ASSIGNMENT *pTarget, const ASSIGNMENT *pSource);
void ClearEntry(ASSIGNMENT *pAssign);
void SetEntryKind(ASSIGNMENT *pAssign, BYTE nKind);

/* The menus of a released slot button. */
void ShowSlotMenu(HWND hButton, POINT ptScreen);
void ShowDragMenu(HWND hButton, POINT ptScreen);

#endif
