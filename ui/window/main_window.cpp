/* main_window.cpp - the main window: creation, layout, frame, tabs, closing and destruction. */
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <uxtheme.h>

#include "auto_connect.h"
#include "connection.h"
#include "engine.h"
#include "engine_notes.h"
#include "main_handlers.h"
#include "pages.h"
#include "program_state.h"
#include "program_watch.h"
#include "remote_link.h"
#include "resident.h"
#include "resource.h"
#include "single_instance.h"
#include "texts.h"
#include "tray.h"
#include "ui_seam.h"

#define FRAME_MARGIN        5
#define STATUS_PART_SPLIT   400
#define FONT_HEIGHT         (-12)

#define FRAME_RED    0x000000FF
#define FRAME_BLUE   0x00FF0000
#define FRAME_YELLOW 0x0000FFFF

typedef struct PAGE_DEF {
    UINT    uTab;
    int     nDialog;
    DLGPROC pfnProc;
} PAGE_DEF;

static const PAGE_DEF g_aPageDef[PAGE_COUNT] = {
    { IDS_REMOTE,            IDD_PAGE_REMOTE,  AssignPageProc },
    { IDS_EXTENSION_NUNCHUK, IDD_PAGE_NUNCHUK, AssignPageProc },
    { IDS_EXTENSION_CLASSIC, IDD_PAGE_CLASSIC, AssignPageProc },
    { IDS_TAB_OPTIONS,       IDD_PAGE_OPTIONS, OptionsPageProc },
};

static const struct { int nKind; int nBitmap; } g_aKindBitmap[] = {
    { ASSIGN_KEY, IDB_ASSIGN_KEY },
    { ASSIGN_MOUSE, IDB_ASSIGN_MOUSE },
    { ASSIGN_APPLICATION, IDB_ASSIGN_APPLICATION },
    { ASSIGN_DISABLED, IDB_ASSIGN_DISABLED },
};

LRESULT CALLBACK MainWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_CREATE:      return OnCreate(hWnd) ? 0 : -1;
    case WM_SIZE:        OnSize(hWnd, wParam); return 0;
    case WM_PAINT:       OnPaint(hWnd); return 0;
    case WM_ERASEBKGND:  return OnEraseBackground(hWnd, (HDC)wParam);
    case WM_PRINTCLIENT: return OnEraseBackground(hWnd, (HDC)wParam);
    case WM_NOTIFY:      OnTabNotify((const NMHDR *)lParam); return 0;
    case WM_DRAWITEM:    OnDrawItem((const DRAWITEMSTRUCT *)lParam); return 0;
    case WM_COMMAND:     if (lParam ? OnLayerSwitch(wParam) : OnCommand(hWnd, LOWORD(wParam))) return 0; break;
    case WM_TIMER:       OnTimer(hWnd, wParam); return 0;
    case WM_DROPFILES:   OnDropFiles(hWnd, (HDROP)wParam); return 0;
    case WM_CLOSE:       return OnCloseRequest(hWnd, wParam);
    case WM_DESTROY:     OnDestroy(hWnd); return 0;
    case WM_QUERYENDSESSION: return OnQueryEndSession(hWnd, lParam);
    case WM_ENDSESSION:  OnEndSession(hWnd, (BOOL)wParam); return 0;
    case WM_MSG_STATUS_DEFAULT:  OnLibraryStatus((int)wParam, (DWORD)lParam); return 0;
    case WM_MSG_KEY_DEFAULT:     OnLibraryInput((int)wParam, (const DWORD *)lParam); return 0;
    case WM_MSG_CONNECT_DEFAULT: OnLibraryConnected(hWnd, (int)wParam); return 0;
    case WM_MSG_LOST_DEFAULT:    OnLibraryLost(hWnd, (int)wParam, (int)lParam); return 0;
    case WM_APP_LAUNCH_FAILED:   OnLaunchFailed(hWnd, (int)wParam, (INT_PTR)lParam); return 0;
    case WM_APP_ENGINE_NOTE:     OnEngineNote(hWnd, wParam, lParam); return 0;
    case WM_COPYDATA:            return OnCopyData(hWnd, (const COPYDATASTRUCT *)lParam);
    case WM_APP_HANDOVER:        OnPendingHandOver(hWnd); return 0;
    case WM_APP_MODAL_ENDED:     OnPendingHandOver(hWnd); return 0;
    case WM_APP_TRAY:            OnTrayNotify(hWnd, lParam); return 0;
    case WM_SYSCOMMAND:          if (OnTraySysCommand(hWnd, wParam)) return 0; break;
    case WM_DEVICECHANGE:        return OnDeviceChange(hWnd, wParam, lParam);
    case WM_POWERBROADCAST:      return OnPowerBroadcast(hWnd, wParam);
    default:                     if (OnTaskbarCreated(hWnd, uMsg)) return 0; break;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

