/*
 * one_euro.cpp - the 1-euro filter that steadies the IR pointer.
 */
#include <math.h>

#include "pointer.h"

static const double PI = 3.14159265358979323846;

/* A cycle the clock calls 0 ms long still counts, so a rate is never divided by zero. */
#define EURO_MIN_SECONDS 0.001

/* The share of the new input that an exponential low pass of this cutoff takes in one step. */
static double Smoothing(double dCutoffHz, double dSeconds)
{
    double dTau = 1.0 / (2.0 * PI * dCutoffHz);
    return 1.0 / (1.0 + dTau / dSeconds);
}

double FilterOneEuro(ONE_EURO *pFilter, double dValue, double dSeconds)
{
    if (!pFilter->bStarted) {
        pFilter->bStarted = 1;
        pFilter->dValue = dValue;
        pFilter->dRate = 0;
        return dValue;
    }
    if (dSeconds < EURO_MIN_SECONDS)
        dSeconds = EURO_MIN_SECONDS;
    double dRate = (dValue - pFilter->dValue) / dSeconds;
    pFilter->dRate += Smoothing(EURO_D_CUTOFF_HZ, dSeconds) * (dRate - pFilter->dRate);
    double dCutoff = EURO_MIN_CUTOFF_HZ + EURO_BETA * fabs(pFilter->dRate);
    pFilter->dValue += Smoothing(dCutoff, dSeconds) * (dValue - pFilter->dValue);
    return pFilter->dValue;
}
