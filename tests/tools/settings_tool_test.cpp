// zanset: the listing of a set, the check's verdicts and exit status, conversion to version 3.
#include <gtest/gtest.h>

#include <algorithm>

#include "settings_tool.h"
#include "test_support.h"

namespace {

struct SettingsTool : ::testing::Test {
    TempDir dir;
    std::wstring out, err;

    int Run(std::vector<std::wstring> args)
    {
        args.insert(args.begin(), L"zanset");
        std::vector<WCHAR *> argv;
        for (std::wstring &a : args)
            argv.push_back(&a[0]);
        out.clear();
        err.clear();
        return RunSettingsTool((int)argv.size(), argv.data(), &out, &err);
    }
    std::wstring Write(const wchar_t *name, const Bytes &bytes)
    {
        WriteBytes(dir.File(name), bytes);
        return dir.File(name);
    }
};

TEST_F(SettingsTool, ShowListsEverySlotWithItsFields)
{
    Bytes bytes = SampleBytes(3);
    Poke(bytes, Entry(13), ASSIGN_APPLICATION, 4);
    Poke(bytes, Entry(13) + 20, 8, 4);
    Poke(bytes, Entry(13) + 24, 1, 4);
    bytes.insert(bytes.begin() + Entry(ASSIGN_SLOTS), { 0x83, 0x81, 0x83, 0x82, '.', 'e', 'x', 'e' });  // メモ.exe
    ASSERT_EQ(TOOL_EXIT_OK, Run({ L"show", Write(L"show.zan", bytes) }));
    for (const wchar_t *line : {
             L"version 3\nLEDs 1 0 1 1\nrepeat at the system keyboard rate\ncorrection 中 (medium)\n",
             L"slot 00 Wii Remote [A]: key (キーボード); keys {Ctrl}{C}; mouse 左クリック (left click), amount 0; "
             L"path none\n",
             L"slot 13 Nunchuk [↑] stick: application (アプリケーション); keys none; mouse 左クリック (left click), "
             L"amount 0; path メモ.exe\n",
             L"slot 39 Classic → right stick: disabled (無効); keys {F12}; mouse 上スクロール (scroll up), amount 7; "
             L"path none\n" })
        EXPECT_NE(std::wstring::npos, out.find(line)) << out;
    EXPECT_EQ(45, std::count(out.begin(), out.end(), L'\n'));  // the file line, 4 set lines, 40 slots
    EXPECT_TRUE(err.empty());
}

// A file that loads, but not byte for byte: the check says what was ignored or replaced.
TEST_F(SettingsTool, CheckExplainsEachFileThatDoesNotLoadOrNotExactly)
{
    std::wstring good = Write(L"good.zan", SampleBytes(3));
    Bytes bytes = SampleBytes(3);
    bytes.resize(700);
    std::wstring cut = Write(L"cut.zan", bytes);
    std::wstring header = Write(L"header.zan", Bytes{ 2, 0, 0, 0 });
    bytes = SampleBytes(3);
    bytes[bytes.size() - 1] = 9;   // correction
    bytes[bytes.size() - 6] = 2;   // LED 1
    bytes.insert(bytes.end(), { 1, 2, 3 });
    std::wstring odd = Write(L"odd.zan", bytes);

    EXPECT_EQ(TOOL_EXIT_FAILED, Run({ L"check", good, cut, header, dir.File(L"UPPER.ZAN") }));
    EXPECT_EQ(good + L": loads, version 3, 0 application paths\n", out);
    EXPECT_NE(std::wstring::npos, err.find(cut + L": the file ends before its layout does (truncated)\n")) << err;
    EXPECT_NE(std::wstring::npos, err.find(header + L": not a settings file")) << err;
    EXPECT_NE(std::wstring::npos, err.find(L"UPPER.ZAN: the name does not end in \".zan\"")) << err;
    EXPECT_EQ(TOOL_EXIT_FAILED, Run({ L"show", cut }));
    EXPECT_TRUE(out.empty());

    EXPECT_EQ(TOOL_EXIT_OK, Run({ L"check", odd }));
    EXPECT_EQ(odd + L": loads, version 3, 0 application paths\n"
              L"  bytes after the end of the settings, ignored: 3\n"
              L"  values out of range, replaced as Zan loads them: 2\n", out);
}

// Version 1 has no correction byte: a stray byte after its layout is not one.
TEST_F(SettingsTool, ConvertWritesVersionThree)
{
    Bytes v1 = SampleBytes(1);
    v1.push_back(3);
    std::wstring in = Write(L"old.zan", v1);
    ASSERT_EQ(TOOL_EXIT_OK, Run({ L"convert", in, dir.File(L"new.txt") }));
    EXPECT_EQ(L"wrote " + dir.File(L"new.zan") + L"\n", out);
    Bytes want = SampleBytes(3);
    want.back() = 0;  // correction "none"
    EXPECT_EQ(want, ReadBytes(dir.File(L"new.zan")));

    EXPECT_EQ(TOOL_EXIT_FAILED, Run({ L"convert", dir.File(L"missing.zan"), dir.File(L"x.zan") }));
    EXPECT_FALSE(FileExists(dir.File(L"x.zan")));
    for (std::vector<std::wstring> args : { std::vector<std::wstring>(), { L"show" }, { L"convert", L"a.zan" } }) {
        EXPECT_EQ(TOOL_EXIT_USAGE, Run(args));
        EXPECT_NE(std::wstring::npos, err.find(L"usage: zanset"));
    }
}

}  // namespace
