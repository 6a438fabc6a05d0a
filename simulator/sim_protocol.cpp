/*
 * sim_protocol.cpp - the remote's side of the report protocol: output reports in,
 * status, acknowledgement, memory replies and data reports out.
 */
#include "sim_internal.h"

#include <algorithm>

enum : BYTE {
    OUT_LEDS = 0x11,
    OUT_MODE = 0x12,
    OUT_STATUS_REQUEST = 0x15,
    OUT_IR_CLOCK = 0x13,
    OUT_WRITE_MEMORY = 0x16,
    OUT_READ_MEMORY = 0x17,
    OUT_IR_POWER = 0x1A,
    IN_STATUS = 0x20,
    IN_READ_REPLY = 0x21,
    IN_ACK = 0x22,
};

static const BYTE RUMBLE_BIT = 0x01;
static const BYTE REGISTER_SPACE_BIT = 0x04;
static const BYTE CONTINUOUS_BIT = 0x04;
static const int LED_SHIFT = 4;
static const int REPLY_MAX_BYTES = 16;
static const int REPLY_DATA_AT = 6;
static const int WRITE_MAX_BYTES = 16;
static const int WRITE_DATA_AT = 6;
static const BYTE ERROR_UNREACHABLE = 7;
static const BYTE ERROR_REFUSED = 3;
static const BYTE ID_NOT_READY[SIM_EXT_BYTES] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

enum : BYTE {
    STATUS_BATTERY_LOW = 0x01,
    STATUS_EXTENSION = 0x02,
    STATUS_CAMERA = 0x08,
};
static const int STATUS_FLAGS_AT = 3;
static const int STATUS_BATTERY_AT = 6;
static const int ACK_REPORT_AT = 3;
static const int ACK_ERROR_AT = 4;
static const int REPLY_HEADER_AT = 3; /* size and error nibbles, then the address */
static const int WRITE_LENGTH_AT = 5;
static const int READ_LENGTH_AT = 5; /* two bytes, high first */
static const int MODE_ID_AT = 2;

static SimReport NewReport(const SIM_REMOTE *pDev, BYTE bId)
{
    SimReport report{};
    report[0] = bId;
    report[1] = pDev->abButtons[0];
    report[2] = pDev->abButtons[1];
    return report;
}

SimReport BuildStatusReportLocked(const SIM_REMOTE *pDev)
{
    SimReport report = NewReport(pDev, IN_STATUS);
    report[STATUS_FLAGS_AT] = (BYTE)((pDev->bBatteryLow ? STATUS_BATTERY_LOW : 0) |
                                     (pDev->bExtPlugged ? STATUS_EXTENSION : 0) |
                                     (SimCameraReadyLocked(pDev) ? STATUS_CAMERA : 0) |
                                     (pDev->nLeds << LED_SHIFT));
    report[STATUS_BATTERY_AT] = pDev->bBattery;
    return report;
}

struct ModeLayout {
    BYTE bMode;
    int nAccelAt; /* 0: none */
    int nExtAt;   /* 0: none */
    int nExtEnd;  /* one past the last extension byte */
    int nIrAt;    /* 0: none */
    int cbIr;
};

static const ModeLayout MODE_LAYOUTS[] = {
    {0x30, 0, 0, 0, 0, 0},    {0x31, 3, 0, 0, 0, 0},    {0x32, 0, 3, 11, 0, 0},
    {0x33, 3, 0, 0, 6, 12},   {0x34, 0, 3, 22, 0, 0},   {0x35, 3, 6, 22, 0, 0},
    {0x36, 0, 13, 22, 3, 10}, {0x37, 3, 16, 22, 6, 10},
};

