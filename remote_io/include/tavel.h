/*
 * tavel.h - the boundary of tavel.dll: records, flags, result codes and exports.
 *
 * Shared by the library, by Zan and by the tests. Every export is
 * WINAPI (__stdcall) and exported under its plain name (no @N decoration),
 * so clients in any language can find it with GetProcAddress.
 * Every export leaves one of the WME_* codes in the calling thread's
 * last-error value (GetLastError).
 */
#ifndef TAVEL_H
#define TAVEL_H

#include <windows.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TAVEL_API WINAPI

#define TAVEL_SLOTS 10

/* Result codes left in the thread's last-error value. */
#define WME_SUCCESS             0x10000000
#define WME_READ_WRITEONLY      0x10000001
#define WME_READ_ERROR          0x10000002
#define WME_IO                  0x10000004
#define WME_NOT_INITIALIZED     0x10000005
#define WME_ALREADY_INITIALIZED 0x10000006
#define WME_BAD_INDEX           0x10000007
#define WME_NO_DEVICE           0x10000008
#define WME_BAD_PARAMETER       0x10000009
#define WME_BAD_EXTENSION       0x1000000B
#define WME_THREAD              0x1000000C
#define WME_NOT_FOUND           0x1000000D
#define WME_NO_SLOT             0x1000000E
#define WME_READ_OVERRUN        0x1000000F
#define WME_NO_EXTENSION        0x10000010
#define WME_BUSY                0x10000012
#define WME_REMOVED             0x10000013
#define WME_CONNECTING          0x10000014
#define WME_NONE                0x10000015
/* wm_Connect found a Wii Remote whose system reports input or output lengths shorter than
   22 bytes (or longer than 64), and connected none. */
#define WME_REPORT_LENGTH       0x10000016
/* wm_Init was called while a close asked for inside a notification (or during another thread's
   call) was still to be finished: inside a notification's handler at once, elsewhere after
   waiting 2 s for it. */
#define WME_CLOSING             0x10000017

/* Default notification message numbers. */
#define WM_MSG_STATUS_DEFAULT  0x8000
#define WM_MSG_KEY_DEFAULT     0x8001
#define WM_MSG_CONNECT_DEFAULT 0x8002
#define WM_MSG_LOST_DEFAULT    0x8003

/* WM_SYSTEM.dwFlags */
#define WMSYS_AUTOUPDATE 0x01
#define WMSYS_TIMEOUT    0x02
#define WMSYS_SMOOTHING  0x04
#define WMSYS_HWND       0x08
#define WMSYS_MESSAGES   0x10
#define WMSYS_USERVALUE  0x20

/* WM_STATUS.dwFlags, also the mask of the status-changed notification (0x01..0x10). */
#define WMST_LED       0x01
#define WMST_RUMBLE    0x02
#define WMST_BATTERY   0x04
#define WMST_REPORT    0x08
#define WMST_EXTENSION 0x10
#define WMST_SPEAKER   0x20
#define WMST_IRCAMERA  0x40

/* Report content flags (WM_STATUS.dwReport). */
#define WMRPT_KEYS      0x01
#define WMRPT_ACCEL     0x02
#define WMRPT_IR        0x04
#define WMRPT_EXTENSION 0x08
/* The gyro of a MotionPlus (built into a Wii Remote Plus, or plugged in): set it to switch the
   gyro on, clear it to switch it off. An extension plugged behind the MotionPlus keeps
   reporting, on every other report. Without a MotionPlus the flag is kept and does nothing. */
#define WMRPT_MOTION    0x10

/* Extension kinds (WM_STATUS.nExtType). */
#define WMEXT_NONE        0
#define WMEXT_NUNCHUK     1
#define WMEXT_CLASSIC     2
#define WMEXT_CLASSIC_PRO 3

