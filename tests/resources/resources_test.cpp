// Zan's compiled resources, read back through the Win32 loaders. The tables
// use the literal resource numbers on purpose: a wrong value in resource.h
// moves a resource away from the number the program is known by.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "resource.h"

namespace {

HINSTANCE Inst() { return GetModuleHandleW(nullptr); }

std::wstring Text(HWND w) {
    wchar_t buf[256] = L"";
    GetWindowTextW(w, buf, 256);
    return buf;
}

static_assert(IDC_SLOT_FIRST + IDC_SLOT_COUNT - 1 == IDC_SLOT_LAST, "slot range");
static_assert(IDS_MOUSE_ACTION_FIRST + IDS_MOUSE_ACTION_COUNT - 1 == IDS_MOUSE_SCROLL_RIGHT, "mouse names");
static_assert(IDS_CORRECTION_FIRST + IDS_CORRECTION_COUNT - 1 == IDS_CORRECTION_STRONG, "levels");

TEST(StringTable, EveryStringHasItsExactText) {
    const struct { UINT id; const wchar_t *text; } cases[] = {
        {109, L"ZAN"}, {40000, L"Zan"},
        {40001, L"左クリック"}, {40002, L"ダブルクリック"}, {40003, L"中クリック"}, {40004, L"右クリック"},
        {40005, L"上移動"}, {40006, L"下移動"}, {40007, L"左移動"}, {40008, L"右移動"},
        {40009, L"上スクロール"}, {40010, L"下スクロール"}, {40011, L"左スクロール"}, {40012, L"右スクロール"},
        {40013, L"なし"}, {40014, L"弱"}, {40015, L"中"}, {40016, L"強"}, {40017, L"option.ini"},
    };
    for (const auto &c : cases) {
        wchar_t buf[64] = L"";
        int n = LoadStringW(Inst(), c.id, buf, 64);
        EXPECT_EQ(std::wstring(c.text), std::wstring(buf, n > 0 ? n : 0)) << "string " << c.id;
    }
}

// One line per item: ">text" opens a submenu, "-" is a separator, "id text" a command.
void DumpMenu(HMENU menu, const std::wstring &indent, std::vector<std::wstring> &out) {
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        wchar_t text[128] = L"";
        MENUITEMINFOW mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
        mi.dwTypeData = text;
        mi.cch = 128;
        ASSERT_TRUE(GetMenuItemInfoW(menu, i, TRUE, &mi));
        if (mi.fType & MFT_SEPARATOR) {
            out.push_back(indent + L"-");
        } else if (mi.hSubMenu) {
            out.push_back(indent + L">" + text);
            DumpMenu(mi.hSubMenu, indent + L"  ", out);
        } else {
            out.push_back(indent + std::to_wstring(mi.wID) + L" " + text);
        }
    }
}

TEST(Menus, MainMenuHasItsCommandsTextsAndSubmenus) {
    HMENU menu = LoadMenuW(Inst(), MAKEINTRESOURCEW(109));
    ASSERT_NE(nullptr, menu);
    std::vector<std::wstring> got;
    DumpMenu(menu, L"", got);
    DestroyMenu(menu);
    const std::vector<std::wstring> want = {
        L">ファイル(&F)",
        L"  40003 設定ファイルを読み込む(&O)\tCtrl+O",
        L"  >設定ファイルを保存する(&S)",
        L"    40005 上書き保存(&S)\tCtrl+S",
        L"    40004 新しく保存(&A)\tCtrl+Shift+S",
        L"  -",
        L"  105 終了(&X)",
        L"40000 接続(&C)",
        L">操作(&O)", L"  200 設定を実行する(&B)", L"  201 実行を停止する(&S)",
        L"40001 オプション(&E)",
        L">ヘルプ(&H)", L"  104 バージョン情報(&A)",
    };
    EXPECT_EQ(want, got);
}

