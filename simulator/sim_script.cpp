/*
 * sim_script.cpp - what a test scripts (input, memory, raw reports, faults) and what it
 * observes (LEDs, rumble, mode, the output log).
 */
#include "sim_internal.h"

#include <algorithm>

typedef std::lock_guard<std::mutex> Guard;

void SimSetButtons(SIM_REMOTE *pSim, BYTE bByte1, BYTE bByte2)
{
    Guard guard(g_SimLock);
    if (pSim->abButtons[0] == bByte1 && pSim->abButtons[1] == bByte2)
        return;
    pSim->abButtons[0] = bByte1;
    pSim->abButtons[1] = bByte2;
    InputChangedLocked(pSim);
}

/* Where each core button lives: byte 1 or 2 of the report, and the bit, in the order of SimSetCoreButtons. */
static const BYTE CORE_BUTTONS[SIM_CORE_BUTTONS][2] = {
    {2, 3}, {2, 2}, {2, 4}, {2, 7}, {1, 4}, {2, 1}, {2, 0}, /* A B Minus Home Plus 1 2 */
    {1, 3}, {1, 2}, {1, 0}, {1, 1},                         /* Up Down Left Right */
};

void SimSetCoreButtons(SIM_REMOTE *pSim, WORD wButtons)
{
    BYTE ab[3] = {0, 0, 0};
    for (int i = 0; i < SIM_CORE_BUTTONS; i++)
        if (wButtons & (1 << i))
            ab[CORE_BUTTONS[i][0]] |= (BYTE)(1 << CORE_BUTTONS[i][1]);
    SimSetButtons(pSim, ab[1], ab[2]);
}

void SimSetAccel(SIM_REMOTE *pSim, BYTE bX, BYTE bY, BYTE bZ)
{
    Guard guard(g_SimLock);
    const BYTE abNew[3] = {bX, bY, bZ};
    if (std::equal(abNew, abNew + 3, pSim->abAccel))
        return;
    std::copy(abNew, abNew + 3, pSim->abAccel);
    InputChangedLocked(pSim);
}

void SimSetBattery(SIM_REMOTE *pSim, BYTE bLevel, int bLow)
{
    Guard guard(g_SimLock);
    pSim->bBattery = bLevel;
    pSim->bBatteryLow = bLow != 0;
}

void SimWriteMemory(SIM_REMOTE *pSim, DWORD dwAddress, const BYTE *pb, int cb)
{
    Guard guard(g_SimLock);
    WriteMemoryLocked(pSim, dwAddress, pb, cb);
}

void SimReadMemory(SIM_REMOTE *pSim, DWORD dwAddress, BYTE *pb, int cb)
{
    Guard guard(g_SimLock);
    for (int i = 0; i < cb; i++) {
        auto it = pSim->memory.find(dwAddress + i);
        pb[i] = it == pSim->memory.end() ? 0 : it->second;
    }
}

void SimQueueReport(SIM_REMOTE *pSim, const BYTE ab[22])
{
    Guard guard(g_SimLock);
    SimReport report;
    std::copy(ab, ab + SIM_REPORT_SIZE, report.begin());
    BroadcastLocked(pSim, report);
}

int SimLeds(SIM_REMOTE *pSim)
{
    Guard guard(g_SimLock);
    return pSim->nLeds;
}

int SimRumble(SIM_REMOTE *pSim)
{
    Guard guard(g_SimLock);
    return pSim->nRumble;
}

BYTE SimReportMode(SIM_REMOTE *pSim)
{
    Guard guard(g_SimLock);
    return pSim->bMode;
}

int SimContinuous(SIM_REMOTE *pSim)
{
    Guard guard(g_SimLock);
    return pSim->bContinuous;
}

int SimExtensionInitialised(SIM_REMOTE *pSim)
{
    Guard guard(g_SimLock);
    return pSim->nExtInitStep == SIM_EXT_INITIALISED;
}

int SimOutputCount(SIM_REMOTE *pSim)
{
    Guard guard(g_SimLock);
    return (int)pSim->outputs.size();
}

int SimSetReportThreads(SIM_REMOTE *pSim)
{
    Guard guard(g_SimLock);
    return (int)pSim->setReportThreads.size();
}

void SimOutputAt(SIM_REMOTE *pSim, int nAt, BYTE abReport[22], int *pnPath)
{
    Guard guard(g_SimLock);
    const SimOutput &output = pSim->outputs.at(nAt);
    std::copy(output.report.begin(), output.report.end(), abReport);
    if (pnPath)
        *pnPath = output.nPath;
}

void SimClearOutputs(SIM_REMOTE *pSim)
{
    Guard guard(g_SimLock);
    pSim->outputs.clear();
}

/* Writes held back by SIM_FAULT_WRITE_PENDS go through once the fault is lifted. */
static void ReleaseHeldWritesLocked(SIM_REMOTE *pSim)
{
    for (auto &entry : g_pSimBus->handles) {
        SimHandle *pHandle = entry.second;
        if (pHandle->pDev != pSim || !pHandle->write.bActive)
            continue;
        SimReport report = pHandle->write.report;
        CompleteTransferLocked(pHandle, pHandle->write, SIM_STATUS_SUCCESS, nullptr);
        HandleOutputLocked(pSim, report.data(), SIM_PATH_WRITE_FILE);
    }
}

void SimSetFaults(SIM_REMOTE *pSim, DWORD dwFaults)
{
    Guard guard(g_SimLock);
    pSim->dwFaults = dwFaults;
    if (dwFaults & SIM_FAULT_READ_FAILS)
        FailTransfersLocked(pSim, SIM_STATUS_UNSUCCESSFUL, true, false);
    if (!(dwFaults & SIM_FAULT_WRITE_PENDS))
        ReleaseHeldWritesLocked(pSim);
    PumpRemoteLocked(pSim); /* reads held by SIM_FAULT_NO_ANSWER may go on */
}

void SimSetExtensionNotReady(SIM_REMOTE *pSim, int nReads)
{
    Guard guard(g_SimLock);
    pSim->nExtNotReady = nReads;
}

void SimSetMemoryError(SIM_REMOTE *pSim, BYTE bError)
{
    Guard guard(g_SimLock);
    pSim->bMemError = bError;
}

void SimSetMemoryErrorAt(SIM_REMOTE *pSim, DWORD dwAddress, BYTE bError)
{
    Guard guard(g_SimLock);
    pSim->dwErrorAddress = dwAddress;
    pSim->bErrorAtAddress = bError;
}

void SimFailOutputsAfter(SIM_REMOTE *pSim, int nOk)
{
    Guard guard(g_SimLock);
    pSim->nOutputsLeft = nOk;
}

void SimSetReplyOffset(SIM_REMOTE *pSim, int nOffset)
{
    Guard guard(g_SimLock);
    pSim->nReplyOffset = nOffset;
}

void SimSetReadLatency(SIM_REMOTE *pSim, DWORD dwMs)
{
    Guard guard(g_SimLock);
    pSim->dwLatencyMs = dwMs;
    g_pSimBus->wake.notify_all();
}
