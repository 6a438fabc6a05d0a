/*
 * auto_connect.h - the quiet connection when a device arrives or Windows resumes.
 * UI thread only.
 */
#ifndef ZAN_AUTO_CONNECT_H
#define ZAN_AUTO_CONNECT_H

#include <windows.h>

void WatchDeviceArrivals(HWND hWnd);
void StopWatchingDevices(HWND hWnd);
LRESULT OnDeviceChange(HWND hWnd, WPARAM wParam, LPARAM lParam);
LRESULT OnPowerBroadcast(HWND hWnd, WPARAM wParam);

#endif