COLORREF GetFrameColour(void)
{
    if (g_State.nSelectedRemote < 0)
        return FRAME_RED;
    return g_State.bRunning ? FRAME_BLUE : FRAME_YELLOW;
}

static BOOL CALLBACK SetupControl(HWND hControl, LPARAM lParam)
{
    (void)lParam;
    SetupPageControls(hControl);
    return TRUE;
}

/* The tab control in hWnd with the four pages and the bitmaps their slot buttons draw with. */
void CreatePages(HWND hWnd)
{
    g_App.hTab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                 0, 0, 4, 4, hWnd, NULL, g_App.hInstance, NULL);
    SendMessageW(g_App.hTab, WM_SETFONT, (WPARAM)g_App.hFont, TRUE);
    for (int i = 0; i < PAGE_COUNT; i++) {
        WCHAR szTab[UI_TEXT_CHARS];
        TCITEMW item;
        ZeroMemory(&item, sizeof(item));
        item.mask = TCIF_TEXT;
        item.pszText = (LPWSTR)LoadText(g_aPageDef[i].uTab, szTab, UI_TEXT_CHARS);
        SendMessageW(g_App.hTab, TCM_INSERTITEMW, i, (LPARAM)&item);
        g_App.ahPage[i] = CreateDialogParamW(g_App.hInstance, MAKEINTRESOURCEW(g_aPageDef[i].nDialog),
                                             g_App.hTab, g_aPageDef[i].pfnProc, 0);
        SetParent(g_App.ahPage[i], g_App.hTab);
        /* Themed, the tab pane is drawn white: the page takes its texture, not the dialog grey. */
        g_UiSeam.pfnEnableThemeDialogTexture(g_App.ahPage[i], ETDT_ENABLETAB);
        ShowWindow(g_App.ahPage[i], i == 0 ? SW_SHOW : SW_HIDE);
    }
    for (int i = 0; i < PAGE_COUNT; i++)
        EnumChildWindows(g_App.ahPage[i], SetupControl, 0);
    for (const auto &k : g_aKindBitmap)
        g_App.ahKindBitmap[k.nKind] = LoadBitmapW(g_App.hInstance, MAKEINTRESOURCEW(k.nBitmap));
}

static void CreateStatusBar(HWND hWnd)
{
    g_App.hStatus = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | CCS_BOTTOM,
                                    0, 0, 0, 0, hWnd, NULL, g_App.hInstance, NULL);
    int anRight[2] = { STATUS_PART_SPLIT, -1 };
    SendMessageW(g_App.hStatus, SB_SETPARTS, 2, (LPARAM)anRight);
    /* No remote is in use yet; a start without one must say so, not show a blank part. */
    ShowConnectionText();
}

/* The shell's part of a drag and drop; not in every header. */
#ifndef WM_COPYGLOBALDATA
#define WM_COPYGLOBALDATA 0x0049
#endif

/* Run as administrator (as the guide advises for elevated games), Zan would get nothing
 * from the unelevated shell: Explorer's restart, dropped files, a second start's hand-over. */
static void AllowShellMessages(HWND hWnd)
{
    const UINT auAllowed[] = { RegisterWindowMessageW(L"TaskbarCreated"), WM_DROPFILES, WM_COPYDATA,
                               WM_COPYGLOBALDATA };
    for (UINT uMsg : auAllowed)
        g_UiSeam.pfnChangeWindowMessageFilterEx(hWnd, uMsg, MSGFLT_ALLOW, NULL);
}

BOOL OnCreate(HWND hWnd)
{
    InitCommonControls();
    g_App.hMainWnd = hWnd;
    g_App.hFont = CreateFontW(FONT_HEIGHT, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"メイリオ");
    CreatePages(hWnd);
    CreateLayerSwitch(hWnd);
    CreateStatusBar(hWnd);
    ForgetEngineNotes();
    CreateRecordLock();
    StartEngine(hWnd, WM_APP_LAUNCH_FAILED, WM_APP_ENGINE_NOTE);
    RefreshPages();
    OpenRemoteLink();
    DragAcceptFiles(hWnd, TRUE);
    AllowShellMessages(hWnd);
    UpdateRunMenu();
    StartProgramWatch(hWnd);
    return TRUE;
}