/* Steady LEDs in WM_STATUS.dwBlink (seven F digits). */
#define WM_BLINK_STEADY 0x0FFFFFFF
/* WM_STATUS.dwRumbleTime that leaves the rumble alarm as it is (besides 0). */
#define WM_RUMBLE_KEEP_ALARM 0xFFFFFFFF

/*
 * Layout. Every field of the records below is 32 bits but WM_SYSTEM.hWnd, which is a
 * window handle and so pointer-sized: 4 bytes in the 32-bit library (all records packed
 * without gaps, WM_SYSTEM 36 bytes), 8 bytes in the 64-bit one, where hWnd sits at offset 16
 * and WM_SYSTEM is 40 bytes. The records have no other padding on either architecture.
 */
typedef struct WM_SYSTEM {
    DWORD dwFlags;
    int   bAutoUpdate;
    DWORD dwTimeout;
    int   nSmoothing;
    HWND  hWnd;
    UINT  uMsgStatus;
    UINT  uMsgKey;
    UINT  uMsgLost;
    DWORD dwUserValue;
} WM_SYSTEM;

typedef struct WM_STATUS {
    DWORD dwFlags;
    BYTE  abLed[4];
    DWORD dwBlink;
    int   nRumblePower;
    DWORD dwRumbleTime;
    int   bBatteryOk;
    int   nBattery;
    DWORD dwReport;
    int   nExtType;
    int   bSpeaker;
    int   bIrCamera;
} WM_STATUS;

/* Core buttons (1 pressed) and accelerometer in hundredths of g; -1 when not reported. */
typedef struct WM_KEY {
    int nA, nB, nMinus, nHome, nPlus, nOne, nTwo;
    int nUp, nDown, nLeft, nRight;
    int nAccX, nAccY, nAccZ;
} WM_KEY;

#define WM_KEY_FIELDS 14

typedef struct WM_NUNCHUK_KEYS {
    int nC, nZ;
    int nStickX, nStickY;
    int nAccX, nAccY, nAccZ;
} WM_NUNCHUK_KEYS;

typedef struct WM_CLASSIC_KEYS {
    int nA, nB, nMinus, nHome, nPlus, nX, nY;
    int nUp, nDown, nLeft, nRight;
    int nL, nR, nZL, nZR;
    int nLX, nLY, nRX, nRY;
    int nLT, nRT;
} WM_CLASSIC_KEYS;

#define WM_KEYEX_FIELDS 21

/* One record, two views chosen by the remote's extension kind. */
typedef struct WM_KEYEX {
    union {
        WM_NUNCHUK_KEYS Nunchuk;
        WM_CLASSIC_KEYS Classic;
        int anField[WM_KEYEX_FIELDS];
    };
} WM_KEYEX;

/* The IR camera (wm_GetIr). The camera is on while the remote's dwReport holds WMRPT_IR, and
   off otherwise; a polled remote's is switched by the worker just after wm_SetStatus returns.
   A dot the camera does not see is absent: bSeen 0 and its other fields -1. */
#define WM_IR_DOTS 4
#define WM_IR_WIDTH  1024   /* x runs 0..1023, y 0..767, as the camera sees them (not mirrored) */
#define WM_IR_HEIGHT 768

/* WM_IR.nCamera */
#define WMIR_OFF      0
#define WMIR_STARTING 1   /* its set-up is under way (or being repeated) */
#define WMIR_ON       2
#define WMIR_FAILED   3   /* the set-up failed three times running; tried again after 2 s */

/* WM_IR.nFormat: what the reports carry, as the camera's mode register has it. */
#define WMIR_FORMAT_NONE     0
#define WMIR_FORMAT_BASIC    1   /* reports 0x36, 0x37: positions only, nSize -1 */
#define WMIR_FORMAT_EXTENDED 3   /* report 0x33: positions and sizes 0..15 */

typedef struct WM_IR_DOT {
    int bSeen;
    int nX, nY;
    int nSize;
} WM_IR_DOT;

typedef struct WM_IR {
    int nCamera;
    int nFormat;
    int nDotsSeen;
    WM_IR_DOT aDot[WM_IR_DOTS];
} WM_IR;

