/*
 * settings_text.cpp - a set as readable text, stable enough to compare two files with diff.
 */
#include "settings_tool.h"

#include <stdio.h>

#include "key_text.h"
#include "press_mode.h"
#include "setting_file.h"

typedef struct SLOT_NAME {
    LPCWSTR pszPage;
    LPCWSTR pszButton;
} SLOT_NAME;

static const SLOT_NAME g_aSlotName[ASSIGN_SLOTS] = {
    { L"Wii Remote", L"[A]" }, { L"Wii Remote", L"[B]" }, { L"Wii Remote", L"[-]" },
    { L"Wii Remote", L"[HOME]" }, { L"Wii Remote", L"[+]" }, { L"Wii Remote", L"[1]" },
    { L"Wii Remote", L"[2]" }, { L"Wii Remote", L"[↑]" }, { L"Wii Remote", L"[↓]" },
    { L"Wii Remote", L"[←]" }, { L"Wii Remote", L"[→]" },
    { L"Nunchuk", L"[C]" }, { L"Nunchuk", L"[Z]" }, { L"Nunchuk", L"[↑] stick" },
    { L"Nunchuk", L"[↓] stick" }, { L"Nunchuk", L"[←] stick" }, { L"Nunchuk", L"[→] stick" },
    { L"Classic", L"A" }, { L"Classic", L"B" }, { L"Classic", L"-" }, { L"Classic", L"HOME" },
    { L"Classic", L"+" }, { L"Classic", L"X" }, { L"Classic", L"Y" },
    { L"Classic", L"↑ cross" }, { L"Classic", L"↓ cross" }, { L"Classic", L"← cross" },
    { L"Classic", L"→ cross" }, { L"Classic", L"L" }, { L"Classic", L"R" },
    { L"Classic", L"ZL" }, { L"Classic", L"ZR" },
    { L"Classic", L"↑ left stick" }, { L"Classic", L"↓ left stick" },
    { L"Classic", L"← left stick" }, { L"Classic", L"→ left stick" },
    { L"Classic", L"↑ right stick" }, { L"Classic", L"↓ right stick" },
    { L"Classic", L"← right stick" }, { L"Classic", L"→ right stick" },
};

static LPCWSTR const g_apszKind[ASSIGN_KINDS] = {
    L"disabled (無効)", L"key (キーボード)", L"mouse (マウス)", L"application (アプリケーション)",
    L"layer switch (レイヤー切替)",
};

static LPCWSTR const g_apszMouseAction[MOUSE_ACTIONS] = {
    L"左クリック (left click)", L"ダブルクリック (double click)", L"中クリック (middle click)",
    L"右クリック (right click)", L"上移動 (move up)", L"下移動 (move down)", L"左移動 (move left)",
    L"右移動 (move right)", L"上スクロール (scroll up)", L"下スクロール (scroll down)",
    L"左スクロール (scroll left)", L"右スクロール (scroll right)",
};

static LPCWSTR const g_apszCorrection[CORRECTION_LEVELS] = {
    L"なし (none)", L"弱 (weak)", L"中 (medium)", L"強 (strong)",
};

/* Room for a formatted number or a short piece of text. */
#define PIECE_CHARS 64

LPCWSTR DescribeLoadFailure(int nResult)
{
    switch (nResult) {
    case LOAD_OK:              return L"loads";
    case LOAD_NO_PATH:         return L"no path given, or the path is longer than 259 characters";
    case LOAD_BAD_EXTENSION:   return L"the name does not end in \".zan\" (written in lower case)";
    case LOAD_CANNOT_OPEN:     return L"the file cannot be opened (missing, a folder, or in use)";
    case LOAD_UNKNOWN_HEADER:  return L"not a settings file: the first 4 bytes are not 3, 1 or 652";
    case LOAD_SHORT_FILE:      return L"the file ends before its layout does (truncated)";
    case LOAD_BAD_PATH_LENGTH: return L"an application path length is negative, too large or runs past the end of the file";
    case LOAD_NO_MEMORY:       return L"out of memory";
    }
    return L"unknown failure";
}

/* The keys by name; a key without a name shows its code. */
static void AppendKeys(const ASSIGNMENT *pAssign, std::wstring *pText)
{
    if (pAssign->nKeyCount <= 0) {
        *pText += L"none";
        return;
    }
    for (int i = 0; i < pAssign->nKeyCount && i < ASSIGN_MAX_KEYS; i++) {
        WCHAR szName[PIECE_CHARS];
        if (!GetKeyName(pAssign->awKey[i], szName))
            swprintf(szName, PIECE_CHARS, L"0x%02X", pAssign->awKey[i]);
        *pText += L"{";
        *pText += szName;
        *pText += L"}";
    }
}

