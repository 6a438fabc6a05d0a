// No edit lost: every slot edit marks the set; close, open, drop and the session's end go
// on after the save question only when the save succeeded; a relative file stays where it
// was named.
#include "zan_fixture.h"

#include "slot_button.h"

namespace {

HWND Slot(int n) { return GetDlgItem(g_App.ahPage[PAGE_REMOTE], ASSIGN_FIRST_CONTROL_ID + n); }

// Press on one slot button, release on another (a drag) or on the same one (a right click).
void Gesture(int nFrom, int nTo, bool bRight, int nMenuAnswer = 0) {
    g_pTest->menuAnswers = {nMenuAnswer};
    SendMessageW(Slot(nFrom), bRight ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, 0, 0);
    if (nFrom != nTo)
        SendMessageW(Slot(nFrom), WM_MOUSELEAVE, 0, 0);
    SendMessageW(Slot(nTo), bRight ? WM_RBUTTONUP : WM_LBUTTONUP, 0, 0);
}

struct EditCase {
    const char *name;
    std::function<void()> edit;
};

}  // namespace

TEST_F(ZanTest, DragAndMenuEditsMakeCloseOpenAndDropAsk) {
    const EditCase edits[] = {
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
    for (const EditCase &c : edits) {
        SCOPED_TRACE(c.name);
        c.edit();
        EXPECT_EQ(L"Zan edited.zan (*)", Title());
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
        ASSERT_EQ(L"Zan edited.zan", Title());
    }
    Gesture(0, 0, true, ID_SLOT_DELETE);
    boxAnswers.push_back(IDNO);
    Command(IDM_OPEN);                // No, then the file dialog is cancelled
    EXPECT_EQ(1u, fileDialogs.size());
    EXPECT_EQ(L"Zan edited.zan (*)", Title());
}

// Yes to the question, then the save-as dialog cancelled (an unnamed set) or the save
// failing (the file held by another program): close, open and drop stay, with the mark.
TEST_F(ZanTest, AFailedOrCancelledSaveKeepsTheWindowTheFileAndTheMark) {
    std::wstring held = Path(L"held.zan"), other = Path(L"other.zan");
    WriteSetFile(held, 'H', 0x1);
    WriteSetFile(other, 'O', 0x1);
    for (bool bNamed : {false, true}) {
        SCOPED_TRACE(bNamed ? "failed save" : "cancelled save-as");
        Restart(bNamed ? Quoted(L"held.zan") : L"");
        AssignKey(0, 'X');
        MarkModified();
        HANDLE hOther = bNamed ? CreateFileW(held.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL)
                               : INVALID_HANDLE_VALUE;
        EXPECT_FALSE(Close(IDYES));
        boxAnswers.push_back(IDYES);
        Command(IDM_OPEN);
        boxAnswers.push_back(IDYES);
        Drop({other});
        if (hOther != INVALID_HANDLE_VALUE)
            CloseHandle(hOther);
        EXPECT_TRUE(IsWindow(hMain));
        EXPECT_EQ(1, g_State.bModified);
        EXPECT_EQ(bNamed ? L"Zan held.zan (*)" : L"Zan (未保存)新規設定ファイル (*)", Title());
        EXPECT_EQ('X', g_CurrentSet.aAssign[0].awKey[0]) << "nothing was loaded";
        for (const FileDialogCall &d : fileDialogs)
            EXPECT_TRUE(d.bSave) << "no open dialog after the save failed";
        EXPECT_EQ(bNamed ? 0u : 3u, fileDialogs.size());
        int nSaveFailures = 0;
        for (const BoxCall &b : boxes)
            nSaveFailures += b.text.find(L"保存できませんでした") != std::wstring::npos;
        EXPECT_EQ(bNamed ? 3 : 0, nSaveFailures);
        EXPECT_EQ('H', KeyInFile(held)) << "the held file stays as it was";
    }
}

TEST_F(ZanTest, ARelativeCommandLineFileSavesToItsOwnFolderAfterADialogWasUsedElsewhere) {
    ASSERT_TRUE(CreateDirectoryW(Path(L"a").c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryW(Path(L"b").c_str(), NULL));
    WriteSetFile(Path(L"a\\rel.zan"), 'R', 0x1);
    WriteSetFile(Path(L"b\\rel.zan"), 'B', 0x1);
    HANDLE hBad = CreateFileW(Path(L"b\\bad.zan").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hBad);   // empty: not a settings file
    CloseHandle(hBad);
    ASSERT_TRUE(SetCurrentDirectoryW(Path(L"a").c_str()));
    Start(L"rel.zan");
    EXPECT_EQ(Path(L"a\\rel.zan"), g_State.szCurrentFile);
    // The user browses to b and picks a file there that does not load.
    fileAnswers.push_back(Path(L"b\\bad.zan"));
    Command(IDM_OPEN);
    AssignKey(0, 'S');
    MarkModified();
    Command(IDM_SAVE);
    EXPECT_EQ('S', KeyInFile(Path(L"a\\rel.zan")));
    EXPECT_EQ('B', KeyInFile(Path(L"b\\rel.zan")));
}

TEST_F(ZanTest, SessionEndAsksAsClosingDoesAndKeepsTheLastFile) {
    std::wstring file = Path(L"session.zan");
    WriteSetFile(file, 'S', 0x1);
    WriteOptions(1, L"", 0, 1000);
    Start(Quoted(L"session.zan"));
    AssignKey(0, 'Q');
    MarkModified();
    boxAnswers.push_back(IDCANCEL);
    EXPECT_FALSE(SendMessageW(hMain, WM_QUERYENDSESSION, 0, 0));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(kSaveQuestion, boxes[0].text);
    // A session that ends regardless leaves no time to ask: the file stays untouched.
    EXPECT_TRUE(SendMessageW(hMain, WM_QUERYENDSESSION, 0, ENDSESSION_CRITICAL));
    EXPECT_EQ(1u, boxes.size());
    EXPECT_EQ('S', KeyInFile(file));
    boxAnswers.push_back(IDYES);
    EXPECT_TRUE(SendMessageW(hMain, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ('Q', KeyInFile(file));
    EXPECT_EQ(L"Zan session.zan", Title());
    SendMessageW(hMain, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(file, ReadIniValue(L"szSettingFilename"));
}
