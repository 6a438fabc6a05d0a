/* choose_file.cpp - the system's open and save dialogs, behind a seam for the tests. */
#include "app.h"
#include "ui_seam.h"

int ChooseFile(LPWSTR pszFileTitle, LPWSTR pszFile, LPCWSTR pszFilter, LPCWSTR pszTitle, int bSave)
{
    pszFileTitle[0] = L'\0';
    pszFile[0] = L'\0';
    OPENFILENAMEW ofn;
    ZeroMemory(&ofn, sizeof(ofn));
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = NULL;
    ofn.lpstrFilter = pszFilter;
    ofn.lpstrFile = pszFile;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrFileTitle = pszFileTitle;
    ofn.nMaxFileTitle = MAX_PATH;
    ofn.lpstrTitle = pszTitle;
    /* The dialog would otherwise move the current directory to wherever the user browsed,
     * and a relative path named earlier would then point into that folder. */
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (bSave ? 0 : OFN_FILEMUSTEXIST);
    if (!(bSave ? g_UiSeam.pfnGetSaveFileName : g_UiSeam.pfnGetOpenFileName)(&ofn))
        return 0;
    WCHAR szFull[MAX_PATH];
    DWORD cch = GetFullPathNameW(pszFile, MAX_PATH, szFull, NULL);
    if (cch == 0 || cch >= MAX_PATH)
        return 0;
    lstrcpyW(pszFile, szFull);
    return 1;
}
