/*
 * output.h - a remote's output reports: a queue and one sending thread for the remote's
 * lifetime. Nobody waits for a send under a lock it does not own, and a send that never
 * returns (set-output-report on a stack that blocks) holds up only this remote's thread.
 */
#ifndef TAVEL_OUTPUT_H
#define TAVEL_OUTPUT_H

#include "device.h"

/* Takes over hDevice: it is closed when the record and its thread are both done with it.
   NULL when the thread or its objects cannot be had (hDevice is then closed). */
WM_OUTPUT *CreateOutput(HANDLE hDevice, DWORD cbReport);
/* Asks the thread to end once the queue is empty and drops the record's share. */
void ReleaseOutput(WM_OUTPUT *pOut);

/* The path the next reports take; hWrite (set-output-report's handle) is taken over.
   0 when a send is still under way (the path cannot change under it). */
int SetOutputPath(WM_OUTPUT *pOut, int nPath, HANDLE hWrite);

/* Queues one report; the send may wait up to dwLimit ms. Returns the report's number, or 0
   when the remote takes no more reports (a send failed, or the queue is full). */
LONG QueueOutput(WM_OUTPUT *pOut, const BYTE *pbReport, DWORD dwLimit);
/* Waits up to dwMs for report lSeq: 1 sent, 0 failed or not sent in time. hStop, when set,
   ends the wait at once (with 0 and *pbStopped set). */
int WaitOutput(WM_OUTPUT *pOut, LONG lSeq, DWORD dwMs, HANDLE hStop, int *pbStopped);
/* A send has failed: the remote is gone. */
int OutputFailed(const WM_OUTPUT *pOut);
/* Waits up to dwMs until every queued report has been sent (or failed); 0 when some are left. */
int DrainOutput(WM_OUTPUT *pOut, DWORD dwMs);
/* The sending thread, for the benchmark's CPU figures. */
HANDLE OutputThread(const WM_OUTPUT *pOut);

#endif
