/*
 * setting_harness.cpp - one settings file from the fuzz input. Either it loads into a set
 * whose every field is in range (both layers, the extra block's modes, the pointer), which
 * saves and loads again to the same set, or the load fails and leaves the target as it was;
 * no path string is leaked or freed twice.
 */
#include "fuzz_harness.h"

#include <string.h>

#include "key_text.h"
#include "setting_file.h"

#define IN_NAME  L"zan_fuzz_in.zan"
#define OUT_NAME L"zan_fuzz_out.zan"

static int TempPath(WCHAR *pszPath, LPCWSTR pszName)
{
    DWORD cch = GetTempPathW(SETTING_PATH_CHARS, pszPath);
    if (cch == 0 || cch + lstrlenW(pszName) >= SETTING_PATH_CHARS)
        return 0;
    lstrcatW(pszPath, pszName);
    return 1;
}

static int WriteInput(LPCWSTR pszPath, const unsigned char *pData, size_t cb)
{
    HANDLE hFile = CreateFileW(pszPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return 0;
    DWORD cbWritten = 0;
    int bOk = WriteFile(hFile, pData, (DWORD)cb, &cbWritten, NULL) && cbWritten == cb;
    CloseHandle(hFile);
    return bOk;
}

static int CountPaths(const ASSIGNMENT_SET *pSet)
{
    int n = 0;
    for (int i = 0; i < ASSIGN_SLOTS; i++)
        n += (pSet->aAssign[i].pszPath != NULL) + (pSet->aLayer2[i].pszPath != NULL);
    return n;
}

/* One loaded entry; only layer 1 may hold a layer slot. */
static const char *CheckEntry(const ASSIGNMENT *pAssign, int nLayer)
{
    if (pAssign->nKind > (nLayer == 0 ? ASSIGN_LAYER : ASSIGN_APPLICATION) || pAssign->nKeyCount < 0 ||
        pAssign->nKeyCount > ASSIGN_MAX_KEYS || pAssign->nMouseAction >= MOUSE_ACTIONS)
        return "a loaded entry out of range";
    if (pAssign->nPressMode >= PRESS_MODES || pAssign->nLayerMode > LAYER_TOGGLE ||
        (pAssign->nTurboRate && (pAssign->nTurboRate < TURBO_RATE_MIN || pAssign->nTurboRate > TURBO_RATE_MAX)))
        return "a loaded press mode, turbo rate or layer mode out of range";
    if (pAssign->nKind == ASSIGN_LAYER && (pAssign->pszPath || pAssign->nKeyCount))
        return "a loaded layer slot with keys or a path";
    if (pAssign->pszPath && lstrlenW(pAssign->pszPath) > pAssign->nPathLength)
        return "a loaded path longer than its length";
    WCHAR szText[KEY_TEXT_CHARS + 1];
    szText[KEY_TEXT_CHARS] = 0x5A5A;
    FormatKeyText(szText, pAssign);
    if (szText[KEY_TEXT_CHARS] != 0x5A5A)
        return "the key text of a loaded entry overruns its buffer";
    return NULL;
}

static const char *CheckSane(const ASSIGNMENT_SET *pSet)
{
    if (pSet->dwVersion != SET_VERSION_FRESH && pSet->dwVersion != SET_VERSION_CURRENT)
        return "a loaded set with an unknown version";
    for (BYTE bLed : pSet->abLed)
        if (bLed > 1)
            return "a loaded LED state other than lit or dark";
    if (pSet->bSystemRepeat > 1 || pSet->nAnalogCorrection >= CORRECTION_LEVELS)
        return "a loaded repeat mode or correction level out of range";
    for (int i = 0; i < ASSIGN_LEDS; i++)
        if (pSet->abLayerLed[i] > 1)
            return "a loaded layer LED state other than lit or dark";
    const POINTER_SETTING *pPointer = &pSet->Pointer;
    if (pPointer->nMode >= POINTER_MODES || pPointer->nBarPosition > BAR_BELOW ||
        (pPointer->nArea && (pPointer->nArea < IR_AREA_MIN || pPointer->nArea > IR_AREA_MAX)) ||
        (pPointer->nSpeed && (pPointer->nSpeed < GYRO_SPEED_MIN || pPointer->nSpeed > GYRO_SPEED_MAX)) ||
        (pPointer->nOffScreenSlot >= ASSIGN_SLOTS && pPointer->nOffScreenSlot != POINTER_NO_SLOT) ||
        (pPointer->nHoldSlot >= ASSIGN_SLOTS && pPointer->nHoldSlot != POINTER_NO_SLOT))
        return "a loaded pointer setting out of range";
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        const char *pszFault = CheckEntry(&pSet->aAssign[i], 0);
        if (!pszFault)
            pszFault = CheckEntry(&pSet->aLayer2[i], 1);
        if (pszFault)
            return pszFault;
    }
    return NULL;
}

