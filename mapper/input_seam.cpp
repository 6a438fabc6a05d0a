/*
 * input_seam.cpp - the real system calls behind the engine's edge.
 */
#include "input_seam.h"

#include <shellapi.h>

#include "timer_calls.h"

static const INPUT_SEAM g_RealSeam = { SendInput, ShellExecuteW, SystemParametersInfoW, TimerNow, IsWow64Process };

INPUT_SEAM g_Seam = g_RealSeam;

void SetInputSeam(const INPUT_SEAM *pSeam)
{
    g_Seam = pSeam ? *pSeam : g_RealSeam;
}
