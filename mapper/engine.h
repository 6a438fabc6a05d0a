/*
 * engine.h - the input emission engine: every 10 ms it compares each slot's input
 * with the previous cycle and sends keys, mouse input or launches for the current set;
 * a press or release of a key, click or launch slot is acted on as soon as the input changes.
 */
#ifndef ZAN_ENGINE_H
#define ZAN_ENGINE_H

#include "assignment.h"
#include "launcher.h"

#define ENGINE_CYCLE_MS 10
#define KEY_CODES       65536
#define KEY_BITS_PER_WORD 32

/* Mouse buttons the engine holds down, as bits of ENGINE_STATE.dwMouseDown. */
#define HELD_LEFT   0x1
#define HELD_MIDDLE 0x2
#define HELD_RIGHT  0x4

typedef struct ENGINE_STATE {
    int    anPrevious[ASSIGN_SLOTS];
    DWORD  dwPreviousTime;
    DWORD  dwCycleDue;                  /* clock reading at which the next cycle runs */
    int    bIdle;                       /* waiting for the wake event alone: no cycle is due */
    int    nRepeatSlot;                 /* the key slot repeating at the system rate, or -1 */
    LONG   nRepeatTime;                 /* ms gathered towards the next repeat */
    int    bRepeatPhase;                /* 0 waiting for the delay, 1 repeating at the rate */
    DWORD  dwRepeatStamp;
    double adRemainder[DIRECTIONS];     /* pixel fractions carried per move direction */
    /* The move slots of one cycle, sent together after the slots: separate moves per axis
     * would each get Windows' pointer speed and acceleration curve, bending a diagonal. */
    LONG   nMoveDx, nMoveDy;
    int    bMoveHeld;                   /* a move slot was held this cycle: one move is sent */
    /* What the engine has pressed and not released, as Windows sees it. */
    DWORD  adwKeyDown[KEY_CODES / KEY_BITS_PER_WORD];
    DWORD  dwMouseDown;
    /* A failed launch is posted here (wParam the slot, lParam the shell's result), so the
     * window shows it while the engine goes on; none: not reported. */
    HWND   hReportWnd;
    UINT   uReportMsg;
    UINT   uNoteMsg;                    /* ENGINE_NOTE_* go to hReportWnd as this; 0 none */
    /* Where application slots queue their launches (the engine never waits for one);
     * none: every launch is reported as failed. */
    LAUNCHER *pLauncher;
} ENGINE_STATE;

/* Key and mouse buttons claimed by the slots pressed in one cycle. */
typedef struct HELD_CLAIMS {
    DWORD adwKey[KEY_CODES / KEY_BITS_PER_WORD];
    DWORD dwMouse;
} HELD_CLAIMS;

/* A thread's start: nothing held, nothing previous, the clock read now. */
void InitEngineState(ENGINE_STATE *pState);

/* One cycle after the sleep: reads the clock, acts on the current set when a remote
 * is in use, the set runs and the record lock is free. While stopped or without a
 * remote it only releases whatever it still holds down. Returns 1 when it acted on the set. */
int RunEngineCycle(ENGINE_STATE *pState);

/* One step of the engine thread, woken by a change of the input copies (bWoken) or at the
 * end of its wait: on a wake the edges are acted on at once (when g_State asks for it),
 * at the end of the wait the cycle runs. Returns how many ms to wait for the next step,
 * so the cycles keep their 10 ms cadence however often the copies change; INFINITE after
 * a cycle that found no slot pressed and nothing held, until the next change wakes it. */
DWORD RunEngineStep(ENGINE_STATE *pState, int bWoken);
/* Press and release edges of key, click and launch slots, without waiting for the cycle.
 * Held keys, repeats, pointer moves and the wheel are left to the cycle. */
void RunEngineEdges(ENGINE_STATE *pState);

/* Sends the release of every key and mouse button still held and ends the repeat. */
void ReleaseHeldInput(ENGINE_STATE *pState);
/* Releases what is held and not claimed: run after each cycle's slots, so an edited,
 * deleted or reloaded slot never leaves its old keys or buttons down. */
void ReleaseUnclaimed(ENGINE_STATE *pState, const HELD_CLAIMS *pClaims);
int IsKeyHeld(const ENGINE_STATE *pState, WORD wVk);

/* One keyboard input for the key, with its scan code and, for the keys Windows reads as
 * extended (arrows, the editing block, ...), KEYEVENTF_EXTENDEDKEY. */
void FillKeyInput(INPUT *pInput, WORD wVk, int bUp);

/* Slot values. */
int IsSlotEvaluated(int nSlot, int nExtensionKind);
int GetSlotValue(int nSlot, const WM_KEY *pKey, const WM_KEYEX *pKeyEx);
int GetStickValue(int nDirection, int nX, int nY);

/* Acting on one slot (engine_cycle.cpp, engine_keys.cpp, engine_mouse.cpp). */
void ActOnSlot(ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign, int nValue, DWORD dwElapsed);
void ActOnKeySlot(ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign,
                  int bSystemRepeat, int nValue, int nPrevious);
void ActOnMouseSlot(ENGINE_STATE *pState, const ASSIGNMENT *pAssign, int nValue, int nPrevious, DWORD dwElapsed);
void ActOnApplicationSlot(const ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign, int nValue, int nPrevious);
/* The pointer move the move slots gathered, as one relative input, when one was held. */
void SendPointerMove(ENGINE_STATE *pState);

/* SendInput through the seam (at most ASSIGN_MAX_KEYS inputs), keeping track of what is
 * held down; the release of a key or button the engine doesn't hold is left out, so none
 * is ever sent stray. */
void SendTracked(ENGINE_STATE *pState, INPUT *pInputs, UINT cInputs);

/* What the engine posts to hReportWnd as uNoteMsg: wParam the note, lParam its value. */
#define ENGINE_NOTE_LAYER 1   /* lParam the active layer, 0 or 1 */
#define ENGINE_NOTE_PAUSE 2   /* lParam 1 paused, 0 resumed */

/* The engine thread and its launcher; failed launches are posted to hReportWnd as
 * uReportMsg, layer and pause changes as uNoteMsg. The stop waits for the engine thread, and
 * at most LAUNCH_STOP_WAIT_MS for a launch still under way. */
int StartEngine(HWND hReportWnd, UINT uReportMsg, UINT uNoteMsg);
int StopEngine(void);
DWORD WINAPI EngineThread(LPVOID pParam);

#endif
