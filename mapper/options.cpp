/*
 * options.cpp - reading and writing option.ini through the private-profile functions.
 *
 * The file is kept as UTF-16 with a byte-order mark: the profile functions then keep it
 * Unicode, so a last-file path with characters outside the ANSI code page survives. An
 * ANSI file of an earlier version is read as it is and turned Unicode on the first write.
 */
#include "options.h"

#include "file_replace.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <stdio.h>
#include <string.h>

static const WCHAR OPTIONS_FILE_NAME[] = L"option.ini";
static const WCHAR OPTIONS_USER_FOLDER[] = L"Zan";
static const BYTE UTF16_BOM[2] = { 0xFF, 0xFE };
static const WCHAR OPTIONS_SECTION[] = L"option";
static const WCHAR KEY_INIT_SET[] = L"bInitSet";
static const WCHAR KEY_SETTING_FILENAME[] = L"szSettingFilename";
static const WCHAR KEY_CONNECT[] = L"bConnect";
static const WCHAR KEY_TIMEOUT[] = L"dwTimeout";
static const WCHAR KEY_PROGRAM_SETS[] = L"bProgramSets";
static const WCHAR KEY_HIGHLIGHT_PRESSED[] = L"bHighlightPressed";
static const WCHAR KEY_IMMEDIATE_REACTION[] = L"bImmediateReaction";
static const WCHAR KEY_AUTO_CONNECT[] = L"bAutoConnect";
static const WCHAR KEY_CLOSE_TO_TRAY[] = L"bCloseToTray";
static const WCHAR KEY_START_IN_TRAY[] = L"bStartInTray";
static const WCHAR KEY_PAUSE_SLOTS[] = L"dwPauseSlots";

/* Room for "%d" of any 32-bit value. */
#define NUMBER_CHARS 16

/* 1 when a file can be made or written in this folder: the existing option.ini opens
 * for writing, or a probe file can be created there (and goes again on closing). */
static int CanWriteOptionsIn(LPCWSTR pszIniPath)
{
    HANDLE h = CreateFileW(pszIniPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
        WCHAR szProbe[OPTIONS_PATH_CHARS];
        lstrcpynW(szProbe, pszIniPath, OPTIONS_PATH_CHARS - 8);
        lstrcatW(szProbe, L".probe");
        h = CreateFileW(szProbe, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, NULL);
    }
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(h);
    return 1;
}

/* %APPDATA%\Zan\option.ini, the folder created; 0 when there is no such folder. An
 * option.ini left beside the executable is taken over the first time. */
static int GetUserOptionsPath(LPCWSTR pszBesideExe, WCHAR *pszPath)
{
    WCHAR szAppData[MAX_PATH];
    if (FAILED(SHGetFolderPathW(NULL, CSIDL_APPDATA, NULL, SHGFP_TYPE_CURRENT, szAppData)))
        return 0;
    if (lstrlenW(szAppData) + lstrlenW(OPTIONS_USER_FOLDER) + lstrlenW(OPTIONS_FILE_NAME) + 3 > OPTIONS_PATH_CHARS)
        return 0;
    lstrcpyW(pszPath, szAppData);
    PathAppendW(pszPath, OPTIONS_USER_FOLDER);
    CreateDirectoryW(pszPath, NULL);
    PathAppendW(pszPath, OPTIONS_FILE_NAME);
    if (GetFileAttributesW(pszPath) == INVALID_FILE_ATTRIBUTES)
        CopyFileW(pszBesideExe, pszPath, TRUE);
    return 1;
}

void GetOptionsFilePathIn(LPCWSTR pszFolder, WCHAR *pszPath)
{
    lstrcpynW(pszPath, pszFolder, OPTIONS_PATH_CHARS - lstrlenW(OPTIONS_FILE_NAME) - 1);
    PathAddBackslashW(pszPath);
    lstrcatW(pszPath, OPTIONS_FILE_NAME);
    /* Under Program Files the options could never be kept: use the user's own folder. */
    WCHAR szUser[OPTIONS_PATH_CHARS];
    if (!CanWriteOptionsIn(pszPath) && GetUserOptionsPath(pszPath, szUser))
        lstrcpyW(pszPath, szUser);
}

void GetOptionsFilePath(WCHAR *pszPath)
{
    WCHAR szFolder[OPTIONS_PATH_CHARS];
    DWORD cch = GetModuleFileNameW(NULL, szFolder, OPTIONS_PATH_CHARS);
    if (cch == 0 || cch >= OPTIONS_PATH_CHARS)
        szFolder[0] = L'\0';
    PathRemoveFileSpecW(szFolder);
    GetOptionsFilePathIn(szFolder, pszPath);
}

