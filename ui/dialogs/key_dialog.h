/* key_dialog.h - the key setting dialog's own record, shared by the dialog procedure,
 * the keyboard hook and the key field. UI thread only; one dialog at a time. */
#ifndef ZAN_KEY_DIALOG_H
#define ZAN_KEY_DIALOG_H

#include <windows.h>

#include "assignment.h"

typedef struct KEY_DIALOG {
    ASSIGNMENT *pEntry;         /* the slot's entry in the current set */
    ASSIGNMENT  work;           /* the working copy; its path is a private duplicate */
    HWND        hDlg;
    HWND        hKeyField;
    WNDPROC     pfnFieldProc;   /* the key field's own procedure */
    HHOOK       hHook;          /* KeyCaptureHook while the dialog is open */
    int         bSnapshotTaken; /* print-screen taken on its key-down; its key-up adds nothing */
    int         nLayer;         /* the layer of the set the entry belongs to: 0 or 1 */
} KEY_DIALOG;

LRESULT CALLBACK KeyCaptureHook(int nCode, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK KeyFieldProc(HWND hField, UINT uMsg, WPARAM wParam, LPARAM lParam);

/* The dialog record of a key field, or NULL for any other window. */
KEY_DIALOG *KeyDialogOfField(HWND hField);
/* Shows the working copy's keys in the key field. */
void ShowKeyText(KEY_DIALOG *pDialog);

/* key_dialog_modes.cpp: the press mode, the turbo rate and the layer mode. */
void FillModeLists(HWND hDlg);
void ShowModeFields(HWND hDlg, const ASSIGNMENT *pWork);
void EnableModeFields(HWND hDlg, const ASSIGNMENT *pWork);
/* Only layer 1 offers the layer kind: a layer slot switches layers in both. */
int OffersLayerKind(const KEY_DIALOG *pDialog);
void OnPressModeChanged(KEY_DIALOG *pDialog);
void OnLayerModeChanged(KEY_DIALOG *pDialog);
/* On OK: the rate field into the working copy, and what does not apply cleared. */
void AcceptModeFields(KEY_DIALOG *pDialog);

#endif
