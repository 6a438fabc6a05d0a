// Thousands of damaged settings files: each either loads into a sane set or fails
// without touching the target, and no path string outlives its load.
#include <gtest/gtest.h>

#include <random>

#include "key_text.h"
#include "setting_file.h"
#include "test_support.h"

namespace {

const int kFiles = 3000;

Bytes BaseFile(const TempDir &dir)
{
    ASSIGNMENT_SET set;
    InitAssignmentSet(&set);
    const wchar_t *paths[] = { L"C:\\a.exe", L"メモ帳.exe", L"D:\\tools\\run.bat" };
    int slots[] = { 0, 17, 39 };
    for (int i = 0; i < 3; i++) {
        WCHAR *p = AllocPathText(lstrlenW(paths[i]));
        lstrcpyW(p, paths[i]);
        set.aAssign[slots[i]] = { ASSIGN_APPLICATION, 0, { 0, 0, 0 }, 0, 0, 0, p };
    }
    set.aAssign[5] = { ASSIGN_KEY, 3, { VK_CONTROL, VK_SHIFT, 'S' }, 0, 0, 0, NULL };
    set.aAssign[6] = { ASSIGN_MOUSE, 0, { 0, 0, 0 }, MOUSE_SCROLL_LEFT, 250, 0, NULL };
    WCHAR path[SETTING_PATH_CHARS];
    lstrcpyW(path, dir.File(L"base.zan").c_str());
    EXPECT_EQ(1, WriteSettingFile(path, &set, 1));
    ReleaseAssignmentPaths(&set);
    return ReadBytes(path);
}

void Mutate(Bytes &b, std::mt19937 &rng)
{
    auto pick = [&](size_t n) { return (size_t)(rng() % (n ? n : 1)); };
    switch (rng() % 5) {
    case 0:
        b.resize(pick(b.size() + 1));
        break;
    case 1:
        for (int i = 1 + pick(8); i > 0 && !b.empty(); i--)
            b[pick(b.size())] ^= (BYTE)(1u << pick(8));
        break;
    case 2: {  // a path flag with a length from the edges
        static const DWORD lengths[] = { 0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 40000, 32767, 32768, 1, 0, 200 };
        size_t entry = 4 + 28 * pick(ASSIGN_SLOTS);
        if (entry + 28 <= b.size()) {
            DWORD len = lengths[pick(sizeof(lengths) / sizeof(lengths[0]))];
            for (int i = 0; i < 4; i++)
                b[entry + 20 + i] = (BYTE)(len >> (8 * i));
            b[entry + 24] = (BYTE)(rng() & 1);
        }
        break;
    }
    case 3: {  // another header
        static const DWORD headers[] = { 1, 3, 652, 2, 0 };
        DWORD h = headers[pick(5)];
        for (int i = 0; i < 4 && i < (int)b.size(); i++)
            b[i] = (BYTE)(h >> (8 * i));
        break;
    }
    default:
        for (int i = pick(64); i > 0; i--)
            b.push_back((BYTE)rng());
        break;
    }
}

void ExpectSane(const ASSIGNMENT_SET &set)
{
    for (const ASSIGNMENT &a : set.aAssign) {
        ASSERT_LE(a.nKind, ASSIGN_APPLICATION);
        ASSERT_GE(a.nKeyCount, 0);
        ASSERT_LE(a.nKeyCount, ASSIGN_MAX_KEYS);
        ASSERT_LT(a.nMouseAction, MOUSE_ACTIONS);
        if (a.pszPath) {
            ASSERT_LE(lstrlenW(a.pszPath), a.nPathLength);
        }
        WCHAR text[KEY_TEXT_CHARS + 1];
        text[KEY_TEXT_CHARS] = 0x5A5A;  // guard
        FormatKeyText(text, &a);
        ASSERT_EQ(0x5A5A, text[KEY_TEXT_CHARS]);
    }
}

TEST(SettingFileFuzz, DamagedFilesLoadSaneOrLeaveTheTargetAlone)
{
    TempDir dir;
    Bytes base = BaseFile(dir);
    ASSERT_EQ(1130u + 8 + 10 + 16, base.size());
    std::mt19937 rng(20240611);
    const LONG baseline = CountPathTexts();
    ASSIGNMENT_SET target;
    InitAssignmentSet(&target);
    target.aAssign[3].pszPath = AllocPathText(3);
    lstrcpyW(target.aAssign[3].pszPath, L"own");
    ASSIGNMENT_SET before = target;
    WCHAR ownText[] = L"own";
    before.aAssign[3].pszPath = ownText;  // compared by text: the target's string is replaced after each load
    WCHAR *own = target.aAssign[3].pszPath;
    const std::wstring path = dir.File(L"fuzz.zan");
    int loaded = 0;
    for (int i = 0; i < kFiles; i++) {
        Bytes file = base;
        for (int n = 1 + rng() % 3; n > 0; n--)
            Mutate(file, rng);
        WriteBytes(path, file);
        if (LoadSettingFile(path.c_str(), &target, 1)) {
            loaded++;
            ExpectSane(target);
            ReleaseAssignmentPaths(&target);
            target = before;
            own = target.aAssign[3].pszPath = AllocPathText(3);
            lstrcpyW(own, L"own");
        } else {
            ExpectSetsEqual(before, target);
            ASSERT_EQ(own, target.aAssign[3].pszPath);
            ASSERT_STREQ(L"own", own);
        }
        ASSERT_EQ(baseline + 1, CountPathTexts()) << "file " << i;
        if (::testing::Test::HasFailure())
            break;
    }
    ReleaseAssignmentPaths(&target);
    // Both outcomes must have been exercised for the test to mean anything.
    EXPECT_GT(loaded, kFiles / 20);
    EXPECT_LT(loaded, kFiles - kFiles / 20);
}

}  // namespace
