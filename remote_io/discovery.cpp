/* discovery.cpp - finding Wii Remotes among the HID devices: wm_Connect and wm_Disconnect. */
#include <stdlib.h>
#include <wchar.h>

#include "connection.h"
#include "frame.h"
#include "hid_io.h"
#include "transport.h"

enum { FOUND_SKIPPED = 0, FOUND_CONNECTED = 1, FOUND_NO_SLOT = 2, FOUND_SHORT_REPORTS = 3 };

static int IsWiiRemoteProduct(WORD wVendor, WORD wProduct)
{
    return wVendor == WII_VENDOR_ID && (wProduct == WII_PRODUCT_ID || wProduct == WII_PRODUCT_ID_TR);
}

/* A Wii Remote answers with its ids and a readable capability set, which gives its report lengths. */
static int IsWiiRemote(FOUND_REMOTE *pFound)
{
    HIDD_ATTRIBUTES attributes = {};
    attributes.Size = sizeof(attributes);
    if (!g_HidIo.pfnHidD_GetAttributes(pFound->hDevice, &attributes) ||
        !IsWiiRemoteProduct(attributes.VendorID, attributes.ProductID))
        return 0;
    PHIDP_PREPARSED_DATA pData = NULL;
    if (!g_HidIo.pfnHidD_GetPreparsedData(pFound->hDevice, &pData))
        return 0;
    HIDP_CAPS caps;
    int bOk = g_HidIo.pfnHidP_GetCaps(pData, &caps) == HIDP_STATUS_SUCCESS;
    g_HidIo.pfnHidD_FreePreparsedData(pData);
    pFound->wProductId = attributes.ProductID;
    pFound->cbInput = caps.InputReportByteLength;
    pFound->cbOutput = caps.OutputReportByteLength;
    return bOk;
}

/* The same HID device is already in a slot: a second slot would see only part of its reports. */
static int IsDuplicate(LPCWSTR pszPath)
{
    int bFound = 0;
    for (int i = 0; i < TAVEL_SLOTS && !bFound; i++) {
        LockSlot(i);
        WM_DEVICE *pDev = g_Lib.apSlot[i];
        bFound = pDev && pDev->pszPath && _wcsicmp(pDev->pszPath, pszPath) == 0;
        UnlockSlot(i);
    }
    return bFound;
}

static int HasUsableLengths(const FOUND_REMOTE *pFound)
{
    return pFound->cbInput >= REPORT_LENGTH && pFound->cbInput <= MAX_REPORT_LENGTH &&
           pFound->cbOutput >= REPORT_LENGTH && pFound->cbOutput <= MAX_REPORT_LENGTH;
}

/* Only a device known to be a Wii Remote is compared with the slots, which waits for their locks. */
static int ConnectPath(LPCWSTR pszPath, HWND hWnd, UINT uMsg)
{
    FOUND_REMOTE found = {};
    found.pszPath = pszPath;
    found.hDevice = g_HidIo.pfnCreateFileW(pszPath, GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                           FILE_FLAG_OVERLAPPED, NULL);
    if (found.hDevice == INVALID_HANDLE_VALUE)
        return FOUND_SKIPPED;
    int nFound = FOUND_SKIPPED;
    if (!IsWiiRemote(&found) || IsDuplicate(pszPath))
        nFound = FOUND_SKIPPED;
    else if (!HasUsableLengths(&found))
        nFound = FOUND_SHORT_REPORTS;
    else
        nFound = FOUND_CONNECTED;
    if (nFound != FOUND_CONNECTED) {
        g_HidIo.pfnCloseHandle(found.hDevice);
        return nFound;
    }
    int nSlot = FindFreeSlot();
    if (nSlot < 0) {
        g_HidIo.pfnCloseHandle(found.hDevice);
        return FOUND_NO_SLOT;
    }
    int nResult = CreateDevice(nSlot, hWnd, uMsg, &found);
    UnlockSlot(nSlot);
    return nResult >= 0 ? FOUND_CONNECTED : FOUND_SKIPPED;
}

