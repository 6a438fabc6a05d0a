/* pages.h - the four pages of the tab control: slot buttons and the options page. UI thread only. */
#ifndef ZAN_PAGES_H
#define ZAN_PAGES_H

#include <windows.h>

/* 0 while RefreshPages refills the pages, so their notifications do not mark the set modified. */
extern int bPagesReady;

/* Creates g_App.hTab in hWnd with the four pages (g_App.ahPage), their controls set up, and
   the slot kind bitmaps; g_App.hInstance and g_App.hFont must be set. */
void CreatePages(HWND hWnd);
/* Called once for every child control of every page right after the pages are created. */
void SetupPageControls(HWND hControl);
/* Fills every page from the current set and repaints the slot buttons. */
void RefreshPages(void);

INT_PTR CALLBACK AssignPageProc(HWND hPage, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OptionsPageProc(HWND hPage, UINT uMsg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK AssignButtonProc(HWND hButton, UINT uMsg, WPARAM wParam, LPARAM lParam);

/* What the window shows of the remote's input: slot buttons of pressed inputs highlighted
 * (slot_highlight.cpp), the options page's battery and extension lines (page_remote_info.cpp). */
int IsSlotShownPressed(int nSlot);
/* Recomputes the highlight from the latest copies; redraws the buttons that changed. */
void RefreshSlotHighlight(void);
/* Nonzero when stop must leave the remote's reports on (the highlight needs them). */
int WantsInputWhileStopped(void);
/* After the options are read or changed: the engine's reaction, reports while stopped, highlight. */
void ApplyViewOptions(void);
void RefreshRemoteInfo(void);

#endif
