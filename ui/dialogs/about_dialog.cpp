/* about_dialog.cpp - dialog 103: the program's icon and the library's version. */
#include <stdio.h>

#include "app.h"
#include "dialogs.h"
#include "remote_link.h"
#include "resource.h"

#define VERSION_TEXT_CHARS 30

static BOOL OnInitDialog(HWND hDlg, ABOUT_DIALOG *pAbout)
{
    SetWindowLongPtrW(hDlg, DWLP_USER, (LONG_PTR)pAbout);
    if (pAbout) {
        /* A private copy, so releasing it at the end is the dialog's to do. */
        pAbout->hIcon = (HICON)LoadImageW(g_App.hInstance, MAKEINTRESOURCEW(IDI_ZAN), IMAGE_ICON, 0, 0,
                                          LR_DEFAULTSIZE);
        SendDlgItemMessageW(hDlg, IDC_ABOUT_ICON, STM_SETICON, (WPARAM)pAbout->hIcon, 0);
    }
    DWORD v = GetLibraryVersion();
    WCHAR szVersion[VERSION_TEXT_CHARS];
    _snwprintf(szVersion, VERSION_TEXT_CHARS, L"tavel v%d.%02d.%02d",
               (int)((v >> 8) & 0xFF), (int)((v >> 16) & 0xFF), (int)(v >> 24));
    szVersion[VERSION_TEXT_CHARS - 1] = L'\0';
    SendDlgItemMessageW(hDlg, IDC_LIBRARY_VERSION, WM_SETTEXT, 0, (LPARAM)szVersion);
    return TRUE;
}

static BOOL OnCommand(HWND hDlg, UINT uCommand)
{
    if (uCommand != IDOK && uCommand != IDCANCEL)
        return FALSE;
    ABOUT_DIALOG *pAbout = (ABOUT_DIALOG *)GetWindowLongPtrW(hDlg, DWLP_USER);
    EndDialog(hDlg, uCommand);
    if (pAbout && pAbout->hIcon) {
        DestroyIcon(pAbout->hIcon);
        pAbout->hIcon = NULL;
    }
    return TRUE;
}

INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_INITDIALOG: return OnInitDialog(hDlg, (ABOUT_DIALOG *)lParam);
    case WM_COMMAND:    return OnCommand(hDlg, LOWORD(wParam));
    }
    return FALSE;
}
