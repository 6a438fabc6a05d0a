/*
 * sim_gyro.cpp - a MotionPlus: found at 0x04A600FA while inactive, activated by its two
 * register writes (alone or passing an extension through), switched off by the extension's
 * first set-up byte, and reporting the test's rates with a rest bias and noise.
 */
#include "sim_internal.h"

#include <algorithm>

typedef std::lock_guard<std::mutex> Guard;

static const DWORD MP_INIT_ADDRESS = 0x04A600F0;
static const DWORD MP_ID_ADDRESS = 0x04A600FA;
static const DWORD MP_ACTIVATE_ADDRESS = 0x04A600FE;
static const BYTE MP_INIT_VALUE = 0x55;
static const BYTE MODE_ALONE = 0x04, MODE_NUNCHUK = 0x05, MODE_CLASSIC = 0x07;
static const BYTE ID_INACTIVE[SIM_EXT_BYTES] = {0x00, 0x00, 0xA6, 0x20, 0x00, 0x05};
static const int GYRO_ZERO = 8192;
static const int UNITS_PER_DEG = 20;
static const int SLOW_LIMIT = 44000; /* hundredths of deg/s */
static const int FAST_NUM = 440, FAST_DEN = 2000;

static void ShowInactiveLocked(SIM_REMOTE *pDev)
{
    WriteMemoryLocked(pDev, MP_ID_ADDRESS, ID_INACTIVE, SIM_EXT_BYTES);
}

static void ActivateLocked(SIM_REMOTE *pDev, BYTE bMode)
{
    pDev->bMpHidExt = pDev->bExtPlugged;
    for (int i = 0; i < SIM_EXT_BYTES; i++)
        pDev->abMpHidId[i] = pDev->memory[SIM_EXT_ID_ADDRESS + i];
    const BYTE abId[SIM_EXT_BYTES] = {0x00, 0x00, 0xA4, 0x20, bMode, 0x05};
    WriteMemoryLocked(pDev, SIM_EXT_ID_ADDRESS, abId, SIM_EXT_BYTES);
    pDev->bMpMode = bMode;
    pDev->bExtPlugged = true;
    BroadcastLocked(pDev, BuildStatusReportLocked(pDev));
}

static void DeactivateLocked(SIM_REMOTE *pDev)
{
    WriteMemoryLocked(pDev, SIM_EXT_ID_ADDRESS, pDev->abMpHidId, SIM_EXT_BYTES);
    pDev->bExtPlugged = pDev->bMpHidExt;
    pDev->bMpMode = 0;
    ShowInactiveLocked(pDev);
    BroadcastLocked(pDev, BuildStatusReportLocked(pDev));
}

void GyroRegisterWrittenLocked(SIM_REMOTE *pDev, DWORD dwAddress, BYTE b)
{
    if (!pDev->bMotionPlus)
        return;
    if (dwAddress == MP_ACTIVATE_ADDRESS && !pDev->bMpMode && pDev->memory[MP_INIT_ADDRESS] == MP_INIT_VALUE &&
        (b == MODE_ALONE || b == MODE_NUNCHUK || b == MODE_CLASSIC))
        ActivateLocked(pDev, b);
    else if (dwAddress == SIM_EXT_INIT1_ADDRESS && b == MP_INIT_VALUE && pDev->bMpMode)
        DeactivateLocked(pDev);
}

bool GyroReadRefusedLocked(const SIM_REMOTE *pDev, DWORD dwAddress)
{
    bool bGyroRegister = dwAddress >= SIM_MP_REGISTERS && dwAddress < SIM_MP_REGISTERS_END;
    return bGyroRegister && (!pDev->bMotionPlus || pDev->bMpMode);
}

/* Deterministic noise in -nAmplitude..nAmplitude. */
static int Noise(const SIM_REMOTE *pDev)
{
    if (pDev->nGyroNoise <= 0)
        return 0;
    pDev->dwGyroSeed = pDev->dwGyroSeed * 1103515245u + 12345u;
    return (int)((pDev->dwGyroSeed >> 16) % (DWORD)(2 * pDev->nGyroNoise + 1)) - pDev->nGyroNoise;
}

/* The raw 14-bit reading of one axis and whether it is in its slow range. */
static int RawRate(const SIM_REMOTE *pDev, int nAxis, bool *pbSlow)
{
    int nRate = pDev->anGyroRate[nAxis];
    *pbSlow = nRate >= -SLOW_LIMIT && nRate <= SLOW_LIMIT;
    long lUnits = (long)nRate * UNITS_PER_DEG / 100;
    if (!*pbSlow)
        lUnits = lUnits * FAST_NUM / FAST_DEN;
    long lRaw = GYRO_ZERO + lUnits + pDev->anGyroBias[nAxis] + Noise(pDev);
    return (int)std::min(std::max(lRaw, 0L), 0x3FFFL);
}

