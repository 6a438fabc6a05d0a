/*
 * timer_throttling.h - Windows 11 does not honour timeBeginPeriod for a process whose windows
 * are all hidden or minimised (Zan in the notification area, or a client of tavel.dll kept out
 * of sight): the engine's 10 ms cycle and the library's 10 ms rumble pulses stretch to the 15.6 ms tick,
 * unless the process opts out of that throttling.
 */
#ifndef COMMON_TIMER_THROTTLING_H
#define COMMON_TIMER_THROTTLING_H

/* Opts the process out. SetProcessInformation is looked up in kernel32, which lacks it before
   Windows 8 (where nothing is throttled either). 0 when the opt-out was not taken, with the
   error in GetLastError(): the process then runs as it did, so callers go on. */
int KeepTimerResolution(void);

#endif
