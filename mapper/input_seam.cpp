/*
 * input_seam.cpp - the real system calls behind the engine's edge.
 */
#include "input_seam.h"

#include <mmsystem.h>
#include <shellapi.h>

INPUT_SEAM g_Seam = { SendInput, ShellExecuteW, SystemParametersInfoW, timeGetTime };

void ResetInputSeam(void)
{
    INPUT_SEAM real = { SendInput, ShellExecuteW, SystemParametersInfoW, timeGetTime };
    g_Seam = real;
}
