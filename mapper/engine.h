/*
 * engine.h - the input emission engine: every 10 ms it compares each slot's input
 * with the previous cycle and sends keys, mouse input or launches for the current set;
 * a press or release of a key, click or launch slot is acted on as soon as the input changes.
 */
#ifndef ZAN_ENGINE_H
#define ZAN_ENGINE_H

#include "assignment.h"
#include "launcher.h"
#include "pointer.h"

#define ENGINE_CYCLE_MS 10
#define KEY_CODES       65536
#define KEY_BITS_PER_WORD 32

/* Mouse buttons the engine holds down, as bits of ENGINE_STATE.dwMouseDown. */
#define HELD_LEFT   0x1
#define HELD_MIDDLE 0x2
#define HELD_RIGHT  0x4

/* One slot's turbo and toggle state. */
typedef struct SLOT_MODE {
    ASSIGNMENT Latched;     /* toggle: the entry whose keys or button are latched down (path unused) */
    int    bLatched;
    int    bTurbo;          /* turbo: firing since dwTurboStart */
    int    bTurboDown;      /* its keys or button are down now */
    DWORD  dwTurboStart;
    DWORD  dwTurboStep;     /* half periods since the start, as last acted on */
} SLOT_MODE;

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
    /* The set's pointer: the camera's point, sent when it changed (bIrMoved), and the gyro's
     * fractions; bPointerActive keeps the cycles going while either is under way. */
    IR_POINTER   Ir;
    GYRO_POINTER Gyro;
    int    bIrMoved;
    int    bPointerActive;
    /* What the engine has pressed and not released, as Windows sees it. */
    DWORD  adwKeyDown[KEY_CODES / KEY_BITS_PER_WORD];
    DWORD  dwMouseDown;
    SLOT_MODE aMode[ASSIGN_SLOTS];
    int    nLayer;                      /* the active layer, 0 or 1 */
    int    bLayerToggled;               /* a toggle layer slot switched to layer 2 */
    /* The pause: the combination seen held since dwPauseSince (bPauseTiming), and acted on
     * once until it is let go (bPauseDone). Slots held at the resume stay blocked until
     * they are let go. */
    int    bPaused;
    int    bPauseTiming;
    int    bPauseDone;
    DWORD  dwPauseSince;
    BYTE   abBlocked[ASSIGN_SLOTS];
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

/* Sends the release of every key and mouse button still held and ends the repeat, the
 * turbo and every latch. */
void ReleaseHeldInput(ENGINE_STATE *pState);
/* The set stops acting or is replaced: everything held goes up and layer 1 is active again. */
void LetGoOfSet(ENGINE_STATE *pState);
/* Releases what is held and not claimed: run after each cycle's slots, so an edited,
 * deleted or reloaded slot never leaves its old keys or buttons down. */
void ReleaseUnclaimed(ENGINE_STATE *pState, const HELD_CLAIMS *pClaims);
int IsKeyHeld(const ENGINE_STATE *pState, WORD wVk);

/* One keyboard input for the key, with its scan code and, for the keys Windows reads as
 * extended (arrows, the editing block, ...), KEYEVENTF_EXTENDEDKEY. */
void FillKeyInput(INPUT *pInput, WORD wVk, int bUp);

/* Slot values. */
int IsSlotEvaluated(int nSlot, int nExtensionKind);
/* The slot's value as the engine acts on it: 0 while it is blocked after a resume. */
int TakeSlotValue(ENGINE_STATE *pState, int nSlot, const WM_KEY *pKey, const WM_KEYEX *pKeyEx);
/* The entry a slot acts by: a layer slot's own in either layer, else the active layer's. */
const ASSIGNMENT *ActiveEntry(const ENGINE_STATE *pState, int nSlot);
int GetSlotValue(int nSlot, const WM_KEY *pKey, const WM_KEYEX *pKeyEx);
int GetStickValue(int nDirection, int nX, int nY);

/* Acting on one slot (engine_cycle.cpp, engine_keys.cpp, engine_mouse.cpp). */
void ActOnSlot(ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign, int nValue, DWORD dwElapsed);
void ActOnKeySlot(ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign,
                  int bSystemRepeat, int nValue, int nPrevious);
