/* launch_report.cpp - a failed application launch, reported by the engine thread and
 * shown here on the window thread, with no lock held, while the engine goes on. */
#include "main_handlers.h"
#include "modal_ui.h"
#include "resource.h"

typedef struct LAUNCH_REPORT {
    int bShowing;   /* a box is open: further failures meanwhile add no second one */
} LAUNCH_REPORT;

static LAUNCH_REPORT g_LaunchReport;

void OnLaunchFailed(HWND hWnd, int nSlot, INT_PTR nResult)
{
    /* The slot and ShellExecuteW's code come along; the user is shown the plain text. */
    (void)nSlot;
    (void)nResult;
    if (g_LaunchReport.bShowing)
        return;
    g_LaunchReport.bShowing = 1;
    ShowTextBox(hWnd, IDS_LAUNCH_FAILED, IDS_APP_TITLE, MB_OK | MB_ICONERROR);
    g_LaunchReport.bShowing = 0;
}
