/* modal_ui.cpp - the owner and the count of every box and dialog that waits for the user. */
#include "modal_ui.h"

#include "app.h"
#include "texts.h"
#include "ui_seam.h"

/* A box without an owner would leave the main window enabled and usable beneath it. */
static HWND OwnerOrMain(HWND hOwner)
{
    return hOwner ? hOwner : g_App.hMainWnd;
}

int IsModalUiUp(void)
{
    return g_App.nModalDepth > 0;
}

void EnterModalUi(void)
{
    g_App.nModalDepth++;
}

void LeaveModalUi(void)
{
    if (g_App.nModalDepth > 0 && --g_App.nModalDepth == 0 && g_App.hMainWnd)
        PostMessageW(g_App.hMainWnd, WM_APP_MODAL_ENDED, 0, 0);
}

int ShowMessageBox(HWND hOwner, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType)
{
    EnterModalUi();
    int nAnswer = g_UiSeam.pfnMessageBox(OwnerOrMain(hOwner), pszText, pszCaption, uType);
    LeaveModalUi();
    return nAnswer;
}

int ShowTextBox(HWND hOwner, UINT uText, UINT uCaption, UINT uType)
{
    WCHAR szText[UI_TEXT_CHARS], szCaption[UI_TEXT_CHARS];
    return ShowMessageBox(hOwner, LoadText(uText, szText, UI_TEXT_CHARS), LoadText(uCaption, szCaption, UI_TEXT_CHARS),
                          uType);
}

INT_PTR RunModalDialog(UINT uDialogId, HWND hOwner, DLGPROC pfnDialog, LPARAM lParam)
{
    EnterModalUi();
    INT_PTR nResult = DialogBoxParamW(g_App.hInstance, MAKEINTRESOURCEW(uDialogId), OwnerOrMain(hOwner), pfnDialog,
                                      lParam);
    LeaveModalUi();
    return nResult;
}

int ChooseFile(HWND hOwner, LPWSTR pszFileTitle, LPWSTR pszFile, LPCWSTR pszFilter, LPCWSTR pszTitle, int bSave)
{
    pszFileTitle[0] = L'\0';
    pszFile[0] = L'\0';
    OPENFILENAMEW ofn;
    ZeroMemory(&ofn, sizeof(ofn));
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = OwnerOrMain(hOwner);
    ofn.lpstrFilter = pszFilter;
    ofn.lpstrFile = pszFile;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrFileTitle = pszFileTitle;
    ofn.nMaxFileTitle = MAX_PATH;
    ofn.lpstrTitle = pszTitle;
    /* The dialog would otherwise move the current directory to wherever the user browsed,
     * and a relative path named earlier would then point into that folder. */
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (bSave ? 0 : OFN_FILEMUSTEXIST);
    EnterModalUi();
    BOOL bChosen = (bSave ? g_UiSeam.pfnGetSaveFileName : g_UiSeam.pfnGetOpenFileName)(&ofn);
    LeaveModalUi();
    if (!bChosen)
        return 0;
    WCHAR szFull[MAX_PATH];
    DWORD cch = GetFullPathNameW(pszFile, MAX_PATH, szFull, NULL);
    if (cch == 0 || cch >= MAX_PATH)
        return 0;
    lstrcpyW(pszFile, szFull);
    return 1;
}
