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
static const WCHAR KEY_HIGHLIGHT_PRESSED[] = L"bHighlightPressed";
static const WCHAR KEY_IMMEDIATE_REACTION[] = L"bImmediateReaction";

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
    pOptions->bHighlightPressed = (int)GetPrivateProfileIntW(OPTIONS_SECTION, KEY_HIGHLIGHT_PRESSED,
                                                             DEFAULT_HIGHLIGHT_PRESSED, pszIniPath);
    pOptions->bImmediateReaction = (int)GetPrivateProfileIntW(OPTIONS_SECTION, KEY_IMMEDIATE_REACTION,
                                                              DEFAULT_IMMEDIATE_REACTION, pszIniPath);
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
    WriteNumber(KEY_HIGHLIGHT_PRESSED, pOptions->bHighlightPressed, pszIniPath);
    WriteNumber(KEY_IMMEDIATE_REACTION, pOptions->bImmediateReaction, pszIniPath);
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
