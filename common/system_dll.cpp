/* system_dll.cpp - Windows' DLLs from the system folder, and their exports into call tables. */
#include "system_dll.h"

#include <string.h>

static const SYSTEM_DLL_SEAM g_RealSystemDll = { LoadLibraryExW, GetSystemDirectoryW, GetProcAddress };

SYSTEM_DLL_SEAM g_SystemDll = g_RealSystemDll;

void SetSystemDllSeam(const SYSTEM_DLL_SEAM *pSeam)
{
    g_SystemDll = pSeam ? *pSeam : g_RealSystemDll;
}

HMODULE LoadSystemDll(LPCWSTR pszName)
{
    HMODULE hModule = g_SystemDll.pfnLoadLibraryExW(pszName, NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (hModule || GetLastError() != ERROR_INVALID_PARAMETER)
        return hModule;
    /* The full path; the DLL's own imports are then looked for beside it, not in the program's folder. */
    WCHAR szPath[MAX_PATH];
    UINT cchFolder = g_SystemDll.pfnGetSystemDirectoryW(szPath, MAX_PATH);
    if (cchFolder == 0)
        return NULL;
    if (cchFolder + 1 + lstrlenW(pszName) >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return NULL;
    }
    szPath[cchFolder] = L'\\';
    lstrcpyW(szPath + cchFolder + 1, pszName);
    return g_SystemDll.pfnLoadLibraryExW(szPath, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

int GetSystemProcs(HMODULE hModule, const SYSTEM_PROC *pProcs, int nProcs, void *pTable)
{
    for (int i = 0; i < nProcs; i++) {
        FARPROC pfn = g_SystemDll.pfnGetProcAddress(hModule, pProcs[i].pszName);
        if (!pfn)
            return 0;
        memcpy((BYTE *)pTable + pProcs[i].cbOffset, &pfn, sizeof(pfn));
    }
    return 1;
}
