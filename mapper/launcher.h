/*
 * launcher.h - application launches on a thread of their own.
 *
 * ShellExecuteW can block for as long as a SmartScreen or UAC prompt or an "open with" picker
 * is up. The engine therefore only queues a launch (never waits for it): it goes on sending
 * input and never holds the record lock while a launch is under way. The launcher's thread
 * takes the queued launches one at a time and calls g_Seam.pfnShellExecute outside any lock;
 * a launch that fails (a result of 32 or less) is posted to the report window as
 * PostMessageW(hReportWnd, uReportMsg, slot, result).
 */
#ifndef ZAN_LAUNCHER_H
#define ZAN_LAUNCHER_H

#include <windows.h>

#define LAUNCH_QUEUE_ENTRIES 8      /* launches waiting while one is under way */
#define LAUNCH_STOP_WAIT_MS  1000   /* how long a stop waits for a launch still under way */
/* ShellExecuteW results above this are success. */
#define LAUNCH_FAILED_RESULT 32

typedef struct LAUNCH_REQUEST {
    int    nSlot;
    WCHAR *pszPath;                 /* the launcher's own copy: an edit may free the set's */
} LAUNCH_REQUEST;

/* One launcher: made by StartLauncher, ended by StopLauncher. The record is shared by its
 * owner and its thread and freed by whichever lets go of it last, so a thread left in a
 * launch that never returns keeps what it uses (it is left to the end of the process). */
typedef struct LAUNCHER {
    CRITICAL_SECTION csQueue;       /* held only to copy entries in or out */
    LAUNCH_REQUEST   aQueue[LAUNCH_QUEUE_ENTRIES];
    int              nFirst;        /* index of the oldest queued entry */
    int              nQueued;
    HANDLE           hWake;         /* auto-reset: set by each queued launch and by the stop */
    HANDLE           hThread;       /* the owner's */
    volatile LONG    bRun;
    volatile LONG    nRefs;         /* the owner and the thread */
    HWND             hReportWnd;    /* NULL: failures are not reported */
    UINT             uReportMsg;
} LAUNCHER;

/* The path a launch uses. Under WOW64 (bWow64) the 32-bit Zan sees pszWindowsDir\System32
 * as SysWOW64: 64-bit-only tools would be missing and cmd.exe or powershell.exe would start
 * 32-bit. A path that begins with pszWindowsDir\System32\ (in any case) is therefore
 * written to pszOut (cchOut characters) through pszWindowsDir\Sysnative\, which WOW64
 * leaves alone, and 1 returned. 0, pszOut untouched: the path is launched as given (not
 * under WOW64, not inside System32, or too long for pszOut). */
int MakeNativeLaunchPath(LPCWSTR pszPath, LPCWSTR pszWindowsDir, int bWow64, WCHAR *pszOut, int cchOut);

/* A launcher with its thread running; NULL when none could be made (GetLastError says why). */
LAUNCHER *StartLauncher(HWND hReportWnd, UINT uReportMsg);

/* Queues a launch of a copy of pszPath for the slot. Never waits for a launch: the queue's
 * lock is held only to copy the entry in. 0 (nothing queued, nothing reported) when there is
 * no launcher or path, the queue is full or memory runs out; the caller reports the failure. */
int QueueLaunch(LAUNCHER *pLauncher, int nSlot, LPCWSTR pszPath);

/* Ends the thread and lets go of the record; launches still queued are dropped. Waits at
 * most dwWaitMs for a launch under way: 1 when the thread ended in that time, 0 when it was
 * left in its launch (it ends and frees the record when the launch returns). */
int StopLauncher(LAUNCHER *pLauncher, DWORD dwWaitMs);

#endif
