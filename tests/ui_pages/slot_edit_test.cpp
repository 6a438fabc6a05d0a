// Edits with the mouse on the slot buttons: click, drags, the slot menu's take, paste,
// delete and kind; each marks the set modified and waits for the record lock.
#include "page_fixture.h"

#include "slot_button.h"
#include "ui_seam.h"

namespace {

void MakeKeyEntry(ASSIGNMENT &a) {
    a.nKind = ASSIGN_KEY;
    PagesTest::SetKeys(a, {VK_CONTROL, 'S'});
    a.nMouseAction = MOUSE_RIGHT_CLICK;
    a.wMoveAmount = 55;
    PagesTest::SetPath(a, L"C:\\tools\\a.exe");
}

void MakeMouseEntry(ASSIGNMENT &a) {
    a.nKind = ASSIGN_MOUSE;
    PagesTest::SetKeys(a, {VK_F5});
    a.nMouseAction = MOUSE_MOVE_DOWN;
    a.wMoveAmount = 300;
    PagesTest::SetPath(a, L"D:\\b.exe");
}

void Drag(int nFrom, int nTo, bool bRight) {
    Press(PagesTest::Button(nFrom), bRight);
    LeaveButton(PagesTest::Button(nFrom));
    if (nTo < 0)  // released over the page, on no button
        SendMessageW(PagesTest::PageOfSlot(nFrom), bRight ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    else
        Release(PagesTest::Button(nTo), bRight);
}

void Menu(int nSlot, int nAnswer) {
    g_Seen.menuAnswers = {nAnswer};
    Press(PagesTest::Button(nSlot), true);
    Release(PagesTest::Button(nSlot), true);
}

bool PasteGreyedInLastMenu() {
    for (const MenuItemSeen &item : g_Seen.menus.back())
        if (item.id == ID_SLOT_PASTE)
            return item.bGrayed;
    return false;
}

typedef PagesTest SlotEditTest;

// A click opens the dialog of its slot, owned by the page's window, on every page; a drag
// released on no button before it leaves nothing pending.
TEST_F(SlotEditTest, PlainClickOpensTheDialogOfItsSlot) {
    for (int nSlot : {0, 12, 39}) {
        SCOPED_TRACE(nSlot);
        ShowPage(PageOfSlot(nSlot));
        Entry(nSlot).nKind = ASSIGN_KEY;
        SetKeys(Entry(nSlot), {VK_MENU, (WORD)('A' + nSlot % 26)});
        Drag(nSlot, -1, false);
        std::wstring fieldText;
        HWND hOwner = NULL;
        EXPECT_TRUE(OnKeyDialog(
            [&] {
                Press(Button(nSlot));
                Release(Button(nSlot));
                EXPECT_EQ(NULL, GetCapture()) << "a slot button never captures the mouse";
                EXPECT_NE(Button(nSlot), GetFocus()) << "a slot button never takes the focus";
            },
            [&](HWND hDlg) {
                fieldText = TextOf(GetDlgItem(hDlg, IDC_KEY_FIELD));
                hOwner = GetWindow(hDlg, GW_OWNER);
                SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
            }));
        wchar_t szExpected[16];
        wsprintfW(szExpected, L"{Alt}{%c}", 'A' + nSlot % 26);
        EXPECT_EQ(szExpected, fieldText);
        EXPECT_EQ(GetAncestor(PageOfSlot(nSlot), GA_ROOT), hOwner);
    }
}

TEST_F(SlotEditTest, OnlyAClickNotificationOpensTheDialog) {
    auto cancel = [](HWND hDlg) { SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0); };
    // A double-click notification carries code 1 in the high word: not a click.
    EXPECT_FALSE(OnKeyDialog(
        [] { PostMessageW(PageOfSlot(0), WM_COMMAND, MAKEWPARAM(IDC_SLOT_FIRST, BN_DOUBLECLICKED), 0); }, cancel));
    EXPECT_TRUE(OnKeyDialog([] { PostMessageW(PageOfSlot(0), WM_COMMAND, IDC_SLOT_FIRST, 0); }, cancel));
}

// Whole entries move or are copied, each keeping a path string of its own, both buttons
// are repainted, and only a change marks the set modified; no drag opens the dialog.
TEST_F(SlotEditTest, DragsSwapOrCopyWhatWasChosen) {
    enum { SAME, SWAPPED, COPIED };
    const struct { const char *name; bool bRight; int nTo, nAnswer, nResult; } cases[] = {
        {"left drag", false, 6, 0, SWAPPED},
        {"left drag back onto itself", false, 0, 0, SAME},
        {"left drag released on no button", false, -1, 0, SAME},
        {"right drag, swap chosen", true, 6, ID_SLOT_SWAP, SWAPPED},
        {"right drag, copy chosen", true, 6, ID_SLOT_COPY, COPIED},
        {"right drag, menu dismissed", true, 6, 0, SAME},
        {"right drag released on no button", true, -1, 0, SAME},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Reset(Entry(0));
        Reset(Entry(6));
        MakeKeyEntry(Entry(0));
        MakeMouseEntry(Entry(6));
        g_State.bModified = 0;
        g_Seen = SeamLog{};
        g_Seen.menuAnswers = {c.nAnswer};
        EntryView a = View(Entry(0)), b = View(Entry(6));
        WCHAR *pszA = Entry(0).pszPath, *pszB = Entry(6).pszPath;
        Settle();
        bool bRepainted = false;
        EXPECT_FALSE(OnKeyDialog(
            [&] {
                Drag(0, c.nTo, c.bRight);
                bRepainted = NeedsRepaint(Button(6));
            },
            [](HWND) {}))
            << "a dialog opened";
        EXPECT_EQ(c.nResult == SWAPPED ? b : a, View(Entry(0)));
        EXPECT_EQ(c.nResult == SAME ? b : a, View(Entry(6)));
        if (c.nResult == SWAPPED)
            EXPECT_TRUE(Entry(0).pszPath == pszB && Entry(6).pszPath == pszA) << "the paths move with the entries";
        if (c.nResult == COPIED)
            EXPECT_TRUE(Entry(0).pszPath == pszA && Entry(6).pszPath != pszA);
        EXPECT_EQ(c.nResult != SAME, bRepainted);
        EXPECT_EQ(c.nResult != SAME, g_State.bModified == 1);
        EXPECT_EQ(c.bRight && c.nTo > 0 ? 1u : 0u, g_Seen.menus.size());
        if (!g_Seen.menus.empty())
            EXPECT_EQ(Button(c.nTo), g_Seen.menuOwners[0]);
    }
}

TEST_F(SlotEditTest, SwapThenPasteSwapsOnceAndGreysPasteAgain) {
    Entry(0).nKind = ASSIGN_KEY;
    SetKeys(Entry(0), {'A'});
    Entry(1).nKind = ASSIGN_APPLICATION;
    SetPath(Entry(1), L"C:\\b.exe");
    EntryView a = View(Entry(0)), b = View(Entry(1));
    Menu(0, ID_SLOT_SWAP);
    EXPECT_TRUE(PasteGreyedInLastMenu()) << "before any take";
    EXPECT_EQ(Button(0), g_Seen.menuOwners[0]);
    EXPECT_EQ(0, g_State.bModified) << "taking changes nothing yet";
    Settle();
    Menu(1, ID_SLOT_PASTE);
    EXPECT_FALSE(PasteGreyedInLastMenu());
    EXPECT_TRUE(NeedsRepaint(Button(0)) && NeedsRepaint(Button(1)));
    EXPECT_EQ(b, View(Entry(0)));
    EXPECT_EQ(a, View(Entry(1)));
    EXPECT_EQ(1, g_State.bModified);
    Menu(2, ID_SLOT_PASTE);
    EXPECT_TRUE(PasteGreyedInLastMenu()) << "a swap consumes the taken slot";
    EXPECT_EQ(View(ASSIGNMENT{}), View(Entry(2)));
}

TEST_F(SlotEditTest, CopyPastesAgainAndAgainEachTargetOwningItsPath) {
    Entry(3).nKind = ASSIGN_APPLICATION;
    SetPath(Entry(3), L"C:\\apps\\viewer.exe");
    EntryView a = View(Entry(3));
    LONG nPaths = CountPathTexts();
    Menu(3, ID_SLOT_COPY);
    Menu(5, ID_SLOT_PASTE);
    Menu(6, ID_SLOT_PASTE);
    EXPECT_FALSE(PasteGreyedInLastMenu()) << "a copy is not consumed";
    EXPECT_EQ(1, g_State.bModified);
    EXPECT_EQ(nPaths + 2, CountPathTexts());
    // Deleting the source later leaves the copies alone.
    Menu(3, ID_SLOT_DELETE);
    EXPECT_EQ(a, View(Entry(5)));
    EXPECT_EQ(a, View(Entry(6)));
    // Pasting a copy over a slot with a path releases that path.
    Entry(4).nKind = ASSIGN_KEY;
    Menu(4, ID_SLOT_COPY);
    LONG nBefore = CountPathTexts();
    Menu(5, ID_SLOT_PASTE);
    EXPECT_EQ(nBefore - 1, CountPathTexts());
    EXPECT_EQ(View(Entry(4)), View(Entry(5)));
}

TEST_F(SlotEditTest, PasteOntoItselfAndADismissedMenuChangeNothing) {
    Entry(7).nKind = ASSIGN_APPLICATION;
    SetPath(Entry(7), L"C:\\self.exe");
    WCHAR *psz = Entry(7).pszPath;
    for (int nTake : {ID_SLOT_COPY, ID_SLOT_SWAP, 0}) {
        Menu(7, nTake);
        Menu(7, ID_SLOT_PASTE);
    }
    EXPECT_EQ(psz, Entry(7).pszPath);
    EXPECT_EQ(L"C:\\self.exe", View(Entry(7)).path);
    EXPECT_EQ(0, g_State.bModified) << "nothing changed";
}

// The real popup menu of the system, dismissed: the slot stays as it was.
VOID CALLBACK DismissMenu(HWND, UINT, UINT_PTR idTimer, DWORD) {
    KillTimer(NULL, idTimer);
    EndMenu();
}

TEST_F(SlotEditTest, SystemMenuDismissedChangesNothing) {
    SetUiSeam(NULL);
    MakeKeyEntry(Entry(5));
    EntryView a = View(Entry(5));
    SetTimer(NULL, 0, 50, DismissMenu);  // handled inside the menu's own loop
    Press(Button(5), true);
    Release(Button(5), true);
    EXPECT_EQ(a, View(Entry(5)));
    EXPECT_EQ(NULL, g_PageState.pSource);
}

// While another thread holds the record lock, no edit of the set may happen.
TEST_F(SlotEditTest, EveryPageEditWaitsForTheRecordLock) {
    const struct { const char *name; int nTake; void (*edit)(); } cases[] = {
        {"drag swap", 0, [] { Drag(0, 1, false); }},
        {"drag copy", 0, [] { g_Seen.menuAnswers = {ID_SLOT_COPY}; Drag(0, 1, true); }},
        {"paste swap", ID_SLOT_SWAP, [] { Menu(1, ID_SLOT_PASTE); }},
        {"delete", 0, [] { Menu(1, ID_SLOT_DELETE); }},
        {"kind", 0, [] { Menu(1, ID_SLOT_KIND_KEY); }},
        {"LED box", 0, [] {
             ShowPage(g_App.ahPage[PAGE_OPTIONS]);
             SendDlgItemMessageW(g_App.ahPage[PAGE_OPTIONS], IDC_LED2, BM_CLICK, 0, 0);
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ReleaseAssignmentPaths(&g_CurrentSet);
        InitAssignmentSet(&g_CurrentSet);
        g_PageState.pSource = NULL;
        Entry(0).nKind = ASSIGN_APPLICATION;
        SetPath(Entry(0), L"C:\\zero.exe");
        Entry(1).nKind = ASSIGN_MOUSE;
        Entry(1).nMouseAction = MOUSE_MOVE_LEFT;
        if (c.nTake)
            Menu(0, c.nTake);
        ASSIGNMENT_SET before;
        memcpy(&before, &g_CurrentSet, sizeof(before));
        auto unchanged = [&] { return !memcmp(&before, &g_CurrentSet, sizeof(before)); };
        EXPECT_TRUE(EditWaitsForTheLock(c.edit, unchanged)) << "the set changed while another thread held the lock";
        EXPECT_FALSE(unchanged()) << "the edit did nothing";
    }
}

}  // namespace
