/*
 * single_instance.h - one Zan per user session. The first start owns a mutex of the
 * session and marks its main window; a later start hands its command line (a settings file,
 * "/tray") to that window and exits before it opens anything. Only Zan.exe's entry point
 * claims the instance, so in-process tests may start the window as often as they like.
 */
#ifndef ZAN_SINGLE_INSTANCE_H
#define ZAN_SINGLE_INSTANCE_H

#include <windows.h>

/* WM_COPYDATA's dwData of a hand-over: the command line, UTF-16 with its terminator. */
#define HANDOVER_TAG 0x5A414E01

typedef struct INSTANCE_CLAIM {
    HANDLE hMutex;   /* the session's mutex; owned by the main thread of the running Zan */
    int    bOwner;
    DWORD  dwError;  /* why a hand-over failed; ERROR_TIMEOUT when no Zan window came */
} INSTANCE_CLAIM;

/* Before anything opens: 1 when this process is to run (it owns the mutex, or none could be
 * made, and it runs as before); 0 when it is to exit: its command line went to the running
 * Zan (dwError 0) or could not be given within a few seconds (dwError says why). */
int ClaimInstance(INSTANCE_CLAIM *pClaim, HINSTANCE hInstance, LPCWSTR pszCommandLine);
/* The running Zan's main window, so a later start finds it among windows of its class. */
void MarkInstanceWindow(HWND hWnd);
void UnmarkInstanceWindow(HWND hWnd);
/* After the main window is gone: a later start may run. */
void ReleaseInstance(INSTANCE_CLAIM *pClaim);

/* WM_COPYDATA: keeps a hand-over's command line (replacing one still waiting) and posts
 * WM_APP_HANDOVER; TRUE when it was one. Never shows anything: the sender waits. */
BOOL OnCopyData(HWND hWnd, const COPYDATASTRUCT *pData);
/* WM_APP_HANDOVER and WM_APP_MODAL_ENDED: the waiting command line, unless a box or dialog
 * is up: without "/tray" the window comes to the front; its settings file is opened as a
 * dropped one is. */
void OnPendingHandOver(HWND hWnd);

#endif
