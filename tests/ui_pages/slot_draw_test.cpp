// What a slot button shows, compared pixel by pixel with an independently drawn reference.
#include "pages_test.h"

#include <vector>

namespace {

struct Image {
    int w = 0, h = 0;
    std::vector<DWORD> px;
};

// A 32-bit top-down DIB section of w by h pixels whose bits the test reads directly.
HBITMAP CreateTopDownDib(HDC hDC, int w, int h, void **ppBits) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    return CreateDIBSection(hDC, &bi, DIB_RGB_COLORS, ppBits, NULL, 0);
}

Image Capture(HWND hButton) {
    Image img;
    RECT rc;
    GetClientRect(hButton, &rc);
    img.w = rc.right;
    img.h = rc.bottom;
    UpdateWindow(hButton);
    HDC hDC = GetDC(hButton);
    HDC hMem = CreateCompatibleDC(hDC);
    void *pBits = nullptr;
    HBITMAP hBmp = CreateTopDownDib(hDC, img.w, img.h, &pBits);
    HGDIOBJ hOld = SelectObject(hMem, hBmp);
    BitBlt(hMem, 0, 0, img.w, img.h, hDC, 0, 0, SRCCOPY);
    GdiFlush();
    img.px.assign((DWORD *)pBits, (DWORD *)pBits + img.w * img.h);
    SelectObject(hMem, hOld);
    DeleteObject(hBmp);
    DeleteDC(hMem);
    ReleaseDC(hButton, hDC);
    return img;
}

// The look the button must have: fill, glyph at equal margins, text centred at the bottom, frame.
Image Reference(HWND hButton, bool bGrey, int nGlyph, const wchar_t *pszText) {
    Image img;
    RECT rc;
    GetClientRect(hButton, &rc);
    img.w = rc.right;
    img.h = rc.bottom;
    HDC hScreen = GetDC(hButton);
    HDC hDC = CreateCompatibleDC(hScreen);
    void *pBits = nullptr;
    HBITMAP hBmp = CreateTopDownDib(hScreen, img.w, img.h, &pBits);
    HGDIOBJ hOld = SelectObject(hDC, hBmp);
    HBRUSH hFill = CreateSolidBrush(bGrey ? RGB(128, 128, 128) : RGB(255, 255, 255));
    FillRect(hDC, &rc, hFill);
    DeleteObject(hFill);
    HBITMAP hGlyph = LoadBitmapW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(nGlyph));
    HDC hGlyphDC = CreateCompatibleDC(hDC);
    HGDIOBJ hOldGlyph = SelectObject(hGlyphDC, hGlyph);
    int m = (img.h - 16) / 2;
    BitBlt(hDC, m, m, 16, 16, hGlyphDC, 0, 0, SRCCOPY);
    SelectObject(hGlyphDC, hOldGlyph);
    DeleteDC(hGlyphDC);
    DeleteObject(hGlyph);
    SetBkMode(hDC, TRANSPARENT);
    SelectObject(hDC, g_App.hFont);
    RECT rcText = {1, 1, img.w - 1, img.h - 1};
    DrawTextW(hDC, pszText, -1, &rcText, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
    // 1-pixel black frame
    for (int x = 0; x < img.w; x++) {
        SetPixel(hDC, x, 0, 0);
        SetPixel(hDC, x, img.h - 1, 0);
    }
    for (int y = 0; y < img.h; y++) {
        SetPixel(hDC, 0, y, 0);
        SetPixel(hDC, img.w - 1, y, 0);
    }
    GdiFlush();
    img.px.assign((DWORD *)pBits, (DWORD *)pBits + img.w * img.h);
    SelectObject(hDC, hOld);
    DeleteObject(hBmp);
    DeleteDC(hDC);
    ReleaseDC(hButton, hScreen);
    return img;
}

int Differences(const Image &a, const Image &b) {
    if (a.w != b.w || a.h != b.h)
        return -1;
    int n = 0;
    for (size_t i = 0; i < a.px.size(); i++)
        n += (a.px[i] & 0xFFFFFF) != (b.px[i] & 0xFFFFFF);
    return n;
}

struct DrawCase {
    const char *name;
    std::function<void(ASSIGNMENT &)> make;
    bool bGrey;
    int nGlyph;
    const wchar_t *pszText;
};

class SlotDrawTest : public PagesTest {
protected:
    void ExpectLook(int nSlot, bool bGrey, int nGlyph, const wchar_t *pszText) {
        InvalidateRect(Button(nSlot), NULL, FALSE);
        Image shown = Capture(Button(nSlot));
        Image expected = Reference(Button(nSlot), bGrey, nGlyph, pszText);
        EXPECT_EQ(0, Differences(shown, expected)) << "slot " << nSlot << " does not look as expected";
        // A different text must be told apart, or the comparison proves nothing.
        Image other = Reference(Button(nSlot), bGrey, nGlyph, L"-");
        EXPECT_GT(Differences(shown, other), 0);
    }
};