/* A missing file is created with the mark alone; one whose mark could not be written goes again. */
static void CreateUnicodeFile(LPCWSTR pszIniPath)
{
    HANDLE h = CreateFileW(pszIniPath, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return;
    int bOk = WriteWholeFile(h, UTF16_BOM, sizeof(UTF16_BOM));
    CloseHandle(h);
    if (!bOk)
        DeleteFileW(pszIniPath);
}

/* The whole file in memory (HeapAlloc, two spare bytes); NULL when it cannot be read. */
static char *ReadWholeFile(LPCWSTR pszPath, DWORD *pcb)
{
    HANDLE h = CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return NULL;
    DWORD cb = GetFileSize(h, NULL);
    char *pText = cb != INVALID_FILE_SIZE ? (char *)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)cb + 2) : NULL;
    DWORD cbRead = 0;
    if (pText && cb && !(ReadFile(h, pText, cb, &cbRead, NULL) && cbRead == cb)) {
        HeapFree(GetProcessHeap(), 0, pText);
        pText = NULL;
    }
    CloseHandle(h);
    *pcb = cb;
    return pText;
}

/* The ANSI text as UTF-16 behind a byte-order mark (HeapAlloc), its byte count in *pcbWide. */
static WCHAR *ConvertToUnicode(const char *pText, DWORD cb, DWORD *pcbWide)
{
    int cch = cb ? MultiByteToWideChar(CP_ACP, 0, pText, (int)cb, NULL, 0) : 0;
    if (cb && cch <= 0)
        return NULL;
    WCHAR *pszWide = (WCHAR *)HeapAlloc(GetProcessHeap(), 0, ((SIZE_T)cch + 1) * sizeof(WCHAR));
    if (!pszWide)
        return NULL;
    memcpy(pszWide, UTF16_BOM, sizeof(UTF16_BOM));
    if (cch && MultiByteToWideChar(CP_ACP, 0, pText, (int)cb, pszWide + 1, cch) != cch) {
        HeapFree(GetProcessHeap(), 0, pszWide);
        return NULL;
    }
    *pcbWide = ((DWORD)cch + 1) * sizeof(WCHAR);
    return pszWide;
}

