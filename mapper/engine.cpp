/*
 * engine.cpp - the engine thread, started with the main window and stopped with it. It
 * waits for the next cycle or for the window's signal that the input copies changed; with
 * nothing pressed or held, for that signal alone (the run state and a replaced set signal it too).
 * Application launches run on the launcher's thread (launcher.cpp), started and stopped
 * with it.
 */
#include "engine.h"
#include "program_state.h"

#include "thread_name.h"
#include "timer_calls.h"

typedef struct ENGINE_THREAD {
    HANDLE        hThread;
    HANDLE        hWake;          /* set by each change of the input copies */
    volatile LONG bRun;
    HWND          hReportWnd;
    UINT          uReportMsg;
    UINT          uNoteMsg;
    LAUNCHER     *pLauncher;      /* NULL when none could be started: launches fail */
} ENGINE_THREAD;

static ENGINE_THREAD g_Engine;

/* Windows' default 15.6 ms tick would stretch each 10 ms sleep to about 16 ms. */
#define ENGINE_TIMER_RESOLUTION_MS 1

DWORD WINAPI EngineThread(LPVOID pParam)
{
    (void)pParam;
    NameCurrentThread(L"Zan engine");
    ENGINE_STATE state;
    InitEngineState(&state);
    state.hReportWnd = g_Engine.hReportWnd;
    state.uReportMsg = g_Engine.uReportMsg;
    state.uNoteMsg = g_Engine.uNoteMsg;
    state.pLauncher = g_Engine.pLauncher;
    DWORD dwWait = ENGINE_CYCLE_MS;
    while (g_Engine.bRun) {
        int bWoken = WaitForSingleObject(g_Engine.hWake, dwWait) == WAIT_OBJECT_0;
        dwWait = RunEngineStep(&state, bWoken);
    }
    ReleaseHeldInput(&state);
    return 0;
}

int StartEngine(HWND hReportWnd, UINT uReportMsg, UINT uNoteMsg)
{
    if (g_Engine.hThread)
        return 0;
    g_Engine.hReportWnd = hReportWnd;
    g_Engine.uReportMsg = uReportMsg;
    g_Engine.uNoteMsg = uNoteMsg;
    g_Engine.hWake = CreateEventW(NULL, FALSE, FALSE, NULL);
    if (!g_Engine.hWake)
        return 0;
    g_Engine.pLauncher = StartLauncher(hReportWnd, uReportMsg);
    InterlockedExchange(&g_Engine.bRun, 1);
    g_Timer.pfnTimeBeginPeriod(ENGINE_TIMER_RESOLUTION_MS);
    g_Engine.hThread = CreateThread(NULL, 0, EngineThread, NULL, 0, NULL);
    if (!g_Engine.hThread) {
        DWORD dwError = GetLastError();
        InterlockedExchange(&g_Engine.bRun, 0);
        g_Timer.pfnTimeEndPeriod(ENGINE_TIMER_RESOLUTION_MS);
        CloseHandle(g_Engine.hWake);
        g_Engine.hWake = NULL;
        StopLauncher(g_Engine.pLauncher, LAUNCH_STOP_WAIT_MS);
        g_Engine.pLauncher = NULL;
        SetLastError(dwError);
        return 0;
    }
    SetInputWakeEvent(g_Engine.hWake);
    return 1;
}

int StopEngine(void)
{
    if (!g_Engine.hThread)
        return 0;
    SetInputWakeEvent(NULL);
    InterlockedExchange(&g_Engine.bRun, 0);
    SetEvent(g_Engine.hWake);
    WaitForSingleObject(g_Engine.hThread, INFINITE);
    CloseHandle(g_Engine.hThread);
    g_Engine.hThread = NULL;
    CloseHandle(g_Engine.hWake);
    g_Engine.hWake = NULL;
    /* The engine queues no more launches now; one still waiting for a prompt is left to
     * the end of the process rather than holding up the window's close. */
    StopLauncher(g_Engine.pLauncher, LAUNCH_STOP_WAIT_MS);
    g_Engine.pLauncher = NULL;
    g_Timer.pfnTimeEndPeriod(ENGINE_TIMER_RESOLUTION_MS);
    return 1;
}
