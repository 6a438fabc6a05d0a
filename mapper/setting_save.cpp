/*
 * setting_save.cpp - saving a set as a version-3 settings file, with the extra block
 * (setting_format.h) when the set uses press modes or layers.
 *
 * The file is written in full to a temporary file beside the target and then put in
 * its place, so a save that fails part-way (disk full, removed medium) reports 0 and
 * leaves the earlier file as it was instead of a truncated one. Where no temporary file
 * can be made (a read-only folder, a path near the length limit), the target itself is
 * rewritten, so a file that can be written can always be saved. The temporary file is
 * deleted only while the old file is intact (file_replace.cpp): a target that could be
 * neither replaced nor put back leaves the new contents complete under the temporary name,
 * which GetKeptSettingFile gives.
 */
#include "setting_file.h"

#include <shlwapi.h>
#include <string.h>

#include "file_replace.h"
#include "setting_format.h"

typedef struct FILE_IMAGE {
    BYTE *pBytes;
    DWORD cb;
} FILE_IMAGE;

/* A path in the ANSI code page, as the file stores it (WideCharToMultiByte's counts). What
 * the code page lacks is refused with ERROR_NO_UNICODE_TRANSLATION: the stand-in "?" or a
 * look-alike (U+00A5 written as a backslash) would store another path. */
static int ToAnsi(LPCWSTR psz, int cch, char *pOut, int cbOut)
{
    /* An ANSI code page of UTF-8 (a Windows option) holds all but a lone surrogate, and
     * refuses the best-fit flag and the default-character report. */
    int bUtf8 = GetACP() == CP_UTF8;
    BOOL bUsedDefault = FALSE;
    int cb = WideCharToMultiByte(CP_ACP, bUtf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, psz, cch, pOut, cbOut,
                                 NULL, bUtf8 ? NULL : &bUsedDefault);
    if (cb > 0 && bUsedDefault) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return cb;
}

/* Byte length of a path in the ANSI code page, without terminator; -1 when it can't be
 * converted exactly (GetLastError says why). */
static int AnsiLength(LPCWSTR psz)
{
    int cch = lstrlenW(psz);
    if (cch == 0)
        return 0;
    int cb = ToAnsi(psz, cch, NULL, 0);
    return cb > 0 ? cb : -1;
}

int CanStorePath(LPCWSTR pszPath)
{
    return !pszPath || AnsiLength(pszPath) >= 0;
}

/* Byte lengths of the entries' paths in the ANSI code page (0 without one); 0 when one
 * cannot be stored, else 1 with their sum added to *pcbTotal. */
static int MeasurePaths(const ASSIGNMENT *aEntry, int *anAnsi, DWORD *pcbTotal)
{
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        anAnsi[i] = aEntry[i].pszPath ? AnsiLength(aEntry[i].pszPath) : 0;
        if (anAnsi[i] < 0)
            return 0;
        *pcbTotal += (DWORD)anAnsi[i];
    }
    return 1;
}

/* The entries' path texts in slot order; where the next bytes start, or NULL on failure. */
static BYTE *PutPathTexts(BYTE *p, const ASSIGNMENT *aEntry, const int *anAnsi)
{
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        if (!aEntry[i].pszPath || anAnsi[i] == 0)
            continue;
        if (ToAnsi(aEntry[i].pszPath, lstrlenW(aEntry[i].pszPath), (char *)p, anAnsi[i]) != anAnsi[i])
            return NULL;
        p += anAnsi[i];
    }
    return p;
}

/* The whole file in memory: header, entries, path texts in slot order, tail; then, for a set
 * that uses them, the extra block. A layer slot is an empty disabled entry in the layout, so
 * a reader of version 3 alone finds nothing there it does not know. */
static int BuildFileImage(const ASSIGNMENT_SET *pSet, FILE_IMAGE *pImage)
{
    ASSIGNMENT aLayout[ASSIGN_SLOTS];
    int anAnsi[ASSIGN_SLOTS], anAnsi2[ASSIGN_SLOTS];
    int bExtras = UsesSetExtras(pSet);
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        aLayout[i] = pSet->aAssign[i];
        if (aLayout[i].nKind == ASSIGN_LAYER)
            memset(&aLayout[i], 0, sizeof(aLayout[i]));
    }
    DWORD cbTotal = FILE_HEADER_BYTES + FILE_ENTRIES_BYTES + FILE_TAIL_V3_BYTES;
    if (!MeasurePaths(aLayout, anAnsi, &cbTotal))
        return 0;
    if (bExtras) {
        cbTotal += EXTRA_HEADER_BYTES + ExtraFixedBytes(pSet);
        if (!MeasurePaths(pSet->aLayer2, anAnsi2, &cbTotal))
            return 0;
    }
    BYTE *p = (BYTE *)HeapAlloc(GetProcessHeap(), 0, cbTotal);
    if (!p)
        return 0;
    pImage->pBytes = p;
    pImage->cb = cbTotal;
    PutLe32(p, SET_VERSION_CURRENT);
    p += FILE_HEADER_BYTES;
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        const ASSIGNMENT *pAssign = &aLayout[i];
        /* Without a path the entry keeps its in-memory length. */
        int nLength = pAssign->pszPath ? anAnsi[i] : pAssign->nPathLength;
        EncodeEntry(p + i * FILE_ENTRY_BYTES, pAssign, nLength, pAssign->pszPath != NULL);
    }
    p = PutPathTexts(p + FILE_ENTRIES_BYTES, aLayout, anAnsi);
    if (!p)
        return 0;
    memcpy(p, pSet->abLed, ASSIGN_LEDS);
    p[ASSIGN_LEDS] = pSet->bSystemRepeat;
    p[ASSIGN_LEDS + 1] = pSet->nAnalogCorrection;
    p += FILE_TAIL_V3_BYTES;
    if (bExtras) {
        EncodeExtraBlock(p, pSet, anAnsi2);
        if (!PutPathTexts(p + EXTRA_HEADER_BYTES + ExtraFixedBytes(pSet), pSet->aLayer2, anAnsi2))
            return 0;
    }
    return 1;
}

