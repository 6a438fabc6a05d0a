/* key_capture.cpp - the thread keyboard hook that turns key presses in the key field
 * into the working copy's keys. */
#include "key_dialog.h"

#include <imm.h>

#include "key_text.h"
#include "resource.h"
#include "ui_seam.h"


#define KEY_PREVIOUSLY_DOWN 0x40000000
#define KEY_RELEASED        0x80000000
#define KEY_REPEAT_COUNT    0xFFFF
/* Buffer for the field's text when a key is removed. */
#define FIELD_TEXT_CHARS    (MAX_PATH + 1)

/* A first press counts; auto-repeats and releases don't. Print-screen usually reaches
 * programs only as its release, so a single release counts unless its press did. */
static int IsFirstPress(KEY_DIALOG *pDialog, WPARAM wVk, LPARAM lKeyData)
{
    int bReleased = (lKeyData & KEY_RELEASED) != 0;
    if (wVk == VK_SNAPSHOT) {
        if (!bReleased && !(lKeyData & KEY_PREVIOUSLY_DOWN)) {
            pDialog->bSnapshotTaken = 1;
            return 1;
        }
        if (bReleased && (lKeyData & KEY_REPEAT_COUNT) == 1) {
            int bTaken = pDialog->bSnapshotTaken;
            pDialog->bSnapshotTaken = 0;
            return !bTaken;
        }
        return 0;
    }
    return !(lKeyData & KEY_PREVIOUSLY_DOWN);
}

/* With an input method switched on, the hook sees VK_PROCESSKEY; ask the IME for the
 * key actually pressed. (The key field also keeps its IME off, so this is a fallback.) */
static WORD RealVirtualKey(HWND hField, WPARAM wVk)
{
    if (wVk != VK_PROCESSKEY)
        return (WORD)wVk;
    UINT uReal = ImmGetVirtualKey(hField);
    return (WORD)(uReal == VK_PROCESSKEY ? 0 : uReal);
}

static void AppendKey(KEY_DIALOG *pDialog, WORD wVk)
{
    ASSIGNMENT *pWork = &pDialog->work;
    if (pWork->nKeyCount < 0 || pWork->nKeyCount >= ASSIGN_MAX_KEYS) {
        g_UiSeam.pfnMessageBeep(0);
        return;
    }
    pWork->awKey[pWork->nKeyCount++] = wVk;
    WCHAR szText[KEY_TEXT_CHARS] = L"";
    if (!FormatKeyText(szText, pWork))
        pWork->nKeyCount--;  /* a key without a name is not taken */
    SetWindowTextW(pDialog->hKeyField, szText);
}

static void RemoveSelectedKey(KEY_DIALOG *pDialog, int nSelStart)
{
    WCHAR szText[FIELD_TEXT_CHARS];
    int cch = GetWindowTextW(pDialog->hKeyField, szText, FIELD_TEXT_CHARS);
    int nOpen = nSelStart;
    while (nOpen < cch && szText[nOpen] != L'{')
        nOpen++;
    if (nOpen >= cch)
        return;
    int k = 0;
    for (int i = 0; i < nOpen; i++)
        k += szText[i] == L'{';
    ASSIGNMENT *pWork = &pDialog->work;
    if (k >= pWork->nKeyCount)
        return;
    for (int i = k; i + 1 < pWork->nKeyCount; i++)
        pWork->awKey[i] = pWork->awKey[i + 1];
    pWork->nKeyCount--;
    ShowKeyText(pDialog);
}

static void CaptureKey(KEY_DIALOG *pDialog, WORD wVk)
{
    DWORD dwStart = 0, dwEnd = 0;
    SendMessageW(pDialog->hKeyField, EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
    if (dwStart == dwEnd)
        AppendKey(pDialog, wVk);
    else if (wVk == VK_DELETE || wVk == VK_BACK)
        RemoveSelectedKey(pDialog, (int)dwStart);
}

LRESULT CALLBACK KeyCaptureHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    /* Only removed messages count: a peek without removal comes back when it is removed. */
    if (nCode != HC_ACTION)
        return CallNextHookEx(NULL, nCode, wParam, lParam);
    HWND hFocus = GetFocus();
    KEY_DIALOG *pDialog = KeyDialogOfField(hFocus);  /* NULL unless the focus is the key field */
    if (!pDialog)
        return CallNextHookEx(NULL, nCode, wParam, lParam);
    if (!IsFirstPress(pDialog, wParam, lParam))
        return CallNextHookEx(NULL, nCode, wParam, lParam);
    CaptureKey(pDialog, RealVirtualKey(hFocus, wParam));
    return 1;  /* swallowed: no other hook and not the field */
}
