#include "e2e_harness.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "setting_file.h"

namespace {

void DeleteTree(const std::wstring &dir) {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

bool StartProcess(const std::wstring &commandLine, const std::wstring &dir, PROCESS_INFORMATION *pInfo) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    std::vector<wchar_t> buf(commandLine.begin(), commandLine.end());
    buf.push_back(0);
    return CreateProcessW(NULL, buf.data(), NULL, NULL, FALSE, 0, NULL, dir.c_str(), &si, pInfo) != 0;
}

// Ends the process when it has not ended on its own within dwMs.
void EndProcess(PROCESS_INFORMATION *pInfo, DWORD dwMs) {
    if (WaitForSingleObject(pInfo->hProcess, dwMs) != WAIT_OBJECT_0)
        TerminateProcess(pInfo->hProcess, 99);
    CloseHandle(pInfo->hProcess);
    CloseHandle(pInfo->hThread);
    *pInfo = {};
}

}  // namespace

bool ZanRun::Prepare(const wchar_t *pszName) {
    wchar_t szTemp[MAX_PATH], szBin[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    dir = std::wstring(szTemp) + L"zan_e2e_" + pszName;
    DeleteTree(dir);
    CreateDirectoryW(dir.c_str(), NULL);
    GetModuleFileNameW(NULL, szBin, MAX_PATH);
    *wcsrchr(szBin, L'\\') = 0;
    std::wstring bin = szBin;
    return CopyFileW((bin + L"\\Zan.exe").c_str(), Path(L"Zan.exe").c_str(), FALSE) &&
           CopyFileW((bin + L"\\sim\\tavel.dll").c_str(), Path(L"tavel.dll").c_str(), FALSE) &&
           CopyFileW((bin + L"\\launch_marker.exe").c_str(), Path(L"launch_marker.exe").c_str(), FALSE) &&
           CopyFileW((bin + L"\\input_target.exe").c_str(), Path(L"input_target.exe").c_str(), FALSE);
}

std::wstring ZanRun::WriteSet(ASSIGNMENT_SET *pSet, const wchar_t *pszName) {
    WCHAR szPath[MAX_PATH];
    wcscpy(szPath, Path(pszName).c_str());
    return WriteSettingFile(szPath, pSet, 1) ? std::wstring(szPath) : std::wstring();
}

void ZanRun::WriteFile(const wchar_t *pszName, const std::string &text) {
    std::ofstream(std::filesystem::path(Path(pszName)), std::ios::binary) << text;
}

std::string ZanRun::ReadFile(const wchar_t *pszName) const {
    std::ifstream file(std::filesystem::path(Path(pszName)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string ZanRun::ScenarioPath(const wchar_t *pszName) const {
    std::wstring path = Path(pszName);
    char sz[MAX_PATH * 2];
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, sz, sizeof(sz), NULL, NULL);
    return sz;
}

bool ZanRun::StartZan(const std::wstring &commandLine) {
    SetEnvironmentVariableW(L"TAVEL_SIM_SCENARIO", Path(L"scenario.txt").c_str());
    std::wstring line = L"\"" + Path(L"Zan.exe") + L"\"" + (commandLine.empty() ? L"" : L" " + commandLine);
    if (!StartProcess(line, dir, &zan))
        return false;
    bool bFound = PollUntil([&] {
        hZan = FindWindowW(L"ZAN", NULL);
        DWORD dwPid = 0;
        GetWindowThreadProcessId(hZan, &dwPid);
        return hZan && dwPid == zan.dwProcessId;
    }, 10000);
    // Start-up (loading, connecting) is over once its message loop waits for input.
    if (bFound)
        WaitForInputIdle(zan.hProcess, 10000);
    return bFound;
}

bool ZanRun::StartSecond(const std::wstring &commandLine, const std::wstring &cwd) {
    return StartProcess(L"\"" + Path(L"Zan.exe") + L"\" " + commandLine, cwd, &second);
}

bool ZanRun::StartTarget() {
    std::wstring line = L"\"" + Path(L"input_target.exe") + L"\" \"" + Path(L"target.log") + L"\"";
    return StartProcess(line, dir, &target) &&
           PollUntil([&] { return GetFileAttributesW(Path(L"target.log.ready").c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
}

void ZanRun::Cue(const wchar_t *pszName) { WriteFile(pszName, "go\n"); }

void ZanRun::WriteScenario(const std::string &text) { WriteFile(L"scenario.txt", text); }

std::vector<TargetEvent> ZanRun::Events() const {
    std::vector<TargetEvent> events;
    std::istringstream in(ReadFile(L"target.log"));
    TargetEvent e;
    while (in >> e.dMs >> e.name >> e.nParam)
        events.push_back(e);
    return events;
}

HWND ZanRun::FindBox() const {
    for (HWND h = NULL; (h = FindWindowExW(NULL, h, L"#32770", NULL)) != NULL;) {
        DWORD dwPid = 0;
        GetWindowThreadProcessId(h, &dwPid);
        if (dwPid == zan.dwProcessId && IsWindowVisible(h))
            return h;
    }
    return NULL;
}

bool ZanRun::AnswerMessageBox(int nButton, DWORD dwMs) {
    return PollUntil([&] {
        HWND h = FindBox();
        return h && PostMessageW(h, WM_COMMAND, MAKEWPARAM(nButton, BN_CLICKED), 0) != 0;
    }, dwMs);
}

void ZanRun::Close() {
    if (zan.hProcess) {
        PostMessageW(hZan, WM_CLOSE, 0, 0);
        EndProcess(&zan, 10000);
    }
    if (target.hProcess) {
        PostMessageW(FindWindowW(L"InputTarget", NULL), WM_CLOSE, 0, 0);
        EndProcess(&target, 5000);
    }
    if (second.hProcess)
        EndProcess(&second, 0);
}

ZanRun::~ZanRun() {
    Close();
    if (!dir.empty() && !getenv("E2E_KEEP"))
        DeleteTree(dir);
}

std::vector<TargetEvent> Only(const std::vector<TargetEvent> &events, const char *pszName) {
    std::vector<TargetEvent> out;
    for (const TargetEvent &e : events)
        if (e.name == pszName)
            out.push_back(e);
    return out;
}
