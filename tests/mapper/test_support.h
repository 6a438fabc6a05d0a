// Temporary folders and file bytes for the mapper tests.
#ifndef ZAN_TEST_SUPPORT_H
#define ZAN_TEST_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

typedef std::vector<BYTE> Bytes;

// A fresh folder under the temp path, removed with everything in it at the end.
struct TempDir {
    std::wstring path;
    TempDir();
    ~TempDir();
    std::wstring File(const wchar_t *name) const { return path + L"\\" + name; }
    std::vector<std::wstring> Names() const;
};

void WriteBytes(const std::wstring &path, const Bytes &bytes);
Bytes ReadBytes(const std::wstring &path);
bool FileExists(const std::wstring &path);

void AppendLe32(Bytes &b, DWORD v);
void AppendLe16(Bytes &b, WORD v);
void AppendZeros(Bytes &b, size_t n);

#include "assignment.h"

// Field by field (padding ignored); paths by text, or by pointer when samePointers.
void ExpectSetsEqual(const ASSIGNMENT_SET &want, const ASSIGNMENT_SET &got, bool samePointers = false);

#endif
