// Settings files: the exact bytes written and read back, the oldest layout, bad input refused,
// saves that never leave a half-written file, and the command-line scan for a file to load.
#include <gtest/gtest.h>

#include <string.h>

#include "setting_file.h"
#include "test_support.h"

namespace {

WCHAR *NewPath(const wchar_t *text)
{
    WCHAR *p = AllocPathText(lstrlenW(text));
    lstrcpyW(p, text);
    return p;
}

// The sample file with values written 4 bytes wide at the offsets, and its last bytes cut off.
Bytes Edited(DWORD version, std::initializer_list<std::pair<size_t, DWORD>> fields, size_t cut = 0)
{
    Bytes b = SampleBytes(version);
    for (const auto &f : fields)
        Poke(b, f.first, f.second, 4);
    b.resize(b.size() - cut);
    return b;
}

// A target with a path of its own, which a refused load must leave as it was.
struct SettingFile : ::testing::Test {
    TempDir dir;
    ASSIGNMENT_SET target, before;
    LONG stringsBefore = CountPathTexts();

    void SetUp() override
    {
        InitAssignmentSet(&target);
        target.aAssign[7] = { ASSIGN_APPLICATION, 0, { 0, 0, 0 }, 0, 0, 5, NewPath(L"x.exe"), 0, 0, 0 };
        target.abLed[3] = 1;
        before = target;
        InitAssignmentSet(&g_CurrentSet);
    }
    void TearDown() override
    {
        SetFileFaults(NULL);
        ReleaseAssignmentPaths(&target);
        ReleaseAssignmentPaths(&g_CurrentSet);
        InitAssignmentSet(&g_CurrentSet);
        EXPECT_EQ(stringsBefore, CountPathTexts()) << "a path string leaked";
    }
    void ExpectTargetUnchanged()
    {
        EXPECT_EQ(Describe(before), Describe(target));
        EXPECT_EQ(before.aAssign[7].pszPath, target.aAssign[7].pszPath);
    }
    int Load(const std::wstring &path) { return ReadSettingFile(path.c_str(), &target, 1); }
    // Writes the set under the name in the folder; the path as saved.
    std::wstring Save(const std::wstring &name, ASSIGNMENT_SET *set, int create = 1, int result = 1)
    {
        WCHAR path[SETTING_PATH_CHARS];
        lstrcpynW(path, (name.find(L'\\') == std::wstring::npos ? dir.File(name.c_str()) : name).c_str(),
                  SETTING_PATH_CHARS);
        EXPECT_EQ(result, WriteSettingFile(path, set, create));
        return path;
    }
};

// Path texts follow the entries in slot order, in the ANSI code page (two bytes for each
// Japanese character); an entry without a path keeps its length. Loading and saving again
// gives the same bytes.
TEST_F(SettingFile, SavedFileIsTheLayoutByteForByteAndLoadsBack)
{
    ASSERT_EQ(932u, GetACP()) << "the tests run with the Japanese ANSI code page";
    ASSIGNMENT_SET set;
    FillSample(&set);
    set.aAssign[12] = { ASSIGN_APPLICATION, 0, { 0, 0, 0 }, 0, 0, 0, NewPath(L"アプリ\\起動"), 0, 0, 0 };
    set.aAssign[2] = { ASSIGN_APPLICATION, 0, { 0, 0, 0 }, 0, 0, 99, NewPath(L"b.c"), 0, 0, 0 };
    std::wstring first = Save(L"first.zan", &set);
    EXPECT_EQ(SET_VERSION_CURRENT, set.dwVersion);

    Bytes want = SampleBytes(3);
    for (int slot : { 2, 12 }) {
        Poke(want, Entry(slot), ASSIGN_APPLICATION, 1);
        Poke(want, Entry(slot) + 20, slot == 2 ? 3 : 11, 4);
        Poke(want, Entry(slot) + 24, 1, 4);
    }
    want.insert(want.begin() + Entry(ASSIGN_SLOTS), { 'b', '.', 'c', 0x83, 0x41, 0x83, 0x76, 0x83, 0x8A, 0x5C,
                                                      0x8B, 0x4E, 0x93, 0xAE });
    EXPECT_EQ(want, ReadBytes(first));

    ASSERT_EQ(LOAD_OK, Load(first));
    set.aAssign[2].nPathLength = 3;
    set.aAssign[12].nPathLength = 11;
    EXPECT_EQ(Describe(set), Describe(target));
    EXPECT_EQ(want, ReadBytes(Save(L"second.zan", &target)));
    ReleaseAssignmentPaths(&set);
}

// A set that uses none of the extras saves its version-3 bytes and nothing after them, whatever
// its unused extra fields hold; loading and saving again gives the same bytes.
TEST_F(SettingFile, PlainSetsSaveOnlyTheVersionThreeLayout)
{
    ASSIGNMENT_SET fresh, sample, unused;
    InitAssignmentSet(&fresh);
    FillSample(&sample);
    FillSample(&unused);
    unused.aAssign[0].nTurboRate = 20;  // a rate without turbo
    unused.aAssign[5].nLayerMode = LAYER_TOGGLE;
    unused.aLayer2[4] = { ASSIGN_DISABLED, 1, { 'Q', 0, 0 }, 0, 0, 0, NULL, 0, 0, 0 };
    unused.Pointer = { POINTER_NONE, BAR_BELOW, 50, 2, 5, 7 };
    Bytes freshBytes(1130, 0);
    freshBytes[0] = 3;
    freshBytes[Entry(ASSIGN_SLOTS)] = 1;
    struct Case { const wchar_t *name; ASSIGNMENT_SET *set; Bytes want; } cases[] = {
        { L"fresh.zan", &fresh, freshBytes },
        { L"sample.zan", &sample, SampleBytes(3) },
        { L"unused.zan", &unused, SampleBytes(3) },
    };
    for (Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << std::wstring(c.name));
        EXPECT_EQ(c.want, ReadBytes(Save(c.name, c.set)));
        ASSERT_EQ(LOAD_OK, Load(dir.File(c.name)));
        EXPECT_EQ(c.want, ReadBytes(Save(L"again.zan", &target)));
    }
}

