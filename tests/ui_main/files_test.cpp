// Open, save, save as, dropped files, and no edit lost: every slot edit marks the set;
// close, open, drop and the session's end go on after the save question only when the
// save succeeded; a relative file stays where it was named.
#include "zan_fixture.h"

#include "modal_ui.h"

#include <shlobj.h>

#include "file_replace.h"
#include "setting_file.h"
#include "slot_button.h"

namespace {

void WriteText(const std::wstring &path, const char *text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD dw;
    WriteFile(h, text, lstrlenA(text), &dw, NULL);
    CloseHandle(h);
}

// Slot 0's key in a settings file, -1 when it does not load.
int KeyInFile(const std::wstring &path) {
    ASSIGNMENT_SET set;
    InitAssignmentSet(&set);
    int nKey = LoadSettingFile(path.c_str(), &set, 1) ? set.aAssign[0].awKey[0] : -1;
    ReleaseAssignmentPaths(&set);
    return nKey;
}


void Drop(const std::vector<std::wstring> &paths) {
    std::wstring list;
    for (const std::wstring &p : paths)
        list += p + L'\0';
    list += L'\0';
    HGLOBAL hDrop = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(WCHAR));
    DROPFILES *pDrop = (DROPFILES *)GlobalLock(hDrop);
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = TRUE;
    CopyMemory(pDrop + 1, list.data(), list.size() * sizeof(WCHAR));
    GlobalUnlock(hDrop);
    SendMessageW(g_pTest->hMain, WM_DROPFILES, (WPARAM)hDrop, 0);
}


// A replacement that moves the old file to its backup name and then fails, and no move after
// it that works: Windows can neither complete the save nor undo it.
BOOL WINAPI ReplaceMovingTheTargetAway(LPCWSTR target, LPCWSTR, LPCWSTR backup, DWORD, LPVOID, LPVOID) {
    EXPECT_TRUE(MoveFileExW(target, backup ? backup : (std::wstring(target) + L".away").c_str(), 0));
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    return FALSE;
}

BOOL WINAPI MoveNothing(LPCWSTR, LPCWSTR, DWORD) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

HWND Slot(int n) { return GetDlgItem(g_App.ahPage[PAGE_REMOTE], ASSIGN_FIRST_CONTROL_ID + n); }

// Press on one slot button, release on another (a drag) or on the same one (a right click).
void Gesture(int nFrom, int nTo, bool bRight, int nMenuAnswer = 0) {
    g_pTest->menuAnswers = {nMenuAnswer};
    SendMessageW(Slot(nFrom), bRight ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, 0, 0);
    if (nFrom != nTo)
        SendMessageW(Slot(nFrom), WM_MOUSELEAVE, 0, 0);
    SendMessageW(Slot(nTo), bRight ? WM_RBUTTONUP : WM_LBUTTONUP, 0, 0);
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
    // opened: NULL when dropped
    const struct { const wchar_t *opened; std::vector<std::wstring> dropped; bool bLoads; } cases[] = {
        {L"three.zan", {}, true}, {nullptr, {Path(L"one.txt"), Path(L"three.zan")}, true},
        {L"bad.zan", {}, false}, {nullptr, {Path(L"upper.ZAN")}, false},
        {nullptr, {Path(L"set.zan.txt")}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.opened ? c.opened : c.dropped.back().c_str());
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
        EXPECT_EQ(hMain, boxes.back().hOwner) << "every box is owned by the main window";
        EXPECT_EQ(Path(c.bLoads ? L"three.zan" : L"good.zan"), g_State.szCurrentFile);
        EXPECT_EQ(c.bLoads ? 'T' : 'G', g_CurrentSet.aAssign[0].awKey[0]);
        EXPECT_EQ(c.bLoads ? L"Zan three.zan" : L"Zan good.zan (*)", TextOf(hMain));
    }
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
    EXPECT_EQ(-1, KeyInFile(chosen)) << "the chosen name itself is left untouched";
    EXPECT_EQ(saved, g_State.szCurrentFile);
    EXPECT_EQ(L"Zan copy.zan", TextOf(hMain));

    AssignKey(0, 'N');
    MarkModified();
    Command(IDM_SAVE);
    EXPECT_EQ('N', KeyInFile(saved)) << "the next save writes the new file";
    EXPECT_EQ('E', KeyInFile(file)) << "the earlier file is left alone";

    // copy.zan exists now: the same choice asks, and No goes back to the dialog (cancelled).
    AssignKey(0, 'R');
    MarkModified();
    fileAnswers.push_back(chosen);
    boxAnswers.push_back(IDNO);
    Command(IDM_SAVE_AS);
    EXPECT_EQ(3u, fileDialogs.size());
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(saved + L" は既にあります。\n置き換えますか？", boxes[0].text);
    EXPECT_EQ(hMain, boxes[0].hOwner);
    EXPECT_EQ('N', KeyInFile(saved));
    EXPECT_EQ(L"Zan copy.zan (*)", TextOf(hMain));
    Command(IDM_SAVE);
    EXPECT_TRUE(Close(IDNO));
    EXPECT_EQ(saved, ReadIniValue(L"szSettingFilename"));
}

