/*
 * press_mode.h - which entries a press mode and a layer mode mean something for, and the
 * fields an edited entry keeps of them.
 */
#ifndef ZAN_PRESS_MODE_H
#define ZAN_PRESS_MODE_H

#include "assignment.h"

/* How many press modes the entry offers, from PRESS_NORMAL on: all of them for a key and a
 * left, middle or right click, normal and turbo for a double click, none for the rest. */
int PressModesOf(const ASSIGNMENT *pAssign);
/* 1 for a key entry and a left, middle, right or double click entry. */
int TakesPressMode(const ASSIGNMENT *pAssign);
/* Presses a second of a turbo entry: its rate, or the default for 0 or one out of range. */
int TurboRateOf(const ASSIGNMENT *pAssign);
/* Clears what does not apply to the entry's kind and action: a press mode the entry does
 * not offer (and the rate of a mode other than turbo), the layer mode of an
 * entry that is no layer slot. An unsaved field never hides in a set. */
void ClearUnusedModes(ASSIGNMENT *pAssign);
/* The layer of the set an entry belongs to (0 or 1); -1 when it is none of the set's. */
int LayerOfEntry(const ASSIGNMENT_SET *pSet, const ASSIGNMENT *pEntry);
/* The slot of an entry of the set, in either layer; -1 for an entry elsewhere. */
int SlotOfEntry(const ASSIGNMENT_SET *pSet, const ASSIGNMENT *pEntry);

#endif
