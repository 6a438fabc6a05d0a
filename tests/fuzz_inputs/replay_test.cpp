// Every kept fuzz input through its harness: a crash or a broken property fails the test.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
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
        int n = 0;
        // A missing folder throws, and fails the test.
        for (const auto &entry : std::filesystem::directory_iterator(std::wstring(FUZZ_INPUTS_DIR) + L"/" + row.pszFolder)) {
            if (entry.is_directory())
                continue;
            SCOPED_TRACE(entry.path().string());
            std::ifstream file(entry.path(), std::ios::binary);
            std::string data(std::istreambuf_iterator<char>(file), {});
            EXPECT_FALSE(data.empty()) << "cannot read";
            const char *pszFault = row.harness((const unsigned char *)data.data(), data.size());
            EXPECT_TRUE(pszFault == nullptr) << pszFault;
            n++;
        }
        EXPECT_GE(n, row.nAtLeast) << row.pszFolder;
    }
}

}  // namespace
