// Every kept fuzz input through its harness: a crash or a broken property fails the test.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "fuzz_harness.h"

namespace {

typedef const char *(*HARNESS)(const unsigned char *, size_t);

std::vector<unsigned char> ReadAll(const std::wstring &path)
{
    std::vector<unsigned char> data;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return data;
    data.resize(GetFileSize(h, NULL));
    DWORD cb = 0;
    if (!ReadFile(h, data.data(), (DWORD)data.size(), &cb, NULL) || cb != data.size())
        data.clear();
    CloseHandle(h);
    return data;
}

// Returns how many inputs the folder held.
int ReplayFolder(const wchar_t *folder, HARNESS harness)
{
    std::wstring dir = std::wstring(FUZZ_INPUTS_DIR) + L"/" + folder + L"/";
    WIN32_FIND_DATAW found;
    HANDLE hFind = FindFirstFileW((dir + L"*").c_str(), &found);
    int n = 0;
    for (BOOL more = hFind != INVALID_HANDLE_VALUE; more; more = FindNextFileW(hFind, &found)) {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        std::vector<unsigned char> data = ReadAll(dir + found.cFileName);
        EXPECT_FALSE(data.empty()) << "cannot read " << folder << "/" << found.cFileName;
        const char *fault = harness(data.data(), data.size());
        EXPECT_TRUE(fault == nullptr) << folder << "/" << found.cFileName << ": " << fault;
        n++;
    }
    if (hFind != INVALID_HANDLE_VALUE)
        FindClose(hFind);
    return n;
}

TEST(FuzzInputs, ReportPathInputsRunClean)
{
    // The three faults found on the old code at least: never pass on an empty folder.
    EXPECT_GE(ReplayFolder(L"report", FuzzReportPath), 3);
}

TEST(FuzzInputs, SettingFileInputsRunClean)
{
    EXPECT_GE(ReplayFolder(L"settings", FuzzSettingFile), 4);
}

}  // namespace