// The extra block follows the layout, where the layer slot is an empty disabled entry: the
// layout alone, as a reader of version 3 takes it, is layer 1 without the layer slot. The whole
// file loads every extra back and saves to the same bytes.
TEST_F(SettingFile, ExtrasFollowTheLayoutAndLoadBack)
{
    ASSIGNMENT_SET set, plain;
    FillExtras(&set);
    FillSample(&plain);
    plain.dwVersion = SET_VERSION_CURRENT;
    plain.aAssign[8] = { ASSIGN_MOUSE, 0, { 0, 0, 0 }, MOUSE_RIGHT_CLICK, 0, 0, NULL, 0, 0, 0 };
    set.aAssign[3].nKeyCount = 1;  // left from an earlier kind: no layer slot's own
    set.aAssign[3].awKey[0] = 'K';
    Bytes file = ReadBytes(Save(L"extras.zan", &set));
    set.aAssign[3].nKeyCount = set.aAssign[3].awKey[0] = 0;

    Bytes layout = SampleBytes(3);
    Poke(layout, Entry(8), ASSIGN_MOUSE, 1);
    Poke(layout, Entry(8) + 14, MOUSE_RIGHT_CLICK, 1);
    ASSERT_EQ(1130u + 12 + 40 * 4 + 4 + 40 * 30 + 10, file.size());
    EXPECT_EQ(layout, Bytes(file.begin(), file.begin() + 1130));
    // Block offsets from 1130: header 0, layer-1 slots 12, layer-2 LEDs 172, layer-2 entries 176,
    // their path texts 1376.
    const size_t slots = 1130 + 12, leds = slots + 160, entries = leds + 4, texts = entries + 1200;
    const struct { size_t at; DWORD value; int width; } fields[] = {
        { 1130, 0x5254585A, 4 }, { 1134, 1, 4 }, { 1138, 164 + 1200 + 10, 4 },
        { slots, ASSIGN_KEY, 1 }, { slots + 1, PRESS_TURBO, 1 }, { slots + 2, 20, 1 },
        { slots + 4 * 3, ASSIGN_LAYER, 1 }, { slots + 4 * 3 + 3, LAYER_TOGGLE, 1 },
        { slots + 4 * 8 + 1, PRESS_TOGGLE, 1 }, { leds, 0x00010001, 4 },
        { entries, ASSIGN_KEY, 1 }, { entries + 8, 'Z', 2 }, { entries + 28, PRESS_TURBO, 1 },
        { entries + 30 * 2 + 20, 10, 4 }, { entries + 30 * 2 + 24, 1, 4 },
        { entries + 30 * 39 + 14, MOUSE_SCROLL_DOWN, 1 }, { texts, 0x82838183, 4 },  // メモ
    };
    for (const auto &f : fields) {
        Bytes want(file.begin() + f.at, file.begin() + f.at + f.width);
        Poke(want, 0, f.value, f.width);
        EXPECT_EQ(want, Bytes(file.begin() + f.at, file.begin() + f.at + f.width)) << "at " << f.at;
    }

    WriteBytes(dir.File(L"layout.zan"), layout);
    ASSERT_EQ(LOAD_OK, Load(dir.File(L"layout.zan")));
    EXPECT_EQ(Describe(plain), Describe(target));
    ASSERT_EQ(LOAD_OK, Load(dir.File(L"extras.zan")));
    EXPECT_EQ(Describe(set), Describe(target));
    EXPECT_EQ(file, ReadBytes(Save(L"again.zan", &target)));
    ReleaseAssignmentPaths(&set);
}

