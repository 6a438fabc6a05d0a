// option.ini: defaults, the keys written in order, values read back.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include "options.h"
#include "program_sets.h"
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
    EXPECT_EQ(1, options.bProgramSets);
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
    APP_OPTIONS written = { 1, L"C:\\設定\\my set.zan", 0, 1500, 0 };
    WriteOptionsTo(ini.c_str(), &written);

    APP_OPTIONS read;
    ReadOptionsFrom(ini.c_str(), &read);
    EXPECT_EQ(1, read.bInitSet);
    EXPECT_STREQ(L"C:\\設定\\my set.zan", read.szSettingFilename);
    EXPECT_EQ(0, read.bConnect);
    EXPECT_EQ(1500u, read.dwTimeout);
    EXPECT_EQ(0, read.bProgramSets);

    Bytes bytes = ReadBytes(ini);
    std::string text(bytes.begin(), bytes.end());
    size_t positions[] = { text.find("[option]"), text.find("bInitSet=1"), text.find("szSettingFilename="),
                           text.find("bConnect=0"), text.find("dwTimeout=1500"), text.find("bProgramSets=0") };
    for (size_t i = 0; i < 6; i++) {
        ASSERT_NE(std::string::npos, positions[i]) << text;
        if (i) {
            EXPECT_LT(positions[i - 1], positions[i]) << text;
        }
    }
}

// The program list lives in a section of its own: written whole, read back in order, found
// in any case; a line without a file is passed over and the option section is left alone.
TEST(Options, ProgramListRoundTripsBesideTheOptions)
{
    TempDir dir;
    std::wstring ini = dir.File(L"option.ini");
    APP_OPTIONS options = { 0, L"", 1, 1000, 1 };
    WriteOptionsTo(ini.c_str(), &options);
    PROGRAM_SET_LIST list = {};
    EXPECT_EQ(0, PutProgramSet(&list, L"Game.exe", L"C:\\sets\\game.zan"));
    EXPECT_EQ(1, PutProgramSet(&list, L"メモ帳.exe", L"C:\\設定\\memo.zan"));
    EXPECT_EQ(0, PutProgramSet(&list, L"GAME.EXE", L"C:\\sets\\other.zan")) << "a listed program gets the new file";
    EXPECT_EQ(-1, PutProgramSet(&list, L"", L"C:\\x.zan"));
    ASSERT_EQ(1, WriteProgramSets(ini.c_str(), &list));
    WritePrivateProfileStringW(L"programs", L"nofile.exe", L"", ini.c_str());

    PROGRAM_SET_LIST read;
    memset(&read, 0x5A, sizeof(read));
    ReadProgramSets(ini.c_str(), &read);
    ASSERT_EQ(2, read.nCount);
    EXPECT_STREQ(L"Game.exe", read.aEntry[0].szProgram);
    EXPECT_STREQ(L"C:\\sets\\other.zan", read.aEntry[0].szSettingFile);
    EXPECT_STREQ(L"C:\\設定\\memo.zan", read.aEntry[1].szSettingFile);
    EXPECT_EQ(1, FindProgramSet(&read, L"メモ帳.EXE"));
    EXPECT_EQ(-1, FindProgramSet(&read, L"game"));

    RemoveProgramSet(&read, 0);
    ASSERT_EQ(1, read.nCount);
    EXPECT_STREQ(L"メモ帳.exe", read.aEntry[0].szProgram);
    RemoveProgramSet(&read, 0);
    ASSERT_EQ(1, WriteProgramSets(ini.c_str(), &read));
    ReadProgramSets(ini.c_str(), &read);
    EXPECT_EQ(0, read.nCount);
    ReadOptionsFrom(ini.c_str(), &options);
    EXPECT_EQ(1, options.bConnect) << "the option section stays";
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
