/* library.cpp - the exports that manage the library as a whole. */
#include "connection.h"
#include "frame.h"
#include "hid_io.h"
#include "timer_calls.h"
#include "timer_throttling.h"
#include "transport.h"
#include "version.h"

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(hInstance);
    return TRUE;
}

/* A worker still finishing a close from inside a notification is given this long. */
#define PREVIOUS_WORKER_WAIT_MS 2000

/* A close that another call finishes is waited for to its end, with messages sent to this thread handled
   meanwhile (the call may be waiting for one); 0 when it did not end within dwMs. */
static int WaitPendingClose(DWORD dwMs)
{
    DWORD dwStart = GetTickCount();
    while (g_Lib.lCloseState != CLOSE_NONE) {
        if (GetTickCount() - dwStart >= dwMs)
            return 0;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_SENDMESSAGE);
        HandleSentMessages();
    }
    return 1;
}

int TAVEL_API wm_Init(void)
{
    if (g_Lib.bInitialized)
        return SetResult(WME_ALREADY_INITIALIZED, 0);
    /* Inside a notification the close cannot end before this handler returns: waiting would
       only stall the caller. */
    int bInsideHandler = InsideLibraryCall() || InSendMessage();
    if (g_Lib.lCloseState != CLOSE_NONE && (bInsideHandler || !WaitPendingClose(PREVIOUS_WORKER_WAIT_MS)))
        return SetResult(WME_CLOSING, 0);
    if (!JoinWorker(PREVIOUS_WORKER_WAIT_MS))
        return SetResult(WME_THREAD, 0);
    /* Without the system's HID calls the library still starts; wm_Connect then finds no remote. */
    g_Lib.dwHidIoError = EnsureHidIo() ? 0 : GetLastError();
    LoadTimerCalls();
    /* The worker's resources: failing to create them is reported like failing to start it. */
    if (!CreateSlots())
        return SetResult(WME_THREAD, 0);
    for (int i = 0; i < TAVEL_SLOTS; i++)
        g_Lib.apSlot[i] = NULL;
    if (!StartWorker()) {
        DeleteSlots();
        return SetResult(WME_THREAD, 0);
    }
    /* The rumble's 10 ms pulses and Zan's cycle need a finer clock than Windows' default
       15.6 ms tick, which Windows 11 brings back while the client's windows are hidden unless
       the process opts out. */
    KeepTimerResolution();
    g_Timer.pfnTimeBeginPeriod(1);
    ResumeWorker();
    InterlockedExchange(&g_Lib.bInitialized, 1);
    return SetResult(WME_SUCCESS, 1);
}

/*
 * The flag goes first, so exports called from now on refuse work before the locks go away.
 * Where the close cannot finish now (inside a notification, whose sender waits for the
 * handler; or while another call is under way, which may hold a slot's lock), the worker is
 * only asked to stop, and the last call to return, or the worker, finishes the close.
 */
int TAVEL_API wm_Close(void)
{
    if (!InterlockedExchange(&g_Lib.bInitialized, 0))
        return SetResult(WME_NOT_INITIALIZED, 0);
    InterlockedExchange(&g_Lib.bCloseByWorker, InWorkerMessage());
    InterlockedExchange(&g_Lib.lCloseState, CLOSE_PENDING);
    InterlockedExchange(&g_Lib.bStopRequest, 1);
    SetEvent(g_Lib.hStopEvent);
    if (g_Lib.lCalls == 0 && !InWorkerMessage())
        FinishPendingClose();
    return SetResult(WME_SUCCESS, 1);
}

int TAVEL_API wm_Version(void)
{
    return TAVEL_VERSION;
}

int TAVEL_API wm_Count(void)
{
    if (!EnterCall())
        return 0;
    int nCount = 0;
    for (int i = 0; i < TAVEL_SLOTS; i++)
        if (g_Lib.apSlot[i])
            nCount++;
    return LeaveCall(SetResult(WME_SUCCESS, nCount));
}

/* A polled remote is watched by the worker: its view says. Any other is probed under the slot
   lock, and torn down when the probe finds it gone. */
static int SlotUsable(int nSlot)
{
    WM_DEVICE view;
    if (!ReadSlotView(nSlot, &view))
        return 0;
    if (view.system.bAutoUpdate)
        return 1;
    LockSlot(nSlot);
    WM_DEVICE *pDev = g_Lib.apSlot[nSlot];
    LONG lSerial = g_Lib.alSlotSerial[nSlot];
    int bUsable = pDev && pDev->system.bAutoUpdate;
    if (pDev && !pDev->system.bAutoUpdate) {
        IO_OUTCOME outcome = SetReportMode(pDev);
        if (outcome == IO_GONE && g_Lib.bInitialized)
            EndLostRemote(nSlot, lSerial);
        bUsable = outcome == IO_DONE;
    }
    UnlockSlot(nSlot);
    return bUsable;
}

static int Exist(int nIndex)
{
    if (nIndex == -1) {
        int bAny = 0;
        for (int i = 0; i < TAVEL_SLOTS; i++)
            if (SlotUsable(i))
                bAny = 1;
        return bAny ? SetResult(WME_SUCCESS, 1) : SetResult(WME_NONE, 0);
    }
    if (nIndex < 0 || nIndex >= TAVEL_SLOTS)
        return SetResult(WME_BAD_INDEX, 0);
    return SlotUsable(nIndex) ? SetResult(WME_SUCCESS, 1) : SetResult(WME_NO_DEVICE, 0);
}

int TAVEL_API wm_Exist(int nIndex)
{
    if (!EnterCall())
        return -1;
    return LeaveCall(Exist(nIndex));
}
