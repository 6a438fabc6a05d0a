// What a slot button shows, compared with the product's own drawing under known inputs:
// entries that must look alike do, entries that must be told apart are, and neither the
// mouse nor the menu's edits leave a stale look.
#include "page_fixture.h"

#include "slot_button.h"

namespace {

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
void LeftClick(ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; }
void MoveUp(ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = MOUSE_MOVE_UP; }
void ScrollRight(ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = MOUSE_SCROLL_RIGHT; }
void Tool(ASSIGNMENT &a) { a.nKind = ASSIGN_APPLICATION; PagesTest::SetPath(a, L"C:\\dir\\tool.exe"); }
void NoPath(ASSIGNMENT &a) { a.nKind = ASSIGN_APPLICATION; }

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
    };
    for (const auto &c : cases)
        EXPECT_TRUE(Look(c.make) == Look(c.same)) << c.name;
}

TEST_F(SlotDrawTest, EachKindAndTextIsToldApart) {
    std::vector<Image> images;
    for (MakeEntry make : {Disabled, NoKey, CtrlS, CtrlA, MoveUp, ScrollRight, Tool, NoPath})
        images.push_back(Look(make));
    for (size_t i = 0; i < images.size(); i++)
        for (size_t j = i + 1; j < images.size(); j++)
            EXPECT_FALSE(images[i] == images[j]) << i << " and " << j << " look alike";
}

TEST_F(SlotDrawTest, PressingAndFocusShowNoOtherLook) {
    Image idle = Look(CtrlS);
    Press(Button(0));
    EXPECT_TRUE(idle == Capture(Button(0))) << "pressed";
    Release(Button(0), true);  // a right release: the slot menu, dismissed
    SendMessageW(Button(0), WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(idle == Capture(Button(0))) << "focused";
}

// A kind switch keeps the other fields, so switching back shows the earlier keys again; a
// delete leaves an unused slot. Each marks the set modified.
TEST_F(SlotDrawTest, MenuEditsShowTheEntryAsItIsNow) {
    const struct { int nCommand; MakeEntry look; } steps[] = {
        {ID_SLOT_KIND_APPLICATION, Tool}, {ID_SLOT_KIND_MOUSE, LeftClick}, {ID_SLOT_KIND_DISABLED, Disabled},
        {ID_SLOT_KIND_KEY, CtrlS}, {ID_SLOT_DELETE, Disabled},
    };
    std::vector<Image> expected;
    for (const auto &s : steps)
        expected.push_back(Look(s.look));
    Look(CtrlS);
    Tool(Entry(0));
    Entry(0).nKind = ASSIGN_KEY;
    for (size_t i = 0; i < std::size(steps); i++) {
        SCOPED_TRACE(steps[i].nCommand);
        g_State.bModified = 0;
        g_Seen.menuAnswers = {steps[i].nCommand};
        Press(Button(0), true);
        Release(Button(0), true);
        EXPECT_TRUE(expected[i] == Capture(Button(0)));
        EXPECT_EQ(1, g_State.bModified);
    }
    EXPECT_EQ(View(ASSIGNMENT{}), View(Entry(0))) << "a delete clears the whole entry";
}

}  // namespace
