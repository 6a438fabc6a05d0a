/* win32_stand_in.cpp - the native stand-ins for the Win32 calls the product code makes. */
#include "win32_stand_in.h"

#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <wctype.h>

#include <string>
#include <vector>

/* A stand-in misused the way Win32 would misbehave: stop with a message the fuzzer keeps. */
static void Misuse(const char *pszWhat)
{
    fprintf(stderr, "win32 stand-in: %s\n", pszWhat);
    abort();
}

static thread_local DWORD t_dwLastError;

DWORD GetLastError(void) { return t_dwLastError; }
void SetLastError(DWORD dwCode) { t_dwLastError = dwCode; }
DWORD GetCurrentThreadId(void) { return 1; }
void Sleep(DWORD) {}
BOOL DisableThreadLibraryCalls(HMODULE) { return TRUE; }

LONG InterlockedIncrement(volatile LONG *p) { return ++*p; }
LONG InterlockedDecrement(volatile LONG *p) { return --*p; }
LONG InterlockedExchange(volatile LONG *p, LONG lValue)
{
    LONG lOld = *p;
    *p = lValue;
    return lOld;
}
#define CS_MAGIC 0x43534C4B

void InitializeCriticalSection(LPCRITICAL_SECTION pCs)
{
    pCs->nMagic = CS_MAGIC;
    pCs->nDepth = 0;
}

void DeleteCriticalSection(LPCRITICAL_SECTION pCs)
{
    if (pCs->nMagic != CS_MAGIC)
        Misuse("DeleteCriticalSection on a section not initialised");
    if (pCs->nDepth != 0)
        Misuse("DeleteCriticalSection on a section still held");
    pCs->nMagic = 0;
}

void EnterCriticalSection(LPCRITICAL_SECTION pCs)
{
    if (pCs->nMagic != CS_MAGIC)
        Misuse("EnterCriticalSection on a deleted or never initialised section");
    pCs->nDepth++;
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION pCs)
{
    EnterCriticalSection(pCs);
    return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION pCs)
{
    if (pCs->nMagic != CS_MAGIC)
        Misuse("LeaveCriticalSection on a deleted or never initialised section");
    if (pCs->nDepth <= 0)
        Misuse("LeaveCriticalSection without EnterCriticalSection");
    pCs->nDepth--;
}

/* Kernel objects: a heap record per handle, so a handle closed twice is a use after free. */
enum { OBJ_EVENT = 0x45564E54, OBJ_THREAD = 0x54485244, OBJ_FILE = 0x46494C45 };

typedef struct MEM_FILE {
    std::wstring sName;
    std::vector<BYTE> ab;
    int nOpen;
    DWORD dwShare;
    DWORD dwAttributes;
} MEM_FILE;

typedef struct KERNEL_OBJECT {
    DWORD dwKind;
    BOOL bSignalled;
    BOOL bManualReset;
    MEM_FILE *pFile;
    size_t nPos;
    BOOL bWrite;
} KERNEL_OBJECT;

static KERNEL_OBJECT *NewObject(DWORD dwKind)
{
    KERNEL_OBJECT *pObj = new KERNEL_OBJECT();
    pObj->dwKind = dwKind;
    return pObj;
}

static KERNEL_OBJECT *ObjectOf(HANDLE h, DWORD dwKind)
{
    if (!h || h == INVALID_HANDLE_VALUE)
        return NULL;
    KERNEL_OBJECT *pObj = (KERNEL_OBJECT *)h;
    return pObj->dwKind == dwKind ? pObj : NULL;
}

/* Where ExitThread returns to: the CreateThread running the thread. */
static jmp_buf *g_pThreadExit;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE pfnStart, LPVOID pParam, DWORD dwFlags,
                    LPDWORD pdwId)
{
    KERNEL_OBJECT *pObj = NewObject(OBJ_THREAD);
    pObj->bSignalled = TRUE;
    if (pdwId)
        *pdwId = 2;
    if (dwFlags & CREATE_SUSPENDED)
        return pObj;
    jmp_buf exitPoint;
    jmp_buf *pOuter = g_pThreadExit;
    g_pThreadExit = &exitPoint;
    if (setjmp(exitPoint) == 0)
        pfnStart(pParam);
    g_pThreadExit = pOuter;
    return pObj;
}