void ActOnMouseSlot(ENGINE_STATE *pState, const ASSIGNMENT *pAssign, int nValue, int nPrevious, DWORD dwElapsed);
void ActOnApplicationSlot(const ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign, int nValue, int nPrevious);
/* Turbo and toggle (engine_modes.cpp). PRESS_NORMAL for an entry without press modes; a
 * double click, with nothing to hold down, toggles as it is pressed normally. */
int SlotPressMode(const ASSIGNMENT *pAssign);
void ActOnTurboSlot(ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign, int nValue);
void ActOnToggleSlot(ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign, int nValue, int nPrevious);
/* Marks what the slot keeps down this cycle, by its mode: held normal slots, turbo slots in
 * their down half, latched toggles (while their entry is still what was latched). */
void ClaimSlot(HELD_CLAIMS *pClaims, ENGINE_STATE *pState, int nSlot, const ASSIGNMENT *pAssign, int nValue);
void ClaimEntry(HELD_CLAIMS *pClaims, const ASSIGNMENT *pAssign);
/* A slot passed over (disabled, or its extension's slots left out) latches and fires nothing. */
void DropSlotMode(ENGINE_STATE *pState, int nSlot);
/* The press (bDown) or release of a key or click entry's keys or button. */
void SendEntryOutput(ENGINE_STATE *pState, const ASSIGNMENT *pAssign, int bDown);
void SendKeys(ENGINE_STATE *pState, const ASSIGNMENT *pAssign, int bDown);
void SendClick(ENGINE_STATE *pState, int nMouseAction, int bDown);

/* Layers and the pause (engine_layers.cpp). The layer slots are read first in each cycle and
 * at each edge, so the other slots act by the layer they make active. */
void UpdateLayer(ENGINE_STATE *pState, const WM_KEY *pKey, const WM_KEYEX *pKeyEx, int nExtensionKind);
void SetActiveLayer(ENGINE_STATE *pState, int nLayer);
/* Before a cycle or the edges act: a set replaced for another program lets go of everything,
 * any replaced set starts in layer 1 (letting go of what layer 2 held). */
void TakeSetChanges(ENGINE_STATE *pState);
/* Watches the pause combination in a cycle; toggles the pause once it was held PAUSE_HOLD_MS. */
void WatchPauseCombination(ENGINE_STATE *pState, const WM_KEY *pKey, const WM_KEYEX *pKeyEx, DWORD dwNow);
/* A stop or a lost remote ends a pause without a note: the window forgets it there itself. */
void ForgetPause(ENGINE_STATE *pState);
void PostEngineNote(const ENGINE_STATE *pState, WPARAM wNote, LPARAM lValue);
/* Sets what IsEnginePaused reports. */
void ShowEnginePaused(int bPaused);

/* The pointer move the move slots gathered, as one relative input, when one was held. */
void SendPointerMove(ENGINE_STATE *pState);

/* The set's pointer (engine_pointer.cpp). Before the slots, WatchIrPointer finds the bar, so
 * the off-screen slot acts in the same cycle; after them AddGyroMotion joins the gyro's pixels
 * to the move slots' before SendPointerMove, and SendIrPoint sends the camera's point. */
void WatchIrPointer(ENGINE_STATE *pState, const WM_IR *pIr, const WM_KEY *pKey, DWORD dwElapsed);
void AddGyroMotion(ENGINE_STATE *pState, const WM_MOTION *pMotion, const WM_KEY *pKey, const WM_KEYEX *pKeyEx,
                   DWORD dwElapsed);
void SendIrPoint(ENGINE_STATE *pState);
/* 1 for the off-screen slot while the bar is out of view: it acts as held. */
int IsOffScreenHeld(const ENGINE_STATE *pState, int nSlot);
/* Forgets the point, the lost bar and the gyro's fractions: at a stop, a pause, a new set. */
void ResetPointer(ENGINE_STATE *pState);

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
/* 1 while the engine's mapping is paused by the combination (as last noted); 0 at its start.
 * The pause lasts across a stop or a lost remote, until the combination is held again while
 * the set runs. */
int IsEnginePaused(void);
int StopEngine(void);
DWORD WINAPI EngineThread(LPVOID pParam);

#endif
