/*
 * key_text.cpp - names of the keys that can be assigned.
 */
#include "key_text.h"

#include <stdio.h>

typedef struct KEY_NAME {
    WORD   wVk;
    LPCWSTR pszName;
} KEY_NAME;

static const KEY_NAME g_aKeyName[] = {
    { VK_BACK, L"BkSpace" },   { VK_TAB, L"Tab" },       { VK_RETURN, L"Enter" },
    { VK_SHIFT, L"Shift" },    { VK_CONTROL, L"Ctrl" },  { VK_MENU, L"Alt" },
    { VK_PAUSE, L"Pause" },    { VK_CAPITAL, L"CapsLock" }, { VK_ESCAPE, L"Esc" },
    { VK_SPACE, L"Space" },    { VK_LEFT, L"←" },        { VK_UP, L"↑" },
    { VK_RIGHT, L"→" },        { VK_DOWN, L"↓" },        { VK_SNAPSHOT, L"PrtSc" },
    { VK_INSERT, L"Insert" },  { VK_DELETE, L"Delete" }, { VK_NUMLOCK, L"NumLk" },
};

/* Function keys F1 to F24 are numbered from the code before F1. */
#define VK_BEFORE_F1 (VK_F1 - 1)

int GetKeyName(WORD wVk, WCHAR *pszName)
{
    if ((wVk >= '0' && wVk <= '9') || (wVk >= 'A' && wVk <= 'Z')) {
        pszName[0] = (WCHAR)wVk;
        pszName[1] = L'\0';
        return 1;
    }
    if (wVk >= VK_F1 && wVk <= VK_F24) {
        swprintf(pszName, KEY_NAME_CHARS, L"F%d", wVk - VK_BEFORE_F1);
        return 1;
    }
    for (const KEY_NAME &key : g_aKeyName) {
        if (key.wVk == wVk) {
            lstrcpynW(pszName, key.pszName, KEY_NAME_CHARS);
            return 1;
        }
    }
    return 0;
}

int FormatKeyText(WCHAR *pszText, const ASSIGNMENT *pAssign)
{
    if (pAssign->nKeyCount <= 0 || pAssign->nKeyCount > ASSIGN_MAX_KEYS)
        return 0;
    pszText[0] = L'\0';
    for (int i = 0; i < pAssign->nKeyCount; i++) {
        WCHAR szName[KEY_NAME_CHARS];
        if (!GetKeyName(pAssign->awKey[i], szName))
            return 0;
        lstrcatW(pszText, L"{");
        lstrcatW(pszText, szName);
        lstrcatW(pszText, L"}");
    }
    return 1;
}
