// Runs the real Zan.exe with the simulated library next to a target window that records
// what it receives. Each test gets its own folder with Zan.exe, the simulated tavel.dll
// and the launch marker, so option.ini and logs never leak between tests.
#ifndef E2E_HARNESS_H
#define E2E_HARNESS_H

#include <windows.h>

#include <string>
#include <vector>

#include "assignment.h"

struct TargetEvent {
    double dMs;
    std::string name;  // KEYDOWN, KEYUP, SYSKEYDOWN, SYSKEYUP, LDOWN, LUP, LDBLCLK, RDOWN, RUP
    long nParam;       // the virtual key, or the mouse message's key flags
};

struct ZanRun {
    std::wstring dir;           // the test's own folder
    PROCESS_INFORMATION zan = {};
    PROCESS_INFORMATION target = {};
    PROCESS_INFORMATION second = {};  // another start of the folder's Zan.exe
    HWND hZan = NULL;

    // Copies the programs into a fresh folder.
    bool Prepare(const wchar_t *pszName);
    // Writes a settings file into the folder; returns its path.
    std::wstring WriteSet(ASSIGNMENT_SET *pSet, const wchar_t *pszName);
    // Writes the scenario the simulated library plays.
    void WriteScenario(const std::string &text);
    void WriteFile(const wchar_t *pszName, const std::string &text);
    std::string ReadFile(const wchar_t *pszName) const;
    // Starts Zan with the scenario and a command line; waits for its main window.
    bool StartZan(const std::wstring &commandLine);
    // Starts the folder's Zan.exe again with a command line, in the current directory cwd.
    bool StartSecond(const std::wstring &commandLine, const std::wstring &cwd);
    // Starts the target, waits until it has the focus.
    bool StartTarget();
    // Lets the scenario go on past "waitfile cue".
    void Cue(const wchar_t *pszName = L"cue");
    std::vector<TargetEvent> Events() const;
    // A message box or dialog Zan shows, or NULL.
    HWND FindBox() const;
    // Waits for a message box of Zan's and presses the given button; false when none came.
    bool AnswerMessageBox(int nButton, DWORD dwMs);
    // Closes Zan (and the target) and waits for both to end; ends a second start left running.
    void Close();
    ~ZanRun();

    std::wstring Path(const wchar_t *pszName) const { return dir + L"\\" + pszName; }
    std::string ScenarioPath(const wchar_t *pszName) const;
};

// Polls every 20 ms until done() holds; false when dwMs passed first.
template <typename F> bool PollUntil(F done, DWORD dwMs) {
    for (DWORD dwStart = GetTickCount(); !done(); Sleep(20))
        if (GetTickCount() - dwStart > dwMs)
            return false;
    return true;
}

// The events of one kind, in order.
std::vector<TargetEvent> Only(const std::vector<TargetEvent> &events, const char *pszName);

#endif
