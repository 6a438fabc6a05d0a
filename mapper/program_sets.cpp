/*
 * program_sets.cpp - the program list in option.ini and its lookups.
 */
#include "program_sets.h"

#include "options.h"

#include <string.h>

static const WCHAR PROGRAMS_SECTION[] = L"programs";

/* Room for every line of a full list: name, '=', path, NUL, and the final NUL. */
#define SECTION_CHARS (PROGRAM_SETS_MAX * (2 * MAX_PATH + 2) + 1)

static void TakeLine(PROGRAM_SET_LIST *pList, LPCWSTR pszLine)
{
    LPCWSTR pszEqual = wcschr(pszLine, L'=');
    if (!pszEqual || pszEqual == pszLine || pszEqual - pszLine >= MAX_PATH)
        return;
    WCHAR szProgram[MAX_PATH];
    lstrcpynW(szProgram, pszLine, (int)(pszEqual - pszLine) + 1);
    PutProgramSet(pList, szProgram, pszEqual + 1);
}

void ReadProgramSets(LPCWSTR pszIniPath, PROGRAM_SET_LIST *pList)
{
    ZeroMemory(pList, sizeof(*pList));
    WCHAR *pszSection = (WCHAR *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, SECTION_CHARS * sizeof(WCHAR));
    if (!pszSection)
        return;
    GetPrivateProfileSectionW(PROGRAMS_SECTION, pszSection, SECTION_CHARS, pszIniPath);
    for (LPCWSTR psz = pszSection; *psz; psz += lstrlenW(psz) + 1)
        TakeLine(pList, psz);
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
