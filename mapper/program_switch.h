/*
 * program_switch.h - which set the foreground program asks for, and the default set kept
 * while a listed program's set is in use. Decisions only: loading and showing a set are
 * the window's. Window thread only.
 */
#ifndef ZAN_PROGRAM_SWITCH_H
#define ZAN_PROGRAM_SWITCH_H

#include <windows.h>

#include "assignment.h"
#include "program_sets.h"

typedef struct PROGRAM_SWITCH {
    WCHAR szActiveProgram[MAX_PATH];   /* the listed program whose set is in use; empty: the default set */
    WCHAR szActiveFile[MAX_PATH];      /* the file loaded for it */
    int   bHaveDefault;
    ASSIGNMENT_SET DefaultSet;         /* kept while a program's set is in use */
    WCHAR szDefaultFile[MAX_PATH];
    WCHAR szRefused[MAX_PATH];         /* the target whose switch was refused, so it is said once */
    int   bRefusedForFailure;          /* its file did not load: not tried again until the target changes */
} PROGRAM_SWITCH;

/* What one look at the foreground asks for. */
enum {
    SWITCH_KEEP,              /* the set in use is the one asked for */
    SWITCH_WAIT,              /* the target's file did not load last time: nothing is tried or said */
    SWITCH_REFUSE_MODIFIED,   /* the set in use has unsaved changes: it stays */
    SWITCH_TO_PROGRAM,        /* load the entry's file */
    SWITCH_TO_DEFAULT         /* put the kept default set back */
};

/* The request of the program in front, nEntry its entry in the list (-1: not listed, or
 * the feature is off). A modified set stays, whichever way the switch would go. */
int DecideProgramSwitch(const PROGRAM_SWITCH *pSwitch, const PROGRAM_SET_LIST *pList, int nEntry, int bModified);
/* The entry for the program in front, or -1 when none applies. */
int FindSwitchEntry(const PROGRAM_SET_LIST *pList, int bEnabled, LPCWSTR pszProgram);
/* The target's name for the refusal bookkeeping: the entry's program, or empty for the default set. */
LPCWSTR SwitchTarget(const PROGRAM_SET_LIST *pList, int nEntry);

/* The shell's own surfaces (the taskbar, Start, search, Alt+Tab) are not a program
 * change: while one is in front the set in use stays. By the window's process file name
 * and class name. */
int IsShellSurface(LPCWSTR pszProgram, LPCWSTR pszClass);
/* Every Store app's window is a frame of this process; the app is the process of the
 * frame's child window. */
int IsAppFrameHost(LPCWSTR pszProgram);

/* The user opened another file while a program's set was in use: that file is the default
 * set now, and the kept copy goes. */
void FollowCurrentFile(PROGRAM_SWITCH *pSwitch, LPCWSTR pszCurrentFile);
/* The file of the default set: the current one unless a program's set is in use. */
LPCWSTR DefaultSetFile(const PROGRAM_SWITCH *pSwitch, LPCWSTR pszCurrentFile);

/* A copy of pSet (with its strings) as the default set of pszFile; 0 when memory runs out. */
int KeepDefaultSet(PROGRAM_SWITCH *pSwitch, const ASSIGNMENT_SET *pSet, LPCWSTR pszFile);
void DropDefaultSet(PROGRAM_SWITCH *pSwitch);
/* A set was saved to pszFile: when that is the kept default set's file, the kept copy becomes
 * what was saved, so going back never brings an older copy over the file's last save. */
int NoteSetSaved(PROGRAM_SWITCH *pSwitch, const ASSIGNMENT_SET *pSaved, LPCWSTR pszFile);
/* The program's set is in use. */
void NoteProgramSet(PROGRAM_SWITCH *pSwitch, const PROGRAM_SET *pEntry);
/* The kept default set moves into *pSet (whose strings the caller has released); the
 * switch is back on the default set. */
void TakeDefaultSet(PROGRAM_SWITCH *pSwitch, ASSIGNMENT_SET *pSet);

/* 1 when a refusal of this target must be said: not said yet for this reason. */
int NoteRefusal(PROGRAM_SWITCH *pSwitch, LPCWSTR pszTarget, int bForFailure, int bNoticeShown);
void ClearRefusal(PROGRAM_SWITCH *pSwitch);

#endif
