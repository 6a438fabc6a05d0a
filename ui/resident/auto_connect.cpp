/* auto_connect.cpp - connecting quietly when a HID device arrives or Windows resumes. */
#include <windows.h>

#include <commctrl.h>
#include <dbt.h>
#include <stddef.h>
#include <stdio.h>

#include "auto_connect.h"
#include "connection.h"
#include "main_handlers.h"
#include "modal_ui.h"
#include "program_state.h"
#include "remote_arrival.h"
#include "resource.h"

#define AUTO_CONNECT_TIMER_ID  42040
/* A remote arrives as a burst of interfaces, and after a resume the Bluetooth stack needs a
 * moment: one attempt once the arrivals have been quiet this long. */
#define AUTO_CONNECT_DELAY_MS  1500
#define NOTICE_CHARS           96
#define CONNECTION_TEXT_CHARS  64

/* The HID device interface class (GUID_DEVINTERFACE_HID). */
static const GUID HID_INTERFACE_CLASS = { 0x4D1E55B2, 0xF16F, 0x11CF, { 0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30 } };

typedef struct AUTO_CONNECT {
    HDEVNOTIFY hNotify;
} AUTO_CONNECT;

static AUTO_CONNECT g_AutoConnect;

void WatchDeviceArrivals(HWND hWnd)
{
    DEV_BROADCAST_DEVICEINTERFACE_W filter;
    ZeroMemory(&filter, sizeof(filter));
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = HID_INTERFACE_CLASS;
    g_AutoConnect.hNotify = RegisterDeviceNotificationW(hWnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void StopWatchingDevices(HWND hWnd)
{
    KillTimer(hWnd, AUTO_CONNECT_TIMER_ID);
    if (g_AutoConnect.hNotify)
        UnregisterDeviceNotification(g_AutoConnect.hNotify);
    g_AutoConnect.hNotify = NULL;
}

static void ShowAutoConnectText(int bConnected)
{
    WCHAR szText[NOTICE_CHARS];
    if (LoadStringW(g_App.hInstance, bConnected ? IDS_AUTO_CONNECTED : IDS_AUTO_NOT_FOUND, szText, NOTICE_CHARS) <= 0)
        return;
    if (bConnected) {
        WCHAR szConnection[CONNECTION_TEXT_CHARS], szFormat[NOTICE_CHARS];
        FormatConnectionText(szConnection, CONNECTION_TEXT_CHARS, g_State.nExtensionKind);
        lstrcpynW(szFormat, szText, NOTICE_CHARS);
        _snwprintf(szText, NOTICE_CHARS, szFormat, szConnection);
        szText[NOTICE_CHARS - 1] = L'\0';
    }
    SendMessageW(g_App.hStatus, SB_SETTEXTW, 0, (LPARAM)szText);
}

static VOID CALLBACK AutoConnectTick(HWND hWnd, UINT uMsg, UINT_PTR uTimer, DWORD dwTime)
{
    (void)uMsg;
    (void)dwTime;
    /* A box or dialog of Zan (a connection's selection among them) is up: later. */
    if (IsModalUiUp())
        return;
    KillTimer(hWnd, uTimer);
    if (!g_Options.bAutoConnect || g_State.nSelectedRemote >= 0)
        return;
    ShowAutoConnectText(ConnectRemote(hWnd, 0));
}

static void ScheduleAutoConnect(HWND hWnd)
{
    /* Setting the timer again restarts it, so a burst makes one attempt. Whether a remote is
     * in use is asked when it fires: the one in use may be lost meanwhile. */
    if (g_Options.bAutoConnect)
        SetTimer(hWnd, AUTO_CONNECT_TIMER_ID, AUTO_CONNECT_DELAY_MS, AutoConnectTick);
}

LRESULT OnDeviceChange(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
    const DEV_BROADCAST_HDR *pHeader = (const DEV_BROADCAST_HDR *)lParam;
    if (wParam != DBT_DEVICEARRIVAL || !pHeader || pHeader->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE ||
        pHeader->dbch_size <= offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name))
        return TRUE;
    /* Only a remote's arrival is worth an attempt: each one opens every HID device there is. */
    if (IsRemoteInterfaceName(((const DEV_BROADCAST_DEVICEINTERFACE_W *)pHeader)->dbcc_name))
        ScheduleAutoConnect(hWnd);
    return TRUE;
}

LRESULT OnPowerBroadcast(HWND hWnd, WPARAM wParam)
{
    if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND)
        ScheduleAutoConnect(hWnd);
    return TRUE;
}