/* The gyro (wm_GetMotion). */
#define WMMP_NONE     0   /* no MotionPlus found on this remote (looked for every 2 s while asked for) */
#define WMMP_OFF      1   /* found, and not asked for (WMRPT_MOTION clear), or its activation
                             failed and is tried again after 2 s */
#define WMMP_STARTING 2   /* being activated */
#define WMMP_ON       3

/* Rates in hundredths of a degree a second, signed as the MotionPlus reports them (a raw
   reading above its zero is positive), with the rest bias removed once bCalibrated. Yaw turns
   the remote's front left or right, pitch tips it up or down, roll turns it about its long axis.
   A fast flag says that axis reported in its fast range (above about 440 degrees a second). */
typedef struct WM_MOTION {
    int nState;
    int nYaw, nRoll, nPitch;
    int bYawFast, bRollFast, bPitchFast;
    int bCalibrated;   /* the rest bias was measured while the remote lay still */
} WM_MOTION;

/* Bits of the input-changed notification's first mask, besides the buttons (0x001..0x400) and
   the accelerometer axes (0x800..0x2000), for clients whose dwReport asks for them. */
#define WMKEY_CHANGED_IR     0x10000
#define WMKEY_CHANGED_MOTION 0x20000

/* The layout stated above, checked wherever this header is compiled (C or C++). */
#define TAVEL_LAYOUT_CHECK(name, condition) typedef char tavel_layout_##name[(condition) ? 1 : -1]
TAVEL_LAYOUT_CHECK(system_size, sizeof(WM_SYSTEM) == (sizeof(void *) == 4 ? 36 : 40));
TAVEL_LAYOUT_CHECK(system_hwnd, offsetof(WM_SYSTEM, hWnd) == 16 && sizeof(HWND) == sizeof(void *));
TAVEL_LAYOUT_CHECK(system_msgs, offsetof(WM_SYSTEM, uMsgStatus) == 16 + sizeof(void *));
TAVEL_LAYOUT_CHECK(system_user, offsetof(WM_SYSTEM, dwUserValue) == 28 + sizeof(void *));
TAVEL_LAYOUT_CHECK(status_size, sizeof(WM_STATUS) == 44 && offsetof(WM_STATUS, dwBlink) == 8);
TAVEL_LAYOUT_CHECK(status_ir, offsetof(WM_STATUS, bIrCamera) == 40);
TAVEL_LAYOUT_CHECK(key_size, sizeof(WM_KEY) == 4 * WM_KEY_FIELDS && offsetof(WM_KEY, nAccZ) == 52);
TAVEL_LAYOUT_CHECK(keyex_size, sizeof(WM_KEYEX) == 4 * WM_KEYEX_FIELDS);
TAVEL_LAYOUT_CHECK(ir_size, sizeof(WM_IR_DOT) == 16 && sizeof(WM_IR) == 12 + 16 * WM_IR_DOTS);
TAVEL_LAYOUT_CHECK(motion_size, sizeof(WM_MOTION) == 32 && offsetof(WM_MOTION, bCalibrated) == 28);
TAVEL_LAYOUT_CHECK(classic_rt, offsetof(WM_CLASSIC_KEYS, nRT) == 80 && offsetof(WM_NUNCHUK_KEYS, nAccZ) == 24);
#undef TAVEL_LAYOUT_CHECK

