/*
 * frame.h - library-wide state: the ten slots with their locks and I/O records,
 * the worker thread, and the notifications to the client window.
 */
#ifndef TAVEL_FRAME_H
#define TAVEL_FRAME_H

#include "device.h"
#include "tavel.h"

/* A driver may never complete a cancelled transfer: it is waited for this long, then abandoned. */
#define CANCEL_WAIT_MS 100
/* wm_Close's teardown (the remotes' last output reports) ends within this time. */
#define CLOSE_BUDGET_MS 500

typedef struct TAVEL_LIBRARY {
    volatile LONG    bInitialized;
    volatile LONG    bStopRequest;
    HANDLE           hWorker;
    DWORD            dwWorkerId;
    /* Set with the stop request: wakes every transfer wait, so the worker ends at once. */
    HANDLE           hStopEvent;
    /* The thread whose window is handling a message the worker sent, 0 when none. */
    volatile DWORD   dwNotifiedThread;
    /* wm_Close was called from inside such a message: the worker finishes the close. */
    volatile LONG    bCloseByWorker;
    /* While wm_Close tears the remotes down, every transfer ends by this time. */
    volatile LONG    bClosing;
    DWORD            dwCloseDeadline;
    WM_DEVICE       *apSlot[TAVEL_SLOTS];
    /* Counts every change of a slot's occupant, so a notification can tell that its remote went away. */
    volatile LONG    alSlotSerial[TAVEL_SLOTS];
    CRITICAL_SECTION aSlotLock[TAVEL_SLOTS];
    OVERLAPPED       aSlotIo[TAVEL_SLOTS];
    /* The bytes of the slot's transfer in flight: a transfer abandoned after a cancel that never
       completed may still write or read them, so they never belong to a record that is freed. */
    BYTE             aabSlotBuffer[TAVEL_SLOTS][MAX_REPORT_LENGTH];
    /* Why wm_Init could not put the system's HID calls in place; 0 when it did. */
    DWORD            dwHidIoError;
    /* How often the worker asks an idle remote for its status (0: at every step; the
       benchmark compares the two). */
    DWORD            dwStatusInterval;
} TAVEL_LIBRARY;

/* An idle remote is asked for its status this often: the battery level and a missed extension
   change reach the client within it. The remote sends a status by itself when an extension is
   plugged in or out, so those are seen at the step that follows. */
#define STATUS_INTERVAL_MS 1000

extern TAVEL_LIBRARY g_Lib;

/* Sets the thread's result code and returns bResult, to end a function in one line. */
int SetResult(DWORD dwCode, int bResult);

void LockSlot(int nSlot);
void UnlockSlot(int nSlot);

/* Puts a record into a slot (or empties it with NULL); the caller holds the slot lock. */
void SetSlotDevice(int nSlot, WM_DEVICE *pDev);

/* A free slot whose lock the caller now holds, or -1 with WME_NO_SLOT. */
int FindFreeSlot(void);

/* Sends one notification of the slot's remote. Returns 0 when the record went away while
   the client handled it (WME_REMOVED then), 1 otherwise, whether or not anything was sent. */
int SendNotify(int nSlot, UINT uMsg, WPARAM wParam, LPARAM lParam);

/* Creates the worker suspended; 0 when the thread could not be created. */
int StartWorker(void);
void ResumeWorker(void);
/* Asks the worker to stop and waits for it; from inside a message the worker sent, only asks. */
void StopWorker(void);
/* True on a thread that is handling a notification the worker sent. */
int InWorkerMessage(void);
/* Waits for a worker that was asked to stop; 0 when it did not end within dwMs. */
int JoinWorker(DWORD dwMs);

/* Tears every remote down, then releases the slots' locks and events (wm_Close's second half). */
void CloseSlots(void);

/* One worker pass over the ten slots; returns early when a stop is requested. */
void WorkerPass(void);

/* Supplied by the connection code: tears a lost remote down and tells the client, unless
   the slot's occupant changed since lSerial (its record is gone already). */
void EndLostRemote(int nSlot, LONG lSerial);

#endif
