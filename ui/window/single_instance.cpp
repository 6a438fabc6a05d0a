/* single_instance.cpp - one Zan per session: the claim, the hand-over and its handling. */
#include <windows.h>

#define STRSAFE_NO_DEPRECATE
#include <strsafe.h>

#include "main_handlers.h"
#include "modal_ui.h"
#include "resident.h"
#include "resource.h"
#include "setting_file.h"
#include "single_instance.h"
#include "texts.h"
#include "tray.h"

/* "Local\": every user session has its own Zan. */
#define INSTANCE_MUTEX    L"Local\\Zan.SingleInstance"
#define INSTANCE_PROP     L"Zan.Instance"
/* A quoted full path and the switch. */
#define HANDOVER_CHARS    (MAX_PATH + 16)
/* A running Zan still starting has no marked window yet: looked for again this long. */
#define HANDOVER_WAIT_MS  5000
#define HANDOVER_STEP_MS  100
#define HANDOVER_SEND_MS  3000

typedef struct HANDOVER {
    int   bPending;
    WCHAR szCommandLine[HANDOVER_CHARS];
} HANDOVER;

static HANDOVER g_HandOver;

/* The first word of the command line that is not the tray switch, split as the start's
 * settings-file scan splits it, into pszWord (MAX_PATH); a word too long for a path is
 * passed over. 0 when there is none. */
static int FindFileWord(LPCWSTR pszCommandLine, WCHAR *pszWord)
{
    LPCWSTR pszStart;
    int cch, bQuoted;
    for (LPCWSTR p = pszCommandLine; (p = NextCommandLineWord(p, &pszStart, &cch, &bQuoted)) != NULL;) {
        if (cch > 0 && cch < MAX_PATH) {
            lstrcpynW(pszWord, pszStart, cch + 1);
            if (bQuoted || !HasTraySwitch(pszWord))
                return 1;
        }
    }
    return 0;
}

/* The running Zan has a current directory of its own: the file goes as a full path. */
static void MakeHandOverText(LPCWSTR pszCommandLine, WCHAR *pszText)
{
    WCHAR szWord[MAX_PATH], szFull[MAX_PATH];
    pszText[0] = L'\0';
    if (FindFileWord(pszCommandLine, szWord) && GetFullSettingPath(szWord, szFull))
        StringCchPrintfW(pszText, HANDOVER_CHARS, L"\"%s\" ", szFull);
    if (HasTraySwitch(pszCommandLine))
        StringCchCatW(pszText, HANDOVER_CHARS, TRAY_SWITCH);
}

/* Windows of the class may belong to other programs (the tests make them): only the mark counts. */
static HWND FindInstanceWindow(LPCWSTR pszClass)
{
    HWND hWnd = NULL;
    while ((hWnd = FindWindowExW(NULL, hWnd, pszClass, NULL)) != NULL) {
        if (GetPropW(hWnd, INSTANCE_PROP))
            return hWnd;
    }
    return NULL;
}

static int SendHandOver(HWND hRunning, LPCWSTR pszText, DWORD *pdwError)
{
    DWORD dwProcess = 0;
    GetWindowThreadProcessId(hRunning, &dwProcess);
    /* This start was given the foreground; the running Zan is to take it. */
    AllowSetForegroundWindow(dwProcess);
    COPYDATASTRUCT data;
    data.dwData = HANDOVER_TAG;
    data.cbData = (DWORD)((lstrlenW(pszText) + 1) * sizeof(WCHAR));
    data.lpData = (PVOID)pszText;
    DWORD_PTR dwTaken = 0;
    SetLastError(ERROR_SUCCESS);
    if (!SendMessageTimeoutW(hRunning, WM_COPYDATA, 0, (LPARAM)&data, SMTO_ABORTIFHUNG, HANDOVER_SEND_MS, &dwTaken)) {
        /* A hung window is given up on without a code of its own. */
        DWORD dwError = GetLastError();
        *pdwError = dwError ? dwError : ERROR_TIMEOUT;
        return 0;
    }
    if (!dwTaken) {
        *pdwError = ERROR_NOT_SUPPORTED;
        return 0;
    }
    return 1;
}

