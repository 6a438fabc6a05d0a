/*
 * modal_ui.h - everything that waits for the user's answer: message boxes, the file
 * dialogs and the modal dialogs. Each is owned by a window of Zan (the main
 * window when the caller names none), and while any is up Zan is "in modal UI": the
 * program watch, the automatic connection, the tray menu and a second start's hand-over
 * wait, so nothing switches the set, connects, exits or opens a second dialog under it.
 * UI thread only.
 */
#ifndef ZAN_MODAL_UI_H
#define ZAN_MODAL_UI_H

#include <windows.h>

/* 1 while a message box, file dialog or modal dialog of Zan is up. */
int IsModalUiUp(void);
/* Around a modal loop that is not shown through the functions below. When the last one
 * ends, the main window gets WM_APP_MODAL_ENDED, so what waited can go on. */
void EnterModalUi(void);
void LeaveModalUi(void);

/* Blocking message boxes go through here (and the window's seam), so tests can answer them. */
int ShowMessageBox(HWND hOwner, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType);
/* A message box of two string table entries. */
int ShowTextBox(HWND hOwner, UINT uText, UINT uCaption, UINT uType);
/* DialogBoxParamW of a dialog of the resources. */
INT_PTR RunModalDialog(UINT uDialogId, HWND hOwner, DLGPROC pfnDialog, LPARAM lParam);

/* File chooser: nonzero when the user chose a file, whose full path is then in pszFile;
 * buffers of MAX_PATH characters. The save dialog does not ask about replacing a file:
 * its caller does, for the name it will actually write. */
int ChooseFile(HWND hOwner, LPWSTR pszFileTitle, LPWSTR pszFile, LPCWSTR pszFilter, LPCWSTR pszTitle, int bSave);

#endif
