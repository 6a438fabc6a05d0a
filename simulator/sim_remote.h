/*
 * sim_remote.h - simulated Wii Remotes (and other HID devices) behind the HID device table.
 *
 * SimInstall() puts a simulated HID bus behind g_HidIo. Every device call the library
 * makes then reaches the simulator, which answers with the remote's real report protocol:
 * output reports 0x11, 0x12, 0x15, 0x16, 0x17 in; reports 0x20, 0x21, 0x22 and data
 * reports 0x30..0x37 in the layout of the current mode out. In continuous mode a remote sends
 * a data report every 10 ms whether or not anyone reads; otherwise it sends one when its input
 * changes. Each open handle queues at most 32 input reports, dropping the oldest, like the
 * system's HID input queue. Overlapped reads and writes behave like Win32 ones (the event is
 * reset when a transfer starts and set when it completes; a transfer may complete at once or
 * stay pending), and, like Win32, no call touches the last-error value when it succeeds.
 * All functions may be called from any thread.
 */
#ifndef SIM_REMOTE_H
#define SIM_REMOTE_H

#include "hid_io.h"

typedef struct SIM_REMOTE SIM_REMOTE;

/* The bus. */
void SimInstall(void);
void SimUninstall(void);  /* restores the Win32 table; completes pending transfers as failed; frees all */
SIM_REMOTE *SimAddRemote(void);
/* Product id the remote reports: 0x0306, or 0x0330 for a Wii Remote Plus (RVL-CNT-01-TR), which
   has its MotionPlus built in. */
void SimSetProductId(SIM_REMOTE *pSim, WORD wProduct);
/* Report lengths the capability query gives (22 by default); reads and writes must use them. */
void SimSetReportLengths(SIM_REMOTE *pSim, USHORT cbInput, USHORT cbOutput);

/* Another HID device on the bus. */
#define SIM_DEV_OPEN_FAILS 0x01 /* CreateFileW fails with ERROR_ACCESS_DENIED */
#define SIM_DEV_CAPS_FAIL  0x02 /* HidP_GetCaps fails */
void SimAddHidDevice(WORD wVendor, WORD wProduct, DWORD dwFlags);

/* The device interface path of a remote, as enumeration reports it. */
const wchar_t *SimDevicePath(SIM_REMOTE *pSim);

/* Switched off: pending transfers fail, later ones fail, and it leaves enumeration. */
void SimPowerOff(SIM_REMOTE *pSim);

/* Handle accounting over the whole bus since SimInstall. */
int SimHandlesOpened(void);
int SimHandlesClosed(void);
int SimPreparsedOutstanding(void); /* preparsed data fetched and not yet freed */
int SimDeviceListsOutstanding(void); /* device information sets not yet destroyed */
int SimBadCloses(void);             /* CloseHandle of a simulated handle already closed */

/* Input the remote reports from now on. */
void SimSetButtons(SIM_REMOTE *pSim, BYTE bByte1, BYTE bByte2); /* raw bytes 1 and 2 of every report */
/* Core buttons, bit i in the order A, B, Minus, Home, Plus, 1, 2, Up, Down, Left, Right (1 = pressed). */
#define SIM_CORE_BUTTONS 11
void SimSetCoreButtons(SIM_REMOTE *pSim, WORD wButtons);
void SimSetAccel(SIM_REMOTE *pSim, BYTE bX, BYTE bY, BYTE bZ);
void SimSetBattery(SIM_REMOTE *pSim, BYTE bLevel, int bLow);
/* Memory (address space byte 0x00) or registers (0x04, e.g. 0x04A400FA); unset bytes read 0. */
void SimWriteMemory(SIM_REMOTE *pSim, DWORD dwAddress, const BYTE *pb, int cb);
void SimReadMemory(SIM_REMOTE *pSim, DWORD dwAddress, BYTE *pb, int cb); /* as stored */

