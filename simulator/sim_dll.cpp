/*
 * sim_dll.cpp - part of the simulated build of tavel.dll only: at load, puts the simulated
 * remotes of the scenario named by TAVEL_SIM_SCENARIO behind the library's device calls.
 * Without the variable the bus is empty (no remote is ever found).
 */
#include <windows.h>

#include "sim_remote.h"
#include "sim_scenario.h"

namespace {

struct ScenarioAtLoad {
    ScenarioAtLoad() {
        wchar_t szPath[MAX_PATH];
        DWORD cch = GetEnvironmentVariableW(L"TAVEL_SIM_SCENARIO", szPath, MAX_PATH);
        if (cch == 0 || cch >= MAX_PATH || !StartScenario(szPath))
            SimInstall();
    }
};

ScenarioAtLoad g_ScenarioAtLoad;

}  // namespace
