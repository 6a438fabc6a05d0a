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
             L"close-to-tray %d start-in-tray %d pause 0x%lx", o.bInitSet, o.szSettingFilename, o.bConnect, o.dwTimeout,
             o.bProgramSets, o.bHighlightPressed, o.bImmediateReaction, o.bAutoConnect, o.bCloseToTray, o.bStartInTray,
             o.dwPauseSlots);
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
    APP_OPTIONS want = { 0, L"", 1, 1000, 1, 1, 1, 1, 0, 0, PAUSE_SLOTS_DEFAULT }, read;
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

    APP_OPTIONS written = { 1, L"C:\\設定\\한글 café.zan", 0, 3000, 0, 0, 0, 0, 1, 1, 0x601 };
    WriteOptionsTo(ini.c_str(), &written);
    EXPECT_EQ(1u, dir.Count()) << "the converted file took the old one's place";
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
// in any case; a line without a file is refused and counted, and the option section is left
// alone.
TEST(Options, ProgramListRoundTripsBesideTheOptions)
{
    TempDir dir;
    std::wstring ini = dir.File(L"option.ini");
    APP_OPTIONS options = { 0, L"", 1, 1000, 1, 1, 1, 1, 0, 0, PAUSE_SLOTS_DEFAULT };
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
    EXPECT_EQ(1, read.nRefused) << "the line without a file";
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

// option.ini as UTF-16 with its byte-order mark, lines ending in CR LF.
void WriteUnicodeIni(const std::wstring &path, const std::wstring &text)
{
    Bytes bytes = { 0xFF, 0xFE };
    for (wchar_t ch : text) {
        bytes.push_back((BYTE)ch);
        bytes.push_back((BYTE)(ch >> 8));
    }
    WriteBytes(path, bytes);
}

// A value the program cannot use gives the default: a switch other than 0 or 1, a time-out
// the options dialog does not offer (-1 would be an infinite one, 0 none). The values it
// offers are read as they are.
TEST(Options, OutOfRangeValuesGiveTheDefaults)
{
    TempDir dir;
    std::wstring ini = dir.File(L"option.ini");
    const APP_OPTIONS defaults = { 0, L"", 1, 1000, 1, 1, 1, 1, 0, 0, PAUSE_SLOTS_DEFAULT };
    struct Case {
        const wchar_t *key, *text;
        DWORD want;
        int APP_OPTIONS::*flag = nullptr;
        DWORD APP_OPTIONS::*number = &APP_OPTIONS::dwTimeout;
    } cases[] = {
        { L"dwTimeout", L"-1", 1000 }, { L"dwTimeout", L"0", 1000 }, { L"dwTimeout", L"4294967295", 1000 },
        { L"dwTimeout", L"1500", 1000 }, { L"dwTimeout", L"50000", 1000 }, { L"dwTimeout", L"abc", 1000 },
        { L"dwTimeout", L"500", 500 }, { L"dwTimeout", L"2000", 2000 }, { L"dwTimeout", L"3000", 3000 },
        { L"dwTimeout", L"5000", 5000 },
        { L"bInitSet", L"2", 0, &APP_OPTIONS::bInitSet }, { L"bInitSet", L"-1", 0, &APP_OPTIONS::bInitSet },
        { L"bInitSet", L"1", 1, &APP_OPTIONS::bInitSet },
        { L"bConnect", L"2", 1, &APP_OPTIONS::bConnect }, { L"bConnect", L"-1", 1, &APP_OPTIONS::bConnect },
        { L"bConnect", L"0", 0, &APP_OPTIONS::bConnect },
        { L"bProgramSets", L"7", 1, &APP_OPTIONS::bProgramSets }, { L"bProgramSets", L"0", 0, &APP_OPTIONS::bProgramSets },
        { L"bHighlightPressed", L"-1", 1, &APP_OPTIONS::bHighlightPressed },
        { L"bHighlightPressed", L"0", 0, &APP_OPTIONS::bHighlightPressed },
        { L"bImmediateReaction", L"100", 1, &APP_OPTIONS::bImmediateReaction },
        { L"bImmediateReaction", L"0", 0, &APP_OPTIONS::bImmediateReaction },
        { L"bAutoConnect", L"2", 1, &APP_OPTIONS::bAutoConnect }, { L"bAutoConnect", L"0", 0, &APP_OPTIONS::bAutoConnect },
        { L"bCloseToTray", L"-1", 0, &APP_OPTIONS::bCloseToTray }, { L"bCloseToTray", L"1", 1, &APP_OPTIONS::bCloseToTray },
        { L"bStartInTray", L"65537", 0, &APP_OPTIONS::bStartInTray },
        { L"bStartInTray", L"1", 1, &APP_OPTIONS::bStartInTray },
        // A pause combination of Wii Remote slots 0..10 only; 0 is none.
        { L"dwPauseSlots", L"2048", PAUSE_SLOTS_DEFAULT, nullptr, &APP_OPTIONS::dwPauseSlots },
        { L"dwPauseSlots", L"-1", PAUSE_SLOTS_DEFAULT, nullptr, &APP_OPTIONS::dwPauseSlots },
        { L"dwPauseSlots", L"2047", 2047, nullptr, &APP_OPTIONS::dwPauseSlots },
        { L"dwPauseSlots", L"0", 0, nullptr, &APP_OPTIONS::dwPauseSlots },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.key) + L"=" + c.text));
        WriteUnicodeIni(ini, std::wstring(L"[option]\r\n") + c.key + L"=" + c.text + L"\r\n");
        APP_OPTIONS want = defaults, read;
        memset(&read, 0x5A, sizeof(read));
        if (c.flag)
            want.*c.flag = (int)c.want;
        else
            want.*c.number = c.want;
        ReadOptionsFrom(ini.c_str(), &read);
        EXPECT_EQ(Describe(want), Describe(read));
    }
}

