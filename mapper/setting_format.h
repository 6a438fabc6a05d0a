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

/* The extra block: press modes, turbo rates, layer slots, layer 2 and its LEDs, the pointer. It
 * follows the version-3 layout, and only in the file of a set that uses one of them
 * (UsesSetExtras), so a plain set's file stays the version-3 bytes and a reader of version 3
 * alone, which stops at the end of its layout, still loads layer 1; it sees a layer slot as a
 * disabled entry without keys or path. All integers little-endian:
 *   0   4 bytes  the tag "ZXTR"
 *   4   4        the block's version: 2 for a set with a pointer, else 1
 *   8   4        the length of the payload, which runs exactly to the end of the file: a
 *                block is the last thing in a file, and one with bytes after it is damaged
 *  12   payload:
 *       40 x 4   each layer-1 slot: its kind (as in the layout, or ASSIGN_LAYER over a disabled
 *                entry of the layout), press mode, turbo rate, layer mode
 *        4       the layer-2 LEDs (abLayerLed)
 *       40 x 30  each layer-2 entry: its 28 bytes as a layout entry, press mode, turbo rate
 *        6       version 2 only: the pointer (POINTER_SETTING's bytes in its order: mode, bar
 *                position, area, off-screen slot, gyro speed, hold slot)
 *       ...      the layer-2 path texts, slot order, as the layout stores its own
 * A block whose tag, version or length is wrong, or whose contents contradict the layout or
 * themselves, is ignored whole: the layout alone loads. */
#define EXTRA_TAG            "ZXTR"
#define EXTRA_VERSION        1
#define EXTRA_VERSION_POINTER 2
#define EXTRA_HEADER_BYTES   12
#define EXTRA_SLOT_BYTES     4
#define EXTRA_ENTRY_BYTES    (FILE_ENTRY_BYTES + 2)
#define EXTRA_FIXED_BYTES    (ASSIGN_SLOTS * EXTRA_SLOT_BYTES + ASSIGN_LEDS + ASSIGN_SLOTS * EXTRA_ENTRY_BYTES)
#define EXTRA_POINTER_BYTES  6
#define EXTRA_PAYLOAD_MAX    (EXTRA_FIXED_BYTES + EXTRA_POINTER_BYTES + ASSIGN_SLOTS * FILE_PATH_MAX_BYTES)

/* Offsets inside a layer-1 slot's 4 bytes and after a layer-2 entry's 28. */
#define EXTRA_SLOT_KIND        0
#define EXTRA_SLOT_PRESS_MODE  1
#define EXTRA_SLOT_TURBO_RATE  2
#define EXTRA_SLOT_LAYER_MODE  3
#define EXTRA_ENTRY_PRESS_MODE FILE_ENTRY_BYTES
#define EXTRA_ENTRY_TURBO_RATE (FILE_ENTRY_BYTES + 1)

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

/* A path text of cb ANSI bytes (cb at most FILE_PATH_MAX_BYTES) as the entry's new string; a NUL
 * byte ends it, shortening nPathLength and counting one in *pnNormalized. 0 when memory runs out. */
int DecodePathText(const char *pText, int cb, ASSIGNMENT *pAssign, int *pnNormalized);
/* A byte above bMax becomes bReplacement, counted in *pnNormalized. */
void NormalizeByte(BYTE *pb, BYTE bMax, BYTE bReplacement, int *pnNormalized);
/* An entry as an entry of the layout may be: the layout knows no layer slot, so a kind from
 * ASSIGN_LAYER on is disabled; then sanitized, counted once when anything changed. */
void NormalizeLayoutEntry(ASSIGNMENT *pAssign, int *pnNormalized);

/* The payload's bytes before the layer-2 path texts: the fixed part, and the pointer's when the
 * set has one (a set without saves the version-1 block it always did). */
DWORD ExtraFixedBytes(const ASSIGNMENT_SET *pSet);
/* The block's header and fixed part (EXTRA_HEADER_BYTES + ExtraFixedBytes) for a set whose
 * layer-2 path texts take anPathBytes bytes each (0 for an entry without a path); the texts
 * themselves follow, written by the caller. */
void EncodeExtraBlock(BYTE *p, const ASSIGNMENT_SET *pSet, const int *anPathBytes);
/* The block's first cbHeader bytes (at most EXTRA_HEADER_BYTES) with llFollowing bytes of
 * the file from the block's start on: EXTRAS_READ when tag, version and length are right,
 * *pdwPayload then the payload's length; otherwise why the block is ignored. */
int CheckExtraHeader(const BYTE *p, DWORD cbHeader, LONGLONG llFollowing, DWORD *pdwPayload);
/* The payload of cb bytes of a block of dwVersion: on EXTRAS_READ its fields go into the set
 * (layer-1 modes, layer slots, layer-2 entries with new path strings, the layer LEDs, the
 * pointer), every value put in range and each one replaced counted in *pnNormalized; on any
 * other result the set is untouched. abLayoutKind holds the layout's kind bytes as the file
 * has them. */
int DecodeExtraBlock(const BYTE *p, DWORD cb, DWORD dwVersion, const BYTE *abLayoutKind, ASSIGNMENT_SET *pSet,
                     int *pnNormalized);

#endif
