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
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &fd))
        if (fd.cFileName != std::wstring(L".") && fd.cFileName != std::wstring(L".."))
            names.push_back(fd.cFileName);
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
    WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(h);
    ASSERT_EQ(bytes.size(), written);
}

Bytes ReadBytes(const std::wstring &path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return Bytes();
    Bytes bytes(GetFileSize(h, NULL));
    DWORD read = 0;
    ReadFile(h, bytes.data(), (DWORD)bytes.size(), &read, NULL);
    CloseHandle(h);
    bytes.resize(read);
    return bytes;
}

bool FileExists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Poke(Bytes &b, size_t at, DWORD value, int width)
{
    for (int i = 0; i < width; i++)
        b[at + i] = (BYTE)(value >> (8 * i));
}

void FillSample(ASSIGNMENT_SET *set)
{
    InitAssignmentSet(set);
    set->aAssign[0] = { ASSIGN_KEY, 2, { VK_CONTROL, 'C', 0 }, 0, 0, 0, NULL };
    set->aAssign[5] = { ASSIGN_MOUSE, 0, { 0, 0, 0 }, MOUSE_MOVE_RIGHT, 1000, 0, NULL };
    set->aAssign[39] = { ASSIGN_DISABLED, 1, { VK_F12, 0, 0 }, MOUSE_SCROLL_UP, 7, 7, NULL };
    set->abLed[2] = set->abLed[3] = 1;
    set->bSystemRepeat = 1;
    set->nAnalogCorrection = 2;
}

// Entries at 4 + 28 * slot: kind at +0, key count +4, keys +8, mouse action +14, move
// amount +16, path length +20, path flag +24; then LEDs, repeat and (version 3) correction.
Bytes SampleBytes(DWORD version)
{
    Bytes b(Entry(ASSIGN_SLOTS) + (version == 3 ? 6 : 5), 0);
    const struct { size_t at; DWORD value; int width; } fields[] = {
        { 0, version, 4 },
        { Entry(0), ASSIGN_KEY, 1 }, { Entry(0) + 4, 2, 4 }, { Entry(0) + 8, VK_CONTROL, 2 }, { Entry(0) + 10, 'C', 2 },
        { Entry(5), ASSIGN_MOUSE, 1 }, { Entry(5) + 14, MOUSE_MOVE_RIGHT, 1 }, { Entry(5) + 16, 1000, 2 },
        { Entry(39) + 4, 1, 4 }, { Entry(39) + 8, VK_F12, 2 }, { Entry(39) + 14, MOUSE_SCROLL_UP, 1 },
        { Entry(39) + 16, 7, 2 }, { Entry(39) + 20, 7, 4 },
        { Entry(ASSIGN_SLOTS), 0x01010001, 4 }, { Entry(ASSIGN_SLOTS) + 4, 1, 1 },
    };
    for (const auto &f : fields)
        Poke(b, f.at, f.value, f.width);
    if (version == 3)
        b.back() = 2;
    return b;
}

void ExpectSetsEqual(const ASSIGNMENT_SET &want, const ASSIGNMENT_SET &got)
{
    EXPECT_EQ(want.dwVersion, got.dwVersion);
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        SCOPED_TRACE(::testing::Message() << "slot " << i);
        const ASSIGNMENT &w = want.aAssign[i], &g = got.aAssign[i];
        EXPECT_EQ(w.nKind, g.nKind);
        EXPECT_EQ(w.nKeyCount, g.nKeyCount);
        EXPECT_EQ(std::vector<WORD>(w.awKey, w.awKey + 3), std::vector<WORD>(g.awKey, g.awKey + 3));
        EXPECT_EQ(w.nMouseAction, g.nMouseAction);
        EXPECT_EQ(w.wMoveAmount, g.wMoveAmount);
        EXPECT_EQ(w.nPathLength, g.nPathLength);
        EXPECT_EQ(std::wstring(w.pszPath ? w.pszPath : L"(none)"), std::wstring(g.pszPath ? g.pszPath : L"(none)"));
    }
    EXPECT_EQ(std::vector<BYTE>(want.abLed, want.abLed + 4), std::vector<BYTE>(got.abLed, got.abLed + 4));
    EXPECT_EQ(want.bSystemRepeat, got.bSystemRepeat);
    EXPECT_EQ(want.nAnalogCorrection, got.nAnalogCorrection);
}
