/*
 * setting_file.cpp - loading settings files, field by field, into a scratch record
 * that replaces the target only when the whole file was read.
 */
#include "setting_file.h"

#include <shlwapi.h>
#include <string.h>

#include "setting_format.h"

static const WCHAR SETTING_EXTENSION[] = L".zan";

typedef struct FILE_READER {
    HANDLE   hFile;
    LONGLONG llLeft;       /* bytes not yet read */
    int      nNormalized;  /* values the load had to replace */
    int      nExtras;      /* EXTRAS_*: what became of the bytes after a version-3 layout */
    DWORD    dwExtraVersion;
    LONGLONG llIgnored;    /* bytes after the layout that were not loaded */
} FILE_READER;

static int ReadExact(FILE_READER *pReader, void *pBuffer, DWORD cb)
{
    DWORD cbRead = 0;
    if ((LONGLONG)cb > pReader->llLeft)
        return 0;
    if (!ReadFile(pReader->hFile, pBuffer, cb, &cbRead, NULL) || cbRead != cb)
        return 0;
    pReader->llLeft -= cb;
    return 1;
}

static int IsSettingFileName(LPCWSTR pszPath)
{
    if (!pszPath || !pszPath[0] || lstrlenW(pszPath) >= SETTING_PATH_CHARS)
        return LOAD_NO_PATH;
    /* Case matters: "X.ZAN" is not a settings file. */
    if (lstrcmpW(PathFindExtensionW(pszPath), SETTING_EXTENSION) != 0)
        return LOAD_BAD_EXTENSION;
    return LOAD_OK;
}

/* One path text of nPathLength ANSI bytes as a new UTF-16 string. A NUL byte ends the
 * path: what follows it could never be launched, and a save would drop it anyway. */
static int ReadPathText(FILE_READER *pReader, ASSIGNMENT *pAssign)
{
    int cb = pAssign->nPathLength;
    if (cb < 0 || cb > FILE_PATH_MAX_BYTES || (LONGLONG)cb > pReader->llLeft)
        return LOAD_BAD_PATH_LENGTH;
    char *pText = (char *)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)cb + 1);
    if (!pText)
        return LOAD_NO_MEMORY;
    int nResult = LOAD_OK;
    if (!ReadExact(pReader, pText, (DWORD)cb))
        nResult = LOAD_SHORT_FILE;
    else if (!DecodePathText(pText, cb, pAssign, &pReader->nNormalized))
        nResult = LOAD_NO_MEMORY;
    HeapFree(GetProcessHeap(), 0, pText);
    return nResult;
}

/* Version 1 or 3 after the 4 header bytes: entries, path texts, tail. abKind gets the
 * entries' kind bytes as the file has them. */
static int ReadVersionedBody(FILE_READER *pReader, ASSIGNMENT_SET *pSet, BYTE *abKind)
{
    BYTE abEntries[FILE_ENTRIES_BYTES];
    int abHasPath[ASSIGN_SLOTS];
    if (!ReadExact(pReader, abEntries, sizeof(abEntries)))
        return LOAD_SHORT_FILE;
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        DecodeEntry(abEntries + i * FILE_ENTRY_BYTES, &pSet->aAssign[i], &abHasPath[i]);
        abKind[i] = pSet->aAssign[i].nKind;
    }
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        if (!abHasPath[i])
            continue;
        int nResult = ReadPathText(pReader, &pSet->aAssign[i]);
        if (nResult != LOAD_OK)
            return nResult;
    }
    BYTE abTail[FILE_TAIL_V3_BYTES] = {0};
    DWORD cbTail = pSet->dwVersion == SET_VERSION_CURRENT ? FILE_TAIL_V3_BYTES : FILE_TAIL_V1_BYTES;
    if (!ReadExact(pReader, abTail, cbTail))
        return LOAD_SHORT_FILE;
    memcpy(pSet->abLed, abTail, ASSIGN_LEDS);
    pSet->bSystemRepeat = abTail[ASSIGN_LEDS];
    /* Version 1 has no correction byte: the zero left in abTail is "none". */
    pSet->nAnalogCorrection = abTail[ASSIGN_LEDS + 1];
    return LOAD_OK;
}

/* Set-wide bytes the pages and the engine only know as 0/1 or a level; any other
 * value is made what the pages would show, as the entries are. */
static void NormalizeSet(ASSIGNMENT_SET *pSet, int *pnNormalized)
{
    for (int i = 0; i < ASSIGN_LEDS; i++)
        NormalizeByte(&pSet->abLed[i], 1, 1, pnNormalized);
    NormalizeByte(&pSet->bSystemRepeat, 1, 1, pnNormalized);
    NormalizeByte(&pSet->nAnalogCorrection, CORRECTION_LEVELS - 1, 0, pnNormalized);
    /* A layer slot is a disabled entry in the layout, marked in the extra block. */
    for (int i = 0; i < ASSIGN_SLOTS; i++)
        NormalizeLayoutEntry(&pSet->aAssign[i], pnNormalized);
}

static int ReadOldImage(FILE_READER *pReader, ASSIGNMENT_SET *pSet)
{
    BYTE abImage[OLD_IMAGE_BYTES];
    PutLe32(abImage, OLD_IMAGE_BYTES);
    if (!ReadExact(pReader, abImage + FILE_HEADER_BYTES, OLD_IMAGE_BYTES - FILE_HEADER_BYTES))
        return LOAD_SHORT_FILE;
    DecodeOldImage(abImage, pSet);
    return LOAD_OK;
}

/* The rest of the file after a version-3 layout as the extra block: EXTRAS_*. Whatever it
 * holds, the layout already read stays as it is unless the whole block decodes. */
