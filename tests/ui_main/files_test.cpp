// Open, save, save as and dropped files.
#include "zan_fixture.h"

#include "setting_file.h"

namespace {

void WriteText(const std::wstring &path, const char *text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD dw;
    WriteFile(h, text, lstrlenA(text), &dw, NULL);
    CloseHandle(h);
}

DWORD FileSize(const std::wstring &path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

}  // namespace

// A file chosen in the open dialog, or the first settings file among dropped ones, becomes
// the current set and names the window. A file that does not load, or a drop without a
// ".zan" file, shows the failure, owned by the window, and keeps the set, its name and mark.
TEST_F(ZanTest, OpenAndDropLoadASettingsFileOrKeepEverything) {
    WriteSetFile(Path(L"good.zan"), 'G', 0x1);
    WriteSetFile(Path(L"three.zan"), 'T', 0x5);
    WriteText(Path(L"one.txt"), "x");
    WriteText(Path(L"bad.zan"), "not a settings file");
    // Files with a settings file's content under names Zan does not take.
    ASSERT_TRUE(CopyFileW(Path(L"good.zan").c_str(), Path(L"upper.ZAN").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(Path(L"good.zan").c_str(), Path(L"set.zan.txt").c_str(), FALSE));
    const struct {
        const wchar_t *opened;   // NULL: dropped
        std::vector<std::wstring> dropped;
        bool bLoads;
    } cases[] = {
        {L"three.zan", {}, true}, {nullptr, {Path(L"one.txt"), Path(L"three.zan")}, true},
        {L"bad.zan", {}, false}, {nullptr, {}, false}, {nullptr, {Path(L"upper.ZAN")}, false},
        {nullptr, {Path(L"set.zan.txt")}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.opened ? c.opened : c.dropped.empty() ? L"nothing" : c.dropped.back().c_str());
        Restart(Quoted(L"good.zan"));
        MarkModified();
        boxAnswers.push_back(IDNO);   // the unsaved-changes question
        if (c.opened) {
            fileAnswers.push_back(Path(c.opened));
            Command(IDM_OPEN);
        } else {
            Drop(c.dropped);
        }
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(c.bLoads ? kSaveQuestion : kLoadFailed, boxes.back().text);
        EXPECT_EQ(c.bLoads ? NULL : hMain, boxes.back().hOwner);
        EXPECT_EQ(Path(c.bLoads ? L"three.zan" : L"good.zan"), g_State.szCurrentFile);
        EXPECT_EQ(c.bLoads ? 'T' : 'G', g_CurrentSet.aAssign[0].awKey[0]);
        EXPECT_EQ(c.bLoads ? L"Zan three.zan" : L"Zan good.zan (*)", Title());
        EXPECT_EQ(c.bLoads ? BST_CHECKED : BST_UNCHECKED,
                  (int)SendDlgItemMessageW(g_App.ahPage[PAGE_OPTIONS], IDC_LED3, BM_GETCHECK, 0, 0));
    }
}

TEST_F(ZanTest, SaveAfterTheFileWasDeletedWritesNothingReportsItAndKeepsTheMark) {
    std::wstring file = Path(L"doomed.zan");
    WriteSetFile(file, 'D', 0x1);
    Start(Quoted(L"doomed.zan"));
    MarkModified();
    ASSERT_TRUE(DeleteFileW(file.c_str()));
    Command(IDM_SAVE);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(file.c_str()));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(0u, boxes[0].text.find(L"設定ファイルを保存できませんでした。\n" + file + L"\n")) << boxes[0].text;
    EXPECT_EQ(hMain, boxes[0].hOwner);
    EXPECT_EQ(L"Zan doomed.zan (*)", Title());
}

// After save-as the new file is the current one: the title, the next save and option.ini
// name it. A name of another extension is saved as ".zan", asking first when that exists.
TEST_F(ZanTest, SaveAsAdoptsTheNewFileAndAsksBeforeReplacingAnother) {
    std::wstring file = Path(L"earlier.zan");
    WriteSetFile(file, 'E', 0x1);
    std::wstring chosen = Path(L"copy.txt"), saved = Path(L"copy.zan");
    WriteText(chosen, "keep me");
    WriteOptions(1, file, 0, 1000);
    Start(Quoted(L"earlier.zan"));
    MarkModified();
    fileAnswers.push_back(chosen);
    Command(IDM_SAVE_AS);
    ASSERT_EQ(1u, fileDialogs.size());
    EXPECT_NE(0u, fileDialogs[0].dwFlags & OFN_NOCHANGEDIR);
    EXPECT_TRUE(boxes.empty()) << "copy.zan did not exist: nothing to ask";
    EXPECT_EQ(7u, FileSize(chosen)) << "the chosen name itself is left untouched";
    EXPECT_EQ(saved, g_State.szCurrentFile);
    EXPECT_EQ(L"Zan copy.zan", Title());

    AssignKey(0, 'N');
    MarkModified();
    Command(IDM_SAVE);
    EXPECT_EQ('N', KeyInFile(saved)) << "the next save writes the new file";
    EXPECT_EQ('E', KeyInFile(file)) << "the earlier file is left alone";

    // copy.zan exists now: the same choice asks, and No goes back to the dialog (cancelled).
    MarkModified();
    DWORD cbBefore = FileSize(saved);
    fileAnswers.push_back(chosen);
    boxAnswers.push_back(IDNO);
    Command(IDM_SAVE_AS);
    EXPECT_EQ(3u, fileDialogs.size());
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(saved + L" は既にあります。\n置き換えますか？", boxes[0].text);
    EXPECT_EQ(hMain, boxes[0].hOwner);
    EXPECT_EQ(cbBefore, FileSize(saved));
    EXPECT_EQ(L"Zan copy.zan (*)", Title());
    Command(IDM_SAVE);
    EXPECT_TRUE(Close(IDNO));
    EXPECT_EQ(saved, ReadIniValue(L"szSettingFilename"));
}