/* The converted text into a temporary file beside the target; 0 (and no such file) on failure. */
static int WriteConvertedFile(LPCWSTR pszIniPath, const WCHAR *pszWide, DWORD cbWide, WCHAR *pszTemp)
{
    if (!MakeTempFileBeside(pszIniPath, pszTemp))
        return 0;
    HANDLE h = CreateFileW(pszTemp, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    int bOk = h != INVALID_HANDLE_VALUE && WriteWholeFile(h, pszWide, cbWide);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    if (!bOk)
        DeleteFileW(pszTemp);
    return bOk;
}

/* Makes the file UTF-16 with a byte-order mark before the profile functions write it:
 * a new file is created with the mark alone, an ANSI file is converted whole. The converted
 * text is written beside the file and then put in its place, so a write that fails part-way
 * leaves the old file as it was (and the profile functions go on with it as ANSI). */
void MakeUnicodeFile(LPCWSTR pszIniPath)
{
    if (GetFileAttributesW(pszIniPath) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND) {
        CreateUnicodeFile(pszIniPath);
        return;
    }
    DWORD cb = 0;
    char *pText = ReadWholeFile(pszIniPath, &cb);
    if (!pText)
        return;
    DWORD cbWide = 0;
    WCHAR *pszWide = cb >= 2 && memcmp(pText, UTF16_BOM, 2) == 0 ? NULL : ConvertToUnicode(pText, cb, &cbWide);
    WCHAR szTemp[MAX_PATH];
    if (pszWide && WriteConvertedFile(pszIniPath, pszWide, cbWide, szTemp))
        ReplaceWithNewFile(pszIniPath, szTemp);
    HeapFree(GetProcessHeap(), 0, pszWide);
    HeapFree(GetProcessHeap(), 0, pText);
}

const DWORD g_adwOfferedTimeout[OFFERED_TIMEOUT_COUNT] = { 500, 1000, 2000, 3000, 5000 };

/* A switch: 0 or 1, anything else (or nothing) its default. */
static int ReadSwitch(LPCWSTR pszKey, int nDefault, LPCWSTR pszIniPath)
{
    UINT uValue = GetPrivateProfileIntW(OPTIONS_SECTION, pszKey, nDefault, pszIniPath);
    return uValue == 0 || uValue == 1 ? (int)uValue : nDefault;
}

/* One of the offered time-outs, else the default: the library is never handed 0 or an
 * infinite one (dwTimeout=-1). */
static DWORD ReadTimeout(LPCWSTR pszIniPath)
{
    UINT uValue = GetPrivateProfileIntW(OPTIONS_SECTION, KEY_TIMEOUT, DEFAULT_TIMEOUT_MS, pszIniPath);
    for (DWORD dwOffered : g_adwOfferedTimeout)
        if (uValue == dwOffered)
            return dwOffered;
    return DEFAULT_TIMEOUT_MS;
}

/* Wii Remote slots only: a combination naming anything else could never be pressed. */
static DWORD ReadPauseSlots(LPCWSTR pszIniPath)
{
    UINT uValue = GetPrivateProfileIntW(OPTIONS_SECTION, KEY_PAUSE_SLOTS, PAUSE_SLOTS_DEFAULT, pszIniPath);
    return uValue & ~PAUSE_SLOTS_ALL ? PAUSE_SLOTS_DEFAULT : uValue;
}

void ReadOptionsFrom(LPCWSTR pszIniPath, APP_OPTIONS *pOptions)
{
    pOptions->bInitSet = ReadSwitch(KEY_INIT_SET, DEFAULT_INIT_SET, pszIniPath);
    GetPrivateProfileStringW(OPTIONS_SECTION, KEY_SETTING_FILENAME, L"", pOptions->szSettingFilename,
                             MAX_PATH, pszIniPath);
    pOptions->bConnect = ReadSwitch(KEY_CONNECT, DEFAULT_CONNECT, pszIniPath);
    pOptions->dwTimeout = ReadTimeout(pszIniPath);
    pOptions->bProgramSets = ReadSwitch(KEY_PROGRAM_SETS, DEFAULT_PROGRAM_SETS, pszIniPath);
    pOptions->bHighlightPressed = ReadSwitch(KEY_HIGHLIGHT_PRESSED, DEFAULT_HIGHLIGHT_PRESSED, pszIniPath);
    pOptions->bImmediateReaction = ReadSwitch(KEY_IMMEDIATE_REACTION, DEFAULT_IMMEDIATE_REACTION, pszIniPath);
    pOptions->bAutoConnect = ReadSwitch(KEY_AUTO_CONNECT, DEFAULT_AUTO_CONNECT, pszIniPath);
    pOptions->bCloseToTray = ReadSwitch(KEY_CLOSE_TO_TRAY, DEFAULT_CLOSE_TO_TRAY, pszIniPath);
    pOptions->bStartInTray = ReadSwitch(KEY_START_IN_TRAY, DEFAULT_START_IN_TRAY, pszIniPath);
    pOptions->dwPauseSlots = ReadPauseSlots(pszIniPath);
}

static void WriteNumber(LPCWSTR pszKey, int nValue, LPCWSTR pszIniPath)
{
    WCHAR szNumber[NUMBER_CHARS];
    swprintf(szNumber, NUMBER_CHARS, L"%d", nValue);
    WritePrivateProfileStringW(OPTIONS_SECTION, pszKey, szNumber, pszIniPath);
}

void WriteOptionsTo(LPCWSTR pszIniPath, const APP_OPTIONS *pOptions)
{
    MakeUnicodeFile(pszIniPath);
    WriteNumber(KEY_INIT_SET, pOptions->bInitSet, pszIniPath);
    WritePrivateProfileStringW(OPTIONS_SECTION, KEY_SETTING_FILENAME, pOptions->szSettingFilename, pszIniPath);
    WriteNumber(KEY_CONNECT, pOptions->bConnect, pszIniPath);
    WriteNumber(KEY_TIMEOUT, (int)pOptions->dwTimeout, pszIniPath);
    WriteNumber(KEY_PROGRAM_SETS, pOptions->bProgramSets, pszIniPath);
    WriteNumber(KEY_HIGHLIGHT_PRESSED, pOptions->bHighlightPressed, pszIniPath);
    WriteNumber(KEY_IMMEDIATE_REACTION, pOptions->bImmediateReaction, pszIniPath);
    WriteNumber(KEY_AUTO_CONNECT, pOptions->bAutoConnect, pszIniPath);
    WriteNumber(KEY_CLOSE_TO_TRAY, pOptions->bCloseToTray, pszIniPath);
    WriteNumber(KEY_START_IN_TRAY, pOptions->bStartInTray, pszIniPath);
    WriteNumber(KEY_PAUSE_SLOTS, (int)pOptions->dwPauseSlots, pszIniPath);
}

void ReadOptions(APP_OPTIONS *pOptions)
{
    WCHAR szPath[OPTIONS_PATH_CHARS];
    GetOptionsFilePath(szPath);
    ReadOptionsFrom(szPath, pOptions);
}

void WriteOptions(const APP_OPTIONS *pOptions)
{
    WCHAR szPath[OPTIONS_PATH_CHARS];
    GetOptionsFilePath(szPath);
    WriteOptionsTo(szPath, pOptions);
}