SimReport BuildDataReportLocked(const SIM_REMOTE *pDev)
{
    SimReport report = NewReport(pDev, pDev->bMode);
    for (const ModeLayout &layout : MODE_LAYOUTS) {
        if (layout.bMode != pDev->bMode)
            continue;
        if (layout.nAccelAt)
            std::copy(pDev->abAccel, pDev->abAccel + 3, &report[layout.nAccelAt]);
        if (layout.nExtAt) {
            /* Past e0..e5 an absent extension reads 0xFF like the rest of its bytes. */
            std::fill(&report[layout.nExtAt], report.data() + layout.nExtEnd,
                      pDev->bExtPlugged ? 0x00 : 0xFF);
            if (pDev->bMpMode)
                FillGyroFrameLocked(pDev, &report[layout.nExtAt]);
            else
                std::copy(pDev->abExt, pDev->abExt + SIM_EXT_BYTES, &report[layout.nExtAt]);
        }
        if (layout.nIrAt)
            FillIrLocked(pDev, &report[layout.nIrAt], layout.cbIr);
    }
    return report;
}

void InputChangedLocked(SIM_REMOTE *pDev)
{
    if (pDev->bIsRemote && !pDev->bContinuous)
        BroadcastLocked(pDev, BuildDataReportLocked(pDev));
}

static bool IsExtensionRegister(DWORD dwAddress)
{
    return dwAddress >= SIM_EXT_REGISTERS && dwAddress < SIM_EXT_REGISTERS_END;
}

void WriteMemoryLocked(SIM_REMOTE *pDev, DWORD dwAddress, const BYTE *pb, int cb)
{
    for (int i = 0; i < cb; i++)
        pDev->memory[dwAddress + i] = pb[i];
}

static BYTE ReadByteLocked(const SIM_REMOTE *pDev, DWORD dwAddress)
{
    auto it = pDev->memory.find(dwAddress);
    return it == pDev->memory.end() ? 0 : it->second;
}

static DWORD ReportAddress(const BYTE *pb)
{
    return ((pb[1] & REGISTER_SPACE_BIT) ? SIM_REGISTER_SPACE : 0) |
           ((DWORD)pb[2] << 16) | ((DWORD)pb[3] << 8) | pb[4];
}

static void HandleWriteMemoryLocked(SIM_REMOTE *pDev, const BYTE *pb)
{
    DWORD dwAddress = ReportAddress(pb);
    int cb = std::min<int>(pb[WRITE_LENGTH_AT], WRITE_MAX_BYTES);
    SimReport ack = NewReport(pDev, IN_ACK);
    ack[ACK_REPORT_AT] = OUT_WRITE_MEMORY;
    /* A camera or MotionPlus told to refuse its set-up acknowledges the write with an error and
       keeps nothing. */
    int *pnRefusals = dwAddress >= SIM_IR_REGISTERS && dwAddress < SIM_IR_REGISTERS_END ? &pDev->nCameraRefusals
                      : dwAddress >= SIM_MP_REGISTERS && dwAddress < SIM_MP_REGISTERS_END ? &pDev->nGyroRefusals
                                                                                          : NULL;
    if (pnRefusals && *pnRefusals > 0) {
        --*pnRefusals;
        ack[ACK_ERROR_AT] = ERROR_REFUSED;
        BroadcastLocked(pDev, ack);
        return;
    }
    WriteMemoryLocked(pDev, dwAddress, pb + WRITE_DATA_AT, cb);
    for (int i = 0; i < cb; i++) {
        CameraRegisterWrittenLocked(pDev, dwAddress + i, pb[WRITE_DATA_AT + i]);
        GyroRegisterWrittenLocked(pDev, dwAddress + i, pb[WRITE_DATA_AT + i]);
        DWORD dwAt = dwAddress + i;
        BYTE b = pb[WRITE_DATA_AT + i];
        if (dwAt == SIM_EXT_INIT1_ADDRESS)
            pDev->nExtInitStep = b == SIM_EXT_INIT1_VALUE ? 1 : 0;
        else if (dwAt == SIM_EXT_INIT2_ADDRESS && pDev->nExtInitStep == 1 && b == SIM_EXT_INIT2_VALUE)
            pDev->nExtInitStep = SIM_EXT_INITIALISED;
    }
    ack[ACK_ERROR_AT] = 0;
    BroadcastLocked(pDev, ack);
}

