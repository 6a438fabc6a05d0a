/* status_bar.cpp - the two parts of the status bar: connection text and battery. */
#include <windows.h>

#include <commctrl.h>
#include <stdio.h>

#include "main_handlers.h"
#include "program_state.h"
#include "resident.h"
#include "tavel.h"

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
        WM_STATUS status;
        ZeroMemory(&status, sizeof(status));
        status.dwFlags = WMST_BATTERY;
        if (wm_GetStatus(g_State.nSelectedRemote, &status) == 1)
            g_State.nBatteryLevel = status.nBattery;
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
    WM_STATUS status;
    ZeroMemory(&status, sizeof(status));
    status.dwFlags = WMST_BATTERY;
    if (wm_GetStatus(g_State.nSelectedRemote, &status) == 1 && !status.bBatteryOk)
        *pcrText = BATTERY_LOW_COLOUR;
    int cch = cchText < BATTERY_TEXT_CHARS ? cchText : BATTERY_TEXT_CHARS;
    if (g_State.nBatteryLevel)
        _snwprintf(pszText, cch, L"\t\tバッテリー %d%%", BatteryPercent(g_State.nBatteryLevel));
    else
        lstrcpynW(pszText, L"\t\t電池切れ", cch);
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

static const LPCWSTR g_apszExtensionSuffix[] = {
    L"", L" + ヌンチャク", L" + クラシックコントローラ", L" + クラシックコントローラPRO",
};

void FormatConnectionText(WCHAR *pszText, int cchText, int nExtensionKind)
{
    if (nExtensionKind < 0) {
        lstrcpynW(pszText, L"Wiiリモコンと接続されていません", cchText);
        return;
    }
    lstrcpynW(pszText, L"Wiiリモコン", cchText);
    if (nExtensionKind < (int)(sizeof(g_apszExtensionSuffix) / sizeof(g_apszExtensionSuffix[0])))
        lstrcpynW(pszText + lstrlenW(pszText), g_apszExtensionSuffix[nExtensionKind],
                  cchText - lstrlenW(pszText));
}
