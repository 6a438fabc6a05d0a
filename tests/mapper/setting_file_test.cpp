// Settings files: the exact bytes written, the three layouts read, and bad input refused.
#include <gtest/gtest.h>

#include <string.h>

#include "setting_file.h"
#include "test_support.h"

namespace {

struct EntryBytes {
    BYTE kind;
    int keyCount;
    WORD keys[3];
    BYTE mouse;
    WORD amount;
    int pathLength;
    DWORD pathFlag;
};

// One 28-byte entry laid out by hand, padding zero.
void AppendEntry(Bytes &b, const EntryBytes &e)
{
    b.push_back(e.kind);
    AppendZeros(b, 3);
    AppendLe32(b, (DWORD)e.keyCount);
    for (WORD k : e.keys)
        AppendLe16(b, k);
    b.push_back(e.mouse);
    AppendZeros(b, 1);
    AppendLe16(b, e.amount);
    AppendZeros(b, 2);
    AppendLe32(b, (DWORD)e.pathLength);
    AppendLe32(b, e.pathFlag);
}

WCHAR *NewPath(const wchar_t *text)
{
    WCHAR *p = AllocPathText(lstrlenW(text));
    lstrcpyW(p, text);
    return p;
}

// A set that touches every field kind.
void FillSample(ASSIGNMENT_SET *set)
{
    InitAssignmentSet(set);
    set->aAssign[0] = { ASSIGN_KEY, 2, { VK_CONTROL, 'C', 0 }, 0, 0, 0, NULL };
    set->aAssign[5] = { ASSIGN_MOUSE, 0, { 0, 0, 0 }, MOUSE_MOVE_RIGHT, 1000, 0, NULL };
    set->aAssign[39] = { ASSIGN_DISABLED, 1, { VK_F12, 0, 0 }, MOUSE_SCROLL_UP, 7, 7, NULL };
    set->abLed[2] = 1;
    set->abLed[3] = 1;
    set->bSystemRepeat = 1;
    set->nAnalogCorrection = 2;
}

Bytes SampleBytes(DWORD version, bool withCorrection)
{
    Bytes b;
    AppendLe32(b, version);
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        EntryBytes e = {};
        if (i == 0)
            e = { ASSIGN_KEY, 2, { VK_CONTROL, 'C', 0 }, 0, 0, 0, 0 };
        if (i == 5)
            e = { ASSIGN_MOUSE, 0, { 0, 0, 0 }, MOUSE_MOVE_RIGHT, 1000, 0, 0 };
        if (i == 39)
            e = { ASSIGN_DISABLED, 1, { VK_F12, 0, 0 }, MOUSE_SCROLL_UP, 7, 7, 0 };
        AppendEntry(b, e);
    }
    for (BYTE led : { 1, 0, 1, 1 })
        b.push_back(led);
    b.push_back(1);
    if (withCorrection)
        b.push_back(2);
    return b;
}

struct SettingFile : ::testing::Test {
    TempDir dir;
    ASSIGNMENT_SET target;
    ASSIGNMENT_SET before;
    LONG stringsBefore = 0;

    void SetUp() override
    {
        stringsBefore = CountPathTexts();
        InitAssignmentSet(&target);
        target.aAssign[7] = { ASSIGN_APPLICATION, 0, { 0, 0, 0 }, 0, 0, 5, NewPath(L"x.exe") };
        target.abLed[3] = 1;
        before = target;
    }
    void TearDown() override
    {
        ReleaseAssignmentPaths(&target);
        EXPECT_EQ(stringsBefore, CountPathTexts()) << "a path string leaked";
    }
    void ExpectTargetUnchanged()
    {
        ExpectSetsEqual(before, target, true);
        ASSERT_NE(nullptr, target.aAssign[7].pszPath);
        EXPECT_STREQ(L"x.exe", target.aAssign[7].pszPath);
    }
    int Load(const std::wstring &path) { return ReadSettingFile(path.c_str(), &target, 1); }
};

