/*
 * thread_name.h - a name for the calling thread, seen by debuggers and, under Wine, as the
 * Linux thread's name (/proc/PID/task/TID/comm, cut to 15 bytes: keep names short), so the
 * CPU of each thread can be told apart. SetThreadDescription is looked up in kernel32, which
 * lacks it before Windows 10 1607: there the thread stays unnamed.
 */
#ifndef COMMON_THREAD_NAME_H
#define COMMON_THREAD_NAME_H

#include <windows.h>

void NameCurrentThread(PCWSTR pszName);

#endif