TEST_F(ZanTest, DragAndMenuEditsMakeCloseOpenAndDropAsk) {
    const std::pair<const char *, std::function<void()>> edits[] = {
        {"drag swap", [] { Gesture(0, 1, false); }},
        {"drag copy", [] { Gesture(0, 1, true, ID_SLOT_COPY); }},
        {"menu swap", [] { Gesture(0, 0, true, ID_SLOT_SWAP); Gesture(1, 1, true, ID_SLOT_PASTE); }},
        {"menu copy", [] { Gesture(0, 0, true, ID_SLOT_COPY); Gesture(1, 1, true, ID_SLOT_PASTE); }},
        {"menu delete", [] { Gesture(0, 0, true, ID_SLOT_DELETE); }},
        {"menu kind", [] { Gesture(0, 0, true, ID_SLOT_KIND_MOUSE); }},
    };
    std::wstring file = Path(L"edited.zan"), other = Path(L"other.zan");
    WriteSetFile(file, 'E', 0x1);
    WriteSetFile(other, 'O', 0x1);
    Start(Quoted(L"edited.zan"));
    for (const auto &[name, edit] : edits) {
        SCOPED_TRACE(name);
        edit();
        EXPECT_EQ(L"Zan edited.zan (*)", TextOf(hMain));
        boxes.clear();
        boxAnswers = {IDCANCEL, IDCANCEL};
        EXPECT_EQ(-1, (int)SendMessageW(hMain, WM_CLOSE, 0, 0)) << "a cancelled close answers -1";
        Command(IDM_OPEN);
        boxAnswers.push_back(IDCANCEL);
        Drop({other});
        ASSERT_EQ(4u, boxes.size());   // three questions, and the drop's load failure
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(kSaveQuestion, boxes[i].text);
        EXPECT_TRUE(fileDialogs.empty());
        EXPECT_EQ(file, g_State.szCurrentFile);
        // Dropped again without saving: clean for the next edit.
        boxAnswers.push_back(IDNO);
        Drop({file});
        ASSERT_EQ(L"Zan edited.zan", TextOf(hMain));
    }
}

// Yes to the question, then the save-as dialog cancelled (an unnamed set) or the save
// failing (the file held by another program, or deleted meanwhile): close, open and drop
// stay, with the mark, and each failure is reported by the window with the file's name.
TEST_F(ZanTest, AFailedOrCancelledSaveKeepsTheWindowTheFileAndTheMark) {
    std::wstring other = Path(L"other.zan");
    WriteSetFile(other, 'O', 0x1);
    for (const wchar_t *named : {L"", L"held.zan", L"deleted.zan"}) {
        SCOPED_TRACE(testing::PrintToString(named));
        std::wstring file = Path(named);
        bool bNamed = *named != 0, bHeld = file == Path(L"held.zan");
        if (bNamed)
            WriteSetFile(file, 'H', 0x1);
        Restart(bNamed ? Quoted(named) : L"");
        AssignKey(0, 'X');
        MarkModified();
        HANDLE hOther = bHeld ? CreateFileW(file.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL)
                              : INVALID_HANDLE_VALUE;
        if (bNamed && !bHeld) {
            ASSERT_TRUE(DeleteFileW(file.c_str()));
        }
        EXPECT_FALSE(Close(IDYES));
        boxAnswers.push_back(IDYES);
        Command(IDM_OPEN);
        boxAnswers.push_back(IDYES);
        Drop({other});
        if (hOther != INVALID_HANDLE_VALUE)
            CloseHandle(hOther);
        EXPECT_EQ(1, g_State.bModified);
        EXPECT_EQ(bNamed ? L"Zan " + std::wstring(named) + L" (*)" : L"Zan (未保存)新規設定ファイル (*)", TextOf(hMain));
        EXPECT_EQ('X', g_CurrentSet.aAssign[0].awKey[0]) << "nothing was loaded";
        for (const FileDialogCall &d : fileDialogs)
            EXPECT_TRUE(d.bSave) << "no open dialog after the save failed";
        EXPECT_EQ(bNamed ? 0u : 3u, fileDialogs.size());
        int nSaveFailures = 0;
        for (const BoxCall &b : boxes) {
            if (b.text.find(L"設定ファイルを保存できませんでした。\n" + file + L"\n") == 0)
                nSaveFailures += b.hOwner == hMain;
        }
        EXPECT_EQ(bNamed ? 3 : 0, nSaveFailures);
        EXPECT_EQ(bHeld ? 'H' : -1, KeyInFile(file)) << "the held file stays as it was, a deleted one is not written";
    }
}

