/*
 * timer_calls.h - winmm's millisecond clock and timer resolution, looked up in the system
 * folder (system_dll.h) when the binary starts its work: Zan at start, tavel.dll in wm_Init.
 * Until then, or where winmm cannot be had, the clock is GetTickCount (the same count, in steps
 * of the 15.6 ms tick) and the resolution stays as it is (TIMERR_NOCANDO).
 */
#ifndef COMMON_TIMER_CALLS_H
#define COMMON_TIMER_CALLS_H

#include <windows.h>

typedef struct TIMER_CALLS {
    DWORD (WINAPI *pfnTimeGetTime)(void);
    UINT  (WINAPI *pfnTimeBeginPeriod)(UINT uPeriod);   /* an MMRESULT */
    UINT  (WINAPI *pfnTimeEndPeriod)(UINT uPeriod);
    DWORD dwError;                                      /* why winmm's calls are not in place; 0 once they are */
} TIMER_CALLS;

extern TIMER_CALLS g_Timer;

/* Looks winmm's calls up unless they are in place; 0 when winmm or one of them cannot be had,
   with the error in GetLastError() and in g_Timer.dwError. */
int LoadTimerCalls(void);
/* Takes the record's calls; NULL puts the stand-ins back, for the next LoadTimerCalls. */
void SetTimerCalls(const TIMER_CALLS *pCalls);

/* g_Timer's clock, for the tables that take a function. */
DWORD WINAPI TimerNow(void);

#endif
