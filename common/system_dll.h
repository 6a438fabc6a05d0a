/*
 * system_dll.h - Windows' DLLs that are not among its known DLLs (winmm, hid, setupapi), taken
 * from the system folder only. Imported, or loaded by name, they are looked for in the
 * program's folder first, where a zip unpacked into Downloads may lie beside a planted DLL of
 * the same name. Production uses the real calls; the tests put recorders here.
 */
#ifndef COMMON_SYSTEM_DLL_H
#define COMMON_SYSTEM_DLL_H

#include <windows.h>

typedef struct SYSTEM_DLL_SEAM {
    HMODULE (WINAPI *pfnLoadLibraryExW)(LPCWSTR pszFile, HANDLE hReserved, DWORD dwFlags);
    UINT    (WINAPI *pfnGetSystemDirectoryW)(LPWSTR pszBuffer, UINT cchBuffer);
    FARPROC (WINAPI *pfnGetProcAddress)(HMODULE hModule, LPCSTR pszName);
} SYSTEM_DLL_SEAM;

extern SYSTEM_DLL_SEAM g_SystemDll;

/* Takes the record's calls; NULL puts the real ones back. */
void SetSystemDllSeam(const SYSTEM_DLL_SEAM *pSeam);

/* The DLL of that file name from the system folder, left loaded: searched for there alone
   (LOAD_LIBRARY_SEARCH_SYSTEM32), or where Windows refuses the flag (Windows 7 without
   KB2533623: ERROR_INVALID_PARAMETER) by its full path. NULL with the error in GetLastError(). */
HMODULE LoadSystemDll(LPCWSTR pszName);

/* One function of a call table: its export name and the offset of its pointer in the table. */
typedef struct SYSTEM_PROC {
    LPCSTR pszName;
    size_t cbOffset;
} SYSTEM_PROC;

/* Writes each export of the module into its place in pTable; 0 at the first one missing, with
   the error in GetLastError() (the places before it are written). */
int GetSystemProcs(HMODULE hModule, const SYSTEM_PROC *pProcs, int nProcs, void *pTable);

#endif
