#include "test_support.h"

#include <gtest/gtest.h>

TempDir::TempDir()
{
    wchar_t base[MAX_PATH], name[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    GetTempFileNameW(base, L"zmt", 0, name);
    DeleteFileW(name);
    CreateDirectoryW(name, NULL);
    path = name;
}

std::vector<std::wstring> TempDir::Names() const
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::wstring n = fd.cFileName;
        if (n != L"." && n != L"..")
            names.push_back(n);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return names;
}

TempDir::~TempDir()
{
    for (const std::wstring &n : Names()) {
        SetFileAttributesW(File(n.c_str()).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(File(n.c_str()).c_str());
    }
    RemoveDirectoryW(path.c_str());
}

void WriteBytes(const std::wstring &path, const Bytes &bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD written = 0;
    if (!bytes.empty())
        WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(h);
    ASSERT_EQ(bytes.size(), written);
}

Bytes ReadBytes(const std::wstring &path)
{
    Bytes bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(h, NULL));
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(h, bytes.data(), (DWORD)bytes.size(), &read, NULL);
    CloseHandle(h);
    bytes.resize(read);
    return bytes;
}

bool FileExists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void AppendLe32(Bytes &b, DWORD v)
{
    for (int i = 0; i < 4; i++)
        b.push_back((BYTE)(v >> (8 * i)));
}

void AppendLe16(Bytes &b, WORD v)
{
    b.push_back((BYTE)v);
    b.push_back((BYTE)(v >> 8));
}

void AppendZeros(Bytes &b, size_t n)
{
    b.insert(b.end(), n, 0);
}

void ExpectSetsEqual(const ASSIGNMENT_SET &want, const ASSIGNMENT_SET &got, bool samePointers)
{
    EXPECT_EQ(want.dwVersion, got.dwVersion);
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        SCOPED_TRACE(::testing::Message() << "slot " << i);
        const ASSIGNMENT &w = want.aAssign[i], &g = got.aAssign[i];
        EXPECT_EQ(w.nKind, g.nKind);
        EXPECT_EQ(w.nKeyCount, g.nKeyCount);
        for (int k = 0; k < ASSIGN_MAX_KEYS; k++)
            EXPECT_EQ(w.awKey[k], g.awKey[k]);
        EXPECT_EQ(w.nMouseAction, g.nMouseAction);
        EXPECT_EQ(w.wMoveAmount, g.wMoveAmount);
        EXPECT_EQ(w.nPathLength, g.nPathLength);
        if (samePointers || !w.pszPath || !g.pszPath)
            EXPECT_EQ(w.pszPath, g.pszPath);
        else
            EXPECT_STREQ(w.pszPath, g.pszPath);
    }
    for (int i = 0; i < ASSIGN_LEDS; i++)
        EXPECT_EQ(want.abLed[i], got.abLed[i]) << "LED " << i + 1;
    EXPECT_EQ(want.bSystemRepeat, got.bSystemRepeat);
    EXPECT_EQ(want.nAnalogCorrection, got.nAnalogCorrection);
}
