/* thread_name.cpp - naming the calling thread where Windows can. */
#include "thread_name.h"

typedef HRESULT (WINAPI *SET_THREAD_DESCRIPTION_PROC)(HANDLE hThread, PCWSTR pszDescription);

void NameCurrentThread(PCWSTR pszName)
{
    HMODULE hKernel32 = GetModuleHandleW(L"kernel32.dll");
    SET_THREAD_DESCRIPTION_PROC pfnSet = hKernel32
        ? (SET_THREAD_DESCRIPTION_PROC)(void *)GetProcAddress(hKernel32, "SetThreadDescription") : NULL;
    /* A name is only a help: a failure changes nothing the thread does. */
    if (pfnSet)
        pfnSet(GetCurrentThread(), pszName);
}
