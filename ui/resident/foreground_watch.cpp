/* foreground_watch.cpp - one look at the foreground whenever the system says it moved. */
#include "foreground_watch.h"

#include "input_blocked.h"
#include "program_watch.h"
#include "ui_seam.h"

typedef struct FOREGROUND_WATCH {
    HWND hWnd;
    HWINEVENTHOOK hHook;
    HWND hLastSeen;   /* the foreground window at the last look */
    int  bRecheck;    /* the recheck timer runs */
} FOREGROUND_WATCH;

static FOREGROUND_WATCH g_Foreground;

static VOID CALLBACK OnRecheckTimer(HWND hWnd, UINT uMsg, UINT_PTR uTimer, DWORD dwTime);

static void LookAtForeground(void)
{
    g_Foreground.hLastSeen = GetForegroundWindow();
    CheckForegroundElevation(g_Foreground.hLastSeen);
    int bAgain = CheckForegroundProgram();
    if (bAgain == g_Foreground.bRecheck || !g_Foreground.hHook)
        return;
    g_Foreground.bRecheck = bAgain;
    if (bAgain)
        SetTimer(g_Foreground.hWnd, FOREGROUND_RECHECK_TIMER_ID, FOREGROUND_RECHECK_MS, OnRecheckTimer);
    else
        KillTimer(g_Foreground.hWnd, FOREGROUND_RECHECK_TIMER_ID);
}

static VOID CALLBACK OnForegroundEvent(HWINEVENTHOOK hHook, DWORD dwEvent, HWND hWnd, LONG idObject,
                                       LONG idChild, DWORD dwThread, DWORD dwTime)
{
    (void)hHook; (void)dwEvent; (void)hWnd; (void)idObject; (void)idChild; (void)dwThread; (void)dwTime;
    LookAtForeground();
}

static VOID CALLBACK OnRecheckTimer(HWND hWnd, UINT uMsg, UINT_PTR uTimer, DWORD dwTime)
{
    (void)hWnd; (void)uMsg; (void)uTimer; (void)dwTime;
    LookAtForeground();
}

/* Only a window other than the one last looked at is worth a look. */
static VOID CALLBACK OnSafetyTimer(HWND hWnd, UINT uMsg, UINT_PTR uTimer, DWORD dwTime)
{
    (void)hWnd; (void)uMsg; (void)uTimer; (void)dwTime;
    if (!g_Foreground.hHook || GetForegroundWindow() != g_Foreground.hLastSeen)
        LookAtForeground();
}

void StartForegroundWatch(HWND hWnd)
{
    ZeroMemory(&g_Foreground, sizeof(g_Foreground));
    g_Foreground.hWnd = hWnd;
    /* Out of context: the system queues the event to this thread's message loop. */
    g_Foreground.hHook = g_UiSeam.pfnSetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, NULL,
                                                     OnForegroundEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
    SetTimer(hWnd, FOREGROUND_SAFETY_TIMER_ID, g_Foreground.hHook ? FOREGROUND_SAFETY_MS : FOREGROUND_RECHECK_MS,
             OnSafetyTimer);
    LookAtForeground();
}

void StopForegroundWatch(HWND hWnd)
{
    if (g_Foreground.hHook)
        g_UiSeam.pfnUnhookWinEvent(g_Foreground.hHook);
    KillTimer(hWnd, FOREGROUND_SAFETY_TIMER_ID);
    KillTimer(hWnd, FOREGROUND_RECHECK_TIMER_ID);
    ZeroMemory(&g_Foreground, sizeof(g_Foreground));
}
