/* message_box.cpp - every blocking message box of the window goes through one seam. */
#include "app.h"
#include "ui_seam.h"

int ShowMessageBox(HWND hOwner, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType)
{
    return g_UiSeam.pfnMessageBox(hOwner, pszText, pszCaption, uType);
}
