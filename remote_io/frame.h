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

enum { CLOSE_NONE = 0, CLOSE_PENDING = 1, CLOSE_FINISHING = 2 };

typedef struct TAVEL_LIBRARY {
    volatile LONG    bInitialized;
    volatile LONG    bStopRequest;
    HANDLE           hWorker;
    DWORD            dwWorkerId;
    /* Set with the stop request: wakes every transfer wait, so the worker ends at once. */
    HANDLE           hStopEvent;
    /* Wakes the worker's wait: a remote came or went, or an export changed what a step does. */
    HANDLE           hWakeEvent;
    /* The thread whose window is handling a message the worker sent, 0 when none. */
    volatile DWORD   dwNotifiedThread;
    /* Exports under way on any thread (wm_Close, wm_Init and wm_Version aside). */
    volatile LONG    lCalls;
    /* CLOSE_PENDING: wm_Close was called where it could not finish (inside a notification, or
       while another call was under way); the last call to return, or the worker, finishes it.
       CLOSE_FINISHING while that runs, so wm_Init waits for its end, not for its start. */
    volatile LONG    lCloseState;
    /* It was asked for inside a message the worker sent: the worker may finish it. */
    volatile LONG    bCloseByWorker;
    /* While wm_Close tears the remotes down, every transfer ends by this time. */
    volatile LONG    bClosing;
    DWORD            dwCloseDeadline;
    WM_DEVICE       *apSlot[TAVEL_SLOTS];
    /* Counts every change of a slot's occupant, so a notification can tell that its remote went away. */
    volatile LONG    alSlotSerial[TAVEL_SLOTS];
    CRITICAL_SECTION aSlotLock[TAVEL_SLOTS];
    /* A copy of each slot's record as it last changed, under a lock held only to copy it: the
       getters of a polled remote read it and never wait for anyone's transfer. */
    CRITICAL_SECTION aViewLock[TAVEL_SLOTS];
    WM_DEVICE        aView[TAVEL_SLOTS];
    int              abViewed[TAVEL_SLOTS];
    /* Read transfers of records that are gone, freed by the worker when it is not waiting on
       their events (or by the close). */
    CRITICAL_SECTION retireLock;
    WM_TRANSFER     *pRetired;
    /* Why wm_Init could not put the system's HID calls in place; 0 when it did. */
    DWORD            dwHidIoError;
    /* How often the worker asks an idle remote for its status (0: at every step; the
       benchmark compares the two). */
    DWORD            dwStatusInterval;
    /* 0: the worker waits for the remotes' reports and alarms; otherwise it also passes every
       dwPassMs, as it once did (the benchmark compares the two). */
    DWORD            dwPassMs;
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
/* Copies the slot's record to its view; the caller holds the slot lock. */
void PublishSlot(int nSlot);
/* The slot's view into *pCopy; 0 when the slot is empty. */
int ReadSlotView(int nSlot, WM_DEVICE *pCopy);
/* A read transfer whose record is gone: freed once the worker cannot be waiting on it. */
void RetireTransfer(WM_TRANSFER *pTransfer);
void WakeWorker(void);

/* Every export but wm_Init, wm_Close and wm_Version runs between these two. EnterCall is 0
   (with WME_NOT_INITIALIZED) when the library is not open; LeaveCall returns nResult with
   the thread's result code kept, and finishes a pending close when it is the last call. */
int EnterCall(void);
int LeaveCall(int nResult);
/* This thread is inside an export (so inside a notification one sent on this thread). */
int InsideLibraryCall(void);
/* Finishes a pending close unless someone already has: stops the worker, tears down. */
void FinishPendingClose(void);

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
/* Handles the messages other threads have sent to this one (a sender may be what a wait waits for). */
void HandleSentMessages(void);
/* Waits for a worker that was asked to stop; 0 when it did not end within dwMs. */
int JoinWorker(DWORD dwMs);

/* The slots' locks, the stop and wake events; 0 when an event cannot be created. */
int CreateSlots(void);
/* Releases what CreateSlots made. */
void DeleteSlots(void);
/* Tears every remote down, then releases the slots' locks and events (wm_Close's second half). */
void CloseSlots(void);

/* What the worker waits for after a pass: the stop and wake events and the pending reads. */
typedef struct WORKER_WAIT {
    HANDLE ah[2 + TAVEL_SLOTS];
    DWORD  nCount;
    DWORD  dwMs;
} WORKER_WAIT;

/* One worker pass over the ten slots; returns early when a stop is requested. */
void WorkerPass(WORKER_WAIT *pWait);

/* Supplied by the connection code: tears a lost remote down and tells the client, unless
   the slot's occupant changed since lSerial (its record is gone already). */
void EndLostRemote(int nSlot, LONG lSerial);

#endif