/* Extensions: kind 1 Nunchuk, 2 Classic Controller, 3 Classic Controller PRO. */
#define SIM_EXT_NUNCHUK     1
#define SIM_EXT_CLASSIC     2
#define SIM_EXT_CLASSIC_PRO 3
/* Plugs in: writes the identifier (0x04A400FA) and the sixteen calibration bytes (0x04A40020,
   NULL for typical values) and sends an unrequested status report; behind an active
   MotionPlus it sends none, and only the gyro's frames (byte 4 bit 0) show it, as for unplugging. */
void SimPlugExtension(SIM_REMOTE *pSim, int nKind, const BYTE *pbCal16);
void SimPlugExtensionId(SIM_REMOTE *pSim, const BYTE abId[6], const BYTE *pbCal16);
void SimUnplugExtension(SIM_REMOTE *pSim); /* sends an unrequested status report */
/* The six extension bytes e0..e5 exactly as reported. Without an extension they are all 0xFF. */
void SimSetExtensionBytes(SIM_REMOTE *pSim, const BYTE ab[6]);
/* Encoders into e0..e5. Classic buttons: bit i in the order a, b, Minus, Home, Plus, x, y,
   Up, Down, Left, Right, L, R, ZL, ZR (1 = pressed; the wire carries them inverted). */
void SimSetNunchuk(SIM_REMOTE *pSim, BYTE bStickX, BYTE bStickY, WORD wAccX, WORD wAccY, WORD wAccZ,
                   int bC, int bZ);
void SimSetClassic(SIM_REMOTE *pSim, int nLX, int nLY, int nRX, int nRY, int nLT, int nRT,
                   WORD wButtons);

/* The IR camera: reports 0x13 and 0x1A (bit 0x04) switch it, and it reports dots only once 0x01
   then 0x08 went to its control register 0x04B00030, in the format of its mode register
   0x04B00033 (1 basic, 3 extended). Up to four dots (0..3): position 0..1023 x 0..767, size
   0..15; a hidden dot reads as all bits set. */
void SimSetIrDot(SIM_REMOTE *pSim, int nDot, int nX, int nY, int nSize);
void SimHideIrDot(SIM_REMOTE *pSim, int nDot);
/* The next nWrites writes to the camera's registers are acknowledged with an error, and not kept. */
void SimRefuseCameraWrites(SIM_REMOTE *pSim, int nWrites);
/* The mode register's format once the camera is set up and on; 0 otherwise. */
int  SimCameraFormat(SIM_REMOTE *pSim);

/* A MotionPlus (built in, as in a remote of product 0x0330, or plugged in): while inactive it
   reads xx xx A6 20 00 05 at 0x04A600FA; 0x55 to 0x04A600F0 then 0x04 (alone), 0x05 (Nunchuk
   behind) or 0x07 (Classic behind) to 0x04A600FE activate it, and it answers as the extension
   (..A4 20 0x 05) with an unrequested status; 0x55 to 0x04A400F0 switches it off again. While
   active its frames fill the extension bytes, taking turns with the extension's own, in the
   pass-through layout, in modes 0x05 and 0x07 with one plugged. */
void SimSetMotionPlus(SIM_REMOTE *pSim, int bPresent);
/* Rates in hundredths of a degree a second (above 440 deg/s an axis reports in its fast range);
   the bias is added to the raw readings with deterministic noise of +-nNoise raw units. */
void SimSetGyro(SIM_REMOTE *pSim, int nYaw, int nRoll, int nPitch);
void SimSetGyroBias(SIM_REMOTE *pSim, int nYaw, int nRoll, int nPitch, int nNoise);
/* The next nWrites register writes to the MotionPlus are acknowledged with an error. */
void SimRefuseGyroWrites(SIM_REMOTE *pSim, int nWrites);
/* The byte that activated it; 0 while inactive. */
int  SimMotionPlusMode(SIM_REMOTE *pSim);

/* Puts a raw 22-byte report into the remote's input queue (unknown ids, malformed data). */
void SimQueueReport(SIM_REMOTE *pSim, const BYTE ab[22]);