// A save that can be neither completed nor undone keeps its new contents in a file beside
// the target, and the failure message, owned by the window, names that file.
TEST_F(ZanTest, ASaveThatLostItsTargetNamesTheFileKeepingTheNewContents) {
    std::wstring file = Path(L"kept.zan");
    WriteSetFile(file, 'K', 0x1);
    Start(Quoted(L"kept.zan"));
    AssignKey(0, 'N');
    MarkModified();
    FILE_SEAM seam = {WriteFile, ReplaceMovingTheTargetAway, MoveNothing};
    SetFileSeam(&seam);
    Command(IDM_SAVE);
    SetFileSeam(NULL);
    EXPECT_EQ(1, g_State.bModified);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(hMain, boxes[0].hOwner);
    const std::wstring &text = boxes[0].text;
    EXPECT_EQ(0u, text.find(L"設定ファイルを保存できませんでした。\n" + file + L"\n")) << testing::PrintToString(text);
    const std::wstring marker = L"新しい内容は次のファイルに残してあります: ";
    size_t at = text.find(marker);
    ASSERT_NE(std::wstring::npos, at) << testing::PrintToString(text);
    std::wstring kept = text.substr(at + marker.size());
    EXPECT_EQ(Path(L""), kept.substr(0, Path(L"").size())) << "beside the file";
    ASSERT_TRUE(CopyFileW(kept.c_str(), Path(L"kept-copy.zan").c_str(), TRUE)) << testing::PrintToString(kept);
    EXPECT_EQ('N', KeyInFile(Path(L"kept-copy.zan"))) << "the new contents";
}

// A relative file named on the command line is saved to its own folder after a file dialog
// was used elsewhere. The session's end asks the save question as closing does; a session
// that ends regardless leaves no time to ask and the file untouched; option.ini keeps the file.
TEST_F(ZanTest, SessionEndAsksAndARelativeCommandLineFileSavesToItsOwnFolder) {
    ASSERT_TRUE(CreateDirectoryW(Path(L"a").c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryW(Path(L"b").c_str(), NULL));
    WriteSetFile(Path(L"a\\rel.zan"), 'R', 0x1);
    WriteSetFile(Path(L"b\\rel.zan"), 'B', 0x1);
    WriteText(Path(L"b\\bad.zan"), "");   // empty: not a settings file
    WriteOptions(1, L"", 0, 1000);
    ASSERT_TRUE(SetCurrentDirectoryW(Path(L"a").c_str()));
    Start(L"rel.zan");
    EXPECT_EQ(Path(L"a\\rel.zan"), g_State.szCurrentFile);
    // The user browses to b and picks a file there that does not load.
    fileAnswers.push_back(Path(L"b\\bad.zan"));
    Command(IDM_OPEN);
    boxes.clear();
    AssignKey(0, 'Q');
    MarkModified();
    boxAnswers.push_back(IDCANCEL);
    std::wstring reasonAsked;
    whileBoxShown = [&] { reasonAsked = shutdownReason; };
    EXPECT_FALSE(SendMessageW(hMain, WM_QUERYENDSESSION, 0, 0));
    whileBoxShown = nullptr;
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(kSaveQuestion, boxes[0].text);
    EXPECT_EQ(L"保存していない設定の変更があります", reasonAsked) << "Windows says why it waits";
    EXPECT_EQ(L"", shutdownReason);
    EXPECT_TRUE(SendMessageW(hMain, WM_QUERYENDSESSION, 0, ENDSESSION_CRITICAL));
    EXPECT_EQ(1u, boxes.size());
    EnterModalUi();   // under an open dialog: no second question, the session waits for it
    EXPECT_FALSE(SendMessageW(hMain, WM_QUERYENDSESSION, 0, 0));
    Drop({Path(L"b\\rel.zan")});   // nor is a drop taken
    LeaveModalUi();
    EXPECT_EQ(Path(L"a\\rel.zan"), g_State.szCurrentFile);
    EXPECT_EQ(1u, boxes.size());
    EXPECT_EQ('R', KeyInFile(Path(L"a\\rel.zan")));
    boxAnswers.push_back(IDYES);
    EXPECT_TRUE(SendMessageW(hMain, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ('Q', KeyInFile(Path(L"a\\rel.zan")));
    EXPECT_EQ('B', KeyInFile(Path(L"b\\rel.zan")));
    EXPECT_EQ(L"Zan rel.zan", TextOf(hMain));
    SendMessageW(hMain, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(Path(L"a\\rel.zan"), ReadIniValue(L"szSettingFilename"));
}
