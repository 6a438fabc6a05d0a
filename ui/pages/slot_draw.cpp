/* slot_draw.cpp - the look of a slot button: kind glyph, short description, black frame,
 * and a highlighted fill while the remote's input of the slot is pressed. It looks the
 * same whatever the mouse does: no pressed, focused or hot state. */
#include "slot_button.h"

#include <shlwapi.h>

#include "app.h"
#include "key_text.h"
#include "pages.h"
#include "pointer.h"
#include "press_mode.h"
#include "resource.h"
#include "texts.h"

/* Long enough for any mouse action name and a file name. */
#define SLOT_TEXT_CHARS MAX_PATH
/* A light orange the black text and the glyphs stay readable on. */
#define PRESSED_FILL_COLOUR RGB(255, 200, 80)

int EffectiveKind(const ASSIGNMENT *pAssign)
{
    if (pAssign->nKind >= ASSIGN_KINDS)
        return ASSIGN_DISABLED;
    if (pAssign->nKind == ASSIGN_MOUSE && pAssign->nMouseAction >= MOUSE_ACTIONS)
        return ASSIGN_DISABLED;
    return pAssign->nKind;
}

/* A turbo or toggle slot says so after its action. */
static void AppendModeText(const ASSIGNMENT *pAssign, WCHAR *pszText)
{
    if (!TakesPressMode(pAssign) || pAssign->nPressMode == PRESS_NORMAL)
        return;
    int cch = lstrlenW(pszText);
    LoadText(pAssign->nPressMode == PRESS_TURBO ? IDS_SLOT_TURBO : IDS_SLOT_TOGGLE, pszText + cch,
             SLOT_TEXT_CHARS - cch);
}

/* A slot the set's pointer uses says so after everything else: its button does more. */
static void AppendPointerText(int nSlot, WCHAR *pszText)
{
    int nUse = PointerUseOfSlot(&g_CurrentSet, nSlot);
    if (nUse == POINTER_USE_NONE)
        return;
    int cch = lstrlenW(pszText);
    LoadText(nUse == POINTER_USE_HOLD ? IDS_SLOT_POINTER_HOLD : IDS_SLOT_OFFSCREEN, pszText + cch, SLOT_TEXT_CHARS - cch);
}

static void GetSlotText(const ASSIGNMENT *pAssign, int nKind, WCHAR *pszText)
{
    pszText[0] = L'\0';
    switch (nKind) {
    case ASSIGN_KEY:
        if (!FormatKeyText(pszText, pAssign))
            LoadText(IDS_NOT_SET, pszText, SLOT_TEXT_CHARS);
        break;
    case ASSIGN_MOUSE:
        LoadStringW(g_App.hInstance, IDS_MOUSE_ACTION_FIRST + pAssign->nMouseAction, pszText, SLOT_TEXT_CHARS);
        break;
    case ASSIGN_APPLICATION:
        if (pAssign->pszPath && pAssign->pszPath[0])
            lstrcpynW(pszText, PathFindFileNameW(pAssign->pszPath), SLOT_TEXT_CHARS);
        else
            LoadText(IDS_NOT_SET, pszText, SLOT_TEXT_CHARS);
        break;
    case ASSIGN_LAYER:
        LoadText(IDS_SLOT_LAYER, pszText, SLOT_TEXT_CHARS);
        break;
    default:
        LoadText(IDS_NOT_USED, pszText, SLOT_TEXT_CHARS);
        break;
    }
    if (nKind == ASSIGN_KEY || nKind == ASSIGN_MOUSE)
        AppendModeText(pAssign, pszText);
}

static void DrawKindGlyph(HDC hDC, int nKind, int nHeight)
{
    /* The layer kind has no glyph of its own. */
    if (nKind < 0 || nKind >= (int)(sizeof(g_App.ahKindBitmap) / sizeof(g_App.ahKindBitmap[0])))
        return;
    HBITMAP hBitmap = g_App.ahKindBitmap[nKind];
    if (!hBitmap)
        return;
    int m = (nHeight - 16) / 2;  /* equal left and top margins */
    HDC hMem = CreateCompatibleDC(hDC);
    HGDIOBJ hOld = SelectObject(hMem, hBitmap);
    BitBlt(hDC, m, m, 16, 16, hMem, 0, 0, SRCCOPY);
    SelectObject(hMem, hOld);
    DeleteDC(hMem);
}

void DrawAssignButton(HWND hPage, const DRAWITEMSTRUCT *pItem)
{
    int nSlot = (int)pItem->CtlID - IDC_SLOT_FIRST;
    if (nSlot < 0 || nSlot >= ASSIGN_SLOTS)
        return;
    (void)hPage;
    const ASSIGNMENT *pAssign = EntryOfButton(pItem->hwndItem);
    if (!pAssign)
        return;
    int nKind = EffectiveKind(pAssign);
    HDC hDC = pItem->hDC;

    RECT rcClient;
    GetClientRect(pItem->hwndItem, &rcClient);
    int w = rcClient.right - rcClient.left, h = rcClient.bottom - rcClient.top;

    if (IsSlotShownPressed(nSlot)) {
        HBRUSH hPressed = CreateSolidBrush(PRESSED_FILL_COLOUR);
        FillRect(hDC, &pItem->rcItem, hPressed);
        DeleteObject(hPressed);
    } else {
        FillRect(hDC, &pItem->rcItem, (HBRUSH)GetStockObject(nKind == ASSIGN_DISABLED ? GRAY_BRUSH : WHITE_BRUSH));
    }
    DrawKindGlyph(hDC, nKind, h);

    WCHAR szText[SLOT_TEXT_CHARS];
    GetSlotText(pAssign, nKind, szText);
    AppendPointerText(nSlot, szText);
    int nOldMode = SetBkMode(hDC, TRANSPARENT);
    /* A layer switch shown in layer 2 is edited in layer 1. */
    COLORREF crOld = SetTextColor(hDC, (pItem->itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 0));
    HGDIOBJ hOldFont = g_App.hFont ? SelectObject(hDC, g_App.hFont) : NULL;
    RECT rcText = { 1, 1, w - 1, h - 1 };
    /* DT_BOTTOM takes effect only on a single line. */
    DrawTextW(hDC, szText, -1, &rcText, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
    if (hOldFont)
        SelectObject(hDC, hOldFont);
    SetTextColor(hDC, crOld);
    SetBkMode(hDC, nOldMode);

    HGDIOBJ hOldBrush = SelectObject(hDC, GetStockObject(NULL_BRUSH));
    HGDIOBJ hOldPen = SelectObject(hDC, GetStockObject(BLACK_PEN));
    Rectangle(hDC, pItem->rcItem.left, pItem->rcItem.top, pItem->rcItem.right, pItem->rcItem.bottom);
    SelectObject(hDC, hOldPen);
    SelectObject(hDC, hOldBrush);
}
