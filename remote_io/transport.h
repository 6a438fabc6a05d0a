/*
 * transport.h - moving reports between the library and one remote, and the output commands.
 * Every function runs under the remote's slot lock and returns an IO_OUTCOME; no lock is held
 * while a report is sent (output.h). Nothing here
 * tears a remote down: a lost remote comes back as IO_GONE, and only the worker's step and
 * the exports' slot runner act on it.
 */
#ifndef TAVEL_TRANSPORT_H
#define TAVEL_TRANSPORT_H

#include "device.h"

typedef enum IO_OUTCOME {
    IO_DONE = 0,
    /* Failed with the reason in the last-error code; the remote stays usable. */
    IO_FAILED = 1,
    /* The remote is gone: a transfer failed (bValid is now 0) or its record was freed while
       the client handled a notification. Callers return at once and touch the record no more. */
    IO_GONE = 2
} IO_OUTCOME;

/* Output report ids. */
#define RPT_OUT_LEDS         0x11
#define RPT_OUT_MODE         0x12
#define RPT_OUT_STATUS       0x15
#define RPT_OUT_WRITE_MEMORY 0x16
#define RPT_OUT_READ_MEMORY  0x17
#define RPT_OUT_IR_CLOCK     0x13
#define RPT_OUT_IR_POWER     0x1A

/* Input report ids. */
#define RPT_IN_STATUS      0x20
#define RPT_IN_MEMORY      0x21
#define RPT_IN_ACK         0x22
#define RPT_IN_DATA_FIRST  0x30
#define RPT_IN_DATA_LAST   0x37

#define CONTINUOUS_REPORTING 0x04

/* Reports read in one exchange before the remote is taken as broken. */
#define MAX_REPORTS_PER_EXCHANGE 64

/* Remote memory and registers (the top byte is the address space). */
#define ADDR_IDENTITY     0x00000000
#define ADDR_ACCEL_CAL    0x00000016
#define ADDR_EXT_INIT1    0x04A400F0
#define ADDR_EXT_INIT2    0x04A400FB
#define ADDR_EXT_ID       0x04A400FA
#define ADDR_EXT_CAL      0x04A40020
#define ADDR_MP_INIT      0x04A600F0
#define ADDR_MP_ID        0x04A600FA
#define ADDR_MP_ACTIVATE  0x04A600FE
#define ADDR_IR_CONTROL   0x04B00030
#define ADDR_IR_SENSITIVITY1 0x04B00000
#define ADDR_IR_SENSITIVITY2 0x04B0001A
#define ADDR_IR_MODE      0x04B00033

/* Sets the result code and returns IO_FAILED. */
IO_OUTCOME FailWith(DWORD dwCode);

int IsDataReport(BYTE bId);

/* Starts an output report in abOutput: the id, the rumble bit, the rest zero. */
void BeginReport(WM_DEVICE *pDev, BYTE bId);

/* Reads one input report into abInput, within dwTimeout (the read pending, if one is). */
IO_OUTCOME ReadReport(WM_DEVICE *pDev);
/* Without waiting: takes the report of a completed read into abInput (*pbArrived 1), or
   leaves a read pending (*pbArrived 0), starting one when none is. */
IO_OUTCOME PollRead(WM_DEVICE *pDev, int *pbArrived);
/* The event of the pending read, or NULL when none is pending. */
HANDLE ReadEvent(const WM_DEVICE *pDev);
/* Cancels a pending read and waits for the cancel a bounded time; 0 when the driver kept it
   (the remote then has a fresh transfer record, or none when it could not be had). */
int CancelRead(WM_DEVICE *pDev);
/* Drops the reports queued so far, and a pending read's. */
IO_OUTCOME FlushInput(WM_DEVICE *pDev);
/* IO_GONE (the read cancelled) when nothing has arrived for the remote's dwTimeout, which a
   remote in continuous reporting never does; else *pdwLeft is the time left. */
IO_OUTCOME CheckSilence(WM_DEVICE *pDev, DWORD *pdwLeft);
/* Sends abOutput by the remote's output path and waits for it, within dwTimeout. */
IO_OUTCOME WriteReport(WM_DEVICE *pDev);
/* Queues abOutput without waiting: a failure shows at a later send or step. */
IO_OUTCOME PostReport(WM_DEVICE *pDev);
/* Transfers on this thread end by dwDeadline (GetTickCount) too; 0 lifts it. */
void SetSetUpDeadline(DWORD dwDeadline);
/* Reads until a data report arrives and decodes it; other reports are passed over. */
IO_OUTCOME ReadDataReport(WM_DEVICE *pDev);

/* The LED report of the record's LED states and rumble bit, in abOutput. */
void BeginLedReport(WM_DEVICE *pDev);
IO_OUTCOME SetLeds(WM_DEVICE *pDev, int bLed1, int bLed2, int bLed3, int bLed4, int bRumble);
BYTE ReportModeFor(DWORD dwReport);
/* The mode of the remote's dwReport and what it has (the gyro's flag counts with a MotionPlus only). */
BYTE DeviceReportMode(const WM_DEVICE *pDev);
IO_OUTCOME SetReportMode(WM_DEVICE *pDev);
/* Asks for a status report until one arrives, and decodes it. */
IO_OUTCOME RequestStatus(WM_DEVICE *pDev);
IO_OUTCOME ReadMemory(WM_DEVICE *pDev, DWORD dwAddress, BYTE *pbDest, int cbLength);
/* One byte in a report 0x16, without waiting for the acknowledgement. */
IO_OUTCOME WriteMemory(WM_DEVICE *pDev, DWORD dwAddress, BYTE bData);
/* Up to MAX_WRITE_BYTES bytes in one report 0x16, waiting for the remote's acknowledgement:
   IO_FAILED (WME_IO) when it reports an error or never comes. */
#define MAX_WRITE_BYTES 16
IO_OUTCOME WriteRegisters(WM_DEVICE *pDev, DWORD dwAddress, const BYTE *pb, int cb);
IO_OUTCOME WriteRegister(WM_DEVICE *pDev, DWORD dwAddress, BYTE b);
IO_OUTCOME ReadIdentity(WM_DEVICE *pDev);
IO_OUTCOME ReadAccelCalibration(WM_DEVICE *pDev);

#endif