int ClaimInstance(INSTANCE_CLAIM *pClaim, HINSTANCE hInstance, LPCWSTR pszCommandLine)
{
    ZeroMemory(pClaim, sizeof(*pClaim));
    pClaim->hMutex = CreateMutexW(NULL, FALSE, INSTANCE_MUTEX);
    if (!pClaim->hMutex) {
        pClaim->dwError = GetLastError();
        return 1;
    }
    WCHAR szClass[UI_TEXT_CHARS], szText[HANDOVER_CHARS];
    LoadStringW(hInstance, IDS_CLASS_NAME, szClass, UI_TEXT_CHARS);
    MakeHandOverText(pszCommandLine, szText);
    pClaim->dwError = ERROR_TIMEOUT;
    /* Waiting on the mutex paces the search, and takes over from a Zan that is ending. */
    DWORD dwStart = GetTickCount();
    for (DWORD dwStep = 0;; dwStep = HANDOVER_STEP_MS) {
        DWORD dwWait = WaitForSingleObject(pClaim->hMutex, dwStep);
        if (dwWait == WAIT_OBJECT_0 || dwWait == WAIT_ABANDONED) {
            pClaim->bOwner = 1;
            pClaim->dwError = ERROR_SUCCESS;
            return 1;
        }
        if (dwWait == WAIT_FAILED) {
            pClaim->dwError = GetLastError();
            break;
        }
        HWND hRunning = FindInstanceWindow(szClass);
        if (hRunning && SendHandOver(hRunning, szText, &pClaim->dwError)) {
            pClaim->dwError = ERROR_SUCCESS;
            break;
        }
        if (GetTickCount() - dwStart >= HANDOVER_WAIT_MS)
            break;
    }
    CloseHandle(pClaim->hMutex);
    pClaim->hMutex = NULL;
    return 0;
}

void MarkInstanceWindow(HWND hWnd)
{
    SetPropW(hWnd, INSTANCE_PROP, (HANDLE)1);
}

void UnmarkInstanceWindow(HWND hWnd)
{
    RemovePropW(hWnd, INSTANCE_PROP);
}

void ReleaseInstance(INSTANCE_CLAIM *pClaim)
{
    if (!pClaim->hMutex)
        return;
    if (pClaim->bOwner)
        ReleaseMutex(pClaim->hMutex);
    CloseHandle(pClaim->hMutex);
    ZeroMemory(pClaim, sizeof(*pClaim));
}

BOOL OnCopyData(HWND hWnd, const COPYDATASTRUCT *pData)
{
    if (!pData || pData->dwData != HANDOVER_TAG || !pData->lpData || pData->cbData % sizeof(WCHAR) ||
        pData->cbData >= sizeof(g_HandOver.szCommandLine))
        return FALSE;
    CopyMemory(g_HandOver.szCommandLine, pData->lpData, pData->cbData);
    g_HandOver.szCommandLine[pData->cbData / sizeof(WCHAR)] = L'\0';
    g_HandOver.bPending = 1;
    PostMessageW(hWnd, WM_APP_HANDOVER, 0, 0);
    return TRUE;
}

void OnPendingHandOver(HWND hWnd)
{
    /* Nothing may open over a box or dialog: the end of the last one brings us back here. */
    if (!g_HandOver.bPending || IsModalUiUp())
        return;
    WCHAR szCommandLine[HANDOVER_CHARS], szFile[MAX_PATH];
    lstrcpyW(szCommandLine, g_HandOver.szCommandLine);
    g_HandOver.bPending = 0;
    if (!HasTraySwitch(szCommandLine))
        ShowFromTray(hWnd);
    if (FindFileWord(szCommandLine, szFile))
        OpenSettingFile(hWnd, szFile);
}
