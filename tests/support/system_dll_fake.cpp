#include "system_dll_fake.h"

#include <stdio.h>
#include <string.h>

#include "system_dll.h"

const char kKeepTimerResolution[] = "SetProcessInformation this process 4 version 1 control 0x4 state 0x0";

namespace {

SystemDllFake *g_pFake;

HMODULE WINAPI FakeLoadLibraryExW(LPCWSTR pszFile, HANDLE hReserved, DWORD dwFlags) {
    char text[MAX_PATH + 32];
    snprintf(text, sizeof(text), "load %ls 0x%lx", pszFile, dwFlags);
    g_pFake->log.push_back(text);
    LPCWSTR pszName = wcsrchr(pszFile, L'\\') ? wcsrchr(pszFile, L'\\') + 1 : pszFile;
    std::wstring failDll(g_pFake->failDll.begin(), g_pFake->failDll.end());
    DWORD dwError = g_pFake->bNoSearchFlags && (dwFlags & 0xFF00) ? ERROR_INVALID_PARAMETER
                    : _wcsicmp(pszName, failDll.c_str()) == 0 ? ERROR_MOD_NOT_FOUND : 0;
    if (!dwError)
        return LoadLibraryExW(pszFile, hReserved, dwFlags);
    SetLastError(dwError);
    return NULL;
}

UINT WINAPI FakeGetSystemDirectoryW(LPWSTR pszBuffer, UINT cchBuffer) {
    g_pFake->log.push_back("system folder");
    return GetSystemDirectoryW(pszBuffer, cchBuffer);
}

BOOL WINAPI FakeSetProcessInformation(HANDLE hProcess, PROCESS_INFORMATION_CLASS nClass, LPVOID pInfo, DWORD cbInfo) {
    const PROCESS_POWER_THROTTLING_STATE *pState = (const PROCESS_POWER_THROTTLING_STATE *)pInfo;
    char text[128] = "SetProcessInformation: not a power throttling record";
    if (cbInfo == sizeof(*pState))
        snprintf(text, sizeof(text), "SetProcessInformation %s %d version %lu control 0x%lx state 0x%lx",
                 hProcess == GetCurrentProcess() ? "this process" : "another process", (int)nClass,
                 pState->Version, pState->ControlMask, pState->StateMask);
    g_pFake->log.push_back(text);
    return TRUE;
}

FARPROC WINAPI FakeGetProcAddress(HMODULE hModule, LPCSTR pszName) {
    if (g_pFake->missingProc == pszName) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return NULL;
    }
    if (strcmp(pszName, "SetProcessInformation") == 0)
        return (FARPROC)(void *)FakeSetProcessInformation;
    return GetProcAddress(hModule, pszName);
}

}  // namespace

void InstallSystemDllFake(SystemDllFake *pFake) {
    g_pFake = pFake;
    SYSTEM_DLL_SEAM seam = {FakeLoadLibraryExW, FakeGetSystemDirectoryW, FakeGetProcAddress};
    SetSystemDllSeam(pFake ? &seam : NULL);
}
