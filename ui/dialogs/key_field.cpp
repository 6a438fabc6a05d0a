/* key_field.cpp - the key field: shows captured keys and never typed characters;
 * a double click selects one key's "{...}" piece for Delete or BackSpace. */
#include "key_dialog.h"

#include "key_text.h"
#include "resource.h"

KEY_DIALOG *KeyDialogOfField(HWND hField)
{
    /* Any window of the thread may ask (the hook sees the file dialog and message boxes
     * too): only the subclassed key field's data is ours to read. */
    if (!hField || GetDlgCtrlID(hField) != IDC_KEY_FIELD ||
        (WNDPROC)GetWindowLongPtrW(hField, GWLP_WNDPROC) != KeyFieldProc)
        return NULL;
    KEY_DIALOG *pDialog = (KEY_DIALOG *)GetWindowLongPtrW(hField, GWLP_USERDATA);
    return pDialog && pDialog->hKeyField == hField ? pDialog : NULL;
}

void ShowKeyText(KEY_DIALOG *pDialog)
{
    WCHAR szText[KEY_TEXT_CHARS] = L"";
    FormatKeyText(szText, &pDialog->work);  /* on failure the text holds the named keys before it */
    SetWindowTextW(pDialog->hKeyField, szText);
}

/* Selects the piece around the double-clicked character; 0 when there is none. */
static int SelectPieceAt(HWND hField, LPARAM lPoint)
{
    WCHAR szText[MAX_PATH];
    int cch = GetWindowTextW(hField, szText, MAX_PATH);
    LRESULT lPos = SendMessageW(hField, EM_CHARFROMPOS, 0, lPoint);
    if (lPos == -1)
        return -1;
    int nChar = LOWORD(lPos);
    if (nChar >= cch)
        return -1;  /* no character at the click */
    int nOpen = nChar;
    while (nOpen >= 0 && szText[nOpen] != L'{')
        nOpen--;
    int nClose = nChar;
    while (nClose < cch && szText[nClose] != L'}')
        nClose++;
    if (nOpen < 0 || nClose >= cch)
        return 0;
    SendMessageW(hField, EM_SETSEL, (WPARAM)nOpen, (LPARAM)(nClose + 1));
    return 1;
}

static LRESULT CallField(KEY_DIALOG *pDialog, HWND hField, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (!pDialog || !pDialog->pfnFieldProc)
        return DefWindowProcW(hField, uMsg, wParam, lParam);
    return CallWindowProcW(pDialog->pfnFieldProc, hField, uMsg, wParam, lParam);
}

static LRESULT OnFieldDoubleClick(KEY_DIALOG *pDialog, HWND hField, WPARAM wParam, LPARAM lParam)
{
    if (SelectPieceAt(hField, lParam) != 0)
        return 0;
    return CallField(pDialog, hField, WM_LBUTTONDBLCLK, wParam, lParam);
}

LRESULT CALLBACK KeyFieldProc(HWND hField, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    KEY_DIALOG *pDialog = KeyDialogOfField(hField);
    switch (uMsg) {
    case WM_KEYDOWN:
    case WM_CHAR:          return 0;
    case WM_LBUTTONDBLCLK: return OnFieldDoubleClick(pDialog, hField, wParam, lParam);
    }
    return CallField(pDialog, hField, uMsg, wParam, lParam);
}
