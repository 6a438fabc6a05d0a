// option.ini: defaults, the values written as UTF-16, the program list, where it lives.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <shlwapi.h>
#include <stdio.h>

#include "options.h"
#include "program_sets.h"
#include "test_support.h"

namespace {

std::wstring Describe(const APP_OPTIONS &o)
{
    wchar_t text[400];
    swprintf(text, 400, L"init %d file '%ls' connect %d timeout %lu sets %d highlight %d immediate %d auto %d "
             L"close-to-tray %d start-in-tray %d", o.bInitSet, o.szSettingFilename, o.bConnect, o.dwTimeout,
             o.bProgramSets, o.bHighlightPressed, o.bImmediateReaction, o.bAutoConnect, o.bCloseToTray, o.bStartInTray);
    return text;
}

// A missing file or key gives the default, and reading creates nothing. The file is written
// as UTF-16 with a byte-order mark, so a path outside the ANSI code page (here Hangul and
// Latin letters beside Japanese) survives; an ANSI file is still read, and turned Unicode by
// the next write with its other contents kept.
TEST(Options, DefaultsAndValuesReadBackAsUnicode)
{
    TempDir dir;
    std::wstring ini = dir.File(L"option.ini");
    APP_OPTIONS want = { 0, L"", 1, 1000, 1, 1, 1, 1, 0, 0 }, read;
    memset(&read, 0x5A, sizeof(read));
    ReadOptionsFrom(ini.c_str(), &read);
    EXPECT_EQ(Describe(want), Describe(read));
    EXPECT_FALSE(FileExists(ini));

    std::string ansi = "[other]\r\nkept=\x93\xfa\x96\x7b\r\n"
                       "[option]\r\nbInitSet=0\r\nszSettingFilename=C:\\\x90\xdd\x92\xe8.zan\r\nbConnect=0\r\n";
    WriteBytes(ini, Bytes(ansi.begin(), ansi.end()));
    lstrcpyW(want.szSettingFilename, L"C:\\設定.zan");
    want.bConnect = 0;
    ReadOptionsFrom(ini.c_str(), &read);
    EXPECT_EQ(Describe(want), Describe(read));

    APP_OPTIONS written = { 1, L"C:\\設定\\한글 café.zan", 0, 1500, 0, 0, 0, 0, 1, 1 };
    WriteOptionsTo(ini.c_str(), &written);
    ReadOptionsFrom(ini.c_str(), &read);
    EXPECT_EQ(Describe(written), Describe(read));
    WCHAR kept[16];
    GetPrivateProfileStringW(L"other", L"kept", L"", kept, 16, ini.c_str());
    EXPECT_STREQ(L"日本", kept);

    Bytes bytes = ReadBytes(ini);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(0xFEFF, bytes[0] | bytes[1] << 8);
}

// The program list lives in a section of its own: written whole, read back in order, found
// in any case; a line without a file is passed over, and the option section is left alone.
TEST(Options, ProgramListRoundTripsBesideTheOptions)
{
    TempDir dir;
    std::wstring ini = dir.File(L"option.ini");
    APP_OPTIONS options = { 0, L"", 1, 1000, 1, 1, 1, 1, 0, 0 };
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
    EXPECT_STREQ(L"メモ帳.exe", read.aEntry[0].szProgram);
    read.nCount = 0;
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
    EXPECT_EQ(0u, dir.Count()) << "the folder was only probed";
}

}  // namespace