TEST(Menus, ContextMenuHasTheSlotPopupAndTheDragPopup) {
    HMENU menu = LoadMenuW(Inst(), MAKEINTRESOURCEW(131));
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(2, GetMenuItemCount(menu));
    std::vector<std::wstring> slot, drag;
    DumpMenu(GetSubMenu(menu, SLOT_MENU_POPUP), L"", slot);
    DumpMenu(GetSubMenu(menu, DRAG_MENU_POPUP), L"", drag);
    DestroyMenu(menu);
    const std::vector<std::wstring> wantSlot = {
        L"40000 交換", L"40002 コピー", L"40003 削除", L"-", L"40009 貼り付け", L"-",
        L">設定", L"  40004 キー", L"  40006 マウス", L"  40007 アプリケーション", L"  -", L"  40008 無効",
    };
    const std::vector<std::wstring> wantDrag = {L"40000 これと交換", L"40002 ここにコピー"};
    EXPECT_EQ(wantSlot, slot);
    EXPECT_EQ(wantDrag, drag);
}

TEST(Accelerators, TableHasTheFiveShortcuts) {
    HACCEL table = LoadAcceleratorsW(Inst(), MAKEINTRESOURCEW(109));
    ASSERT_NE(nullptr, table);
    ACCEL got[16];
    int n = CopyAcceleratorTableW(table, got, 16);
    const ACCEL want[] = {
        {FALT, '?', 104}, {FALT, '/', 104},
        {FVIRTKEY | FCONTROL, 'O', 40003},
        {FVIRTKEY | FCONTROL, 'S', 40005},
        {FVIRTKEY | FCONTROL | FSHIFT, 'S', 40004},
    };
    ASSERT_EQ(5, n);
    for (int i = 0; i < n; i++) {
        EXPECT_EQ(want[i].fVirt, got[i].fVirt & ~(FNOINVERT | 0x80)) << "entry " << i;
        EXPECT_EQ(want[i].key, got[i].key) << "entry " << i;
        EXPECT_EQ(want[i].cmd, got[i].cmd) << "entry " << i;
    }
}

// Dialogs are created hidden with a procedure that does nothing, so what is
// seen is the template alone.
INT_PTR CALLBACK TemplateOnly(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

class Dialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
    }
    void SetUp() override {
        host = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 800, 700, nullptr, nullptr, Inst(), nullptr);
        ASSERT_NE(nullptr, host);
    }
    void TearDown() override {
        for (auto &d : open) DestroyWindow(d.second);
        DestroyWindow(host);
    }
    HWND Open(int id) {
        for (auto &d : open) if (d.first == id) return d.second;
        HWND dlg = CreateDialogParamW(Inst(), MAKEINTRESOURCEW(id), host, TemplateOnly, 0);
        open.push_back({id, dlg});
        return dlg;
    }
    // Where the dialog manager puts a control: position and size are converted
    // separately, so the right edge is not MapDialogRect of x + w.
    static RECT Units(HWND dlg, int x, int y, int w, int h) {
        RECT r = {x, y, w, h};
        MapDialogRect(dlg, &r);
        return {r.left, r.top, r.left + r.right, r.top + r.bottom};
    }
    static RECT Placed(HWND dlg, HWND ctl) {
        RECT r;
        GetWindowRect(ctl, &r);
        MapWindowPoints(nullptr, dlg, (POINT *)&r, 2);
        return r;
    }
    static HWND FindStatic(HWND dlg, const wchar_t *text) {
        for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (GetDlgCtrlID(c) == IDC_STATIC && Text(c) == text) return c;
        return nullptr;
    }
    HWND host = nullptr;
    std::vector<std::pair<int, HWND>> open;
};

