/* connection.h - setting a remote up in a slot and tearing it down. */
#ifndef TAVEL_CONNECTION_H
#define TAVEL_CONNECTION_H

#include "device.h"

#define WII_VENDOR_ID  0x057E
#define WII_PRODUCT_ID 0x0306
/* Wii Remote Plus and later remotes (RVL-CNT-01-TR). */
#define WII_PRODUCT_ID_TR 0x0330
#define DEFAULT_TIMEOUT_MS 1000
/* wm_Connect sets remotes up for at most this long (tavel.h states the whole call's bound). */
#define CONNECT_BUDGET_MS 2500

/* The system settings every remote starts with. */
void SetDefaultSystem(WM_DEVICE *pDev);

/* A Wii Remote found among the HID devices, opened for overlapped I/O. */
typedef struct FOUND_REMOTE {
    LPCWSTR pszPath;
    HANDLE  hDevice;
    WORD    wProductId;
    DWORD   cbInput;  /* report lengths from the capability query */
    DWORD   cbOutput;
} FOUND_REMOTE;

/*
 * Sets up the found remote in nSlot (whose lock the caller holds) and announces it.
 * Takes over its handle: on any failure it has been closed. Returns the slot or -1.
 */
int CreateDevice(int nSlot, HWND hWnd, UINT uMsg, const FOUND_REMOTE *pFound);

/* Tears the remote down; with bNotify the client gets the disconnected message first.
   Returns 1, or 0 with WME_CONNECTING for a record still being set up. */

int DestroyDevice(WM_DEVICE *pDev, int bKeepOutputs, int bNotify);

#endif
