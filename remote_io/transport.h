/*
 * transport.h - moving reports between the library and one remote, and the output commands.
 * Every function runs under the remote's slot lock and returns true or false with the
 * reason in the last-error code. After a failed transfer the remote has been torn down
 * (unless it was still being set up): callers return at once without touching it.
 */
#ifndef TAVEL_TRANSPORT_H
#define TAVEL_TRANSPORT_H

#include "device.h"

/* Output report ids. */
#define RPT_OUT_LEDS         0x11
#define RPT_OUT_MODE         0x12
#define RPT_OUT_STATUS       0x15
#define RPT_OUT_WRITE_MEMORY 0x16
#define RPT_OUT_READ_MEMORY  0x17

/* Input report ids. */
#define RPT_IN_STATUS      0x20
#define RPT_IN_MEMORY      0x21
#define RPT_IN_ACK         0x22
#define RPT_IN_DATA_FIRST  0x30
#define RPT_IN_DATA_LAST   0x37

/* ReadReport masks. */
#define READ_DATA   0x01
#define READ_STATUS 0x02
#define READ_ANY    0xFF
#define READ_UNTIL  0x100

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

int IsDataReport(BYTE bId);

/* Starts an output report in abReport: the id, the rumble bit, the rest zero. */
void BeginReport(WM_DEVICE *pDev, BYTE bId);

int ReadReport(WM_DEVICE *pDev, int bDispatch, DWORD dwMask);
int WriteReport(WM_DEVICE *pDev);
/* Sends abReport without the lost-remote handling (for the teardown's own all-off report). */
int SendReportRaw(WM_DEVICE *pDev);

int SetLeds(WM_DEVICE *pDev, int bLed1, int bLed2, int bLed3, int bLed4, int bRumble);
BYTE ReportModeFor(DWORD dwReport);
int SetReportMode(WM_DEVICE *pDev);
int RequestStatus(WM_DEVICE *pDev);
int ReadMemory(WM_DEVICE *pDev, DWORD dwAddress, BYTE *pbDest, int cbLength);
int WriteMemory(WM_DEVICE *pDev, DWORD dwAddress, BYTE bData);
int ReadIdentity(WM_DEVICE *pDev);
int ReadAccelCalibration(WM_DEVICE *pDev);

/* True when the last failure took the remote away (torn down, or freed during a notification). */
int RemoteGone(void);

#endif
