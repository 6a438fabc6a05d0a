/* device.cpp - alarms, smoothing filters and the filter banks of a remote. */
#include "device.h"

#include <stdlib.h>

#include "timer_calls.h"

static CLOCK_PROC g_pfnClock = TimerNow;

DWORD ClockNow(void)
{
    return g_pfnClock();
}

void SetClockProc(CLOCK_PROC pfnClock)
{
    g_pfnClock = pfnClock ? pfnClock : TimerNow;
}

WM_ALARM *CreateAlarm(void)
{
    return (WM_ALARM *)calloc(1, sizeof(WM_ALARM));
}

void FreeAlarm(WM_ALARM *pAlarm)
{
    free(pAlarm);
}

void ArmAlarm(WM_ALARM *pAlarm, DWORD dwMs)
{
    if (!pAlarm)
        return;
    if (dwMs == 0) {
        pAlarm->bArmed = 0;
        return;
    }
    pAlarm->bArmed = 1;
    pAlarm->dwDeadline = ClockNow() + dwMs;
}

int AlarmFired(const WM_ALARM *pAlarm)
{
    if (!pAlarm || !pAlarm->bArmed)
        return 0;
    /* Signed distance of the unsigned counts, so the 49.7-day wrap of the clock is harmless. */
    return (LONG)(ClockNow() - pAlarm->dwDeadline) >= 0;
}

DWORD AlarmLeft(const WM_ALARM *pAlarm)
{
    if (!pAlarm || !pAlarm->bArmed)
        return INFINITE;
    LONG lLeft = (LONG)(pAlarm->dwDeadline - ClockNow());
    return lLeft <= 0 ? 0 : (DWORD)lLeft;
}

WM_TRANSFER *CreateTransfer(void)
{
    WM_TRANSFER *pTransfer = (WM_TRANSFER *)calloc(1, sizeof(WM_TRANSFER));
    if (pTransfer && !(pTransfer->io.hEvent = CreateEventW(NULL, TRUE, TRUE, NULL))) {
        free(pTransfer);
        pTransfer = NULL;
    }
    return pTransfer;
}

void FreeTransfer(WM_TRANSFER *pTransfer)
{
    if (!pTransfer)
        return;
    CloseHandle(pTransfer->io.hEvent);
    free(pTransfer);
}

WM_FILTER *CreateFilter(int nCount)
{
    if (nCount <= 0)
        return NULL;
    WM_FILTER *pFilter = (WM_FILTER *)calloc(1, sizeof(WM_FILTER));
    if (!pFilter)
        return NULL;
    pFilter->anSample = (int *)calloc((size_t)nCount, sizeof(int));
    if (!pFilter->anSample) {
        free(pFilter);
        return NULL;
    }
    pFilter->nCount = nCount;
    return pFilter;
}

void FreeFilter(WM_FILTER *pFilter)
{
    if (!pFilter)
        return;
    free(pFilter->anSample);
    free(pFilter);
}

int FilterSample(WM_FILTER *pFilter, int nSample)
{
    int n = pFilter->nCount;
    if (!pFilter->bPrimed) {
        for (int i = 0; i < n; i++)
            pFilter->anSample[i] = nSample;
        pFilter->bPrimed = 1;
        return nSample;
    }
    pFilter->anSample[pFilter->nPos] = nSample;
    pFilter->nPos = (pFilter->nPos + 1) % n;

    /* Newest sample weighs n, the oldest 1. */
    long long llSum = 0;
    int nAt = pFilter->nPos;
    for (int nWeight = 1; nWeight <= n; nWeight++) {
        llSum += (long long)pFilter->anSample[nAt] * nWeight;
        nAt = (nAt + 1) % n;
    }
    return (int)(llSum * 2 / ((long long)n * (n + 1)));
}

int FilterValue(WM_FILTER *pFilter, int nSample)
{
    return pFilter ? FilterSample(pFilter, nSample) : nSample;
}

/* The filter references of one kind, and how many of them are in use. */
static WM_FILTER **FilterSlots(WM_DEVICE *pDev, int nKind, int *pnCreate, int *pnRelease)
{
    switch (nKind) {
    case 0:
        *pnCreate = *pnRelease = 3;
        return pDev->apAccelFilter;
    case 1:
        *pnCreate = *pnRelease = NUN_VALUES;
        return pDev->Ext.Nunchuk.apFilter;
    case 2:
        *pnCreate = *pnRelease = CLS_VALUES;
        return pDev->Ext.Classic.apFilter;
    case 3:
        /* The PRO has no analog triggers: only the four stick filters. */
        *pnCreate = 4;
        *pnRelease = CLS_VALUES;
        return pDev->Ext.Classic.apFilter;
    default:
        *pnCreate = *pnRelease = 0;
        return NULL;
    }
}

int FilterBank(WM_DEVICE *pDev, int nMode, int nKind)
{
    int nCreate, nRelease;
    WM_FILTER **apFilter = FilterSlots(pDev, nKind, &nCreate, &nRelease);
    if (!apFilter)
        return 0;

    for (int i = 0; i < nRelease; i++) {
        FreeFilter(apFilter[i]);
        apFilter[i] = NULL;
    }
    if (nMode != FILTER_CREATE || pDev->system.nSmoothing == 0)
        return 1;

    for (int i = 0; i < nCreate; i++) {
        apFilter[i] = CreateFilter(pDev->system.nSmoothing);
        if (!apFilter[i])
            return 0; /* values without a filter pass unsmoothed */
    }
    return 1;
}