void ExitThread(DWORD)
{
    if (!g_pThreadExit)
        Misuse("ExitThread outside a thread of CreateThread");
    longjmp(*g_pThreadExit, 1);
}

void FreeLibraryAndExitThread(HMODULE, DWORD dwCode)
{
    ExitThread(dwCode);
}

BOOL FreeLibrary(HMODULE) { return TRUE; }
DWORD GetTickCount(void) { return 0; }

DWORD ResumeThread(HANDLE) { return 1; }

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR)
{
    KERNEL_OBJECT *pObj = NewObject(OBJ_EVENT);
    pObj->bManualReset = bManualReset;
    pObj->bSignalled = bInitialState;
    return pObj;
}

BOOL SetEvent(HANDLE hEvent)
{
    KERNEL_OBJECT *pObj = ObjectOf(hEvent, OBJ_EVENT);
    if (!pObj)
        Misuse("SetEvent on something that is not an open event");
    pObj->bSignalled = TRUE;
    return TRUE;
}

BOOL ResetEvent(HANDLE hEvent)
{
    KERNEL_OBJECT *pObj = ObjectOf(hEvent, OBJ_EVENT);
    if (!pObj)
        Misuse("ResetEvent on something that is not an open event");
    pObj->bSignalled = FALSE;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE hObject, DWORD)
{
    KERNEL_OBJECT *pObj = (KERNEL_OBJECT *)hObject;
    if (!pObj || hObject == INVALID_HANDLE_VALUE ||
        (pObj->dwKind != OBJ_EVENT && pObj->dwKind != OBJ_THREAD))
        Misuse("WaitForSingleObject on something that is not an event or a thread");
    if (!pObj->bSignalled)
        return WAIT_TIMEOUT;
    if (pObj->dwKind == OBJ_EVENT && !pObj->bManualReset)
        pObj->bSignalled = FALSE;
    return WAIT_OBJECT_0;
}

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE *ahObject, BOOL, DWORD dwMs)
{
    for (DWORD i = 0; i < nCount; i++)
        if (WaitForSingleObject(ahObject[i], dwMs) == WAIT_OBJECT_0)
            return WAIT_OBJECT_0 + i;
    return WAIT_TIMEOUT;
}

DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE *ahObject, BOOL, DWORD dwMs, DWORD)
{
    for (DWORD i = 0; i < nCount; i++)
        if (WaitForSingleObject(ahObject[i], dwMs) == WAIT_OBJECT_0)
            return WAIT_OBJECT_0 + i;
    return WAIT_TIMEOUT;
}

static std::vector<MEM_FILE *> g_apFile;

BOOL CloseHandle(HANDLE hObject)
{
    KERNEL_OBJECT *pObj = (KERNEL_OBJECT *)hObject;
    if (!pObj || hObject == INVALID_HANDLE_VALUE)
        return SetLastError(ERROR_INVALID_HANDLE), FALSE;
    if (pObj->dwKind != OBJ_EVENT && pObj->dwKind != OBJ_THREAD && pObj->dwKind != OBJ_FILE)
        Misuse("CloseHandle on something that is not a handle");
    if (pObj->pFile)
        pObj->pFile->nOpen--;
    pObj->dwKind = 0;
    delete pObj;
    return TRUE;
}

/* Paths compare without regard to case, as on Windows. */
static MEM_FILE *FindFile(LPCWSTR pszPath)
{
    for (MEM_FILE *pFile : g_apFile)
        if (_wcsicmp(pFile->sName.c_str(), pszPath) == 0)
            return pFile;
    return NULL;
}

static void RemoveFile(MEM_FILE *pFile)
{
    for (size_t i = 0; i < g_apFile.size(); i++) {
        if (g_apFile[i] == pFile) {
            g_apFile.erase(g_apFile.begin() + (long)i);
            break;
        }
    }
    delete pFile;
}

