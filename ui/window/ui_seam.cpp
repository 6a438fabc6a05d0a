/* ui_seam.cpp - the real calls behind the window's edge. */
#include "ui_seam.h"

#include "input_blocked.h"

/* The slot menus and the icon's menu alike: either mouse button picks an item. */
static int TrackWithSystemMenu(HMENU hMenu, int x, int y, HWND hOwner)
{
    return (int)TrackPopupMenu(hMenu, TPM_NOANIMATION | TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, hOwner, NULL);
}

static const UI_SEAM g_RealUiSeam = { MessageBoxW, GetOpenFileNameW, GetSaveFileNameW, MessageBeep,
                                      TrackWithSystemMenu, Shell_NotifyIconW, QueryWindowElevation,
                                      QuerySelfElevation, ShutdownBlockReasonCreate,
                                      ShutdownBlockReasonDestroy, ChangeWindowMessageFilterEx };

UI_SEAM g_UiSeam = g_RealUiSeam;

void SetUiSeam(const UI_SEAM *pSeam)
{
    g_UiSeam = pSeam ? *pSeam : g_RealUiSeam;
}
