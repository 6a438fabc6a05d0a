// Every kept fuzz input through its harness: a crash or a broken property fails the test.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>

#include <string>

#include "fuzz_harness.h"

namespace {

TEST(FuzzInputs, KeptInputsRunClean) {
    struct {
        const wchar_t *pszFolder;
        const char *(*harness)(const unsigned char *, size_t);
        int nAtLeast;  // the faults found on the old code: never pass on an empty folder
    } table[] = {{L"report", FuzzReportPath, 4}, {L"settings", FuzzSettingFile, 7}};
    for (auto &row : table) {
        std::wstring dir = std::wstring(FUZZ_INPUTS_DIR) + L"/" + row.pszFolder + L"/";
        WIN32_FIND_DATAW found;
        HANDLE hFind = FindFirstFileW((dir + L"*.*").c_str(), &found);
        int n = 0;
        for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileW(hFind, &found)) {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            SCOPED_TRACE(testing::Message() << row.pszFolder << "/" << found.cFileName);
            std::string data;
            FILE *pFile = _wfopen((dir + found.cFileName).c_str(), L"rb");
            for (int c; pFile && (c = fgetc(pFile)) != EOF;)
                data += (char)c;
            if (pFile)
                fclose(pFile);
            EXPECT_FALSE(data.empty()) << "cannot read";
            const char *pszFault = row.harness((const unsigned char *)data.data(), data.size());
            EXPECT_TRUE(pszFault == nullptr) << pszFault;
            n++;
        }
        if (hFind != INVALID_HANDLE_VALUE)
            FindClose(hFind);
        EXPECT_GE(n, row.nAtLeast) << row.pszFolder;
    }
}

}  // namespace