HANDLE CreateFileW(LPCWSTR pszPath, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES, DWORD dwCreation,
                   DWORD, HANDLE)
{
    MEM_FILE *pFile = FindFile(pszPath);
    int bExisted = pFile != NULL;
    if (pFile && pFile->nOpen > 0 && (pFile->dwShare == 0 || dwShare == 0))
        return SetLastError(ERROR_SHARING_VIOLATION), INVALID_HANDLE_VALUE;
    if (!pFile && (dwCreation == OPEN_EXISTING || dwCreation == TRUNCATE_EXISTING))
        return SetLastError(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
    if (pFile && dwCreation == CREATE_NEW)
        return SetLastError(ERROR_ALREADY_EXISTS), INVALID_HANDLE_VALUE;
    if (!pFile) {
        pFile = new MEM_FILE();
        pFile->sName = pszPath;
        pFile->dwAttributes = FILE_ATTRIBUTE_ARCHIVE;
        g_apFile.push_back(pFile);
    }
    if (dwCreation == CREATE_ALWAYS || dwCreation == TRUNCATE_EXISTING)
        pFile->ab.clear();
    pFile->nOpen++;
    pFile->dwShare = dwShare;
    KERNEL_OBJECT *pObj = NewObject(OBJ_FILE);
    pObj->pFile = pFile;
    pObj->bWrite = (dwAccess & GENERIC_WRITE) != 0;
    /* Like Win32, the creating dispositions tell whether the file was there before. */
    SetLastError(bExisted && (dwCreation == CREATE_ALWAYS || dwCreation == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS : 0);
    return pObj;
}

BOOL ReadFile(HANDLE hFile, LPVOID pBuffer, DWORD cbRead, LPDWORD pcbRead, LPOVERLAPPED)
{
    KERNEL_OBJECT *pObj = ObjectOf(hFile, OBJ_FILE);
    if (!pObj)
        return SetLastError(ERROR_INVALID_HANDLE), FALSE;
    size_t nSize = pObj->pFile->ab.size();
    size_t cb = pObj->nPos < nSize ? nSize - pObj->nPos : 0;
    if (cb > cbRead)
        cb = cbRead;
    if (cb)
        memcpy(pBuffer, pObj->pFile->ab.data() + pObj->nPos, cb);
    pObj->nPos += cb;
    if (pcbRead)
        *pcbRead = (DWORD)cb;
    return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID pBuffer, DWORD cbWrite, LPDWORD pcbWritten, LPOVERLAPPED)
{
    KERNEL_OBJECT *pObj = ObjectOf(hFile, OBJ_FILE);
    if (!pObj || !pObj->bWrite)
        return SetLastError(ERROR_INVALID_HANDLE), FALSE;
    std::vector<BYTE> &ab = pObj->pFile->ab;
    if (ab.size() < pObj->nPos + cbWrite)
        ab.resize(pObj->nPos + cbWrite);
    if (cbWrite)
        memcpy(ab.data() + pObj->nPos, pBuffer, cbWrite);
    pObj->nPos += cbWrite;
    if (pcbWritten)
        *pcbWritten = cbWrite;
    return TRUE;
}

BOOL GetOverlappedResult(HANDLE, LPOVERLAPPED, LPDWORD, BOOL)
{
    return SetLastError(ERROR_INVALID_HANDLE), FALSE;
}

BOOL CancelIoEx(HANDLE, LPOVERLAPPED)
{
    return SetLastError(ERROR_NOT_FOUND), FALSE;
}

BOOL GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER pSize)
{
    KERNEL_OBJECT *pObj = ObjectOf(hFile, OBJ_FILE);
    if (!pObj)
        return SetLastError(ERROR_INVALID_HANDLE), FALSE;
    pSize->QuadPart = (LONGLONG)pObj->pFile->ab.size();
    return TRUE;
}

BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistance, PLARGE_INTEGER pliNew, DWORD dwMethod)
{
    KERNEL_OBJECT *pObj = ObjectOf(hFile, OBJ_FILE);
    if (!pObj)
        return SetLastError(ERROR_INVALID_HANDLE), FALSE;
    LONGLONG llBase = dwMethod == FILE_BEGIN ? 0 : dwMethod == FILE_CURRENT ? (LONGLONG)pObj->nPos
                                                                             : (LONGLONG)pObj->pFile->ab.size();
    LONGLONG llTo = llBase + liDistance.QuadPart;
    if (llTo < 0)
        return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
    pObj->nPos = (size_t)llTo;
    if (pliNew)
        pliNew->QuadPart = llTo;
    return TRUE;
}

