/*
 * tavel_monitor - connects every Wii Remote tavel.dll can find, lists them, and prints their
 * input changes live until Ctrl+C. Uses nothing but tavel.h and the library's exports.
 *
 *   tavel_monitor [--list] [--seconds N] [--ir] [--motion]
 *     --list       list the remotes and exit
 *     --seconds N  stop after N seconds
 *     --ir         switch the IR camera on and print the dots it sees
 *     --motion     switch a MotionPlus's gyro on and print its rates
 */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tavel.h"

#define MSG_CONNECTED  WM_MSG_CONNECT_DEFAULT
#define ACCEL_STEP 10 /* hundredths of g: smaller changes are noise */
#define MOTION_STEP 200 /* hundredths of a degree a second, likewise */

typedef struct MONITOR {
    HWND  hWnd;
    int   nRemotes;
    WM_KEY aLastKey[TAVEL_SLOTS];
    int   anPrintedAccel[TAVEL_SLOTS][3];
    int   anPrintedRate[TAVEL_SLOTS][3];
    DWORD dwExtraReport; /* WMRPT_IR and WMRPT_MOTION as the flags ask */
    DWORD dwMainThread;
} MONITOR;

static MONITOR g_Monitor;

static const char *const g_apszCoreButton[] = {"A", "B", "-", "HOME", "+", "1", "2", "Up", "Down", "Left", "Right"};
static const char *const g_apszNunchuk[] = {"C", "Z", "stick X", "stick Y", "accel X", "accel Y", "accel Z"};
static const char *const g_apszClassic[] = {"a", "b", "-", "HOME", "+", "x", "y", "Up", "Down", "Left", "Right",
                                            "L", "R", "ZL", "ZR", "left stick X", "left stick Y",
                                            "right stick X", "right stick Y", "left trigger", "right trigger"};

static const char *ExtensionName(int nExtType)
{
    switch (nExtType) {
    case WMEXT_NUNCHUK: return "Nunchuk";
    case WMEXT_CLASSIC: return "Classic Controller";
    case WMEXT_CLASSIC_PRO: return "Classic Controller PRO";
    default: return "none";
    }
}

/* A full battery reports about 0xC8; fresher cells can read a little above. */
#define BATTERY_FULL_LEVEL 0xC8

static int BatteryPercent(int nLevel)
{
    int nPercent = nLevel * 100 / BATTERY_FULL_LEVEL;
    return nPercent > 100 ? 100 : nPercent;
}

static void PrintRemote(int nSlot)
{
    WM_STATUS st = {};
    st.dwFlags = WMST_LED | WMST_BATTERY | WMST_EXTENSION | WMST_REPORT;
    if (!wm_GetStatus(nSlot, &st)) {
        printf("slot %d: status not readable (code 0x%08lX)\n", nSlot, GetLastError());
        return;
    }
    printf("slot %d: battery %d (%d%%)%s, extension %s, LEDs %d%d%d%d, reporting 0x%02lX\n", nSlot,
           st.nBattery, BatteryPercent(st.nBattery), st.bBatteryOk ? "" : " LOW", ExtensionName(st.nExtType),
           st.abLed[0], st.abLed[1], st.abLed[2], st.abLed[3], st.dwReport);
}

static void PrintDots(int nSlot)
{
    WM_IR ir;
    if (!wm_GetIr(nSlot, &ir))
        return;
    printf("slot %d: IR %d dot(s)", nSlot, ir.nDotsSeen);
    for (int i = 0; i < WM_IR_DOTS; i++)
        if (ir.aDot[i].bSeen)
            printf(" (%d,%d,%d)", ir.aDot[i].nX, ir.aDot[i].nY, ir.aDot[i].nSize);
    printf("\n");
}

static void PrintRates(int nSlot)
{
    WM_MOTION m;
    if (!wm_GetMotion(nSlot, &m))
        return;
    int anRate[3] = {m.nYaw, m.nRoll, m.nPitch};
    int *anPrinted = g_Monitor.anPrintedRate[nSlot];
    int bMoved = 0;
    for (int i = 0; i < 3; i++)
        bMoved = bMoved || abs(anRate[i] - anPrinted[i]) >= MOTION_STEP;
    if (!bMoved)
        return;
    memcpy(anPrinted, anRate, sizeof(anRate));
    printf("slot %d: gyro yaw %.2f roll %.2f pitch %.2f deg/s%s\n", nSlot, m.nYaw / 100.0, m.nRoll / 100.0,
           m.nPitch / 100.0, m.bCalibrated ? "" : " (bias not yet measured)");
}

static void OnInputChanged(int nSlot, const DWORD *adwMask)
{
    if (adwMask[0] & WMKEY_CHANGED_IR)
        PrintDots(nSlot);
    if (adwMask[0] & WMKEY_CHANGED_MOTION)
        PrintRates(nSlot);
    WM_KEY key;
    if (!wm_GetKey(nSlot, &key))
        return;
    const int *anKey = (const int *)&key;
    for (int i = 0; i < 11; i++)
        if (adwMask[0] & (1u << i))
            printf("slot %d: %s %s\n", nSlot, g_apszCoreButton[i], anKey[i] ? "down" : "up");
    int *anPrinted = g_Monitor.anPrintedAccel[nSlot];
    if ((adwMask[0] & 0x3800) && (abs(key.nAccX - anPrinted[0]) >= ACCEL_STEP ||
                                   abs(key.nAccY - anPrinted[1]) >= ACCEL_STEP ||
                                   abs(key.nAccZ - anPrinted[2]) >= ACCEL_STEP)) {
        printf("slot %d: accelerometer %d %d %d\n", nSlot, key.nAccX, key.nAccY, key.nAccZ);
        anPrinted[0] = key.nAccX;
        anPrinted[1] = key.nAccY;
        anPrinted[2] = key.nAccZ;
    }
    if (adwMask[1] == 0)
        return;
    WM_STATUS st = {};
    st.dwFlags = WMST_EXTENSION;
    WM_KEYEX ex;
    if (!wm_GetStatus(nSlot, &st) || !wm_GetKeyEx(nSlot, &ex))
        return;
    int bNunchuk = st.nExtType == WMEXT_NUNCHUK;
    int nFields = bNunchuk ? 7 : WM_KEYEX_FIELDS;
    for (int i = 0; i < nFields; i++)
        if (adwMask[1] & (1u << i))
            printf("slot %d: %s %d\n", nSlot, bNunchuk ? g_apszNunchuk[i] : g_apszClassic[i], ex.anField[i]);
}

