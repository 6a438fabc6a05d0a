// The slot buttons. Edits with the mouse: click, drags, the slot menu's take, paste, delete
// and kind, each marking the set modified and waiting for the record lock. What a button
// shows, compared with the product's own drawing under known inputs: entries that must look
// alike do, entries that must be told apart are, and every edit shows the slot anew.
#include "page_fixture.h"

#include "pages.h"
#include "slot_button.h"

#include <thread>

// The lock's event: offering it and taking it back must be one step, or an edit could take
// and give it back in between and look like one that never waited.
extern HANDLE g_hRecordLock;

namespace {

// Every field set, so that a partial swap or copy shows.
void Fill(ASSIGNMENT &a, BYTE nKind, WORD wKey, BYTE nAction, const wchar_t *pszPath) {
    a.nKind = nKind;
    PagesTest::SetKeys(a, {wKey});
    a.nMouseAction = nAction;
    a.wMoveAmount = 10 * nAction + 5;
    PagesTest::SetPath(a, pszPath);
}

void Drag(int nFrom, int nTo, bool bRight) {
    Press(PagesTest::Button(nFrom), bRight);
    SendMessageW(PagesTest::Button(nFrom), WM_MOUSELEAVE, 0, 0);
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

typedef std::vector<DWORD> Image;

Image Capture(HWND hButton) {
    InvalidateRect(hButton, NULL, FALSE);
    UpdateWindow(hButton);
    RECT rc;
    GetClientRect(hButton, &rc);
    HDC hDC = GetDC(hButton);
    HDC hMem = CreateCompatibleDC(hDC);
    BITMAPINFO bi = {{sizeof(BITMAPINFOHEADER), rc.right, -rc.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void *pBits = nullptr;
    HBITMAP hBmp = CreateDIBSection(hDC, &bi, DIB_RGB_COLORS, &pBits, NULL, 0);
    HGDIOBJ hOld = SelectObject(hMem, hBmp);
    BitBlt(hMem, 0, 0, rc.right, rc.bottom, hDC, 0, 0, SRCCOPY);
    GdiFlush();
    Image img((DWORD *)pBits, (DWORD *)pBits + rc.right * rc.bottom);
    for (DWORD &px : img)
        px &= 0xFFFFFF;
    SelectObject(hMem, hOld);
    DeleteObject(hBmp);
    DeleteDC(hMem);
    ReleaseDC(hButton, hDC);
    return img;
}

typedef void (*MakeEntry)(ASSIGNMENT &);

// Slot 0 drawn for the entry make builds.
Image Look(MakeEntry make) {
    PagesTest::Reset(PagesTest::Entry(0));
    make(PagesTest::Entry(0));
    return Capture(PagesTest::Button(0));
}

void Disabled(ASSIGNMENT &) {}
void NoKey(ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; }
void CtrlS(ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; PagesTest::SetKeys(a, {VK_CONTROL, 'S'}); }
void CtrlA(ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; PagesTest::SetKeys(a, {VK_CONTROL, 'A'}); }
void MoveUp(ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = MOUSE_MOVE_UP; }
void ScrollRight(ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = MOUSE_SCROLL_RIGHT; }
void Tool(ASSIGNMENT &a) { a.nKind = ASSIGN_APPLICATION; PagesTest::SetPath(a, L"C:\\dir\\tool.exe"); }
void NoPath(ASSIGNMENT &a) { a.nKind = ASSIGN_APPLICATION; }
void CtrlSTurbo(ASSIGNMENT &a) { CtrlS(a); a.nPressMode = PRESS_TURBO; }
void CtrlSToggle(ASSIGNMENT &a) { CtrlS(a); a.nPressMode = PRESS_TOGGLE; }
void Layer(ASSIGNMENT &a) { a.nKind = ASSIGN_LAYER; }

// Runs edit on this thread while another thread holds the record lock, which that thread
// hands over only to an edit already waiting for it. Returns whether unchanged() held all the
// while the other thread held the lock.
bool EditWaitsForTheLock(const std::function<void()> &edit, const std::function<bool()> &unchanged) {
    HANDLE hHeld = CreateEventW(NULL, TRUE, FALSE, NULL), hEdited = CreateEventW(NULL, TRUE, FALSE, NULL);
    bool bKept = true;
    std::thread holder([&] {
        LockRecord();
        SetEvent(hHeld);
        for (;;) {
            bool bEdited = WaitForSingleObject(hEdited, 1) == WAIT_OBJECT_0;
            bKept = bKept && unchanged();
            if (bEdited) {
                UnlockRecord();  // the edit came back without waiting
                return;
            }
            // Released and taken back at once: only an edit already waiting gets it.
            if (SignalObjectAndWait(g_hRecordLock, g_hRecordLock, 0, FALSE) != WAIT_OBJECT_0)
                return;
        }
    });
    WaitForSingleObject(hHeld, INFINITE);
    edit();
    SetEvent(hEdited);
    holder.join();
    CloseHandle(hHeld);
    CloseHandle(hEdited);
    return bKept;
}

typedef PagesTest SlotEditTest;

// A click opens the dialog of its slot on every page, whatever drag went before; a
// double-click notification (code 1 in the high word) does not.
TEST_F(SlotEditTest, PlainClickOpensTheDialogOfItsSlot) {
    for (int nSlot : {0, 12, 39}) {
        SCOPED_TRACE(nSlot);
        for (HWND hPage : g_App.ahPage)  // the leave request is real: the button must be visible
            ShowWindow(hPage, hPage == PageOfSlot(nSlot) ? SW_SHOW : SW_HIDE);
        Fill(Entry(nSlot), ASSIGN_KEY, (WORD)('A' + nSlot % 26), 0, L"C:\\a.exe");
        Drag(nSlot, -1, false);
        PostMessageW(PageOfSlot(nSlot), WM_COMMAND, MAKEWPARAM(IDC_SLOT_FIRST + nSlot, BN_DOUBLECLICKED), 0);
        EXPECT_FALSE(OnKeyDialog([] {}, [](HWND) {}));
        std::wstring fieldText;
        EXPECT_TRUE(OnKeyDialog(
            [&] {
                Press(Button(nSlot));
                Release(Button(nSlot));
                EXPECT_EQ(NULL, GetCapture()) << "a slot button never captures the mouse";
                EXPECT_NE(Button(nSlot), GetFocus()) << "a slot button never takes the focus";
            },
            [&](HWND hDlg) {
                fieldText = TextOf(GetDlgItem(hDlg, IDC_KEY_FIELD));
                SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
            }));
        EXPECT_EQ(std::wstring(L"{") + (wchar_t)('A' + nSlot % 26) + L"}", fieldText);
    }
}

// Whole entries move or are copied, each keeping a path string of its own, both buttons
// are repainted, and only a change marks the set modified; no drag opens the dialog. Only a
// copy leaves something to paste: a drag that ended elsewhere must not stand in for a slot
// taken through the menu.
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
        Fill(Entry(0), ASSIGN_KEY, 'S', MOUSE_RIGHT_CLICK, L"C:\\tools\\a.exe");
        Fill(Entry(6), ASSIGN_MOUSE, VK_F5, MOUSE_MOVE_DOWN, L"D:\\b.exe");
        g_State.bModified = 0;
        g_Seen = SeamLog{};
        g_Seen.menuAnswers = {c.nAnswer};
        std::wstring a = View(Entry(0)), b = View(Entry(6));
        WCHAR *pszA = Entry(0).pszPath, *pszB = Entry(6).pszPath;
        PumpUntil([] { return !GetQueueStatus(QS_PAINT); }, 2000);  // no repaint left from before
        Drag(0, c.nTo, c.bRight);
        bool bRepainted = GetUpdateRect(Button(6), NULL, FALSE);
        EXPECT_FALSE(OnKeyDialog([] {}, [](HWND) {})) << "a dialog opened";
        EXPECT_EQ(c.nResult == SWAPPED ? b : a, View(Entry(0)));
        EXPECT_EQ(c.nResult == SAME ? b : a, View(Entry(6)));
        EXPECT_TRUE(c.nResult != SWAPPED || (Entry(0).pszPath == pszB && Entry(6).pszPath == pszA))
            << "the paths move with the entries";
        EXPECT_TRUE(c.nResult != COPIED || (Entry(0).pszPath == pszA && Entry(6).pszPath != pszA));
        EXPECT_EQ(c.nResult != SAME, bRepainted);
        EXPECT_EQ(c.nResult != SAME, g_State.bModified == 1);
        EXPECT_EQ(c.bRight && c.nTo > 0 ? 1 : 0, g_Seen.nMenus);
        Menu(2, 0);
        EXPECT_EQ(c.nResult != COPIED, g_Seen.bPasteGreyed) << "what the slot menu could paste";
    }
}

// A swap is consumed by its paste, a copy pastes again and again with each target owning its
// path; pasted onto itself or with nothing taken, nothing changes.
TEST_F(SlotEditTest, TakeAndPasteThroughTheSlotMenu) {
    Fill(Entry(0), ASSIGN_KEY, 'A', 0, L"C:\\a.exe");
    Fill(Entry(1), ASSIGN_APPLICATION, 'B', MOUSE_MOVE_UP, L"C:\\b.exe");
    Fill(Entry(3), ASSIGN_APPLICATION, 'C', 0, L"C:\\apps\\viewer.exe");
    Entry(4).nKind = ASSIGN_KEY;
    Fill(Entry(7), ASSIGN_APPLICATION, 'D', 0, L"C:\\self.exe");
    std::wstring a = View(Entry(0)), b = View(Entry(1)), c = View(Entry(3)), self = View(Entry(7));
    WCHAR *pszSelf = Entry(7).pszPath;
    LONG nPaths = CountPathTexts();
    const struct { int nSlot, nCommand; bool bPasteGreyed; int bModified; } steps[] = {
        {7, ID_SLOT_COPY, true, 0},  {7, ID_SLOT_PASTE, false, 0}, {7, ID_SLOT_SWAP, false, 0},
        {7, ID_SLOT_PASTE, false, 0}, {7, 0, true, 0},
        {0, ID_SLOT_SWAP, true, 0},  {1, ID_SLOT_PASTE, false, 1}, {2, ID_SLOT_PASTE, true, 0},
        {3, ID_SLOT_COPY, true, 0},  {5, ID_SLOT_PASTE, false, 1}, {6, ID_SLOT_PASTE, false, 1},
        {3, ID_SLOT_DELETE, false, 1}, {4, ID_SLOT_COPY, false, 0}, {5, ID_SLOT_PASTE, false, 1},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(testing::Message() << "slot " << s.nSlot << " command " << s.nCommand);
        g_State.bModified = 0;
        Menu(s.nSlot, s.nCommand);
        EXPECT_EQ(s.bPasteGreyed, g_Seen.bPasteGreyed);
        EXPECT_EQ(s.bModified, g_State.bModified);
    }
    EXPECT_EQ(b, View(Entry(0)));
    EXPECT_EQ(a, View(Entry(1)));
    EXPECT_EQ(View(ASSIGNMENT{}), View(Entry(2)));
    EXPECT_EQ(View(ASSIGNMENT{}), View(Entry(3)));
    EXPECT_EQ(View(Entry(4)), View(Entry(5)));
    EXPECT_EQ(c, View(Entry(6)));
    EXPECT_EQ(self, View(Entry(7)));
    EXPECT_EQ(pszSelf, Entry(7).pszPath);
    EXPECT_EQ(nPaths, CountPathTexts()) << "two copies, a delete and a path pasted over";
}

// The layer shown is the one edited: its entries on the buttons, drags and the slot menu
// within it, nothing taken in one layer pasted in the other. A layer slot switches in both,
// so layer 2 shows it greyed and only layer 1 makes one.
TEST_F(SlotEditTest, EachLayerIsShownAndEditedApart) {
    Fill(Entry(0), ASSIGN_KEY, 'A', 0, L"C:\\a.exe");
    Entry(1).nKind = ASSIGN_LAYER;
    Fill(g_CurrentSet.aLayer2[0], ASSIGN_KEY, 'B', 0, L"C:\\b.exe");
    Fill(g_CurrentSet.aLayer2[1], ASSIGN_KEY, 'C', 0, L"C:\\c.exe");
    std::wstring a = View(Entry(0)), b = View(g_CurrentSet.aLayer2[0]);
    Menu(0, ID_SLOT_COPY);
    ShowLayer(1);
    EXPECT_NE(std::wstring::npos, TextOf(hHost).find(L"レイヤー2")) << "the title says so";
    EXPECT_EQ(&g_CurrentSet.aLayer2[0], EntryOfButton(Button(0)));
    EXPECT_EQ(&Entry(1), EntryOfButton(Button(1))) << "the layer slot itself";
    EXPECT_FALSE(IsWindowEnabled(Button(1)));
    EXPECT_TRUE(IsWindowEnabled(Button(2)));
    Menu(2, ID_SLOT_KIND_LAYER);
    EXPECT_TRUE(g_Seen.bPasteGreyed) << "the copy from layer 1 is gone";
    EXPECT_TRUE(g_Seen.bLayerKindGreyed);
    EXPECT_EQ(ASSIGN_DISABLED, g_CurrentSet.aLayer2[2].nKind);
    Drag(0, 2, false);
    EXPECT_EQ(b, View(g_CurrentSet.aLayer2[2]));
    EXPECT_EQ(a, View(Entry(0))) << "layer 1 untouched";
    ShowLayer(0);
    EXPECT_EQ(std::wstring::npos, TextOf(hHost).find(L"レイヤー"));
    EXPECT_TRUE(IsWindowEnabled(Button(1)));
    Menu(2, ID_SLOT_KIND_LAYER);
    EXPECT_FALSE(g_Seen.bLayerKindGreyed);
    EXPECT_EQ(ASSIGN_LAYER, Entry(2).nKind);
}

// While another thread holds the record lock, no edit of the set may happen. Slot 1's
// button is drawn anew after each edit of the slot, so it shows no stale entry.
TEST_F(SlotEditTest, EveryPageEditWaitsForTheRecordLock) {
    const struct { const char *name; int nTake; bool bSlot; void (*edit)(); } cases[] = {
        {"drag swap", 0, true, [] { Drag(0, 1, false); }},
        {"drag copy", 0, true, [] { g_Seen.menuAnswers = {ID_SLOT_COPY}; Drag(0, 1, true); }},
        {"paste swap", ID_SLOT_SWAP, true, [] { Menu(1, ID_SLOT_PASTE); }},
        {"delete", 0, true, [] { Menu(1, ID_SLOT_DELETE); }},
        {"kind", 0, true, [] { Menu(1, ID_SLOT_KIND_APPLICATION); }},
        {"LED box", 0, false, [] { SendDlgItemMessageW(g_App.ahPage[PAGE_OPTIONS], IDC_LED2, BM_CLICK, 0, 0); }},
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
        ValidateRect(Button(1), NULL);
        EXPECT_TRUE(EditWaitsForTheLock(c.edit, unchanged)) << "the set changed while another thread held the lock";
        EXPECT_FALSE(unchanged()) << "the edit did nothing";
        EXPECT_EQ(c.bSlot, GetUpdateRect(Button(1), NULL, FALSE) != 0) << "slot 1 drawn anew";
    }
}

typedef PagesTest SlotDrawTest;

TEST_F(SlotDrawTest, EntriesThatMeanTheSameLookTheSame) {
    const struct { const char *name; MakeEntry make, same; } cases[] = {
        // Damaged entries look as the loader would have made them.
        {"unknown kind", [](ASSIGNMENT &a) { a.nKind = 9; SetKeys(a, {'A'}); }, Disabled},
        {"unknown mouse action", [](ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = 200; }, Disabled},
        {"key count too large", [](ASSIGNMENT &a) { CtrlA(a); a.nKeyCount = 70000; }, NoKey},
        {"negative key count", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; a.nKeyCount = -5; }, NoKey},
        {"key without a name", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; SetKeys(a, {VK_CONTROL, VK_HOME}); }, NoKey},
        // An application shows its file name only.
        {"same file elsewhere", [](ASSIGNMENT &a) { a.nKind = ASSIGN_APPLICATION; SetPath(a, L"D:\\x y\\tool.exe"); }, Tool},
        // A mode shows only where it acts; a layer slot's own fields show nothing.
        {"mode on a move", [](ASSIGNMENT &a) { MoveUp(a); a.nPressMode = PRESS_TOGGLE; }, MoveUp},
        {"rate of a normal slot", [](ASSIGNMENT &a) { CtrlS(a); a.nTurboRate = 20; }, CtrlS},
        {"turbo at another rate", [](ASSIGNMENT &a) { CtrlSTurbo(a); a.nTurboRate = 30; }, CtrlSTurbo},
        {"layer with keys", [](ASSIGNMENT &a) { Layer(a); SetKeys(a, {'A'}); a.nLayerMode = LAYER_TOGGLE; }, Layer},
    };
    for (const auto &c : cases)
        EXPECT_TRUE(Look(c.make) == Look(c.same)) << c.name;
}

TEST_F(SlotDrawTest, EachKindAndTextIsToldApart) {
    std::vector<Image> images;
    for (MakeEntry make : {Disabled, NoKey, CtrlS, CtrlA, MoveUp, ScrollRight, Tool, NoPath, CtrlSTurbo,
                           CtrlSToggle, Layer})
        images.push_back(Look(make));
    for (size_t i = 0; i < images.size(); i++)
        for (size_t j = i + 1; j < images.size(); j++)
            EXPECT_FALSE(images[i] == images[j]) << i << " and " << j << " look alike";
}

}  // namespace
