/* main_commands.cpp - the menu commands, the run menu, the title and the modified mark. */
#include <windows.h>

#include <shlwapi.h>

#include "connection.h"
#include "dialogs.h"
#include "engine_notes.h"
#include "main_handlers.h"
#include "modal_ui.h"
#include "pages.h"
#include "program_state.h"
#include "remote_link.h"
#include "resource.h"
#include "texts.h"
#include "tray.h"

#define TITLE_CHARS MAX_PATH

static void OnAbout(HWND hWnd)
{
    ABOUT_DIALOG about;
    ZeroMemory(&about, sizeof(about));
    RunModalDialog(IDD_ABOUTBOX, hWnd, AboutDlgProc, (LPARAM)&about);
}

static void OnOptions(HWND hWnd)
{
    if (RunModalDialog(IDD_OPTIONS, hWnd, OptionsDlgProc, (LPARAM)&g_Options) != IDOK)
        return;
    ApplyRemoteSettings((int)g_State.nSelectedRemote);
    ApplyViewOptions();
    WriteOptionsTo(g_szOptionsFile, &g_Options);
}

/* Run (1) or stop (0). */
void SetRunning(HWND hWnd, int bRunning)
{
    InterlockedExchange(&g_State.bRunning, bRunning);
    WakeEngine();
    g_App.bPresenceTimer = !bRunning;
    if (bRunning)
        KillTimer(hWnd, PRESENCE_TIMER_ID);
    else
        SetTimer(hWnd, PRESENCE_TIMER_ID, PRESENCE_TIMER_MS, NULL);
    /* The engine starts in layer 1 and unpaused, and nothing is paused while it is stopped. */
    ForgetEngineNotes();
    SetSlotZeroPolling(bRunning || WantsInputWhileStopped(), bRunning ? g_CurrentSet.abLed : NULL);
    UpdateRunMenu();
    RefreshPages();
    InvalidateRect(hWnd, NULL, TRUE);
}

int OnCommand(HWND hWnd, UINT uCommand)
{
    switch (uCommand) {
    case IDM_ABOUT:   OnAbout(hWnd); return 1;
    case IDM_EXIT:    PostMessageW(hWnd, WM_CLOSE, CLOSE_EXIT, 0); return 1;
    case IDM_RUN:     SetRunning(hWnd, 1); return 1;
    case IDM_STOP:    SetRunning(hWnd, 0); return 1;
    case IDM_CONNECT: ConnectRemote(hWnd, 1); return 1;
    case IDM_OPTIONS: OnOptions(hWnd); return 1;
    case IDM_OPEN:    OnOpen(hWnd); return 1;
    case IDM_SAVE_AS: OnSaveAs(hWnd); return 1;
    case IDM_SAVE:    OnSave(hWnd); return 1;
    }
    return OnTrayCommand(hWnd, uCommand);
}

void UpdateRunMenu(void)
{
    HMENU hMenu = GetMenu(g_App.hMainWnd);
    EnableMenuItem(hMenu, IDM_RUN, MF_BYCOMMAND | (g_State.bRunning ? MF_GRAYED : MF_ENABLED));
    EnableMenuItem(hMenu, IDM_STOP, MF_BYCOMMAND | (g_State.bRunning ? MF_ENABLED : MF_GRAYED));
    InvalidateRect(g_App.hMainWnd, NULL, TRUE);
}

void UpdateTitle(void)
{
    WCHAR szTitle[TITLE_CHARS], szUnsaved[UI_TEXT_CHARS];
    lstrcpynW(szTitle, L"Zan ", TITLE_CHARS);
    LPCWSTR pszName = g_State.szCurrentFile[0] ? PathFindFileNameW(g_State.szCurrentFile)
                                               : LoadText(IDS_UNSAVED_FILE, szUnsaved, UI_TEXT_CHARS);
    lstrcpynW(szTitle + lstrlenW(szTitle), pszName, TITLE_CHARS - lstrlenW(szTitle));
    if (g_State.bModified)
        lstrcpynW(szTitle + lstrlenW(szTitle), L" (*)", TITLE_CHARS - lstrlenW(szTitle));
    if (g_App.nShownLayer == 1) {
        WCHAR szLayer[UI_TEXT_CHARS];
        lstrcpynW(szTitle + lstrlenW(szTitle), LoadText(IDS_TITLE_LAYER2, szLayer, UI_TEXT_CHARS),
                  TITLE_CHARS - lstrlenW(szTitle));
    }
    SetWindowTextW(g_App.hMainWnd, szTitle);
    UpdateTrayTip();
}

void MarkModified(void)
{
    /* Every edit of the set passes here: an engine idle for want of work looks at it again,
     * so a slot given an action while its button is held acts at once. */
    WakeEngine();
    if (!bPagesReady || g_State.bModified)
        return;
    g_State.bModified = 1;
    UpdateTitle();
}

int AskSaveChanges(void)
{
    if (!g_State.bModified)
        return 1;
    int nAnswer = ShowTextBox(NULL, IDS_ASK_SAVE, IDS_APP_TITLE, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (nAnswer == IDCANCEL)
        return 0;
    /* A failed save or a cancelled save-as keeps the window, the file and the mark. */
    if (nAnswer == IDYES)
        return SaveCurrentSet(g_App.hMainWnd);
    return 1;
}
