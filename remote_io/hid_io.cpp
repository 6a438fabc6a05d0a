/* hid_io.cpp - the Win32 side of the HID device table: kernel32's calls as imported, hid.dll's
   and setupapi.dll's looked up in the system folder. */
#include "hid_io.h"

#include <stddef.h>

#include "system_dll.h"

#define HID_PROC(name) { #name, offsetof(HID_IO, pfn##name) }

static const SYSTEM_PROC g_aHidProc[] = {
    HID_PROC(HidD_SetOutputReport), HID_PROC(HidD_FlushQueue), HID_PROC(HidD_GetHidGuid),
    HID_PROC(HidD_GetAttributes), HID_PROC(HidD_GetPreparsedData), HID_PROC(HidD_FreePreparsedData),
    HID_PROC(HidP_GetCaps),
};

static const SYSTEM_PROC g_aSetupProc[] = {
    HID_PROC(SetupDiGetClassDevsW), HID_PROC(SetupDiEnumDeviceInterfaces),
    HID_PROC(SetupDiGetDeviceInterfaceDetailW), HID_PROC(SetupDiDestroyDeviceInfoList),
};

/* Zero until set: static initialisation order must not undo a table installed at load. */
HID_IO g_HidIo;

void SetHidIo(const HID_IO *pIo)
{
    if (pIo)
        g_HidIo = *pIo;
    else
        ZeroMemory(&g_HidIo, sizeof(g_HidIo));
}

static int LoadHidProcs(LPCWSTR pszDll, const SYSTEM_PROC *pProcs, int nProcs, HID_IO *pIo)
{
    HMODULE hModule = LoadSystemDll(pszDll);
    return hModule && GetSystemProcs(hModule, pProcs, nProcs, pIo);
}

int EnsureHidIo(void)
{
    if (g_HidIo.pfnReadFile)
        return 1;
    HID_IO io;
    ZeroMemory(&io, sizeof(io));
    if (!LoadHidProcs(L"hid.dll", g_aHidProc, ARRAYSIZE(g_aHidProc), &io) ||
        !LoadHidProcs(L"setupapi.dll", g_aSetupProc, ARRAYSIZE(g_aSetupProc), &io))
        return 0;
    io.pfnCreateFileW = CreateFileW;
    io.pfnReadFile = ReadFile;
    io.pfnWriteFile = WriteFile;
    io.pfnGetOverlappedResult = GetOverlappedResult;
    io.pfnCancelIoEx = CancelIoEx;
    io.pfnCloseHandle = CloseHandle;
    g_HidIo = io;
    return 1;
}