BOOL SetEndOfFile(HANDLE hFile)
{
    KERNEL_OBJECT *pObj = ObjectOf(hFile, OBJ_FILE);
    if (!pObj || !pObj->bWrite)
        return SetLastError(ERROR_INVALID_HANDLE), FALSE;
    pObj->pFile->ab.resize(pObj->nPos);
    return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR pszPath)
{
    MEM_FILE *pFile = FindFile(pszPath);
    if (!pFile)
        return SetLastError(ERROR_FILE_NOT_FOUND), INVALID_FILE_ATTRIBUTES;
    return pFile->dwAttributes;
}

BOOL SetFileAttributesW(LPCWSTR pszPath, DWORD dwAttributes)
{
    MEM_FILE *pFile = FindFile(pszPath);
    if (!pFile)
        return SetLastError(ERROR_FILE_NOT_FOUND), FALSE;
    pFile->dwAttributes = dwAttributes;
    return TRUE;
}

/* The replaced file takes the replacement's contents and keeps its own name and attributes. */
BOOL ReplaceFileW(LPCWSTR pszReplaced, LPCWSTR pszReplacement, LPCWSTR, DWORD, LPVOID, LPVOID)
{
    MEM_FILE *pReplaced = FindFile(pszReplaced);
    MEM_FILE *pReplacement = FindFile(pszReplacement);
    if (!pReplaced || !pReplacement)
        return SetLastError(ERROR_FILE_NOT_FOUND), FALSE;
    if (pReplaced->nOpen > 0 || pReplacement->nOpen > 0)
        return SetLastError(ERROR_SHARING_VIOLATION), FALSE;
    if (pReplaced != pReplacement) {
        pReplaced->ab.swap(pReplacement->ab);
        RemoveFile(pReplacement);
    }
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE hFile)
{
    return ObjectOf(hFile, OBJ_FILE) != NULL;
}

BOOL DeleteFileW(LPCWSTR pszPath)
{
    MEM_FILE *pFile = FindFile(pszPath);
    if (!pFile)
        return SetLastError(ERROR_FILE_NOT_FOUND), FALSE;
    if (pFile->nOpen > 0)
        return SetLastError(ERROR_SHARING_VIOLATION), FALSE;
    RemoveFile(pFile);
    return TRUE;
}

BOOL MoveFileExW(LPCWSTR pszFrom, LPCWSTR pszTo, DWORD dwFlags)
{
    MEM_FILE *pFrom = FindFile(pszFrom);
    MEM_FILE *pTo = FindFile(pszTo);
    if (!pFrom)
        return SetLastError(ERROR_FILE_NOT_FOUND), FALSE;
    if (pFrom->nOpen > 0 || (pTo && pTo->nOpen > 0))
        return SetLastError(ERROR_SHARING_VIOLATION), FALSE;
    if (pTo && pTo != pFrom) {
        if (!(dwFlags & MOVEFILE_REPLACE_EXISTING))
            return SetLastError(ERROR_ALREADY_EXISTS), FALSE;
        RemoveFile(pTo);
    }
    pFrom->sName = pszTo;
    return TRUE;
}

