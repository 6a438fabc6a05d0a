/*
 * sim_internal.h - state shared by the simulator's parts. Everything here is guarded
 * by g_SimLock; functions named *Locked expect the caller to hold it.
 */
#ifndef SIM_INTERNAL_H
#define SIM_INTERNAL_H

#include "sim_remote.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

const int SIM_REPORT_SIZE = 22;
const size_t SIM_QUEUE_REPORTS = 32;   /* the system's default HID input queue */
const int SIM_STREAM_PERIOD_MS = 10;   /* a data report every 10 ms in continuous mode */
typedef std::array<BYTE, SIM_REPORT_SIZE> SimReport;
typedef std::chrono::steady_clock SimClock;

/* Completion codes written into OVERLAPPED.Internal. */
const ULONG_PTR SIM_STATUS_SUCCESS = 0;
const ULONG_PTR SIM_STATUS_PENDING = 0x00000103;
const ULONG_PTR SIM_STATUS_UNSUCCESSFUL = 0xC0000001;
const ULONG_PTR SIM_STATUS_CANCELLED = 0xC0000120;
const ULONG_PTR SIM_STATUS_DEVICE_NOT_CONNECTED = 0xC000009D;

const WORD SIM_NINTENDO_VENDOR = 0x057E;
const WORD SIM_REMOTE_PRODUCT = 0x0306;
const int SIM_EXT_BYTES = 6;
const int SIM_EXT_CAL_BYTES = 16;

/* Register addresses (address space byte 0x04 on top). */
const DWORD SIM_REGISTER_SPACE = 0x04000000;
const DWORD SIM_EXT_REGISTERS = 0x04A40000;
const DWORD SIM_EXT_REGISTERS_END = 0x04A50000;
const DWORD SIM_EXT_CAL_ADDRESS = 0x04A40020;
const DWORD SIM_EXT_INIT1_ADDRESS = 0x04A400F0;
const DWORD SIM_EXT_ID_ADDRESS = 0x04A400FA;
const DWORD SIM_EXT_INIT2_ADDRESS = 0x04A400FB;
const BYTE SIM_EXT_INIT1_VALUE = 0x55;
const BYTE SIM_EXT_INIT2_VALUE = 0x00;
const int SIM_EXT_INITIALISED = 2;

struct SimOutput {
    SimReport report;
    int nPath;
};

const int SIM_IR_DOTS = 4;
const DWORD SIM_IR_REGISTERS = 0x04B00000;
const DWORD SIM_IR_REGISTERS_END = 0x04B10000;
const DWORD SIM_MP_REGISTERS = 0x04A60000;
const DWORD SIM_MP_REGISTERS_END = 0x04A70000;

struct SimIrDot {
    bool bSeen = false;
    int nX = 0, nY = 0, nSize = 0;
};

/* A device on the bus: a Wii Remote, or another HID device when bIsRemote is false. */
struct SIM_REMOTE {
    int nIndex = 0;
    std::wstring path;
    WORD wVendor = SIM_NINTENDO_VENDOR;
    WORD wProduct = SIM_REMOTE_PRODUCT;
    DWORD dwDevFlags = 0;
    bool bIsRemote = true;
    bool bPoweredOff = false;

    BYTE abButtons[2] = {0, 0};
    BYTE abAccel[3] = {0, 0, 0};
    BYTE bBattery = 0;
    bool bBatteryLow = false;
    std::map<DWORD, BYTE> memory; /* full 32-bit addresses; absent bytes read 0 */

    bool bExtPlugged = false;
    int nExtInitStep = 0; /* 0 none, 1 after the first write, SIM_EXT_INITIALISED after both */
    BYTE abExt[SIM_EXT_BYTES] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

    /* The camera: its pixel clock (0x13) and power (0x1A), how far its set-up has come, the
       dots placed by the test, and register writes still to be refused. */
    bool bIrClock = false;
    bool bIrPower = false;
    int nIrStep = 0; /* 0 none, 1 after 0x01 to its control register, 2 once 0x08 followed */
    SimIrDot aDot[SIM_IR_DOTS];
    int nCameraRefusals = 0;

    /* The MotionPlus: present, and the byte that activated it (0: inactive); the extension it
       hides while active; rates (hundredths of deg/s, yaw roll pitch), bias and noise (raw). */
    bool bMotionPlus = false;
    BYTE bMpMode = 0;
    bool bMpHidExt = false;
    BYTE abMpHidId[SIM_EXT_BYTES] = {};
    int nGyroRefusals = 0; /* register writes to the MotionPlus still to be refused */
    int anGyroRate[3] = {0, 0, 0};
    int anGyroBias[3] = {0, 0, 0};
    int nGyroNoise = 0;
    mutable DWORD dwGyroSeed = 1;
    mutable bool bGyroTurn = false;

    int nLeds = 0;
    int nRumble = 0;
    BYTE bMode = 0x30;
    bool bContinuous = false;
    std::vector<SimOutput> outputs;
    std::set<DWORD> setReportThreads; /* the threads that called HidD_SetOutputReport */

    DWORD dwFaults = 0;
    int nExtNotReady = 0;
    BYTE bMemError = 0;
    DWORD dwErrorAddress = 0;
    BYTE bErrorAtAddress = 0;
    int nOutputsLeft = -1; /* output reports still taken before all fail; -1 no limit */
    int nReplyOffset = 0;
    DWORD dwLatencyMs = 0;
    DWORD dwSetReportDelayMs = 0;
    USHORT cbInput = SIM_REPORT_SIZE;
    USHORT cbOutput = SIM_REPORT_SIZE;
};

