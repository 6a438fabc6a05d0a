/* connection.h - setting a remote up in a slot and tearing it down. */
#ifndef TAVEL_CONNECTION_H
#define TAVEL_CONNECTION_H

#include "device.h"

#define WII_VENDOR_ID  0x057E
#define WII_PRODUCT_ID 0x0306
#define DEFAULT_TIMEOUT_MS 1000

/* The system settings every remote starts with. */
void SetDefaultSystem(WM_DEVICE *pDev);

/*
 * Sets up the opened device in nSlot (whose lock the caller holds) and announces it.
 * Takes over hDevice: on any failure it has been closed. Returns the slot or -1.
 */
int CreateDevice(int nSlot, HWND hWnd, UINT uMsg, LPCWSTR pszPath, HANDLE hDevice);

int DestroyDevice(WM_DEVICE *pDev, int bKeepOutputs, int bNotify);

#endif
