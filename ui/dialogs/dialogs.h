/* dialogs.h - the modal dialogs of Zan. UI thread only. */
#ifndef ZAN_DIALOGS_H
#define ZAN_DIALOGS_H

#include <windows.h>

#include "assignment.h"
#include "options.h"
#include "tavel.h"

/* About (103), parameter an empty ABOUT_DIALOG: ends with IDOK or IDCANCEL. */
typedef struct ABOUT_DIALOG {
    HICON hIcon;   /* the icon the dialog holds while it is open */
} ABOUT_DIALOG;
INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
/* Remote selection (119), parameter an empty SELECT_REMOTE: ends with the chosen slot, or -1. */
typedef struct SELECT_REMOTE {
    int anSlot[TAVEL_SLOTS];   /* the slots found at set-up; rows keep them as item data */
    int cSlots;
    int nBlinkSlot;            /* the selected row's remote, which alternates its LEDs; -1 none */
    int bBlinkPhase;           /* 0 shows LEDs 1+4, 1 shows LEDs 2+3 */
} SELECT_REMOTE;
INT_PTR CALLBACK SelectRemoteDialog(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
/* Options (133), parameter the APP_OPTIONS record: ends with 1 (OK) or 2 (cancel).
 * The dialog edits a working copy that only OK puts into the record. */
INT_PTR CALLBACK OptionsDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
/* Key setting (121), parameter the slot's ASSIGNMENT in the current set: ends with 1 (OK) or 2. */
INT_PTR CALLBACK KeySettingDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
/* The program list (140): edits a copy of g_ProgramSets; OK keeps and writes it.
 * Ends with IDOK or IDCANCEL. */
INT_PTR EditProgramSets(HWND hOwner);

#endif
