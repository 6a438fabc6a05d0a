/* message_box.cpp - every blocking message box of the window goes through one seam. */
#include "app.h"

static MESSAGE_BOX_PROC g_pfnMessageBox = MessageBoxW;

int ShowMessageBox(HWND hOwner, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType)
{
    return g_pfnMessageBox(hOwner, pszText, pszCaption, uType);
}

void SetMessageBoxProc(MESSAGE_BOX_PROC pfnMessageBox)
{
    g_pfnMessageBox = pfnMessageBox ? pfnMessageBox : MessageBoxW;
}
