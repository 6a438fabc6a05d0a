/*
 * setting_format.h - byte layout of settings files, independent of the compiler's struct layout.
 */
#ifndef ZAN_SETTING_FORMAT_H
#define ZAN_SETTING_FORMAT_H

#include "assignment.h"

#define FILE_HEADER_BYTES   4
#define FILE_ENTRY_BYTES    28
#define FILE_ENTRIES_BYTES  (ASSIGN_SLOTS * FILE_ENTRY_BYTES)
#define FILE_TAIL_V3_BYTES  (ASSIGN_LEDS + 2)   /* LEDs, repeat, correction */
#define FILE_TAIL_V1_BYTES  (ASSIGN_LEDS + 1)   /* LEDs, repeat */

/* Offsets inside an entry. */
#define ENTRY_KIND         0
#define ENTRY_KEY_COUNT    4
#define ENTRY_KEYS         8
#define ENTRY_MOUSE_ACTION 14
#define ENTRY_MOVE_AMOUNT  16
#define ENTRY_PATH_LENGTH  20
#define ENTRY_PATH_FLAG    24

/* The oldest format: a fixed image whose header is its own size. */
#define OLD_IMAGE_BYTES       652
#define OLD_ENTRY_BYTES       16
#define OLD_ENTRY_KEY_COUNT   4
#define OLD_ENTRY_KEYS        8
#define OLD_ENTRIES_OFFSET    4
#define OLD_LEDS_OFFSET       644
#define OLD_REPEAT_OFFSET     648

/* Longest path text accepted from a file, in bytes: the longest Windows path. */
#define FILE_PATH_MAX_BYTES 32767

DWORD GetLe32(const BYTE *p);
WORD GetLe16(const BYTE *p);
void PutLe32(BYTE *p, DWORD dw);
void PutLe16(BYTE *p, WORD w);

/* An entry from its 28 file bytes; *pbHasPath is the path flag. pszPath is left NULL. */
void DecodeEntry(const BYTE *p, ASSIGNMENT *pAssign, int *pbHasPath);
/* An entry into 28 file bytes with zero padding and the given path length and flag. */
void EncodeEntry(BYTE *p, const ASSIGNMENT *pAssign, int nPathLength, int bHasPath);
/* The 652-byte image as a version-1 record without paths. */
void DecodeOldImage(const BYTE *pImage, ASSIGNMENT_SET *pSet);

#endif