// Values of the block out of range are put in range as the layout's are; a kind 4 in the
// layout is no layer slot, even where the block agrees with it.
TEST_F(SettingFile, OutOfRangeExtrasLoadHarmless)
{
    ASSIGNMENT_SET set;
    FillExtras(&set);
    Bytes file = ReadBytes(Save(L"extras.zan", &set));
    const size_t slots = 1130 + 12, entries = slots + 164;
    const struct { size_t at; BYTE value; } fields[] = {
        { Entry(9), ASSIGN_LAYER }, { slots + 4 * 9, ASSIGN_LAYER }, { slots + 1, 7 }, { slots + 2, 99 },
        { slots + 160 + 1, 5 }, { entries, ASSIGN_LAYER },
    };
    for (const auto &f : fields)
        file[f.at] = f.value;
    WriteBytes(dir.File(L"odd.zan"), file);
    LOAD_NOTES notes = {};
    ASSERT_EQ(LOAD_OK, InspectSettingFile(dir.File(L"odd.zan").c_str(), &target, &notes));
    EXPECT_EQ(EXTRAS_READ, notes.nExtras);
    EXPECT_EQ(4, notes.nNormalized);
    set.aAssign[0].nPressMode = PRESS_NORMAL;
    set.aAssign[0].nTurboRate = 0;
    set.abLayerLed[1] = 1;
    set.aLayer2[0].nKind = ASSIGN_DISABLED;
    EXPECT_EQ(Describe(set), Describe(target));
    ReleaseAssignmentPaths(&set);
}