TEST_F(Dialogs, EachDialogHasItsCaptionSizeFontAndFrame) {
    const struct { int id; const wchar_t *caption; int cx, cy; const wchar_t *face; int points; DWORD on, off; } cases[] = {
        {103, L"バージョン情報 Zan", 170, 73, L"MS UI Gothic", 9, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_CHILD},
        {111, L"", 390, 300, L"Ms Shell Dlg 2", 8, WS_CHILD, WS_CAPTION | WS_VISIBLE},
        {113, L"", 390, 300, L"Ms Shell Dlg 2", 8, WS_CHILD, WS_CAPTION | WS_VISIBLE},
        {115, L"", 390, 300, L"Ms Shell Dlg 2", 8, WS_CHILD, WS_CAPTION | WS_VISIBLE},
        {117, L"", 390, 300, L"Ms Shell Dlg 2", 8, WS_CHILD, WS_CAPTION | WS_VISIBLE},
        {119, L"Wiiリモコンの選択", 186, 95, L"Ms Shell Dlg 2", 8, WS_POPUP | WS_CAPTION, WS_CHILD},
        {121, L"キー設定", 245, 121, L"Ms Shell Dlg 2", 8, WS_POPUP | WS_CAPTION | DS_CENTER, WS_SYSMENU},
        {133, L"オプション", 330, 265, L"Ms Shell Dlg 2", 8, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, WS_CHILD},
    };
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        HWND dlg = Open(c.id);
        ASSERT_NE(nullptr, dlg) << "error " << GetLastError();
        EXPECT_EQ(std::wstring(c.caption), Text(dlg));
        RECT client, want = Units(dlg, 0, 0, c.cx, c.cy);
        GetClientRect(dlg, &client);
        EXPECT_EQ(want.right, client.right);
        EXPECT_EQ(want.bottom, client.bottom);
        LOGFONTW lf = {};
        GetObjectW((HFONT)SendMessageW(dlg, WM_GETFONT, 0, 0), sizeof lf, &lf);
        EXPECT_EQ(std::wstring(c.face), lf.lfFaceName);
        EXPECT_EQ(-MulDiv(c.points, dpi, 72), lf.lfHeight);
        DWORD style = GetWindowLongW(dlg, GWL_STYLE);
        EXPECT_EQ(c.on, style & c.on);
        EXPECT_EQ(0u, style & c.off);
    }
}

