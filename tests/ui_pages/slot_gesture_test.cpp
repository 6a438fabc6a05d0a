// Mouse gestures on the slot buttons: click, drag swap, drag menu, release elsewhere.
#include "pages_test.h"

#include "pages.h"

namespace {

void MakeKeyEntry(ASSIGNMENT &a) {
    a.nKind = ASSIGN_KEY;
    SetKeys(a, {VK_CONTROL, 'S'});
    a.nMouseAction = MOUSE_RIGHT_CLICK;
    a.wMoveAmount = 55;
    SetPath(a, L"C:\\tools\\a.exe");
}

void MakeMouseEntry(ASSIGNMENT &a) {
    a.nKind = ASSIGN_MOUSE;
    SetKeys(a, {VK_F5});
    a.nMouseAction = MOUSE_MOVE_DOWN;
    a.wMoveAmount = 300;
    SetPath(a, L"D:\\b.exe");
}

class SlotGestureTest : public PagesTest {};

TEST_F(SlotGestureTest, PlainClickOpensTheDialogOfItsSlotOwnedByThePage) {
    const int slots[] = {0, 7, 12, 39};
    for (int nSlot : slots) {
        SCOPED_TRACE(nSlot);
        ShowPage(nSlot < SLOT_FIRST_NUNCHUK ? PAGE_REMOTE : nSlot < SLOT_FIRST_CLASSIC ? PAGE_NUNCHUK : PAGE_CLASSIC);
        Entry(nSlot).nKind = ASSIGN_KEY;
        SetKeys(Entry(nSlot), {VK_MENU, (WORD)('A' + nSlot % 26)});
        std::wstring fieldText;
        HWND hOwner = NULL;
        DialogScript script;
        script.body = [&](HWND hDlg) {
            fieldText = TextOf(GetDlgItem(hDlg, IDC_KEY_FIELD));
            hOwner = GetWindow(hDlg, GW_OWNER);
            SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
        };
        script.Arm();
        Press(Button(nSlot));
        Release(Button(nSlot));
        EXPECT_EQ(NULL, GetCapture()) << "a slot button never captures the mouse";
        EXPECT_NE(Button(nSlot), GetFocus()) << "a slot button never takes the focus";
        EXPECT_TRUE(PumpUntil([&] { return script.bSeen && !FindKeyDialog(); }));
        script.Disarm();
        wchar_t szExpected[16];
        wsprintfW(szExpected, L"{Alt}{%c}", 'A' + nSlot % 26);
        EXPECT_EQ(szExpected, fieldText);
        // A modal dialog's owner is the page's top-level window.
        EXPECT_EQ(GetAncestor(PageOfSlot(nSlot), GA_ROOT), hOwner);
    }
}

TEST_F(SlotGestureTest, PressLeaveAndComeBackOpensNothingAndChangesNothing) {
    MakeKeyEntry(Entry(0));
    EntryView before = View(Entry(0));
    WCHAR *pszPath = Entry(0).pszPath;
    DialogScript script;
    script.body = [](HWND hDlg) { SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0); };
    script.Arm();
    Press(Button(0));
    LeaveButton(Button(0));
    Release(Button(0));
    Settle();
    script.Disarm();
    EXPECT_FALSE(script.bSeen) << "a dialog opened";
    EXPECT_EQ(before, View(Entry(0)));
    EXPECT_EQ(pszPath, Entry(0).pszPath);
    EXPECT_EQ(0, g_State.bModified);
}

TEST_F(SlotGestureTest, LeftDragSwapsWholeEntriesRepaintsBothAndMarksTheSetModified) {
    MakeKeyEntry(Entry(0));
    MakeMouseEntry(Entry(6));
    EntryView a = View(Entry(0)), b = View(Entry(6));
    WCHAR *pszA = Entry(0).pszPath, *pszB = Entry(6).pszPath;
    Settle();
    ASSERT_FALSE(NeedsRepaint(Button(0)));
    Press(Button(0));
    LeaveButton(Button(0));
    Release(Button(6));
    EXPECT_TRUE(NeedsRepaint(Button(0)));
    EXPECT_TRUE(NeedsRepaint(Button(6)));
    EXPECT_EQ(b, View(Entry(0)));
    EXPECT_EQ(a, View(Entry(6)));
    EXPECT_EQ(pszB, Entry(0).pszPath) << "the path string moves with its entry";
    EXPECT_EQ(pszA, Entry(6).pszPath);
    Settle();
    EXPECT_EQ(1, g_State.bModified);
    EXPECT_NE(std::wstring::npos, Title().find(L" (*)"));
    EXPECT_TRUE(menu.shown.empty()) << "a left drag shows no menu";
}

struct DragMenuCase {
    const char *name;
    int nAnswer;
};