// A pointer makes the block version 2, its 6 bytes between layer 2's entries and path texts;
// each byte out of range loads put in range and counted.
TEST_F(SettingFile, PointerSavesInAVersionTwoBlock)
{
    ASSIGNMENT_SET set;
    FillExtras(&set);
    set.Pointer = { POINTER_GYRO, BAR_BELOW, 45, POINTER_NO_SLOT, 12, 39 };
    Bytes file = ReadBytes(Save(L"pointer.zan", &set));
    const size_t pointer = 1130 + 12 + 164 + 1200;
    ASSERT_EQ(pointer + 6 + 10, file.size());
    // Version 2; the payload 164 + 1200 + 6 + 10 = 0x564 bytes.
    EXPECT_EQ(Bytes({ 2, 0, 0, 0, 0x64, 5 }), Bytes(file.begin() + 1134, file.begin() + 1140));
    EXPECT_EQ(Bytes({ 2, 1, 45, 0xFF, 12, 39, 0x83, 0x81 }), Bytes(file.begin() + pointer, file.begin() + pointer + 8));
    ASSERT_EQ(LOAD_OK, Load(dir.File(L"pointer.zan")));
    EXPECT_EQ(Describe(set), Describe(target));
    EXPECT_EQ(file, ReadBytes(Save(L"again.zan", &target)));
    const struct { int at; BYTE value; int normalized; POINTER_SETTING want; } cases[] = {
        { 0, 3, 1, { POINTER_NONE, BAR_BELOW, 45, 0xFF, 12, 39 } },
        { 1, 2, 1, { POINTER_GYRO, BAR_ABOVE, 45, 0xFF, 12, 39 } },
        { 2, 29, 1, { POINTER_GYRO, BAR_BELOW, 0, 0xFF, 12, 39 } },
        { 2, 101, 1, { POINTER_GYRO, BAR_BELOW, 0, 0xFF, 12, 39 } },
        { 2, 100, 0, { POINTER_GYRO, BAR_BELOW, 100, 0xFF, 12, 39 } },
        { 3, 40, 1, { POINTER_GYRO, BAR_BELOW, 45, 0xFF, 12, 39 } },
        { 3, 0, 0, { POINTER_GYRO, BAR_BELOW, 45, 0, 12, 39 } },
        { 4, 21, 1, { POINTER_GYRO, BAR_BELOW, 45, 0xFF, 0, 39 } },
        { 4, 0, 0, { POINTER_GYRO, BAR_BELOW, 45, 0xFF, 0, 39 } },
        { 5, 0xFE, 1, { POINTER_GYRO, BAR_BELOW, 45, 0xFF, 12, 0xFF } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << "byte " << c.at << " = " << c.value + 0);
        Bytes odd = file;
        odd[pointer + c.at] = c.value;
        WriteBytes(dir.File(L"odd.zan"), odd);
        LOAD_NOTES notes = {};
        ASSERT_EQ(LOAD_OK, InspectSettingFile(dir.File(L"odd.zan").c_str(), &target, &notes));
        EXPECT_EQ(EXTRAS_READ, notes.nExtras);
        EXPECT_EQ(c.normalized, notes.nNormalized);
        EXPECT_EQ(0, memcmp(&c.want, &target.Pointer, sizeof(c.want)));
    }
    ReleaseAssignmentPaths(&set);
}

// Version 1 is read by the settings tool's conversion test. The oldest layout: a 652-byte
// image whose header is its size, 16-byte entries from 4.
TEST_F(SettingFile, OldestImageLoads)
{
    // Each value is written 4 bytes wide, in rising order, so a wider write only zeroes
    // what the next one sets or what stays zero.
    Bytes old(652, 0);
    for (auto f : std::initializer_list<std::pair<size_t, DWORD>>{
             { 0, 652 }, { 4 + 16 * 3, 1 }, { 4 + 16 * 3 + 4, 2 }, { 4 + 16 * 3 + 8, VK_CONTROL },
             { 4 + 16 * 3 + 10, 'V' }, { 4 + 16 * 10 + 4, 2 }, { 4 + 16 * 10 + 8, VK_CONTROL },
             { 4 + 16 * 10 + 10, 'V' }, { 644, 0x00010100 }, { 648, 1 } })
        Poke(old, f.first, f.second, 4);
    WriteBytes(dir.File(L"old.zan"), old);
    ASSERT_EQ(LOAD_OK, Load(dir.File(L"old.zan")));
    ASSIGNMENT_SET want;
    InitAssignmentSet(&want);
    want.aAssign[3] = { ASSIGN_KEY, 2, { VK_CONTROL, 'V', 0 }, 0, 0, 0, NULL, 0, 0, 0 };
    // Keys without the presence byte are copied into a disabled slot.
    want.aAssign[10] = { ASSIGN_DISABLED, 2, { VK_CONTROL, 'V', 0 }, 0, 0, 0, NULL, 0, 0, 0 };
    memcpy(want.abLed, "\0\1\1\0", 4);
    want.bSystemRepeat = 1;
    EXPECT_EQ(Describe(want), Describe(target));
}

