/* slot_button.cpp - mouse gestures of the slot buttons. A slot button never takes the
 * focus or the capture: without capture, WM_MOUSELEAVE tells that the cursor left the
 * pressed button (a drag), and the release arrives at the button under the cursor. */
#include "slot_button.h"

#include "app.h"
#include "pages.h"
#include "resource.h"

PAGE_STATE g_PageState;

ASSIGNMENT *EntryOfButton(HWND hButton)
{
    return (ASSIGNMENT *)GetWindowLongPtrW(hButton, GWLP_USERDATA);
}

static void RepaintButton(HWND hButton)
{
    if (hButton)
        InvalidateRect(hButton, NULL, FALSE);
}

/* Stops waiting for the pressed button's WM_MOUSELEAVE; returns that button. */
static HWND CancelLeaveRequest(void)
{
    TRACKMOUSEEVENT cancel = g_PageState.leave;
    if (cancel.hwndTrack) {
        cancel.cbSize = sizeof(cancel);
        cancel.dwFlags = TME_CANCEL | TME_LEAVE;
        TrackMouseEvent(&cancel);
    }
    g_PageState.leave.hwndTrack = NULL;  /* a leave already queued is no drag any more */
    return cancel.hwndTrack;
}

static void OnButtonDown(HWND hButton)
{
    /* A drag still marked here ended off the buttons: it took nothing a paste could use. */
    if (g_PageState.bDragging)
        g_PageState.pSource = NULL;
    g_PageState.bDragging = 0;
    g_PageState.leave.cbSize = sizeof(g_PageState.leave);
    g_PageState.leave.dwFlags = TME_LEAVE;
    g_PageState.leave.hwndTrack = hButton;
    g_PageState.leave.dwHoverTime = 0;
    TrackMouseEvent(&g_PageState.leave);
}

static void OnMouseLeave(HWND hButton)
{
    if (hButton != g_PageState.leave.hwndTrack)
        return;
    g_PageState.pSource = EntryOfButton(hButton);
    g_PageState.bDragging = 1;
}

static void OnLeftButtonUp(HWND hButton)
{
    HWND hPressed = CancelLeaveRequest();
    if (!g_PageState.bDragging) {
        PostMessageW(GetParent(hButton), WM_COMMAND, (WPARAM)GetDlgCtrlID(hButton), (LPARAM)hButton);
        return;
    }
    if (!g_PageState.pSource)
        return;
    int bChanged = EntryOfButton(hButton) != g_PageState.pSource;  /* dropped back on itself: no edit */
    SwapEntries(EntryOfButton(hButton), g_PageState.pSource);
    RepaintButton(hPressed);
    RepaintButton(hButton);
    g_PageState.pSource = NULL;
    g_PageState.bDragging = 0;
    if (bChanged)
        MarkModified();
}

static void OnRightButtonUp(HWND hButton)
{
    HWND hPressed = CancelLeaveRequest();
    POINT pt;
    GetCursorPos(&pt);
    if (!g_PageState.bDragging) {
        ShowSlotMenu(hButton, pt);
        return;
    }
    if (!g_PageState.pSource)
        return;
    g_PageState.hSourceButton = hPressed;
    ShowDragMenu(hButton, pt);
    g_PageState.bDragging = 0;
}

LRESULT CALLBACK AssignButtonProc(HWND hButton, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: OnButtonDown(hButton); return 0;
    case WM_MOUSELEAVE:  OnMouseLeave(hButton); return 0;
    case WM_LBUTTONUP:   OnLeftButtonUp(hButton); return 0;
    case WM_RBUTTONUP:   OnRightButtonUp(hButton); return 0;
    }
    if (!g_PageState.pfnButtonProc)
        return DefWindowProcW(hButton, uMsg, wParam, lParam);
    return CallWindowProcW(g_PageState.pfnButtonProc, hButton, uMsg, wParam, lParam);
}