enum { FULL, NO_HEIGHT, AT_ONLY };  // combo boxes report their closed height; an empty icon its own size
TEST_F(Dialogs, ControlsHaveTheirIdsClassesTextsStylesAndPlaces) {
    const struct { int dlg, id; const wchar_t *cls, *text; DWORD mask, style; int x, y, w, h, geo; } cases[] = {
        {103, 1000, L"Static", L"", SS_TYPEMASK, SS_ICON, 10, 16, 18, 21, AT_ONLY},
        {103, -1, L"Static", L"Zan, Version 0.03", SS_TYPEMASK, SS_LEFT, 42, 14, 52, 8, FULL},
        {103, 1001, L"Static", L"tavel v0.00.000", SS_TYPEMASK, SS_LEFT, 43, 43, 47, 8, FULL},
        {103, 1, L"Button", L"OK", BS_TYPEMASK, BS_DEFPUSHBUTTON, 116, 55, 50, 14, FULL},
        {111, -1, L"Button", L"＋字キー", BS_TYPEMASK, BS_GROUPBOX, 0, 0, 390, 90, FULL},
        {113, -1, L"Button", L"ジョイスティック", BS_TYPEMASK, BS_GROUPBOX, 0, 35, 390, 83, FULL},
        {115, -1, L"Button", L"＋字キー", BS_TYPEMASK, BS_GROUPBOX, 0, 66, 390, 56, FULL},
        {115, -1, L"Button", L"左ジョイスティック", BS_TYPEMASK, BS_GROUPBOX, 0, 173, 389, 57, FULL},
        {115, -1, L"Button", L"右ジョイスティック", BS_TYPEMASK, BS_GROUPBOX, 0, 231, 389, 58, FULL},
        {117, 40080, L"Button", L"LED1", BS_TYPEMASK, BS_AUTOCHECKBOX, 18, 15, 32, 10, FULL},
        {117, 40081, L"Button", L"LED2", BS_TYPEMASK, BS_AUTOCHECKBOX, 78, 15, 32, 10, FULL},
        {117, 40082, L"Button", L"LED3", BS_TYPEMASK, BS_AUTOCHECKBOX, 138, 15, 32, 10, FULL},
        {117, 40083, L"Button", L"LED4", BS_TYPEMASK, BS_AUTOCHECKBOX, 197, 15, 32, 10, FULL},
        {117, 40094, L"Button", L"キーの入力間隔をコンピュータの設定に合わせる", BS_TYPEMASK, BS_AUTOCHECKBOX, 12, 38, 165, 10, FULL},
        {117, -1, L"Static", L"アナログキー補正", 0, 0, 11, 67, 70, 8, FULL},
        {117, 1001, L"ComboBox", L"", 3 | CBS_HASSTRINGS | CBS_SORT, CBS_DROPDOWNLIST | CBS_HASSTRINGS, 84, 65, 59, 15, NO_HEIGHT},
        {119, -1, L"Static", L"２個以上のWiiリモコンが見つかりました\n使用するWiiリモコンを選択してください", 0, 0, 7, 4, 119, 16, FULL},
        {119, 40090, L"SysListView32", L"", LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
         LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, 7, 24, 174, 50, FULL},
        {119, 1, L"Button", L"OK", BS_TYPEMASK, BS_DEFPUSHBUTTON, 75, 80, 50, 12, FULL},
        {119, 2, L"Button", L"キャンセル", BS_TYPEMASK, BS_PUSHBUTTON, 131, 80, 50, 12, FULL},
        {121, 1003, L"Button", L"キーボード", BS_TYPEMASK | WS_GROUP, BS_RADIOBUTTON | WS_GROUP, 6, 7, 49, 10, FULL},
        {121, 40101, L"Edit", L"", ES_NUMBER, 0, 156, 6, 80, 12, FULL},
        {121, 1004, L"Button", L"マウス", BS_TYPEMASK | WS_GROUP, BS_RADIOBUTTON, 6, 29, 34, 10, FULL},
        {121, 40102, L"ComboBox", L"", 3 | CBS_SORT, CBS_DROPDOWNLIST, 85, 29, 150, 30, NO_HEIGHT},
        {121, 40104, L"Static", L"移動量", 0, 0, 166, 49, 25, 8, FULL},
        {121, 40105, L"Edit", L"", ES_NUMBER, ES_NUMBER, 195, 46, 40, 12, FULL},
        {121, 1005, L"Button", L"アプリケーション", BS_TYPEMASK | WS_GROUP, BS_RADIOBUTTON, 6, 65, 62, 10, FULL},
        {121, 40106, L"Edit", L"", 0, 0, 15, 82, 189, 12, FULL},
        {121, 40107, L"Button", L"参照...", BS_TYPEMASK, BS_PUSHBUTTON, 207, 82, 29, 12, FULL},
        {121, 1006, L"Button", L"無効", BS_TYPEMASK | WS_GROUP, BS_RADIOBUTTON, 6, 103, 32, 10, FULL},
        {121, 1, L"Button", L"OK", BS_TYPEMASK, BS_PUSHBUTTON, 130, 103, 50, 12, FULL},
        {121, 2, L"Button", L"キャンセル", BS_TYPEMASK, BS_PUSHBUTTON, 188, 103, 50, 12, FULL},
        {133, 41039, L"Button", L"前回の設定を起動時に適用する", BS_TYPEMASK, BS_AUTOCHECKBOX, 15, 12, 119, 10, FULL},
        {133, 41042, L"Edit", L"", 0, 0, 26, 30, 249, 12, FULL},
        {133, 41043, L"Button", L"参照", BS_TYPEMASK, BS_PUSHBUTTON, 284, 30, 36, 12, FULL},
        {133, 1001, L"Button", L"起動と同時にWiiリモコンとの通信を行う", BS_TYPEMASK, BS_AUTOCHECKBOX, 15, 52, 137, 10, FULL},
        {133, -1, L"Static", L"接続タイムアウト", 0, 0, 15, 80, 52, 8, FULL},
        {133, 41051, L"ComboBox", L"", 3 | CBS_SORT, CBS_DROPDOWNLIST, 85, 79, 70, 30, NO_HEIGHT},
        {133, -1, L"Static", L"[ms]", 0, 0, 162, 81, 15, 8, FULL},
        {133, 1, L"Button", L"OK", BS_TYPEMASK, BS_DEFPUSHBUTTON, 221, 249, 50, 14, FULL},
        {133, 2, L"Button", L"キャンセル", BS_TYPEMASK, BS_PUSHBUTTON, 277, 249, 50, 14, FULL},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "dialog " << c.dlg << " control " << c.id);
        HWND dlg = Open(c.dlg);
        ASSERT_NE(nullptr, dlg);
        HWND ctl = c.id == IDC_STATIC ? FindStatic(dlg, c.text) : GetDlgItem(dlg, c.id);
        ASSERT_NE(nullptr, ctl);
        wchar_t cls[64];
        GetClassNameW(ctl, cls, 64);
        EXPECT_EQ(0, _wcsicmp(c.cls, cls)) << cls;
        EXPECT_EQ(std::wstring(c.text), Text(ctl));
        EXPECT_EQ(c.style, (DWORD)GetWindowLongW(ctl, GWL_STYLE) & c.mask);
        RECT want = Units(dlg, c.x, c.y, c.w, c.h), got = Placed(dlg, ctl);
        EXPECT_EQ(want.left, got.left);
        EXPECT_EQ(want.top, got.top);
        if (c.geo != AT_ONLY) {
            EXPECT_EQ(want.right, got.right);
        }
        if (c.geo == FULL) {
            EXPECT_EQ(want.bottom, got.bottom);
        }
    }
}

