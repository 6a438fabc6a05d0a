/*
 * win32_stand_in.h - the few Win32 types and calls that the library and the settings-file
 * code use, for a native (Linux, clang) build of the fuzz targets. Reached through the
 * forwarding headers beside it (windows.h, hidsdi.h, ...), so the product sources compile
 * unchanged.
 *
 * Behaviour kept where it matters to the code under test: the last-error value is
 * per thread and left alone on success; files live in memory with Win32's open
 * dispositions and sharing (used by one thread); threads really run (std::thread), events
 * really signal and waits really block until an object is signalled or their time-out has
 * passed; critical sections are recursive and owned. Misuse aborts: a section deleted
 * while held or left by a thread that does not own it, a handle closed while a thread
 * waits on it, a window sent a message from another thread.
 *
 * The clock is virtual, so a run does not depend on how fast the machine is: it stands
 * still while any thread of the stand-in runs, and moves to the nearest time-out when every
 * one of them waits. When they all wait without a time-out, none can ever be woken: that
 * deadlock aborts too.
 */
#ifndef FUZZ_WIN32_STAND_IN_H
#define FUZZ_WIN32_STAND_IN_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <wchar.h>

#define WINAPI
#define NTAPI
#define CALLBACK
#define APIENTRY
#define CONST const

typedef unsigned char BYTE, *PBYTE, *LPBYTE;
typedef unsigned char BOOLEAN;
typedef unsigned short WORD, USHORT;
typedef uint32_t DWORD, *PDWORD, *LPDWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int BOOL;
typedef int INT;
typedef unsigned int UINT;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef size_t SIZE_T;
typedef uintptr_t ULONG_PTR, UINT_PTR, WPARAM;
typedef intptr_t LONG_PTR, INT_PTR, LPARAM, LRESULT;
typedef LONG NTSTATUS;
typedef LONG HRESULT;
typedef WORD ATOM;
typedef wchar_t WCHAR;
typedef WCHAR *LPWSTR, *PWSTR;
typedef const WCHAR *LPCWSTR, *PCWSTR;
typedef char CHAR;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef void *HANDLE, *LPVOID, *PVOID, *HDEVINFO;
typedef const void *LPCVOID;
typedef HANDLE HWND, HINSTANCE, HMODULE, HICON, HCURSOR, HBRUSH, HMENU;
typedef void *PHIDP_PREPARSED_DATA;

#define TRUE 1
#define FALSE 0
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define MAX_PATH 260
#define INFINITE 0xFFFFFFFF

#define STATUS_PENDING ((DWORD)0x00000103)
#define HasOverlappedIoCompleted(pIo) ((DWORD)(pIo)->Internal != STATUS_PENDING)

#define ERROR_SUCCESS            0
#define ERROR_FILE_NOT_FOUND     2
#define ERROR_ACCESS_DENIED      5
#define ERROR_INVALID_HANDLE     6
#define ERROR_NOT_ENOUGH_MEMORY  8
#define ERROR_GEN_FAILURE        31
#define ERROR_SHARING_VIOLATION  32
#define ERROR_LOCK_VIOLATION     33
#define ERROR_HANDLE_EOF         38
#define ERROR_INVALID_PARAMETER  87
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_NO_MORE_ITEMS      259
#define ERROR_ALREADY_EXISTS     183
#define ERROR_OPERATION_ABORTED  995
#define ERROR_IO_INCOMPLETE      996
#define ERROR_IO_PENDING         997
#define ERROR_DEVICE_NOT_CONNECTED 1167
#define ERROR_NOT_FOUND          1168
#define ERROR_UNABLE_TO_REMOVE_REPLACED 1175
#define ERROR_NO_UNICODE_TRANSLATION 1113

#define WAIT_OBJECT_0  0
#define WAIT_TIMEOUT   258
#define WAIT_FAILED    0xFFFFFFFF

