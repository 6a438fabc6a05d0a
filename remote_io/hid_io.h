/*
 * hid_io.h - every call the library makes to a HID device, in one table.
 * The shipped library uses the Win32 calls (hid.dll's and setupapi.dll's from the system folder,
 * system_dll.h); tests and demonstrations put a simulated remote behind the same table, so all
 * code above it is the code that ships.
 */
#ifndef TAVEL_HID_IO_H
#define TAVEL_HID_IO_H

#include <windows.h>
#include <setupapi.h>
/* MinGW's HID headers lack C linkage for C++. */
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

typedef struct HID_IO {
    /* Device handles and transfers (with the semantics of the Win32 calls of the same name). */
    HANDLE (WINAPI *pfnCreateFileW)(LPCWSTR pszPath, DWORD dwAccess, DWORD dwShare,
                                    LPSECURITY_ATTRIBUTES pSecurity, DWORD dwCreation,
                                    DWORD dwFlags, HANDLE hTemplate);
    BOOL (WINAPI *pfnReadFile)(HANDLE hFile, LPVOID pBuffer, DWORD cbRead, LPDWORD pcbRead,
                               LPOVERLAPPED pOverlapped);
    BOOL (WINAPI *pfnWriteFile)(HANDLE hFile, LPCVOID pBuffer, DWORD cbWrite, LPDWORD pcbWritten,
                                LPOVERLAPPED pOverlapped);
    BOOL (WINAPI *pfnGetOverlappedResult)(HANDLE hFile, LPOVERLAPPED pOverlapped,
                                          LPDWORD pcbTransferred, BOOL bWait);
    BOOL (WINAPI *pfnCancelIoEx)(HANDLE hFile, LPOVERLAPPED pOverlapped);
    BOOL (WINAPI *pfnCloseHandle)(HANDLE hObject);
    BOOLEAN (NTAPI *pfnHidD_SetOutputReport)(HANDLE hDevice, PVOID pReport, ULONG cbReport);
    /* Drops the input reports the system has queued for the handle. */
    BOOLEAN (NTAPI *pfnHidD_FlushQueue)(HANDLE hDevice);

    /* Discovery. */
    void (NTAPI *pfnHidD_GetHidGuid)(LPGUID pGuid);
    HDEVINFO (WINAPI *pfnSetupDiGetClassDevsW)(const GUID *pGuid, PCWSTR pszEnumerator,
                                               HWND hParent, DWORD dwFlags);
    BOOL (WINAPI *pfnSetupDiEnumDeviceInterfaces)(HDEVINFO hInfo, PSP_DEVINFO_DATA pInfoData,
                                                  const GUID *pGuid, DWORD dwIndex,
                                                  PSP_DEVICE_INTERFACE_DATA pInterface);
    BOOL (WINAPI *pfnSetupDiGetDeviceInterfaceDetailW)(HDEVINFO hInfo,
                                                       PSP_DEVICE_INTERFACE_DATA pInterface,
                                                       PSP_DEVICE_INTERFACE_DETAIL_DATA_W pDetail,
                                                       DWORD cbDetail, PDWORD pcbRequired,
                                                       PSP_DEVINFO_DATA pInfoData);
    BOOL (WINAPI *pfnSetupDiDestroyDeviceInfoList)(HDEVINFO hInfo);
    BOOLEAN (NTAPI *pfnHidD_GetAttributes)(HANDLE hDevice, PHIDD_ATTRIBUTES pAttributes);
    BOOLEAN (NTAPI *pfnHidD_GetPreparsedData)(HANDLE hDevice, PHIDP_PREPARSED_DATA *ppData);
    BOOLEAN (NTAPI *pfnHidD_FreePreparsedData)(PHIDP_PREPARSED_DATA pData);
    NTSTATUS (NTAPI *pfnHidP_GetCaps)(PHIDP_PREPARSED_DATA pData, PHIDP_CAPS pCaps);
} HID_IO;

/* The table in use; the Win32 calls unless replaced. */
extern HID_IO g_HidIo;

/* Replaces the table (NULL empties it, for EnsureHidIo to look the Win32 calls up again). */
void SetHidIo(const HID_IO *pIo);
/* Puts the Win32 calls in place unless a table was installed; 0 when hid.dll, setupapi.dll or
   one of their calls cannot be had, with the error in GetLastError() (the table stays empty). */
int EnsureHidIo(void);

#endif