static void OnStatusChanged(int nSlot, DWORD dwMask)
{
    if (dwMask & (WMST_BATTERY | WMST_EXTENSION))
        PrintRemote(nSlot);
}

static void OnLost(int nSlot, LPARAM lAsked)
{
    printf("slot %d: %s\n", nSlot, lAsked ? "disconnected" : "lost (the remote stopped answering)");
    if (--g_Monitor.nRemotes <= 0)
        PostQuitMessage(2);
}

static LRESULT CALLBACK MonitorProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case MSG_CONNECTED: return 0;
    case WM_MSG_KEY_DEFAULT: OnInputChanged((int)wParam, (const DWORD *)lParam); fflush(stdout); return 0;
    case WM_MSG_STATUS_DEFAULT: OnStatusChanged((int)wParam, (DWORD)lParam); fflush(stdout); return 0;
    case WM_MSG_LOST_DEFAULT: OnLost((int)wParam, lParam); fflush(stdout); return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

static BOOL WINAPI OnConsoleControl(DWORD)
{
    PostThreadMessageW(g_Monitor.dwMainThread, WM_QUIT, 0, 0);
    return TRUE;
}

static HWND CreateMonitorWindow(void)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = MonitorProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"TavelMonitor";
    RegisterClassW(&wc);
    return CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
}

/* Lists every remote and asks for its notifications. */
static int WatchRemotes(void)
{
    int nFound = 0;
    for (int i = 0; i < TAVEL_SLOTS; i++) {
        if (wm_Exist(i) != 1)
            continue;
        nFound++;
        PrintRemote(i);
        WM_SYSTEM sys = {};
        sys.dwFlags = WMSYS_HWND;
        sys.hWnd = g_Monitor.hWnd;
        wm_SetSystem(i, &sys);
        if (!g_Monitor.dwExtraReport)
            continue;
        WM_STATUS st = {};
        st.dwFlags = WMST_REPORT;
        wm_GetStatus(i, &st);
        st.dwReport |= g_Monitor.dwExtraReport;
        wm_SetStatus(i, &st);
        if (g_Monitor.dwExtraReport & WMRPT_MOTION) {
            WM_MOTION m;
            if (wm_GetMotion(i, &m) && m.nState == WMMP_NONE)
                printf("slot %d: no MotionPlus\n", i);
        }
    }
    return nFound;
}

static int RunLoop(DWORD dwSeconds)
{
    if (dwSeconds)
        SetTimer(NULL, 0, dwSeconds * 1000, NULL);
    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == NULL)
            break;
        DispatchMessageW(&msg);
    }
    return msg.message == WM_QUIT ? (int)msg.wParam : 0;
}

int main(int argc, char **argv)
{
    int bListOnly = 0;
    DWORD dwSeconds = 0;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--list") == 0)
            bListOnly = 1;
        else if (strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            dwSeconds = (DWORD)atoi(argv[++i]);
        else if (strcmp(argv[i], "--ir") == 0)
            g_Monitor.dwExtraReport |= WMRPT_IR;
        else if (strcmp(argv[i], "--motion") == 0)
            g_Monitor.dwExtraReport |= WMRPT_MOTION;
        else {
            fprintf(stderr, "usage: tavel_monitor [--list] [--seconds N] [--ir] [--motion]\n");
            return 64;
        }
    }
    int nVersion = wm_Version();
    printf("tavel v%d.%02d.%02d\n", (nVersion >> 8) & 0xFF, (nVersion >> 16) & 0xFF, (nVersion >> 24) & 0xFF);
    if (!wm_Init()) {
        printf("The library could not start (code 0x%08lX).\n", GetLastError());
        return 1;
    }
    g_Monitor.dwMainThread = GetCurrentThreadId();
    g_Monitor.hWnd = CreateMonitorWindow();
    int nConnected = wm_Connect(g_Monitor.hWnd, MSG_CONNECTED);
    DWORD dwCode = GetLastError();
    g_Monitor.nRemotes = WatchRemotes();
    if (g_Monitor.nRemotes == 0) {
        printf("No Wii Remote found (code 0x%08lX).\n"
               "Pair the remote in Windows' Bluetooth settings (press 1 and 2 together to make it visible),\n"
               "then run this again while its LEDs blink.\n", dwCode);
        wm_Close();
        return 1;
    }
    if (nConnected < 0)
        printf("Not every remote could be connected (code 0x%08lX).\n", dwCode);
    printf("%d remote(s) connected.%s\n", g_Monitor.nRemotes, bListOnly ? "" : " Input changes follow; Ctrl+C ends.");
    fflush(stdout);
    int nExit = 0;
    if (!bListOnly) {
        SetConsoleCtrlHandler(OnConsoleControl, TRUE);
        nExit = RunLoop(dwSeconds);
    }
    wm_Close();
    return nExit;
}
