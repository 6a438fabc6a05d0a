/*
 * options.h - program options kept in option.ini beside the executable, or in the
 * user's %APPDATA%\Zan where the executable's folder cannot be written.
 */
#ifndef ZAN_OPTIONS_H
#define ZAN_OPTIONS_H

#include <windows.h>

#define OPTIONS_PATH_CHARS   2048
#define DEFAULT_INIT_SET     0
#define DEFAULT_CONNECT      1
#define DEFAULT_TIMEOUT_MS   1000
#define DEFAULT_PROGRAM_SETS 1
#define DEFAULT_HIGHLIGHT_PRESSED   1
#define DEFAULT_IMMEDIATE_REACTION  1
#define DEFAULT_AUTO_CONNECT  1
#define DEFAULT_CLOSE_TO_TRAY 0
#define DEFAULT_START_IN_TRAY 0

/* The I/O time-outs the options dialog offers; option.ini is held to them. */
#define OFFERED_TIMEOUT_COUNT 5
extern const DWORD g_adwOfferedTimeout[OFFERED_TIMEOUT_COUNT];

/* The pause combination as bits of the Wii Remote's slots: HOME and Minus unless option.ini
 * says otherwise; held this long. */
#define PAUSE_BIT_MINUS (1u << 2)
#define PAUSE_BIT_HOME  (1u << 3)
#define PAUSE_BIT_PLUS  (1u << 4)
#define PAUSE_BIT_ONE   (1u << 5)
#define PAUSE_BIT_TWO   (1u << 6)
#define PAUSE_SLOTS_DEFAULT (PAUSE_BIT_HOME | PAUSE_BIT_MINUS)
#define PAUSE_HOLD_MS       1000
#define PAUSE_SLOTS_ALL     0x7FFu   /* the eleven Wii Remote slots */

typedef struct APP_OPTIONS {
    int   bInitSet;
    WCHAR szSettingFilename[MAX_PATH];
    int   bConnect;
    DWORD dwTimeout;
    int   bProgramSets;   /* switch to a listed program's set while it has the foreground */
    int   bHighlightPressed;    /* slot buttons of pressed inputs drawn highlighted */
    int   bImmediateReaction;   /* the engine acts on press and release edges at once */
    int   bAutoConnect;   /* connect quietly when a device arrives or Windows resumes */
    int   bCloseToTray;   /* closing the window hides it to the notification area */
    int   bStartInTray;   /* start hidden in the notification area */
    /* The Wii Remote buttons (bits of their slots 0..10) that, held together for a second,
     * pause and resume all mapping; 0 none. */
    DWORD dwPauseSlots;
} APP_OPTIONS;

/* The full path of option.ini (OPTIONS_PATH_CHARS): in the executable's folder when a file
 * can be written there, else in %APPDATA%\Zan (created, with a copy of an option.ini
 * found beside the executable). */
void GetOptionsFilePath(WCHAR *pszPath);
/* The same for an executable in pszFolder. */
void GetOptionsFilePathIn(LPCWSTR pszFolder, WCHAR *pszPath);

/* Each field from its key, or its default for a missing file or key and for a value out of
 * range: a switch (b...) other than 0 or 1, a time-out the options dialog does not offer, a
 * pause combination with a bit outside the Wii Remote slots. */
void ReadOptionsFrom(LPCWSTR pszIniPath, APP_OPTIONS *pOptions);
/* The keys in their order; the file is created when needed and kept as UTF-16.
 * Failures are not reported. */
void WriteOptionsTo(LPCWSTR pszIniPath, const APP_OPTIONS *pOptions);
/* Makes the file UTF-16 with a byte-order mark, its contents kept, before a section of it is
 * written (created when missing). An ANSI file is converted into a new file beside it, which
 * then replaces it: a failure leaves the old file as it was. */
void MakeUnicodeFile(LPCWSTR pszIniPath);

/* The same with option.ini beside the executable. */
void ReadOptions(APP_OPTIONS *pOptions);
void WriteOptions(const APP_OPTIONS *pOptions);

#endif
