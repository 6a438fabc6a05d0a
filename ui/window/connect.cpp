/* connect.cpp - connecting the remote in use, its status bar text and its LED pattern. */
#include <windows.h>

#include <commctrl.h>

#include "connection.h"
#include "dialogs.h"
#include "engine_notes.h"
#include "input_blocked.h"
#include "main_handlers.h"
#include "modal_ui.h"
#include "pages.h"
#include "pointer.h"
#include "program_state.h"
#include "remote_link.h"
#include "resource.h"
#include "tavel.h"
#include "tray.h"

#define CONNECTION_TEXT_CHARS 64
#define NO_REMOTE_TEXT_KIND   (-1)

typedef struct CONNECT_RECORD {
    int nReportedSlot;   /* slot of the last connect message during ConnectRemotes, or -1 */
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
    TuneRemote(nSlot, g_CurrentSet.nAnalogCorrection, g_Options.dwTimeout);
    SetRemotePointerReport(nSlot, PointerReportFlags(&g_CurrentSet));
}

void ApplyLedPattern(const ASSIGNMENT_SET *pSet, int nSlot)
{
    if (nSlot < 0 || !g_State.bRunning)
        return;
    SetRemoteLeds(nSlot, ActiveLayer() ? pSet->abLayerLed : pSet->abLed, 0);
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
        int nKind;
        if (ReadExtensionKind(nSlot, &nKind))
            SetExtensionKind(nKind);
        FormatConnectionText(szText, CONNECTION_TEXT_CHARS, g_State.nExtensionKind);
    }
    /* While Windows drops Zan's input, that matters more than what is connected; a pause the
     * user asked for, more than both. */
    if (!GetPausedText(szText, CONNECTION_TEXT_CHARS))
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
        ShowTextBox(NULL, IDS_ASK_RECONNECT, IDS_CONNECT_CAPTION, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 0;
    DisconnectRemotes();
    SetSelectedRemote(-1);
    ForgetEngineNotes();
    return 1;
}

/* Steps 2 to 4: the slot of the remote to use, or -1. */
static int FindRemote(HWND hOwner, int bInteractive)
{
    g_Connect.nReportedSlot = -1;
    int nFound = ConnectRemotes(hOwner);
    /* Remotes kept from an earlier connection may sit in lower slots: one new remote is
     * where the library's connect message said. */
    if (nFound < 1 || (nFound == 1 && g_Connect.nReportedSlot < 0)) {
        if (bInteractive)
            ShowTextBox(NULL, IDS_CONNECT_FAILED, IDS_CONNECT_FAILED_CAPTION, MB_OK | MB_ICONWARNING);
        return -1;
    }
    if (nFound == 1)
        return g_Connect.nReportedSlot;
    SELECT_REMOTE select;
    ZeroMemory(&select, sizeof(select));
    int nSlot = (int)RunModalDialog(IDD_SELECT_REMOTE, g_App.hMainWnd, SelectRemoteDialog, (LPARAM)&select);
    if (nSlot < 0)
        DisconnectRemotes();
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
        ShowTextBox(NULL, IDS_CONNECTED, IDS_CONNECTED_CAPTION, MB_OK);
    else
        ShowTrayBalloon(IDS_BALLOON_CONNECTED);
    SetRemotePolling(nSlot, 1);
    ApplyRemoteSettings(nSlot);
    ApplyLedPattern(&g_CurrentSet, nSlot);
    return 1;
}
