/* slot_menu.cpp - the slot menu and the drag menu of menu 131, and paste. */
#include "slot_button.h"

#include "app.h"
#include "resource.h"
#include "ui_seam.h"


static int RunPopup(int nPopup, HWND hOwner, POINT pt, int bCanPaste)
{
    HMENU hMenu = LoadMenuW(g_App.hInstance, MAKEINTRESOURCEW(IDR_SLOT_MENU));
    if (!hMenu)
        return 0;
    int nCommand = 0;
    HMENU hPopup = GetSubMenu(hMenu, nPopup);
    if (hPopup) {
        if (nPopup == SLOT_MENU_POPUP) {
            EnableMenuItem(hPopup, ID_SLOT_PASTE, MF_BYCOMMAND | (bCanPaste ? MF_ENABLED : MF_GRAYED));
            /* Only a layer-1 entry switches layers. */
            EnableMenuItem(hPopup, ID_SLOT_KIND_LAYER, MF_BYCOMMAND | (g_App.nShownLayer == 0 ? MF_ENABLED : MF_GRAYED));
        }
        nCommand = g_UiSeam.pfnTrackMenu(hPopup, pt.x, pt.y, hOwner);
    }
    DestroyMenu(hMenu);
    return nCommand;
}

static void Repaint(HWND hButton)
{
    if (hButton)
        InvalidateRect(hButton, NULL, FALSE);
}

static void PasteOnto(HWND hTarget)
{
    ASSIGNMENT *pTarget = EntryOfButton(hTarget);
    int bOntoItself = pTarget == g_PageState.pSource;  /* changes nothing */
    switch (g_PageState.nPendingOp) {
    case ID_SLOT_SWAP:
        if (!g_PageState.pSource)
            return;
        SwapEntries(pTarget, g_PageState.pSource);
        Repaint(g_PageState.hSourceButton);
        Repaint(hTarget);
        g_PageState.pSource = NULL;  /* consumed: paste is greyed until a slot is taken again */
        if (!bOntoItself)
            MarkModified();
        break;
    case ID_SLOT_COPY:
        if (!g_PageState.pSource || bOntoItself || !CopyEntry(pTarget, g_PageState.pSource))
            return;
        Repaint(hTarget);
        MarkModified();
        break;
    }
}

static void TakeSource(HWND hButton, int nOperation)
{
    g_PageState.nPendingOp = nOperation;
    g_PageState.pSource = EntryOfButton(hButton);
    g_PageState.hSourceButton = hButton;
}

static void ChangeKind(HWND hButton, BYTE nKind)
{
    SetEntryKind(EntryOfButton(hButton), nKind);
    Repaint(hButton);
    MarkModified();
}

static void DeleteSlot(HWND hButton)
{
    ClearEntry(EntryOfButton(hButton));
    Repaint(hButton);
    MarkModified();
}

void ShowSlotMenu(HWND hButton, POINT ptScreen)
{
    switch (RunPopup(SLOT_MENU_POPUP, hButton, ptScreen, g_PageState.pSource != NULL)) {
    case ID_SLOT_SWAP:             TakeSource(hButton, ID_SLOT_SWAP); break;
    case ID_SLOT_COPY:             TakeSource(hButton, ID_SLOT_COPY); break;
    case ID_SLOT_DELETE:           DeleteSlot(hButton); break;
    case ID_SLOT_KIND_KEY:         ChangeKind(hButton, ASSIGN_KEY); break;
    case ID_SLOT_KIND_MOUSE:       ChangeKind(hButton, ASSIGN_MOUSE); break;
    case ID_SLOT_KIND_APPLICATION: ChangeKind(hButton, ASSIGN_APPLICATION); break;
    case ID_SLOT_KIND_LAYER:       if (g_App.nShownLayer == 0) ChangeKind(hButton, ASSIGN_LAYER); break;
    case ID_SLOT_KIND_DISABLED:    ChangeKind(hButton, ASSIGN_DISABLED); break;
    case ID_SLOT_PASTE:            PasteOnto(hButton); break;
    }
}

void ShowDragMenu(HWND hButton, POINT ptScreen)
{
    g_PageState.nPendingOp = RunPopup(DRAG_MENU_POPUP, hButton, ptScreen, 1);
    if (!g_PageState.nPendingOp)
        g_PageState.pSource = NULL;  /* dismissed: the drag took nothing */
    PasteOnto(hButton);
}
