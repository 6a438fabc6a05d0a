/*
 * launcher.cpp - the launcher's thread and its bounded queue.
 *
 * The thread is a single-threaded COM apartment with OLE1 DDE off, as ShellExecuteW asks of
 * its callers (shell extensions it loads may use COM); while idle it dispatches the messages
 * such an apartment is sent.
 */
#include "launcher.h"

#include <objbase.h>
#include <string.h>

#include "input_seam.h"
#include "thread_name.h"

static void FreeRequest(LAUNCH_REQUEST *pRequest)
{
    HeapFree(GetProcessHeap(), 0, pRequest->pszPath);
    pRequest->pszPath = NULL;
}

/* The owner and the thread each let go once; the last frees the record and what is queued. */
static void ReleaseLauncher(LAUNCHER *pLauncher)
{
    if (InterlockedDecrement(&pLauncher->nRefs) != 0)
        return;
    for (int i = 0; i < pLauncher->nQueued; i++)
        FreeRequest(&pLauncher->aQueue[(pLauncher->nFirst + i) % LAUNCH_QUEUE_ENTRIES]);
    DeleteCriticalSection(&pLauncher->csQueue);
    if (pLauncher->hWake)
        CloseHandle(pLauncher->hWake);
    HeapFree(GetProcessHeap(), 0, pLauncher);
}

/* The oldest queued launch, moved out of the queue; 0 when none waits. */
static int TakeRequest(LAUNCHER *pLauncher, LAUNCH_REQUEST *pRequest)
{
    EnterCriticalSection(&pLauncher->csQueue);
    int bTaken = pLauncher->nQueued > 0;
    if (bTaken) {
        *pRequest = pLauncher->aQueue[pLauncher->nFirst];
        pLauncher->aQueue[pLauncher->nFirst].pszPath = NULL;
        pLauncher->nFirst = (pLauncher->nFirst + 1) % LAUNCH_QUEUE_ENTRIES;
        pLauncher->nQueued--;
    }
    LeaveCriticalSection(&pLauncher->csQueue);
    return bTaken;
}

/* The folder WOW64 redirects, and the name under which a 32-bit process reaches the real one. */
#define REDIRECTED_DIR L"\\System32\\"
#define NATIVE_DIR     L"\\Sysnative\\"
#define LITERAL_CHARS(s) ((int)(sizeof(s) / sizeof(WCHAR)) - 1)

int MakeNativeLaunchPath(LPCWSTR pszPath, LPCWSTR pszWindowsDir, int bWow64, WCHAR *pszOut, int cchOut)
{
    const int cchRedirected = LITERAL_CHARS(REDIRECTED_DIR), cchNative = LITERAL_CHARS(NATIVE_DIR);
    if (!bWow64 || !pszPath || !pszWindowsDir)
        return 0;
    int cchWindows = lstrlenW(pszWindowsDir), cchPath = lstrlenW(pszPath);
    if (cchWindows == 0 || cchPath < cchWindows + cchRedirected
        || CompareStringOrdinal(pszPath, cchWindows, pszWindowsDir, cchWindows, TRUE) != CSTR_EQUAL
        || CompareStringOrdinal(pszPath + cchWindows, cchRedirected, REDIRECTED_DIR, cchRedirected, TRUE) != CSTR_EQUAL)
        return 0;
    int cchRest = cchPath - cchWindows - cchRedirected;
    if (cchWindows + cchNative + cchRest >= cchOut)
        return 0;
    memcpy(pszOut, pszWindowsDir, (SIZE_T)cchWindows * sizeof(WCHAR));
    memcpy(pszOut + cchWindows, NATIVE_DIR, (SIZE_T)cchNative * sizeof(WCHAR));
    memcpy(pszOut + cchWindows + cchNative, pszPath + cchWindows + cchRedirected, ((SIZE_T)cchRest + 1) * sizeof(WCHAR));
    return 1;
}

/* MakeNativeLaunchPath with what this process is. Where Windows cannot tell (either call
 * failing), the path goes as given: the launch works as it did before WOW64 was looked at. */
static int GetNativeLaunchPath(LPCWSTR pszPath, WCHAR *pszOut, int cchOut)
{
    BOOL bWow64 = FALSE;
    WCHAR szWindows[MAX_PATH];
    UINT cchWindows = GetSystemWindowsDirectoryW(szWindows, MAX_PATH);
    if (cchWindows == 0 || cchWindows >= MAX_PATH || !g_Seam.pfnIsWow64Process(GetCurrentProcess(), &bWow64))
        return 0;
    return MakeNativeLaunchPath(pszPath, szWindows, bWow64, pszOut, cchOut);
}