#define GENERIC_READ   0x80000000
#define GENERIC_WRITE  0x40000000
#define FILE_SHARE_READ  1
#define FILE_SHARE_WRITE 2
#define CREATE_NEW     1
#define CREATE_ALWAYS  2
#define OPEN_EXISTING  3
#define OPEN_ALWAYS    4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_HIDDEN 0x02
#define FILE_ATTRIBUTE_SYSTEM 0x04
#define FILE_ATTRIBUTE_ARCHIVE 0x20
#define FILE_ATTRIBUTE_NORMAL 0x80
#define FILE_ATTRIBUTE_NOT_CONTENT_INDEXED 0x2000
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_BEGIN   0
#define FILE_CURRENT 1
#define FILE_END     2
#define REPLACEFILE_IGNORE_MERGE_ERRORS 0x02
#define FILE_FLAG_OVERLAPPED  0x40000000
#define MOVEFILE_REPLACE_EXISTING 1
#define MOVEFILE_WRITE_THROUGH    8

#define CP_ACP 0
#define CP_UTF8 65001
#define WC_NO_BEST_FIT_CHARS 0x400
#define WC_ERR_INVALID_CHARS 0x80
#define MB_PRECOMPOSED 1
#define HEAP_ZERO_MEMORY 8

#define CREATE_SUSPENDED 4
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 4
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define QS_SENDMESSAGE 0x0040
#define PM_NOREMOVE 0
#define PM_REMOVE 1
#define PM_QS_SENDMESSAGE (QS_SENDMESSAGE << 16)
#define HWND_MESSAGE ((HWND)(LONG_PTR)-3)
#define WM_USER 0x0400
#define WM_APP 0x8000

#define DIGCF_PRESENT 0x02
#define DIGCF_DEVICEINTERFACE 0x10
#define HIDP_STATUS_SUCCESS ((NTSTATUS)0x00110000)

#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_SNAPSHOT 0x2C
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_F1 0x70
#define VK_F24 0x87
#define VK_NUMLOCK 0x90

#define ZeroMemory(p, cb) memset((p), 0, (cb))
#define UNREFERENCED_PARAMETER(p) (void)(p)

typedef struct GUID {
    DWORD Data1;
    WORD  Data2, Data3;
    BYTE  Data4[8];
} GUID, *LPGUID;

typedef union LARGE_INTEGER {
    struct { DWORD LowPart; LONG HighPart; };
    LONGLONG QuadPart;
} LARGE_INTEGER, *PLARGE_INTEGER;

typedef struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef struct OVERLAPPED {
    ULONG_PTR Internal;
    ULONG_PTR InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
} OVERLAPPED, *LPOVERLAPPED;

/* Whether it may be used at all, its owner (a thread id, 0 when free) and the owner's entries. */
typedef struct CRITICAL_SECTION {
    LONG nMagic;
    LONG nDepth;
    DWORD dwOwner;
} CRITICAL_SECTION, *LPCRITICAL_SECTION;

typedef struct POINT { LONG x, y; } POINT;
typedef struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *LPMSG;

typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef struct WNDCLASSW {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra, cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
} WNDCLASSW;

typedef DWORD (*LPTHREAD_START_ROUTINE)(LPVOID);

typedef struct HIDD_ATTRIBUTES {
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
} HIDD_ATTRIBUTES, *PHIDD_ATTRIBUTES;

typedef struct HIDP_CAPS {
    USHORT Usage, UsagePage;
    USHORT InputReportByteLength, OutputReportByteLength, FeatureReportByteLength;
    USHORT Reserved[17];
    USHORT NumberLinkCollectionNodes;
    USHORT NumberInputButtonCaps, NumberInputValueCaps, NumberInputDataIndices;
    USHORT NumberOutputButtonCaps, NumberOutputValueCaps, NumberOutputDataIndices;
    USHORT NumberFeatureButtonCaps, NumberFeatureValueCaps, NumberFeatureDataIndices;
} HIDP_CAPS, *PHIDP_CAPS;

typedef struct SP_DEVINFO_DATA {
    DWORD cbSize;
    GUID ClassGuid;
    DWORD DevInst;
    ULONG_PTR Reserved;
} SP_DEVINFO_DATA, *PSP_DEVINFO_DATA;

