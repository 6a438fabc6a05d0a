/* timer_calls.cpp - winmm's timer calls, looked up at run time, and their stand-ins. */
#include "timer_calls.h"

#include <mmsystem.h>
#include <stddef.h>

#include "system_dll.h"

/* Functions of this binary, unlike imported ones, have an address before it is loaded: the table
   holds them before any code runs, whatever the order of static initialisation. */
static DWORD WINAPI TickCount(void)
{
    return GetTickCount();
}

static UINT WINAPI NoTimerPeriod(UINT uPeriod)
{
    (void)uPeriod;
    return TIMERR_NOCANDO;
}

static const TIMER_CALLS g_StandInTimer = { TickCount, NoTimerPeriod, NoTimerPeriod, ERROR_NOT_READY };

TIMER_CALLS g_Timer = g_StandInTimer;

static const SYSTEM_PROC g_aTimerProc[] = {
    { "timeGetTime", offsetof(TIMER_CALLS, pfnTimeGetTime) },
    { "timeBeginPeriod", offsetof(TIMER_CALLS, pfnTimeBeginPeriod) },
    { "timeEndPeriod", offsetof(TIMER_CALLS, pfnTimeEndPeriod) },
};

int LoadTimerCalls(void)
{
    if (g_Timer.dwError == 0)
        return 1;
    TIMER_CALLS calls = g_StandInTimer;
    HMODULE hWinmm = LoadSystemDll(L"winmm.dll");
    if (!hWinmm || !GetSystemProcs(hWinmm, g_aTimerProc, ARRAYSIZE(g_aTimerProc), &calls)) {
        g_Timer.dwError = GetLastError();
        return 0;
    }
    calls.dwError = 0;
    g_Timer = calls;
    return 1;
}

void SetTimerCalls(const TIMER_CALLS *pCalls)
{
    g_Timer = pCalls ? *pCalls : g_StandInTimer;
}

DWORD WINAPI TimerNow(void)
{
    return g_Timer.pfnTimeGetTime();
}