static void Launch(LAUNCHER *pLauncher, LAUNCH_REQUEST *pRequest)
{
    /* Windows' own files have names well inside MAX_PATH; a longer path goes as given. */
    WCHAR szNative[MAX_PATH];
    LPCWSTR pszFile = GetNativeLaunchPath(pRequest->pszPath, szNative, MAX_PATH) ? szNative : pRequest->pszPath;
    INT_PTR nResult = (INT_PTR)g_Seam.pfnShellExecute(NULL, L"open", pszFile, NULL, NULL, SW_SHOWNORMAL);
    FreeRequest(pRequest);
    /* After a stop the window may be gone: a launch that returns that late reports nothing. */
    if (nResult <= LAUNCH_FAILED_RESULT && pLauncher->hReportWnd && pLauncher->bRun)
        PostMessageW(pLauncher->hReportWnd, pLauncher->uReportMsg, (WPARAM)pRequest->nSlot, (LPARAM)nResult);
}

/* Until the wake event is set, dispatching what the apartment is sent meanwhile. */
static void WaitForWork(LAUNCHER *pLauncher)
{
    DWORD dwWait = MsgWaitForMultipleObjectsEx(1, &pLauncher->hWake, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (dwWait == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    } else if (dwWait == WAIT_FAILED) {
        WaitForSingleObject(pLauncher->hWake, INFINITE);
    }
}

static DWORD WINAPI LauncherThread(LPVOID pParam)
{
    LAUNCHER *pLauncher = (LAUNCHER *)pParam;
    NameCurrentThread(L"Zan launcher");
    HRESULT hr = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    while (pLauncher->bRun) {
        LAUNCH_REQUEST request;
        if (TakeRequest(pLauncher, &request))
            Launch(pLauncher, &request);
        else
            WaitForWork(pLauncher);
    }
    if (SUCCEEDED(hr))
        CoUninitialize();
    ReleaseLauncher(pLauncher);
    return 0;
}

LAUNCHER *StartLauncher(HWND hReportWnd, UINT uReportMsg)
{
    LAUNCHER *pLauncher = (LAUNCHER *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(LAUNCHER));
    if (!pLauncher) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    InitializeCriticalSection(&pLauncher->csQueue);
    pLauncher->hReportWnd = hReportWnd;
    pLauncher->uReportMsg = uReportMsg;
    pLauncher->nRefs = 1;
    pLauncher->bRun = 1;
    pLauncher->hWake = CreateEventW(NULL, FALSE, FALSE, NULL);
    if (pLauncher->hWake) {
        pLauncher->nRefs = 2;
        pLauncher->hThread = CreateThread(NULL, 0, LauncherThread, pLauncher, 0, NULL);
        if (!pLauncher->hThread)
            pLauncher->nRefs = 1;
    }
    if (!pLauncher->hThread) {
        DWORD dwError = GetLastError();
        ReleaseLauncher(pLauncher);
        SetLastError(dwError);
        return NULL;
    }
    return pLauncher;
}

int QueueLaunch(LAUNCHER *pLauncher, int nSlot, LPCWSTR pszPath)
{
    if (!pLauncher || !pszPath)
        return 0;
    SIZE_T cb = ((SIZE_T)lstrlenW(pszPath) + 1) * sizeof(WCHAR);
    WCHAR *pszCopy = (WCHAR *)HeapAlloc(GetProcessHeap(), 0, cb);
    if (!pszCopy)
        return 0;
    memcpy(pszCopy, pszPath, cb);
    EnterCriticalSection(&pLauncher->csQueue);
    int bQueued = pLauncher->nQueued < LAUNCH_QUEUE_ENTRIES;
    if (bQueued) {
        LAUNCH_REQUEST *pEntry = &pLauncher->aQueue[(pLauncher->nFirst + pLauncher->nQueued) % LAUNCH_QUEUE_ENTRIES];
        pEntry->nSlot = nSlot;
        pEntry->pszPath = pszCopy;
        pLauncher->nQueued++;
    }
    LeaveCriticalSection(&pLauncher->csQueue);
    if (!bQueued)
        HeapFree(GetProcessHeap(), 0, pszCopy);
    else
        SetEvent(pLauncher->hWake);
    return bQueued;
}

int StopLauncher(LAUNCHER *pLauncher, DWORD dwWaitMs)
{
    if (!pLauncher)
        return 0;
    InterlockedExchange(&pLauncher->bRun, 0);
    SetEvent(pLauncher->hWake);
    int bEnded = WaitForSingleObject(pLauncher->hThread, dwWaitMs) == WAIT_OBJECT_0;
    CloseHandle(pLauncher->hThread);
    ReleaseLauncher(pLauncher);
    return bEnded;
}
