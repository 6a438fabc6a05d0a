/* main_session.cpp - Windows shutting down or logging off, and the options kept at exit. */
#include <windows.h>

#include "engine.h"
#include "main_handlers.h"
#include "modal_ui.h"
#include "program_state.h"
#include "program_watch.h"
#include "remote_link.h"
#include "resource.h"
#include "texts.h"
#include "ui_seam.h"

void WriteExitOptions(void)
{
    LPCWSTR pszFile = GetDefaultSetFile();
    if (!g_Options.bInitSet || !pszFile[0])
        return;
    lstrcpynW(g_Options.szSettingFilename, pszFile, MAX_PATH);
    WriteOptionsTo(g_szOptionsFile, &g_Options);
}

/* The session may end with the window never destroyed, so unsaved changes are asked
 * about here as closing does. A session that ends regardless (ENDSESSION_CRITICAL)
 * leaves no time for a question: the file stays untouched. */
BOOL OnQueryEndSession(HWND hWnd, LPARAM lParam)
{
    if (lParam & ENDSESSION_CRITICAL)
        return TRUE;
    /* A question over an open dialog could start a second save under it: the user
     * finishes the dialog first, and Windows shows Zan among the programs it waits for. */
    if (IsModalUiUp())
        return FALSE;
    /* Without a reason Windows soon offers "shut down anyway" over the question. */
    WCHAR szReason[UI_TEXT_CHARS];
    int bReason = g_State.bModified &&
                  g_UiSeam.pfnShutdownBlockReasonCreate(hWnd, LoadText(IDS_SHUTDOWN_REASON, szReason, UI_TEXT_CHARS));
    BOOL bMayEnd = AskSaveChanges() ? TRUE : FALSE;
    if (bReason)
        g_UiSeam.pfnShutdownBlockReasonDestroy(hWnd);
    return bMayEnd;
}

/* The process ends without WM_DESTROY: what closing lets go of goes now, so no key or
 * button stays down and the remote is left with its LEDs and rumble off. */
void OnEndSession(HWND hWnd, BOOL bEnding)
{
    (void)hWnd;
    if (!bEnding)
        return;
    WriteExitOptions();
    StopEngine();
    CloseRemoteLink();
}