TEST_F(SettingFile, SetWithoutPathsSavesExactly1130Bytes)
{
    ASSIGNMENT_SET set;
    FillSample(&set);
    WCHAR path[SETTING_PATH_CHARS];
    lstrcpyW(path, dir.File(L"plain.zan").c_str());
    ASSERT_EQ(1, WriteSettingFile(path, &set, 1));
    EXPECT_EQ(SET_VERSION_CURRENT, set.dwVersion);
    Bytes got = ReadBytes(path);
    ASSERT_EQ(1130u, got.size());
    EXPECT_EQ(SampleBytes(3, true), got);

    ASSERT_EQ(LOAD_OK, Load(path));
    ExpectSetsEqual(set, target);
}

TEST_F(SettingFile, PathTextsFollowTheEntriesInSlotOrder)
{
    ASSIGNMENT_SET set;
    InitAssignmentSet(&set);
    set.aAssign[39] = { ASSIGN_APPLICATION, 0, { 0, 0, 0 }, 0, 0, 5, NewPath(L"a.exe") };
    set.aAssign[2] = { ASSIGN_APPLICATION, 0, { 0, 0, 0 }, 0, 0, 99, NewPath(L"b.c") };
    WCHAR path[SETTING_PATH_CHARS];
    lstrcpyW(path, dir.File(L"paths.zan").c_str());
    ASSERT_EQ(1, WriteSettingFile(path, &set, 1));

    Bytes want;
    AppendLe32(want, 3);
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        EntryBytes e = {};
        if (i == 2)
            e = { ASSIGN_APPLICATION, 0, { 0, 0, 0 }, 0, 0, 3, 1 };
        if (i == 39)
            e = { ASSIGN_APPLICATION, 0, { 0, 0, 0 }, 0, 0, 5, 1 };
        AppendEntry(want, e);
    }
    for (char c : std::string("b.ca.exe"))
        want.push_back((BYTE)c);
    for (BYTE tail : { 1, 0, 0, 0, 0, 0 })
        want.push_back(tail);
    EXPECT_EQ(want, ReadBytes(path));

    ASSERT_EQ(LOAD_OK, Load(path));
    EXPECT_STREQ(L"b.c", target.aAssign[2].pszPath);
    EXPECT_EQ(3, target.aAssign[2].nPathLength);
    EXPECT_STREQ(L"a.exe", target.aAssign[39].pszPath);
    EXPECT_EQ(5, target.aAssign[39].nPathLength);
    EXPECT_EQ(nullptr, target.aAssign[7].pszPath);
    ReleaseAssignmentPaths(&set);
}

TEST_F(SettingFile, DoubleBytePathCountsTwoBytesPerCharacter)
{
    ASSERT_EQ(932u, GetACP()) << "the tests run with the Japanese ANSI code page";
    ASSIGNMENT_SET set;
    InitAssignmentSet(&set);
    set.aAssign[0] = { ASSIGN_APPLICATION, 0, { 0, 0, 0 }, 0, 0, 0, NewPath(L"アプリ\\起動") };
    WCHAR path[SETTING_PATH_CHARS];
    lstrcpyW(path, dir.File(L"jp.zan").c_str());
    ASSERT_EQ(1, WriteSettingFile(path, &set, 1));
    Bytes got = ReadBytes(path);
    ASSERT_EQ(1130u + 11, got.size());
    EXPECT_EQ(11u, got[4 + 20]);  // nPathLength of entry 0: 5 double-byte characters and "\"
    const Bytes sjis = { 0x83, 0x41, 0x83, 0x76, 0x83, 0x8A, 0x5C, 0x8B, 0x4E, 0x93, 0xAE };
    EXPECT_EQ(sjis, Bytes(got.begin() + 1124, got.begin() + 1135));

    ASSERT_EQ(LOAD_OK, Load(path));
    EXPECT_STREQ(L"アプリ\\起動", target.aAssign[0].pszPath);
    EXPECT_EQ(11, target.aAssign[0].nPathLength);
    ReleaseAssignmentPaths(&set);
}

