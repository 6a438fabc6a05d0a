// The four pages on a host window that stands in for the main window, with real
// messages, real keyboard input and the key setting dialog run modally.
#ifndef PAGE_FIXTURE_H
#define PAGE_FIXTURE_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app.h"
#include "assignment.h"
#include "pump.h"

// The host window with the main window's own pages (CreatePages), refilled from the set.
HWND CreatePageHost(HINSTANCE hInstance);
void DestroyPageHost(HWND hHost);
void ShowPage(int nPage);


// Entry helpers.
void SetKeys(ASSIGNMENT &a, std::initializer_list<WORD> keys);
void SetPath(ASSIGNMENT &a, const wchar_t *pszPath);
std::wstring PathOf(const ASSIGNMENT &a);

// Runs body on the key setting dialog once it is up, inside its modal loop. The body
// should end the dialog; if it doesn't, the dialog is ended with -1.
struct DialogScript {
    std::function<void(HWND)> body;
    bool bSeen = false;
    void Arm();       // starts watching for the dialog
    void Disarm();
};
HWND FindKeyDialog();

// Keyboard input into the focused window of this thread.
void SendKey(WORD wVk, bool bUp);
void TapKey(WORD wVk);
bool FocusKeyField(HWND hDlg);
std::wstring TextOf(HWND hWnd);

// Mouse gestures as the button messages a slot button receives.
void Press(HWND hButton, bool bRight = false);
void LeaveButton(HWND hButton);
void Release(HWND hButton, bool bRight = false);

// Answers the slot menus instead of TrackPopupMenu, recording what they showed.
struct MenuItemSeen {
    UINT id;
    std::wstring text;
    bool bGrayed;
};
struct MenuAnswer {
    std::vector<int> answers;          // commands to return, in order (0: dismissed)
    std::vector<std::vector<MenuItemSeen>> shown;  // each menu's items (submenus flattened)
    std::vector<HWND> owners;
    void Install();
    void Uninstall();
};
const MenuItemSeen *FindItem(const std::vector<MenuItemSeen> &items, UINT id);

#endif
