/*
 * setting_save.cpp - saving a set as a version-3 settings file.
 *
 * The file is written in full to a temporary file beside the target and then put in
 * its place, so a save that fails part-way (disk full, removed medium) reports 0 and
 * leaves the earlier file as it was instead of a truncated one. Where no temporary file
 * can be made (a read-only folder, a path near the length limit), the target itself is
 * rewritten, so a file that can be written can always be saved.
 */
#include "setting_file.h"

#include <shlwapi.h>
#include <string.h>

#include "setting_format.h"

typedef struct FILE_IMAGE {
    BYTE *pBytes;
    DWORD cb;
} FILE_IMAGE;

/* Byte length of a path in the ANSI code page, without terminator; -1 when it can't be converted. */
static int AnsiLength(LPCWSTR psz)
{
    int cch = lstrlenW(psz);
    if (cch == 0)
        return 0;
    int cb = WideCharToMultiByte(CP_ACP, 0, psz, cch, NULL, 0, NULL, NULL);
    return cb > 0 ? cb : -1;
}

/* The whole file in memory: header, entries, path texts in slot order, tail. */
static int BuildFileImage(const ASSIGNMENT_SET *pSet, FILE_IMAGE *pImage)
{
    int anAnsi[ASSIGN_SLOTS];
    DWORD cbTotal = FILE_HEADER_BYTES + FILE_ENTRIES_BYTES + FILE_TAIL_V3_BYTES;
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        const ASSIGNMENT *pAssign = &pSet->aAssign[i];
        anAnsi[i] = pAssign->pszPath ? AnsiLength(pAssign->pszPath) : 0;
        if (anAnsi[i] < 0)
            return 0;
        cbTotal += (DWORD)anAnsi[i];
    }
    BYTE *p = (BYTE *)HeapAlloc(GetProcessHeap(), 0, cbTotal);
    if (!p)
        return 0;
    pImage->pBytes = p;
    pImage->cb = cbTotal;
    PutLe32(p, SET_VERSION_CURRENT);
    p += FILE_HEADER_BYTES;
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        const ASSIGNMENT *pAssign = &pSet->aAssign[i];
        /* Without a path the entry keeps its in-memory length. */
        int nLength = pAssign->pszPath ? anAnsi[i] : pAssign->nPathLength;
        EncodeEntry(p + i * FILE_ENTRY_BYTES, pAssign, nLength, pAssign->pszPath != NULL);
    }
    p += FILE_ENTRIES_BYTES;
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        const ASSIGNMENT *pAssign = &pSet->aAssign[i];
        if (!pAssign->pszPath || anAnsi[i] == 0)
            continue;
        WideCharToMultiByte(CP_ACP, 0, pAssign->pszPath, lstrlenW(pAssign->pszPath),
                            (char *)p, anAnsi[i], NULL, NULL);
        p += anAnsi[i];
    }
    memcpy(p, pSet->abLed, ASSIGN_LEDS);
    p[ASSIGN_LEDS] = pSet->bSystemRepeat;
    p[ASSIGN_LEDS + 1] = pSet->nAnalogCorrection;
    return 1;
}

/* Tries for this long when another program (a virus scanner, an indexer) briefly holds
 * the target or the new file. */
#define REPLACE_RETRY_MS    1000
#define REPLACE_RETRY_STEP  50

enum { TEMP_WRITTEN, TEMP_NOT_MADE, TEMP_WRITE_FAILED };

static int WriteImage(HANDLE hFile, const FILE_IMAGE *pImage)
{
    DWORD cbWritten = 0;
    return WriteFile(hFile, pImage->pBytes, pImage->cb, &cbWritten, NULL)
        && cbWritten == pImage->cb
        && FlushFileBuffers(hFile);
}

/* Writes the image into a new temporary file in the target's folder. TEMP_NOT_MADE when
 * the folder takes no new file (read-only) or the name would be too long. */
static int WriteTempFile(LPCWSTR pszTarget, const FILE_IMAGE *pImage, WCHAR *pszTemp)
{
    WCHAR szFolder[SETTING_PATH_CHARS];
    lstrcpynW(szFolder, pszTarget, SETTING_PATH_CHARS);
    PathRemoveFileSpecW(szFolder);
    if (!szFolder[0])
        lstrcpyW(szFolder, L".");
    if (!GetTempFileNameW(szFolder, L"zan", 0, pszTemp))
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

static int IsBrieflyHeld(DWORD dwError)
{
    return dwError == ERROR_SHARING_VIOLATION || dwError == ERROR_LOCK_VIOLATION
        || dwError == ERROR_ACCESS_DENIED || dwError == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

/* Attributes a user may have given the file, which the new contents keep. */
#define KEPT_ATTRIBUTES (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | \
                         FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)

/* Puts the temporary file in the target's place. ReplaceFileW keeps the target's
 * attributes and security (the attributes are set again where a system's ReplaceFileW
 * does not); when the target was renamed away and the new file could not follow, the
 * new file is moved in by name. */
static int ReplaceTarget(LPCWSTR pszTarget, LPCWSTR pszTemp)
{
    DWORD dwAttributes = GetFileAttributesW(pszTarget);
    for (DWORD dwWaited = 0;; dwWaited += REPLACE_RETRY_STEP) {
        if (ReplaceFileW(pszTarget, pszTemp, NULL, REPLACEFILE_IGNORE_MERGE_ERRORS, NULL, NULL)) {
            if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & KEPT_ATTRIBUTES) &&
                GetFileAttributesW(pszTarget) != dwAttributes)
                SetFileAttributesW(pszTarget, dwAttributes & KEPT_ATTRIBUTES);
            return 1;
        }
        DWORD dwError = GetLastError();
        if (GetFileAttributesW(pszTarget) == INVALID_FILE_ATTRIBUTES)
            return MoveFileExW(pszTemp, pszTarget, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (!IsBrieflyHeld(dwError) || dwWaited >= REPLACE_RETRY_MS) {
            SetLastError(dwError);
            return 0;
        }
        Sleep(REPLACE_RETRY_STEP);
    }
}

/* Without a temporary file: the target, already open, rewritten from its start. */
static int WriteInPlace(HANDLE hTarget, const FILE_IMAGE *pImage)
{
    LARGE_INTEGER liStart = {};
    return SetFilePointerEx(hTarget, liStart, NULL, FILE_BEGIN) && SetEndOfFile(hTarget)
        && WriteImage(hTarget, pImage);
}

int WriteSettingFile(WCHAR *pszPath, ASSIGNMENT_SET *pSet, int bCreate)
{
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
        bOk = ReplaceTarget(pszPath, szTemp);
        dwError = GetLastError();
        if (!bOk)
            DeleteFileW(szTemp);
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
