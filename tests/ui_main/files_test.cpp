// Open, save, save as, dropped files and the unsaved-changes question.
#include "zan_fixture.h"

#include "resource.h"
#include "setting_file.h"

namespace {

const wchar_t kLoadFailed[] = L"設定ファイルの読み込みに失敗しました";
const wchar_t kFilter[] = L"設定ファイル(*.zan)|*.zan|";

bool FileExists(const std::wstring &path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteText(const std::wstring &path, const char *text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD dw;
    WriteFile(h, text, lstrlenA(text), &dw, NULL);
    CloseHandle(h);
}

DWORD FileSize(const std::wstring &path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.nFileSizeLow;
}

}  // namespace

TEST_F(ZanTest, OpenLoadsTheChosenFileAndNamesTheWindow) {
    std::wstring file = Path(L"open me.zan");
    WriteSetFile(file, 'O', 0x5);
    Start();
    fileAnswers.push_back(file);
    Command(IDM_OPEN);
    ASSERT_EQ(1u, fileDialogs.size());
    EXPECT_FALSE(fileDialogs[0].bSave);
    EXPECT_EQ(L"設定ファイルを開く", fileDialogs[0].title);
    EXPECT_EQ(kFilter, fileDialogs[0].filter);
    EXPECT_FALSE(fileDialogs[0].bOwner);
    EXPECT_EQ((DWORD)(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY),
              fileDialogs[0].dwFlags & (OFN_FILEMUSTEXIST | OFN_HIDEREADONLY));
    EXPECT_EQ(file, g_State.szCurrentFile);
    EXPECT_EQ('O', g_CurrentSet.aAssign[0].awKey[0]);
    EXPECT_EQ(L"Zan open me.zan", Title());
    EXPECT_EQ(BST_CHECKED, (int)SendDlgItemMessageW(g_App.ahPage[PAGE_OPTIONS], IDC_LED3, BM_GETCHECK, 0, 0));
}

TEST_F(ZanTest, OpenFailureShowsTheMessageAndKeepsEverything) {
    std::wstring good = Path(L"good.zan");
    WriteSetFile(good, 'G', 0x1);
    std::wstring bad = Path(L"bad.zan");
    WriteText(bad, "not a settings file");
    Start((L"\"" + good + L"\"").c_str());
    MarkModified();
    ASSERT_EQ(L"Zan good.zan (*)", Title());
    boxAnswers.push_back(IDNO);     // the unsaved-changes question
    fileAnswers.push_back(bad);
    Command(IDM_OPEN);
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(kLoadFailed, boxes[1].text);
    EXPECT_EQ(L"Zan", boxes[1].caption);
    EXPECT_EQ((UINT)MB_OK, boxes[1].uType);
    EXPECT_EQ(hMain, boxes[1].hOwner);
    EXPECT_EQ(good, g_State.szCurrentFile);
    EXPECT_EQ(1, g_State.bModified);
    EXPECT_EQ('G', g_CurrentSet.aAssign[0].awKey[0]);
    EXPECT_EQ(L"Zan good.zan (*)", Title());
}

TEST_F(ZanTest, OpenCancelledAtTheQuestionOrTheDialogChangesNothing) {
    Start();
    MarkModified();
    boxAnswers.push_back(IDCANCEL);
    Command(IDM_OPEN);
    EXPECT_TRUE(fileDialogs.empty()) << "Cancel stops before the dialog";
    boxAnswers.push_back(IDNO);
    Command(IDM_OPEN);                // the file dialog is cancelled
    EXPECT_EQ(1u, fileDialogs.size());
    EXPECT_EQ(2u, boxes.size());
    EXPECT_EQ(L"Zan (未保存)新規設定ファイル (*)", Title());
}

TEST_F(ZanTest, SaveOfAnUnnamedSetGoesToSaveAs) {
    Start();
    MarkModified();
    std::wstring chosen = Path(L"first");
    fileAnswers.push_back(chosen);
    Command(IDM_SAVE);
    ASSERT_EQ(1u, fileDialogs.size());
    EXPECT_TRUE(fileDialogs[0].bSave);
    EXPECT_EQ(L"名前を付けて保存", fileDialogs[0].title);
    EXPECT_EQ(kFilter, fileDialogs[0].filter);
    EXPECT_EQ(0u, fileDialogs[0].dwFlags & OFN_FILEMUSTEXIST);
    EXPECT_TRUE(FileExists(chosen + L".zan"));
    EXPECT_EQ(chosen + L".zan", g_State.szCurrentFile);
    EXPECT_EQ(L"Zan first.zan", Title());
}

TEST_F(ZanTest, SaveWritesTheCurrentFileAndClearsTheMark) {
    std::wstring file = Path(L"current.zan");
    WriteSetFile(file, 'C', 0x1);
    Start((L"\"" + file + L"\"").c_str());
    LockRecord();
    g_CurrentSet.aAssign[5].nKind = ASSIGN_MOUSE;
    UnlockRecord();
    MarkModified();
    Command(IDM_SAVE);
    EXPECT_TRUE(fileDialogs.empty());
    EXPECT_EQ(L"Zan current.zan", Title());
    ASSIGNMENT_SET check;
    InitAssignmentSet(&check);
    ASSERT_TRUE(LoadSettingFile(file.c_str(), &check, 1));
    EXPECT_EQ(ASSIGN_MOUSE, check.aAssign[5].nKind);
    ReleaseAssignmentPaths(&check);
}

TEST_F(ZanTest, SaveAfterTheFileWasDeletedWritesNothingReportsItAndKeepsTheMark) {
    std::wstring file = Path(L"doomed.zan");
    WriteSetFile(file, 'D', 0x1);
    Start((L"\"" + file + L"\"").c_str());
    MarkModified();
    ASSERT_TRUE(DeleteFileW(file.c_str()));
    Command(IDM_SAVE);
    EXPECT_FALSE(FileExists(file));
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
    Start((L"\"" + file + L"\"").c_str());
    MarkModified();
    fileAnswers.push_back(chosen);
    Command(IDM_SAVE_AS);
    ASSERT_EQ(1u, fileDialogs.size());
    EXPECT_NE(0u, fileDialogs[0].dwFlags & OFN_NOCHANGEDIR);
    EXPECT_TRUE(boxes.empty()) << "copy.zan did not exist: nothing to ask";
    EXPECT_TRUE(FileExists(saved));
    EXPECT_EQ(7u, FileSize(chosen)) << "the chosen name itself is left untouched";
    EXPECT_EQ(saved, g_State.szCurrentFile);
    EXPECT_EQ(L"Zan copy.zan", Title());

    LockRecord();
    g_CurrentSet.aAssign[0].awKey[0] = 'N';
    UnlockRecord();
    MarkModified();
    Command(IDM_SAVE);
    ASSIGNMENT_SET check;
    InitAssignmentSet(&check);
    ASSERT_TRUE(LoadSettingFile(saved.c_str(), &check, 1));
    EXPECT_EQ('N', check.aAssign[0].awKey[0]) << "the next save writes the new file";
    ASSERT_TRUE(LoadSettingFile(file.c_str(), &check, 1));
    EXPECT_EQ('E', check.aAssign[0].awKey[0]) << "the earlier file is left alone";

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
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONEXCLAMATION), boxes[0].uType);
    EXPECT_EQ(cbBefore, FileSize(saved));
    EXPECT_EQ(L"Zan copy.zan (*)", Title());
    Command(IDM_SAVE);
    EXPECT_TRUE(Close(IDNO));
    EXPECT_EQ(saved, ReadIniValue(L"szSettingFilename"));
}

