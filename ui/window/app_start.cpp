/* app_start.cpp - start-up up to the message loop, and the loop itself. */
#include "app.h"
#include "connection.h"
#include "pages.h"
#include "program_state.h"
#include "resident.h"
#include "resource.h"
#include "setting_file.h"
#include "timer_calls.h"
#include "timer_throttling.h"

#define TEXT_CHARS 100
#define MAIN_WINDOW_START_SIZE 10

APP_WINDOW g_App;
APP_OPTIONS g_Options;
WCHAR g_szOptionsFile[OPTIONS_PATH_CHARS];

typedef struct APP_NAMES {
    WCHAR szTitle[TEXT_CHARS];
    WCHAR szClass[TEXT_CHARS];
} APP_NAMES;

static void RegisterMainClass(HINSTANCE hInstance, LPCWSTR pszClass)
{
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconW(hInstance, MAKEINTRESOURCEW(IDI_ZAN));
    wc.hIconSm = LoadIconW(hInstance, MAKEINTRESOURCEW(IDI_SMALL));
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAIN_MENU);
    wc.lpszClassName = pszClass;
    RegisterClassExW(&wc);
}

/* The command line, else the last settings file when the options ask for it; silent. */
static void LoadStartFile(LPCWSTR pszCommandLine)
{
    int bLoaded = OpenCommandLineFile(pszCommandLine ? pszCommandLine : L"", g_State.szCurrentFile);
    WCHAR szLast[MAX_PATH];
    if (!bLoaded && g_Options.bInitSet && GetFullSettingPath(g_Options.szSettingFilename, szLast) &&
        LoadCurrentSetFrom(szLast, 0))
        lstrcpyW(g_State.szCurrentFile, szLast);
}

HWND StartZan(HINSTANCE hInstance, LPCWSTR pszCommandLine, int nCmdShow, LPCWSTR pszOptionsFile)
{
    /* Before the window starts the engine: its clock and 10 ms cycle come from winmm, and
       Windows 11 must not coarsen them while Zan is hidden. */
    LoadTimerCalls();
    KeepTimerResolution();
    APP_NAMES names;
    LoadStringW(hInstance, IDS_APP_TITLE, names.szTitle, TEXT_CHARS);
    LoadStringW(hInstance, IDS_CLASS_NAME, names.szClass, TEXT_CHARS);
    RegisterMainClass(hInstance, names.szClass);
    InitAssignmentSet(&g_CurrentSet);
    if (pszOptionsFile)
        lstrcpynW(g_szOptionsFile, pszOptionsFile, OPTIONS_PATH_CHARS);
    else
        GetOptionsFilePath(g_szOptionsFile);

    /* Read before the window exists: a start in the notification area never shows it. */
    ReadOptionsFrom(g_szOptionsFile, &g_Options);
    DWORD dwStyle = StartsInTray(pszCommandLine) ? MAIN_WINDOW_STYLE & ~WS_VISIBLE : MAIN_WINDOW_STYLE;

    g_App.hInstance = hInstance;
    HWND hWnd = CreateWindowExW(0, names.szClass, names.szTitle, dwStyle,
                                CW_USEDEFAULT, 0, MAIN_WINDOW_START_SIZE, MAIN_WINDOW_START_SIZE,
                                NULL, NULL, hInstance, NULL);
    if (!hWnd)
        return NULL;
    StartResident(hWnd);
    ShowWindow(hWnd, StartShowCommand(pszCommandLine, nCmdShow));
    UpdateWindow(hWnd);

    ApplyViewOptions();
    LoadStartFile(pszCommandLine);
    if (g_Options.bConnect)
        ConnectRemote(hWnd, 0);
    ApplyLedPattern(&g_CurrentSet, g_State.nSelectedRemote);
    RefreshPages();
    if (g_State.szCurrentFile[0])
        UpdateTitle();
    return hWnd;
}

int RunMessageLoop(void)
{
    HACCEL hAccel = LoadAcceleratorsW(g_App.hInstance, MAKEINTRESOURCEW(IDR_MAIN_ACCEL));
    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        /* The shortcuts are the main window's commands whichever child has the focus. */
        if (!TranslateAcceleratorW(g_App.hMainWnd, hAccel, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return (int)msg.wParam;
}
