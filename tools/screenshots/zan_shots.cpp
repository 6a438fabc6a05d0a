// Shows Zan's main window with simulated remotes for screenshots: one tab, or one of the
// dialogs 103, 119, 121, 133 and 140 over it.
// Usage: zan_shots tab0..tab3|highlight|layer2|about|select|key|options|programs [ms]
// "highlight" is the Wii Remote page while A and the cross key's up are held; "layer2" that
// page showing layer 2, switched by the 2 button.
// Prints "ready" once the view is up and ends by itself after ms (default 6000).
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <stdio.h>
#include <stdlib.h>

#include "app.h"
#include "dialogs.h"
#include "pages.h"
#include "program_state.h"
#include "program_watch.h"
#include "resource.h"
#include "setting_file.h"
#include "sim_remote.h"
#include "ui_seam.h"

namespace {

int WINAPI SilentBox(HWND, LPCWSTR, LPCWSTR, UINT) { return IDOK; }

DWORD g_dwEnd;
bool g_bReady;

BOOL CALLBACK AddDialog(HWND hWnd, LPARAM lParam) {
    if (IsWindowVisible(hWnd) && GetWindow(hWnd, GW_OWNER) == g_App.hMainWnd) {
        RECT rc;
        GetWindowRect(hWnd, &rc);
        UnionRect((RECT *)lParam, (RECT *)lParam, &rc);
    }
    return TRUE;
}

// "ready X Y W H": the screen rectangle of the main window and any dialog over it.
VOID CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_bReady) {
        g_bReady = true;
        RECT rc;
        GetWindowRect(g_App.hMainWnd, &rc);
        EnumThreadWindows(GetCurrentThreadId(), AddDialog, (LPARAM)&rc);
        printf("ready %ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
        fflush(stdout);
    }
    if (GetTickCount() > g_dwEnd)
        ExitProcess(0);
}

void DemoSet(void) {
    LockRecord();
    ASSIGNMENT *a = g_CurrentSet.aAssign;
    a[0].nKind = ASSIGN_KEY; a[0].nKeyCount = 1; a[0].awKey[0] = VK_RETURN;
    a[1].nKind = ASSIGN_KEY; a[1].nKeyCount = 2; a[1].awKey[0] = VK_CONTROL; a[1].awKey[1] = 'Z';
    a[7].nKind = ASSIGN_MOUSE; a[7].nMouseAction = MOUSE_SCROLL_UP;
    a[8].nKind = ASSIGN_MOUSE; a[8].nMouseAction = MOUSE_SCROLL_DOWN;
    a[11].nKind = ASSIGN_MOUSE; a[11].nMouseAction = MOUSE_LEFT_CLICK;
    a[17].nKind = ASSIGN_KEY; a[17].nKeyCount = 1; a[17].awKey[0] = VK_SPACE;
    a[3].nKind = ASSIGN_APPLICATION;
    static const WCHAR szNotepad[] = L"C:\\windows\\notepad.exe";
    a[3].nPathLength = lstrlenW(szNotepad);
    a[3].pszPath = AllocPathText(a[3].nPathLength);
    lstrcpyW(a[3].pszPath, szNotepad);
    a[10].nKind = ASSIGN_MOUSE; a[10].nMouseAction = MOUSE_MOVE_RIGHT; a[10].wMoveAmount = 800;
    a[4].nKind = ASSIGN_KEY; a[4].nKeyCount = 3; a[4].awKey[0] = VK_CONTROL; a[4].awKey[1] = VK_SHIFT;
    a[4].awKey[2] = 'S';
    a[12].nKind = ASSIGN_MOUSE; a[12].nMouseAction = MOUSE_RIGHT_CLICK;
    g_CurrentSet.abLed[2] = 1;
    // An IR pointer whose off-screen slot, minus, presses Esc.
    a[2].nKind = ASSIGN_KEY; a[2].nKeyCount = 1; a[2].awKey[0] = VK_ESCAPE;
    g_CurrentSet.Pointer.nMode = POINTER_IR;
    g_CurrentSet.Pointer.nOffScreenSlot = 2;
    UnlockRecord();
}

// Button 2 holds layer 2, where A and B copy and paste, the cross key undoes and redoes and
// the Nunchuk's Z clicks fast.
void DemoLayer(void) {
    LockRecord();
    g_CurrentSet.aAssign[6].nKind = ASSIGN_LAYER;
    ASSIGNMENT *b = g_CurrentSet.aLayer2;
    const struct { int nSlot; WORD wKey; } keys[] = { {0, 'C'}, {1, 'V'}, {7, 'Z'}, {8, 'Y'} };
    for (const auto &k : keys) {
        b[k.nSlot].nKind = ASSIGN_KEY;
        b[k.nSlot].nKeyCount = 2;
        b[k.nSlot].awKey[0] = VK_CONTROL;
        b[k.nSlot].awKey[1] = k.wKey;
    }
    b[11].nKind = ASSIGN_MOUSE; b[11].nMouseAction = MOUSE_LEFT_CLICK; b[11].nPressMode = PRESS_TURBO;
    UnlockRecord();
}

