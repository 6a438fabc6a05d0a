// A recorder behind the seam of Windows' DLLs: each load (name or path, and flags) and each
// SetProcessInformation call, in one log in order. Loads and look-ups fail where the test says,
// setting the last error only then, as Windows' own do.
#ifndef SYSTEM_DLL_FAKE_H
#define SYSTEM_DLL_FAKE_H

#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

#include "system_dll.h"

struct SystemDllFake {
    std::vector<std::string> log;
    std::wstring failDll;         // loads of this file name fail with ERROR_MOD_NOT_FOUND
    std::string missingProc;      // this export is not found (ERROR_PROC_NOT_FOUND)
    bool bNoSearchFlags = false;  // Windows 7 without KB2533623: search flags are refused
};
inline SystemDllFake *g_pSystemDllFake;

// The opt-out: this process, ProcessPowerThrottling (4), a record of 12 bytes with the current
// version, the timer resolution in the control mask and nothing in the state mask.
const char kKeepTimerResolution[] = "SetProcessInformation this process 4 size 12 version 1 control 0x4 state 0x0";

inline HMODULE WINAPI FakeLoadLibraryExW(LPCWSTR pszFile, HANDLE hReserved, DWORD dwFlags) {
    char text[MAX_PATH + 32];
    snprintf(text, sizeof(text), "load %ls 0x%lx", pszFile, dwFlags);
    g_pSystemDllFake->log.push_back(text);
    LPCWSTR pszName = wcsrchr(pszFile, L'\\') ? wcsrchr(pszFile, L'\\') + 1 : pszFile;
    DWORD dwError = g_pSystemDllFake->bNoSearchFlags && (dwFlags & 0xFF00) ? ERROR_INVALID_PARAMETER
                    : _wcsicmp(pszName, g_pSystemDllFake->failDll.c_str()) == 0 ? ERROR_MOD_NOT_FOUND : 0;
    if (!dwError)
        return LoadLibraryExW(pszFile, hReserved, dwFlags);
    SetLastError(dwError);
    return NULL;
}

inline BOOL WINAPI FakeSetProcessInformation(HANDLE hProcess, PROCESS_INFORMATION_CLASS nClass, LPVOID pInfo, DWORD cb) {
    const PROCESS_POWER_THROTTLING_STATE *p = (const PROCESS_POWER_THROTTLING_STATE *)pInfo;
    char text[128];
    snprintf(text, sizeof(text), "SetProcessInformation %s %d size %lu version %lu control 0x%lx state 0x%lx",
             hProcess == GetCurrentProcess() ? "this process" : "another", (int)nClass, cb, p->Version,
             p->ControlMask, p->StateMask);
    g_pSystemDllFake->log.push_back(text);
    return TRUE;
}

inline FARPROC WINAPI FakeGetProcAddress(HMODULE hModule, LPCSTR pszName) {
    if (g_pSystemDllFake->missingProc == pszName) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return NULL;
    }
    if (strcmp(pszName, "SetProcessInformation") == 0)
        return (FARPROC)(void *)FakeSetProcessInformation;
    return GetProcAddress(hModule, pszName);
}

// The seam records into pFake; NULL puts the real calls back.
inline void InstallSystemDllFake(SystemDllFake *pFake) {
    g_pSystemDllFake = pFake;
    SYSTEM_DLL_SEAM seam = {FakeLoadLibraryExW, GetSystemDirectoryW, FakeGetProcAddress};
    SetSystemDllSeam(pFake ? &seam : NULL);
}

#endif