// A path that was read before the failure must not leak (the fixture counts the strings).
TEST_F(SettingFile, RefusedFilesLeaveTheTargetUnchanged)
{
    const Bytes good = SampleBytes(3);
    struct Case { const wchar_t *name; Bytes bytes; int result; } cases[] = {
        { L"header2.zan", Edited(3, { { 0, 2 } }), LOAD_UNKNOWN_HEADER },
        { L"old-short.zan", Edited(3, { { 0, 652 } }, 1130 - 651), LOAD_SHORT_FILE },
        { L"v3-short.zan", Edited(3, {}, 1), LOAD_SHORT_FILE },
        { L"v1-short.zan", Edited(1, {}, 1), LOAD_SHORT_FILE },
        { L"empty.zan", Bytes(), LOAD_SHORT_FILE },
        { L"negative.zan", Edited(3, { { Entry(0) + 20, (DWORD)-1 }, { Entry(0) + 24, 1 } }), LOAD_BAD_PATH_LENGTH },
        { L"past-end.zan", Edited(3, { { Entry(0) + 20, 7 }, { Entry(0) + 24, 1 } }), LOAD_BAD_PATH_LENGTH },
        { L"huge.zan", Edited(3, { { Entry(0) + 20, 0x7f000000 }, { Entry(0) + 24, 1 } }), LOAD_BAD_PATH_LENGTH },
        { L"second-past-end.zan", Edited(3, { { Entry(0) + 20, 1 }, { Entry(0) + 24, 1 }, { Entry(1) + 20, 7 },
                                              { Entry(1) + 24, 1 } }), LOAD_BAD_PATH_LENGTH },
        { L"tail-missing.zan", Edited(3, { { Entry(0) + 20, 6 }, { Entry(0) + 24, 1 } }), LOAD_SHORT_FILE },
        { L"capitals.ZAN", good, LOAD_BAD_EXTENSION },
        { L"other.txt", good, LOAD_BAD_EXTENSION },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "file " << std::string(c.name, c.name + lstrlenW(c.name)));
        WriteBytes(dir.File(c.name), c.bytes);
        EXPECT_EQ(c.result, Load(dir.File(c.name)));
        EXPECT_EQ(0, LoadSettingFile(dir.File(c.name).c_str(), &target, 1));
        // Checking alone only opens the file.
        EXPECT_EQ((int)(c.result != LOAD_BAD_EXTENSION), LoadSettingFile(dir.File(c.name).c_str(), &target, 0));
        ExpectTargetUnchanged();
    }
    EXPECT_EQ(LOAD_NO_PATH, ReadSettingFile(L"", &target, 1));
    EXPECT_EQ(LOAD_NO_PATH, ReadSettingFile(NULL, &target, 1));
    EXPECT_EQ(LOAD_CANNOT_OPEN, Load(dir.File(L"missing.zan")));
    EXPECT_EQ(0, LoadSettingFile(dir.File(L"missing.zan").c_str(), &target, 0));
    ExpectTargetUnchanged();
}

