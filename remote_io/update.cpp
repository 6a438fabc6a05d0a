/* update.cpp - the worker's step on one remote: rumble pulses, blinking and the reports that arrived. */
#include "decode.h"
#include "frame.h"
#include "output.h"
#include "transport.h"

#define RUMBLE_CONTINUOUS 100
/* The rumble is pulsed in steps of this length, as the worker's passes once came. */
#define RUMBLE_STEP_MS 10

static int Pulsing(const WM_DEVICE *pDev)
{
    return pDev->nRumblePower >= 1 && pDev->nRumblePower < RUMBLE_CONTINUOUS;
}

static void PulseRumble(WM_DEVICE *pDev)
{
    if (Pulsing(pDev)) {
        pDev->dRumbleAcc += 1.0;
        if (pDev->dRumbleAcc >= pDev->dRumblePeriod) {
            pDev->bRumble = 1;
            pDev->dRumbleAcc -= pDev->dRumblePeriod;
        } else {
            pDev->bRumble = 0;
        }
    }
    /* A fired alarm is disarmed, so a later rumble without a duration is not cut off by it. */
    if (AlarmFired(pDev->pRumbleAlarm)) {
        pDev->bRumble = 0;
        pDev->nRumblePower = 0;
        ArmAlarm(pDev->pRumbleAlarm, 0);
    }
}

/* Blinking LEDs and a changed rumble bit go out in one LED report, which the step does not wait for. */
static IO_OUTCOME BlinkLeds(WM_DEVICE *pDev)
{
    int bToggled = pDev->bRumble != pDev->bRumbleSent;
    for (int i = 0; i < 4; i++) {
        if (pDev->adwBlink[i] == 0 || !AlarmFired(pDev->apBlinkAlarm[i]))
            continue;
        pDev->abLed[i] = pDev->abLed[i] ? 0 : 1;
        ArmAlarm(pDev->apBlinkAlarm[i], pDev->adwBlink[i]);
        bToggled = 1;
    }
    if (!bToggled)
        return IO_DONE;
    BeginLedReport(pDev);
    return PostReport(pDev);
}

/* The first step asks, then one step an interval after the last request, and one whose
   extension retry is due (the status says whether the extension is still there). */
static int StatusDue(const WM_DEVICE *pDev)
{
    return !pDev->pStatusAlarm->bArmed || AlarmFired(pDev->pStatusAlarm) || AlarmFired(pDev->pExtRetryAlarm);
}

/* An unanswered request is not repeated before the interval: the remote answers every one,
   and the data reports it streams meanwhile say it is there. */
static IO_OUTCOME AskStatus(WM_DEVICE *pDev)
{
    if (!StatusDue(pDev))
        return IO_DONE;
    ArmAlarm(pDev->pStatusAlarm, g_Lib.dwStatusInterval);
    BeginReport(pDev, RPT_OUT_STATUS);
    return PostReport(pDev);
}

/* Decodes every report that has arrived, leaving a read pending. A backlog longer than
   this is taken up at the next step, which comes at once. */
static IO_OUTCOME DecodeArrived(WM_DEVICE *pDev, int *pbBacklog)
{
    *pbBacklog = 1;
    for (int nRead = 0; nRead < MAX_REPORTS_PER_EXCHANGE; nRead++) {
        int bArrived = 0;
        IO_OUTCOME outcome = PollRead(pDev, &bArrived);
        if (outcome != IO_DONE)
            return outcome;
        if (!bArrived) {
            *pbBacklog = 0;
            return IO_DONE;
        }
        /* A report that cannot be decoded (an acknowledgement, a status whose extension could
           not be identified) is passed over: the remote keeps working. */
        if (DispatchReport(pDev) == IO_GONE)
            return IO_GONE;
    }
    return IO_DONE;
}

static DWORD Sooner(DWORD dwA, DWORD dwB)
{
    return dwA < dwB ? dwA : dwB;
}

/* How long the worker may wait for this remote's reads before the step must run again. */
static DWORD NextStepIn(const WM_DEVICE *pDev)
{
    DWORD dwMs = Sooner(AlarmLeft(pDev->pStatusAlarm), AlarmLeft(pDev->pExtRetryAlarm));
    dwMs = Sooner(dwMs, AlarmLeft(pDev->pRumbleAlarm));
    dwMs = Sooner(dwMs, AlarmLeft(pDev->pIrRetryAlarm));
    dwMs = Sooner(dwMs, AlarmLeft(pDev->pMotionRetryAlarm));
    for (int i = 0; i < 4; i++)
        if (pDev->adwBlink[i])
            dwMs = Sooner(dwMs, AlarmLeft(pDev->apBlinkAlarm[i]));
    if (Pulsing(pDev) || pDev->bRumble != pDev->bRumbleSent)
        dwMs = Sooner(dwMs, RUMBLE_STEP_MS);
    return dwMs;
}

IO_OUTCOME FollowPointing(WM_DEVICE *pDev)
{
    pDev->bPointingDue = 0;
    if (FollowMotion(pDev) == IO_GONE || FollowCamera(pDev) == IO_GONE)
        return IO_GONE;
    return IO_DONE;
}

IO_OUTCOME StepPointing(WM_DEVICE *pDev)
{
    if (pDev->bPointingDue && FollowPointing(pDev) == IO_GONE)
        return IO_GONE;
    /* The camera's retry after three failed set-ups; failing again arms it again. */
    if (AlarmFired(pDev->pIrRetryAlarm) && FollowCamera(pDev) == IO_GONE)
        return IO_GONE;
    if (pDev->bMotionReplug && ReplugMotion(pDev) == IO_GONE)
        return IO_GONE;
    if (AlarmFired(pDev->pMotionRetryAlarm) && FollowMotion(pDev) == IO_GONE)
        return IO_GONE;
    return IO_DONE;
}

IO_OUTCOME UpdateDevice(WM_DEVICE *pDev, STEP_WAIT *pWait)
{
    if (!pDev->bValid || pDev->nState < DEVICE_ACTIVE)
        return IO_DONE;
    if (!pDev->pOutput || OutputFailed(pDev->pOutput)) {
        pDev->bValid = 0;
        SetLastError(WME_IO);
        return IO_GONE;
    }
    PulseRumble(pDev);
    IO_OUTCOME outcome = BlinkLeds(pDev);
    if (outcome == IO_DONE)
        outcome = AskStatus(pDev);
    if (outcome == IO_DONE && StepPointing(pDev) == IO_GONE)
        outcome = IO_GONE;
    int bBacklog = 0;
    if (outcome == IO_DONE)
        outcome = DecodeArrived(pDev, &bBacklog);
    DWORD dwSilenceLeft = INFINITE;
    if (outcome != IO_GONE && !bBacklog)
        outcome = CheckSilence(pDev, &dwSilenceLeft);
    if (outcome == IO_GONE)
        return outcome;
    pWait->hRead = ReadEvent(pDev);
    pWait->dwMs = bBacklog ? 0 : Sooner(NextStepIn(pDev), dwSilenceLeft);
    return outcome;
}
