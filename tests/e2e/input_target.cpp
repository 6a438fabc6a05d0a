/*
 * input_target - a window that takes the focus and records the key and button messages it
 * receives, one line each, with the time in milliseconds of the performance counter (which
 * every process on the machine shares):
 *   TIME NAME WPARAM
 * Usage: input_target LOGFILE. It creates LOGFILE.ready once it has the focus, and ends on WM_CLOSE.
 */
#include <windows.h>

#include <stdio.h>

namespace {

FILE *g_pLog;
const struct { UINT uMsg; const char *pszName; } g_aNames[] = {
    {WM_KEYDOWN, "KEYDOWN"}, {WM_KEYUP, "KEYUP"}, {WM_SYSKEYDOWN, "SYSKEYDOWN"}, {WM_SYSKEYUP, "SYSKEYUP"},
    {WM_LBUTTONDOWN, "LDOWN"}, {WM_LBUTTONUP, "LUP"}, {WM_LBUTTONDBLCLK, "LDBLCLK"},
    {WM_RBUTTONDOWN, "RDOWN"}, {WM_RBUTTONUP, "RUP"},
    {WM_KILLFOCUS, "KILLFOCUS"},  // keys after this went elsewhere
};

LRESULT CALLBACK TargetProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    for (const auto &name : g_aNames) {
        if (name.uMsg != uMsg)
            continue;
        LARGE_INTEGER liNow, liFreq;
        QueryPerformanceCounter(&liNow);
        QueryPerformanceFrequency(&liFreq);
        fprintf(g_pLog, "%.2f %s %ld\n", (double)liNow.QuadPart * 1000.0 / (double)liFreq.QuadPart, name.pszName,
                (long)wParam);
        fflush(g_pLog);
    }
    if (uMsg == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2 || !(g_pLog = fopen(argv[1], "w")))
        return 1;
    WNDCLASSW wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = L"InputTarget";
    RegisterClassW(&wc);
    // Large, with the pointer over it, so the clicks land in it.
    HWND hWnd = CreateWindowW(wc.lpszClassName, L"input target", WS_POPUP | WS_VISIBLE, 0, 0, 1000, 800,
                              NULL, NULL, wc.hInstance, NULL);
    SetCursorPos(500, 400);
    // The activation arrives as messages: handle them while waiting for it.
    for (int i = 0; i < 500 && GetForegroundWindow() != hWnd; i++) {
        SetForegroundWindow(hWnd);
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(10);
    }
    SetFocus(hWnd);
    if (GetForegroundWindow() != hWnd)
        fprintf(g_pLog, "0 NOFOCUS 0\n");
    char szReady[MAX_PATH];
    snprintf(szReady, sizeof(szReady), "%s.ready", argv[1]);
    if (FILE *pReady = fopen(szReady, "w"))
        fclose(pReady);
    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    fclose(g_pLog);
    return 0;
}
