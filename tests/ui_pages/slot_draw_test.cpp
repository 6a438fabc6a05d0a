// What a slot button shows, compared with the product's own drawing under known inputs:
// entries that must look alike do, entries that must be told apart are, and gestures leave
// the look alone.
#include "pages_test.h"

#include <vector>

namespace {

typedef std::vector<DWORD> Image;

Image Capture(HWND hButton) {
    InvalidateRect(hButton, NULL, FALSE);
    UpdateWindow(hButton);
    RECT rc;
    GetClientRect(hButton, &rc);
    HDC hDC = GetDC(hButton);
    HDC hMem = CreateCompatibleDC(hDC);
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(bi.bmiHeader), rc.right, -rc.bottom, 1, 32};
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

class SlotDrawTest : public PagesTest {
protected:
    // Slot 0 drawn for the entry make builds.
    Image Look(MakeEntry make) {
        ClearAssignmentPath(&Entry(0));
        Entry(0) = ASSIGNMENT{};
        make(Entry(0));
        return Capture(Button(0));
    }
};

void Disabled(ASSIGNMENT &) {}
void NoKey(ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; }
void CtrlS(ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; SetKeys(a, {VK_CONTROL, 'S'}); }
void CtrlA(ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; SetKeys(a, {VK_CONTROL, 'A'}); }
void MoveUp(ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = MOUSE_MOVE_UP; }
void ScrollRight(ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = MOUSE_SCROLL_RIGHT; }
void Tool(ASSIGNMENT &a) { a.nKind = ASSIGN_APPLICATION; SetPath(a, L"C:\\dir\\tool.exe"); }
void NoPath(ASSIGNMENT &a) { a.nKind = ASSIGN_APPLICATION; }

TEST_F(SlotDrawTest, EntriesThatMeanTheSameLookTheSame) {
    const struct { const char *name; MakeEntry make, same; } cases[] = {
        // Damaged entries look as the loader would have made them.
        {"unknown kind", [](ASSIGNMENT &a) { a.nKind = 9; SetKeys(a, {'A'}); }, Disabled},
        {"unknown mouse action", [](ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = 200; }, Disabled},
        {"key count too large", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; SetKeys(a, {'A'}); a.nKeyCount = 70000; }, NoKey},
        {"negative key count", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; a.nKeyCount = -5; }, NoKey},
        {"key without a name", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; SetKeys(a, {VK_CONTROL, VK_HOME}); }, NoKey},
        // An application shows its file name only.
        {"same file elsewhere", [](ASSIGNMENT &a) { a.nKind = ASSIGN_APPLICATION; SetPath(a, L"D:\\x y\\tool.exe"); }, Tool},
    };
    for (const auto &c : cases)
        EXPECT_TRUE(Look(c.make) == Look(c.same)) << c.name;
}

TEST_F(SlotDrawTest, EachKindAndTextIsToldApart) {
    const MakeEntry looks[] = {Disabled, NoKey, CtrlS, CtrlA, MoveUp, ScrollRight, Tool, NoPath};
    std::vector<Image> images;
    for (MakeEntry make : looks)
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

TEST_F(SlotDrawTest, DeleteOfAnApplicationSlotLooksUnused) {
    Image unused = Look(Disabled);
    Look(Tool);
    LONG nPaths = CountPathTexts();
    menu.answers = {ID_SLOT_DELETE};
    Press(Button(0), true);
    Release(Button(0), true);
    EXPECT_EQ(nPaths - 1, CountPathTexts()) << "the path string is released";
    EXPECT_EQ(View(ASSIGNMENT{}), View(Entry(0)));
    EXPECT_TRUE(unused == Capture(Button(0)));
}

TEST_F(SlotDrawTest, SwitchingTheKindBackAndForthRestoresTheEarlierKeys) {
    Image keys = Look(CtrlS);
    Image unused = Look(Disabled);
    CtrlS(Entry(0));
    const struct { int nCommand; MakeEntry look; } steps[] = {
        {ID_SLOT_KIND_APPLICATION, NoPath}, {ID_SLOT_KIND_MOUSE, nullptr},
        {ID_SLOT_KIND_DISABLED, Disabled}, {ID_SLOT_KIND_KEY, CtrlS},
    };
    for (const auto &s : steps) {
        menu.answers = {s.nCommand};
        Press(Button(0), true);
        Release(Button(0), true);
        Image shown = Capture(Button(0));
        EXPECT_EQ(s.look == CtrlS, shown == keys) << s.nCommand;
        EXPECT_EQ(s.look == Disabled, shown == unused) << s.nCommand;
    }
    EXPECT_EQ(2, Entry(0).nKeyCount);
    EXPECT_EQ(VK_CONTROL, Entry(0).awKey[0]);
    EXPECT_EQ('S', Entry(0).awKey[1]);
    EXPECT_EQ(1, g_State.bModified);
}

}  // namespace