TEST_F(ZanTest, DropLoadsTheFirstSettingsFileAmongTheDropped) {
    std::wstring text = Path(L"one.txt"), other = Path(L"two.ini"), set = Path(L"three.zan");
    WriteText(text, "x");
    WriteText(other, "y");
    WriteSetFile(set, 'T', 0x2);
    Start();
    Drop({text, other, set});
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(set, g_State.szCurrentFile);
    EXPECT_EQ('T', g_CurrentSet.aAssign[0].awKey[0]);
    EXPECT_EQ(L"Zan three.zan", Title());
}

struct DropFailureCase {
    const char *name;
    const wchar_t *file;   // NULL: nothing dropped
};

class DropFailureTest : public ZanTest, public ::testing::WithParamInterface<DropFailureCase> {};

TEST_P(DropFailureTest, ShowsTheLoadFailureAndKeepsTheSet) {
    std::vector<std::wstring> files;
    if (GetParam().file) {
        files.push_back(Path(GetParam().file));
        WriteSetFile(Path(L"real.zan"), 'R', 0x1);
        // The dropped file has a settings file's content under its own name.
        ASSERT_TRUE(CopyFileW(Path(L"real.zan").c_str(), files[0].c_str(), FALSE));
    }
    Start();
    Drop(files);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(kLoadFailed, boxes[0].text);
    EXPECT_EQ(hMain, boxes[0].hOwner);
    EXPECT_EQ(L"", std::wstring(g_State.szCurrentFile));
    EXPECT_EQ(ASSIGN_DISABLED, g_CurrentSet.aAssign[0].nKind);
    EXPECT_EQ(L"Zan", Title());
}

