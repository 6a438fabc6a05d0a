/* main_files.cpp - opening, saving and dropping settings files. */
#include <windows.h>

#include <shellapi.h>

#include "main_handlers.h"
#include "pages.h"
#include "program_state.h"
#include "resource.h"
#include "setting_file.h"

static void ShowLoadFailure(HWND hWnd)
{
    ShowMessageBox(hWnd, TEXT_LOAD_FAILED, TEXT_CAPTION, MB_OK);
}

int LoadIntoCurrentSet(LPCWSTR pszPath)
{
    LockRecord();
    int bLoaded = LoadSettingFile(pszPath, &g_CurrentSet, 1);
    UnlockRecord();
    return bLoaded;
}

/* After a successful load: the file is current and clean, the pages and LEDs follow it. */
static void AdoptLoadedFile(LPCWSTR pszPath)
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
    WCHAR szFile[MAX_PATH], szTitle[MAX_PATH];
    if (!ChooseFile(szTitle, szFile, TEXT_SETTING_FILTER, TEXT_OPEN_TITLE, 0))
        return;
    if (!LoadIntoCurrentSet(szFile)) {
        ShowLoadFailure(hWnd);
        return;
    }
    AdoptLoadedFile(szFile);
}

void OnSave(HWND hWnd)
{
    if (!g_State.szCurrentFile[0]) {
        SendMessageW(hWnd, WM_COMMAND, IDM_SAVE_AS, 0);
        return;
    }
    if (!SaveSettingFile(g_State.szCurrentFile, 0))
        return;
    g_State.bModified = 0;
    UpdateTitle();
}

void OnSaveAs(HWND hWnd)
{
    (void)hWnd;
    WCHAR szFile[MAX_PATH], szTitle[MAX_PATH];
    if (!ChooseFile(szTitle, szFile, TEXT_SETTING_FILTER, L"名前を付けて保存", 1))
        return;
    if (!SaveSettingFile(szFile, 1))
        return;
    if (!g_State.szCurrentFile[0])
        lstrcpynW(g_State.szCurrentFile, szFile, MAX_PATH);
    g_State.bModified = 0;
    UpdateTitle();
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

static int LoadDroppedFile(HWND hWnd, HDROP hDrop)
{
    (void)hWnd;
    WCHAR szPath[MAX_PATH];
    if (!DragQueryFileW(hDrop, 0xFFFFFFFF, NULL, 0) || !FindDroppedSettingFile(hDrop, szPath))
        return 0;
    if (!AskSaveChanges() || !LoadIntoCurrentSet(szPath))
        return 0;
    AdoptLoadedFile(szPath);
    return 1;
}

void OnDropFiles(HWND hWnd, HDROP hDrop)
{
    if (!LoadDroppedFile(hWnd, hDrop))
        ShowLoadFailure(hWnd);
    DragFinish(hDrop);
}
