/* connect.cpp - connecting the remote in use, its status bar text and its LED pattern. */
#include <windows.h>

#include <commctrl.h>

#include "dialogs.h"
#include "main_handlers.h"
#include "pages.h"
#include "program_state.h"
#include "resident.h"
#include "resource.h"
#include "tavel.h"

#define CONNECTION_TEXT_CHARS 64
#define NO_REMOTE_TEXT_KIND   (-1)
/* Samples of the library's smoothing per correction level. */
#define SMOOTHING_PER_LEVEL   10

typedef struct CONNECT_RECORD {
    int nReportedSlot;   /* slot of the last connect message during wm_Connect, or -1 */
} CONNECT_RECORD;

static CONNECT_RECORD g_Connect = { -1 };

void NoteConnectedSlot(int nSlot)
{
    g_Connect.nReportedSlot = nSlot;
}

void ApplyRemoteSettings(int nSlot)
{
    if (nSlot < 0)
        return;
    WM_SYSTEM system;
    ZeroMemory(&system, sizeof(system));
    system.dwFlags = WMSYS_SMOOTHING | WMSYS_TIMEOUT;
    system.nSmoothing = SMOOTHING_PER_LEVEL * g_CurrentSet.nAnalogCorrection;
    system.dwTimeout = g_Options.dwTimeout;
    wm_SetSystem(nSlot, &system);
}

void ApplyLedPattern(const ASSIGNMENT_SET *pSet, int nSlot)
{
    if (nSlot < 0 || !g_State.bRunning)
        return;
    WM_STATUS status;
    ZeroMemory(&status, sizeof(status));
    status.dwFlags = WMST_LED;
    CopyMemory(status.abLed, pSet->abLed, sizeof(status.abLed));
    wm_SetStatus(nSlot, &status);
}

/* The library forgets a pulled-out extension, but the extension copy would keep its last
 * values, leaving a button held while it was pulled pressed for the engine. Cleared before
 * the kind changes, so the engine never reads the stale record under the new kind. */
static void SetExtensionKind(int nKind)
{
    if (nKind == WMEXT_NONE) {
        WM_KEYEX released;
        ZeroMemory(&released, sizeof(released));
        StoreExtensionCopy(&released);
    }
    InterlockedExchange(&g_State.nExtensionKind, nKind);
}

void ShowConnectionText(void)
{
    WCHAR szText[CONNECTION_TEXT_CHARS];
    int nSlot = g_State.nSelectedRemote;
    if (nSlot == -1) {
        FormatConnectionText(szText, CONNECTION_TEXT_CHARS, NO_REMOTE_TEXT_KIND);
    } else {
        WM_STATUS status;
        ZeroMemory(&status, sizeof(status));
        status.dwFlags = WMST_EXTENSION;
        if (wm_GetStatus(nSlot, &status) == 1)
            SetExtensionKind(status.nExtType);
        FormatConnectionText(szText, CONNECTION_TEXT_CHARS, g_State.nExtensionKind);
    }
    /* While Windows drops Zan's input, that matters more than what is connected. */
    GetInputBlockedText(szText, CONNECTION_TEXT_CHARS);
    SendMessageW(g_App.hStatus, SB_SETTEXTW, 0, (LPARAM)szText);
    RefreshRemoteInfo();
    RefreshSlotHighlight();
}

/* Step 1: a remote in use is given up (after a question when interactive). 0 when declined. */
static int ReleaseCurrentRemote(int bInteractive)
{
    if (g_State.nSelectedRemote < 0)
        return 1;
    if (bInteractive &&
        ShowMessageBox(NULL, L"一度に接続できるWiiリモコンは１個までです\n新しく接続しなおしますか？",
                       L"接続", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 0;
    wm_Disconnect(-1, 1);
    SetSelectedRemote(-1);
    return 1;
}

/* Steps 2 to 4: the slot of the remote to use, or -1. */
static int FindRemote(HWND hOwner, int bInteractive)
{
    g_Connect.nReportedSlot = -1;
    int nFound = wm_Connect(hOwner, 0);
    /* Remotes kept from an earlier connection may sit in lower slots: one new remote is
     * where the library's connect message said. */
    if (nFound < 1 || (nFound == 1 && g_Connect.nReportedSlot < 0)) {
        if (bInteractive)
            ShowMessageBox(NULL, L"接続できませんでした", L"接続失敗", MB_OK | MB_ICONWARNING);
        return -1;
    }
    if (nFound == 1)
        return g_Connect.nReportedSlot;
    SELECT_REMOTE select;
    ZeroMemory(&select, sizeof(select));
    int nSlot = (int)DialogBoxParamW(g_App.hInstance, MAKEINTRESOURCEW(IDD_SELECT_REMOTE), g_App.hMainWnd,
                                     SelectRemoteDialog, (LPARAM)&select);
    if (nSlot < 0)
        wm_Disconnect(-1, 1);
    return nSlot;
}

int ConnectRemote(HWND hOwner, int bInteractive)
{
    if (!ReleaseCurrentRemote(bInteractive))
        return 0;
    int nSlot = FindRemote(hOwner, bInteractive);
    if (nSlot < 0)
        return 0;
    SetSelectedRemote(nSlot);
    ShowConnectionText();
    RefreshBatteryPart();
    RefreshPages();
    InvalidateRect(g_App.hMainWnd, NULL, TRUE);
    if (bInteractive)
        ShowMessageBox(NULL, L"接続しました", L"接続成功", MB_OK);
    else
        ShowTrayBalloon(IDS_BALLOON_CONNECTED);
    WM_SYSTEM system;
    ZeroMemory(&system, sizeof(system));
    system.dwFlags = WMSYS_AUTOUPDATE;
    system.bAutoUpdate = 1;
    wm_SetSystem(nSlot, &system);
    ApplyRemoteSettings(nSlot);
    ApplyLedPattern(&g_CurrentSet, nSlot);
    return 1;
}