/*
 * Notifications and what a handler may call. The library sends (SendMessageW) its messages to
 * the window named in WM_SYSTEM.hWnd: from its worker thread (input changed, status changed,
 * and disconnected for a polled remote that went away), and from inside the export that caused
 * them, on the caller's thread (connected: wm_Connect; disconnected: wm_Disconnect and any
 * export that finds its remote gone; status changed: wm_SetStatus). A handler may call:
 *   - every getter (wm_GetKey, wm_GetKeyEx, wm_GetIr, wm_GetMotion, wm_GetStatus, wm_GetSystem, wm_Exist, wm_Count)
 *     and wm_SetSystem and wm_SetStatus, from every notification;
 *   - wm_Disconnect, from every notification, also for the remote it is told about;
 *   - wm_Connect, from the worker's notifications only: from one sent inside an export it fails
 *     at once with WME_BUSY (a search inside a search);
 *   - wm_Close, from every notification: it returns at once (WME_SUCCESS) and every later call
 *     is refused with WME_NOT_INITIALIZED; the close is finished when the outermost library
 *     call on the sending thread returns (the worker's message: when the handler returns), so
 *     no lock is released under anyone. wm_Connect stops looking for remotes and returns -1
 *     with WME_NOT_INITIALIZED; the other remotes of a -1 call are left to the close.
 *   - wm_Init, from no notification after wm_Close there: it fails at once with WME_CLOSING.
 * The same holds for a wm_Close on one thread while another thread is inside a library call:
 * the last call to return finishes the close.
 *
 * Bounds (none includes the time the client's handlers take):
 *   - The getters of a polled remote (bAutoUpdate, the default) read the library's copy of its
 *     state and return within milliseconds, whatever the remote or the driver does. Those of
 *     an unpolled remote ask it, within its dwTimeout plus 0.1 s.
 *   - An export that sends to a remote waits for its own report only: dwTimeout plus 0.2 s.
 *     The camera's and the gyro's set-ups, which a WMST_REPORT change may ask for, are left to
 *     the worker for a polled remote. An unpolled remote's run inside wm_SetStatus: up to three
 *     tries of seven acknowledged writes for the camera and two for the gyro, each write
 *     waiting for at most 64 reports (about 0.7 s of streaming), or dwTimeout when the remote
 *     falls silent.
 *   - wm_Connect returns within 3 s however many remotes Windows lists that never answer
 *     (paired remotes that are switched off): the remotes not reached by then are not tried.
 *   - wm_Close returns within 0.8 s whatever the remotes' dwTimeout and whatever the driver
 *     does (a set-output-report call that never returns, a cancelled read that never
 *     completes): up to 0.1 s for the worker to stop, 0.5 s for the remotes' last output
 *     reports (LEDs and rumble off, streaming off) and 0.1 s for a cancel the driver does not
 *     complete. A device handle whose set-output-report call never returns stays open until
 *     the call returns, so no call ever runs on a closed handle.
 *   - A polled remote that sends nothing for its dwTimeout (it streams a report every 10 ms
 *     while it is there) is taken as gone.
 */

/* Library as a whole. */
int TAVEL_API wm_Init(void);
int TAVEL_API wm_Close(void);
int TAVEL_API wm_Version(void);
int TAVEL_API wm_Count(void);
int TAVEL_API wm_Exist(int nIndex);

/* Discovery and connection. */
int TAVEL_API wm_Connect(HWND hWnd, UINT uMsg);
int TAVEL_API wm_Disconnect(int nIndex, int bKeepOutputs);

/* State of one remote (or of every remote with -1 where allowed). */
int TAVEL_API wm_GetKey(int nIndex, WM_KEY *pKey);
int TAVEL_API wm_GetKeyEx(int nIndex, WM_KEYEX *pKeyEx);
int TAVEL_API wm_GetStatus(int nIndex, WM_STATUS *pStatus);
int TAVEL_API wm_SetStatus(int nIndex, const WM_STATUS *pStatus);
int TAVEL_API wm_GetSystem(int nIndex, WM_SYSTEM *pSystem);
int TAVEL_API wm_SetSystem(int nIndex, const WM_SYSTEM *pSystem);
/* The camera's dots and state, and the gyro's rates and state; getters like wm_GetKey. */
int TAVEL_API wm_GetIr(int nIndex, WM_IR *pIr);
int TAVEL_API wm_GetMotion(int nIndex, WM_MOTION *pMotion);

#ifdef __cplusplus
}
#endif

#endif
