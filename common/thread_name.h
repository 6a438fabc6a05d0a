/* thread_name.h - names a thread for debuggers and profilers (and for Wine, the host's view). */
#ifndef COMMON_THREAD_NAME_H
#define COMMON_THREAD_NAME_H

#include <windows.h>

/* SetThreadDescription is looked up in kernel32, which has it from Windows 10 1607 on;
   elsewhere nothing happens. */
void NameCurrentThread(PCWSTR pszName);

#endif