TEST_F(SettingFile, VersionOneLoadsWithCorrectionNone)
{
    Bytes file = SampleBytes(1, false);
    file.push_back(3);  // a stray byte after the layout is not a correction level
    WriteBytes(dir.File(L"v1.zan"), file);
    ASSERT_EQ(LOAD_OK, Load(dir.File(L"v1.zan")));
    ASSIGNMENT_SET want;
    FillSample(&want);
    want.dwVersion = 1;
    want.nAnalogCorrection = 0;
    ExpectSetsEqual(want, target);
}

Bytes OldImage()
{
    Bytes b;
    AppendLe32(b, 652);
    for (int i = 0; i < ASSIGN_SLOTS; i++) {
        b.push_back(i == 3 ? 1 : 0);
        AppendZeros(b, 3);
        AppendLe32(b, i == 3 || i == 10 ? 2 : 0);
        AppendLe16(b, i == 3 || i == 10 ? VK_CONTROL : 0);
        AppendLe16(b, i == 3 || i == 10 ? 'V' : 0);
        AppendLe16(b, 0);
        AppendZeros(b, 2);
    }
    for (BYTE led : { 0, 1, 1, 0 })
        b.push_back(led);
    b.push_back(1);
    AppendZeros(b, 3);
    return b;
}

TEST_F(SettingFile, OldestImageLoadsAsVersionOne)
{
    Bytes file = OldImage();
    ASSERT_EQ(652u, file.size());
    WriteBytes(dir.File(L"old.zan"), file);
    ASSERT_EQ(LOAD_OK, Load(dir.File(L"old.zan")));
    ASSIGNMENT_SET want;
    InitAssignmentSet(&want);
    want.aAssign[3] = { ASSIGN_KEY, 2, { VK_CONTROL, 'V', 0 }, 0, 0, 0, NULL };
    // Keys without the presence byte are copied into a disabled slot.
    want.aAssign[10] = { ASSIGN_DISABLED, 2, { VK_CONTROL, 'V', 0 }, 0, 0, 0, NULL };
    memcpy(want.abLed, "\0\1\1\0", 4);
    want.bSystemRepeat = 1;
    ExpectSetsEqual(want, target);
}

TEST_F(SettingFile, RefusedFilesLeaveTheTargetUnchanged)
{
    Bytes header2 = SampleBytes(3, true);
    header2[0] = 2;
    Bytes oldShort = OldImage();
    oldShort.pop_back();
    Bytes v3Short = SampleBytes(3, true);
    v3Short.pop_back();
    Bytes v1Short = SampleBytes(1, false);
    v1Short.pop_back();
    Bytes negativeLength = SampleBytes(3, true);
    negativeLength[4 + 24] = 1;                          // entry 0 has a path...
    memcpy(&negativeLength[4 + 20], "\xff\xff\xff\xff", 4);  // ...of length -1
    Bytes pastEnd = SampleBytes(3, true);
    pastEnd[4 + 24] = 1;
    pastEnd[4 + 20] = 7;  // 6 bytes follow the entries
    Bytes huge = SampleBytes(3, true);
    huge[4 + 24] = 1;
    memcpy(&huge[4 + 20], "\x00\x00\x00\x7f", 4);
    struct Case {
        const wchar_t *name;
        Bytes bytes;
        int result;
    } cases[] = {
        { L"header2.zan", header2, LOAD_UNKNOWN_HEADER },
        { L"old-short.zan", oldShort, LOAD_SHORT_FILE },
        { L"v3-short.zan", v3Short, LOAD_SHORT_FILE },
        { L"v1-short.zan", v1Short, LOAD_SHORT_FILE },
        { L"empty.zan", Bytes(), LOAD_SHORT_FILE },
        { L"negative.zan", negativeLength, LOAD_BAD_PATH_LENGTH },
        { L"past-end.zan", pastEnd, LOAD_BAD_PATH_LENGTH },
        { L"huge.zan", huge, LOAD_BAD_PATH_LENGTH },
        { L"capitals.ZAN", SampleBytes(3, true), LOAD_BAD_EXTENSION },
        { L"mixed.Zan", SampleBytes(3, true), LOAD_BAD_EXTENSION },
        { L"other.txt", SampleBytes(3, true), LOAD_BAD_EXTENSION },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "file " << std::string(c.name, c.name + lstrlenW(c.name)));
        WriteBytes(dir.File(c.name), c.bytes);
        EXPECT_EQ(c.result, Load(dir.File(c.name)));
        EXPECT_EQ(0, LoadSettingFile(dir.File(c.name).c_str(), &target, 1));
        ExpectTargetUnchanged();
    }
    EXPECT_EQ(LOAD_NO_PATH, ReadSettingFile(L"", &target, 1));
    EXPECT_EQ(LOAD_NO_PATH, ReadSettingFile(NULL, &target, 1));
    EXPECT_EQ(LOAD_CANNOT_OPEN, Load(dir.File(L"missing.zan")));
    ExpectTargetUnchanged();
}

