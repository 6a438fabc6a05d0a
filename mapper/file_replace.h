/*
 * file_replace.h - putting a complete new file in the place of an old one, so that a write
 * that fails part-way, or a replacement that fails half-done, never leaves neither: the old
 * file keeps its contents, or else the new contents stay complete under another name.
 *
 * The file calls a failure can come from go through a seam: production uses the real ones,
 * the tests put in calls that fail as Windows' do.
 */
#ifndef ZAN_FILE_REPLACE_H
#define ZAN_FILE_REPLACE_H

#include <windows.h>

typedef struct FILE_SEAM {
    BOOL (WINAPI *pfnWriteFile)(HANDLE hFile, LPCVOID pBuffer, DWORD cbWrite, LPDWORD pcbWritten,
                                LPOVERLAPPED pOverlapped);
    BOOL (WINAPI *pfnReplaceFile)(LPCWSTR pszReplaced, LPCWSTR pszReplacement, LPCWSTR pszBackup,
                                  DWORD dwFlags, LPVOID pExclude, LPVOID pReserved);
    BOOL (WINAPI *pfnMoveFileEx)(LPCWSTR pszFrom, LPCWSTR pszTo, DWORD dwFlags);
} FILE_SEAM;

extern FILE_SEAM g_FileSeam;

/* Takes the record's calls; NULL puts the real ones back. */
void SetFileSeam(const FILE_SEAM *pSeam);

/* The whole buffer through the seam's WriteFile, then flushed; 0 when any of it failed. */
int WriteWholeFile(HANDLE hFile, const void *pBytes, DWORD cb);

/* A new temporary file's name (created, empty) in the folder of pszTarget, in pszTemp
 * (MAX_PATH); 0 when the folder takes no new file or the name would be too long. */
int MakeTempFileBeside(LPCWSTR pszTarget, WCHAR *pszTemp);

/* ReplaceWithNewFile's results. */
enum {
    REPLACE_DONE,       /* the target has the new contents; the new file's name is gone */
    REPLACE_OLD_KEPT,   /* failed: the target has its old contents; the new file was deleted */
    REPLACE_NEW_KEPT    /* failed: the target could be neither replaced nor put back; the new
                         * contents are complete under pszNew, which was kept */
};

/* Puts the complete file pszNew (beside it) in pszTarget's place. ReplaceFileW keeps the
 * target's attributes and security, and is given a backup name so that a target it moved
 * away and could not replace can be put back. A target briefly held by another program is
 * tried again for a second; one moved away is replaced by moving the new file in by name.
 * The new file is deleted only while the old one is intact. On a failure GetLastError is the
 * first failure's code. */
int ReplaceWithNewFile(LPCWSTR pszTarget, LPCWSTR pszNew);

#endif
