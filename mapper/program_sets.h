/*
 * program_sets.h - the list of programs with a settings file of their own: while such a
 * program has the foreground, Zan executes its set. Kept in option.ini, section "programs",
 * one line per program: file name=settings file.
 */
#ifndef ZAN_PROGRAM_SETS_H
#define ZAN_PROGRAM_SETS_H

#include <windows.h>

#define PROGRAM_SETS_MAX 32

typedef struct PROGRAM_SET {
    WCHAR szProgram[MAX_PATH];       /* file name only, e.g. notepad.exe */
    WCHAR szSettingFile[MAX_PATH];
} PROGRAM_SET;

typedef struct PROGRAM_SET_LIST {
    int         nCount;
    PROGRAM_SET aEntry[PROGRAM_SETS_MAX];
} PROGRAM_SET_LIST;

/* The list from the section; empty for a missing file or section. Lines without a name,
 * without a file or beyond PROGRAM_SETS_MAX are passed over. */
void ReadProgramSets(LPCWSTR pszIniPath, PROGRAM_SET_LIST *pList);
/* Replaces the whole section (an empty list removes it); 0 with the system's error when
 * the file cannot be written. */
int WriteProgramSets(LPCWSTR pszIniPath, const PROGRAM_SET_LIST *pList);

/* Index of the entry for a program file name (any case), or -1. */
int FindProgramSet(const PROGRAM_SET_LIST *pList, LPCWSTR pszProgram);
/* Adds the program or, when it is listed, replaces its file; the entry's index, or -1
 * when the list is full or a text is empty. */
int PutProgramSet(PROGRAM_SET_LIST *pList, LPCWSTR pszProgram, LPCWSTR pszSettingFile);
void RemoveProgramSet(PROGRAM_SET_LIST *pList, int nIndex);

#endif
