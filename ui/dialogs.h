/* dialogs.h - the modal dialogs of Zan. UI thread only. */
#ifndef ZAN_DIALOGS_H
#define ZAN_DIALOGS_H

#include <windows.h>

#include "assignment.h"
#include "options.h"

/* About (103): ends with IDOK or IDCANCEL. */
INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
/* Remote selection (119): ends with the chosen slot, or -1. */
INT_PTR CALLBACK SelectRemoteDialog(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
/* Options (133), parameter the APP_OPTIONS record: ends with 1 (OK) or 2 (cancel). */
INT_PTR CALLBACK OptionsDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
/* Key setting (121), parameter the slot's ASSIGNMENT in the current set: ends with 1 (OK) or 2. */
INT_PTR CALLBACK KeySettingDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

#endif