// The conversion of an ANSI file writes the new file beside it and then puts it in its place:
// when the write fails part-way, or the replacement fails after moving the old file away,
// the old file is there as it was, and nothing else is left in the folder. The options
// written after it still reach the file.
TEST(Options, AFailedConversionLeavesTheOldFile)
{
    const std::string ansi = "[other]\r\nkept=\x93\xfa\x96\x7b\r\n[option]\r\nbConnect=0\r\n";
    struct Case { const char *name; FileFaults faults; } cases[] = {
        { "the write fails part-way", { true } },
        { "the old file moved away, the new one cannot follow", { false, ERROR_UNABLE_TO_MOVE_REPLACEMENT, true, 1 } },
        { "the old file renamed, the new one not moved", { false, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, true, 1 } },
    };
    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::wstring ini = dir.File(L"option.ini");
        WriteBytes(ini, Bytes(ansi.begin(), ansi.end()));
        SetFileFaults(&c.faults);
        MakeUnicodeFile(ini.c_str());
        SetFileFaults(NULL);
        EXPECT_EQ(Bytes(ansi.begin(), ansi.end()), ReadBytes(ini));
        EXPECT_EQ(1u, dir.Count()) << "no temporary file stays behind";
        WritePrivateProfileStringW(L"option", L"bInitSet", L"1", ini.c_str());
        APP_OPTIONS read;
        ReadOptionsFrom(ini.c_str(), &read);
        EXPECT_EQ(0, read.bConnect);
        EXPECT_EQ(1, read.bInitSet);
        WCHAR kept[16];
        GetPrivateProfileStringW(L"other", L"kept", L"", kept, 16, ini.c_str());
        EXPECT_STREQ(L"日本", kept);
    }
}