static int ReadExtraBlock(FILE_READER *pReader, const BYTE *abLayoutKind, ASSIGNMENT_SET *pSet)
{
    BYTE abHeader[EXTRA_HEADER_BYTES];
    LONGLONG llFollowing = pReader->llLeft;
    DWORD cbHeader = llFollowing < EXTRA_HEADER_BYTES ? (DWORD)llFollowing : EXTRA_HEADER_BYTES;
    if (!ReadExact(pReader, abHeader, cbHeader))
        return EXTRAS_TRUNCATED;
    DWORD cbPayload = 0;
    int nResult = CheckExtraHeader(abHeader, cbHeader, llFollowing, &cbPayload);
    if (nResult == EXTRAS_BAD_VERSION)
        pReader->dwExtraVersion = GetLe32(abHeader + 4);
    if (nResult != EXTRAS_READ)
        return nResult;
    BYTE *pPayload = (BYTE *)HeapAlloc(GetProcessHeap(), 0, cbPayload ? cbPayload : 1);
    if (!pPayload)
        return EXTRAS_NO_MEMORY;
    if (!ReadExact(pReader, pPayload, cbPayload))
        nResult = EXTRAS_TRUNCATED;
    else
        nResult = DecodeExtraBlock(pPayload, cbPayload, GetLe32(abHeader + 4), abLayoutKind, pSet,
                                   &pReader->nNormalized);
    HeapFree(GetProcessHeap(), 0, pPayload);
    return nResult;
}

static int ReadSettingBody(FILE_READER *pReader, ASSIGNMENT_SET *pScratch)
{
    BYTE abHeader[FILE_HEADER_BYTES];
    BYTE abLayoutKind[ASSIGN_SLOTS];
    if (!ReadExact(pReader, abHeader, sizeof(abHeader)))
        return LOAD_SHORT_FILE;
    DWORD dwHeader = GetLe32(abHeader);
    int nResult;
    if (dwHeader == SET_VERSION_CURRENT || dwHeader == SET_VERSION_FRESH) {
        pScratch->dwVersion = dwHeader;
        nResult = ReadVersionedBody(pReader, pScratch, abLayoutKind);
    } else if (dwHeader == OLD_IMAGE_BYTES) {
        nResult = ReadOldImage(pReader, pScratch);
    } else {
        return LOAD_UNKNOWN_HEADER;
    }
    /* Without a block layer 2 shows the fresh pattern, so the set saves plain again. */
    memset(pScratch->abLayerLed, 0, ASSIGN_LEDS);
    pScratch->abLayerLed[ASSIGN_LEDS - 1] = 1;
    /* Nor is there a pointer, nor a slot named for one. */
    memset(&pScratch->Pointer, 0, sizeof(pScratch->Pointer));
    pScratch->Pointer.nOffScreenSlot = pScratch->Pointer.nHoldSlot = POINTER_NO_SLOT;
    NormalizeSet(pScratch, &pReader->nNormalized);
    pReader->llIgnored = pReader->llLeft;
    if (nResult != LOAD_OK || dwHeader != SET_VERSION_CURRENT || pReader->llLeft == 0)
        return nResult;
    pReader->nExtras = ReadExtraBlock(pReader, abLayoutKind, pScratch);
    if (pReader->nExtras == EXTRAS_NO_MEMORY)
        return LOAD_NO_MEMORY;
    if (pReader->nExtras == EXTRAS_READ)
        pReader->llIgnored = 0;
    return LOAD_OK;
}

static int ReadWithNotes(LPCWSTR pszPath, ASSIGNMENT_SET *pTarget, int bLoad, LOAD_NOTES *pNotes)
{
    int nResult = IsSettingFileName(pszPath);
    if (nResult != LOAD_OK)
        return nResult;
    HANDLE hFile = CreateFileW(pszPath, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return LOAD_CANNOT_OPEN;
    if (!bLoad) {
        CloseHandle(hFile);
        return LOAD_OK;
    }
    FILE_READER reader = { hFile, 0, 0, EXTRAS_NONE, 0, 0 };
    LARGE_INTEGER liSize;
    if (!GetFileSizeEx(hFile, &liSize)) {
        CloseHandle(hFile);
        return LOAD_CANNOT_OPEN;
    }
    reader.llLeft = liSize.QuadPart;
    ASSIGNMENT_SET scratch;
    memset(&scratch, 0, sizeof(scratch));
    nResult = ReadSettingBody(&reader, &scratch);
    CloseHandle(hFile);
    if (nResult != LOAD_OK) {
        ReleaseAssignmentPaths(&scratch);
        return nResult;
    }
    ReleaseAssignmentPaths(pTarget);
    *pTarget = scratch;
    if (pNotes) {
        pNotes->llTrailingBytes = reader.llIgnored;
        pNotes->nNormalized = reader.nNormalized;
        pNotes->nExtras = reader.nExtras;
        pNotes->dwExtraVersion = reader.dwExtraVersion;
    }
    return LOAD_OK;
}

int ReadSettingFile(LPCWSTR pszPath, ASSIGNMENT_SET *pTarget, int bLoad)
{
    return ReadWithNotes(pszPath, pTarget, bLoad, NULL);
}

int InspectSettingFile(LPCWSTR pszPath, ASSIGNMENT_SET *pTarget, LOAD_NOTES *pNotes)
{
    return ReadWithNotes(pszPath, pTarget, 1, pNotes);
}

int LoadSettingFile(LPCWSTR pszPath, ASSIGNMENT_SET *pTarget, int bLoad)
{
    return ReadSettingFile(pszPath, pTarget, bLoad) == LOAD_OK;
}