// Slot 1 an unknown kind, slot 2 seven keys, slot 3 -2 keys, slot 4 mouse action 12, slot 6
// action 200 on a key slot, slot 8 the path "ab\0cd"; LED 2 at 7, repeat 5, correction 9.
TEST_F(SettingFile, OutOfRangeValuesLoadHarmless)
{
    Bytes file = Edited(3, { { Entry(1), 9 }, { Entry(2), ASSIGN_KEY }, { Entry(2) + 4, 7 }, { Entry(3), ASSIGN_KEY },
                             { Entry(3) + 4, (DWORD)-2 }, { Entry(4), ASSIGN_MOUSE }, { Entry(4) + 14, 12 },
                             { Entry(6), ASSIGN_KEY }, { Entry(6) + 14, 200 }, { Entry(8) + 20, 5 },
                             { Entry(8) + 24, 1 } });
    size_t tail = Entry(ASSIGN_SLOTS);
    file[tail + 1] = 7;
    file[tail + 4] = 5;
    file[tail + 5] = 9;
    file.insert(file.begin() + tail, { 'a', 'b', 0, 'c', 'd' });
    WriteBytes(dir.File(L"odd.zan"), file);
    ASSERT_EQ(LOAD_OK, Load(dir.File(L"odd.zan")));
    ASSIGNMENT_SET want;  // slots 1 and 4 disabled, key counts and mouse actions 0
    FillSample(&want);
    want.aAssign[2].nKind = want.aAssign[3].nKind = want.aAssign[6].nKind = ASSIGN_KEY;
    want.aAssign[8] = { ASSIGN_DISABLED, 0, { 0, 0, 0 }, 0, 0, 2, NewPath(L"ab"), 0, 0, 0 };
    want.abLed[1] = 1;
    want.nAnalogCorrection = 0;
    want.dwVersion = SET_VERSION_CURRENT;
    EXPECT_EQ(Describe(want), Describe(target));
    ReleaseAssignmentPaths(&want);
}

// A save renames the extension in place; it replaces a file whole or leaves the old one
// as it was, and never leaves a temporary file behind. An existing target keeps its
// attributes.
TEST_F(SettingFile, SaveWritesTheWholeFileOrKeepsTheOldOne)
{
    ASSIGNMENT_SET set;
    FillSample(&set);
    const Bytes old = SampleBytes(1);
    struct Case {
        const wchar_t *name, *saved; int create; Bytes before; DWORD attributes; bool held; int result;
    } cases[] = {
        { L"notes.txt", L"notes.zan", 1, {}, 0, false, 1 },
        { L"bare", L"bare.zan", 1, {}, 0, false, 1 },
        { L"new.zan", L"new.zan", 0, {}, 0, false, 0 },  // overwriting needs an existing file
        { L"longer.zan", L"longer.zan", 0, Bytes(5000, 0xAA), 0, false, 1 },
        { L"hidden.zan", L"hidden.zan", 0, old, FILE_ATTRIBUTE_HIDDEN, false, 1 },
        { L"held.zan", L"held.zan", 1, old, 0, true, 0 },  // open in another program
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "file " << std::string(c.name, c.name + lstrlenW(c.name)));
        std::wstring saved = dir.File(c.saved);
        if (!c.before.empty())
            WriteBytes(saved, c.before);
        if (c.attributes)
            SetFileAttributesW(saved.c_str(), c.attributes);
        HANDLE other = c.held ? CreateFileW(saved.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL) : NULL;
        EXPECT_EQ(saved, Save(c.name, &set, c.create, c.result));
        if (other)
            CloseHandle(other);
        EXPECT_EQ(c.result ? SampleBytes(3) : c.before, ReadBytes(saved));
        EXPECT_EQ(c.attributes, GetFileAttributesW(saved.c_str()) & c.attributes);
    }
    EXPECT_FALSE(FileExists(dir.File(L"notes.txt")));
    EXPECT_EQ(sizeof(cases) / sizeof(cases[0]) - 1, dir.Count()) << "no temporary file stays behind";

    CreateDirectoryW(dir.File(L"folder.zan").c_str(), NULL);
    Save(L"folder.zan", &set, 1, 0);
    WCHAR empty[SETTING_PATH_CHARS] = L"";
    EXPECT_EQ(0, WriteSettingFile(empty, &set, 1));

    // Where no temporary file fits beside the target (a path near the length limit), the
    // target itself is written.
    std::wstring folder = dir.File(L"") + std::wstring(250 - dir.path.size() - 1, L'd');
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), NULL));
    EXPECT_EQ(SampleBytes(3), ReadBytes(Save(folder + L"\\s.zan", &set)));
}

