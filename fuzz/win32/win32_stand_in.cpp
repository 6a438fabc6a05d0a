/* win32_stand_in.cpp - the native stand-ins for the Win32 calls the product code makes. */
#include "win32_stand_in.h"

#include <stdio.h>
#include <stdlib.h>
#include <wctype.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
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
BOOL DisableThreadLibraryCalls(HMODULE) { return TRUE; }

LONG InterlockedIncrement(volatile LONG *p) { return __atomic_add_fetch(p, 1, __ATOMIC_SEQ_CST); }
LONG InterlockedDecrement(volatile LONG *p) { return __atomic_sub_fetch(p, 1, __ATOMIC_SEQ_CST); }
LONG InterlockedExchange(volatile LONG *p, LONG lValue) { return __atomic_exchange_n(p, lValue, __ATOMIC_SEQ_CST); }
LONG InterlockedCompareExchange(volatile LONG *p, LONG lExchange, LONG lComparand)
{
    __atomic_compare_exchange_n(p, &lComparand, lExchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    return lComparand;
}

/* Thread ids are never 0 (the library's "none"); the first thread to ask gets 1. */
static volatile LONG g_lLastThreadId;
static thread_local DWORD t_dwThreadId;

DWORD GetCurrentThreadId(void)
{
    if (!t_dwThreadId)
        t_dwThreadId = (DWORD)InterlockedIncrement(&g_lLastThreadId);
    return t_dwThreadId;
}

HANDLE GetCurrentThread(void)
{
    return (HANDLE)(LONG_PTR)-2;
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

/* A thread outlives its handle when the handle is closed first: two shares. */
typedef struct THREAD_STATE {
    LPTHREAD_START_ROUTINE pfnStart;
    LPVOID pParam;
    DWORD dwId;
    int bStarted, bEnded;
    int nShares;
} THREAD_STATE;

typedef struct KERNEL_OBJECT {
    DWORD dwKind;
    BOOL bSignalled;
    BOOL bManualReset;
    THREAD_STATE *pThread;
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

/*
 * One thread blocked in a wait: on objects (any or all of them), on a critical section, or on
 * nothing but its time-out (Sleep). Whoever makes it satisfiable completes it on its behalf
 * (takes the auto-reset event, the section), so waits are served in the order they began.
 */
typedef struct WAITER {
    const HANDLE *ahObject;
    DWORD nCount;
    BOOL bAll;
    LPCRITICAL_SECTION pCs;
    DWORD dwThread;
    ULONGLONG llDeadline;
    DWORD dwResult;
    int bDone;
} WAITER;

#define NO_DEADLINE (~(ULONGLONG)0)

/*
 * Everything that blocks or wakes shares one lock. Made once and never destroyed: threads
 * still waiting when the process exits must not find it gone.
 */
typedef struct SYNC {
    std::mutex lock;
    std::condition_variable wake;
    std::vector<WAITER *> apWaiter;
    /* Threads of the stand-in not blocked in a wait: the first thread, and the started ones. */
    int nRunning = 1;
    /* The virtual clock, in ms; any start but 0 would do. */
    ULONGLONG llNow = 0x00F00000;
} SYNC;

static SYNC &Sync()
{
    static SYNC *pSync = new SYNC();
    return *pSync;
}

static int Signalled(const KERNEL_OBJECT *pObj)
{
    return pObj->dwKind == OBJ_THREAD ? pObj->pThread->bEnded : pObj->bSignalled;
}

static void Take(KERNEL_OBJECT *pObj)
{
    if (pObj->dwKind == OBJ_EVENT && !pObj->bManualReset)
        pObj->bSignalled = FALSE;
}

/* Completes the wait when it can be now; the caller holds the lock. */
static int TrySatisfy(WAITER *pWait)
{
    if (pWait->pCs) {
        if (pWait->pCs->dwOwner != 0)
            return 0;
        pWait->pCs->dwOwner = pWait->dwThread;
        pWait->pCs->nDepth = 1;
        pWait->dwResult = WAIT_OBJECT_0;
        return 1;
    }
    KERNEL_OBJECT **apObj = (KERNEL_OBJECT **)pWait->ahObject;
    if (pWait->nCount == 0)
        return 0;
    if (!pWait->bAll) {
        for (DWORD i = 0; i < pWait->nCount; i++) {
            if (Signalled(apObj[i])) {
                Take(apObj[i]);
                pWait->dwResult = WAIT_OBJECT_0 + i;
                return 1;
            }
        }
        return 0;
    }
    for (DWORD i = 0; i < pWait->nCount; i++)
        if (!Signalled(apObj[i]))
            return 0;
    for (DWORD i = 0; i < pWait->nCount; i++)
        Take(apObj[i]);
    pWait->dwResult = WAIT_OBJECT_0;
    return 1;
}

static void Complete(SYNC &sync, WAITER *pWait)
{
    pWait->bDone = 1;
    sync.nRunning++;
}

static void DropDone(SYNC &sync)
{
    std::vector<WAITER *> &a = sync.apWaiter;
    size_t nTo = 0;
    for (size_t i = 0; i < a.size(); i++)
        if (!a[i]->bDone)
            a[nTo++] = a[i];
    a.resize(nTo);
}

/* Something was signalled or released: every wait it satisfies ends, oldest first. */
static void WakeWaiters(SYNC &sync)
{
    int bAny = 0;
    for (WAITER *pWait : sync.apWaiter) {
        if (!pWait->bDone && TrySatisfy(pWait)) {
            Complete(sync, pWait);
            bAny = 1;
        }
    }
    if (bAny) {
        DropDone(sync);
        sync.wake.notify_all();
    }
}

/* When every thread waits, the clock moves to the nearest deadline and those waits time out. */
static void AdvanceIfIdle(SYNC &sync)
{
    if (sync.nRunning > 0)
        return;
    ULONGLONG llNext = NO_DEADLINE;
    for (WAITER *pWait : sync.apWaiter)
        if (!pWait->bDone && pWait->llDeadline < llNext)
            llNext = pWait->llDeadline;
    if (llNext == NO_DEADLINE)
        Misuse("every thread waits without a time-out and none can be woken: a deadlock");
    if (llNext > sync.llNow)
        sync.llNow = llNext;
    for (WAITER *pWait : sync.apWaiter) {
        if (!pWait->bDone && pWait->llDeadline <= sync.llNow) {
            pWait->dwResult = WAIT_TIMEOUT;
            Complete(sync, pWait);
        }
    }
    DropDone(sync);
    sync.wake.notify_all();
}

/* Blocks the calling thread in the wait until it is completed; the caller holds the lock. */
static DWORD Block(std::unique_lock<std::mutex> &held, WAITER *pWait, DWORD dwMs)
{
    SYNC &sync = Sync();
    if (TrySatisfy(pWait))
        return pWait->dwResult;
    if (dwMs == 0)
        return WAIT_TIMEOUT;
    pWait->llDeadline = dwMs == INFINITE ? NO_DEADLINE : sync.llNow + dwMs;
    sync.apWaiter.push_back(pWait);
    sync.nRunning--;
    AdvanceIfIdle(sync);
    while (!pWait->bDone)
        sync.wake.wait(held);
    return pWait->dwResult;
}

DWORD GetTickCount(void)
{
    std::lock_guard<std::mutex> held(Sync().lock);
    return (DWORD)Sync().llNow;
}

void Sleep(DWORD dwMs)
{
    if (dwMs == 0) {
        std::this_thread::yield();
        return;
    }
    std::unique_lock<std::mutex> held(Sync().lock);
    WAITER wait = {};
    Block(held, &wait, dwMs);
}

#define CS_MAGIC 0x43534C4B

static void CheckSection(LPCRITICAL_SECTION pCs, const char *pszCall)
{
    if (pCs->nMagic != CS_MAGIC) {
        fprintf(stderr, "win32 stand-in: %s on a deleted or never initialised section\n", pszCall);
        abort();
    }
}

void InitializeCriticalSection(LPCRITICAL_SECTION pCs)
{
    std::lock_guard<std::mutex> held(Sync().lock);
    pCs->nMagic = CS_MAGIC;
    pCs->nDepth = 0;
    pCs->dwOwner = 0;
}

void DeleteCriticalSection(LPCRITICAL_SECTION pCs)
{
    std::lock_guard<std::mutex> held(Sync().lock);
    CheckSection(pCs, "DeleteCriticalSection");
    if (pCs->dwOwner != 0)
        Misuse("DeleteCriticalSection on a section still held");
    for (WAITER *pWait : Sync().apWaiter)
        if (pWait->pCs == pCs)
            Misuse("DeleteCriticalSection on a section a thread waits for");
    pCs->nMagic = 0;
}

void EnterCriticalSection(LPCRITICAL_SECTION pCs)
{
    DWORD dwMe = GetCurrentThreadId();
    std::unique_lock<std::mutex> held(Sync().lock);
    CheckSection(pCs, "EnterCriticalSection");
    if (pCs->dwOwner == dwMe) {
        pCs->nDepth++;
        return;
    }
    WAITER wait = {};
    wait.pCs = pCs;
    wait.dwThread = dwMe;
    Block(held, &wait, INFINITE);
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION pCs)
{
    DWORD dwMe = GetCurrentThreadId();
    std::lock_guard<std::mutex> held(Sync().lock);
    CheckSection(pCs, "TryEnterCriticalSection");
    if (pCs->dwOwner == dwMe) {
        pCs->nDepth++;
        return TRUE;
    }
    if (pCs->dwOwner != 0)
        return FALSE;
    pCs->dwOwner = dwMe;
    pCs->nDepth = 1;
    return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION pCs)
{
    DWORD dwMe = GetCurrentThreadId();
    std::lock_guard<std::mutex> held(Sync().lock);
    CheckSection(pCs, "LeaveCriticalSection");
    if (pCs->dwOwner != dwMe || pCs->nDepth <= 0)
        Misuse("LeaveCriticalSection by a thread that does not hold the section");
    if (--pCs->nDepth == 0) {
        pCs->dwOwner = 0;
        WakeWaiters(Sync());
    }
}

/* The thread a stand-in thread runs on; ExitThread unwinds to it. */
struct THREAD_EXIT {};
static thread_local THREAD_STATE *t_pThread;

static void ReleaseThread(THREAD_STATE *pThread)
{
    if (--pThread->nShares == 0)
        delete pThread;
}

static void RunThread(THREAD_STATE *pThread)
{
    t_dwThreadId = pThread->dwId;
    t_pThread = pThread;
    try {
        pThread->pfnStart(pThread->pParam);
    } catch (const THREAD_EXIT &) {
    }
    SYNC &sync = Sync();
    std::lock_guard<std::mutex> held(sync.lock);
    pThread->bEnded = 1;
    sync.nRunning--;
    WakeWaiters(sync);
    AdvanceIfIdle(sync);
    ReleaseThread(pThread);
}

/* Counted as running from here, so the clock cannot move before it has begun. */
static void StartThread(THREAD_STATE *pThread)
{
    pThread->bStarted = 1;
    Sync().nRunning++;
    std::thread(RunThread, pThread).detach();
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE pfnStart, LPVOID pParam, DWORD dwFlags,
                    LPDWORD pdwId)
{
    THREAD_STATE *pThread = new THREAD_STATE();
    pThread->pfnStart = pfnStart;
    pThread->pParam = pParam;
    pThread->dwId = (DWORD)InterlockedIncrement(&g_lLastThreadId);
    pThread->nShares = 2;
    KERNEL_OBJECT *pObj = NewObject(OBJ_THREAD);
    pObj->pThread = pThread;
    if (pdwId)
        *pdwId = pThread->dwId;
    std::lock_guard<std::mutex> held(Sync().lock);
    if (!(dwFlags & CREATE_SUSPENDED))
        StartThread(pThread);
    return pObj;
}

DWORD ResumeThread(HANDLE hThread)
{
    KERNEL_OBJECT *pObj = ObjectOf(hThread, OBJ_THREAD);
    if (!pObj)
        Misuse("ResumeThread on something that is not an open thread");
    std::lock_guard<std::mutex> held(Sync().lock);
    if (pObj->pThread->bStarted)
        return 0;
    StartThread(pObj->pThread);
    return 1;
}

void ExitThread(DWORD)
{
    if (!t_pThread)
        Misuse("ExitThread outside a thread of CreateThread");
    throw THREAD_EXIT();
}

/* References that GetModuleHandleExW took on the one module. */
static int g_nModule;
static volatile LONG g_lModuleRefs;

BOOL FreeLibrary(HMODULE hModule)
{
    if (hModule != (HMODULE)&g_nModule)
        return SetLastError(ERROR_INVALID_HANDLE), FALSE;
    if (InterlockedDecrement(&g_lModuleRefs) < 0)
        Misuse("FreeLibrary of a reference GetModuleHandleExW never took");
    return TRUE;
}

void FreeLibraryAndExitThread(HMODULE hModule, DWORD dwCode)
{
    FreeLibrary(hModule);
    ExitThread(dwCode);
}

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR)
{
    KERNEL_OBJECT *pObj = NewObject(OBJ_EVENT);
    pObj->bManualReset = bManualReset;
    pObj->bSignalled = bInitialState;
    return pObj;
}

BOOL SetEvent(HANDLE hEvent)
{
    std::lock_guard<std::mutex> held(Sync().lock);
    KERNEL_OBJECT *pObj = ObjectOf(hEvent, OBJ_EVENT);
    if (!pObj)
        Misuse("SetEvent on something that is not an open event");
    pObj->bSignalled = TRUE;
    WakeWaiters(Sync());
    return TRUE;
}

BOOL ResetEvent(HANDLE hEvent)
{
    std::lock_guard<std::mutex> held(Sync().lock);
    KERNEL_OBJECT *pObj = ObjectOf(hEvent, OBJ_EVENT);
    if (!pObj)
        Misuse("ResetEvent on something that is not an open event");
    pObj->bSignalled = FALSE;
    return TRUE;
}

/* Waits on objects; nCount 0 is a wait on the time-out alone (a message wait with no objects). */
static DWORD WaitOn(DWORD nCount, const HANDLE *ahObject, BOOL bAll, DWORD dwMs)
{
    std::unique_lock<std::mutex> held(Sync().lock);
    for (DWORD i = 0; i < nCount; i++) {
        KERNEL_OBJECT *pObj = (KERNEL_OBJECT *)ahObject[i];
        if (!pObj || ahObject[i] == INVALID_HANDLE_VALUE || (pObj->dwKind != OBJ_EVENT && pObj->dwKind != OBJ_THREAD))
            Misuse("a wait on something that is not an open event or thread");
    }
    WAITER wait = {};
    wait.ahObject = ahObject;
    wait.nCount = nCount;
    wait.bAll = bAll;
    return Block(held, &wait, dwMs);
}

#define MAXIMUM_WAIT_OBJECTS 64

DWORD WaitForSingleObject(HANDLE hObject, DWORD dwMs)
{
    return WaitOn(1, &hObject, FALSE, dwMs);
}

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE *ahObject, BOOL bWaitAll, DWORD dwMs)
{
    if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS)
        return SetLastError(ERROR_INVALID_PARAMETER), WAIT_FAILED;
    return WaitOn(nCount, ahObject, bWaitAll, dwMs);
}

DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE *ahObject, BOOL bWaitAll, DWORD dwMs, DWORD)
{
    if (nCount >= MAXIMUM_WAIT_OBJECTS)
        return SetLastError(ERROR_INVALID_PARAMETER), WAIT_FAILED;
    return WaitOn(nCount, ahObject, bWaitAll, dwMs);
}

static std::vector<MEM_FILE *> g_apFile;

BOOL CloseHandle(HANDLE hObject)
{
    KERNEL_OBJECT *pObj = (KERNEL_OBJECT *)hObject;
    if (!pObj || hObject == INVALID_HANDLE_VALUE)
        return SetLastError(ERROR_INVALID_HANDLE), FALSE;
    std::lock_guard<std::mutex> held(Sync().lock);
    if (pObj->dwKind != OBJ_EVENT && pObj->dwKind != OBJ_THREAD && pObj->dwKind != OBJ_FILE)
        Misuse("CloseHandle on something that is not a handle");
    for (WAITER *pWait : Sync().apWaiter)
        for (DWORD i = 0; i < pWait->nCount; i++)
            if (pWait->ahObject[i] == hObject)
                Misuse("CloseHandle on an object another thread is waiting on");
    if (pObj->pFile)
        pObj->pFile->nOpen--;
    if (pObj->pThread) {
        /* A thread never started never will: its share goes with the handle. */
        if (!pObj->pThread->bStarted)
            ReleaseThread(pObj->pThread);
        ReleaseThread(pObj->pThread);
    }
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

/* A distinct address for the process heap. */
static int g_nHeap;

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
    DWORD dwThread;
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
    pWindow->dwThread = GetCurrentThreadId();
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
    if (pWindow && pWindow->dwThread != GetCurrentThreadId())
        Misuse("SendMessageW to a window of another thread");
    DWORD dwCode = GetLastError();
    /* Like Win32, a message handled in the same thread is a call of the procedure. */
    LRESULT lResult = pWindow ? pWindow->pfnProc(hWnd, uMsg, wParam, lParam) : 0;
    if (!pWindow)
        SetLastError(dwCode);
    return lResult;
}

/* No message comes from another thread, and none is posted: nothing to take, none being handled. */
BOOL PeekMessageW(LPMSG, HWND, UINT, UINT, UINT) { return FALSE; }
BOOL InSendMessage(void) { return FALSE; }

DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD pdwProcessId)
{
    if (pdwProcessId)
        *pdwProcessId = 1;
    STAND_IN_WINDOW *pWindow = WindowOf(hWnd);
    return pWindow ? pWindow->dwThread : 0;
}

HMODULE GetModuleHandleW(LPCWSTR)
{
    return &g_nModule;
}

BOOL GetModuleHandleExW(DWORD, LPCWSTR, HMODULE *phModule)
{
    InterlockedIncrement(&g_lModuleRefs);
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
