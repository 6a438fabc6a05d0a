/* layer_view.cpp - the switch above the tabs between the two layers the slot pages show and
 * edit. A layer slot switches in both layers, so in layer 2 its button stands for the slot
 * itself, greyed: it is edited in layer 1. */
#include "pages.h"

#include "app.h"
#include "resource.h"
#include "slot_button.h"
#include "texts.h"

#define LAYER_BUTTON_WIDTH  96
#define LAYER_BUTTON_HEIGHT 22
#define LAYER_BAR_GAP       4

static const struct { int nId; UINT uText; } g_aLayerButton[ASSIGN_LAYERS] = {
    { IDC_SHOW_LAYER1, IDS_SHOW_LAYER1 },
    { IDC_SHOW_LAYER2, IDS_SHOW_LAYER2 },
};

void CreateLayerSwitch(HWND hWnd)
{
    for (int i = 0; i < ASSIGN_LAYERS; i++) {
        WCHAR szText[UI_TEXT_CHARS];
        DWORD dwStyle = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | BS_PUSHLIKE | (i == 0 ? WS_GROUP : 0);
        g_App.ahLayerButton[i] = CreateWindowExW(0, L"BUTTON", LoadText(g_aLayerButton[i].uText, szText, UI_TEXT_CHARS),
                                                 dwStyle, 0, 0, LAYER_BUTTON_WIDTH, LAYER_BUTTON_HEIGHT, hWnd,
                                                 (HMENU)(INT_PTR)g_aLayerButton[i].nId, g_App.hInstance, NULL);
        SendMessageW(g_App.ahLayerButton[i], WM_SETFONT, (WPARAM)g_App.hFont, FALSE);
    }
    SendMessageW(g_App.ahLayerButton[g_App.nShownLayer], BM_SETCHECK, BST_CHECKED, 0);
}

int PlaceLayerSwitch(int x, int y)
{
    for (int i = 0; i < ASSIGN_LAYERS; i++)
        MoveWindow(g_App.ahLayerButton[i], x + i * LAYER_BUTTON_WIDTH, y, LAYER_BUTTON_WIDTH, LAYER_BUTTON_HEIGHT, TRUE);
    return LAYER_BUTTON_HEIGHT + LAYER_BAR_GAP;
}

ASSIGNMENT *ShownEntry(int nSlot)
{
    return ActingEntry(&g_CurrentSet, g_App.nShownLayer, nSlot);
}

int IsSlotEditable(int nSlot)
{
    return ShownEntry(nSlot) == LayerEntry(&g_CurrentSet, g_App.nShownLayer, nSlot);
}

void ShowLayer(int nLayer)
{
    if (nLayer < 0 || nLayer >= ASSIGN_LAYERS)
        return;
    for (int i = 0; i < ASSIGN_LAYERS; i++)
        SendMessageW(g_App.ahLayerButton[i], BM_SETCHECK, i == nLayer ? BST_CHECKED : BST_UNCHECKED, 0);
    if (nLayer == g_App.nShownLayer)
        return;
    g_App.nShownLayer = nLayer;
    /* What was taken for a paste belongs to the other layer. */
    g_PageState.pSource = NULL;
    RefreshPages();
    UpdateTitle();
}

int OnLayerSwitch(WPARAM wParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return 0;
    for (int i = 0; i < ASSIGN_LAYERS; i++)
        if (LOWORD(wParam) == g_aLayerButton[i].nId) {
            ShowLayer(i);
            return 1;
        }
    return 0;
}