/* Everything but the path texts, which the ANSI code page may not carry unchanged; the modes
 * only where the extra block keeps them. */
static int SameEntry(const ASSIGNMENT *a, const ASSIGNMENT *b, int bExtras)
{
    return a->nKind == b->nKind && a->nKeyCount == b->nKeyCount && !memcmp(a->awKey, b->awKey, sizeof(a->awKey)) &&
           a->nMouseAction == b->nMouseAction && a->wMoveAmount == b->wMoveAmount &&
           (a->pszPath == NULL) == (b->pszPath == NULL) && (a->pszPath || a->nPathLength == b->nPathLength) &&
           (!bExtras || (a->nPressMode == b->nPressMode && a->nTurboRate == b->nTurboRate &&
                         a->nLayerMode == b->nLayerMode));
}

/* A set that uses no extras saves none: its turbo rates, layer modes and layer 2 are lost. */
static int SameSet(const ASSIGNMENT_SET *pA, const ASSIGNMENT_SET *pB)
{
    int bExtras = UsesSetExtras(pA);
    for (int i = 0; i < ASSIGN_SLOTS; i++)
        if (!SameEntry(&pA->aAssign[i], &pB->aAssign[i], bExtras) ||
            (bExtras && !SameEntry(&pA->aLayer2[i], &pB->aLayer2[i], 1)))
            return 0;
    return memcmp(pA->abLed, pB->abLed, sizeof(pA->abLed)) == 0 && pA->bSystemRepeat == pB->bSystemRepeat &&
           pA->nAnalogCorrection == pB->nAnalogCorrection &&
           (!bExtras || memcmp(pA->abLayerLed, pB->abLayerLed, sizeof(pA->abLayerLed)) == 0) &&
           (pA->Pointer.nMode == POINTER_NONE || memcmp(&pA->Pointer, &pB->Pointer, sizeof(pA->Pointer)) == 0);
}

static const char *SaveAndLoadAgain(ASSIGNMENT_SET *pSet)
{
    WCHAR szOut[SETTING_PATH_CHARS];
    if (!TempPath(szOut, OUT_NAME))
        return "no temporary path";
    if (!WriteSettingFile(szOut, pSet, 1))
        return "a loaded set could not be saved";
    ASSIGNMENT_SET again;
    InitAssignmentSet(&again);
    const char *pszFault = NULL;
    if (ReadSettingFile(szOut, &again, 1) != LOAD_OK)
        pszFault = "a saved set does not load again";
    else if (!SameSet(pSet, &again))
        pszFault = "a set changed through saving and loading";
    ReleaseAssignmentPaths(&again);
    DeleteFileW(szOut);
    return pszFault;
}

const char *FuzzSettingFile(const unsigned char *pData, size_t cb)
{
    WCHAR szIn[SETTING_PATH_CHARS];
    if (!TempPath(szIn, IN_NAME) || !WriteInput(szIn, pData, cb))
        return "the input file could not be written";

    ASSIGNMENT_SET target;
    InitAssignmentSet(&target);
    WCHAR *pszOwn = AllocPathText(3);
    lstrcpyW(pszOwn, L"own");
    target.aAssign[3].pszPath = pszOwn;
    target.aAssign[3].nPathLength = 3;
    ASSIGNMENT_SET before = target;
    LONG lTexts = CountPathTexts();

    const char *pszFault = NULL;
    if (ReadSettingFile(szIn, &target, 1) != LOAD_OK) {
        if (memcmp(&before, &target, sizeof(target)) != 0 || lstrcmpW(pszOwn, L"own") != 0)
            pszFault = "a failed load changed the target";
        else if (CountPathTexts() != lTexts)
            pszFault = "a failed load leaked or released path strings";
    } else if (CountPathTexts() != lTexts - 1 + CountPaths(&target)) {
        pszFault = "a load leaked path strings or kept the target's old ones";
    } else {
        pszFault = CheckSane(&target);
        if (!pszFault)
            pszFault = SaveAndLoadAgain(&target);
    }
    ReleaseAssignmentPaths(&target);
    DeleteFileW(szIn);
    if (!pszFault && CountPathTexts() != lTexts - 1)
        pszFault = "path strings outlive their set";
    return pszFault;
}