TEST_F(SlotDrawTest, EachKindShowsItsFillGlyphAndText) {
    const DrawCase cases[] = {
        {"disabled", [](ASSIGNMENT &) {}, true, IDB_ASSIGN_DISABLED, L"未使用"},
        {"keys", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; SetKeys(a, {VK_CONTROL, 'S'}); }, false, IDB_ASSIGN_KEY,
         L"{Ctrl}{S}"},
        {"three keys", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; SetKeys(a, {VK_CAPITAL, VK_F24, VK_SNAPSHOT}); },
         false, IDB_ASSIGN_KEY, L"{CapsLock}{F24}{PrtSc}"},
        {"no key", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; }, false, IDB_ASSIGN_KEY, L"未設定"},
        {"key without a name", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; SetKeys(a, {VK_CONTROL, VK_HOME}); }, false,
         IDB_ASSIGN_KEY, L"未設定"},
        {"move", [](ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = MOUSE_MOVE_UP; }, false,
         IDB_ASSIGN_MOUSE, L"上移動"},
        {"scroll", [](ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = MOUSE_SCROLL_RIGHT; }, false,
         IDB_ASSIGN_MOUSE, L"右スクロール"},
        {"application", [](ASSIGNMENT &a) { a.nKind = ASSIGN_APPLICATION; SetPath(a, L"C:\\dir\\tool.exe"); }, false,
         IDB_ASSIGN_APPLICATION, L"tool.exe"},
        {"application without path", [](ASSIGNMENT &a) { a.nKind = ASSIGN_APPLICATION; }, false,
         IDB_ASSIGN_APPLICATION, L"未設定"},
        // Damaged entries look as the loader would have made them.
        {"unknown kind", [](ASSIGNMENT &a) { a.nKind = 9; SetKeys(a, {'A'}); }, true, IDB_ASSIGN_DISABLED, L"未使用"},
        {"unknown mouse action", [](ASSIGNMENT &a) { a.nKind = ASSIGN_MOUSE; a.nMouseAction = 200; }, true,
         IDB_ASSIGN_DISABLED, L"未使用"},
        {"key count too large", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; SetKeys(a, {'A'}); a.nKeyCount = 70000; },
         false, IDB_ASSIGN_KEY, L"未設定"},
        {"negative key count", [](ASSIGNMENT &a) { a.nKind = ASSIGN_KEY; a.nKeyCount = -5; }, false, IDB_ASSIGN_KEY,
         L"未設定"},
    };
    for (const DrawCase &c : cases) {
        SCOPED_TRACE(c.name);
        ClearAssignmentPath(&Entry(0));
        Entry(0) = ASSIGNMENT{};
        c.make(Entry(0));
        ExpectLook(0, c.bGrey, c.nGlyph, c.pszText);
    }
}

TEST_F(SlotDrawTest, PressingShowsNoPressedOrFocusedLook) {
    Entry(9).nKind = ASSIGN_KEY;
    SetKeys(Entry(9), {'Q'});
    ExpectLook(9, false, IDB_ASSIGN_KEY, L"{Q}");
    Press(Button(9));
    ExpectLook(9, false, IDB_ASSIGN_KEY, L"{Q}");
    Release(Button(9), true);  // a right release: the slot menu, dismissed
    SendMessageW(Button(9), WM_SETFOCUS, 0, 0);
    ExpectLook(9, false, IDB_ASSIGN_KEY, L"{Q}");
}

TEST_F(SlotDrawTest, DeleteOfAnApplicationSlotShowsUnusedOnGreyWithTheCross) {
    Entry(3).nKind = ASSIGN_APPLICATION;
    SetPath(Entry(3), L"C:\\x\\app.exe");
    ExpectLook(3, false, IDB_ASSIGN_APPLICATION, L"app.exe");
    LONG nPaths = CountPathTexts();
    menu.answers = {ID_SLOT_DELETE};
    Press(Button(3), true);
    Release(Button(3), true);
    EXPECT_EQ(nPaths - 1, CountPathTexts()) << "the path string is released";
    EXPECT_EQ(View(ASSIGNMENT{}), View(Entry(3)));
    EXPECT_EQ(0, Entry(3).nPathLength);
    ExpectLook(3, true, IDB_ASSIGN_DISABLED, L"未使用");
}

TEST_F(SlotDrawTest, SwitchingTheKindBackAndForthRestoresTheEarlierKeys) {
    Entry(20).nKind = ASSIGN_KEY;
    SetKeys(Entry(20), {VK_CONTROL, 'C'});
    ShowPage(PAGE_CLASSIC);
    struct Step {
        int nCommand;
        bool bGrey;
        int nGlyph;
        const wchar_t *pszText;
    } steps[] = {
        {ID_SLOT_KIND_APPLICATION, false, IDB_ASSIGN_APPLICATION, L"未設定"},
        {ID_SLOT_KIND_MOUSE, false, IDB_ASSIGN_MOUSE, L"左クリック"},
        {ID_SLOT_KIND_DISABLED, true, IDB_ASSIGN_DISABLED, L"未使用"},
        {ID_SLOT_KIND_KEY, false, IDB_ASSIGN_KEY, L"{Ctrl}{C}"},
    };
    for (const Step &s : steps) {
        menu.answers = {s.nCommand};
        Press(Button(20), true);
        Release(Button(20), true);
        ExpectLook(20, s.bGrey, s.nGlyph, s.pszText);
    }
    EXPECT_EQ(2, Entry(20).nKeyCount);
    EXPECT_EQ(VK_CONTROL, Entry(20).awKey[0]);
    EXPECT_EQ('C', Entry(20).awKey[1]);
    EXPECT_EQ(1, g_State.bModified);
}

}  // namespace
