/*
 * foreground_watch.h - noticing that another window took the foreground: the elevation
 * notice and the program watch look then, rather than on a timer that wakes Zan while
 * nothing happens. UI thread only.
 */
#ifndef ZAN_FOREGROUND_WATCH_H
#define ZAN_FOREGROUND_WATCH_H

#include <windows.h>

/* Timer ids far from the main window's others. */
#define FOREGROUND_RECHECK_TIMER_ID 0x1481
#define FOREGROUND_SAFETY_TIMER_ID  0x1482

/* While a look ends undecided (a dialog of Zan is up, unsaved changes hold a switch back, a
   Store app's frame shows no app yet) Zan looks again this often. */
#define FOREGROUND_RECHECK_MS 250
/* A foreground change the system did not report is still noticed within this; without the
   system's report Zan looks at the recheck rate all the time. */
#define FOREGROUND_SAFETY_MS  2000

/* After the elevation notice and the program watch are started; takes a first look. */
void StartForegroundWatch(HWND hWnd);
void StopForegroundWatch(HWND hWnd);

#endif
