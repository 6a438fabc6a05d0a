/* hid_io.cpp - the Win32 side of the HID device table. */
#include "hid_io.h"

static const HID_IO g_Win32HidIo = {
    CreateFileW,
    ReadFile,
    WriteFile,
    GetOverlappedResult,
    CancelIoEx,
    CloseHandle,
    HidD_SetOutputReport,
    HidD_FlushQueue,
    HidD_GetHidGuid,
    SetupDiGetClassDevsW,
    SetupDiEnumDeviceInterfaces,
    SetupDiGetDeviceInterfaceDetailW,
    SetupDiDestroyDeviceInfoList,
    HidD_GetAttributes,
    HidD_GetPreparsedData,
    HidD_FreePreparsedData,
    HidP_GetCaps,
};

/* Zero until set: static initialisation order must not undo a table installed at load. */
HID_IO g_HidIo;

void SetHidIo(const HID_IO *pIo)
{
    g_HidIo = pIo ? *pIo : g_Win32HidIo;
}

void EnsureHidIo(void)
{
    if (!g_HidIo.pfnReadFile)
        SetHidIo(NULL);
}
