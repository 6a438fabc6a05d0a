// zanset: the listing of a set, the check's verdicts and exit status, conversion to version 3.
#include <gtest/gtest.h>

#include <algorithm>

#include "setting_file.h"
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
    // The sample with every extra (and the pointer), as Zan saves it.
    Bytes ExtrasFile(const POINTER_SETTING *pointer = nullptr)
    {
        ASSIGNMENT_SET set;
        FillExtras(&set);
        if (pointer)
            set.Pointer = *pointer;
        WCHAR path[SETTING_PATH_CHARS];
        lstrcpyW(path, dir.File(L"extras.zan").c_str());
        EXPECT_EQ(1, WriteSettingFile(path, &set, 1));
        ReleaseAssignmentPaths(&set);
        return ReadBytes(path);
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

// A plain set lists as before (above); a set with extras adds its modes to the slots and lists
// layer 2 after them.
TEST_F(SettingsTool, ShowListsTheExtras)
{
    ASSERT_EQ(TOOL_EXIT_OK, Run({ L"show", Write(L"show.zan", ExtrasFile()) }));
    for (const wchar_t *line : {
             L"slot 00 Wii Remote [A]: key (キーボード); keys {Ctrl}{C}; mouse 左クリック (left click), amount 0; "
             L"path none; 連射 (turbo) 20 per second\n",
             L"slot 03 Wii Remote [HOME]: layer switch (レイヤー切替); keys none; mouse 左クリック (left click), "
             L"amount 0; path none; 押すたびに切り替え (each press switches)\n",
             L"slot 08 Wii Remote [↓]: mouse (マウス); keys none; mouse 右クリック (right click), amount 0; "
             L"path none; トグル (toggle)\n",
             L"\nlayer 2 LEDs 1 0 1 0\n",
             L"layer 2 slot 00 Wii Remote [A]: key (キーボード); keys {Z}; mouse 左クリック (left click), amount 0; "
             L"path none; 連射 (turbo) 15 per second\n",
             L"layer 2 slot 02 Wii Remote [-]: application (アプリケーション); keys none; mouse 左クリック "
             L"(left click), amount 0; path メモ帳.exe\n" })
        EXPECT_NE(std::wstring::npos, out.find(line)) << out;
    EXPECT_EQ(45 + 41, std::count(out.begin(), out.end(), L'\n'));
}

// The pointer follows layer 2, with the values of its mode alone.
TEST_F(SettingsTool, ShowListsThePointer)
{
    const POINTER_SETTING ir = { POINTER_IR, BAR_BELOW, 0, 1, 5, 2 }, gyro = { POINTER_GYRO, 0, 40, 1, 12, 0xFF };
    ASSERT_EQ(TOOL_EXIT_OK, Run({ L"show", Write(L"ir.zan", ExtrasFile(&ir)) }));
    EXPECT_NE(std::wstring::npos, out.find(L"\npointer IR (センサーバー); bar below the screen; area 60%; off screen "
                                           L"slot 01 Wii Remote [B]\n")) << out;
    ASSERT_EQ(TOOL_EXIT_OK, Run({ L"show", Write(L"gyro.zan", ExtrasFile(&gyro)) }));
    EXPECT_NE(std::wstring::npos, out.find(L"\npointer gyro (ジャイロ); speed 12; hold none\n")) << out;
}

// A damaged block: the version-3 part loads as it is, without any extra, and the check says why.
// Offsets from the block's start at 1130.
TEST_F(SettingsTool, CheckTellsWhyADamagedBlockIsIgnored)
{
    const Bytes good = ExtrasFile();
    const size_t block = 1130, payload = good.size() - block - 12;
    ASSIGNMENT_SET plain;
    FillSample(&plain);
    plain.dwVersion = SET_VERSION_CURRENT;
    plain.aAssign[8] = { ASSIGN_MOUSE, 0, { 0, 0, 0 }, MOUSE_RIGHT_CLICK, 0, 0, NULL, 0, 0, 0 };
    const size_t path2 = block + 12 + 164 + 30 * 2 + 20;  // the length of layer 2's path
    struct Case {
        const char *name; size_t at; DWORD value; int width; int cut; int extras; const wchar_t *line;
    } cases[] = {
        { "bad tag", block, 'Y', 1, 0, EXTRAS_NO_TAG, L"bytes after the end of the settings, ignored: " },
        { "bad version", block + 4, 3, 4, 0, EXTRAS_BAD_VERSION, L"its version is unknown to this Zan (3)" },
        { "length past the end", block + 8, (DWORD)payload + 1, 4, 0, EXTRAS_TRUNCATED, L"(truncated)" },
        { "length short of the end", block + 8, (DWORD)payload - 1, 4, 0, EXTRAS_BAD_LENGTH,
          L"its length does not run exactly to the end of the file" },
        { "file cut in the payload", 0, 3, 4, 3, EXTRAS_TRUNCATED, L"(truncated)" },
        { "file cut in the header", 0, 3, 4, (int)payload + 6, EXTRAS_TRUNCATED, L"(truncated)" },
        { "a byte after the block", 0, 3, 4, -1, EXTRAS_BAD_LENGTH, L"does not run exactly" },
        { "oversized path", path2, 40000, 4, 0, EXTRAS_BAD_PATH, L"path lengths do not match its length" },
        { "path a byte longer", path2, 11, 4, 0, EXTRAS_BAD_PATH, L"path lengths do not match its length" },
        { "a key slot's kind changed", block + 12, ASSIGN_APPLICATION, 1, 0, EXTRAS_BAD_KIND,
          L"a slot's kind in it contradicts the version-3 part" },
        { "a layer slot over a mouse entry", block + 12 + 4 * 5, ASSIGN_LAYER, 1, 0, EXTRAS_BAD_KIND,
          L"contradicts" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = good;
        if (c.at)
            Poke(bytes, c.at, c.value, c.width);
        bytes.resize(bytes.size() - c.cut, 0);
        std::wstring file = Write(L"damaged.zan", bytes);
        ASSIGNMENT_SET set;
        InitAssignmentSet(&set);
        LOAD_NOTES notes = {};
        ASSERT_EQ(LOAD_OK, InspectSettingFile(file.c_str(), &set, &notes));
        EXPECT_EQ(Describe(plain), Describe(set));
        EXPECT_EQ(c.extras, notes.nExtras);
        EXPECT_EQ((LONGLONG)bytes.size() - 1130, notes.llTrailingBytes);
        EXPECT_EQ(0, notes.nNormalized);
        ReleaseAssignmentPaths(&set);
        EXPECT_EQ(TOOL_EXIT_OK, Run({ L"check", file }));
        EXPECT_NE(std::wstring::npos, out.find(c.line)) << out;
    }
    EXPECT_EQ(TOOL_EXIT_OK, Run({ L"check", Write(L"good.zan", good) }));
    EXPECT_EQ(dir.File(L"good.zan") + L": loads, version 3, 1 application paths\n"
              L"  extra block: press modes, layer slots and layer 2 loaded\n", out);
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

    // A set with extras keeps them.
    Bytes extras = ExtrasFile();
    ASSERT_EQ(TOOL_EXIT_OK, Run({ L"convert", Write(L"in.zan", extras), dir.File(L"out.zan") }));
    EXPECT_EQ(extras, ReadBytes(dir.File(L"out.zan")));

    EXPECT_EQ(TOOL_EXIT_FAILED, Run({ L"convert", dir.File(L"missing.zan"), dir.File(L"x.zan") }));
    EXPECT_FALSE(FileExists(dir.File(L"x.zan")));
    for (std::vector<std::wstring> args : { std::vector<std::wstring>(), { L"show" }, { L"convert", L"a.zan" } }) {
        EXPECT_EQ(TOOL_EXIT_USAGE, Run(args));
        EXPECT_NE(std::wstring::npos, err.find(L"usage: zanset"));
    }
}

}  // namespace
