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
    std::wstring Save(const wchar_t *name, ASSIGNMENT_SET *set)
    {
        WCHAR path[SETTING_PATH_CHARS];
        lstrcpyW(path, dir.File(name).c_str());
        EXPECT_EQ(1, WriteSettingFile(path, set, 1));
        return path;
    }
    bool Has(const std::wstring &line) { return out.find(line) != std::wstring::npos; }
};

TEST_F(SettingsTool, ShowListsEverySlotWithItsFields)
{
    ASSIGNMENT_SET set;
    InitAssignmentSet(&set);
    set.aAssign[0] = { ASSIGN_KEY, 3, { VK_CONTROL, VK_F12, 0xBA }, 0, 0, 0, NULL };
    set.aAssign[13] = { ASSIGN_MOUSE, 0, { 0, 0, 0 }, MOUSE_MOVE_UP, 300, 0, NULL };
    set.aAssign[39] = { ASSIGN_APPLICATION, 0, { 0, 0, 0 }, 0, 0, 0, AllocPathText(9) };
    lstrcpyW(set.aAssign[39].pszPath, L"C:\\メモ.exe");
    set.abLed[3] = 1;
    set.nAnalogCorrection = 3;
    std::wstring path = Save(L"show.zan", &set);
    ReleaseAssignmentPaths(&set);

    ASSERT_EQ(TOOL_EXIT_OK, Run({ L"show", path }));
    EXPECT_TRUE(Has(L"version 3\nLEDs 1 0 0 1\nrepeat every engine cycle\ncorrection 強 (strong)\n")) << out;
    EXPECT_TRUE(Has(L"slot 00 Wii Remote [A]: key (キーボード); keys {Ctrl}{F12}{0xBA}; mouse 左クリック (left click), amount 0; path none\n")) << out;
    EXPECT_TRUE(Has(L"slot 13 Nunchuk [↑] stick: mouse (マウス); keys none; mouse 上移動 (move up), amount 300; path none\n")) << out;
    EXPECT_TRUE(Has(L"slot 39 Classic → right stick: application (アプリケーション); keys none; mouse 左クリック (left click), amount 0; path C:\\メモ.exe\n")) << out;
    EXPECT_EQ(41, std::count(out.begin(), out.end(), L'\n') - 4);  // the file line, 4 set lines, 40 slots
    EXPECT_TRUE(err.empty());
}

TEST_F(SettingsTool, CheckExplainsEachFileThatDoesNotLoad)
{
    ASSIGNMENT_SET set;
    InitAssignmentSet(&set);
    std::wstring good = Save(L"good.zan", &set);
    std::wstring cut = dir.File(L"cut.zan");
    Bytes whole = ReadBytes(good);
    WriteBytes(cut, Bytes(whole.begin(), whole.begin() + 700));
    std::wstring header = dir.File(L"header.zan");
    WriteBytes(header, Bytes{ 2, 0, 0, 0 });

    EXPECT_EQ(TOOL_EXIT_OK, Run({ L"check", good }));
    EXPECT_EQ(good + L": loads, version 3, 0 application paths\n", out);

    EXPECT_EQ(TOOL_EXIT_FAILED, Run({ L"check", good, cut, header, dir.File(L"UPPER.ZAN") }));
    EXPECT_EQ(good + L": loads, version 3, 0 application paths\n", out);
    EXPECT_NE(std::wstring::npos, err.find(cut + L": the file ends before its layout does (truncated)\n")) << err;
    EXPECT_NE(std::wstring::npos, err.find(header + L": not a settings file")) << err;
    EXPECT_NE(std::wstring::npos, err.find(L"UPPER.ZAN: the name does not end in \".zan\"")) << err;

    EXPECT_EQ(TOOL_EXIT_FAILED, Run({ L"show", cut }));
    EXPECT_TRUE(out.empty());

    // Loads, but not byte for byte: the check says so.
    std::wstring odd = dir.File(L"odd.zan");
    Bytes bytes = whole;
    bytes[bytes.size() - 1] = 9;   // correction
    bytes[bytes.size() - 6] = 2;   // LED 1
    bytes.insert(bytes.end(), { 1, 2, 3 });
    WriteBytes(odd, bytes);
    EXPECT_EQ(TOOL_EXIT_OK, Run({ L"check", odd }));
    EXPECT_EQ(odd + L": loads, version 3, 0 application paths\n"
              L"  bytes after the end of the settings, ignored: 3\n"
              L"  values out of range, replaced as Zan loads them: 2\n", out);
}

TEST_F(SettingsTool, ConvertWritesVersionThree)
{
    // A hand-made version-1 file: one key slot, then LEDs and the repeat byte.
    Bytes v1;
    AppendLe32(v1, 1);
    v1.push_back(ASSIGN_KEY);
    AppendZeros(v1, 3);
    AppendLe32(v1, 1);
    AppendLe16(v1, 'Z');
    AppendZeros(v1, 28 - 10 + 28 * 39);
    for (BYTE b : { 0, 1, 0, 0, 1 })
        v1.push_back(b);
    std::wstring in = dir.File(L"old.zan");
    WriteBytes(in, v1);

    ASSERT_EQ(TOOL_EXIT_OK, Run({ L"convert", in, dir.File(L"new.txt") }));
    std::wstring converted = dir.File(L"new.zan");
    EXPECT_EQ(L"wrote " + converted + L"\n", out);
    Bytes v3 = ReadBytes(converted);
    ASSERT_EQ(1130u, v3.size());
    Bytes want = v1;
    want[0] = 3;
    want.push_back(0);  // correction "none"
    EXPECT_EQ(want, v3);

    EXPECT_EQ(TOOL_EXIT_FAILED, Run({ L"convert", dir.File(L"missing.zan"), dir.File(L"x.zan") }));
    EXPECT_FALSE(FileExists(dir.File(L"x.zan")));
}

TEST_F(SettingsTool, WrongArgumentsShowUsage)
{
    EXPECT_EQ(TOOL_EXIT_USAGE, Run({}));
    EXPECT_EQ(TOOL_EXIT_USAGE, Run({ L"show" }));
    EXPECT_EQ(TOOL_EXIT_USAGE, Run({ L"convert", L"a.zan" }));
    EXPECT_NE(std::wstring::npos, err.find(L"usage: zanset"));
}

}  // namespace
