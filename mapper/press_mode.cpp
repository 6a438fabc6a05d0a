/* press_mode.cpp - the press and layer modes an entry keeps. */
#include "press_mode.h"

int PressModesOf(const ASSIGNMENT *pAssign)
{
    if (pAssign->nKind == ASSIGN_KEY)
        return PRESS_MODES;
    if (pAssign->nKind != ASSIGN_MOUSE || pAssign->nMouseAction > MOUSE_RIGHT_CLICK)
        return 0;
    /* A double click cannot be held down: it repeats, but never latches, so it offers the
       modes before toggle. */
    return pAssign->nMouseAction == MOUSE_DOUBLE_CLICK ? PRESS_TOGGLE : PRESS_MODES;
}

int TakesPressMode(const ASSIGNMENT *pAssign)
{
    return PressModesOf(pAssign) != 0;
}

int TurboRateOf(const ASSIGNMENT *pAssign)
{
    int nRate = pAssign->nTurboRate;
    return nRate >= TURBO_RATE_MIN && nRate <= TURBO_RATE_MAX ? nRate : TURBO_RATE_DEFAULT;
}

void ClearUnusedModes(ASSIGNMENT *pAssign)
{
    if (pAssign->nPressMode >= PressModesOf(pAssign))
        pAssign->nPressMode = PRESS_NORMAL;
    if (pAssign->nPressMode != PRESS_TURBO)
        pAssign->nTurboRate = 0;
    if (pAssign->nKind != ASSIGN_LAYER)
        pAssign->nLayerMode = LAYER_HOLD;
}

int SlotOfEntry(const ASSIGNMENT_SET *pSet, const ASSIGNMENT *pEntry)
{
    int nLayer = LayerOfEntry(pSet, pEntry);
    return nLayer < 0 ? -1 : (int)(pEntry - LayerEntryOf(pSet, nLayer, 0));
}

int LayerOfEntry(const ASSIGNMENT_SET *pSet, const ASSIGNMENT *pEntry)
{
    for (int nLayer = 0; nLayer < ASSIGN_LAYERS; nLayer++) {
        const ASSIGNMENT *pFirst = LayerEntryOf(pSet, nLayer, 0);
        if (pEntry >= pFirst && pEntry < pFirst + ASSIGN_SLOTS)
            return nLayer;
    }
    return -1;
}
