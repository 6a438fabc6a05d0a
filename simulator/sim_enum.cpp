/*
 * sim_enum.cpp - discovery on the simulated bus: the HID interface class, device
 * information sets (snapshots of the devices present), attributes, preparsed data, caps.
 */
#include "sim_internal.h"

#include <cstddef>

static const GUID HID_INTERFACE_GUID = {0x4d1e55b2, 0xf16f, 0x11cf,
                                        {0x88, 0xcb, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
static const USHORT SIM_VERSION_NUMBER = 0x0100;
static const USHORT GENERIC_DESKTOP_PAGE = 0x01;
static const USHORT GAMEPAD_USAGE = 0x05;

static void NTAPI SimGetHidGuid(LPGUID pGuid)
{
    *pGuid = HID_INTERFACE_GUID;
}

static SimDeviceList *FindListLocked(HDEVINFO hInfo)
{
    SimDeviceList *pList = (SimDeviceList *)hInfo;
    return g_pSimBus->lists.count(pList) ? pList : nullptr;
}

static HDEVINFO WINAPI SimGetClassDevsW(const GUID *pGuid, PCWSTR, HWND, DWORD)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    SimDeviceList *pList = new SimDeviceList;
    if (pGuid && IsEqualGUID(*pGuid, HID_INTERFACE_GUID))
        for (SIM_REMOTE *pDev : g_pSimBus->devices)
            if (!pDev->bPoweredOff)
                pList->paths.push_back(pDev->path);
    g_pSimBus->lists.insert(pList);
    return (HDEVINFO)pList;
}

static BOOL Fail(DWORD dwError)
{
    SetLastError(dwError);
    return FALSE;
}

static BOOL WINAPI SimEnumDeviceInterfaces(HDEVINFO hInfo, PSP_DEVINFO_DATA, const GUID *pGuid,
                                           DWORD dwIndex, PSP_DEVICE_INTERFACE_DATA pInterface)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    SimDeviceList *pList = FindListLocked(hInfo);
    if (!pList)
        return Fail(ERROR_INVALID_HANDLE);
    if (!pInterface || pInterface->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
        return Fail(ERROR_INVALID_USER_BUFFER);
    if (dwIndex >= pList->paths.size())
        return Fail(ERROR_NO_MORE_ITEMS);
    pInterface->InterfaceClassGuid = pGuid ? *pGuid : HID_INTERFACE_GUID;
    pInterface->Flags = SPINT_ACTIVE;
    pInterface->Reserved = dwIndex + 1; /* which member this is; 0 is never valid */
    return TRUE;
}

static BOOL WINAPI SimGetInterfaceDetailW(HDEVINFO hInfo, PSP_DEVICE_INTERFACE_DATA pInterface,
                                          PSP_DEVICE_INTERFACE_DETAIL_DATA_W pDetail, DWORD cbDetail,
                                          PDWORD pcbRequired, PSP_DEVINFO_DATA)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    SimDeviceList *pList = FindListLocked(hInfo);
    if (!pList)
        return Fail(ERROR_INVALID_HANDLE);
    if (!pInterface || pInterface->Reserved == 0 || pInterface->Reserved > pList->paths.size())
        return Fail(ERROR_INVALID_PARAMETER);
    const std::wstring &path = pList->paths[pInterface->Reserved - 1];
    DWORD cbRequired = (DWORD)(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                               (path.size() + 1) * sizeof(WCHAR));
    if (!pDetail) {
        if (cbDetail != 0)
            return Fail(ERROR_INVALID_USER_BUFFER);
        if (pcbRequired)
            *pcbRequired = cbRequired;
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    if (pDetail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
        return Fail(ERROR_INVALID_USER_BUFFER);
    if (pcbRequired)
        *pcbRequired = cbRequired;
    if (cbDetail < cbRequired)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::copy(path.c_str(), path.c_str() + path.size() + 1, pDetail->DevicePath);
    return TRUE;
}

static BOOL WINAPI SimDestroyDeviceInfoList(HDEVINFO hInfo)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    SimDeviceList *pList = FindListLocked(hInfo);
    if (!pList)
        return Fail(ERROR_INVALID_HANDLE);
    g_pSimBus->lists.erase(pList);
    delete pList;
    return TRUE;
}

static BOOLEAN NTAPI SimGetAttributes(HANDLE h, PHIDD_ATTRIBUTES pAttributes)
{
    std::unique_lock<std::mutex> guard(g_SimLock);
    SimHandle *pHandle = FindHandleLocked(h);
    if (!pHandle) {
        guard.unlock();
        return HidD_GetAttributes(h, pAttributes);
    }
    if (!pAttributes || pAttributes->Size != sizeof(HIDD_ATTRIBUTES))
        return Fail(ERROR_INVALID_PARAMETER);
    if (pHandle->pDev->bPoweredOff)
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    pAttributes->VendorID = pHandle->pDev->wVendor;
    pAttributes->ProductID = pHandle->pDev->wProduct;
    pAttributes->VersionNumber = SIM_VERSION_NUMBER;
    return TRUE;
}

static BOOLEAN NTAPI SimGetPreparsedData(HANDLE h, PHIDP_PREPARSED_DATA *ppData)
{
    std::unique_lock<std::mutex> guard(g_SimLock);
    SimHandle *pHandle = FindHandleLocked(h);
    if (!pHandle) {
        guard.unlock();
        return HidD_GetPreparsedData(h, ppData);
    }
    if (pHandle->pDev->bPoweredOff)
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    SimPreparsed *pData = new SimPreparsed;
    pData->bCapsFail = (pHandle->pDev->dwDevFlags & SIM_DEV_CAPS_FAIL) != 0;
    pData->cbInput = pHandle->pDev->cbInput;
    pData->cbOutput = pHandle->pDev->cbOutput;
    g_pSimBus->preparsed.insert(pData);
    *ppData = (PHIDP_PREPARSED_DATA)pData;
    return TRUE;
}

static BOOLEAN NTAPI SimFreePreparsedData(PHIDP_PREPARSED_DATA pData)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    SimPreparsed *pSimData = (SimPreparsed *)pData;
    if (!g_pSimBus->preparsed.erase(pSimData))
        return Fail(ERROR_INVALID_PARAMETER);
    delete pSimData;
    return TRUE;
}