UINT GetTempFileNameW(LPCWSTR pszFolder, LPCWSTR pszPrefix, UINT, LPWSTR pszName)
{
    for (UINT u = 1; u < 0xFFFF; u++) {
        std::wstring s = std::wstring(pszFolder) + L"\\" + std::wstring(pszPrefix).substr(0, 3);
        wchar_t sz[8];
        swprintf(sz, 8, L"%X.tmp", u);
        s += sz;
        if (FindFile(s.c_str()))
            continue;
        if (s.size() >= MAX_PATH)
            return 0;
        HANDLE h = CreateFileW(s.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
        CloseHandle(h);
        lstrcpyW(pszName, s.c_str());
        return u;
    }
    return 0;
}

DWORD GetTempPathW(DWORD cch, LPWSTR pszPath)
{
    static const WCHAR szTemp[] = L"T:\\temp\\";
    if (cch < sizeof(szTemp) / sizeof(WCHAR))
        return sizeof(szTemp) / sizeof(WCHAR);
    lstrcpyW(pszPath, szTemp);
    return sizeof(szTemp) / sizeof(WCHAR) - 1;
}

/* Distinct addresses for the process heap and module handles. */
static int g_nHeap, g_nModule;

HANDLE GetProcessHeap(void)
{
    return &g_nHeap;
}

LPVOID HeapAlloc(HANDLE, DWORD dwFlags, SIZE_T cb)
{
    return (dwFlags & HEAP_ZERO_MEMORY) ? calloc(1, cb ? cb : 1) : malloc(cb ? cb : 1);
}

BOOL HeapFree(HANDLE, DWORD, LPVOID p)
{
    free(p);
    return TRUE;
}

int lstrlenW(LPCWSTR psz) { return psz ? (int)wcslen(psz) : 0; }
int lstrcmpW(LPCWSTR psz1, LPCWSTR psz2) { return wcscmp(psz1, psz2); }
LPWSTR lstrcpyW(LPWSTR pszTo, LPCWSTR pszFrom) { return wcscpy(pszTo, pszFrom); }
LPWSTR lstrcatW(LPWSTR pszTo, LPCWSTR pszFrom) { return wcscat(pszTo, pszFrom); }
wchar_t *_wcsdup(const wchar_t *psz) { return wcsdup(psz); }
int _wcsicmp(const wchar_t *psz1, const wchar_t *psz2) { return wcscasecmp(psz1, psz2); }

LPWSTR lstrcpynW(LPWSTR pszTo, LPCWSTR pszFrom, int cchMax)
{
    if (cchMax <= 0)
        return pszTo;
    int i = 0;
    for (; i < cchMax - 1 && pszFrom[i]; i++)
        pszTo[i] = pszFrom[i];
    pszTo[i] = 0;
    return pszTo;
}

int MultiByteToWideChar(UINT, DWORD, LPCSTR pSource, int cbSource, LPWSTR pszDest, int cchDest)
{
    if (cbSource < 0)
        cbSource = (int)strlen(pSource) + 1;
    if (cchDest == 0)
        return cbSource;
    if (cchDest < cbSource)
        Misuse("MultiByteToWideChar into a buffer too small");
    for (int i = 0; i < cbSource; i++)
        pszDest[i] = (WCHAR)(BYTE)pSource[i];
    return cbSource;
}

/* The stand-in's ANSI code page holds U+0000 to U+00FF, one byte each. */
UINT GetACP(void)
{
    return 28591;
}

int WideCharToMultiByte(UINT, DWORD, LPCWSTR pszSource, int cchSource, LPSTR pDest, int cbDest, LPCSTR,
                        BOOL *pbUsedDefault)
{
    if (cchSource < 0)
        cchSource = lstrlenW(pszSource) + 1;
    BOOL bUsedDefault = FALSE;
    for (int i = 0; i < cchSource; i++)
        bUsedDefault |= pszSource[i] > 0xFF;
    if (pbUsedDefault)
        *pbUsedDefault = bUsedDefault;
    if (cbDest == 0)
        return cchSource;
    if (cbDest < cchSource)
        Misuse("WideCharToMultiByte into a buffer too small");
    for (int i = 0; i < cchSource; i++)
        pDest[i] = pszSource[i] <= 0xFF ? (char)pszSource[i] : '?';
    return cchSource;
}

LPWSTR PathFindFileNameW(LPCWSTR pszPath)
{
    LPCWSTR pszName = pszPath;
    for (LPCWSTR p = pszPath; *p; p++)
        if ((*p == L'\\' || *p == L'/' || *p == L':') && p[1])
            pszName = p + 1;
    return (LPWSTR)pszName;
}

LPWSTR PathFindExtensionW(LPCWSTR pszPath)
{
    LPCWSTR pszDot = NULL;
    LPCWSTR p = PathFindFileNameW(pszPath);
    for (; *p; p++) {
        if (*p == L'.')
            pszDot = p;
        else if (*p == L' ')
            pszDot = NULL;
    }
    return (LPWSTR)(pszDot ? pszDot : p);
}

BOOL PathRenameExtensionW(LPWSTR pszPath, LPCWSTR pszExtension)
{
    LPWSTR pszDot = PathFindExtensionW(pszPath);
    if ((pszDot - pszPath) + lstrlenW(pszExtension) >= MAX_PATH)
        return FALSE;
    lstrcpyW(pszDot, pszExtension);
    return TRUE;
}

BOOL PathRemoveFileSpecW(LPWSTR pszPath)
{
    LPWSTR pszName = PathFindFileNameW(pszPath);
    if (pszName == pszPath)
        return pszPath[0] ? (pszPath[0] = 0, TRUE) : FALSE;
    if (pszName > pszPath && (pszName[-1] == L'\\' || pszName[-1] == L'/'))
        pszName--;
    *pszName = 0;
    return TRUE;
}

/* One window class and its windows: enough for a client that receives notifications. */
typedef struct STAND_IN_WINDOW {
    DWORD dwMagic;
    WNDPROC pfnProc;
} STAND_IN_WINDOW;

#define WINDOW_MAGIC 0x57494E44
static WNDPROC g_pfnClassProc;

ATOM RegisterClassW(const WNDCLASSW *pClass)
{
    g_pfnClassProc = pClass->lpfnWndProc;
    return 1;
}

HWND CreateWindowExW(DWORD, LPCWSTR, LPCWSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID)
{
    if (!g_pfnClassProc)
        return NULL;
    STAND_IN_WINDOW *pWindow = new STAND_IN_WINDOW();
    pWindow->dwMagic = WINDOW_MAGIC;
    pWindow->pfnProc = g_pfnClassProc;
    return pWindow;
}

static STAND_IN_WINDOW *WindowOf(HWND hWnd)
{
    STAND_IN_WINDOW *pWindow = (STAND_IN_WINDOW *)hWnd;
    return pWindow && pWindow->dwMagic == WINDOW_MAGIC ? pWindow : NULL;
}

BOOL DestroyWindow(HWND hWnd)
{
    STAND_IN_WINDOW *pWindow = WindowOf(hWnd);
    if (!pWindow)
        return FALSE;
    pWindow->dwMagic = 0;
    delete pWindow;
    return TRUE;
}

LRESULT DefWindowProcW(HWND, UINT, WPARAM, LPARAM) { return 0; }

LRESULT SendMessageW(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    STAND_IN_WINDOW *pWindow = WindowOf(hWnd);
    DWORD dwCode = GetLastError();
    /* Like Win32, a message handled in the same thread is a call of the procedure. */
    LRESULT lResult = pWindow ? pWindow->pfnProc(hWnd, uMsg, wParam, lParam) : 0;
    if (!pWindow)
        SetLastError(dwCode);
    return lResult;
}

BOOL PeekMessageW(LPMSG, HWND, UINT, UINT, UINT) { return FALSE; }
BOOL InSendMessage(void) { return FALSE; }

DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD pdwProcessId)
{
    if (pdwProcessId)
        *pdwProcessId = 1;
    return WindowOf(hWnd) ? GetCurrentThreadId() : 0;
}

HMODULE GetModuleHandleW(LPCWSTR)
{
    return &g_nModule;
}

BOOL GetModuleHandleExW(DWORD, LPCWSTR, HMODULE *phModule)
{
    *phModule = &g_nModule;
    return TRUE;
}

HMODULE LoadLibraryExW(LPCWSTR, HANDLE, DWORD)
{
    SetLastError(ERROR_MOD_NOT_FOUND);
    return NULL;
}

UINT GetSystemDirectoryW(LPWSTR, UINT)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
}

FARPROC GetProcAddress(HMODULE, LPCSTR)
{
    SetLastError(ERROR_PROC_NOT_FOUND);
    return NULL;
}

HANDLE GetCurrentProcess(void)
{
    return (HANDLE)(LONG_PTR)-1;
}
