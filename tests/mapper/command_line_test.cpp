// The command-line scan for a settings file.
#include <gtest/gtest.h>

#include "setting_file.h"
#include "test_support.h"

namespace {

struct CommandLine : ::testing::Test {
    TempDir dir;
    WCHAR current[SETTING_PATH_CHARS];

    void SetUp() override
    {
        ASSERT_EQ(std::wstring::npos, dir.path.find(L' ')) << "unquoted tokens need a folder without spaces";
        lstrcpyW(current, L"unchanged");
        InitAssignmentSet(&g_CurrentSet);
    }
    void TearDown() override
    {
        ReleaseAssignmentPaths(&g_CurrentSet);
        InitAssignmentSet(&g_CurrentSet);
    }
    // A loadable file whose slot 0 holds one key, to tell files apart after a load.
    std::wstring Make(const wchar_t *name, WORD key)
    {
        ASSIGNMENT_SET set;
        InitAssignmentSet(&set);
        set.aAssign[0] = { ASSIGN_KEY, 1, { key, 0, 0 }, 0, 0, 0, NULL };
        WCHAR path[SETTING_PATH_CHARS];
        lstrcpynW(path, dir.File(name).c_str(), SETTING_PATH_CHARS);
        EXPECT_EQ(1, WriteSettingFile(path, &set, 1));
        return path;
    }
    int Open(const std::wstring &line) { return OpenCommandLineFile(line.c_str(), current); }
};

TEST_F(CommandLine, FirstLoadableTokenWinsAndEndsTheWalk)
{
    std::wstring quoted = Make(L"my settings.zan", 'Q');
    std::wstring third = Make(L"third.zan", 'T');
    ASSERT_EQ(1, Open(L"hello \"" + quoted + L"\" " + third));
    EXPECT_EQ(quoted, std::wstring(current));
    EXPECT_EQ('Q', g_CurrentSet.aAssign[0].awKey[0]);
}

TEST_F(CommandLine, UnquotedTokensAfterWordsAndRepeatedSpaces)
{
    std::wstring plain = Make(L"plain.zan", 'P');
    ASSERT_EQ(1, Open(L"-x  \"not here.zan\"  " + plain));
    EXPECT_EQ(plain, std::wstring(current));
    EXPECT_EQ('P', g_CurrentSet.aAssign[0].awKey[0]);
}

TEST_F(CommandLine, NothingLoadableLeavesEverythingAsItWas)
{
    std::wstring good = Make(L"good.zan", 'G');
    const std::wstring lines[] = {
        L"",
        L"   ",
        L"word another",
        L"\"" + good,            // no closing quote: the walk stops
        L"\"unterminated " + good,
        L"\"\"",
    };
    for (const std::wstring &line : lines) {
        EXPECT_EQ(0, Open(line));
        EXPECT_STREQ(L"unchanged", current);
        EXPECT_EQ(ASSIGN_DISABLED, g_CurrentSet.aAssign[0].nKind);
    }
    EXPECT_EQ(0, OpenCommandLineFile(NULL, current));
}

TEST_F(CommandLine, OverlongTokenIsPassedOverNotCut)
{
    // A file whose full path is exactly 259 characters: cutting a longer token
    // to fit the buffer would name it.
    size_t nameLength = 259 - dir.path.size() - 1;
    std::wstring name(nameLength - 4, L'n');
    name += L".zan";
    std::wstring exact = Make(name.c_str(), 'X');
    ASSERT_EQ(259u, exact.size());
    EXPECT_EQ(0, Open(exact + L"extra"));
    EXPECT_EQ(ASSIGN_DISABLED, g_CurrentSet.aAssign[0].nKind);

    std::wstring after = Make(L"after.zan", 'A');
    ASSERT_EQ(1, Open(L"\"" + exact + L"extra\" " + after));
    EXPECT_EQ(after, std::wstring(current));

    ASSERT_EQ(1, Open(exact));  // 259 characters still fit
    EXPECT_EQ('X', g_CurrentSet.aAssign[0].awKey[0]);
}

}  // namespace
