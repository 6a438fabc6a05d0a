// option.ini: defaults, the keys written in order, values read back.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include "options.h"
#include "test_support.h"

namespace {

TEST(Options, MissingFileGivesDefaultsAndIsNotCreated)
{
    TempDir dir;
    std::wstring ini = dir.File(L"option.ini");
    APP_OPTIONS options;
    memset(&options, 0x5A, sizeof(options));
    ReadOptionsFrom(ini.c_str(), &options);
    EXPECT_EQ(0, options.bInitSet);
    EXPECT_STREQ(L"", options.szSettingFilename);
    EXPECT_EQ(1, options.bConnect);
    EXPECT_EQ(1000u, options.dwTimeout);
    EXPECT_EQ(1, options.bAutoConnect);
    EXPECT_EQ(0, options.bCloseToTray);
    EXPECT_EQ(0, options.bStartInTray);
    EXPECT_FALSE(FileExists(ini));
}

TEST(Options, MissingKeysGiveTheirDefaults)
{
    TempDir dir;
    std::wstring ini = dir.File(L"option.ini");
    std::string text = "[option]\r\nbConnect=0\r\n";
    WriteBytes(ini, Bytes(text.begin(), text.end()));
    APP_OPTIONS options;
    ReadOptionsFrom(ini.c_str(), &options);
    EXPECT_EQ(0, options.bInitSet);
    EXPECT_STREQ(L"", options.szSettingFilename);
    EXPECT_EQ(0, options.bConnect);
    EXPECT_EQ(1000u, options.dwTimeout);
}

TEST(Options, WrittenValuesReadBackWithKeysInOrder)
{
    TempDir dir;
    std::wstring ini = dir.File(L"option.ini");
    APP_OPTIONS written = { 1, L"C:\\設定\\my set.zan", 0, 1500, 0, 1, 1 };
    WriteOptionsTo(ini.c_str(), &written);

    APP_OPTIONS read;
    ReadOptionsFrom(ini.c_str(), &read);
    EXPECT_EQ(1, read.bInitSet);
    EXPECT_STREQ(L"C:\\設定\\my set.zan", read.szSettingFilename);
    EXPECT_EQ(0, read.bConnect);
    EXPECT_EQ(1500u, read.dwTimeout);
    EXPECT_EQ(0, read.bAutoConnect);
    EXPECT_EQ(1, read.bCloseToTray);
    EXPECT_EQ(1, read.bStartInTray);

    Bytes bytes = ReadBytes(ini);
    std::string text(bytes.begin(), bytes.end());
    size_t positions[] = { text.find("[option]"), text.find("bInitSet=1"), text.find("szSettingFilename="),
                           text.find("bConnect=0"), text.find("dwTimeout=1500"), text.find("bAutoConnect=0"),
                           text.find("bCloseToTray=1"), text.find("bStartInTray=1") };
    for (size_t i = 0; i < 8; i++) {
        ASSERT_NE(std::string::npos, positions[i]) << text;
        if (i) {
            EXPECT_LT(positions[i - 1], positions[i]) << text;
        }
    }
}

TEST(Options, FileLivesBesideTheExecutable)
{
    WCHAR ini[OPTIONS_PATH_CHARS], exe[OPTIONS_PATH_CHARS];
    GetOptionsFilePath(ini);
    GetModuleFileNameW(NULL, exe, OPTIONS_PATH_CHARS);
    PathRemoveFileSpecW(exe);
    EXPECT_EQ(std::wstring(exe) + L"\\option.ini", std::wstring(ini));
}

}  // namespace