TEST_F(SettingFile, PathsReadBeforeAFailureAreReleased)
{
    Bytes file;
    AppendLe32(file, 3);
    for (int i = 0; i < ASSIGN_SLOTS; i++)
        AppendEntry(file, { ASSIGN_APPLICATION, 0, { 0, 0, 0 }, 0, 0, i < 2 ? 1 : 0, i < 2 ? 1u : 0u });
    file.push_back('a');  // slot 0's path; slot 1's path runs past the end
    WriteBytes(dir.File(L"cut.zan"), file);
    EXPECT_EQ(LOAD_BAD_PATH_LENGTH, Load(dir.File(L"cut.zan")));
    file.push_back('b');  // now slot 1's path is there, the tail is not
    WriteBytes(dir.File(L"cut.zan"), file);
    EXPECT_EQ(LOAD_SHORT_FILE, Load(dir.File(L"cut.zan")));
    EXPECT_EQ(stringsBefore + 1, CountPathTexts());  // only the target's own string
    ExpectTargetUnchanged();
}

TEST_F(SettingFile, CheckOnlyOpensTheFile)
{
    WriteBytes(dir.File(L"junk.zan"), Bytes{ 'n', 'o', 't' });
    EXPECT_EQ(1, LoadSettingFile(dir.File(L"junk.zan").c_str(), &target, 0));
    ExpectTargetUnchanged();
    EXPECT_EQ(0, LoadSettingFile(dir.File(L"gone.zan").c_str(), &target, 0));
    WriteBytes(dir.File(L"junk.ZAN"), Bytes{ 'n' });
    EXPECT_EQ(0, LoadSettingFile(dir.File(L"junk.ZAN").c_str(), &target, 0));
}

