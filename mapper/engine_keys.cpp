/*
 * engine_keys.cpp - key slots: key lists, the print-screen latch and the repeat at the
 * system keyboard rate.
 */
#include "engine.h"
#include "input_seam.h"

#define REPEAT_DELAY_UNIT_MS   250   /* per step of the keyboard delay setting, plus one */
#define REPEAT_SLOWEST_MS      400   /* interval at keyboard speed 0 */
#define REPEAT_SPEED_STEP_MS   12    /* shorter per step of the keyboard speed */
#define KEYBOARD_DELAY_MAX     3
#define KEYBOARD_SPEED_MAX     31

/* The keys whose scan codes carry the E0 prefix on a real keyboard. Without the flag,
 * programs that read scan codes take the arrows and the editing block for keypad keys. */
static const WORD g_awExtendedKey[] = {
    VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_INSERT, VK_DELETE, VK_HOME, VK_END, VK_PRIOR, VK_NEXT,
    VK_RCONTROL, VK_RMENU, VK_LWIN, VK_RWIN, VK_APPS, VK_NUMLOCK, VK_DIVIDE, VK_SNAPSHOT, VK_CANCEL,
};

/* Print Screen's own make code (E0 37); the layout maps VK_SNAPSHOT to SysRq's 0x54. */
#define PRINT_SCREEN_SCAN 0x37

static int IsExtendedKey(WORD wVk)
{
    for (WORD wExtended : g_awExtendedKey)
        if (wVk == wExtended)
            return 1;
    return 0;
}

void FillKeyInput(INPUT *pInput, WORD wVk, int bUp)
{
    ZeroMemory(pInput, sizeof(*pInput));
    pInput->type = INPUT_KEYBOARD;
    pInput->ki.wVk = wVk;
    pInput->ki.wScan = wVk == VK_SNAPSHOT ? PRINT_SCREEN_SCAN : (WORD)MapVirtualKeyW(wVk, MAPVK_VK_TO_VSC);
    pInput->ki.dwFlags = (bUp ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(wVk) ? KEYEVENTF_EXTENDEDKEY : 0);
}

typedef struct KEY_LIST {
    INPUT aInput[ASSIGN_MAX_KEYS];
    UINT  cInput;
} KEY_LIST;

static void BuildKeyList(ENGINE_STATE *pState, const ASSIGNMENT *pAssign, int nValue, KEY_LIST *pList)
{
    int nCount = pAssign->nKeyCount;
    if (nCount < 0 || nCount > ASSIGN_MAX_KEYS)
        nCount = 0;
    pList->cInput = 0;
    for (int i = 0; i < nCount; i++) {
        WORD wVk = pAssign->awKey[i];
        /* A held print-screen is pressed once, whichever slots hold it. */
        if (wVk == VK_SNAPSHOT && nValue && IsKeyHeld(pState, VK_SNAPSHOT))
            continue;
        FillKeyInput(&pList->aInput[pList->cInput++], wVk, !nValue);
    }
}

static void SendKeyList(ENGINE_STATE *pState, KEY_LIST *pList)
{
    if (pList->cInput)
        SendTracked(pState, pList->aInput, pList->cInput);
}

static int ReadKeyboardSetting(UINT uAction, int nDefault, int nMax)
{
    int nSetting = nDefault;
    if (!g_Seam.pfnSystemParametersInfo(uAction, 0, &nSetting, 0))
        nSetting = nDefault;
    if (nSetting < 0)
        return 0;
    return nSetting > nMax ? nMax : nSetting;
}

/* Only the most recently pressed key slot repeats; an earlier one stays down. */
static void RepeatAtSystemRate(ENGINE_STATE *pState, int nSlot, KEY_LIST *pList, int nValue, int nPrevious)
{
    /* Read afresh at every call, so a change in the control panel applies at once. */
    LONG nDelay = (ReadKeyboardSetting(SPI_GETKEYBOARDDELAY, 1, KEYBOARD_DELAY_MAX) + 1) * REPEAT_DELAY_UNIT_MS;
    LONG nInterval = REPEAT_SLOWEST_MS
        - REPEAT_SPEED_STEP_MS * ReadKeyboardSetting(SPI_GETKEYBOARDSPEED, KEYBOARD_SPEED_MAX, KEYBOARD_SPEED_MAX);
    DWORD dwNow = g_Seam.pfnTimeGetTime();
    if (pState->nRepeatSlot != -1)
        pState->nRepeatTime += (LONG)(dwNow - pState->dwRepeatStamp);
    if (nSlot == pState->nRepeatSlot) {
        if (!nValue) {
            SendKeyList(pState, pList);
            pState->bRepeatPhase = 0;
            pState->nRepeatSlot = -1;
            return;
        }
        LONG nWait = pState->bRepeatPhase ? nInterval : nDelay;
        if (pState->nRepeatTime >= nWait) {
            SendKeyList(pState, pList);
            pState->nRepeatTime -= nWait;
            pState->bRepeatPhase = 1;
        }
    } else if (nValue && !nPrevious) {
        pState->nRepeatSlot = nSlot;
        SendKeyList(pState, pList);
        pState->nRepeatTime = 0;
        pState->bRepeatPhase = 0;
    } else if (!nValue) {
        SendKeyList(pState, pList);
    }
    if (pState->nRepeatSlot != -1)
        pState->dwRepeatStamp = dwNow;
}

void SendKeys(ENGINE_STATE *pState, const ASSIGNMENT *pAssign, int bDown)
{
    KEY_LIST list;
    BuildKeyList(pState, pAssign, bDown, &list);
    SendKeyList(pState, &list);
}

void ActOnKeySlot(ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign,
                  int bSystemRepeat, int nValue, int nPrevious)
{
    KEY_LIST list;
    BuildKeyList(pState, pAssign, nValue, &list);
    if (bSystemRepeat)
        RepeatAtSystemRate(pState, nSlot, &list, nValue, nPrevious);
    else
        SendKeyList(pState, &list);
}
