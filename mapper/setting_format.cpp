/*
 * setting_format.cpp - little-endian fields of settings-file entries, and their path texts.
 */
#include "setting_format.h"

#include <string.h>

DWORD GetLe32(const BYTE *p)
{
    return (DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24);
}

WORD GetLe16(const BYTE *p)
{
    return (WORD)(p[0] | (p[1] << 8));
}

void PutLe32(BYTE *p, DWORD dw)
{
    for (int i = 0; i < 4; i++)
        p[i] = (BYTE)(dw >> (8 * i));
}

void PutLe16(BYTE *p, WORD w)
{
    p[0] = (BYTE)w;
    p[1] = (BYTE)(w >> 8);
}

void DecodeEntry(const BYTE *p, ASSIGNMENT *pAssign, int *pbHasPath)
{
    memset(pAssign, 0, sizeof(*pAssign));
    pAssign->nKind = p[ENTRY_KIND];
    pAssign->nKeyCount = (int)GetLe32(p + ENTRY_KEY_COUNT);
    for (int i = 0; i < ASSIGN_MAX_KEYS; i++)
        pAssign->awKey[i] = GetLe16(p + ENTRY_KEYS + 2 * i);
    pAssign->nMouseAction = p[ENTRY_MOUSE_ACTION];
    pAssign->wMoveAmount = GetLe16(p + ENTRY_MOVE_AMOUNT);
    pAssign->nPathLength = (int)GetLe32(p + ENTRY_PATH_LENGTH);
    *pbHasPath = GetLe32(p + ENTRY_PATH_FLAG) != 0;
}

void EncodeEntry(BYTE *p, const ASSIGNMENT *pAssign, int nPathLength, int bHasPath)
{
    memset(p, 0, FILE_ENTRY_BYTES);
    p[ENTRY_KIND] = pAssign->nKind;
    PutLe32(p + ENTRY_KEY_COUNT, (DWORD)pAssign->nKeyCount);
    for (int i = 0; i < ASSIGN_MAX_KEYS; i++)
        PutLe16(p + ENTRY_KEYS + 2 * i, pAssign->awKey[i]);
    p[ENTRY_MOUSE_ACTION] = pAssign->nMouseAction;
    PutLe16(p + ENTRY_MOVE_AMOUNT, pAssign->wMoveAmount);
    PutLe32(p + ENTRY_PATH_LENGTH, (DWORD)nPathLength);
    PutLe32(p + ENTRY_PATH_FLAG, bHasPath ? 1 : 0);
}

void DecodeOldImage(const BYTE *pImage, ASSIGNMENT_SET *pSet)
{
    memset(pSet, 0, sizeof(*pSet));
    pSet->dwVersion = SET_VERSION_FRESH;
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        const BYTE *p = pImage + OLD_ENTRIES_OFFSET + i * OLD_ENTRY_BYTES;
        ASSIGNMENT *pAssign = &pSet->aAssign[i];
        pAssign->nKind = p[0] ? ASSIGN_KEY : ASSIGN_DISABLED;
        pAssign->nKeyCount = (int)GetLe32(p + OLD_ENTRY_KEY_COUNT);
        for (int k = 0; k < ASSIGN_MAX_KEYS; k++)
            pAssign->awKey[k] = GetLe16(p + OLD_ENTRY_KEYS + 2 * k);
    }
    memcpy(pSet->abLed, pImage + OLD_LEDS_OFFSET, ASSIGN_LEDS);
    pSet->bSystemRepeat = pImage[OLD_REPEAT_OFFSET];
}

int DecodePathText(const char *pText, int cb, ASSIGNMENT *pAssign, int *pnNormalized)
{
    WCHAR *psz = AllocPathText(cb);
    if (!psz)
        return 0;
    if (cb > 0) {
        int cbText = (int)strnlen(pText, (size_t)cb);
        if (cbText < cb) {
            pAssign->nPathLength = cbText;
            (*pnNormalized)++;
        }
        /* A byte becomes at most one UTF-16 unit, so cb units always suffice. */
        if (cbText > 0)
            MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, pText, cbText, psz, cb);
    }
    pAssign->pszPath = psz;
    return 1;
}

void NormalizeByte(BYTE *pb, BYTE bMax, BYTE bReplacement, int *pnNormalized)
{
    if (*pb <= bMax)
        return;
    *pb = bReplacement;
    (*pnNormalized)++;
}

void NormalizeLayoutEntry(ASSIGNMENT *pAssign, int *pnNormalized)
{
    ASSIGNMENT before = *pAssign;
    if (pAssign->nKind >= ASSIGN_LAYER)
        pAssign->nKind = ASSIGN_DISABLED;
    SanitizeAssignment(pAssign);
    if (memcmp(&before, pAssign, sizeof(before)) != 0)
        (*pnNormalized)++;
}
