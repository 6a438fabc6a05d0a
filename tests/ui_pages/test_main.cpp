// The tests' entry point. Without a window manager on the virtual display, Wine waits two
// seconds for one to withdraw every captioned window that is hidden or destroyed; the
// tests close many dialogs, so their windows are made unmanaged, for this program only.
// Wine reads the setting when the process starts: the first run that sets it runs the
// tests in a fresh process.
#include <windows.h>

#include <gtest/gtest.h>

// 1 when the setting was already there, 0 when it was just made, -1 when it can't be.
static int MakeWindowsUnmanaged(void) {
    wchar_t szExe[MAX_PATH], szKey[MAX_PATH + 64], szValue[4] = L"";
    GetModuleFileNameW(NULL, szExe, MAX_PATH);
    const wchar_t *pszName = wcsrchr(szExe, L'\\');
    wsprintfW(szKey, L"Software\\Wine\\AppDefaults\\%s\\X11 Driver", pszName ? pszName + 1 : szExe);
    DWORD cb = sizeof(szValue);
    if (!RegGetValueW(HKEY_CURRENT_USER, szKey, L"Managed", RRF_RT_REG_SZ, NULL, szValue, &cb) && szValue[0] == L'N')
        return 1;
    return RegSetKeyValueW(HKEY_CURRENT_USER, szKey, L"Managed", REG_SZ, L"N", 2 * sizeof(wchar_t)) ? -1 : 0;
}

static int RunAgain(void) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(NULL, GetCommandLineW(), NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD dwExit = 1;
    GetExitCodeProcess(pi.hProcess, &dwExit);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return (int)dwExit;
}

int main(int argc, char **argv) {
    if (MakeWindowsUnmanaged() == 0) {
        int nExit = RunAgain();
        if (nExit >= 0)
            return nExit;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
