/*
 * file_replace.cpp - the file seam and the replacement of a file by a complete new one.
 */
#include "file_replace.h"

#include <shlwapi.h>

static const FILE_SEAM g_RealFileSeam = { WriteFile, ReplaceFileW, MoveFileExW };

FILE_SEAM g_FileSeam = g_RealFileSeam;

void SetFileSeam(const FILE_SEAM *pSeam)
{
    g_FileSeam = pSeam ? *pSeam : g_RealFileSeam;
}

int WriteWholeFile(HANDLE hFile, const void *pBytes, DWORD cb)
{
    DWORD cbWritten = 0;
    return g_FileSeam.pfnWriteFile(hFile, pBytes, cb, &cbWritten, NULL)
        && cbWritten == cb
        && FlushFileBuffers(hFile);
}

int MakeTempFileBeside(LPCWSTR pszTarget, WCHAR *pszTemp)
{
    WCHAR szFolder[MAX_PATH];
    if (lstrlenW(pszTarget) >= MAX_PATH)
        return 0;
    lstrcpynW(szFolder, pszTarget, MAX_PATH);
    PathRemoveFileSpecW(szFolder);
    if (!szFolder[0])
        lstrcpyW(szFolder, L".");
    /* Windows refuses a longer folder, but Wine writes the name past MAX_PATH. */
    if (lstrlenW(szFolder) > MAX_PATH - 14) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }
    return GetTempFileNameW(szFolder, L"zan", 0, pszTemp) != 0;
}

/* Tries for this long when another program (a virus scanner, an indexer) briefly holds
 * the target or the new file. */
#define REPLACE_RETRY_MS    1000
#define REPLACE_RETRY_STEP  50

static int IsBrieflyHeld(DWORD dwError)
{
    return dwError == ERROR_SHARING_VIOLATION || dwError == ERROR_LOCK_VIOLATION
        || dwError == ERROR_ACCESS_DENIED || dwError == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

/* Attributes a user may have given the file, which the new contents keep. */
#define KEPT_ATTRIBUTES (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | \
                         FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)

#define MOVE_FLAGS (MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)

static int Exists(LPCWSTR pszPath)
{
    return GetFileAttributesW(pszPath) != INVALID_FILE_ATTRIBUTES;
}

/* A free name beside the target for ReplaceFileW's backup: a temporary file's, the file
 * itself deleted again so the name is free; 0 when none can be made. */
static int MakeBackupName(LPCWSTR pszTarget, WCHAR *pszBackup)
{
    if (!MakeTempFileBeside(pszTarget, pszBackup))
        return 0;
    DeleteFileW(pszBackup);
    return 1;
}

/* ReplaceFileW failed and the target is gone (moved to the backup, or away): the new file
 * goes in by name, or else the old one is put back. Neither: the new file stays. */
static int AfterTargetMoved(LPCWSTR pszTarget, LPCWSTR pszNew, LPCWSTR pszBackup, DWORD dwError)
{
    if (g_FileSeam.pfnMoveFileEx(pszNew, pszTarget, MOVE_FLAGS)) {
        if (pszBackup)
            DeleteFileW(pszBackup);
        return REPLACE_DONE;
    }
    int nResult = REPLACE_NEW_KEPT;
    if (pszBackup && Exists(pszBackup) && g_FileSeam.pfnMoveFileEx(pszBackup, pszTarget, MOVE_FLAGS)) {
        DeleteFileW(pszNew);
        nResult = REPLACE_OLD_KEPT;
    }
    SetLastError(dwError);
    return nResult;
}

int ReplaceWithNewFile(LPCWSTR pszTarget, LPCWSTR pszNew)
{
    WCHAR szBackup[MAX_PATH];
    LPCWSTR pszBackup = MakeBackupName(pszTarget, szBackup) ? szBackup : NULL;
    DWORD dwAttributes = GetFileAttributesW(pszTarget);
    for (DWORD dwWaited = 0;; dwWaited += REPLACE_RETRY_STEP) {
        if (g_FileSeam.pfnReplaceFile(pszTarget, pszNew, pszBackup, REPLACEFILE_IGNORE_MERGE_ERRORS, NULL, NULL)) {
            if (pszBackup)
                DeleteFileW(pszBackup);
            /* Set again where a system's ReplaceFileW does not keep them. */
            if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & KEPT_ATTRIBUTES) &&
                GetFileAttributesW(pszTarget) != dwAttributes)
                SetFileAttributesW(pszTarget, dwAttributes & KEPT_ATTRIBUTES);
            return REPLACE_DONE;
        }
        DWORD dwError = GetLastError();
        if (!Exists(pszTarget))
            return AfterTargetMoved(pszTarget, pszNew, pszBackup, dwError);
        if (!IsBrieflyHeld(dwError) || dwWaited >= REPLACE_RETRY_MS) {
            /* The old file is in its place: the new one and any backup copy can go. */
            DeleteFileW(pszNew);
            if (pszBackup)
                DeleteFileW(pszBackup);
            SetLastError(dwError);
            return REPLACE_OLD_KEPT;
        }
        if (pszBackup)
            DeleteFileW(pszBackup);   /* the name free again for the next try */
        Sleep(REPLACE_RETRY_STEP);
    }
}
