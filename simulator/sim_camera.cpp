/*
 * sim_camera.cpp - the remote's IR camera: switched by reports 0x13 and 0x1A, set up through
 * its registers, and reporting the dots a test placed in the format its mode register holds.
 */
#include "sim_internal.h"

#include <algorithm>

typedef std::lock_guard<std::mutex> Guard;

static const BYTE ENABLE_BIT = 0x04;
static const DWORD CONTROL_ADDRESS = 0x04B00030;
static const DWORD MODE_ADDRESS = 0x04B00033;
static const BYTE CONTROL_START = 0x01;
static const BYTE CONTROL_READY = 0x08;
static const BYTE FORMAT_BASIC = 1;
static const BYTE FORMAT_EXTENDED = 3;
static const int STEP_STARTED = 1;
static const int STEP_READY = 2;

void CameraOutputLocked(SIM_REMOTE *pDev, BYTE bId, BYTE bFlags)
{
    bool bOn = (bFlags & ENABLE_BIT) != 0;
    bool &bSwitch = bId == 0x13 ? pDev->bIrClock : pDev->bIrPower;
    bSwitch = bOn;
    /* A camera switched off forgets its set-up. */
    if (!bOn)
        pDev->nIrStep = 0;
}

void CameraRegisterWrittenLocked(SIM_REMOTE *pDev, DWORD dwAddress, BYTE b)
{
    if (dwAddress != CONTROL_ADDRESS)
        return;
    if (b == CONTROL_START && pDev->bIrClock && pDev->bIrPower)
        pDev->nIrStep = STEP_STARTED;
    else if (b == CONTROL_READY && pDev->nIrStep == STEP_STARTED)
        pDev->nIrStep = STEP_READY;
}

static BYTE ModeRegister(const SIM_REMOTE *pDev)
{
    auto it = pDev->memory.find(MODE_ADDRESS);
    return it == pDev->memory.end() ? 0 : it->second;
}

bool SimCameraReadyLocked(const SIM_REMOTE *pDev)
{
    return pDev->bIrClock && pDev->bIrPower && pDev->nIrStep == STEP_READY;
}

/* An unseen dot reads as all bits set. */
static void DotBits(const SimIrDot &dot, int *pnX, int *pnY, int *pnSize)
{
    *pnX = dot.bSeen ? dot.nX & 0x3FF : 0x3FF;
    *pnY = dot.bSeen ? dot.nY & 0x3FF : 0x3FF;
    *pnSize = dot.bSeen ? dot.nSize & 0x0F : 0x0F;
}

void FillIrLocked(const SIM_REMOTE *pDev, BYTE *pb, int cb)
{
    /* A camera that was not set up sends nothing meaningful: zeros. */
    std::fill(pb, pb + cb, SimCameraReadyLocked(pDev) ? 0xFF : 0x00);
    if (!SimCameraReadyLocked(pDev))
        return;
    BYTE bFormat = ModeRegister(pDev);
    int anX[SIM_IR_DOTS], anY[SIM_IR_DOTS], anSize[SIM_IR_DOTS];
    for (int i = 0; i < SIM_IR_DOTS; i++)
        DotBits(pDev->aDot[i], &anX[i], &anY[i], &anSize[i]);
    if (bFormat == FORMAT_EXTENDED && cb >= 12) {
        for (int i = 0; i < SIM_IR_DOTS; i++) {
            pb[3 * i] = (BYTE)anX[i];
            pb[3 * i + 1] = (BYTE)anY[i];
            pb[3 * i + 2] = (BYTE)((anY[i] >> 8) << 6 | (anX[i] >> 8) << 4 | anSize[i]);
        }
    } else if (bFormat == FORMAT_BASIC && cb >= 10) {
        for (int nPair = 0; nPair < 2; nPair++) {
            BYTE *d = pb + 5 * nPair;
            int i = 2 * nPair, j = i + 1;
            d[0] = (BYTE)anX[i];
            d[1] = (BYTE)anY[i];
            d[2] = (BYTE)((anY[i] >> 8) << 6 | (anX[i] >> 8) << 4 | (anY[j] >> 8) << 2 | (anX[j] >> 8));
            d[3] = (BYTE)anX[j];
            d[4] = (BYTE)anY[j];
        }
    }
}

void SimSetIrDot(SIM_REMOTE *pSim, int nDot, int nX, int nY, int nSize)
{
    Guard guard(g_SimLock);
    if (nDot < 0 || nDot >= SIM_IR_DOTS)
        return;
    SimIrDot &dot = pSim->aDot[nDot];
    dot.bSeen = true;
    dot.nX = nX;
    dot.nY = nY;
    dot.nSize = nSize;
    InputChangedLocked(pSim);
}

void SimHideIrDot(SIM_REMOTE *pSim, int nDot)
{
    Guard guard(g_SimLock);
    if (nDot < 0 || nDot >= SIM_IR_DOTS)
        return;
    pSim->aDot[nDot].bSeen = false;
    InputChangedLocked(pSim);
}

void SimRefuseCameraWrites(SIM_REMOTE *pSim, int nWrites)
{
    Guard guard(g_SimLock);
    pSim->nCameraRefusals = nWrites;
}

int SimCameraFormat(SIM_REMOTE *pSim)
{
    Guard guard(g_SimLock);
    return SimCameraReadyLocked(pSim) ? ModeRegister(pSim) : 0;
}
