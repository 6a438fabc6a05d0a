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
    ofn.Flags = OFN_HIDEREADONLY | (bSave ? 0 : OFN_FILEMUSTEXIST);
    return (bSave ? g_pfnSave : g_pfnOpen)(&ofn) ? 1 : 0;
}