// Each line of [programs] as it stands in the file: the spaces and tabs around the name and
// the file go, the file becomes a full path (a relative one in the folder of option.ini), and
// a line without both parts is refused and counted. A comment is no entry and no refusal.
TEST(Options, ProgramLinesAreTrimmedMadeFullOrRefused)
{
    const wchar_t *folder = L"C:\\ini\\folder";
    const std::wstring tooLong(MAX_PATH, L'n');
    struct Case { std::wstring line; const wchar_t *program, *file; } cases[] = {
        { L"game.exe=C:\\sets\\game.zan", L"game.exe", L"C:\\sets\\game.zan" },
        { L"  Game Two.exe \t=\t C:\\sets\\two.zan  ", L"Game Two.exe", L"C:\\sets\\two.zan" },
        { L"\trel.exe=sets\\rel.zan\t", L"rel.exe", L"C:\\ini\\folder\\sets\\rel.zan" },
        { L"up.exe=..\\up.zan", L"up.exe", L"C:\\ini\\up.zan" },
        { L"dots.exe=.\\a\\..\\dots.zan", L"dots.exe", L"C:\\ini\\folder\\dots.zan" },
        { L"root.exe=\\root.zan", L"root.exe", L"C:\\root.zan" },
        { L"unc.exe=\\\\server\\share\\u.zan", L"unc.exe", L"\\\\server\\share\\u.zan" },
        { L"full.exe=D:\\sets\\..\\f.zan", L"full.exe", L"D:\\f.zan" },
        { L"eq.exe=C:\\a=b.zan", L"eq.exe", L"C:\\a=b.zan" },
        { L"; a note", nullptr, nullptr },
        { L"noequals", nullptr, L"refused" },
        { L"=C:\\x.zan", nullptr, L"refused" },
        { L" \t =C:\\x.zan", nullptr, L"refused" },
        { L"empty.exe=", nullptr, L"refused" },
        { L"blank.exe= \t ", nullptr, L"refused" },
        { tooLong + L"=C:\\x.zan", nullptr, L"refused" },
        { L"long.exe=C:\\" + tooLong, nullptr, L"refused" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.line));
        PROGRAM_SET_LIST list = {};
        bool refused = c.file && !c.program;
        EXPECT_EQ(refused ? 0 : 1, TakeProgramSetLine(&list, c.line.c_str(), folder));
        EXPECT_EQ(refused ? 1 : 0, list.nRefused);
        ASSERT_EQ(c.program ? 1 : 0, list.nCount);
        if (c.program) {
            EXPECT_STREQ(c.program, list.aEntry[0].szProgram);
            EXPECT_STREQ(c.file, list.aEntry[0].szSettingFile);
        }
    }

    // From the file: relative to its folder, whatever the current folder; the refused lines
    // counted. Written back and read again, the list is the same.
    TempDir dir;
    std::wstring ini = dir.File(L"option.ini");
    WriteUnicodeIni(ini, L"[programs]\r\n rel.exe = sets\\rel.zan \r\nbroken\r\nempty.exe=\r\n"
                         L"up.exe=..\\up.zan\r\n[option]\r\nbConnect=0\r\n");
    PROGRAM_SET_LIST read;
    memset(&read, 0x5A, sizeof(read));
    ReadProgramSets(ini.c_str(), &read);
    ASSERT_EQ(2, read.nCount);
    EXPECT_EQ(2, read.nRefused);
    EXPECT_STREQ(L"rel.exe", read.aEntry[0].szProgram);
    EXPECT_EQ(dir.File(L"sets\\rel.zan"), read.aEntry[0].szSettingFile);
    std::wstring parent = dir.path.substr(0, dir.path.rfind(L'\\'));
    EXPECT_EQ(parent + L"\\up.zan", read.aEntry[1].szSettingFile);
    ASSERT_EQ(1, WriteProgramSets(ini.c_str(), &read));
    PROGRAM_SET_LIST again;
    ReadProgramSets(ini.c_str(), &again);
    ASSERT_EQ(2, again.nCount);
    EXPECT_EQ(0, again.nRefused);
    for (int i = 0; i < 2; i++) {
        EXPECT_STREQ(read.aEntry[i].szProgram, again.aEntry[i].szProgram);
        EXPECT_STREQ(read.aEntry[i].szSettingFile, again.aEntry[i].szSettingFile);
    }
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
