/* page_remote_info.cpp - the options page's lines on the remote in use: battery and extension. */
#include <stdio.h>

#include "app.h"
#include "pages.h"
#include "program_state.h"
#include "resource.h"
#include "texts.h"

#define INFO_TEXT_CHARS 64

void FormatRemoteInfo(WCHAR *pszBattery, WCHAR *pszExtension)
{
    if (g_State.nSelectedRemote < 0) {
        LoadText(IDS_REMOTE_NONE, pszBattery, INFO_TEXT_CHARS);
        LoadText(IDS_REMOTE_NONE, pszExtension, INFO_TEXT_CHARS);
        return;
    }
    if (g_State.nBatteryLevel) {
        WCHAR szFormat[INFO_TEXT_CHARS];
        LoadText(IDS_BATTERY_PERCENT, szFormat, INFO_TEXT_CHARS);
        _snwprintf(pszBattery, INFO_TEXT_CHARS, szFormat, BatteryPercent(g_State.nBatteryLevel));
        pszBattery[INFO_TEXT_CHARS - 1] = L'\0';
    } else {
        LoadText(IDS_BATTERY_EMPTY, pszBattery, INFO_TEXT_CHARS);
    }
    int nKind = g_State.nExtensionKind;
    LoadText(IDS_EXTENSION_FIRST + (nKind >= 0 && nKind < IDS_EXTENSION_COUNT ? nKind : 0), pszExtension,
             INFO_TEXT_CHARS);
}

void RefreshRemoteInfo(void)
{
    HWND hPage = g_App.ahPage[PAGE_OPTIONS];
    if (!hPage)
        return;
    WCHAR szBattery[INFO_TEXT_CHARS], szExtension[INFO_TEXT_CHARS];
    FormatRemoteInfo(szBattery, szExtension);
    SetDlgItemTextW(hPage, IDC_REMOTE_BATTERY, szBattery);
    SetDlgItemTextW(hPage, IDC_REMOTE_EXTENSION, szExtension);
}
