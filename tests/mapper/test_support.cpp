#include "test_support.h"

#include "file_replace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <string.h>

namespace fs = std::filesystem;

TempDir::TempDir()
{
    wchar_t name[MAX_PATH];
    GetTempFileNameW(fs::temp_directory_path().c_str(), L"zmt", 0, name);
    DeleteFileW(name);
    CreateDirectoryW(name, NULL);
    path = name;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

void WriteBytes(const std::wstring &path, const Bytes &bytes)
{
    std::ofstream file(fs::path(path), std::ios::binary);
    file.write((const char *)bytes.data(), (std::streamsize)bytes.size());
    ASSERT_TRUE(file.good());
}

Bytes ReadBytes(const std::wstring &path)
{
    std::ifstream file(fs::path(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void Poke(Bytes &b, size_t at, DWORD value, int width)
{
    for (int i = 0; i < width; i++)
        b[at + i] = (BYTE)(value >> (8 * i));
}

void FillSample(ASSIGNMENT_SET *set)
{
    InitAssignmentSet(set);
    set->aAssign[0] = { ASSIGN_KEY, 2, { VK_CONTROL, 'C', 0 }, 0, 0, 0, NULL, 0, 0, 0 };
    set->aAssign[5] = { ASSIGN_MOUSE, 0, { 0, 0, 0 }, MOUSE_MOVE_RIGHT, 1000, 0, NULL, 0, 0, 0 };
    set->aAssign[39] = { ASSIGN_DISABLED, 1, { VK_F12, 0, 0 }, MOUSE_SCROLL_UP, 7, 7, NULL, 0, 0, 0 };
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
        { Entry(ASSIGN_SLOTS) + 5, 2, version == 3 ? 1 : 0 },  // version 1 has no correction byte
    };
    for (const auto &f : fields)
        Poke(b, f.at, f.value, f.width);
    return b;
}

void FillExtras(ASSIGNMENT_SET *set)
{
    FillSample(set);
    set->aAssign[0].nPressMode = PRESS_TURBO;
    set->aAssign[0].nTurboRate = 20;
    set->aAssign[3] = { ASSIGN_LAYER, 0, { 0, 0, 0 }, 0, 0, 0, NULL, 0, 0, LAYER_TOGGLE };
    set->aAssign[8] = { ASSIGN_MOUSE, 0, { 0, 0, 0 }, MOUSE_RIGHT_CLICK, 0, 0, NULL, PRESS_TOGGLE, 0, 0 };
    set->aLayer2[0] = { ASSIGN_KEY, 1, { 'Z', 0, 0 }, 0, 0, 0, NULL, PRESS_TURBO, 0, 0 };
    set->aLayer2[2] = { ASSIGN_APPLICATION, 0, { 0, 0, 0 }, 0, 0, 0, NULL, 0, 0, 0 };
    set->aLayer2[2].pszPath = AllocPathText(8);
    lstrcpyW(set->aLayer2[2].pszPath, L"メモ帳.exe");
    set->aLayer2[2].nPathLength = 10;
    set->aLayer2[39] = { ASSIGN_MOUSE, 0, { 0, 0, 0 }, MOUSE_SCROLL_DOWN, 3, 0, NULL, 0, 0, 0 };
    memcpy(set->abLayerLed, "\1\0\1\0", ASSIGN_LEDS);
}

static void DescribeEntry(std::wostream &text, const ASSIGNMENT &a)
{
    text << L"\nkind " << a.nKind + 0 << L", keys " << a.nKeyCount << L": " << a.awKey[0] << L" " << a.awKey[1]
         << L" " << a.awKey[2] << L", mouse " << a.nMouseAction + 0 << L" " << a.wMoveAmount << L", path "
         << a.nPathLength << L" " << (a.pszPath ? a.pszPath : L"(none)");
    if (a.nPressMode || a.nTurboRate || a.nLayerMode)
        text << L", modes " << a.nPressMode + 0 << L" " << a.nTurboRate + 0 << L" " << a.nLayerMode + 0;
}

std::wstring Describe(const ASSIGNMENT_SET &set)
{
    std::wostringstream text;
    text << L"version " << set.dwVersion << L", LEDs " << set.abLed[0] + 0 << set.abLed[1] + 0 << set.abLed[2] + 0
         << set.abLed[3] + 0 << L", repeat " << set.bSystemRepeat + 0 << L", correction " << set.nAnalogCorrection + 0
         << L", layer LEDs " << set.abLayerLed[0] + 0 << set.abLayerLed[1] + 0 << set.abLayerLed[2] + 0
         << set.abLayerLed[3] + 0;
    const POINTER_SETTING &p = set.Pointer;
    text << L", pointer " << p.nMode + 0 << L" " << p.nBarPosition + 0 << L" " << p.nArea + 0 << L" "
         << p.nOffScreenSlot + 0 << L" " << p.nSpeed + 0 << L" " << p.nHoldSlot + 0;
    for (const ASSIGNMENT &a : set.aAssign)
        DescribeEntry(text, a);
    for (int i = 0; i < ASSIGN_SLOTS; i++)
        if (set.aLayer2[i].nKind || set.aLayer2[i].pszPath)
            DescribeEntry(text << L"\nlayer 2 slot " << i, set.aLayer2[i]);
    return text.str();
}

static FileFaults *g_pFaults;

static BOOL WINAPI FaultyWriteFile(HANDLE file, LPCVOID bytes, DWORD cb, LPDWORD written, LPOVERLAPPED overlapped)
{
    if (!g_pFaults->writeFails)
        return WriteFile(file, bytes, cb, written, overlapped);
    DWORD half = 0;
    WriteFile(file, bytes, cb / 2, &half, overlapped);
    if (written)
        *written = half;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

static BOOL WINAPI FaultyReplaceFile(LPCWSTR target, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                                     LPVOID exclude, LPVOID reserved)
{
    g_pFaults->replaceCalls++;
    DWORD error = g_pFaults->replaceError;
    if (!error)
        return ReplaceFileW(target, replacement, backup, flags, exclude, reserved);
    if (error != ERROR_UNABLE_TO_REMOVE_REPLACED && g_pFaults->targetMoved) {
        if (backup)
            EXPECT_TRUE(MoveFileExW(target, backup, MOVEFILE_REPLACE_EXISTING));
        else
            EXPECT_TRUE(DeleteFileW(target));
    }
    SetLastError(error);
    return FALSE;
}

static BOOL WINAPI FaultyMoveFileEx(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    if (g_pFaults->moveCalls++ < g_pFaults->moveFailures) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return MoveFileExW(from, to, flags);
}

void SetFileFaults(FileFaults *faults)
{
    g_pFaults = faults;
    FILE_SEAM seam = { FaultyWriteFile, FaultyReplaceFile, FaultyMoveFileEx };
    SetFileSeam(faults ? &seam : NULL);
}