static void EncodeGyro(const SIM_REMOTE *pDev, BYTE ab[SIM_EXT_BYTES], bool bExtBehind)
{
    bool abSlow[3];
    int anRaw[3];
    for (int i = 0; i < 3; i++)
        anRaw[i] = RawRate(pDev, i, &abSlow[i]);
    for (int i = 0; i < 3; i++)
        ab[i] = (BYTE)anRaw[i];
    /* Yaw, roll, pitch order in the bytes; slow flags: yaw and pitch in byte 3, roll in byte 4. */
    ab[3] = (BYTE)((anRaw[0] >> 8) << 2 | (abSlow[0] ? 0x02 : 0) | (abSlow[2] ? 0x01 : 0));
    ab[4] = (BYTE)((anRaw[1] >> 8) << 2 | (abSlow[1] ? 0x02 : 0) | (bExtBehind ? 0x01 : 0));
    ab[5] = (BYTE)((anRaw[2] >> 8) << 2 | 0x02);
}

/* The plugged extension's plain bytes in the pass-through layout of the mode. */
static void EncodePassThrough(const SIM_REMOTE *pDev, BYTE ab[SIM_EXT_BYTES])
{
    const BYTE *e = pDev->abExt;
    std::copy(e, e + SIM_EXT_BYTES, ab);
    if (pDev->bMpMode == MODE_NUNCHUK) {
        int nAccX = e[2] << 2 | ((e[5] >> 2) & 3), nAccY = e[3] << 2 | ((e[5] >> 4) & 3);
        int nAccZ = e[4] << 2 | ((e[5] >> 6) & 3);
        ab[4] = (BYTE)((nAccZ >> 3) << 1 | 0x01);
        ab[5] = (BYTE)(((nAccZ >> 1) & 3) << 6 | ((nAccY >> 1) & 1) << 5 | ((nAccX >> 1) & 1) << 4 |
                       ((e[5] >> 1) & 1) << 3 | (e[5] & 1) << 2);
    } else {
        ab[0] = (BYTE)((e[0] & 0xFE) | (e[5] & 1));
        ab[1] = (BYTE)((e[1] & 0xFE) | ((e[5] >> 1) & 1));
        ab[4] = (BYTE)((e[4] & 0xFE) | 0x01);
        ab[5] = (BYTE)(e[5] & 0xFC);
    }
}

void FillGyroFrameLocked(const SIM_REMOTE *pDev, BYTE ab[SIM_EXT_BYTES])
{
    /* In a pass-through mode with an extension behind it, its frames take every other turn. */
    bool bPassing = pDev->bMpMode != MODE_ALONE && pDev->bMpHidExt;
    pDev->bGyroTurn = !pDev->bGyroTurn;
    if (bPassing && !pDev->bGyroTurn)
        EncodePassThrough(pDev, ab);
    else
        EncodeGyro(pDev, ab, pDev->bMpHidExt);
}

void SimSetMotionPlus(SIM_REMOTE *pSim, int bPresent)
{
    Guard guard(g_SimLock);
    pSim->bMotionPlus = bPresent != 0;
    if (pSim->bMotionPlus)
        ShowInactiveLocked(pSim);
    else if (pSim->bMpMode)
        DeactivateLocked(pSim);
}

void SimSetGyro(SIM_REMOTE *pSim, int nYaw, int nRoll, int nPitch)
{
    Guard guard(g_SimLock);
    pSim->anGyroRate[0] = nYaw;
    pSim->anGyroRate[1] = nRoll;
    pSim->anGyroRate[2] = nPitch;
}

void SimSetGyroBias(SIM_REMOTE *pSim, int nYaw, int nRoll, int nPitch, int nNoise)
{
    Guard guard(g_SimLock);
    pSim->anGyroBias[0] = nYaw;
    pSim->anGyroBias[1] = nRoll;
    pSim->anGyroBias[2] = nPitch;
    pSim->nGyroNoise = nNoise;
}

void SimRefuseGyroWrites(SIM_REMOTE *pSim, int nWrites)
{
    Guard guard(g_SimLock);
    pSim->nGyroRefusals = nWrites;
}

int SimMotionPlusMode(SIM_REMOTE *pSim)
{
    Guard guard(g_SimLock);
    return pSim->bMpMode;
}
