/*
 * record_lock.cpp - the lock over the current set. An auto-reset event rather than a
 * critical section, so the engine can try it without waiting and any thread may release it.
 */
#include "assignment.h"

HANDLE g_hRecordLock;

int CreateRecordLock(void)
{
    if (g_hRecordLock)
        return 1;
    g_hRecordLock = CreateEventW(NULL, FALSE, TRUE, NULL);
    return g_hRecordLock != NULL;
}

void CloseRecordLock(void)
{
    if (g_hRecordLock)
        CloseHandle(g_hRecordLock);
    g_hRecordLock = NULL;
}

void LockRecord(void)
{
    WaitForSingleObject(g_hRecordLock, INFINITE);
}

int TryLockRecord(void)
{
    return WaitForSingleObject(g_hRecordLock, 0) == WAIT_OBJECT_0;
}

void UnlockRecord(void)
{
    SetEvent(g_hRecordLock);
}