/* One transfer in flight on a handle. */
struct SimTransfer {
    bool bActive = false;
    OVERLAPPED *pOv = nullptr;
    BYTE *pBuffer = nullptr; /* reads: the caller's buffer */
    SimReport report{};      /* writes: the report held back */
};

struct SimHandle {
    HANDLE h = nullptr; /* a private event object, so the value is unique while open */
    SIM_REMOTE *pDev = nullptr;
    DWORD dwAccess = 0;
    bool bOverlapped = false;
    /* Input reports not yet read on this handle, with the time each reaches it (the remote's
       latency after it was sent); a read takes the first one that has arrived. */
    std::deque<std::pair<SimClock::time_point, SimReport>> queue;
    SimTransfer read;
    SimTransfer write;
    DWORD cbRead = 0; /* size of the caller's buffer of the read in flight */
    int nSignalsInFlight = 0; /* completed reads whose events the completion thread still sets */
};

/* A transfer whose handle was closed while its cancel was stuck: the driver may still finish it. */
struct SimStuck {
    SIM_REMOTE *pDev;
    OVERLAPPED *pOv;
    BYTE *pBuffer; /* reads only */
    DWORD cb;
};

struct SimDeviceList {
    std::vector<std::wstring> paths;
};

struct SimPreparsed {
    bool bCapsFail = false;
    USHORT cbInput = SIM_REPORT_SIZE;
    USHORT cbOutput = SIM_REPORT_SIZE;
};

struct SimBus {
    std::vector<SIM_REMOTE *> devices;
    std::map<HANDLE, SimHandle *> handles;
    std::set<HANDLE> retired; /* closed simulated handles, kept reserved to catch double closes */
    std::vector<SimStuck> stuck;
    std::set<SimDeviceList *> lists;
    std::set<SimPreparsed *> preparsed;
    int nOpened = 0;
    int nClosed = 0;
    int nBadCloses = 0;

    std::condition_variable wake; /* wakes the completion thread */
    std::thread completer;
    bool bStop = false;
    SimClock::time_point nextStream{};
    /* Set while the completion thread runs: the reads it completes, whose events (each
       duplicated, so it outlives its owner's handle) it sets once the lock is released. */
    std::vector<std::pair<HANDLE, HANDLE>> *pDeferredEvents = nullptr; /* handle, event */
    std::condition_variable signalled; /* a deferred event was set */
    std::condition_variable released; /* wakes set-output-report calls held back */
    int nHeldCalls = 0;
};

extern std::mutex g_SimLock;
extern SimBus *g_pSimBus;

/* sim_bus.cpp */
SimHandle *FindHandleLocked(HANDLE h);
void FillHidIoTable(HID_IO *pIo); /* the transfer and handle entries */

/* sim_transfer.cpp */
void CompleteTransferLocked(SimHandle *pHandle, SimTransfer &transfer, ULONG_PTR status,
                            const SimReport *pReport);
void PumpRemoteLocked(SIM_REMOTE *pDev);      /* completes reads that can complete now */
void BroadcastLocked(SIM_REMOTE *pDev, const SimReport &report);
void FailTransfersLocked(SIM_REMOTE *pDev, ULONG_PTR status, bool bReads, bool bWrites);
void StartCompleter(void);
void StopCompleter(void);
DWORD StartReadLocked(SimHandle *pHandle, BYTE *pb, DWORD cb, OVERLAPPED *pOv);
DWORD StartWriteLocked(SimHandle *pHandle, const BYTE *pb, DWORD cb, OVERLAPPED *pOv);
DWORD StatusToError(ULONG_PTR status);

/* sim_protocol.cpp */
void HandleOutputLocked(SIM_REMOTE *pDev, const BYTE *pb, int nPath);
bool OutputRefusedLocked(SIM_REMOTE *pDev); /* counts the output against SimFailOutputsAfter */
SimReport BuildDataReportLocked(const SIM_REMOTE *pDev);
SimReport BuildStatusReportLocked(const SIM_REMOTE *pDev);
void InputChangedLocked(SIM_REMOTE *pDev); /* non-continuous mode: one data report */
void WriteMemoryLocked(SIM_REMOTE *pDev, DWORD dwAddress, const BYTE *pb, int cb);

/* sim_enum.cpp */
void FillEnumTable(HID_IO *pIo);
void FreeEnumStateLocked(void);

/* sim_camera.cpp: the camera's output reports and register writes; its dots into a data
   report's nAt.. bytes (cb of them), in the format its mode register holds. */
void CameraOutputLocked(SIM_REMOTE *pDev, BYTE bId, BYTE bFlags);
void CameraRegisterWrittenLocked(SIM_REMOTE *pDev, DWORD dwAddress, BYTE b);
void FillIrLocked(const SIM_REMOTE *pDev, BYTE *pb, int cb);
bool SimCameraReadyLocked(const SIM_REMOTE *pDev); /* set up and on: the status shows it */

/* sim_gyro.cpp: activation writes; whether a memory read there is refused; the six extension
   bytes of the next data report while the gyro is active. */
void GyroRegisterWrittenLocked(SIM_REMOTE *pDev, DWORD dwAddress, BYTE b);
bool GyroReadRefusedLocked(const SIM_REMOTE *pDev, DWORD dwAddress);
void FillGyroFrameLocked(const SIM_REMOTE *pDev, BYTE ab[SIM_EXT_BYTES]);

/* sim_extension.cpp */
void NeutralExtensionLocked(SIM_REMOTE *pDev, const BYTE abId[SIM_EXT_BYTES]);

#endif
