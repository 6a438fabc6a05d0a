/*
 * program_watch.h - one set per program: while a listed program has the foreground Zan
 * executes that program's settings file, and goes back to the default set when another
 * program takes the foreground. Window thread only.
 */
#ifndef ZAN_PROGRAM_WATCH_H
#define ZAN_PROGRAM_WATCH_H

#include <windows.h>

#include "program_sets.h"

/* The list as option.ini held it at start, or as the list dialog left it. */
extern PROGRAM_SET_LIST g_ProgramSets;

/* Which process owns the foreground window, and its executable's file name; 0 when
 * there is no foreground window, it cannot be told or it is the shell's own (the set in
 * use then stays). Tests answer it themselves. */
typedef DWORD (*FOREGROUND_PROGRAM_PROC)(WCHAR *pszName, int cchName);
/* The system's answer (foreground_program.cpp): a Store app by its own process. */
DWORD QuerySystemForeground(WCHAR *pszName, int cchName);
void SetForegroundProgramProc(FOREGROUND_PROGRAM_PROC pfnQuery);   /* NULL: the system's */

/* Window creation: reads the list from the options file. */
void StartProgramWatch(HWND hWnd);
/* Window destruction, after the options are written. */
void StopProgramWatch(void);
/* The file of the default set: the current file unless a program's set is in use. The
 * file remembered at exit, so that it is never a program's. */
LPCWSTR GetDefaultSetFile(void);
/* A save of the current set to pszPath: the kept default set follows a save of its file. */
void NoteProgramWatchSave(LPCWSTR pszPath);
/* One look at the foreground program and the switch it asks for (the foreground watch's).
 * 1: look again soon, the look could not decide (a dialog of Zan is up, unsaved changes
 * hold the switch back, a Store app's frame shows no app yet). */
int CheckForegroundProgram(void);
/* The last program other than Zan that had the foreground; empty when none had. */
LPCWSTR GetLastForeignProgram(void);

#endif
