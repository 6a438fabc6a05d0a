/*
 * setting_file.h - settings files (".zan"): version 3 written; versions 3 and 1 and
 * the oldest 652-byte image read; a version-3 file may end in the extra block of press
 * modes and layer 2. The command-line scan for a settings file.
 */
#ifndef ZAN_SETTING_FILE_H
#define ZAN_SETTING_FILE_H

#include "assignment.h"

#define SETTING_PATH_CHARS 260   /* a path buffer, terminator included */

/* Why a load failed, for callers that explain it (the settings tool). */
enum {
    LOAD_OK,
    LOAD_NO_PATH,          /* empty or overlong path */
    LOAD_BAD_EXTENSION,    /* not exactly ".zan" */
    LOAD_CANNOT_OPEN,
    LOAD_UNKNOWN_HEADER,
    LOAD_SHORT_FILE,       /* ends before its layout does */
    LOAD_BAD_PATH_LENGTH,  /* negative, past the end of the file, or absurd */
    LOAD_NO_MEMORY
};

/* What became of the bytes after a version-3 layout (setting_format.h: the extra block). */
enum {
    EXTRAS_NONE,           /* there are none */
    EXTRAS_READ,           /* a block, loaded */
    EXTRAS_NO_TAG,         /* bytes that are not a block */
    EXTRAS_TRUNCATED,      /* a block that ends before its header or its length does */
    EXTRAS_BAD_LENGTH,     /* bytes after the block's length, or a length beyond any block */
    EXTRAS_BAD_VERSION,    /* a version of the block this loader does not know */
    EXTRAS_BAD_KIND,       /* a slot's kind that contradicts the layout */
    EXTRAS_BAD_PATH,       /* layer-2 path lengths that do not fill the payload exactly */
    EXTRAS_NO_MEMORY
};

/* What a successful load had to overlook or correct, for the settings tool. */
typedef struct LOAD_NOTES {
    LONGLONG llTrailingBytes;   /* bytes after the end of the layout, ignored */
    int      nNormalized;       /* values out of range (entries, LEDs, repeat, correction, a
                                 * path cut at a NUL byte) replaced as the loader does */
    int      nExtras;           /* EXTRAS_*; on other than NONE and READ, llTrailingBytes
                                 * counts the ignored block */
    DWORD    dwExtraVersion;    /* the block's version, when its header got that far */
} LOAD_NOTES;

/* LoadSettingFile with the reason of a failure; LOAD_OK on success. */
int ReadSettingFile(LPCWSTR pszPath, ASSIGNMENT_SET *pTarget, int bLoad);
/* ReadSettingFile (bLoad 1) that also fills *pNotes on success. */
int InspectSettingFile(LPCWSTR pszPath, ASSIGNMENT_SET *pTarget, LOAD_NOTES *pNotes);

/* 1 when the file is a settings file (bLoad 0: that it opens; bLoad 1: read into pTarget).
 * On failure pTarget is untouched. */
int LoadSettingFile(LPCWSTR pszPath, ASSIGNMENT_SET *pTarget, int bLoad);

/* Writes pSet as version 3, with the extra block when the set uses its features, to pszPath
 * (a 260-character buffer whose extension becomes ".zan" in place). bCreate 1 creates or
 * replaces the file, bCreate 0 only replaces an existing one. 1 only when the whole file was written; on 0 an existing file keeps its
 * earlier contents, unless no temporary file could be made beside it and the write in
 * place failed part-way, or the file could be neither replaced nor put back: the new
 * contents are then complete in another file, which GetKeptSettingFile names. GetLastError
 * tells why it failed; a path the file cannot hold (CanStorePath) fails the save with
 * ERROR_NO_UNICODE_TRANSLATION. */
int WriteSettingFile(WCHAR *pszPath, ASSIGNMENT_SET *pSet, int bCreate);

/* Right after a WriteSettingFile (or SaveSettingFile) that returned 0: 1 when its new
 * contents were kept complete under another name beside the target, copied into pszKept
 * (SETTING_PATH_CHARS); 0 when no such file was kept. One save at a time: the name is the
 * last save's. */
int GetKeptSettingFile(WCHAR *pszKept);

/* 1 when a settings file holds the path as it is (NULL and "" included); 0 when the ANSI
 * code page it is stored in lacks one of its characters, which WriteSettingFile then
 * refuses (ERROR_NO_UNICODE_TRANSLATION) rather than store another path. */
int CanStorePath(LPCWSTR pszPath);

/* WriteSettingFile of the current set. */
int SaveSettingFile(WCHAR *pszPath, int bCreate);

/* pszPath as a full path (GetFullPathNameW) in pszFull (260 characters); 0 when it is
 * empty or the full path does not fit. */
int GetFullSettingPath(LPCWSTR pszPath, WCHAR *pszFull);

/* Puts *pSet in place of the current set under the record lock; *pSet then holds the
 * old set, whose strings the caller releases. bReleaseHeld: the engine lets go of all it
 * holds before it acts on the new set (a set switched for another program). */
void ReplaceCurrentSet(ASSIGNMENT_SET *pSet, int bReleaseHeld);
/* Reads the file, then puts it in place; 0 (the current set untouched) when it does not load. */
int LoadCurrentSetFrom(LPCWSTR pszPath, int bReleaseHeld);

/* One word of a command line as the settings-file scan splits it: quoted, or up to a space.
 * Where the next word starts, or NULL when there is none (the end, or a quote never closed). */
LPCWSTR NextCommandLineWord(LPCWSTR p, LPCWSTR *ppszWord, int *pcchWord, int *pbQuoted);

/* Loads the first settings file named on the command line (without the program name)
 * into the current set and copies its full path into pszCurrentPath (260 characters),
 * so a later change of the current directory cannot move a save elsewhere. */
int OpenCommandLineFile(LPCWSTR pszCommandLine, WCHAR *pszCurrentPath);

#endif