static SimReport ReplyHeader(const SIM_REMOTE *pDev, DWORD dwAddress, int nBytes, BYTE bError)
{
    SimReport reply = NewReport(pDev, IN_READ_REPLY);
    DWORD dwShown = dwAddress + pDev->nReplyOffset;
    reply[REPLY_HEADER_AT] = (BYTE)(((nBytes - 1) << 4) | (bError & 0x0F));
    reply[REPLY_HEADER_AT + 1] = (BYTE)(dwShown >> 8);
    reply[REPLY_HEADER_AT + 2] = (BYTE)dwShown;
    return reply;
}

static void HandleReadMemoryLocked(SIM_REMOTE *pDev, const BYTE *pb)
{
    DWORD dwAddress = ReportAddress(pb);
    int cb = (pb[READ_LENGTH_AT] << 8) | pb[READ_LENGTH_AT + 1];
    if (cb == 0)
        return;
    BYTE bError = pDev->bMemError;
    if (!bError && pDev->bErrorAtAddress && dwAddress == pDev->dwErrorAddress)
        bError = pDev->bErrorAtAddress;
    if (!bError && IsExtensionRegister(dwAddress) && !pDev->bExtPlugged)
        bError = ERROR_UNREACHABLE;
    if (!bError && GyroReadRefusedLocked(pDev, dwAddress))
        bError = ERROR_UNREACHABLE;
    if (bError) {
        BroadcastLocked(pDev, ReplyHeader(pDev, dwAddress, 1, bError));
        return;
    }
    std::vector<BYTE> data(cb);
    for (int i = 0; i < cb; i++)
        data[i] = ReadByteLocked(pDev, dwAddress + i);
    bool bCoversId = dwAddress <= SIM_EXT_ID_ADDRESS && dwAddress + cb > SIM_EXT_ID_ADDRESS;
    if (bCoversId && pDev->nExtNotReady > 0) {
        pDev->nExtNotReady--;
        for (int i = 0; i < SIM_EXT_BYTES && SIM_EXT_ID_ADDRESS + i < dwAddress + cb; i++)
            data[SIM_EXT_ID_ADDRESS - dwAddress + i] = ID_NOT_READY[i];
    }
    for (int nAt = 0; nAt < cb; nAt += REPLY_MAX_BYTES) {
        int n = std::min(REPLY_MAX_BYTES, cb - nAt);
        SimReport reply = ReplyHeader(pDev, dwAddress + nAt, n, 0);
        std::copy(data.begin() + nAt, data.begin() + nAt + n, &reply[REPLY_DATA_AT]);
        BroadcastLocked(pDev, reply);
    }
}

bool OutputRefusedLocked(SIM_REMOTE *pDev)
{
    if (pDev->nOutputsLeft < 0)
        return false;
    if (pDev->nOutputsLeft == 0)
        return true;
    pDev->nOutputsLeft--;
    return false;
}

void HandleOutputLocked(SIM_REMOTE *pDev, const BYTE *pb, int nPath)
{
    SimOutput output;
    std::copy(pb, pb + SIM_REPORT_SIZE, output.report.begin());
    output.nPath = nPath;
    pDev->outputs.push_back(output);
    if (!pDev->bIsRemote)
        return;
    pDev->nRumble = pb[1] & RUMBLE_BIT;
    switch (pb[0]) {
    case OUT_LEDS:
        pDev->nLeds = pb[1] >> LED_SHIFT;
        break;
    case OUT_MODE:
        pDev->bContinuous = (pb[1] & CONTINUOUS_BIT) != 0;
        pDev->bMode = pb[MODE_ID_AT];
        PumpRemoteLocked(pDev); /* a waiting read may now find continuous data */
        break;
    case OUT_IR_CLOCK:
    case OUT_IR_POWER:
        CameraOutputLocked(pDev, pb[0], pb[1]);
        break;
    case OUT_STATUS_REQUEST:
        BroadcastLocked(pDev, BuildStatusReportLocked(pDev));
        break;
    case OUT_WRITE_MEMORY:
        HandleWriteMemoryLocked(pDev, pb);
        break;
    case OUT_READ_MEMORY:
        HandleReadMemoryLocked(pDev, pb);
        break;
    default:
        break;
    }
}