/* The detail data is sized first, then fetched. */
static int ConnectInterface(HDEVINFO hInfo, SP_DEVICE_INTERFACE_DATA *pInterface, HWND hWnd, UINT uMsg)
{
    DWORD cbDetail = 0;
    g_HidIo.pfnSetupDiGetDeviceInterfaceDetailW(hInfo, pInterface, NULL, 0, &cbDetail, NULL);
    if (cbDetail < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
        return FOUND_SKIPPED;
    SP_DEVICE_INTERFACE_DETAIL_DATA_W *pDetail = (SP_DEVICE_INTERFACE_DETAIL_DATA_W *)calloc(1, cbDetail);
    if (!pDetail)
        return FOUND_SKIPPED;
    pDetail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    int nFound = FOUND_SKIPPED;
    if (g_HidIo.pfnSetupDiGetDeviceInterfaceDetailW(hInfo, pInterface, pDetail, cbDetail, NULL, NULL))
        nFound = ConnectPath(pDetail->DevicePath, hWnd, uMsg);
    free(pDetail);
    return nFound;
}

static int Connect(HWND hWnd, UINT uMsg)
{
    /* hid.dll or setupapi.dll could not be had (g_Lib.dwHidIoError says why): as no remote at all. */
    if (g_Lib.dwHidIoError)
        return SetResult(WME_NOT_FOUND, -1);
    GUID guid;
    g_HidIo.pfnHidD_GetHidGuid(&guid);
    HDEVINFO hInfo = g_HidIo.pfnSetupDiGetClassDevsW(&guid, NULL, NULL, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (hInfo == INVALID_HANDLE_VALUE)
        return SetResult(WME_NOT_FOUND, -1);

    int nCount = 0, bNoSlot = 0, bShortReports = 0;
    SP_DEVICE_INTERFACE_DATA iface;
    iface.cbSize = sizeof(iface);
    /* Paired remotes that are switched off are listed as present and never answer: every
       transfer of the attempt ends by its deadline, and no remote is tried after it. */
    DWORD dwDeadline = GetTickCount() + CONNECT_BUDGET_MS;
    SetSetUpDeadline(dwDeadline ? dwDeadline : 1);
    for (DWORD i = 0; !bNoSlot && g_HidIo.pfnSetupDiEnumDeviceInterfaces(hInfo, NULL, &guid, i, &iface); i++) {
        /* Closed from inside the connected message: the rest is not set up in a closed library. */
        if (!g_Lib.bInitialized || (LONG)(dwDeadline - GetTickCount()) <= 0)
            break;
        int nFound = ConnectInterface(hInfo, &iface, hWnd, uMsg);
        nCount += nFound == FOUND_CONNECTED;
        bNoSlot = nFound == FOUND_NO_SLOT;
        bShortReports |= nFound == FOUND_SHORT_REPORTS;
    }
    SetSetUpDeadline(0);
    g_HidIo.pfnSetupDiDestroyDeviceInfoList(hInfo);

    if (!g_Lib.bInitialized)
        return SetResult(WME_NOT_INITIALIZED, -1);
    if (bNoSlot)
        return SetResult(WME_NO_SLOT, -1);
    /* A remote was found but its stack's report lengths cannot carry the protocol. */
    if (nCount == 0 && bShortReports)
        return SetResult(WME_REPORT_LENGTH, -1);
    if (nCount == 0)
        return SetResult(WME_NOT_FOUND, -1);
    return SetResult(WME_SUCCESS, nCount);
}

int TAVEL_API wm_Connect(HWND hWnd, UINT uMsg)
{
    /* Inside a notification an export sent on this thread: a search inside a search. */
    if (InsideLibraryCall())
        return SetResult(g_Lib.bInitialized ? WME_BUSY : WME_NOT_INITIALIZED, -1);
    if (!EnterCall())
        return -1;
    return LeaveCall(Connect(hWnd, uMsg));
}

static int Disconnect(int nIndex, int bKeepOutputs)
{
    if (nIndex == -1) {
        for (int i = 0; i < TAVEL_SLOTS; i++) {
            LockSlot(i);
            if (g_Lib.apSlot[i] && g_Lib.bInitialized)
                DestroyDevice(g_Lib.apSlot[i], bKeepOutputs, 1);
            UnlockSlot(i);
        }
        return SetResult(WME_SUCCESS, 1);
    }
    if (nIndex < 0 || nIndex >= TAVEL_SLOTS)
        return SetResult(WME_BAD_INDEX, 0);
    LockSlot(nIndex);
    WM_DEVICE *pDev = g_Lib.apSlot[nIndex];
    int bDone = pDev ? DestroyDevice(pDev, bKeepOutputs, 1) : SetResult(WME_NO_DEVICE, 0);
    UnlockSlot(nIndex);
    return bDone ? SetResult(WME_SUCCESS, 1) : 0;
}

int TAVEL_API wm_Disconnect(int nIndex, int bKeepOutputs)
{
    if (!EnterCall())
        return 0;
    return LeaveCall(Disconnect(nIndex, bKeepOutputs));
}