// Saves over an old file that fail part-way, as the file calls of Windows fail: after each,
// either the old file has its old contents or the new contents are complete in the file
// GetKeptSettingFile names. Never neither, and nothing else is left behind. A replacement
// that moved the old file away is finished by moving the new one in by name or undone by
// putting the old one back.
TEST_F(SettingFile, AFailedSaveKeepsTheOldFileOrNamesTheNewOne)
{
    ASSIGNMENT_SET set;
    FillSample(&set);
    const Bytes old = SampleBytes(1), fresh = SampleBytes(3);
    enum Outcome { NEW_IN_PLACE, OLD_IN_PLACE, NEW_KEPT };
    struct Case { const char *name; FileFaults faults; Outcome outcome; DWORD error; } cases[] = {
        { "the write fails part-way", { true }, OLD_IN_PLACE, ERROR_DISK_FULL },
        { "the old file cannot be removed (tried for a second)", { false, ERROR_UNABLE_TO_REMOVE_REPLACED },
          OLD_IN_PLACE, ERROR_UNABLE_TO_REMOVE_REPLACED },
        { "the new file cannot be renamed, the old one was put back",
          { false, ERROR_UNABLE_TO_MOVE_REPLACEMENT, false }, OLD_IN_PLACE, ERROR_UNABLE_TO_MOVE_REPLACEMENT },
        { "the old file moved away, the new one moved in by name",
          { false, ERROR_UNABLE_TO_MOVE_REPLACEMENT, true }, NEW_IN_PLACE, 0 },
        { "the old file moved away, the new one cannot follow: the old one goes back",
          { false, ERROR_UNABLE_TO_MOVE_REPLACEMENT, true, 1 }, OLD_IN_PLACE, ERROR_UNABLE_TO_MOVE_REPLACEMENT },
        { "the old file moved away and nothing moves: the new one is kept",
          { false, ERROR_UNABLE_TO_MOVE_REPLACEMENT, true, 2 }, NEW_KEPT, ERROR_UNABLE_TO_MOVE_REPLACEMENT },
        { "the old file renamed, the new one not moved: the old one goes back",
          { false, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, true, 1 }, OLD_IN_PLACE, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 },
        { "the old file renamed and nothing moves: the new one is kept",
          { false, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, true, 2 }, NEW_KEPT, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 },
    };
    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir folder;
        std::wstring file = folder.File(L"set.zan");
        WriteBytes(file, old);
        SetFileFaults(&c.faults);
        WCHAR path[SETTING_PATH_CHARS];
        lstrcpynW(path, file.c_str(), SETTING_PATH_CHARS);
        int result = WriteSettingFile(path, &set, 0);
        DWORD error = GetLastError();
        SetFileFaults(NULL);
        WCHAR kept[SETTING_PATH_CHARS] = L"";
        int bKept = GetKeptSettingFile(kept);

        // What every failure must give: the old contents in place, or the new ones named.
        EXPECT_TRUE(result ? ReadBytes(file) == fresh
                           : ReadBytes(file) == old || (bKept && ReadBytes(kept) == fresh)) << "both lost";
        EXPECT_EQ(c.outcome == NEW_IN_PLACE, result == 1);
        EXPECT_EQ(c.outcome == NEW_KEPT, bKept == 1);
        if (!result) {
            EXPECT_EQ(c.error, error);
        }
        if (c.outcome != NEW_KEPT) {
            EXPECT_EQ(c.outcome == NEW_IN_PLACE ? fresh : old, ReadBytes(file));
            EXPECT_EQ(1u, folder.Count()) << "no temporary or backup file stays behind";
        } else {
            EXPECT_EQ(fresh, ReadBytes(kept));
            std::wstring name(kept);
            EXPECT_EQ(folder.path + L"\\", name.substr(0, folder.path.size() + 1)) << "kept beside the target";
            EXPECT_NE(file, name);
        }
    }
    // The next save that works forgets the kept name.
    WCHAR path[SETTING_PATH_CHARS];
    lstrcpynW(path, dir.File(L"fine.zan").c_str(), SETTING_PATH_CHARS);
    EXPECT_EQ(1, WriteSettingFile(path, &set, 1));
    WCHAR kept[SETTING_PATH_CHARS];
    EXPECT_EQ(0, GetKeptSettingFile(kept));
}

