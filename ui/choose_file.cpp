/* choose_file.cpp - the system's open and save dialogs, behind a seam for the tests. */
#include "app.h"

static FILE_DIALOG_PROC g_pfnOpen = GetOpenFileNameW;
static FILE_DIALOG_PROC g_pfnSave = GetSaveFileNameW;

void SetFileDialogProcs(FILE_DIALOG_PROC pfnOpen, FILE_DIALOG_PROC pfnSave)
{
    g_pfnOpen = pfnOpen ? pfnOpen : GetOpenFileNameW;
    g_pfnSave = pfnSave ? pfnSave : GetSaveFileNameW;
}

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
    if (!(bSave ? g_pfnSave : g_pfnOpen)(&ofn))
        return 0;
    WCHAR szFull[MAX_PATH];
    DWORD cch = GetFullPathNameW(pszFile, MAX_PATH, szFull, NULL);
    if (cch == 0 || cch >= MAX_PATH)
        return 0;
    lstrcpyW(pszFile, szFull);
    return 1;
}
