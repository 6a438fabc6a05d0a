/* update.cpp - the worker's step on one remote: rumble pulses, blinking and the report exchange. */
#include "decode.h"
#include "frame.h"
#include "transport.h"

#define RUMBLE_CONTINUOUS 100

static void PulseRumble(WM_DEVICE *pDev)
{
    if (pDev->nRumblePower >= 1 && pDev->nRumblePower < RUMBLE_CONTINUOUS) {
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

/* Blinking LEDs and a changed rumble bit go out in one LED report. */
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
    return SetLeds(pDev, pDev->abLed[0], pDev->abLed[1], pDev->abLed[2], pDev->abLed[3], pDev->bRumble);
}

/* A status request unanswered after this many other reports is sent again. */
#define REPORTS_BEFORE_NEW_REQUEST 8

/* The first step asks, then one step an interval after the last status, and one whose
   extension retry is due (the status says whether the extension is still there). */
static int StatusDue(const WM_DEVICE *pDev)
{
    return !pDev->pStatusAlarm->bArmed || AlarmFired(pDev->pStatusAlarm) || AlarmFired(pDev->pExtRetryAlarm);
}

/*
 * Until a fresh data report has been decoded, and a status report too when one is due
 * (g_Lib.dwStatusInterval after the last status).
 * Reports that queued since the last step are decoded on the way (no press is lost), but the
 * step ends only with a data report that had not yet arrived when it was asked for, so a step
 * never leaves the remote's state behind a backlog. At most one status request per step (a
 * streaming remote's data reports come in between, and asking again for each of them would
 * only pile answers up).
 */
static IO_OUTCOME ExchangeReports(WM_DEVICE *pDev)
{
    int bStatusSeen = !StatusDue(pDev), bDataSeen = 0;
    for (int nRead = 0; nRead < MAX_REPORTS_PER_EXCHANGE; nRead++) {
        IO_OUTCOME outcome = IO_DONE;
        if (!bStatusSeen && nRead % REPORTS_BEFORE_NEW_REQUEST == 0) {
            BeginReport(pDev, RPT_OUT_STATUS);
            outcome = WriteReport(pDev);
        }
        if (outcome == IO_DONE)
            outcome = ReadReport(pDev);
        if (outcome != IO_DONE)
            return outcome;
        /* Taken before decoding: an extension's identification reads further reports. */
        BYTE bId = pDev->abInput[0];
        outcome = DispatchReport(pDev);
        /* A status whose extension could not be identified still counts: the remote keeps
           working without extension data. */
        if (outcome == IO_GONE || (outcome == IO_FAILED && bId != RPT_IN_STATUS))
            return outcome;
        if (bId == RPT_IN_STATUS) {
            bStatusSeen = 1;
            ArmAlarm(pDev->pStatusAlarm, g_Lib.dwStatusInterval);
        } else if (IsDataReport(bId) && pDev->bInputFresh) {
            bDataSeen = 1;
        }
        if (bStatusSeen && bDataSeen)
            return IO_DONE;
    }
    return IO_DONE; /* tried again next cycle */
}

IO_OUTCOME UpdateDevice(WM_DEVICE *pDev)
{
    if (!pDev->bValid || pDev->nState < DEVICE_ACTIVE)
        return IO_DONE;
    PulseRumble(pDev);
    IO_OUTCOME outcome = BlinkLeds(pDev);
    if (outcome != IO_DONE)
        return outcome;
    return ExchangeReports(pDev);
}
