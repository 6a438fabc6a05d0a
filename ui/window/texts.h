/* texts.h - the string table's texts as the window's code needs them. UI thread only. */
#ifndef ZAN_TEXTS_H
#define ZAN_TEXTS_H

#include <windows.h>

/* UI_TEXT_CHARS holds any text of the table; a missing one is empty. */
#define UI_TEXT_CHARS 256
LPCWSTR LoadText(UINT uId, WCHAR *pszText, int cchText);
/* The text of a state that may or may not hold (a pause, blocked input): 1 with the text
 * while bHolds, 0 otherwise or when the table lacks it. */
int LoadStateText(int bHolds, UINT uId, WCHAR *pszText, int cchText);
/* A file dialog's filter, its parts separated by '|' in the table. */
LPCWSTR LoadFilter(UINT uId, WCHAR *pszFilter, int cchFilter);

#endif
