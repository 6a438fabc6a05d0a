/*
 * options.cpp - reading and writing option.ini through the private-profile functions.
 */
#include "options.h"

#include <shlwapi.h>
#include <stdio.h>

static const WCHAR OPTIONS_FILE_NAME[] = L"option.ini";
static const WCHAR OPTIONS_SECTION[] = L"option";
static const WCHAR KEY_INIT_SET[] = L"bInitSet";
static const WCHAR KEY_SETTING_FILENAME[] = L"szSettingFilename";
static const WCHAR KEY_CONNECT[] = L"bConnect";
static const WCHAR KEY_TIMEOUT[] = L"dwTimeout";
static const WCHAR KEY_AUTO_CONNECT[] = L"bAutoConnect";
static const WCHAR KEY_CLOSE_TO_TRAY[] = L"bCloseToTray";
static const WCHAR KEY_START_IN_TRAY[] = L"bStartInTray";

/* Room for "%d" of any 32-bit value. */
#define NUMBER_CHARS 16

void GetOptionsFilePath(WCHAR *pszPath)
{
    DWORD cch = GetModuleFileNameW(NULL, pszPath, OPTIONS_PATH_CHARS);
    if (cch == 0 || cch >= OPTIONS_PATH_CHARS)
        pszPath[0] = L'\0';
    PathRemoveFileSpecW(pszPath);
    PathAddBackslashW(pszPath);
    lstrcatW(pszPath, OPTIONS_FILE_NAME);
}

void ReadOptionsFrom(LPCWSTR pszIniPath, APP_OPTIONS *pOptions)
{
    pOptions->bInitSet = (int)GetPrivateProfileIntW(OPTIONS_SECTION, KEY_INIT_SET, DEFAULT_INIT_SET, pszIniPath);
    GetPrivateProfileStringW(OPTIONS_SECTION, KEY_SETTING_FILENAME, L"", pOptions->szSettingFilename,
                             MAX_PATH, pszIniPath);
    pOptions->bConnect = (int)GetPrivateProfileIntW(OPTIONS_SECTION, KEY_CONNECT, DEFAULT_CONNECT, pszIniPath);
    pOptions->dwTimeout = GetPrivateProfileIntW(OPTIONS_SECTION, KEY_TIMEOUT, DEFAULT_TIMEOUT_MS, pszIniPath);
    pOptions->bAutoConnect =
        (int)GetPrivateProfileIntW(OPTIONS_SECTION, KEY_AUTO_CONNECT, DEFAULT_AUTO_CONNECT, pszIniPath);
    pOptions->bCloseToTray =
        (int)GetPrivateProfileIntW(OPTIONS_SECTION, KEY_CLOSE_TO_TRAY, DEFAULT_CLOSE_TO_TRAY, pszIniPath);
    pOptions->bStartInTray =
        (int)GetPrivateProfileIntW(OPTIONS_SECTION, KEY_START_IN_TRAY, DEFAULT_START_IN_TRAY, pszIniPath);
}

static void WriteNumber(LPCWSTR pszKey, int nValue, LPCWSTR pszIniPath)
{
    WCHAR szNumber[NUMBER_CHARS];
    swprintf(szNumber, NUMBER_CHARS, L"%d", nValue);
    WritePrivateProfileStringW(OPTIONS_SECTION, pszKey, szNumber, pszIniPath);
}

void WriteOptionsTo(LPCWSTR pszIniPath, const APP_OPTIONS *pOptions)
{
    WriteNumber(KEY_INIT_SET, pOptions->bInitSet, pszIniPath);
    WritePrivateProfileStringW(OPTIONS_SECTION, KEY_SETTING_FILENAME, pOptions->szSettingFilename, pszIniPath);
    WriteNumber(KEY_CONNECT, pOptions->bConnect, pszIniPath);
    WriteNumber(KEY_TIMEOUT, (int)pOptions->dwTimeout, pszIniPath);
    WriteNumber(KEY_AUTO_CONNECT, pOptions->bAutoConnect, pszIniPath);
    WriteNumber(KEY_CLOSE_TO_TRAY, pOptions->bCloseToTray, pszIniPath);
    WriteNumber(KEY_START_IN_TRAY, pOptions->bStartInTray, pszIniPath);
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
