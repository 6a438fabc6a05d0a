/* sim_scenario.cpp - reading a scenario file and playing it against simulated remotes. */
#include "sim_scenario.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "frame.h"
#include "sim_remote.h"
#include "thread_name.h"

namespace {

struct Scenario {
    std::vector<std::vector<std::string>> lines;
    size_t nNext = 0;
    std::vector<SIM_REMOTE *> remotes;
    WORD awButtons[16] = {};
    HANDLE hThread = NULL;
    HANDLE hStop = NULL;  // set with bStop: ends a pause at once
    volatile LONG bStop = 0;
};

// The scenario thread runs in the process under test: its pauses wake it rarely, so that it
// adds little to that process's CPU time. A cue file is seen when its folder reports a new
// name; the slow poll covers a folder that reports nothing. That a remote was set up is not
// reported: it is polled, which lasts only while the library connects.
const DWORD kCuePollMs = 100;
const DWORD kConnectedPollMs = 20;

Scenario *g_pScenario;

const char *const kCoreButtons[SIM_CORE_BUTTONS] = {"A", "B", "MINUS", "HOME", "PLUS", "ONE",
                                                    "TWO", "UP", "DOWN", "LEFT", "RIGHT"};

const char *const kClassicButtons[] = {"a", "b", "minus", "home", "plus", "x", "y", "up",
                                       "down", "left", "right", "l", "r", "zl", "zr"};

int Number(const std::string &s) { return (int)strtol(s.c_str(), NULL, 0); }

SIM_REMOTE *RemoteAt(Scenario *p, const std::vector<std::string> &w) {
    int n = w.size() > 1 ? Number(w[1]) : 0;
    return n >= 1 && n <= (int)p->remotes.size() ? p->remotes[n - 1] : NULL;
}

bool FileExists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsPause(const std::string &verb) { return verb == "wait" || verb == "waitconnected" || verb == "waitfile"; }

bool SetCoreButtons(Scenario *p, const std::vector<std::string> &w, bool bDown) {
    SIM_REMOTE *pSim = RemoteAt(p, w);
    if (!pSim)
        return false;
    WORD &wButtons = p->awButtons[Number(w[1]) % 16];
    for (size_t i = 2; i < w.size(); i++) {
        int b = 0;
        while (b < SIM_CORE_BUTTONS && w[i] != kCoreButtons[b])
            b++;
        if (b == SIM_CORE_BUTTONS)
            return false;
        wButtons = bDown ? (WORD)(wButtons | 1 << b) : (WORD)(wButtons & ~(1 << b));
    }
    SimSetCoreButtons(pSim, wButtons);
    return true;
}

WORD ClassicButtons(const std::vector<std::string> &w, size_t nFrom) {
    WORD wButtons = 0;
    for (size_t i = nFrom; i < w.size(); i++)
        for (int b = 0; b < 15; b++)
            if (w[i] == kClassicButtons[b])
                wButtons |= (WORD)(1 << b);
    return wButtons;
}

bool PlugExtension(SIM_REMOTE *pSim, const std::vector<std::string> &w) {
    const std::string &kind = w[2];
    if (kind == "id" && w.size() == 9) {
        BYTE abId[6];
        for (int i = 0; i < 6; i++)
            abId[i] = (BYTE)strtol(w[3 + i].c_str(), NULL, 16);
        SimPlugExtensionId(pSim, abId, NULL);
    } else if (w.size() != 3) {
        return false;
    } else if (kind == "none")
        SimUnplugExtension(pSim);
    else if (kind == "nunchuk")
        SimPlugExtension(pSim, SIM_EXT_NUNCHUK, NULL);
    else if (kind == "classic")
        SimPlugExtension(pSim, SIM_EXT_CLASSIC, NULL);
    else if (kind == "pro")
        SimPlugExtension(pSim, SIM_EXT_CLASSIC_PRO, NULL);
    else
        return false;
    return true;
}

// setreport N works|fails|never|delay MS
bool SetReportBehaviour(SIM_REMOTE *pSim, const std::vector<std::string> &w) {
    if (w[2] == "works" || w[2] == "fails")
        SimSetFaults(pSim, w[2] == "fails" ? SIM_FAULT_NO_SET_REPORT : 0);
    else if (w[2] == "never")
        SimSetSetReportDelay(pSim, INFINITE);
    else if (w[2] == "delay" && w.size() == 4)
        SimSetSetReportDelay(pSim, (DWORD)Number(w[3]));
    else
        return false;
    return true;
}

// ir N X1 Y1 [X2 Y2]: the sensor bar's two dots (size 2), or one; the other dots leave the view.
const int kBarDotSize = 2;

void PlaceSensorBar(SIM_REMOTE *pSim, const std::vector<std::string> &w) {
    SimSetIrDot(pSim, 0, Number(w[2]), Number(w[3]), kBarDotSize);
    if (w.size() == 6)
        SimSetIrDot(pSim, 1, Number(w[4]), Number(w[5]), kBarDotSize);
    for (int i = w.size() == 6 ? 2 : 1; i < 4; i++)
        SimHideIrDot(pSim, i);
}

// Waits dwMs or until the scenario is stopped; false when stopped.
bool Rest(Scenario *p, DWORD dwMs) { return WaitForSingleObject(p->hStop, dwMs) == WAIT_TIMEOUT && !p->bStop; }

void WaitForFile(Scenario *p, const std::string &path) {
    // The folder with its trailing separator, so a file in a drive's root watches the root.
    std::string folder = path.substr(0, path.find_last_of("\\/") + 1);
    HANDLE hChange = FindFirstChangeNotificationA(folder.empty() ? "." : folder.c_str(), FALSE,
                                                  FILE_NOTIFY_CHANGE_FILE_NAME);
    HANDLE ah[2] = {p->hStop, hChange};
    while (!p->bStop && !FileExists(path)) {
        if (hChange == INVALID_HANDLE_VALUE) {
            Rest(p, kCuePollMs);
            continue;
        }
        DWORD dwWait = WaitForMultipleObjects(2, ah, FALSE, kCuePollMs);
        if (dwWait == WAIT_FAILED || (dwWait == WAIT_OBJECT_0 + 1 && !FindNextChangeNotification(hChange))) {
            FindCloseChangeNotification(hChange);
            hChange = INVALID_HANDLE_VALUE;
        }
    }
    if (hChange != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(hChange);
}

bool Pause(Scenario *p, const std::vector<std::string> &w) {
    if (w[0] == "wait")
        Rest(p, (DWORD)std::max(Number(w[1]), 0));
    else if (w[0] == "waitfile")
        WaitForFile(p, w[1]);
    else
        while (!(RemoteAt(p, w) && SimContinuous(RemoteAt(p, w))) && Rest(p, kConnectedPollMs)) {
        }
    return true;
}

// Appends the moment, in milliseconds of the performance counter (shared by all processes).
bool Stamp(const std::string &path) {
    LARGE_INTEGER liNow, liFreq;
    QueryPerformanceCounter(&liNow);
    QueryPerformanceFrequency(&liFreq);
    FILE *pFile = fopen(path.c_str(), "a");
    if (!pFile)
        return false;
    fprintf(pFile, "%.3f\n", (double)liNow.QuadPart * 1000.0 / (double)liFreq.QuadPart);
    fclose(pFile);
    return true;
}

// One command; false when it is not understood.
bool Run(Scenario *p, const std::vector<std::string> &w) {
    const std::string &verb = w[0];
    if (verb == "remote") {
        p->remotes.push_back(SimAddRemote());
        return true;
    }
    if (verb == "other" && w.size() >= 3) {
        DWORD dwFlags = 0;
        for (size_t i = 3; i < w.size(); i++)
            dwFlags |= w[i] == "openfails" ? SIM_DEV_OPEN_FAILS : w[i] == "capsfail" ? SIM_DEV_CAPS_FAIL : 0;
        SimAddHidDevice((WORD)strtol(w[1].c_str(), NULL, 16), (WORD)strtol(w[2].c_str(), NULL, 16), dwFlags);
        return true;
    }
    if (IsPause(verb))
        return w.size() >= 2 && Pause(p, w);
    if (verb == "stamp" && w.size() == 2)
        return Stamp(w[1]);
    if (verb == "statusinterval" && w.size() == 2) {
        g_Lib.dwStatusInterval = (DWORD)Number(w[1]);
        return true;
    }
    if (verb == "passms" && w.size() == 2) {
        g_Lib.dwPassMs = (DWORD)Number(w[1]);
        WakeWorker();
        return true;
    }
    if (verb == "press" || verb == "release")
        return SetCoreButtons(p, w, verb == "press");
    SIM_REMOTE *pSim = RemoteAt(p, w);
    if (!pSim)
        return false;
    if (verb == "ext" && w.size() >= 3)
        return PlugExtension(pSim, w);
    if (verb == "accel" && w.size() == 5)
        SimSetAccel(pSim, (BYTE)Number(w[2]), (BYTE)Number(w[3]), (BYTE)Number(w[4]));
    else if (verb == "nunchuk" && w.size() == 6)
        SimSetNunchuk(pSim, (BYTE)Number(w[2]), (BYTE)Number(w[3]), 0x200, 0x200, 0x2CC, Number(w[4]), Number(w[5]));
    else if (verb == "classic" && w.size() >= 8)
        SimSetClassic(pSim, Number(w[2]), Number(w[3]), Number(w[4]), Number(w[5]), Number(w[6]), Number(w[7]),
                      ClassicButtons(w, 8));
    else if (verb == "battery" && w.size() >= 3)
        SimSetBattery(pSim, (BYTE)Number(w[2]), w.size() > 3 && w[3] == "low");
    else if (verb == "latency" && w.size() == 3)
        SimSetReadLatency(pSim, (DWORD)Number(w[2]));
    else if (verb == "off")
        SimPowerOff(pSim);
    else if (verb == "product" && w.size() == 3)
        SimSetProductId(pSim, (WORD)strtol(w[2].c_str(), NULL, 16));
    else if (verb == "lengths" && w.size() == 4)
        SimSetReportLengths(pSim, (USHORT)Number(w[2]), (USHORT)Number(w[3]));
    else if (verb == "setreport" && w.size() >= 3)
        return SetReportBehaviour(pSim, w);
    else if (verb == "ir" && (w.size() == 4 || w.size() == 6))
        PlaceSensorBar(pSim, w);
    else if (verb == "irdot" && w.size() == 6)
        SimSetIrDot(pSim, Number(w[2]), Number(w[3]), Number(w[4]), Number(w[5]));
    else if (verb == "irhide" && w.size() == 3)
        SimHideIrDot(pSim, Number(w[2]));
    else if (verb == "camerafails" && w.size() == 3)
        SimRefuseCameraWrites(pSim, Number(w[2]));
    else if (verb == "motionplus" && w.size() == 3 && (w[2] == "on" || w[2] == "off"))
        SimSetMotionPlus(pSim, w[2] == "on");
    else if (verb == "gyro" && w.size() == 5)
        SimSetGyro(pSim, Number(w[2]) * 100, Number(w[3]) * 100, Number(w[4]) * 100);
    else if (verb == "gyrobias" && w.size() == 6)
        SimSetGyroBias(pSim, Number(w[2]), Number(w[3]), Number(w[4]), Number(w[5]));
    else if (verb == "cancelstuck")
        SimSetFaults(pSim, SIM_FAULT_CANCEL_STUCK);
    else
        return false;
    return true;
}

DWORD WINAPI ScenarioThread(LPVOID pv) {
    Scenario *p = (Scenario *)pv;
    /* "sim " marks the simulator's threads, whose CPU the benchmark keeps apart from Zan's. */
    NameCurrentThread(L"sim scenario");
    for (; p->nNext < p->lines.size() && !p->bStop; p->nNext++)
        Run(p, p->lines[p->nNext]);
    return 0;
}

bool ReadLines(const wchar_t *pszPath, Scenario *p) {
    FILE *pFile = _wfopen(pszPath, L"r");
    if (!pFile)
        return false;
    char szLine[512];
    while (fgets(szLine, sizeof(szLine), pFile)) {
        char *pszHash = strchr(szLine, '#');
        if (pszHash)
            *pszHash = 0;
        std::istringstream in(szLine);
        std::vector<std::string> words;
        std::string word;
        while (in >> word)
            words.push_back(word);
        if (!words.empty())
            p->lines.push_back(words);
    }
    fclose(pFile);
    return true;
}

}  // namespace

int StartScenario(const wchar_t *pszPath)
{
    Scenario *p = new Scenario;
    if (!ReadLines(pszPath, p)) {
        fprintf(stderr, "simulated remote: cannot read scenario %ls\n", pszPath);
        delete p;
        return 0;
    }
    p->hStop = CreateEventW(NULL, TRUE, FALSE, NULL);
    if (!p->hStop) {
        fprintf(stderr, "simulated remote: no event for the scenario (error %lu)\n", GetLastError());
        delete p;
        return 0;
    }
    SimInstall();
    g_pScenario = p;
    // The set-up part runs now, so remotes exist before the first connection.
    for (; p->nNext < p->lines.size() && !IsPause(p->lines[p->nNext][0]); p->nNext++) {
        if (!Run(p, p->lines[p->nNext])) {
            fprintf(stderr, "simulated remote: scenario line not understood: %s\n", p->lines[p->nNext][0].c_str());
            return 0;
        }
    }
    p->hThread = CreateThread(NULL, 0, ScenarioThread, p, 0, NULL);
    return 1;
}

void StopScenario(void)
{
    Scenario *p = g_pScenario;
    if (!p)
        return;
    InterlockedExchange(&p->bStop, 1);
    SetEvent(p->hStop);
    if (p->hThread) {
        WaitForSingleObject(p->hThread, 2000);
        CloseHandle(p->hThread);
    }
    CloseHandle(p->hStop);
    g_pScenario = NULL;
    delete p;
}