TEST_F(SlotGestureTest, RightDragShowsTwoItemsAndDoesWhatWasChosen) {
    const DragMenuCase cases[] = {{"swap", ID_SLOT_SWAP}, {"copy", ID_SLOT_COPY}, {"escape", 0}};
    for (const DragMenuCase &c : cases) {
        SCOPED_TRACE(c.name);
        ReleaseAssignmentPaths(&g_CurrentSet);
        InitAssignmentSet(&g_CurrentSet);
        g_PageState.pSource = NULL;
        g_State.bModified = 0;
        MakeKeyEntry(Entry(1));
        MakeMouseEntry(Entry(4));
        EntryView a = View(Entry(1)), b = View(Entry(4));
        menu.shown.clear();
        menu.owners.clear();
        menu.answers = {c.nAnswer};
        Press(Button(1), true);
        LeaveButton(Button(1));
        Release(Button(4), true);
        ASSERT_EQ(1u, menu.shown.size());
        const std::vector<MenuItemSeen> &items = menu.shown[0];
        ASSERT_EQ(2u, items.size());
        EXPECT_EQ((UINT)ID_SLOT_SWAP, items[0].id);
        EXPECT_EQ(L"これと交換", items[0].text);
        EXPECT_EQ((UINT)ID_SLOT_COPY, items[1].id);
        EXPECT_EQ(L"ここにコピー", items[1].text);
        EXPECT_EQ(Button(4), menu.owners[0]);
        switch (c.nAnswer) {
        case ID_SLOT_SWAP:
            EXPECT_EQ(b, View(Entry(1)));
            EXPECT_EQ(a, View(Entry(4)));
            break;
        case ID_SLOT_COPY:
            EXPECT_EQ(a, View(Entry(1)));
            EXPECT_EQ(a, View(Entry(4)));
            EXPECT_NE(Entry(1).pszPath, Entry(4).pszPath) << "each entry owns its path string";
            break;
        default:
            EXPECT_EQ(a, View(Entry(1)));
            EXPECT_EQ(b, View(Entry(4)));
        }
        EXPECT_EQ(c.nAnswer != 0, g_State.bModified == 1);
    }
}

TEST_F(SlotGestureTest, ReleaseOutsideEveryButtonDoesNothingAndTheNextPressStartsAfresh) {
    MakeKeyEntry(Entry(2));
    MakeMouseEntry(Entry(3));
    EntryView a = View(Entry(2)), b = View(Entry(3));
    HWND hPage = g_App.ahPage[PAGE_REMOTE];
    Press(Button(2));
    LeaveButton(Button(2));
    SendMessageW(hPage, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    Press(Button(2), true);
    LeaveButton(Button(2));
    SendMessageW(hPage, WM_RBUTTONUP, 0, MAKELPARAM(2, 2));
    Settle();
    EXPECT_EQ(a, View(Entry(2)));
    EXPECT_EQ(b, View(Entry(3)));
    EXPECT_TRUE(menu.shown.empty());

    // A fresh press and release on another button is a plain click again.
    DialogScript script;
    script.body = [](HWND hDlg) { SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0); };
    script.Arm();
    Press(Button(3));
    Release(Button(3));
    EXPECT_TRUE(PumpUntil([&] { return script.bSeen && !FindKeyDialog(); }));
    script.Disarm();
    EXPECT_EQ(a, View(Entry(2)));
    EXPECT_EQ(b, View(Entry(3)));
}

TEST_F(SlotGestureTest, OnlyAClickNotificationOpensTheDialog) {
    DialogScript script;
    script.body = [](HWND hDlg) { SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0); };
    script.Arm();
    // A double-click notification carries code 1 in the high word: not a click.
    PostMessageW(g_App.ahPage[PAGE_REMOTE], WM_COMMAND, MAKEWPARAM(IDC_SLOT_FIRST, BN_DOUBLECLICKED),
                 (LPARAM)Button(0));
    Settle();
    EXPECT_FALSE(script.bSeen);
    PostMessageW(g_App.ahPage[PAGE_REMOTE], WM_COMMAND, IDC_SLOT_FIRST, (LPARAM)Button(0));
    EXPECT_TRUE(PumpUntil([&] { return script.bSeen && !FindKeyDialog(); }));
    script.Disarm();
}

// The real popup menu of the system, dismissed: the slot stays as it was.
VOID CALLBACK DismissMenu(HWND, UINT, UINT_PTR idTimer, DWORD) {
    KillTimer(NULL, idTimer);
    EndMenu();
}

TEST_F(SlotGestureTest, SystemMenuDismissedChangesNothing) {
    menu.Uninstall();
    MakeKeyEntry(Entry(5));
    EntryView a = View(Entry(5));
    SetTimer(NULL, 0, 50, DismissMenu);
    Press(Button(5), true);
    Release(Button(5), true);
    menu.Install();
    Settle();
    EXPECT_EQ(a, View(Entry(5)));
    EXPECT_EQ(NULL, g_PageState.pSource);
}

}  // namespace
