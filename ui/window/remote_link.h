/*
 * remote_link.h - Zan's only use of the remote library. The rest of the UI speaks of the
 * remote through these; which slot a call addresses (the remote in use, or slot 0 for run
 * and stop) is decided here. UI thread only.
 */
#ifndef ZAN_REMOTE_LINK_H
#define ZAN_REMOTE_LINK_H

#include <windows.h>

#define REMOTE_LED_COUNT 4

void OpenRemoteLink(void);
void CloseRemoteLink(void);
/* The library's version word: major in bits 8-15, minor 16-23, revision 24-31. */
DWORD GetLibraryVersion(void);

/* Looks for remotes, reporting each new one to hOwner; the number found. */
int ConnectRemotes(HWND hOwner);
/* Lets every remote go, leaving their LEDs as they are. */
void DisconnectRemotes(void);
int CountRemotes(void);
int RemoteExists(int nSlot);

/* dwBlink 0: steady; otherwise the library alternates the pattern at that period once polled. */
void SetRemoteLeds(int nSlot, const BYTE abLed[REMOTE_LED_COUNT], DWORD dwBlink);
void SetRemotePolling(int nSlot, int bPolling);
/* A full-strength rumble of dwMs, stopped by the library: nothing waits for its end. */
void PulseRemoteRumble(int nSlot, DWORD dwMs);
/* Smoothing per correction level and the time-out, for the remote in the slot. */
void TuneRemote(int nSlot, int nCorrectionLevel, DWORD dwTimeout);
/* A remote that just connected: reports to hWnd, unpolled, with buttons and extension only. */
void TakeNewRemote(HWND hWnd, int nSlot);
/* What the set's pointer needs reported besides buttons and extension (WMRPT_ACCEL, _IR,
 * _MOTION; 0 none): the camera and the gyro run only while a set asks for them. */
void SetRemotePointerReport(int nSlot, DWORD dwPointerFlags);
/* Run and stop address slot 0, whichever remote is in use: polling on or off there, and
 * with pabLed the set's pattern. Nothing when slot 0 holds no remote. */
void SetSlotZeroPolling(int bPolling, const BYTE *pabLed);

/* 1 with the battery byte and the low-battery flag when the status could be read. */
int ReadRemoteBattery(int nSlot, int *pnLevel, int *pbOk);
/* 1 with the extension kind (WMEXT_...) when the status could be read. */
int ReadExtensionKind(int nSlot, int *pnKind);
/* Replaces the input copies the engine reads with the library's records named by the
 * masks (buttons, extension), only for the remote in use; 0 for any other slot. */
int RefreshInputCopies(int nSlot, const DWORD *pdwMasks);

#endif