/* What the remote was told. */
int  SimLeds(SIM_REMOTE *pSim);        /* LED 1..4 as bits 0..3, from the last report 0x11 */
int  SimRumble(SIM_REMOTE *pSim);      /* rumble bit of the last output report */
BYTE SimReportMode(SIM_REMOTE *pSim);  /* mode id of the last report 0x12 (0x30 at power-on) */
int  SimContinuous(SIM_REMOTE *pSim);  /* continuous flag of the last report 0x12 */
/* 1 once 0x55 went to 0x04A400F0 and then 0x00 to 0x04A400FB since the extension was plugged. */
int  SimExtensionInitialised(SIM_REMOTE *pSim);

/* Every output report received, in order, with the path it came by. */
#define SIM_PATH_SET_REPORT 0
#define SIM_PATH_WRITE_FILE 1
int  SimOutputCount(SIM_REMOTE *pSim);
/* How many threads have called HidD_SetOutputReport for this remote. */
int  SimSetReportThreads(SIM_REMOTE *pSim);
void SimOutputAt(SIM_REMOTE *pSim, int nAt, BYTE abReport[22], int *pnPath);
void SimClearOutputs(SIM_REMOTE *pSim);

/* Faults; may be changed at any time. */
#define SIM_FAULT_NO_ANSWER     0x01 /* reads stay pending until cancelled */
#define SIM_FAULT_READ_FAILS    0x02 /* ReadFile fails at once */
#define SIM_FAULT_WRITE_FAILS   0x04 /* both output paths fail */
#define SIM_FAULT_NO_SET_REPORT 0x08 /* HidD_SetOutputReport fails; WriteFile works */
#define SIM_FAULT_NO_WRITE_FILE 0x10 /* WriteFile fails; HidD_SetOutputReport works */
#define SIM_FAULT_WRITE_PENDS   0x20 /* WriteFile stays pending until cancelled */
#define SIM_FAULT_CANCEL_STUCK  0x40 /* a cancelled or closed transfer never completes */
#define SIM_FAULT_NO_LINK       0x80 /* HidD_SetOutputReport fails, after its delay */
void SimSetFaults(SIM_REMOTE *pSim, DWORD dwFaults);
/* The identifier reads 00 FF FF FF FF FF for the next nReads reads of it. */
void SimSetExtensionNotReady(SIM_REMOTE *pSim, int nReads);
/* Memory read replies carry this error nibble (7, 8, ...) until set back to 0. */
void SimSetMemoryError(SIM_REMOTE *pSim, BYTE bError);
/* Memory reads of exactly this address are answered with this error nibble (0: none). */
void SimSetMemoryErrorAt(SIM_REMOTE *pSim, DWORD dwAddress, BYTE bError);
/* The next nOk output reports are taken, then every one fails on both paths; -1 lifts it. */
void SimFailOutputsAfter(SIM_REMOTE *pSim, int nOk);
/* Memory read replies report their address shifted by this many bytes. */
void SimSetReplyOffset(SIM_REMOTE *pSim, int nOffset);
/* HidD_SetOutputReport returns only after this many ms; INFINITE: it never returns (until
   SimUninstall, which makes it fail). 0: at once. */
void SimSetSetReportDelay(SIM_REMOTE *pSim, DWORD dwMs);
/* Paired but switched off, as Windows still lists it: it opens, reads never complete, WriteFile
   fails at once and HidD_SetOutputReport fails after about a second. */
void SimSwitchOffPaired(SIM_REMOTE *pSim);
/* The transfers left stuck in their cancel when their handle was closed complete now, a read
   with this report, as a driver that finishes them late. */
void SimFinishStuckTransfers(SIM_REMOTE *pSim, const BYTE abReport[22]);
/* Every held set-output-report call returns, as a stack does once it gives up. */
void SimReleaseHeldCalls(void);
/* Reports reach the system this long after the remote sent them (0: at once); reads of
   reports already there complete at once. */
void SimSetReadLatency(SIM_REMOTE *pSim, DWORD dwMs);

#endif
