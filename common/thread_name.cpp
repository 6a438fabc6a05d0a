/* thread_name.cpp - the thread's description, where Windows has the call. */
#include "thread_name.h"

typedef HRESULT (WINAPI *SET_THREAD_DESCRIPTION)(HANDLE hThread, PCWSTR pszName);

void NameCurrentThread(PCWSTR pszName)
{
    HMODULE hKernel = GetModuleHandleW(L"kernel32.dll");
    SET_THREAD_DESCRIPTION pfnSet =
        hKernel ? (SET_THREAD_DESCRIPTION)(void *)GetProcAddress(hKernel, "SetThreadDescription") : NULL;
    if (pfnSet)
        pfnSet(GetCurrentThread(), pszName);
}
