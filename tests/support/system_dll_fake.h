// A recorder behind the system-DLL seam: each DLL load (the name or path, and the flags), each
// look at the system folder's path and each SetProcessInformation call, in one log in order.
// Loads and look-ups fail where the test says, as Windows' own do.
#ifndef SYSTEM_DLL_FAKE_H
#define SYSTEM_DLL_FAKE_H

#include <string>
#include <vector>

struct SystemDllFake {
    std::vector<std::string> log;
    std::string failDll;          // loads of this file name fail with ERROR_MOD_NOT_FOUND
    std::string missingProc;      // this export is not found (ERROR_PROC_NOT_FOUND)
    bool bNoSearchFlags = false;  // Windows 7 without KB2533623: search flags are refused
};

// The seam records into pFake; NULL puts the real calls back.
void InstallSystemDllFake(SystemDllFake *pFake);

// The log entry of the opt-out: this process, ProcessPowerThrottling (4) and its record with
// the current version, IGNORE_TIMER_RESOLUTION in the control mask and nothing in the state.
extern const char kKeepTimerResolution[];

#endif
