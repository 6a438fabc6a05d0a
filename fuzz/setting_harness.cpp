/*
 * setting_harness.cpp - one settings file from the fuzz input. Either it loads into a set
 * whose every field is in range, which saves and loads again to the same set, or the load
 * fails and leaves the target as it was; no path string is leaked or freed twice.
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
    for (const ASSIGNMENT &assign : pSet->aAssign)
        n += assign.pszPath != NULL;
    return n;
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
    for (const ASSIGNMENT &assign : pSet->aAssign) {
        if (assign.nKind > ASSIGN_APPLICATION || assign.nKeyCount < 0 || assign.nKeyCount > ASSIGN_MAX_KEYS ||
            assign.nMouseAction >= MOUSE_ACTIONS)
            return "a loaded entry out of range";
        if (assign.pszPath && lstrlenW(assign.pszPath) > assign.nPathLength)
            return "a loaded path longer than its length";
        WCHAR szText[KEY_TEXT_CHARS + 1];
        szText[KEY_TEXT_CHARS] = 0x5A5A;
        FormatKeyText(szText, &assign);
        if (szText[KEY_TEXT_CHARS] != 0x5A5A)
            return "the key text of a loaded entry overruns its buffer";
    }
    return NULL;
}

/* Everything but the path texts, which the ANSI code page may not carry unchanged. */
static int SameSet(const ASSIGNMENT_SET *pA, const ASSIGNMENT_SET *pB)
{
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        const ASSIGNMENT *a = &pA->aAssign[i], *b = &pB->aAssign[i];
        if (a->nKind != b->nKind || a->nKeyCount != b->nKeyCount || memcmp(a->awKey, b->awKey, sizeof(a->awKey)) ||
            a->nMouseAction != b->nMouseAction || a->wMoveAmount != b->wMoveAmount ||
            (a->pszPath == NULL) != (b->pszPath == NULL) || (!a->pszPath && a->nPathLength != b->nPathLength))
            return 0;
    }
    return memcmp(pA->abLed, pB->abLed, sizeof(pA->abLed)) == 0 && pA->bSystemRepeat == pB->bSystemRepeat &&
           pA->nAnalogCorrection == pB->nAnalogCorrection;
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
