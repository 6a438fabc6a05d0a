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

LPCWSTR NextCommandLineWord(LPCWSTR p, LPCWSTR *ppszWord, int *pcchWord, int *pbQuoted)
{
    if (!p || !*p)
        return NULL;
    *pbQuoted = *p == L'"';
    LPCWSTR pszStart = *pbQuoted ? p + 1 : p;
    LPCWSTR pszEnd = wcschr(pszStart, *pbQuoted ? L'"' : L' ');
    if (!pszEnd) {
        if (*pbQuoted)
            return NULL;
        pszEnd = pszStart + lstrlenW(pszStart);
    }
    *ppszWord = pszStart;
    *pcchWord = (int)(pszEnd - pszStart);
    return *pszEnd ? pszEnd + 1 : pszEnd;
}

int OpenCommandLineFile(LPCWSTR pszCommandLine, WCHAR *pszCurrentPath)
{
    LPCWSTR pszWord;
    int cchWord, bQuoted;
    for (LPCWSTR p = pszCommandLine; (p = NextCommandLineWord(p, &pszWord, &cchWord, &bQuoted)) != NULL;)
        if (TryToken(pszWord, cchWord, pszCurrentPath))
            return 1;
    return 0;
}
