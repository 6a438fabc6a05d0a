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
    int         nRefused;            /* lines of the section ReadProgramSets did not take */
} PROGRAM_SET_LIST;

/* The list from the section; empty for a missing file or section. Each line as
 * TakeProgramSetLine takes it, relative files in the folder of pszIniPath; lines beyond
 * PROGRAM_SETS_MAX are passed over. */
void ReadProgramSets(LPCWSTR pszIniPath, PROGRAM_SET_LIST *pList);
/* One line of the section, "program = file": the spaces and tabs around the name and the
 * file go, the file becomes a full path (a relative one taken in pszFolder, then made full
 * with GetFullPathNameW, so "..\" resolves). A line without '=', with an empty name or an
 * empty file, or with a name or path too long for MAX_PATH is refused: 0, and counted in
 * nRefused. A comment (';') is passed over. 1 when the line was taken or passed over. */
int TakeProgramSetLine(PROGRAM_SET_LIST *pList, LPCWSTR pszLine, LPCWSTR pszFolder);
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