typedef struct SP_DEVICE_INTERFACE_DATA {
    DWORD cbSize;
    GUID InterfaceClassGuid;
    DWORD Flags;
    ULONG_PTR Reserved;
} SP_DEVICE_INTERFACE_DATA, *PSP_DEVICE_INTERFACE_DATA;

typedef struct SP_DEVICE_INTERFACE_DETAIL_DATA_W {
    DWORD cbSize;
    WCHAR DevicePath[1];
} SP_DEVICE_INTERFACE_DETAIL_DATA_W, *PSP_DEVICE_INTERFACE_DETAIL_DATA_W;

/* Errors and threads. */
DWORD GetLastError(void);
void SetLastError(DWORD dwCode);
DWORD GetCurrentThreadId(void);
HANDLE GetCurrentThread(void);
void Sleep(DWORD dwMs);
/* A thread of its own; one created suspended starts at ResumeThread. Its handle is signalled
   when it has ended. */
HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE pfnStart, LPVOID pParam,
                    DWORD dwFlags, LPDWORD pdwId);
void ExitThread(DWORD dwCode);
/* Only from a thread of CreateThread: it ends there. */
void FreeLibraryAndExitThread(HMODULE hModule, DWORD dwCode);
/* The module's references that GetModuleHandleExW took; one more given back than taken aborts. */
BOOL FreeLibrary(HMODULE hModule);
BOOL GetModuleHandleExW(DWORD dwFlags, LPCWSTR pszModule, HMODULE *phModule);
DWORD GetTickCount(void);
DWORD ResumeThread(HANDLE hThread);
BOOL DisableThreadLibraryCalls(HMODULE hModule);
LONG InterlockedIncrement(volatile LONG *p);
LONG InterlockedDecrement(volatile LONG *p);
LONG InterlockedExchange(volatile LONG *p, LONG lValue);
LONG InterlockedCompareExchange(volatile LONG *p, LONG lExchange, LONG lComparand);

void InitializeCriticalSection(LPCRITICAL_SECTION pCs);
void DeleteCriticalSection(LPCRITICAL_SECTION pCs);
void EnterCriticalSection(LPCRITICAL_SECTION pCs);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION pCs);
void LeaveCriticalSection(LPCRITICAL_SECTION pCs);

/* Events and waits. No message is ever sent to a thread from another, so a message wait is a
   wait on its objects alone. */
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR pszName);
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);
DWORD WaitForSingleObject(HANDLE hObject, DWORD dwMs);
DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE *ahObject, BOOL bWaitAll, DWORD dwMs);
DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE *ahObject, BOOL bWaitAll, DWORD dwMs, DWORD dwWake);
BOOL CloseHandle(HANDLE hObject);

/* Files, in memory. */
HANDLE CreateFileW(LPCWSTR pszPath, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES,
                   DWORD dwCreation, DWORD dwFlags, HANDLE hTemplate);
BOOL ReadFile(HANDLE hFile, LPVOID pBuffer, DWORD cbRead, LPDWORD pcbRead, LPOVERLAPPED pOverlapped);
BOOL WriteFile(HANDLE hFile, LPCVOID pBuffer, DWORD cbWrite, LPDWORD pcbWritten, LPOVERLAPPED pOverlapped);
BOOL GetOverlappedResult(HANDLE hFile, LPOVERLAPPED pOverlapped, LPDWORD pcb, BOOL bWait);
BOOL CancelIoEx(HANDLE hFile, LPOVERLAPPED pOverlapped);
BOOL GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER pSize);
BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistance, PLARGE_INTEGER pliNew, DWORD dwMethod);
BOOL SetEndOfFile(HANDLE hFile);
BOOL FlushFileBuffers(HANDLE hFile);
DWORD GetFileAttributesW(LPCWSTR pszPath);
BOOL SetFileAttributesW(LPCWSTR pszPath, DWORD dwAttributes);
BOOL ReplaceFileW(LPCWSTR pszReplaced, LPCWSTR pszReplacement, LPCWSTR pszBackup, DWORD dwFlags, LPVOID, LPVOID);
BOOL DeleteFileW(LPCWSTR pszPath);
BOOL MoveFileExW(LPCWSTR pszFrom, LPCWSTR pszTo, DWORD dwFlags);
UINT GetTempFileNameW(LPCWSTR pszFolder, LPCWSTR pszPrefix, UINT uUnique, LPWSTR pszName);
DWORD GetTempPathW(DWORD cch, LPWSTR pszPath);