INSTANTIATE_TEST_SUITE_P(Cases, DropFailureTest, ::testing::Values(
    DropFailureCase{"Nothing", nullptr},
    DropFailureCase{"CapitalExtension", L"upper.ZAN"},
    DropFailureCase{"OtherExtension", L"set.zan.txt"}),
    [](const ::testing::TestParamInfo<DropFailureCase> &info) { return std::string(info.param.name); });

TEST_F(ZanTest, DropWhileModifiedAsksAndCancelShowsTheFailure) {
    std::wstring set = Path(L"dropped.zan");
    WriteSetFile(set, 'D', 0x1);
    Start();
    MarkModified();
    boxAnswers.push_back(IDCANCEL);
    Drop({set});
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(L"この設定ファイルは保存されていません\n保存しますか？", boxes[0].text);
    EXPECT_EQ((UINT)(MB_YESNOCANCEL | MB_ICONQUESTION), boxes[0].uType);
    EXPECT_EQ(NULL, boxes[0].hOwner);
    EXPECT_EQ(kLoadFailed, boxes[1].text);
    EXPECT_EQ(L"", std::wstring(g_State.szCurrentFile));
    EXPECT_EQ(L"Zan (未保存)新規設定ファイル (*)", Title());
    // No this time: the drop loads.
    boxAnswers.push_back(IDNO);
    Drop({set});
    EXPECT_EQ(set, g_State.szCurrentFile);
    EXPECT_EQ(L"Zan dropped.zan", Title());
}

TEST_F(ZanTest, CloseWithUnsavedChangesCancelKeepsTheWindow) {
    Start();
    MarkModified();
    EXPECT_FALSE(Close(IDCANCEL));
    EXPECT_TRUE(IsWindow(hMain));
    boxAnswers.push_back(IDCANCEL);
    EXPECT_EQ(-1, (int)SendMessageW(hMain, WM_CLOSE, 0, 0)) << "a cancelled close answers -1";
    EXPECT_EQ(2u, boxes.size());
}

TEST_F(ZanTest, CloseWithUnsavedChangesYesSavesANamedSet) {
    std::wstring file = Path(L"named.zan");
    WriteSetFile(file, 'N', 0x1);
    Start((L"\"" + file + L"\"").c_str());
    LockRecord();
    g_CurrentSet.abLed[3] = 1;
    UnlockRecord();
    MarkModified();
    EXPECT_TRUE(Close(IDYES));
    ASSIGNMENT_SET check;
    InitAssignmentSet(&check);
    ASSERT_TRUE(LoadSettingFile(file.c_str(), &check, 1));
    EXPECT_EQ(1, check.abLed[3]);
    ReleaseAssignmentPaths(&check);
}
