// Temporary folders, file bytes and a sample set for the settings-file tests.
#ifndef ZAN_TEST_SUPPORT_H
#define ZAN_TEST_SUPPORT_H

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "assignment.h"

typedef std::vector<BYTE> Bytes;

// A fresh folder under the temp path, removed with everything in it at the end.
struct TempDir {
    std::wstring path;
    TempDir();
    ~TempDir();
    std::wstring File(const wchar_t *name) const { return path + L"\\" + name; }
    size_t Count() const { return (size_t)std::distance(std::filesystem::directory_iterator(path), {}); }
};

void WriteBytes(const std::wstring &path, const Bytes &bytes);
Bytes ReadBytes(const std::wstring &path);
inline bool FileExists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A little-endian value of width bytes at the offset.
void Poke(Bytes &b, size_t at, DWORD value, int width);
// Offset of a slot's 28-byte entry in a version 1 or 3 file.
inline size_t Entry(int slot) { return 4 + 28 * (size_t)slot; }

// A set that touches every field kind, without paths; and its file, laid out by hand.
void FillSample(ASSIGNMENT_SET *set);
Bytes SampleBytes(DWORD version);

// The sample with one of each extra: slot 0 turbo at 20, slot 3 a layer slot (toggle), slot 8
// a right click in toggle; in layer 2 a key in turbo (slot 0), an application (slot 2, a
// Japanese path), a scroll (slot 39); layer-2 LEDs 1 0 1 0.
void FillExtras(ASSIGNMENT_SET *set);

// Every field as text (paths by their text), to compare sets with EXPECT_EQ.
std::wstring Describe(const ASSIGNMENT_SET &set);

// Faults put into the file seam (file_replace.h), each failing as Windows' call does.
struct FileFaults {
    // WriteFile writes half of what it is given, then fails with ERROR_DISK_FULL.
    bool writeFails = false;
    // ReplaceFileW fails with this code (0: the real call). ERROR_UNABLE_TO_REMOVE_REPLACED
    // leaves both names as they were; ERROR_UNABLE_TO_MOVE_REPLACEMENT and ..._2 leave them
    // so when targetMoved is false (Windows put the target back), and when it is true leave
    // the target moved to the backup name, or, without one, gone.
    DWORD replaceError = 0;
    bool targetMoved = false;
    // The first moveFailures MoveFileExW calls fail with ERROR_ACCESS_DENIED.
    int moveFailures = 0;
    int replaceCalls = 0, moveCalls = 0;
};
// Puts the faults in the seam; NULL the real calls.
void SetFileFaults(FileFaults *faults);

#endif
