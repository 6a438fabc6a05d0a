/* timer_throttling.cpp - the opt-out of the timer resolution's throttling. */
#include "timer_throttling.h"

#include "system_dll.h"

typedef BOOL (WINAPI *SET_PROCESS_INFORMATION_PROC)(HANDLE hProcess, PROCESS_INFORMATION_CLASS nClass,
                                                    LPVOID pInformation, DWORD cbInformation);

int KeepTimerResolution(void)
{
    SET_PROCESS_INFORMATION_PROC pfnSet = (SET_PROCESS_INFORMATION_PROC)(void *)g_SystemDll.pfnGetProcAddress(
        GetModuleHandleW(L"kernel32.dll"), "SetProcessInformation");
    if (!pfnSet)
        return 0;
    /* Only the timer resolution is taken out of the system's hands; StateMask 0: never throttled. */
    PROCESS_POWER_THROTTLING_STATE state = {
        PROCESS_POWER_THROTTLING_CURRENT_VERSION, PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION, 0
    };
    return pfnSet(GetCurrentProcess(), ProcessPowerThrottling, &state, sizeof(state)) != 0;
}