TEST_F(SettingFile, OutOfRangeValuesLoadHarmless)
{
    Bytes file = SampleBytes(3, true);
    size_t tail = file.size() - 6;
    file[tail + 1] = 7;                                   // LED 2
    file[tail + 4] = 5;                                   // repeat
    file[tail + 5] = 9;                                   // correction
    file[4 + 28 * 8 + 20] = 5;                            // slot 8: path "ab\0cd"
    file[4 + 28 * 8 + 24] = 1;
    file.insert(file.begin() + (long)tail, {'a', 'b', 0, 'c', 'd'});
    file[4 + 28 * 1] = 9;                                 // slot 1: unknown kind
    file[4 + 28 * 2] = ASSIGN_KEY;                        // slot 2: 7 keys
    file[4 + 28 * 2 + 4] = 7;
    file[4 + 28 * 3] = ASSIGN_KEY;                        // slot 3: -2 keys
    memcpy(&file[4 + 28 * 3 + 4], "\xfe\xff\xff\xff", 4);
    file[4 + 28 * 4] = ASSIGN_MOUSE;                      // slot 4: mouse action 12
    file[4 + 28 * 4 + 14] = 12;
    file[4 + 28 * 6] = ASSIGN_KEY;                        // slot 6: action 200 on a key slot
    file[4 + 28 * 6 + 14] = 200;
    WriteBytes(dir.File(L"odd.zan"), file);
    ASSERT_EQ(LOAD_OK, Load(dir.File(L"odd.zan")));
    EXPECT_EQ(ASSIGN_DISABLED, target.aAssign[1].nKind);
    EXPECT_EQ(ASSIGN_KEY, target.aAssign[2].nKind);
    EXPECT_EQ(0, target.aAssign[2].nKeyCount);
    EXPECT_EQ(0, target.aAssign[3].nKeyCount);
    EXPECT_EQ(ASSIGN_DISABLED, target.aAssign[4].nKind);
    EXPECT_EQ(MOUSE_LEFT_CLICK, target.aAssign[4].nMouseAction);
    EXPECT_EQ(ASSIGN_KEY, target.aAssign[6].nKind);
    EXPECT_EQ(MOUSE_LEFT_CLICK, target.aAssign[6].nMouseAction);
    EXPECT_EQ(1, target.abLed[1]);
    EXPECT_EQ(1, target.bSystemRepeat);
    EXPECT_EQ(0, target.nAnalogCorrection);
    EXPECT_STREQ(L"ab", target.aAssign[8].pszPath);
    EXPECT_EQ(2, target.aAssign[8].nPathLength);
}

TEST_F(SettingFile, SaveRenamesTheExtensionInPlace)
{
    ASSIGNMENT_SET set;
    FillSample(&set);
    WCHAR path[SETTING_PATH_CHARS];
    lstrcpyW(path, dir.File(L"notes.txt").c_str());
    ASSERT_EQ(1, WriteSettingFile(path, &set, 1));
    EXPECT_EQ(dir.File(L"notes.zan"), std::wstring(path));
    EXPECT_FALSE(FileExists(dir.File(L"notes.txt")));
    EXPECT_EQ(SampleBytes(3, true), ReadBytes(dir.File(L"notes.zan")));

    lstrcpyW(path, dir.File(L"bare").c_str());
    ASSERT_EQ(1, WriteSettingFile(path, &set, 1));
    EXPECT_EQ(dir.File(L"bare.zan"), std::wstring(path));
}

TEST_F(SettingFile, OverwriteNeedsAnExistingFile)
{
    ASSIGNMENT_SET set;
    FillSample(&set);
    WCHAR path[SETTING_PATH_CHARS];
    lstrcpyW(path, dir.File(L"new.zan").c_str());
    EXPECT_EQ(0, WriteSettingFile(path, &set, 0));
    EXPECT_FALSE(FileExists(path));

    WriteBytes(path, Bytes(5000, 0xAA));
    ASSERT_EQ(1, WriteSettingFile(path, &set, 0));
    EXPECT_EQ(SampleBytes(3, true), ReadBytes(path));  // the longer old file is gone whole
    EXPECT_EQ(1u, dir.Names().size()) << "no temporary file stays behind";
}

