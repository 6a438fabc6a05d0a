/* pages.h - the four pages of the tab control: slot buttons and the options page. UI thread only. */
#ifndef ZAN_PAGES_H
#define ZAN_PAGES_H

#include <windows.h>

#include "assignment.h"

/* 0 while RefreshPages refills the pages, so their notifications do not mark the set modified. */
extern int bPagesReady;

/* Creates g_App.hTab in hWnd with the four pages (g_App.ahPage), their controls set up, and
   the slot kind bitmaps; g_App.hInstance and g_App.hFont must be set. */
void CreatePages(HWND hWnd);
/* Called once for every child control of every page right after the pages are created. */
void SetupPageControls(HWND hControl);
/* The switch above the tabs between the layers the slot pages show (layer_view.cpp).
 * PlaceLayerSwitch puts it at x, y and returns the height it takes with its gap. */
void CreateLayerSwitch(HWND hWnd);
int PlaceLayerSwitch(int x, int y);
/* Shows and edits nLayer on the slot pages; the title says when it is layer 2. */
void ShowLayer(int nLayer);
/* WM_COMMAND of a switch button; 0 for any other control. */
int OnLayerSwitch(WPARAM wParam);
/* The entry slot nSlot's button stands for in the layer shown, and whether it is that
 * layer's own (a layer slot shown in layer 2 is its layer-1 entry, not edited there). */
ASSIGNMENT *ShownEntry(int nSlot);
int IsSlotEditable(int nSlot);
/* Fills every page from the current set and repaints the slot buttons. */
void RefreshPages(void);

/* The options page's pointer group (page_pointer.cpp): its lists filled, a control shown
 * from the current set, a command stored into it. Each returns 0 for another control; the
 * command 1 when it changed the set. */
int SetupPointerControl(HWND hControl, int nId);
int RefreshPointerControl(HWND hControl, int nId);
int ApplyPointerCommand(HWND hPage, int nId, int nCode);

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