void OnSize(HWND hWnd, WPARAM wParam)
{
    if (!g_App.hTab || !g_App.ahPage[0])
        return;
    RECT rcStatus;
    GetClientRect(g_App.hStatus, &rcStatus);
    int s = rcStatus.bottom - rcStatus.top;

    RECT rc;
    GetClientRect(g_App.ahPage[0], &rc);
    SendMessageW(g_App.hTab, TCM_ADJUSTRECT, TRUE, (LPARAM)&rc);
    OffsetRect(&rc, -rc.left, -rc.top);
    int w = rc.right, h = rc.bottom;
    int nBar = PlaceLayerSwitch(FRAME_MARGIN, FRAME_MARGIN);
    MoveWindow(g_App.hTab, FRAME_MARGIN, FRAME_MARGIN + nBar, w, h, TRUE);

    RECT rcWindow;
    GetWindowRect(hWnd, &rcWindow);
    rcWindow.right = rcWindow.left + w + 2 * FRAME_MARGIN;
    rcWindow.bottom = rcWindow.top + nBar + h + s + 2 * FRAME_MARGIN;
    AdjustWindowRect(&rcWindow, MAIN_WINDOW_STYLE, TRUE);
    int nWidth = rcWindow.right - rcWindow.left, nHeight = rcWindow.bottom - rcWindow.top;
    SetWindowPos(hWnd, NULL, 0, 0, nWidth, nHeight, SWP_NOMOVE);
    SendMessageW(g_App.hStatus, WM_SIZE, wParam, MAKELPARAM(nWidth, nHeight));

    RECT rcDisplay;
    GetClientRect(g_App.hTab, &rcDisplay);
    SendMessageW(g_App.hTab, TCM_ADJUSTRECT, FALSE, (LPARAM)&rcDisplay);
    for (int i = 0; i < PAGE_COUNT; i++)
        SetWindowPos(g_App.ahPage[i], NULL, rcDisplay.left, rcDisplay.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

static void FillFrame(HDC hdc, const RECT *pRect)
{
    HBRUSH hBrush = CreateSolidBrush(GetFrameColour());
    FillRect(hdc, pRect, hBrush);
    DeleteObject(hBrush);
}

void OnPaint(HWND hWnd)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    FillFrame(hdc, &ps.rcPaint);
    EndPaint(hWnd, &ps);
}

/* The themed tab strip paints its empty part with the parent's background (an erase or a
 * print of the client area): that must be the frame's colour, not the class brush. */
LRESULT OnEraseBackground(HWND hWnd, HDC hdc)
{
    RECT rc;
    GetClientRect(hWnd, &rc);
    FillFrame(hdc, &rc);
    return 1;
}

void OnTabNotify(const NMHDR *pHeader)
{
    if (!pHeader || pHeader->hwndFrom != g_App.hTab)
        return;
    int nSelected = (int)SendMessageW(g_App.hTab, TCM_GETCURSEL, 0, 0);
    for (int i = 0; i < PAGE_COUNT; i++)
        ShowWindow(g_App.ahPage[i], i == nSelected ? SW_SHOW : SW_HIDE);
}

LRESULT OnClose(HWND hWnd)
{
    if (!AskSaveChanges())
        return -1;
    if (g_App.bPresenceTimer)
        KillTimer(hWnd, PRESENCE_TIMER_ID);
    DestroyWindow(hWnd);
    return 0;
}

void OnDestroy(HWND hWnd)
{
    UnmarkInstanceWindow(hWnd);
    StopResident(hWnd);
    WriteExitOptions();
    StopProgramWatch();
    CloseRemoteLink();
    StopEngine();
    ReleaseAssignmentPaths(&g_CurrentSet);
    CloseRecordLock();
    for (int i = 0; i < 4; i++) {
        DeleteObject(g_App.ahKindBitmap[i]);
        g_App.ahKindBitmap[i] = NULL;
    }
    DeleteObject(g_App.hFont);
    g_App.hFont = NULL;
    g_App.hTab = NULL;
    g_App.hStatus = NULL;
    for (int i = 0; i < PAGE_COUNT; i++)
        g_App.ahPage[i] = NULL;
    PostQuitMessage(0);
}