static NTSTATUS NTAPI SimGetCaps(PHIDP_PREPARSED_DATA pData, PHIDP_CAPS pCaps)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    SimPreparsed *pSimData = (SimPreparsed *)pData;
    if (!g_pSimBus->preparsed.count(pSimData) || pSimData->bCapsFail)
        return HIDP_STATUS_INVALID_PREPARSED_DATA;
    *pCaps = HIDP_CAPS{};
    pCaps->UsagePage = GENERIC_DESKTOP_PAGE;
    pCaps->Usage = GAMEPAD_USAGE;
    pCaps->InputReportByteLength = pSimData->cbInput;
    pCaps->OutputReportByteLength = pSimData->cbOutput;
    return HIDP_STATUS_SUCCESS;
}

int SimPreparsedOutstanding(void)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    return g_pSimBus ? (int)g_pSimBus->preparsed.size() : 0;
}

int SimDeviceListsOutstanding(void)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    return g_pSimBus ? (int)g_pSimBus->lists.size() : 0;
}

void FreeEnumStateLocked(void)
{
    for (SimDeviceList *pList : g_pSimBus->lists)
        delete pList;
    for (SimPreparsed *pData : g_pSimBus->preparsed)
        delete pData;
    g_pSimBus->lists.clear();
    g_pSimBus->preparsed.clear();
}

void FillEnumTable(HID_IO *pIo)
{
    pIo->pfnHidD_GetHidGuid = SimGetHidGuid;
    pIo->pfnSetupDiGetClassDevsW = SimGetClassDevsW;
    pIo->pfnSetupDiEnumDeviceInterfaces = SimEnumDeviceInterfaces;
    pIo->pfnSetupDiGetDeviceInterfaceDetailW = SimGetInterfaceDetailW;
    pIo->pfnSetupDiDestroyDeviceInfoList = SimDestroyDeviceInfoList;
    pIo->pfnHidD_GetAttributes = SimGetAttributes;
    pIo->pfnHidD_GetPreparsedData = SimGetPreparsedData;
    pIo->pfnHidD_FreePreparsedData = SimFreePreparsedData;
    pIo->pfnHidP_GetCaps = SimGetCaps;
}