// A path is saved only as itself: one the ANSI code page cannot hold (CP932 writes "?" for the
// euro sign and an emoji, and a backslash for U+00A5) fails the save and the old file stays;
// one it holds loads back the same.
TEST_F(SettingFile, APathTheCodePageCannotHoldFailsTheSave)
{
    struct Case { const wchar_t *path; int storable; } cases[] = {
        { L"C:\\tools\\run.exe", 1 },
        { L"C:\\ツール\\起動.exe", 1 },
        { L"C:\\\u00a5500\\run.exe", 0 },
        { L"C:\\\u20ac\\run.exe", 0 },
        { L"C:\\\U0001F600.exe", 0 },
    };
    std::wstring file = dir.File(L"paths.zan");
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << std::wstring(c.path));
        EXPECT_EQ(c.storable, CanStorePath(c.path));
        WriteBytes(file, SampleBytes(1));
        ASSIGNMENT_SET set;
        InitAssignmentSet(&set);
        set.aAssign[5] = { ASSIGN_APPLICATION, 0, { 0, 0, 0 }, 0, 0, 0, NewPath(c.path), 0, 0, 0 };
        WCHAR path[SETTING_PATH_CHARS];
        lstrcpynW(path, file.c_str(), SETTING_PATH_CHARS);
        EXPECT_EQ(c.storable, WriteSettingFile(path, &set, 0));
        DWORD error = GetLastError();
        if (c.storable) {
            ASSERT_EQ(LOAD_OK, Load(file));
            EXPECT_STREQ(c.path, target.aAssign[5].pszPath);
        } else {
            EXPECT_EQ((DWORD)ERROR_NO_UNICODE_TRANSLATION, error);
            EXPECT_EQ(SampleBytes(1), ReadBytes(file));
        }
        ReleaseAssignmentPaths(&set);
    }
    EXPECT_EQ(1, CanStorePath(NULL));
    EXPECT_EQ(1, CanStorePath(L""));
}

// The first token that names a loadable file is loaded and ends the walk; a token too long
// for a path is passed over, not cut (cut, it could name another file).
TEST_F(SettingFile, CommandLineLoadsTheFirstLoadableFile)
{
    ASSERT_EQ(std::wstring::npos, dir.path.find(L' ')) << "unquoted tokens need a folder without spaces";
    auto make = [&](const std::wstring &name, WORD key) {
        ASSIGNMENT_SET set;
        InitAssignmentSet(&set);
        set.aAssign[0] = { ASSIGN_KEY, 1, { key, 0, 0 }, 0, 0, 0, NULL, 0, 0, 0 };
        return Save(name, &set);
    };
    std::wstring quoted = make(L"my settings.zan", 'Q'), third = make(L"third.zan", 'T');
    std::wstring plain = make(L"plain.zan", 'P'), after = make(L"after.zan", 'A');
    std::wstring exact = make(std::wstring(259 - dir.path.size() - 5, L'n') + L".zan", 'X');
    ASSERT_EQ(259u, exact.size());
    struct Case { std::wstring line, loaded; WORD key; } cases[] = {
        { L"hello \"" + quoted + L"\" " + third, quoted, 'Q' },
        { L"-x  \"not here.zan\"  " + plain, plain, 'P' },
        { L"\"" + exact + L"extra\" " + after, after, 'A' },
        { exact, exact, 'X' },
        { exact + L"extra", L"", 0 },
        { L"", L"", 0 },
        { L"word another", L"", 0 },
        { L"\"" + plain, L"", 0 },  // no closing quote: the walk stops
        { L"\"\"", L"", 0 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.line.begin(), c.line.end()));
        WCHAR current[SETTING_PATH_CHARS] = L"unchanged";
        InitAssignmentSet(&g_CurrentSet);
        EXPECT_EQ(c.key != 0, OpenCommandLineFile(c.line.c_str(), current));
        EXPECT_EQ(c.key ? c.loaded : L"unchanged", std::wstring(current));
        EXPECT_EQ(c.key, g_CurrentSet.aAssign[0].awKey[0]);
    }
    EXPECT_EQ(0, OpenCommandLineFile(NULL, NULL));
}

}  // namespace