TEST_F(Dialogs, SlotButtonsAreOwnerDrawnWithTheirLabelJustLeftOfThem) {
    const struct { int dlg, id; const wchar_t *label; int x, y; } cases[] = {
        {111, 41007, L"[↑]", 162, 10}, {111, 41009, L"[←]", 35, 40}, {111, 41010, L"[→]", 292, 40},
        {111, 41008, L"[↓]", 162, 67}, {111, 41000, L"[A]", 35, 105}, {111, 41001, L"[B]", 162, 105},
        {111, 41002, L"[-]", 35, 150}, {111, 41003, L"[HOME]", 162, 150}, {111, 41004, L"[+]", 292, 150},
        {111, 41005, L"[1]", 35, 193}, {111, 41006, L"[2]", 162, 193},
        {113, 41011, L"[C]", 35, 12}, {113, 41012, L"[Z]", 162, 12}, {113, 41013, L"[↑]", 162, 53},
        {113, 41015, L"[←]", 35, 73}, {113, 41016, L"[→]", 290, 73}, {113, 41014, L"[↓]", 162, 94},
        {115, 41030, L"ZL", 35, 7}, {115, 41031, L"ZR", 292, 7}, {115, 41028, L"L", 35, 28},
        {115, 41029, L"R", 292, 27}, {115, 41019, L"-", 35, 49}, {115, 41020, L"HOME", 162, 49},
        {115, 41021, L"+", 292, 49}, {115, 41024, L"↑", 162, 74}, {115, 41026, L"←", 35, 89},
        {115, 41027, L"→", 292, 89}, {115, 41025, L"↓", 162, 105}, {115, 41022, L"X", 162, 126},
        {115, 41023, L"Y", 36, 142}, {115, 41017, L"A", 292, 142}, {115, 41018, L"B", 162, 159},
        {115, 41032, L"↑", 162, 181}, {115, 41034, L"←", 36, 197}, {115, 41035, L"→", 292, 196},
        {115, 41033, L"↓", 162, 213}, {115, 41036, L"↑", 162, 239}, {115, 41038, L"←", 36, 255},
        {115, 41039, L"→", 292, 254}, {115, 41037, L"↓", 162, 271},
    };
    ASSERT_EQ(IDC_SLOT_COUNT, (int)(sizeof cases / sizeof cases[0]));
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "slot button " << c.id);
        HWND dlg = Open(c.dlg), button = GetDlgItem(dlg, c.id);
        ASSERT_NE(nullptr, button);
        EXPECT_EQ(L"Button1", Text(button));
        DWORD style = GetWindowLongW(button, GWL_STYLE);
        EXPECT_EQ((DWORD)BS_OWNERDRAW, style & BS_TYPEMASK);
        EXPECT_TRUE(style & WS_TABSTOP);
        RECT want = Units(dlg, c.x, c.y, 80, 12), got = Placed(dlg, button);
        EXPECT_TRUE(EqualRect(&want, &got));
        // The nearest label on the button's row, to its left, names the button.
        HWND best = nullptr;
        for (HWND s = GetWindow(dlg, GW_CHILD); s; s = GetWindow(s, GW_HWNDNEXT)) {
            RECT r = Placed(dlg, s);
            if (GetDlgCtrlID(s) != IDC_STATIC || r.right > got.left || r.bottom <= got.top || r.top >= got.bottom) continue;
            if (!best || r.right > Placed(dlg, best).right) best = s;
        }
        ASSERT_NE(nullptr, best);
        EXPECT_EQ(std::wstring(c.label), Text(best));
        EXPECT_LE(got.left - Placed(dlg, best).right, Units(dlg, 0, 0, 4, 0).right);
    }
}