enum { TEMP_WRITTEN, TEMP_NOT_MADE, TEMP_WRITE_FAILED };

static int WriteImage(HANDLE hFile, const FILE_IMAGE *pImage)
{
    return WriteWholeFile(hFile, pImage->pBytes, pImage->cb);
}

/* Writes the image into a new temporary file in the target's folder. TEMP_NOT_MADE when
 * the folder takes no new file (read-only) or the name would be too long. */
static int WriteTempFile(LPCWSTR pszTarget, const FILE_IMAGE *pImage, WCHAR *pszTemp)
{
    if (!MakeTempFileBeside(pszTarget, pszTemp))
        return TEMP_NOT_MADE;
    HANDLE hTemp = CreateFileW(pszTemp, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hTemp == INVALID_HANDLE_VALUE) {
        DeleteFileW(pszTemp);
        return TEMP_NOT_MADE;
    }
    int bOk = WriteImage(hTemp, pImage);
    DWORD dwError = GetLastError();
    CloseHandle(hTemp);
    if (!bOk) {
        DeleteFileW(pszTemp);
        SetLastError(dwError);
    }
    return bOk ? TEMP_WRITTEN : TEMP_WRITE_FAILED;
}

/* Without a temporary file: the target, already open, rewritten from its start. */
static int WriteInPlace(HANDLE hTarget, const FILE_IMAGE *pImage)
{
    LARGE_INTEGER liStart = {};
    return SetFilePointerEx(hTarget, liStart, NULL, FILE_BEGIN) && SetEndOfFile(hTarget)
        && WriteImage(hTarget, pImage);
}

/* The file that holds the new contents of the last failed save, or empty. */
static WCHAR g_szKeptFile[MAX_PATH];

int GetKeptSettingFile(WCHAR *pszKept)
{
    if (!g_szKeptFile[0])
        return 0;
    lstrcpynW(pszKept, g_szKeptFile, SETTING_PATH_CHARS);
    return 1;
}

int WriteSettingFile(WCHAR *pszPath, ASSIGNMENT_SET *pSet, int bCreate)
{
    g_szKeptFile[0] = L'\0';
    if (!pszPath || !pszPath[0] || !PathRenameExtensionW(pszPath, L".zan"))
        return 0;
    /* Opened first, without sharing, so a file in use or a missing one (bCreate 0) fails
     * before anything is written; it stays open until the new contents are complete. */
    HANDLE hTarget = CreateFileW(pszPath, GENERIC_WRITE, 0, NULL, bCreate ? OPEN_ALWAYS : OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, NULL);
    if (hTarget == INVALID_HANDLE_VALUE)
        return 0;
    int bCreated = bCreate && GetLastError() != ERROR_ALREADY_EXISTS;
    pSet->dwVersion = SET_VERSION_CURRENT;
    FILE_IMAGE image = { NULL, 0 };
    WCHAR szTemp[MAX_PATH];
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);   /* what a failed BuildFileImage leaves */
    int bOk = BuildFileImage(pSet, &image);
    int nTemp = bOk ? WriteTempFile(pszPath, &image, szTemp) : TEMP_WRITE_FAILED;
    if (nTemp == TEMP_NOT_MADE)
        bOk = WriteInPlace(hTarget, &image);
    /* The first failure's code is the one the caller gets, whatever the clean-up does. */
    DWORD dwError = GetLastError();
    HeapFree(GetProcessHeap(), 0, image.pBytes);
    CloseHandle(hTarget);
    if (nTemp == TEMP_WRITTEN) {
        /* The temporary file goes only while the old file is in place: never the last copy. */
        int nReplace = ReplaceWithNewFile(pszPath, szTemp);
        dwError = GetLastError();
        bOk = nReplace == REPLACE_DONE;
        if (nReplace == REPLACE_NEW_KEPT)
            lstrcpynW(g_szKeptFile, szTemp, MAX_PATH);
    } else if (nTemp == TEMP_WRITE_FAILED) {
        bOk = 0;
    }
    if (!bOk && bCreated)
        DeleteFileW(pszPath);
    if (!bOk)
        SetLastError(dwError);
    return bOk;
}

int SaveSettingFile(WCHAR *pszPath, int bCreate)
{
    return WriteSettingFile(pszPath, &g_CurrentSet, bCreate);
}
