/* texts.cpp - the string table's texts as the window's code needs them. */
#include "app.h"
#include "resource.h"
#include "texts.h"

LPCWSTR LoadText(UINT uId, WCHAR *pszText, int cchText)
{
    if (LoadStringW(g_App.hInstance, uId, pszText, cchText) <= 0)
        pszText[0] = L'\0';
    return pszText;
}

int LoadStateText(int bHolds, UINT uId, WCHAR *pszText, int cchText)
{
    return bHolds && LoadStringW(g_App.hInstance, uId, pszText, cchText) > 0;
}

/* A string table entry cannot hold the NULs between a filter's parts: '|' stands for them. */
LPCWSTR LoadFilter(UINT uId, WCHAR *pszFilter, int cchFilter)
{
    ZeroMemory(pszFilter, cchFilter * sizeof(WCHAR));
    LoadStringW(g_App.hInstance, uId, pszFilter, cchFilter - 1);
    for (WCHAR *p = pszFilter; *p; p++)
        if (*p == L'|')
            *p = L'\0';
    return pszFilter;
}
