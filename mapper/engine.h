/*
 * engine.h - the input emission engine: every 10 ms it compares each slot's input
 * with the previous cycle and sends keys, mouse input or launches for the current set.
 */
#ifndef ZAN_ENGINE_H
#define ZAN_ENGINE_H

#include "assignment.h"

#define ENGINE_CYCLE_MS 10
#define KEY_CODES       65536
#define KEY_BITS_PER_WORD 32

/* Mouse buttons the engine holds down, as bits of ENGINE_STATE.dwMouseDown. */
#define HELD_LEFT   0x1
#define HELD_MIDDLE 0x2
#define HELD_RIGHT  0x4

typedef struct ENGINE_STATE {
    int    anPrevious[ASSIGN_SLOTS];
    int    bPrintScreenLatch;
    DWORD  dwPreviousTime;
    int    nRepeatSlot;                 /* the key slot repeating at the system rate, or -1 */
    LONG   nRepeatTime;                 /* ms gathered towards the next repeat */
    int    bRepeatPhase;                /* 0 waiting for the delay, 1 repeating at the rate */
    DWORD  dwRepeatStamp;
    double adRemainder[DIRECTIONS];     /* pixel fractions carried per move direction */
    /* What the engine has pressed and not released, as Windows sees it. */
    DWORD  adwKeyDown[KEY_CODES / KEY_BITS_PER_WORD];
    DWORD  dwMouseDown;
} ENGINE_STATE;

/* A thread's start: nothing held, nothing previous, the clock read now. */
void InitEngineState(ENGINE_STATE *pState);

/* One cycle after the sleep: reads the clock, acts on the current set when a remote
 * is in use, the set runs and the record lock is free. While stopped or without a
 * remote it only releases whatever it still holds down. */
void RunEngineCycle(ENGINE_STATE *pState);

/* Sends the release of every key and mouse button still held and ends the repeat. */
void ReleaseHeldInput(ENGINE_STATE *pState);

/* Slot values. */
int IsSlotEvaluated(int nSlot, int nExtensionKind);
int GetSlotValue(int nSlot, const WM_KEY *pKey, const WM_KEYEX *pKeyEx);
int GetStickValue(int nDirection, int nX, int nY);

/* Acting on one slot (engine_keys.cpp, engine_mouse.cpp). */
void ActOnKeySlot(ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign,
                  int bSystemRepeat, int nValue, int nPrevious);
void ActOnMouseSlot(ENGINE_STATE *pState, const ASSIGNMENT *pAssign, int nValue, int nPrevious, DWORD dwElapsed);
void ActOnApplicationSlot(const ASSIGNMENT *pAssign, int nValue, int nPrevious);

/* SendInput through the seam, keeping track of what is held down. */
void SendTracked(ENGINE_STATE *pState, INPUT *pInputs, UINT cInputs);

/* The engine thread. */
int StartEngine(void);
int StopEngine(void);
DWORD WINAPI EngineThread(LPVOID pParam);

#endif
