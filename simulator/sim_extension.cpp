/*
 * sim_extension.cpp - extensions: identifiers and typical calibration, plugging and
 * unplugging, and the encoders that put Nunchuk and Classic input into e0..e5.
 */
#include "sim_internal.h"

#include <algorithm>

static const BYTE ID_NUNCHUK[SIM_EXT_BYTES] = {0x00, 0x00, 0xA4, 0x20, 0x00, 0x00};
static const BYTE ID_CLASSIC[SIM_EXT_BYTES] = {0x00, 0x00, 0xA4, 0x20, 0x01, 0x01};
static const BYTE ID_CLASSIC_PRO[SIM_EXT_BYTES] = {0x01, 0x00, 0xA4, 0x20, 0x01, 0x01};

/* Nunchuk: zero g 0x80 (x4 = 0x200), one g 0xB3; sticks 0x20..0xE0 around 0x80. */
static const BYTE CAL_NUNCHUK[SIM_EXT_CAL_BYTES] = {0x80, 0x80, 0x80, 0x00, 0xB3, 0xB3, 0xB3, 0x00,
                                                    0xE0, 0x20, 0x80, 0xE0, 0x20, 0x80, 0x00, 0x00};
/* Classic: left stick 0xF0/0x10/0x80 (>>2: 60/4/32), right 0xE0/0x18/0x78 (>>3: 28/3/15). */
static const BYTE CAL_CLASSIC[SIM_EXT_CAL_BYTES] = {0xF0, 0x10, 0x80, 0xF0, 0x10, 0x80, 0xE0, 0x18,
                                                    0x78, 0xE0, 0x18, 0x78, 0x00, 0x00, 0x00, 0x00};

static const BYTE NUNCHUK_STICK_CENTRE = 0x80;
static const WORD NUNCHUK_ACCEL_ZERO = 0x200;
static const int CLASSIC_LEFT_CENTRE = 32;
static const int CLASSIC_RIGHT_CENTRE = 16;

/* Where each Classic button lives: byte e4 or e5, and the bit, in the order of SimSetClassic. */
struct ButtonBit {
    int nByte;
    int nBit;
};
static const ButtonBit CLASSIC_BUTTONS[] = {
    {5, 4}, {5, 6}, {4, 4}, {4, 3}, {4, 2}, {5, 3}, {5, 5}, /* a b Minus Home Plus x y */
    {5, 0}, {4, 6}, {5, 1}, {4, 7},                         /* Up Down Left Right */
    {4, 5}, {4, 1}, {5, 7}, {5, 2},                         /* L R ZL ZR */
};

static void EncodeNunchuk(BYTE ab[SIM_EXT_BYTES], BYTE bStickX, BYTE bStickY, WORD wAccX,
                          WORD wAccY, WORD wAccZ, int bC, int bZ)
{
    ab[0] = bStickX;
    ab[1] = bStickY;
    ab[2] = (BYTE)(wAccX >> 2);
    ab[3] = (BYTE)(wAccY >> 2);
    ab[4] = (BYTE)(wAccZ >> 2);
    ab[5] = (BYTE)((bZ ? 0 : 0x01) | (bC ? 0 : 0x02) | (wAccX & 3) << 2 | (wAccY & 3) << 4 |
                   (wAccZ & 3) << 6);
}

static void EncodeClassic(BYTE ab[SIM_EXT_BYTES], int nLX, int nLY, int nRX, int nRY, int nLT,
                          int nRT, WORD wButtons)
{
    const int SIX_BITS = 0x3F, FIVE_BITS = 0x1F;
    nLX &= SIX_BITS;
    nLY &= SIX_BITS;
    nRX &= FIVE_BITS;
    nRY &= FIVE_BITS;
    nLT &= FIVE_BITS;
    nRT &= FIVE_BITS;
    ab[0] = (BYTE)(nLX | (nRX >> 3) << 6);
    ab[1] = (BYTE)(nLY | ((nRX >> 1) & 3) << 6);
    ab[2] = (BYTE)(nRY | (nLT >> 3) << 5 | (nRX & 1) << 7);
    ab[3] = (BYTE)(nRT | (nLT & 7) << 5);
    ab[4] = 0xFF; /* released buttons, and the unused bit, read 1 */
    ab[5] = 0xFF;
    for (size_t i = 0; i < sizeof CLASSIC_BUTTONS / sizeof CLASSIC_BUTTONS[0]; i++)
        if (wButtons & (1 << i))
            ab[CLASSIC_BUTTONS[i].nByte] &= (BYTE)~(1 << CLASSIC_BUTTONS[i].nBit);
}

