/*
 * input_blocked.h - the notice when Windows blocks input to the foreground window: an
 * elevated program has it and Zan is not elevated. UI thread only.
 */
#ifndef ZAN_INPUT_BLOCKED_H
#define ZAN_INPUT_BLOCKED_H

#include <windows.h>

/* The processes' tokens asked (the real calls of the window's seam): 1 elevated, 0 not, -1 unknown. */
int QueryWindowElevation(HWND hWnd);
int QuerySelfElevation(void);

void WatchForegroundElevation(void);
void StopWatchingForeground(void);
/* A look at the foreground window (the foreground watch's): a window other than the last
   one is asked whether it runs elevated. */
void CheckForegroundElevation(HWND hForeground);
/* 1 while the foreground window is elevated and Zan is not: its input is dropped. */
int IsInputBlocked(void);
/* The notice for status bar part 0 when input is blocked; 0 (text untouched) otherwise. */
int GetInputBlockedText(WCHAR *pszText, int cchText);

#endif
