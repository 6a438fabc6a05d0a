/*
 * setting_extras.cpp - the extra block of a settings file (layout in setting_format.h): press
 * modes, layer slots, layer 2 and its LEDs, the pointer, encoded and decoded field by field.
 */
#include "setting_format.h"

#include <string.h>

#include "setting_file.h"

int CheckExtraHeader(const BYTE *p, DWORD cbHeader, LONGLONG llFollowing, DWORD *pdwPayload)
{
    if (cbHeader < 4 || memcmp(p, EXTRA_TAG, 4) != 0)
        return EXTRAS_NO_TAG;
    if (cbHeader < EXTRA_HEADER_BYTES)
        return EXTRAS_TRUNCATED;
    DWORD dwVersion = GetLe32(p + 4);
    if (dwVersion != EXTRA_VERSION && dwVersion != EXTRA_VERSION_POINTER)
        return EXTRAS_BAD_VERSION;
    DWORD cbPayload = GetLe32(p + 8);
    LONGLONG llLeft = llFollowing - EXTRA_HEADER_BYTES;
    if ((LONGLONG)cbPayload > llLeft)
        return EXTRAS_TRUNCATED;
    /* The length is checked against the file before any memory is taken for it. */
    if ((LONGLONG)cbPayload < llLeft || cbPayload > EXTRA_PAYLOAD_MAX)
        return EXTRAS_BAD_LENGTH;
    *pdwPayload = cbPayload;
    return EXTRAS_READ;
}

DWORD ExtraFixedBytes(const ASSIGNMENT_SET *pSet)
{
    return EXTRA_FIXED_BYTES + (pSet->Pointer.nMode != POINTER_NONE ? EXTRA_POINTER_BYTES : 0);
}

void EncodeExtraBlock(BYTE *p, const ASSIGNMENT_SET *pSet, const int *anPathBytes)
{
    DWORD cbTexts = 0;
    for (int i = 0; i < ASSIGN_SLOTS; i++)
        cbTexts += (DWORD)anPathBytes[i];
    const POINTER_SETTING *pPointer = &pSet->Pointer;
    int bPointer = pPointer->nMode != POINTER_NONE;
    memcpy(p, EXTRA_TAG, 4);
    PutLe32(p + 4, bPointer ? EXTRA_VERSION_POINTER : EXTRA_VERSION);
    PutLe32(p + 8, ExtraFixedBytes(pSet) + cbTexts);
    p += EXTRA_HEADER_BYTES;
    for (int i = 0; i < ASSIGN_SLOTS; i++, p += EXTRA_SLOT_BYTES) {
        const ASSIGNMENT *pAssign = &pSet->aAssign[i];
        p[EXTRA_SLOT_KIND] = pAssign->nKind;
        p[EXTRA_SLOT_PRESS_MODE] = pAssign->nPressMode;
        p[EXTRA_SLOT_TURBO_RATE] = pAssign->nTurboRate;
        p[EXTRA_SLOT_LAYER_MODE] = pAssign->nLayerMode;
    }
    memcpy(p, pSet->abLayerLed, ASSIGN_LEDS);
    p += ASSIGN_LEDS;
    for (int i = 0; i < ASSIGN_SLOTS; i++, p += EXTRA_ENTRY_BYTES) {
        const ASSIGNMENT *pAssign = &pSet->aLayer2[i];
        /* As in the layout: without a path the entry keeps its in-memory length. */
        int nLength = pAssign->pszPath ? anPathBytes[i] : pAssign->nPathLength;
        EncodeEntry(p, pAssign, nLength, pAssign->pszPath != NULL);
        p[EXTRA_ENTRY_PRESS_MODE] = pAssign->nPressMode;
        p[EXTRA_ENTRY_TURBO_RATE] = pAssign->nTurboRate;
    }
    if (bPointer) {
        const BYTE abPointer[EXTRA_POINTER_BYTES] = { pPointer->nMode, pPointer->nBarPosition, pPointer->nArea,
                                                      pPointer->nOffScreenSlot, pPointer->nSpeed, pPointer->nHoldSlot };
        memcpy(p, abPointer, EXTRA_POINTER_BYTES);
    }
}

/* A byte outside bMin..bMax becomes bNone (the default, or no slot), counted; bNone itself stays. */
static void NormalizeRange(BYTE *pb, BYTE bMin, BYTE bMax, BYTE bNone, int *pnNormalized)
{
    if (*pb != bNone && (*pb < bMin || *pb > bMax)) {
        *pb = bNone;
        (*pnNormalized)++;
    }
}

static void DecodePointer(const BYTE *p, POINTER_SETTING *pPointer, int *pnNormalized)
{
    POINTER_SETTING pointer = { p[0], p[1], p[2], p[3], p[4], p[5] };
    NormalizeByte(&pointer.nMode, POINTER_MODES - 1, POINTER_NONE, pnNormalized);
    NormalizeByte(&pointer.nBarPosition, BAR_BELOW, BAR_ABOVE, pnNormalized);
    NormalizeRange(&pointer.nArea, IR_AREA_MIN, IR_AREA_MAX, 0, pnNormalized);
    NormalizeRange(&pointer.nSpeed, GYRO_SPEED_MIN, GYRO_SPEED_MAX, 0, pnNormalized);
    NormalizeRange(&pointer.nOffScreenSlot, 0, ASSIGN_SLOTS - 1, POINTER_NO_SLOT, pnNormalized);
    NormalizeRange(&pointer.nHoldSlot, 0, ASSIGN_SLOTS - 1, POINTER_NO_SLOT, pnNormalized);
    *pPointer = pointer;
}