/* Memory. */
HANDLE GetProcessHeap(void);
LPVOID HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T cb);
BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID p);

/* Strings; the ANSI code page is taken as one byte per character. */
int lstrlenW(LPCWSTR psz);
int lstrcmpW(LPCWSTR psz1, LPCWSTR psz2);
LPWSTR lstrcpyW(LPWSTR pszTo, LPCWSTR pszFrom);
LPWSTR lstrcpynW(LPWSTR pszTo, LPCWSTR pszFrom, int cchMax);
LPWSTR lstrcatW(LPWSTR pszTo, LPCWSTR pszFrom);
wchar_t *_wcsdup(const wchar_t *psz);
int _wcsicmp(const wchar_t *psz1, const wchar_t *psz2);
int MultiByteToWideChar(UINT uCodePage, DWORD dwFlags, LPCSTR pSource, int cbSource, LPWSTR pszDest, int cchDest);
UINT GetACP(void);
int WideCharToMultiByte(UINT uCodePage, DWORD dwFlags, LPCWSTR pszSource, int cchSource, LPSTR pDest,
                        int cbDest, LPCSTR pDefault, BOOL *pbUsedDefault);
LPWSTR PathFindExtensionW(LPCWSTR pszPath);
LPWSTR PathFindFileNameW(LPCWSTR pszPath);
BOOL PathRenameExtensionW(LPWSTR pszPath, LPCWSTR pszExtension);
BOOL PathRemoveFileSpecW(LPWSTR pszPath);

/* Windows: a window is its procedure; a message sent from the window's own thread is a call
   (one from another thread aborts: the stand-in has no message queue to carry it). */
ATOM RegisterClassW(const WNDCLASSW *pClass);
HWND CreateWindowExW(DWORD dwExStyle, LPCWSTR pszClass, LPCWSTR pszTitle, DWORD dwStyle, int x, int y,
                     int cx, int cy, HWND hParent, HMENU hMenu, HINSTANCE hInstance, LPVOID pParam);
BOOL DestroyWindow(HWND hWnd);
LRESULT DefWindowProcW(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageW(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
BOOL PeekMessageW(LPMSG pMsg, HWND hWnd, UINT uFirst, UINT uLast, UINT uRemove);
BOOL InSendMessage(void);
DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD pdwProcessId);
HMODULE GetModuleHandleW(LPCWSTR pszModule);

/* Windows' DLLs: none can be loaded, so the clock is GetTickCount's and the resolution stays
   (common/timer_calls.h), and the harness installs its own HID table. */
typedef intptr_t (*FARPROC)(void);
#define ARRAYSIZE(a) (sizeof(a) / sizeof((a)[0]))
#define LOAD_WITH_ALTERED_SEARCH_PATH 0x8
#define LOAD_LIBRARY_SEARCH_SYSTEM32  0x800
#define ERROR_NOT_READY            21
#define ERROR_MOD_NOT_FOUND        126
#define ERROR_PROC_NOT_FOUND       127
#define ERROR_FILENAME_EXCED_RANGE 206
#define TIMERR_NOCANDO             97
HMODULE LoadLibraryExW(LPCWSTR pszFile, HANDLE hReserved, DWORD dwFlags);
UINT GetSystemDirectoryW(LPWSTR pszBuffer, UINT cchBuffer);
FARPROC GetProcAddress(HMODULE hModule, LPCSTR pszName);
HANDLE GetCurrentProcess(void);
typedef enum PROCESS_INFORMATION_CLASS { ProcessPowerThrottling = 4 } PROCESS_INFORMATION_CLASS;
typedef struct PROCESS_POWER_THROTTLING_STATE {
    ULONG Version;
    ULONG ControlMask;
    ULONG StateMask;
} PROCESS_POWER_THROTTLING_STATE;
#define PROCESS_POWER_THROTTLING_CURRENT_VERSION         1
#define PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION 0x4

#endif