/* A press mode other than normal, and a layer slot's mode; nothing for a plain entry. */
static void AppendModes(const ASSIGNMENT *pAssign, std::wstring *pText)
{
    if (pAssign->nKind == ASSIGN_LAYER)
        *pText += pAssign->nLayerMode == LAYER_TOGGLE ? L"; 押すたびに切り替え (each press switches)"
                                                      : L"; 押している間 (while held)";
    if (pAssign->nPressMode == PRESS_TURBO) {
        *pText += L"; 連射 (turbo) " + std::to_wstring(TurboRateOf(pAssign)) + L" per second";
    } else if (pAssign->nPressMode == PRESS_TOGGLE) {
        *pText += L"; トグル (toggle)";
    } else if (pAssign->nPressMode != PRESS_NORMAL) {
        *pText += L"; unknown press mode";
    }
}

static void AppendSlot(LPCWSTR pszLayer, int nSlot, const ASSIGNMENT *pAssign, std::wstring *pText)
{
    WCHAR szPiece[PIECE_CHARS];
    swprintf(szPiece, PIECE_CHARS, L"%lsslot %02d %ls %ls: ", pszLayer, nSlot, g_aSlotName[nSlot].pszPage,
             g_aSlotName[nSlot].pszButton);
    *pText += szPiece;
    *pText += pAssign->nKind < ASSIGN_KINDS ? g_apszKind[pAssign->nKind] : L"unknown kind";
    *pText += L"; keys ";
    AppendKeys(pAssign, pText);
    *pText += L"; mouse ";
    *pText += pAssign->nMouseAction < MOUSE_ACTIONS ? g_apszMouseAction[pAssign->nMouseAction] : L"unknown action";
    swprintf(szPiece, PIECE_CHARS, L", amount %u; path ", pAssign->wMoveAmount);
    *pText += szPiece;
    *pText += pAssign->pszPath ? pAssign->pszPath : L"none";
    AppendModes(pAssign, pText);
    *pText += L"\n";
}

/* The slot a pointer setting names, or "none". */
static std::wstring PointerSlotText(BYTE nSlot)
{
    if (nSlot >= ASSIGN_SLOTS)
        return L"none";
    WCHAR szPiece[PIECE_CHARS];
    swprintf(szPiece, PIECE_CHARS, L"slot %02d %ls %ls", nSlot, g_aSlotName[nSlot].pszPage,
             g_aSlotName[nSlot].pszButton);
    return szPiece;
}

/* The pointer, a line for a set that has one: only the chosen mode's values. */
static void AppendPointer(const POINTER_SETTING *pPointer, std::wstring *pText)
{
    if (pPointer->nMode == POINTER_IR) {
        *pText += L"pointer IR (センサーバー); bar ";
        *pText += pPointer->nBarPosition == BAR_BELOW ? L"below" : L"above";
        *pText += L" the screen; area " + std::to_wstring(pPointer->nArea ? pPointer->nArea : IR_AREA_DEFAULT) +
                  L"%; off screen " + PointerSlotText(pPointer->nOffScreenSlot) + L"\n";
    } else if (pPointer->nMode == POINTER_GYRO) {
        *pText += L"pointer gyro (ジャイロ); speed " +
                  std::to_wstring(pPointer->nSpeed ? pPointer->nSpeed : GYRO_SPEED_DEFAULT) + L"; hold " +
                  PointerSlotText(pPointer->nHoldSlot) + L"\n";
    }
}

void DescribeSet(const ASSIGNMENT_SET *pSet, std::wstring *pText)
{
    WCHAR szLine[PIECE_CHARS * 2];
    swprintf(szLine, PIECE_CHARS * 2, L"version %lu\nLEDs %d %d %d %d\n", (unsigned long)pSet->dwVersion,
             pSet->abLed[0], pSet->abLed[1], pSet->abLed[2], pSet->abLed[3]);
    *pText += szLine;
    *pText += pSet->bSystemRepeat ? L"repeat at the system keyboard rate\n" : L"repeat every engine cycle\n";
    *pText += L"correction ";
    if (pSet->nAnalogCorrection < CORRECTION_LEVELS)
        *pText += g_apszCorrection[pSet->nAnalogCorrection];
    else
        *pText += std::to_wstring(pSet->nAnalogCorrection);
    *pText += L"\n";
    for (int i = 0; i < ASSIGN_SLOTS; i++)
        AppendSlot(L"", i, &pSet->aAssign[i], pText);
    /* Layer 2 only where the file has it: a plain set's listing stays as it was. */
    if (!UsesSetExtras(pSet))
        return;
    const BYTE *pLed = pSet->abLayerLed;
    swprintf(szLine, PIECE_CHARS * 2, L"layer 2 LEDs %d %d %d %d\n", pLed[0], pLed[1], pLed[2], pLed[3]);
    *pText += szLine;
    for (int i = 0; i < ASSIGN_SLOTS; i++)
        AppendSlot(L"layer 2 ", i, &pSet->aLayer2[i], pText);
    AppendPointer(&pSet->Pointer, pText);
}
