/*
 * input_target - a window that takes the focus and records the key and button messages it
 * receives, one line each, with the time in milliseconds of the performance counter:
 *   TIME NAME WPARAM
 * Usage: input_target LOGFILE
 * It creates LOGFILE.ready once it has the focus, and ends on WM_CLOSE.
 */
#include <windows.h>

#include <stdio.h>

namespace {

struct TARGET {
    FILE *pLog;
    LARGE_INTEGER liFreq;
};

TARGET g_Target;

const char *MessageName(UINT uMsg) {
    switch (uMsg) {
    case WM_KEYDOWN: return "KEYDOWN";
    case WM_KEYUP: return "KEYUP";
    case WM_SYSKEYDOWN: return "SYSKEYDOWN";
    case WM_SYSKEYUP: return "SYSKEYUP";
    case WM_LBUTTONDOWN: return "LDOWN";
    case WM_LBUTTONUP: return "LUP";
    case WM_LBUTTONDBLCLK: return "LDBLCLK";
    case WM_RBUTTONDOWN: return "RDOWN";
    case WM_RBUTTONUP: return "RUP";
    default: return NULL;
    }
}

void Record(UINT uMsg, WPARAM wParam) {
    const char *pszName = MessageName(uMsg);
    if (!pszName)
        return;
    LARGE_INTEGER liNow;
    QueryPerformanceCounter(&liNow);
    // Milliseconds of the performance counter, which every process on the machine shares.
    double dMs = (double)liNow.QuadPart * 1000.0 / (double)g_Target.liFreq.QuadPart;
    fprintf(g_Target.pLog, "%.2f %s %ld\n", dMs, pszName, (long)wParam);
    fflush(g_Target.pLog);
}

LRESULT CALLBACK TargetProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    Record(uMsg, wParam);
    if (uMsg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2)
        return 2;
    g_Target.pLog = fopen(argv[1], "w");
    if (!g_Target.pLog)
        return 1;
    QueryPerformanceFrequency(&g_Target.liFreq);

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
    SetForegroundWindow(hWnd);
    SetFocus(hWnd);
    SetCursorPos(500, 400);
    for (int i = 0; i < 200 && GetForegroundWindow() != hWnd; i++) {
        Sleep(10);
        SetForegroundWindow(hWnd);
    }

    char szReady[MAX_PATH];
    snprintf(szReady, sizeof(szReady), "%s.ready", argv[1]);
    FILE *pReady = fopen(szReady, "w");
    if (pReady)
        fclose(pReady);

    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    fclose(g_Target.pLog);
    return 0;
}
