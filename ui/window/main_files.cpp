/* main_files.cpp - opening, saving and dropping settings files. */
#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>
#define STRSAFE_NO_DEPRECATE
#include <strsafe.h>

#include "connection.h"
#include "main_handlers.h"
#include "modal_ui.h"
#include "pages.h"
#include "program_watch.h"
#include "program_state.h"
#include "resource.h"
#include "setting_file.h"
#include "texts.h"
#include "ui_seam.h"

#define FILE_MESSAGE_CHARS 300

static void ShowLoadFailure(HWND hWnd)
{
    ShowTextBox(hWnd, IDS_LOAD_FAILED, IDS_APP_TITLE, MB_OK);
}

void AdoptLoadedFile(LPCWSTR pszPath)
{
    lstrcpynW(g_State.szCurrentFile, pszPath, MAX_PATH);
    ApplyLedPattern(&g_CurrentSet, g_State.nSelectedRemote);
    ApplyRemoteSettings(g_State.nSelectedRemote);
    RefreshPages();
    g_State.bModified = 0;
    UpdateTitle();
}

void OnOpen(HWND hWnd)
{
    if (!AskSaveChanges())
        return;
    WCHAR szFile[MAX_PATH], szTitle[MAX_PATH], szFilter[UI_TEXT_CHARS], szDialogTitle[UI_TEXT_CHARS];
    if (!ChooseFile(hWnd, szTitle, szFile, LoadFilter(IDS_SETTING_FILTER, szFilter, UI_TEXT_CHARS),
                    LoadText(IDS_OPEN_TITLE, szDialogTitle, UI_TEXT_CHARS), 0))
        return;
    if (!LoadCurrentSetFrom(szFile, 0)) {
        ShowLoadFailure(hWnd);
        return;
    }
    AdoptLoadedFile(szFile);
}

/* A string-table text with the path and the system's words for dwError (none for 0)
 * put in for its two %s, and pszKept for a third. */
static int ShowFileMessage(HWND hWnd, UINT uText, LPCWSTR pszPath, DWORD dwError, UINT uType, LPCWSTR pszKept = L"")
{
    WCHAR szFormat[FILE_MESSAGE_CHARS], szReason[FILE_MESSAGE_CHARS] = L"", szText[FILE_MESSAGE_CHARS * 3];
    WCHAR szCaption[UI_TEXT_CHARS];
    LoadText(uText, szFormat, FILE_MESSAGE_CHARS);
    if (dwError)
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, dwError, 0, szReason,
                       FILE_MESSAGE_CHARS, NULL);
    StringCchPrintfW(szText, FILE_MESSAGE_CHARS * 3, szFormat, pszPath, szReason, pszKept);
    return ShowMessageBox(hWnd, szText, LoadText(IDS_APP_TITLE, szCaption, UI_TEXT_CHARS), uType);
}

/* Right after the failed save: where its new contents were kept, when they were. */
static void ShowSaveFailure(HWND hWnd, LPCWSTR pszPath)
{
    DWORD dwError = GetLastError();
    WCHAR szKept[SETTING_PATH_CHARS];
    int bKept = GetKeptSettingFile(szKept);
    ShowFileMessage(hWnd, bKept ? IDS_SAVE_FAILED_KEPT : IDS_SAVE_FAILED, pszPath, dwError,
                    MB_OK | MB_ICONEXCLAMATION, bKept ? szKept : L"");
}

/* The set was written to pszPath: it is the current file now, and clean. */
static void AdoptSavedFile(LPCWSTR pszPath)
{
    NoteProgramWatchSave(pszPath);
    lstrcpynW(g_State.szCurrentFile, pszPath, MAX_PATH);
    g_State.bModified = 0;
    UpdateTitle();
}

/* The save dialog until the user picks a name whose ".zan" file is new or may be
 * replaced; 0 when cancelled. The dialog's own overwrite prompt would ask about the name
 * as typed, not about the ".zan" file actually written, so the question is asked here. */
static int ChooseSaveTarget(HWND hWnd, WCHAR *pszTarget)
{
    for (;;) {
        WCHAR szTitle[MAX_PATH], szFilter[UI_TEXT_CHARS], szDialogTitle[UI_TEXT_CHARS];
        if (!ChooseFile(hWnd, szTitle, pszTarget, LoadFilter(IDS_SETTING_FILTER, szFilter, UI_TEXT_CHARS),
                        LoadText(IDS_SAVE_AS_TITLE, szDialogTitle, UI_TEXT_CHARS), 1))
            return 0;
        if (!PathRenameExtensionW(pszTarget, L".zan"))
            return 0;
        if (GetFileAttributesW(pszTarget) == INVALID_FILE_ATTRIBUTES)
            return 1;
        if (ShowFileMessage(hWnd, IDS_REPLACE_FILE, pszTarget, 0, MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
            return 1;
    }
}

/* Save as: 1 when the set was written to a chosen file, which becomes the current file. */
static int SaveSetAs(HWND hWnd)
{
    WCHAR szTarget[MAX_PATH];
    if (!ChooseSaveTarget(hWnd, szTarget))
        return 0;
    if (!SaveSettingFile(szTarget, 1)) {
        ShowSaveFailure(hWnd, szTarget);
        return 0;
    }
    AdoptSavedFile(szTarget);
    return 1;
}

int SaveCurrentSet(HWND hWnd)
{
    if (!g_State.szCurrentFile[0])
        return SaveSetAs(hWnd);
    WCHAR szPath[MAX_PATH];
    lstrcpyW(szPath, g_State.szCurrentFile);
    if (!SaveSettingFile(szPath, 0)) {
        ShowSaveFailure(hWnd, szPath);
        return 0;
    }
    AdoptSavedFile(szPath);
    return 1;
}

void OnSave(HWND hWnd)
{
    SaveCurrentSet(hWnd);
}

void OnSaveAs(HWND hWnd)
{
    SaveSetAs(hWnd);
}

/* The first dropped path that is a settings file, into szPath; 0 when none is. */
static int FindDroppedSettingFile(HDROP hDrop, WCHAR *pszPath)
{
    UINT cFiles = DragQueryFileW(hDrop, 0xFFFFFFFF, NULL, 0);
    for (UINT i = 0; i < cFiles; i++) {
        if (DragQueryFileW(hDrop, i, pszPath, MAX_PATH) && LoadSettingFile(pszPath, NULL, 0))
            return 1;
    }
    return 0;
}

void OpenSettingFile(HWND hWnd, LPCWSTR pszPath)
{
    if (!AskSaveChanges() || !LoadCurrentSetFrom(pszPath, 0)) {
        ShowLoadFailure(hWnd);
        return;
    }
    AdoptLoadedFile(pszPath);
}

void OnDropFiles(HWND hWnd, HDROP hDrop)
{
    /* Under an open dialog a drop would ask and load beneath it: it is refused. */
    WCHAR szPath[MAX_PATH];
    if (IsModalUiUp())
        g_UiSeam.pfnMessageBeep(MB_ICONWARNING);
    else if (FindDroppedSettingFile(hDrop, szPath))
        OpenSettingFile(hWnd, szPath);
    else
        ShowLoadFailure(hWnd);
    DragFinish(hDrop);
}
