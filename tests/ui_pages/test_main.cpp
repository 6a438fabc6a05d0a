// The tests' entry point. Without a window manager on the virtual display, Wine waits two
// seconds for one to withdraw every captioned window that is hidden or destroyed; the
// tests close many dialogs, so their windows are made unmanaged, for this program only.
// Wine reads the setting when the process starts: the first run that sets it runs the
// tests in a fresh process.
#include <windows.h>

#include <gtest/gtest.h>

// 1 when the setting was already there, 0 when it was just made, -1 when it can't be.
static int MakeWindowsUnmanaged(void) {
    wchar_t szExe[MAX_PATH];
    GetModuleFileNameW(NULL, szExe, MAX_PATH);
    const wchar_t *pszName = szExe;
    for (const wchar_t *p = szExe; *p; p++)
        if (*p == L'\\' || *p == L'/')
            pszName = p + 1;
    wchar_t szKey[MAX_PATH + 64];
    wsprintfW(szKey, L"Software\\Wine\\AppDefaults\\%s\\X11 Driver", pszName);
    HKEY hKey;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, szKey, 0, NULL, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, NULL, &hKey, NULL) !=
        ERROR_SUCCESS)
        return -1;
    wchar_t szValue[4] = L"";
    DWORD cb = sizeof(szValue);
    int nResult = 1;
    if (RegQueryValueExW(hKey, L"Managed", NULL, NULL, (BYTE *)szValue, &cb) != ERROR_SUCCESS || szValue[0] != L'N') {
        nResult = RegSetValueExW(hKey, L"Managed", 0, REG_SZ, (const BYTE *)L"N", 2 * sizeof(wchar_t)) == ERROR_SUCCESS
                      ? 0
                      : -1;
    }
    RegCloseKey(hKey);
    return nResult;
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
