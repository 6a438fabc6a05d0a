// option.ini: defaults, the keys written in order, values read back.
#include <gtest/gtest.h>

#include <shlobj.h>
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
    EXPECT_EQ(1, options.bHighlightPressed);
    EXPECT_EQ(1, options.bImmediateReaction);
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

// UTF-16 with a byte-order mark, so a path outside the ANSI code page (here Hangul and
// Latin letters beside Japanese) survives; an ANSI file is still read, and turned Unicode
// by the next write with its other contents kept.
TEST(Options, WrittenValuesReadBackAsUnicodeWithKeysInOrder)
{
    TempDir dir;
    std::wstring ini = dir.File(L"option.ini");
    std::string ansi = "[other]\r\nkept=\x93\xfa\x96\x7b\r\n[option]\r\nbInitSet=0\r\n"
                       "szSettingFilename=C:\\\x90\xdd\x92\xe8.zan\r\nbConnect=1\r\n";
    WriteBytes(ini, Bytes(ansi.begin(), ansi.end()));
    APP_OPTIONS read;
    ReadOptionsFrom(ini.c_str(), &read);
    EXPECT_STREQ(L"C:\\設定.zan", read.szSettingFilename);

    const wchar_t *path = L"C:\\設定\\한글 café.zan";
    APP_OPTIONS written = { 1, L"", 0, 1500, 0, 0, 0, 0, 1, 1 };
    lstrcpyW(written.szSettingFilename, path);
    WriteOptionsTo(ini.c_str(), &written);
    ReadOptionsFrom(ini.c_str(), &read);
    EXPECT_EQ(1, read.bInitSet);
    EXPECT_STREQ(path, read.szSettingFilename);
    EXPECT_EQ(0, read.bConnect);
    EXPECT_EQ(1500u, read.dwTimeout);
    EXPECT_EQ(0, read.bProgramSets);
    EXPECT_EQ(0, read.bHighlightPressed);
    EXPECT_EQ(0, read.bImmediateReaction);
    EXPECT_EQ(0, read.bAutoConnect);
    EXPECT_EQ(1, read.bCloseToTray);
    EXPECT_EQ(1, read.bStartInTray);
    WCHAR kept[16];
    GetPrivateProfileStringW(L"other", L"kept", L"", kept, 16, ini.c_str());
    EXPECT_STREQ(L"日本", kept);

    Bytes bytes = ReadBytes(ini);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(0xFF, bytes[0]);
    EXPECT_EQ(0xFE, bytes[1]);
    std::wstring text((const wchar_t *)&bytes[2], (bytes.size() - 2) / 2);
    size_t positions[] = { text.find(L"[option]"), text.find(L"bInitSet=1"), text.find(L"szSettingFilename="),
                           text.find(L"bConnect=0"), text.find(L"dwTimeout=1500"), text.find(L"bProgramSets=0"),
                           text.find(L"bHighlightPressed=0"), text.find(L"bImmediateReaction=0"),
                           text.find(L"bAutoConnect=0"), text.find(L"bCloseToTray=1"), text.find(L"bStartInTray=1") };
    for (size_t i = 0; i < 11; i++) {
        ASSERT_NE(std::wstring::npos, positions[i]);
        if (i) {
            EXPECT_LT(positions[i - 1], positions[i]);
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

// Beside the executable, unless nothing can be written there: then the user's folder.
TEST(Options, FileLivesBesideTheExecutableOrInTheUsersFolder)
{
    WCHAR ini[OPTIONS_PATH_CHARS], exe[OPTIONS_PATH_CHARS];
    GetOptionsFilePath(ini);
    GetModuleFileNameW(NULL, exe, OPTIONS_PATH_CHARS);
    PathRemoveFileSpecW(exe);
    EXPECT_EQ(std::wstring(exe) + L"\\option.ini", std::wstring(ini));

    TempDir dir;
    GetOptionsFilePathIn((dir.path + L"\\missing").c_str(), ini);
    WCHAR user[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(NULL, CSIDL_APPDATA, NULL, SHGFP_TYPE_CURRENT, user)));
    EXPECT_EQ(std::wstring(user) + L"\\Zan\\option.ini", std::wstring(ini));
    EXPECT_TRUE(PathIsDirectoryW((std::wstring(user) + L"\\Zan").c_str()));

    GetOptionsFilePathIn(dir.path.c_str(), ini);
    EXPECT_EQ(dir.File(L"option.ini"), std::wstring(ini));
    EXPECT_TRUE(dir.Names().empty()) << "the folder was only probed";
}

}  // namespace
