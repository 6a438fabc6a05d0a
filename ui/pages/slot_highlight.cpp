/* slot_highlight.cpp - slot buttons whose input is pressed are drawn highlighted, so the
 * user sees which button is which while setting up; run or stopped alike. */
#include "app.h"
#include "engine.h"
#include "pages.h"
#include "program_state.h"
#include "remote_link.h"
#include "resource.h"
#include "tavel.h"

/* Pages that hold slot buttons: the remote, the Nunchuk and the Classic Controller. */
#define SLOT_PAGES 3

typedef struct SLOT_HIGHLIGHT {
    BYTE abPressed[ASSIGN_SLOTS];   /* as last drawn */
} SLOT_HIGHLIGHT;

static SLOT_HIGHLIGHT g_Highlight;

int IsSlotShownPressed(int nSlot)
{
    return nSlot >= 0 && nSlot < ASSIGN_SLOTS && g_Highlight.abPressed[nSlot];
}

static void InvalidateSlotButton(int nSlot)
{
    for (int i = 0; i < SLOT_PAGES; i++) {
        HWND hButton = g_App.ahPage[i] ? GetDlgItem(g_App.ahPage[i], IDC_SLOT_FIRST + nSlot) : NULL;
        if (hButton)
            InvalidateRect(hButton, NULL, FALSE);
    }
}

void RefreshSlotHighlight(void)
{
    WM_KEY key;
    WM_KEYEX keyEx;
    ReadLatestCopies(&key, &keyEx);
    int bShow = g_Options.bHighlightPressed && g_State.nSelectedRemote >= 0;
    int nExtensionKind = g_State.nExtensionKind;
    for (int nSlot = 0; nSlot < ASSIGN_SLOTS; nSlot++) {
        BYTE bPressed = (BYTE)(bShow && IsSlotEvaluated(nSlot, nExtensionKind) &&
                               GetSlotValue(nSlot, &key, &keyEx) != 0);
        if (bPressed == g_Highlight.abPressed[nSlot])
            continue;
        g_Highlight.abPressed[nSlot] = bPressed;
        InvalidateSlotButton(nSlot);
    }
}

/* Stop turns the remote's reports off only when nothing shows them. */
int WantsInputWhileStopped(void)
{
    return g_Options.bHighlightPressed != 0;
}

void ApplyViewOptions(void)
{
    InterlockedExchange(&g_State.bImmediateReaction, g_Options.bImmediateReaction != 0);
    InterlockedExchange(&g_State.nPauseSlots, (LONG)g_Options.dwPauseSlots);
    int nSlot = g_State.nSelectedRemote;
    if (nSlot >= 0 && !g_State.bRunning) {
        SetRemotePolling(nSlot, WantsInputWhileStopped());
    }
    RefreshSlotHighlight();
}
