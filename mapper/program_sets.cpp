/*
 * program_sets.cpp - the program list in option.ini and its lookups.
 */
#include "program_sets.h"

#include "options.h"

#include <shlwapi.h>
#include <string.h>

static const WCHAR PROGRAMS_SECTION[] = L"programs";

/* Room for every line of a full list: name, '=', path, NUL, and the final NUL. */
#define SECTION_CHARS (PROGRAM_SETS_MAX * (2 * MAX_PATH + 2) + 1)

static int IsBlank(WCHAR ch)
{
    return ch == L' ' || ch == L'\t';
}

/* The text from pszStart to pszEnd without the spaces and tabs around it, into pszOut
 * (cchOut); 0 when nothing is left or it does not fit. */
static int CopyTrimmed(LPCWSTR pszStart, LPCWSTR pszEnd, WCHAR *pszOut, int cchOut)
{
    while (pszStart < pszEnd && IsBlank(*pszStart))
        pszStart++;
    while (pszEnd > pszStart && IsBlank(pszEnd[-1]))
        pszEnd--;
    int cch = (int)(pszEnd - pszStart);
    if (cch == 0 || cch >= cchOut)
        return 0;
    memcpy(pszOut, pszStart, (size_t)cch * sizeof(WCHAR));
    pszOut[cch] = L'\0';
    return 1;
}

/* The settings file of an entry as a full path: a relative one is taken in pszFolder (one
 * from the root, like \sets\a.zan, on pszFolder's drive), then ".." and "." resolve. */
static int MakeFullSettingPath(LPCWSTR pszFile, LPCWSTR pszFolder, WCHAR *pszFull)
{
    WCHAR szJoined[MAX_PATH];
    int bFromRoot = pszFile[0] == L'\\' && pszFile[1] != L'\\';
    if (pszFolder[0] && (bFromRoot || PathIsRelativeW(pszFile))) {
        lstrcpynW(szJoined, pszFolder, MAX_PATH);
        if (bFromRoot)
            PathStripToRootW(szJoined);
        if (lstrlenW(szJoined) + 1 + lstrlenW(pszFile) >= MAX_PATH)
            return 0;
        PathAddBackslashW(szJoined);
        lstrcatW(szJoined, pszFile + bFromRoot);
        pszFile = szJoined;
    }
    DWORD cch = GetFullPathNameW(pszFile, MAX_PATH, pszFull, NULL);
    return cch > 0 && cch < MAX_PATH;
}

int TakeProgramSetLine(PROGRAM_SET_LIST *pList, LPCWSTR pszLine, LPCWSTR pszFolder)
{
    while (IsBlank(*pszLine))
        pszLine++;
    if (*pszLine == L';')
        return 1;   /* a comment */
    LPCWSTR pszEqual = wcschr(pszLine, L'=');
    WCHAR szProgram[MAX_PATH], szFile[MAX_PATH], szFull[MAX_PATH];
    if (!pszEqual || !CopyTrimmed(pszLine, pszEqual, szProgram, MAX_PATH) ||
        !CopyTrimmed(pszEqual + 1, pszEqual + 1 + lstrlenW(pszEqual + 1), szFile, MAX_PATH) ||
        !MakeFullSettingPath(szFile, pszFolder, szFull)) {
        pList->nRefused++;
        return 0;
    }
    PutProgramSet(pList, szProgram, szFull);
    return 1;
}

void ReadProgramSets(LPCWSTR pszIniPath, PROGRAM_SET_LIST *pList)
{
    ZeroMemory(pList, sizeof(*pList));
    WCHAR *pszSection = (WCHAR *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, SECTION_CHARS * sizeof(WCHAR));
    if (!pszSection)
        return;
    /* The folder of the file, for the entries' relative paths. */
    WCHAR szFolder[MAX_PATH];
    DWORD cch = GetFullPathNameW(pszIniPath, MAX_PATH, szFolder, NULL);
    if (cch == 0 || cch >= MAX_PATH)
        szFolder[0] = L'\0';
    PathRemoveFileSpecW(szFolder);
    GetPrivateProfileSectionW(PROGRAMS_SECTION, pszSection, SECTION_CHARS, pszIniPath);
    for (LPCWSTR psz = pszSection; *psz; psz += lstrlenW(psz) + 1)
        TakeProgramSetLine(pList, psz, szFolder);
    HeapFree(GetProcessHeap(), 0, pszSection);
}

int WriteProgramSets(LPCWSTR pszIniPath, const PROGRAM_SET_LIST *pList)
{
    MakeUnicodeFile(pszIniPath);
    if (pList->nCount == 0)
        return WritePrivateProfileStringW(PROGRAMS_SECTION, NULL, NULL, pszIniPath) ? 1 : 0;
    WCHAR *pszSection = (WCHAR *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, SECTION_CHARS * sizeof(WCHAR));
    if (!pszSection) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    WCHAR *psz = pszSection;
    for (int i = 0; i < pList->nCount; i++) {
        const PROGRAM_SET *pEntry = &pList->aEntry[i];
        psz += wsprintfW(psz, L"%s=%s", pEntry->szProgram, pEntry->szSettingFile) + 1;
    }
    *psz = L'\0';
    BOOL bWritten = WritePrivateProfileSectionW(PROGRAMS_SECTION, pszSection, pszIniPath);
    DWORD dwError = GetLastError();
    HeapFree(GetProcessHeap(), 0, pszSection);
    SetLastError(dwError);
    return bWritten ? 1 : 0;
}

int FindProgramSet(const PROGRAM_SET_LIST *pList, LPCWSTR pszProgram)
{
    for (int i = 0; i < pList->nCount; i++) {
        if (lstrcmpiW(pList->aEntry[i].szProgram, pszProgram) == 0)
            return i;
    }
    return -1;
}

int PutProgramSet(PROGRAM_SET_LIST *pList, LPCWSTR pszProgram, LPCWSTR pszSettingFile)
{
    if (!pszProgram[0] || !pszSettingFile[0])
        return -1;
    int nIndex = FindProgramSet(pList, pszProgram);
    if (nIndex < 0) {
        if (pList->nCount >= PROGRAM_SETS_MAX)
            return -1;
        nIndex = pList->nCount++;
        lstrcpynW(pList->aEntry[nIndex].szProgram, pszProgram, MAX_PATH);
    }
    lstrcpynW(pList->aEntry[nIndex].szSettingFile, pszSettingFile, MAX_PATH);
    return nIndex;
}

void RemoveProgramSet(PROGRAM_SET_LIST *pList, int nIndex)
{
    if (nIndex < 0 || nIndex >= pList->nCount)
        return;
    memmove(&pList->aEntry[nIndex], &pList->aEntry[nIndex + 1],
            (size_t)(pList->nCount - nIndex - 1) * sizeof(PROGRAM_SET));
    pList->nCount--;
}