TEST_F(SettingFile, SaveThatCannotWriteKeepsTheOldFile)
{
    ASSIGNMENT_SET set;
    FillSample(&set);
    WCHAR path[SETTING_PATH_CHARS];
    lstrcpyW(path, dir.File(L"kept.zan").c_str());
    Bytes old = SampleBytes(1, false);
    WriteBytes(path, old);

    HANDLE other = CreateFileW(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    EXPECT_EQ(0, WriteSettingFile(path, &set, 1));
    CloseHandle(other);
    EXPECT_EQ(old, ReadBytes(path));

    EXPECT_EQ(1u, dir.Names().size()) << "no temporary file stays behind";

    WCHAR folder[SETTING_PATH_CHARS];
    lstrcpyW(folder, dir.File(L"folder.zan").c_str());
    CreateDirectoryW(folder, NULL);
    EXPECT_EQ(0, WriteSettingFile(folder, &set, 1));
    RemoveDirectoryW(folder);

    WCHAR empty[SETTING_PATH_CHARS] = L"";
    EXPECT_EQ(0, WriteSettingFile(empty, &set, 1));
}

// Where no temporary file fits beside the target (a path near the length limit), the
// target itself is written; an existing target keeps its attributes.
TEST_F(SettingFile, SaveWithoutRoomForATemporaryFileWritesInPlace)
{
    ASSIGNMENT_SET set;
    FillSample(&set);
    std::wstring folder = dir.File(L"");
    folder += std::wstring(250 - folder.size(), L'd');
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), NULL));
    WCHAR path[SETTING_PATH_CHARS];
    lstrcpyW(path, (folder + L"\\s.zan").c_str());
    ASSERT_EQ(1, WriteSettingFile(path, &set, 1));
    EXPECT_EQ(SampleBytes(3, true), ReadBytes(path));
    DeleteFileW(path);
    RemoveDirectoryW(folder.c_str());

    lstrcpyW(path, dir.File(L"hidden.zan").c_str());
    WriteBytes(path, Bytes(10, 0));
    ASSERT_TRUE(SetFileAttributesW(path, FILE_ATTRIBUTE_HIDDEN));
    ASSERT_EQ(1, WriteSettingFile(path, &set, 0));
    EXPECT_EQ(SampleBytes(3, true), ReadBytes(path));
    EXPECT_NE(0u, GetFileAttributesW(path) & FILE_ATTRIBUTE_HIDDEN) << "the target's attributes stay";
}

TEST_F(SettingFile, ValidFileRoundTripsByteForByte)
{
    ASSIGNMENT_SET set;
    FillSample(&set);
    set.aAssign[12] = { ASSIGN_APPLICATION, 3, { 'A', 'B', 'C' }, MOUSE_MOVE_DOWN, 9999, 0, NewPath(L"C:\\Program Files\\x.exe") };
    WCHAR first[SETTING_PATH_CHARS], second[SETTING_PATH_CHARS];
    lstrcpyW(first, dir.File(L"first.zan").c_str());
    lstrcpyW(second, dir.File(L"second.zan").c_str());
    ASSERT_EQ(1, WriteSettingFile(first, &set, 1));
    ASSERT_EQ(LOAD_OK, Load(first));
    ASSERT_EQ(1, WriteSettingFile(second, &target, 1));
    EXPECT_EQ(ReadBytes(first), ReadBytes(second));
    ReleaseAssignmentPaths(&set);
}

TEST(SaveCurrentSet, WritesTheCurrentSetAsVersionThree)
{
    TempDir dir;
    InitAssignmentSet(&g_CurrentSet);
    g_CurrentSet.aAssign[1] = { ASSIGN_KEY, 1, { VK_SPACE, 0, 0 }, 0, 0, 0, NULL };
    WCHAR path[SETTING_PATH_CHARS];
    lstrcpyW(path, dir.File(L"current.zan").c_str());
    ASSERT_EQ(1, SaveSettingFile(path, 1));
    EXPECT_EQ(SET_VERSION_CURRENT, g_CurrentSet.dwVersion);
    Bytes got = ReadBytes(path);
    ASSERT_EQ(1130u, got.size());
    EXPECT_EQ(3u, got[0]);
    EXPECT_EQ(VK_SPACE, got[4 + 28 + 8]);
    InitAssignmentSet(&g_CurrentSet);
}

}  // namespace
