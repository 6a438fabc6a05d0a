/*
 * connection.h - the remote in use: connecting with or without the selection dialog, the
 * settings and LED pattern it is given, and the status bar's connection text. UI thread only.
 */
#ifndef ZAN_CONNECTION_H
#define ZAN_CONNECTION_H

#include <windows.h>

#include "assignment.h"

int ConnectRemote(HWND hOwner, int bInteractive);
/* The connect message's slot, so a connection uses the slot the library chose. */
void NoteConnectedSlot(int nSlot);
/* Hands the set's correction level, what its pointer needs reported and the option's
 * time-out to the remote in the slot (nothing when it is negative); called whenever one of
 * them or the remote in use changes. */
void ApplyRemoteSettings(int nSlot);
void ShowConnectionText(void);
void ApplyLedPattern(const ASSIGNMENT_SET *pSet, int nSlot);
/* The connection text of status bar part 0 for an extension kind, or for no remote
 * in use when the kind is negative (without touching the status bar). */
void FormatConnectionText(WCHAR *pszText, int cchText, int nExtensionKind);

#endif
