/*
 * engine_notes.h - what the engine tells the window: the layer in force, shown by the
 * remote's LEDs, and the pause, shown by the status bar and the tray tooltip and felt as
 * rumbles. UI thread only.
 */
#ifndef ZAN_ENGINE_NOTES_H
#define ZAN_ENGINE_NOTES_H

#include <windows.h>

/* The second rumble of a resume comes after this timer (the main window's). */
#define RUMBLE_TIMER_ID   2
#define RUMBLE_PULSE_MS   150
#define RUMBLE_SECOND_MS  300   /* from the first rumble's start: a pause as long as the pulse */

void OnEngineNote(HWND hWnd, WPARAM wNote, LPARAM lValue);
void OnRumbleTimer(HWND hWnd);
/* The layer the engine said is in force: 0 or 1. */
int ActiveLayer(void);
/* Mapping stopped: no layer 2 and no pause any more; texts follow. */
void ForgetEngineNotes(void);
/* The notice for status bar part 0 and the tooltip while paused; 0 (text untouched) otherwise. */
int GetPausedText(WCHAR *pszText, int cchText);

#endif