/* Sanitizes the entry and counts it when that changed anything. */
static void SanitizeCounted(ASSIGNMENT *pAssign, int *pnNormalized)
{
    ASSIGNMENT before = *pAssign;
    SanitizeAssignment(pAssign);
    if (memcmp(&before, pAssign, sizeof(before)) != 0)
        (*pnNormalized)++;
}

static void ReleaseEntryPaths(ASSIGNMENT *aEntry)
{
    for (int i = 0; i < ASSIGN_SLOTS; i++)
        ClearAssignmentPath(&aEntry[i]);
}

/* The layer-2 entries at p and their path texts, cbTexts bytes at pTexts; EXTRAS_READ, or why
 * not with nothing kept. */
static int DecodeLayer2(const BYTE *p, const BYTE *pTexts, DWORD cbTexts, ASSIGNMENT *aLayer2, int *pnNormalized)
{
    int anBytes[ASSIGN_SLOTS], abHasPath[ASSIGN_SLOTS];
    DWORD cbNamed = 0;
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        const BYTE *pEntry = p + i * EXTRA_ENTRY_BYTES;
        DecodeEntry(pEntry, &aLayer2[i], &abHasPath[i]);
        aLayer2[i].nPressMode = pEntry[EXTRA_ENTRY_PRESS_MODE];
        aLayer2[i].nTurboRate = pEntry[EXTRA_ENTRY_TURBO_RATE];
        anBytes[i] = abHasPath[i] ? aLayer2[i].nPathLength : 0;
        if (anBytes[i] < 0 || anBytes[i] > FILE_PATH_MAX_BYTES)
            return EXTRAS_BAD_PATH;
        cbNamed += (DWORD)anBytes[i];
    }
    if (cbNamed != cbTexts)
        return EXTRAS_BAD_PATH;
    const char *pText = (const char *)pTexts;
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        if (!abHasPath[i])
            continue;
        if (!DecodePathText(pText, anBytes[i], &aLayer2[i], pnNormalized)) {
            ReleaseEntryPaths(aLayer2);
            return EXTRAS_NO_MEMORY;
        }
        pText += anBytes[i];
    }
    /* Only layer 1 switches layers: layer 2 knows the layout's kinds alone. */
    for (int i = 0; i < ASSIGN_SLOTS; i++)
        NormalizeLayoutEntry(&aLayer2[i], pnNormalized);
    return EXTRAS_READ;
}

int DecodeExtraBlock(const BYTE *p, DWORD cb, DWORD dwVersion, const BYTE *abLayoutKind, ASSIGNMENT_SET *pSet,
                     int *pnNormalized)
{
    DWORD cbFixed = EXTRA_FIXED_BYTES + (dwVersion == EXTRA_VERSION_POINTER ? EXTRA_POINTER_BYTES : 0);
    if (cb < cbFixed)
        return EXTRAS_BAD_LENGTH;
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        BYTE nKind = p[i * EXTRA_SLOT_BYTES + EXTRA_SLOT_KIND];
        if (nKind != abLayoutKind[i] && !(nKind == ASSIGN_LAYER && abLayoutKind[i] == ASSIGN_DISABLED))
            return EXTRAS_BAD_KIND;
    }
    const BYTE *pLeds = p + ASSIGN_SLOTS * EXTRA_SLOT_BYTES;
    ASSIGNMENT aLayer2[ASSIGN_SLOTS];
    int nNormalized = 0;
    int nResult = DecodeLayer2(pLeds + ASSIGN_LEDS, p + cbFixed, cb - cbFixed, aLayer2, &nNormalized);
    if (nResult != EXTRAS_READ)
        return nResult;
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        const BYTE *pSlot = p + i * EXTRA_SLOT_BYTES;
        ASSIGNMENT *pAssign = &pSet->aAssign[i];
        if (pSlot[EXTRA_SLOT_KIND] == ASSIGN_LAYER && abLayoutKind[i] == ASSIGN_DISABLED) {
            /* A layer slot is saved empty in the layout; anything there is not its own. */
            ASSIGNMENT empty;
            memset(&empty, 0, sizeof(empty));
            empty.nKind = ASSIGN_DISABLED;
            if (memcmp(&empty, pAssign, sizeof(empty)) != 0)
                nNormalized++;
            ClearAssignmentPath(pAssign);
            *pAssign = empty;
            pAssign->nKind = ASSIGN_LAYER;
        }
        pAssign->nPressMode = pSlot[EXTRA_SLOT_PRESS_MODE];
        pAssign->nTurboRate = pSlot[EXTRA_SLOT_TURBO_RATE];
        pAssign->nLayerMode = pSlot[EXTRA_SLOT_LAYER_MODE];
        SanitizeCounted(pAssign, &nNormalized);
    }
    for (int i = 0; i < ASSIGN_LEDS; i++) {
        pSet->abLayerLed[i] = pLeds[i];
        NormalizeByte(&pSet->abLayerLed[i], 1, 1, &nNormalized);
    }
    if (cbFixed > EXTRA_FIXED_BYTES)
        DecodePointer(p + EXTRA_FIXED_BYTES, &pSet->Pointer, &nNormalized);
    ReleaseEntryPaths(pSet->aLayer2);
    memcpy(pSet->aLayer2, aLayer2, sizeof(aLayer2));
    *pnNormalized += nNormalized;
    return EXTRAS_READ;
}
