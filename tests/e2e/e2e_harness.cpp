#include "e2e_harness.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "setting_file.h"

namespace {

std::wstring ExeDir() {
    wchar_t sz[MAX_PATH];
    GetModuleFileNameW(NULL, sz, MAX_PATH);
    *wcsrchr(sz, L'\\') = 0;
    return sz;
}

std::string Narrow(const std::wstring &w) {
    int cb = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, NULL, 0, NULL, NULL);
    std::string s((size_t)cb, '\0');
    WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, &s[0], cb, NULL, NULL);
    s.resize((size_t)cb - 1);
    return s;
}

void DeleteTree(const std::wstring &dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L".."))
                DeleteFileW((dir + L"\\" + fd.cFileName).c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

}  // namespace

bool ZanRun::Prepare(const wchar_t *pszName) {
    wchar_t szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    dir = std::wstring(szTemp) + L"zan_e2e_" + pszName;
    DeleteTree(dir);
    CreateDirectoryW(dir.c_str(), NULL);
    std::wstring bin = ExeDir();
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
    FILE *p = _wfopen(Path(pszName).c_str(), L"wb");
    fwrite(text.data(), 1, text.size(), p);
    fclose(p);
}

std::string ZanRun::ReadFile(const wchar_t *pszName) const {
    FILE *p = _wfopen(Path(pszName).c_str(), L"rb");
    if (!p)
        return std::string();
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), p)) > 0)
        s.append(buf, n);
    fclose(p);
    return s;
}

bool ZanRun::FileExists(const wchar_t *pszName) const {
    return GetFileAttributesW(Path(pszName).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ZanRun::ScenarioPath(const wchar_t *pszName) const { return Narrow(Path(pszName)); }

void ZanRun::WriteScenario(const std::string &text) { WriteFile(L"scenario.txt", text); }

static bool StartProcess(const std::wstring &commandLine, const std::wstring &dir, PROCESS_INFORMATION *pInfo) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    std::vector<wchar_t> buf(commandLine.begin(), commandLine.end());
    buf.push_back(0);
    return CreateProcessW(NULL, buf.data(), NULL, NULL, FALSE, 0, NULL, dir.c_str(), &si, pInfo) != 0;
}

bool ZanRun::StartZan(const std::wstring &commandLine) {
    SetEnvironmentVariableW(L"TAVEL_SIM_SCENARIO", Path(L"scenario.txt").c_str());
    std::wstring line = L"\"" + Path(L"Zan.exe") + L"\"" + (commandLine.empty() ? L"" : L" " + commandLine);
    if (!StartProcess(line, dir, &zan))
        return false;
    DWORD dwStart = GetTickCount();
    while (GetTickCount() - dwStart < 10000) {
        HWND h = FindWindowW(L"ZAN", NULL);
        DWORD dwPid = 0;
        if (h)
            GetWindowThreadProcessId(h, &dwPid);
        if (h && dwPid == zan.dwProcessId) {
            hZan = h;
            // Start-up (loading, connecting) is over once its message loop waits for input.
            WaitForInputIdle(zan.hProcess, 10000);
            return true;
        }
        Sleep(20);
    }
    return false;
}

bool ZanRun::StartTarget() {
    DeleteFileW(Path(L"target.log.ready").c_str());
    std::wstring line = L"\"" + Path(L"input_target.exe") + L"\" \"" + Path(L"target.log") + L"\"";
    if (!StartProcess(line, dir, &target))
        return false;
    DWORD dwStart = GetTickCount();
    while (!FileExists(L"target.log.ready")) {
        if (GetTickCount() - dwStart > 10000)
            return false;
        Sleep(10);
    }
    return true;
}

void ZanRun::Cue(const wchar_t *pszName) { WriteFile(pszName, "go\n"); }

std::vector<TargetEvent> ZanRun::Events() const {
    std::vector<TargetEvent> events;
    std::istringstream in(ReadFile(L"target.log"));
    TargetEvent e;
    while (in >> e.dMs >> e.name >> e.nParam >> e.x >> e.y)
        events.push_back(e);
    return events;
}

bool ZanRun::WaitEvents(bool (*pred)(const std::vector<TargetEvent> &), DWORD dwMs) const {
    DWORD dwStart = GetTickCount();
    for (;;) {
        if (pred(Events()))
            return true;
        if (GetTickCount() - dwStart > dwMs)
            return false;
        Sleep(20);
    }
}

struct FindDialog {
    DWORD dwPid;
    HWND hFound;
};

static BOOL CALLBACK FindDialogOfProcess(HWND hWnd, LPARAM lParam) {
    FindDialog *f = (FindDialog *)lParam;
    wchar_t szClass[16];
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hWnd, &dwPid);
    if (dwPid == f->dwPid && IsWindowVisible(hWnd) && GetClassNameW(hWnd, szClass, 16) && wcscmp(szClass, L"#32770") == 0) {
        f->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

bool ZanRun::AnswerMessageBox(int nButton, DWORD dwMs) {
    DWORD dwStart = GetTickCount();
    while (GetTickCount() - dwStart < dwMs) {
        FindDialog f = {zan.dwProcessId, NULL};
        EnumWindows(FindDialogOfProcess, (LPARAM)&f);
        if (f.hFound) {
            PostMessageW(f.hFound, WM_COMMAND, MAKEWPARAM(nButton, BN_CLICKED), 0);
            return true;
        }
        Sleep(20);
    }
    return false;
}

DWORD ZanRun::Close() {
    DWORD dwCode = (DWORD)-1;
    if (zan.hProcess) {
        PostMessageW(hZan, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(zan.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(zan.hProcess, 99);
        GetExitCodeProcess(zan.hProcess, &dwCode);
        CloseHandle(zan.hProcess);
        CloseHandle(zan.hThread);
        zan = {};
    }
    if (target.hProcess) {
        HWND h = FindWindowW(L"InputTarget", NULL);
        if (h)
            PostMessageW(h, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(target.hProcess, 5000) != WAIT_OBJECT_0)
            TerminateProcess(target.hProcess, 99);
        CloseHandle(target.hProcess);
        CloseHandle(target.hThread);
        target = {};
    }
    return dwCode;
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

std::vector<long> KeysLeftDown(const std::vector<TargetEvent> &events) {
    std::map<long, bool> down;
    for (const TargetEvent &e : events) {
        if (e.name == "KEYDOWN" || e.name == "SYSKEYDOWN")
            down[e.nParam] = true;
        else if (e.name == "KEYUP" || e.name == "SYSKEYUP")
            down[e.nParam] = false;
    }
    std::vector<long> left;
    for (auto &kv : down)
        if (kv.second)
            left.push_back(kv.first);
    return left;
}