TEST(Bitmaps, KindGlyphsAre16By16WithTheirColours) {
    LOGBRUSH grey;
    GetObjectW(GetStockObject(GRAY_BRUSH), sizeof grey, &grey);
    const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
    const struct { int id; struct { int x, y; COLORREF c; } px[3]; } cases[] = {
        {126, {{0, 0, white}, {0, 3, black}, {7, 11, RGB(64, 64, 64)}}},       // keyboard, space bar
        {127, {{0, 15, white}, {8, 0, black}, {8, 10, white}}},                // mouse, cord, body
        {128, {{0, 0, grey.lbColor}, {7, 7, RGB(224, 0, 0)}, {2, 2, RGB(224, 0, 0)}}},  // red cross on grey
        {129, {{3, 3, RGB(0, 84, 227)}, {10, 2, RGB(224, 0, 0)}, {7, 10, white}}},     // title, close box
    };
    HDC dc = CreateCompatibleDC(nullptr);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        HBITMAP bmp = (HBITMAP)LoadImageW(Inst(), MAKEINTRESOURCEW(c.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        ASSERT_NE(nullptr, bmp);
        BITMAP info;
        GetObjectW(bmp, sizeof info, &info);
        EXPECT_EQ(16, info.bmWidth);
        EXPECT_EQ(16, info.bmHeight);
        EXPECT_EQ(24, info.bmBitsPixel);
        HGDIOBJ old = SelectObject(dc, bmp);
        for (const auto &p : c.px) EXPECT_EQ(p.c, GetPixel(dc, p.x, p.y)) << p.x << "," << p.y;
        SelectObject(dc, old);
        DeleteObject(bmp);
    }
    DeleteDC(dc);
}

TEST(Icons, ProgramIconsCarryTheirSizesAndLoad) {
    const struct { int id; std::vector<int> sizes; } cases[] = {{107, {32, 16}}, {108, {16}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        HRSRC res = FindResourceW(Inst(), MAKEINTRESOURCEW(c.id), RT_GROUP_ICON);
        ASSERT_NE(nullptr, res);
        const BYTE *dir = (const BYTE *)LockResource(LoadResource(Inst(), res));
        std::vector<int> sizes;
        for (int i = 0; i < *(const WORD *)(dir + 4); i++) sizes.push_back(dir[6 + 14 * i]);  // GRPICONDIRENTRY.bWidth
        EXPECT_EQ(c.sizes, sizes);
        for (int size : c.sizes) {
            HICON icon = (HICON)LoadImageW(Inst(), MAKEINTRESOURCEW(c.id), IMAGE_ICON, size, size, 0);
            ASSERT_NE(nullptr, icon) << size;
            ICONINFO ii;
            ASSERT_TRUE(GetIconInfo(icon, &ii));
            BITMAP bm;
            GetObjectW(ii.hbmColor, sizeof bm, &bm);
            EXPECT_EQ(size, bm.bmWidth);
            EXPECT_EQ(32, bm.bmBitsPixel);
            DeleteObject(ii.hbmColor);
            DeleteObject(ii.hbmMask);
            DestroyIcon(icon);
        }
    }
}

TEST(Manifest, AsksForCommonControls6AndTakesEffect) {
    HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(nullptr, res);
    std::string xml((const char *)LockResource(LoadResource(nullptr, res)), SizeofResource(nullptr, res));
    for (const char *part : {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                             "processorArchitecture=\"x86\"", "level=\"asInvoker\""})
        EXPECT_NE(std::string::npos, xml.find(part)) << part;
    // This executable carries the manifest itself, so the loader must have bound
    // comctl32 from the version 6 side-by-side assembly.
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH);
    CharLowerW(path);
    EXPECT_NE(nullptr, wcsstr(path, L"microsoft.windows.common-controls_6595b64144ccf1df_6.0")) << path;
}

}  // namespace