static bool SameId(const BYTE a[SIM_EXT_BYTES], const BYTE b[SIM_EXT_BYTES])
{
    return std::equal(a, a + SIM_EXT_BYTES, b);
}

/* Input of a freshly plugged extension: centred, nothing pressed. */
void NeutralExtensionLocked(SIM_REMOTE *pDev, const BYTE abId[SIM_EXT_BYTES])
{
    if (SameId(abId, ID_NUNCHUK))
        EncodeNunchuk(pDev->abExt, NUNCHUK_STICK_CENTRE, NUNCHUK_STICK_CENTRE, NUNCHUK_ACCEL_ZERO,
                      NUNCHUK_ACCEL_ZERO, NUNCHUK_ACCEL_ZERO, 0, 0);
    else if (SameId(abId, ID_CLASSIC) || SameId(abId, ID_CLASSIC_PRO))
        EncodeClassic(pDev->abExt, CLASSIC_LEFT_CENTRE, CLASSIC_LEFT_CENTRE, CLASSIC_RIGHT_CENTRE,
                      CLASSIC_RIGHT_CENTRE, 0, 0, 0);
    else
        std::fill(pDev->abExt, pDev->abExt + SIM_EXT_BYTES, 0x00);
}

void SimPlugExtensionId(SIM_REMOTE *pSim, const BYTE abId[6], const BYTE *pbCal16)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    const BYTE *pbCal = pbCal16;
    if (!pbCal)
        pbCal = SameId(abId, ID_NUNCHUK) ? CAL_NUNCHUK : CAL_CLASSIC;
    WriteMemoryLocked(pSim, SIM_EXT_CAL_ADDRESS, pbCal, SIM_EXT_CAL_BYTES);
    NeutralExtensionLocked(pSim, abId);
    /* Behind an active MotionPlus the remote sees no change: only the gyro's frames tell. */
    if (pSim->bMpMode) {
        std::copy(abId, abId + SIM_EXT_BYTES, pSim->abMpHidId);
        pSim->bMpHidExt = true;
        return;
    }
    WriteMemoryLocked(pSim, SIM_EXT_ID_ADDRESS, abId, SIM_EXT_BYTES);
    pSim->bExtPlugged = true;
    pSim->nExtInitStep = 0; /* a new extension needs initialising again */
    BroadcastLocked(pSim, BuildStatusReportLocked(pSim));
}

void SimPlugExtension(SIM_REMOTE *pSim, int nKind, const BYTE *pbCal16)
{
    const BYTE *pbId = nKind == SIM_EXT_NUNCHUK   ? ID_NUNCHUK
                       : nKind == SIM_EXT_CLASSIC ? ID_CLASSIC
                                                  : ID_CLASSIC_PRO;
    SimPlugExtensionId(pSim, pbId, pbCal16);
}

void SimUnplugExtension(SIM_REMOTE *pSim)
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    std::fill(pSim->abExt, pSim->abExt + SIM_EXT_BYTES, 0xFF);
    if (pSim->bMpMode) {
        pSim->bMpHidExt = false;
        return;
    }
    pSim->bExtPlugged = false;
    pSim->nExtInitStep = 0;
    BroadcastLocked(pSim, BuildStatusReportLocked(pSim));
}

static void SetExtensionLocked(SIM_REMOTE *pSim, const BYTE ab[SIM_EXT_BYTES])
{
    if (SameId(ab, pSim->abExt))
        return;
    std::copy(ab, ab + SIM_EXT_BYTES, pSim->abExt);
    InputChangedLocked(pSim);
}

void SimSetExtensionBytes(SIM_REMOTE *pSim, const BYTE ab[6])
{
    std::lock_guard<std::mutex> guard(g_SimLock);
    SetExtensionLocked(pSim, ab);
}

void SimSetNunchuk(SIM_REMOTE *pSim, BYTE bStickX, BYTE bStickY, WORD wAccX, WORD wAccY, WORD wAccZ,
                   int bC, int bZ)
{
    BYTE ab[SIM_EXT_BYTES];
    EncodeNunchuk(ab, bStickX, bStickY, wAccX, wAccY, wAccZ, bC, bZ);
    std::lock_guard<std::mutex> guard(g_SimLock);
    SetExtensionLocked(pSim, ab);
}

void SimSetClassic(SIM_REMOTE *pSim, int nLX, int nLY, int nRX, int nRY, int nLT, int nRT,
                   WORD wButtons)
{
    BYTE ab[SIM_EXT_BYTES];
    EncodeClassic(ab, nLX, nLY, nRX, nRY, nLT, nRT, wButtons);
    std::lock_guard<std::mutex> guard(g_SimLock);
    SetExtensionLocked(pSim, ab);
}
