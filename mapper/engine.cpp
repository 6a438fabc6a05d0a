/*
 * engine.cpp - the engine thread, started with the main window and stopped with it.
 */
#include "engine.h"

#include <mmsystem.h>

typedef struct ENGINE_THREAD {
    HANDLE        hThread;
    volatile LONG bRun;
    HWND          hReportWnd;
    UINT          uReportMsg;
} ENGINE_THREAD;

static ENGINE_THREAD g_Engine;

/* Windows' default 15.6 ms tick would stretch each 10 ms sleep to about 16 ms. */
#define ENGINE_TIMER_RESOLUTION_MS 1

DWORD WINAPI EngineThread(LPVOID pParam)
{
    (void)pParam;
    ENGINE_STATE state;
    InitEngineState(&state);
    state.hReportWnd = g_Engine.hReportWnd;
    state.uReportMsg = g_Engine.uReportMsg;
    while (g_Engine.bRun) {
        Sleep(ENGINE_CYCLE_MS);
        RunEngineCycle(&state);
    }
    ReleaseHeldInput(&state);
    return 0;
}

int StartEngine(HWND hReportWnd, UINT uReportMsg)
{
    if (g_Engine.hThread)
        return 0;
    g_Engine.hReportWnd = hReportWnd;
    g_Engine.uReportMsg = uReportMsg;
    InterlockedExchange(&g_Engine.bRun, 1);
    timeBeginPeriod(ENGINE_TIMER_RESOLUTION_MS);
    g_Engine.hThread = CreateThread(NULL, 0, EngineThread, NULL, 0, NULL);
    if (!g_Engine.hThread) {
        InterlockedExchange(&g_Engine.bRun, 0);
        timeEndPeriod(ENGINE_TIMER_RESOLUTION_MS);
        return 0;
    }
    return 1;
}

int StopEngine(void)
{
    if (!g_Engine.hThread)
        return 0;
    InterlockedExchange(&g_Engine.bRun, 0);
    WaitForSingleObject(g_Engine.hThread, INFINITE);
    CloseHandle(g_Engine.hThread);
    g_Engine.hThread = NULL;
    timeEndPeriod(ENGINE_TIMER_RESOLUTION_MS);
    return 1;
}
