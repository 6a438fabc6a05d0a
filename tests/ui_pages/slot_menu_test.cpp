// The slot menu: take for swap or copy, paste, delete, kind; and the record lock around edits.
#include "pages_test.h"

#include <thread>

namespace {

class SlotMenuTest : public PagesTest {
protected:
    void RightClick(int nSlot, int nAnswer) {
        menu.answers = {nAnswer};
        Press(Button(nSlot), true);
        Release(Button(nSlot), true);
    }
    bool PasteGreyedInLastMenu() {
        const MenuItemSeen *paste = FindItem(menu.shown.back(), ID_SLOT_PASTE);
        return paste && paste->bGrayed;
    }
};

TEST_F(SlotMenuTest, PasteIsGreyedBeforeAnyTake) {
    RightClick(0, 0);
    ASSERT_EQ(1u, menu.shown.size());
    EXPECT_TRUE(PasteGreyedInLastMenu());
    for (const MenuItemSeen &item : menu.shown[0])
        EXPECT_EQ(item.id == ID_SLOT_PASTE, item.bGrayed) << item.id;
    EXPECT_EQ(Button(0), menu.owners[0]);
}

TEST_F(SlotMenuTest, SwapThenPasteSwapsAndGreysPasteAgain) {
    Entry(0).nKind = ASSIGN_KEY;
    SetKeys(Entry(0), {'A'});
    Entry(1).nKind = ASSIGN_APPLICATION;
    SetPath(Entry(1), L"C:\\b.exe");
    EntryView a = View(Entry(0)), b = View(Entry(1));
    RightClick(0, ID_SLOT_SWAP);
    EXPECT_EQ(a, View(Entry(0))) << "taking changes nothing yet";
    EXPECT_EQ(0, g_State.bModified);
    Settle();
    RightClick(1, ID_SLOT_PASTE);
    EXPECT_FALSE(PasteGreyedInLastMenu());
    EXPECT_TRUE(NeedsRepaint(Button(0)));
    EXPECT_TRUE(NeedsRepaint(Button(1)));
    EXPECT_EQ(b, View(Entry(0)));
    EXPECT_EQ(a, View(Entry(1)));
    RightClick(2, ID_SLOT_PASTE);
    EXPECT_TRUE(PasteGreyedInLastMenu()) << "a swap consumes the taken slot";
    EXPECT_EQ(View(ASSIGNMENT{}), View(Entry(2)));
    EXPECT_EQ(1, g_State.bModified);
}

TEST_F(SlotMenuTest, CopyPastesAgainAndAgainEachTargetOwningItsPath) {
    Entry(3).nKind = ASSIGN_APPLICATION;
    Entry(3).wMoveAmount = 12;
    SetPath(Entry(3), L"C:\\apps\\viewer.exe");
    EntryView a = View(Entry(3));
    LONG nPaths = CountPathTexts();
    RightClick(3, ID_SLOT_COPY);
    RightClick(5, ID_SLOT_PASTE);
    RightClick(6, ID_SLOT_PASTE);
    EXPECT_FALSE(PasteGreyedInLastMenu()) << "a copy is not consumed";
    EXPECT_EQ(a, View(Entry(5)));
    EXPECT_EQ(a, View(Entry(6)));
    EXPECT_EQ(nPaths + 2, CountPathTexts());
    EXPECT_NE(Entry(3).pszPath, Entry(5).pszPath);
    EXPECT_NE(Entry(3).pszPath, Entry(6).pszPath);
    EXPECT_NE(Entry(5).pszPath, Entry(6).pszPath);
    // Editing the source later leaves the copies alone.
    Entry(3).pszPath[0] = L'X';
    RightClick(3, ID_SLOT_DELETE);
    EXPECT_EQ(a, View(Entry(5)));
    EXPECT_EQ(a, View(Entry(6)));
    // Pasting a copy over a slot with a path releases that path.
    Entry(4).nKind = ASSIGN_KEY;
    SetKeys(Entry(4), {'K'});
    RightClick(4, ID_SLOT_COPY);
    LONG nBefore = CountPathTexts();
    RightClick(5, ID_SLOT_PASTE);
    EXPECT_EQ(nBefore - 1, CountPathTexts());
    EXPECT_EQ(View(Entry(4)), View(Entry(5)));
    EXPECT_EQ(1, g_State.bModified);
}

TEST_F(SlotMenuTest, PasteOntoItselfAndADismissedMenuChangeNothing) {
    Entry(7).nKind = ASSIGN_APPLICATION;
    SetPath(Entry(7), L"C:\\self.exe");
    WCHAR *psz = Entry(7).pszPath;
    RightClick(7, ID_SLOT_COPY);
    RightClick(7, ID_SLOT_PASTE);
    EXPECT_EQ(psz, Entry(7).pszPath);
    RightClick(7, ID_SLOT_SWAP);
    RightClick(7, ID_SLOT_PASTE);
    EXPECT_EQ(psz, Entry(7).pszPath);
    EXPECT_EQ(L"C:\\self.exe", PathOf(Entry(7)));
    RightClick(7, 0);
    EXPECT_EQ(psz, Entry(7).pszPath);
    EXPECT_EQ(0, g_State.bModified) << "nothing changed";
}

// Each edit waits for the record lock: while another thread holds it, the entry stays as it was.
struct LockCase {
    const char *name;
    std::function<void(SlotMenuTest *)> prepare;
    std::function<void(SlotMenuTest *)> edit;
};

class LockedEditTest : public SlotMenuTest {
public:
    void Gesture(int nFrom, int nTo, bool bRight, int nAnswer) {
        menu.answers = {nAnswer};
        Press(Button(nFrom), bRight);
        LeaveButton(Button(nFrom));
        Release(Button(nTo), bRight);
    }
    void Click(int nSlot, int nAnswer) { RightClick(nSlot, nAnswer); }
};

TEST_F(LockedEditTest, EveryPageEditWaitsForTheRecordLock) {
    const LockCase cases[] = {
        {"drag swap", nullptr, [](SlotMenuTest *t) { ((LockedEditTest *)t)->Gesture(0, 1, false, 0); }},
        {"drag copy", nullptr, [](SlotMenuTest *t) { ((LockedEditTest *)t)->Gesture(0, 1, true, ID_SLOT_COPY); }},
        {"paste swap", [](SlotMenuTest *t) { ((LockedEditTest *)t)->Click(0, ID_SLOT_SWAP); },
         [](SlotMenuTest *t) { ((LockedEditTest *)t)->Click(1, ID_SLOT_PASTE); }},
        {"delete", [](SlotMenuTest *t) { ((LockedEditTest *)t)->Gesture(0, 1, false, 0); },
         [](SlotMenuTest *t) { ((LockedEditTest *)t)->Click(1, ID_SLOT_DELETE); }},
        {"kind", nullptr, [](SlotMenuTest *t) { ((LockedEditTest *)t)->Click(1, ID_SLOT_KIND_KEY); }},
    };
    for (const LockCase &c : cases) {
        SCOPED_TRACE(c.name);
        ReleaseAssignmentPaths(&g_CurrentSet);
        InitAssignmentSet(&g_CurrentSet);
        g_PageState.pSource = NULL;
        Entry(0).nKind = ASSIGN_APPLICATION;
        SetPath(Entry(0), L"C:\\zero.exe");
        Entry(1).nKind = ASSIGN_MOUSE;
        Entry(1).nMouseAction = MOUSE_MOVE_LEFT;
        if (c.prepare)
            c.prepare(this);
        EntryView before = View(Entry(1));
        EntryView whileHeld;
        HANDLE hHeld = CreateEventW(NULL, TRUE, FALSE, NULL);
        std::thread holder([&] {
            LockRecord();
            SetEvent(hHeld);
            Sleep(150);  // the edit runs meanwhile and must block
            whileHeld = View(Entry(1));
            UnlockRecord();
        });
        WaitForSingleObject(hHeld, INFINITE);
        c.edit(this);
        holder.join();
        CloseHandle(hHeld);
        EXPECT_EQ(before, whileHeld) << "the entry changed while another thread held the lock";
        EXPECT_FALSE(before == View(Entry(1))) << "the edit did nothing";
    }
}

}  // namespace
