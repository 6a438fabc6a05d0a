/* main_session.cpp - Windows shutting down or logging off, and the options kept at exit. */
#include <windows.h>

#include "main_handlers.h"
#include "modal_ui.h"
#include "program_state.h"
#include "program_watch.h"

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
    (void)hWnd;
    if (lParam & ENDSESSION_CRITICAL)
        return TRUE;
    /* A question over an open dialog could start a second save under it: the user
     * finishes the dialog first, and Windows shows Zan among the programs it waits for. */
    if (IsModalUiUp())
        return FALSE;
    return AskSaveChanges() ? TRUE : FALSE;
}

void OnEndSession(HWND hWnd, BOOL bEnding)
{
    (void)hWnd;
    if (bEnding)
        WriteExitOptions();
}
