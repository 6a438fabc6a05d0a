/*
 * command_line.cpp - the first settings file named on the program's command line.
 */
#include "setting_file.h"

#include <string.h>

/* Tries one token; a token too long for a path buffer is passed over rather than
 * cut short, since a shortened path could name some other file. */
static int TryToken(LPCWSTR pszStart, int cch, WCHAR *pszCurrentPath)
{
    if (cch >= SETTING_PATH_CHARS)
        return 0;
    WCHAR szToken[SETTING_PATH_CHARS];
    memcpy(szToken, pszStart, (SIZE_T)cch * sizeof(WCHAR));
    szToken[cch] = L'\0';
    WCHAR szFull[SETTING_PATH_CHARS];
    if (!GetFullSettingPath(szToken, szFull) || !LoadCurrentSetFrom(szFull, 0))
        return 0;
    lstrcpyW(pszCurrentPath, szFull);
    return 1;
}

int GetFullSettingPath(LPCWSTR pszPath, WCHAR *pszFull)
{
    if (!pszPath || !pszPath[0])
        return 0;
    DWORD cch = GetFullPathNameW(pszPath, SETTING_PATH_CHARS, pszFull, NULL);
    return cch > 0 && cch < SETTING_PATH_CHARS;
}

int OpenCommandLineFile(LPCWSTR pszCommandLine, WCHAR *pszCurrentPath)
{
    if (!pszCommandLine)
        return 0;
    LPCWSTR p = pszCommandLine;
    while (*p) {
        LPCWSTR pszStart;
        LPCWSTR pszEnd;
        if (*p == L'"') {
            pszStart = p + 1;
            pszEnd = wcschr(pszStart, L'"');
            if (!pszEnd)
                return 0;
        } else {
            pszStart = p;
            pszEnd = wcschr(pszStart, L' ');
            if (!pszEnd)
                pszEnd = pszStart + lstrlenW(pszStart);
        }
        if (TryToken(pszStart, (int)(pszEnd - pszStart), pszCurrentPath))
            return 1;
        p = *pszEnd ? pszEnd + 1 : pszEnd;
    }
    return 0;
}
