/* status_bar.cpp - the two parts of the status bar: connection text and battery. */
#include <windows.h>

#include <commctrl.h>
#include <stdio.h>

#include "connection.h"
#include "main_handlers.h"
#include "pages.h"
#include "program_state.h"
#include "remote_link.h"
#include "resource.h"
#include "texts.h"
#include "tray.h"

#define BATTERY_TEXT_CHARS 30
#define BATTERY_OK_COLOUR  0x00000000
#define BATTERY_LOW_COLOUR 0x000000FF
#define BATTERY_FULL_LEVEL 0xC8
#define PERCENT_FULL       100

int BatteryPercent(int nLevel)
{
    if (nLevel <= 0)
        return 0;
    int nPercent = nLevel * PERCENT_FULL / BATTERY_FULL_LEVEL;
    return nPercent > PERCENT_FULL ? PERCENT_FULL : nPercent;
}

void RefreshBatteryPart(void)
{
    if (g_State.nSelectedRemote != -1) {
        int nLevel, bOk;
        if (ReadRemoteBattery(g_State.nSelectedRemote, &nLevel, &bOk))
            g_State.nBatteryLevel = nLevel;
    }
    SendMessageW(g_App.hStatus, SB_SETTEXTW, STATUS_PART_BATTERY | SBT_OWNERDRAW, (LPARAM)L"");
    RefreshRemoteInfo();
    UpdateTrayTip();
}

/* The colour follows the remote's low-battery report; when the status cannot be read
 * nothing says the battery is low, so the text stays black. */
int GetBatteryPartLook(WCHAR *pszText, int cchText, COLORREF *pcrText)
{
    pszText[0] = L'\0';
    *pcrText = BATTERY_OK_COLOUR;
    if (g_State.nSelectedRemote == -1)
        return 0;
    int nLevel, bOk;
    if (ReadRemoteBattery(g_State.nSelectedRemote, &nLevel, &bOk) && !bOk)
        *pcrText = BATTERY_LOW_COLOUR;
    int cch = cchText < BATTERY_TEXT_CHARS ? cchText : BATTERY_TEXT_CHARS;
    /* Two tabs put the text at the right edge of the part. */
    WCHAR szFormat[BATTERY_TEXT_CHARS];
    lstrcpynW(pszText, L"\t\t", cch);
    if (g_State.nBatteryLevel)
        _snwprintf(pszText + 2, cch - 2, LoadText(IDS_BATTERY_PART, szFormat, BATTERY_TEXT_CHARS),
                   BatteryPercent(g_State.nBatteryLevel));
    else
        LoadText(IDS_BATTERY_EMPTY, pszText + 2, cch - 2);
    pszText[cch - 1] = L'\0';
    return 1;
}

void OnDrawItem(const DRAWITEMSTRUCT *pItem)
{
    if (!pItem || pItem->hwndItem != g_App.hStatus || pItem->itemID != STATUS_PART_BATTERY)
        return;
    WCHAR szText[BATTERY_TEXT_CHARS];
    COLORREF crText;
    if (!GetBatteryPartLook(szText, BATTERY_TEXT_CHARS, &crText))
        return;
    SetBkMode(pItem->hDC, TRANSPARENT);
    SetTextColor(pItem->hDC, crText);
    RECT rc = pItem->rcItem;
    /* The tabs of the text would show as boxes unless expanded; DT_BOTTOM needs one line. */
    DrawTextW(pItem->hDC, szText, -1, &rc, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE | DT_EXPANDTABS);
}


void FormatConnectionText(WCHAR *pszText, int cchText, int nExtensionKind)
{
    if (nExtensionKind < 0) {
        LoadText(IDS_NOT_CONNECTED, pszText, cchText);
        return;
    }
    LoadText(IDS_REMOTE, pszText, cchText);
    /* No extension adds nothing; an unknown kind is not named. */
    if (nExtensionKind == 0 || nExtensionKind >= IDS_EXTENSION_COUNT)
        return;
    lstrcpynW(pszText + lstrlenW(pszText), L" + ", cchText - lstrlenW(pszText));
    int cchUsed = lstrlenW(pszText);
    if (cchUsed < cchText - 1)
        LoadText(IDS_EXTENSION_FIRST + nExtensionKind, pszText + cchUsed, cchText - cchUsed);
}