// The program list with two entries, Notepad seen last in the foreground.
DWORD NotepadInFront(WCHAR *pszName, int cchName) {
    lstrcpynW(pszName, L"notepad.exe", cchName);
    return 1;
}

VOID CALLBACK OpenProgramSets(HWND, UINT, UINT_PTR uTimer, DWORD) {
    KillTimer(NULL, uTimer);
    PutProgramSet(&g_ProgramSets, L"game.exe", L"C:\\users\\zan\\設定\\ゲーム.zan");
    PutProgramSet(&g_ProgramSets, L"mspaint.exe", L"C:\\users\\zan\\設定\\お絵かき.zan");
    SetForegroundProgramProc(NotepadInFront);
    CheckForegroundProgram();
    EditProgramSets(g_App.hMainWnd);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR pszArgs, int) {
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    (void)pszArgs;
    const wchar_t *what = argc > 1 ? argv[1] : L"tab0";
    g_dwEnd = GetTickCount() + (argc > 2 ? (DWORD)_wtoi(argv[2]) : 6000);

    SimInstall();
    bool select = lstrcmpW(what, L"select") == 0;
    SIM_REMOTE *pFirst = SimAddRemote();
    SimSetBattery(pFirst, 57, 1);
    SimPlugExtension(pFirst, SIM_EXT_NUNCHUK, NULL);
    if (select)
        SimSetBattery(SimAddRemote(), 200, 0);

    WCHAR szIni[MAX_PATH];
    GetTempPathW(MAX_PATH, szIni);
    lstrcatW(szIni, L"zan_shots_option.ini");
    APP_OPTIONS options = {0, L"", select ? 0 : 1, 1500, 1, 1, 1, 1, 0, 0, PAUSE_SLOTS_DEFAULT};
    WriteOptionsTo(szIni, &options);
    UI_SEAM ui = g_UiSeam;
    ui.pfnMessageBox = SilentBox;
    SetUiSeam(&ui);
    HWND hMain = StartZan(hInstance, L"", SW_SHOWNORMAL, szIni);
    DeleteFileW(szIni);
    if (!hMain)
        return 1;
    DemoSet();
    RefreshPages();
    SendMessageW(hMain, WM_MSG_STATUS_DEFAULT, 0, WMST_EXTENSION | WMST_BATTERY);
    SetTimer(NULL, 0, 1500, Tick);
    if (lstrlenW(what) == 4 && what[0] == L't') {
        int tab = what[3] - L'0';
        SendMessageW(g_App.hTab, TCM_SETCURSEL, tab, 0);
        NMHDR header = {g_App.hTab, 0, (UINT)TCN_SELCHANGE};
        SendMessageW(hMain, WM_NOTIFY, 0, (LPARAM)&header);
    } else if (lstrcmpW(what, L"about") == 0) {
        PostMessageW(hMain, WM_COMMAND, IDM_ABOUT, 0);
    } else if (lstrcmpW(what, L"options") == 0) {
        PostMessageW(hMain, WM_COMMAND, IDM_OPTIONS, 0);
    } else if (select) {
        PostMessageW(hMain, WM_COMMAND, IDM_CONNECT, 0);
    } else if (lstrcmpW(what, L"highlight") == 0) {
        const BYTE bUp = 0x08, bA = 0x08;   // bytes 1 and 2 of the core buttons
        SimSetButtons(pFirst, bUp, bA);
    } else if (lstrcmpW(what, L"layer2") == 0) {
        DemoLayer();
        ShowLayer(1);
    } else if (lstrcmpW(what, L"programs") == 0) {
        SetTimer(NULL, 0, 100, OpenProgramSets);
    } else if (lstrcmpW(what, L"key") == 0) {
        // The dialog with its turbo rate in use.
        g_CurrentSet.aAssign[4].nPressMode = PRESS_TURBO;
        g_CurrentSet.aAssign[4].nTurboRate = 20;
        HWND hButton = GetDlgItem(g_App.ahPage[PAGE_REMOTE], IDC_REMOTE_PLUS);
        PostMessageW(g_App.ahPage[PAGE_REMOTE], WM_COMMAND, MAKEWPARAM(IDC_REMOTE_PLUS, BN_CLICKED), (LPARAM)hButton);
    }
    return RunMessageLoop();
}
