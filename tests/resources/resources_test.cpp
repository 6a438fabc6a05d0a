// Zan's compiled resources, read back through the Win32 loaders: only what the code looks
// up by id (strings, commands, slot buttons, bitmaps, icons) and the manifest. The tables use literal numbers: a wrong value in resource.h moves a
// resource away from the number the program is known by.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resource.h"

namespace {

HINSTANCE Inst() { return GetModuleHandleW(nullptr); }

static_assert(IDC_SLOT_FIRST + IDC_SLOT_COUNT - 1 == IDC_SLOT_LAST, "slot range");
static_assert(IDS_MOUSE_ACTION_FIRST + IDS_MOUSE_ACTION_COUNT - 1 == IDS_MOUSE_SCROLL_RIGHT, "mouse names");
static_assert(IDS_CORRECTION_FIRST + IDS_CORRECTION_COUNT - 1 == IDS_CORRECTION_STRONG, "levels");

TEST(StringTable, EveryStringTheCodeLoadsHasItsText) {
    const struct { UINT id; const wchar_t *text; } cases[] = {
        {109, L"ZAN"}, {40000, L"Zan"},
        {40001, L"左クリック"}, {40002, L"ダブルクリック"}, {40003, L"中クリック"}, {40004, L"右クリック"},
        {40005, L"上移動"}, {40006, L"下移動"}, {40007, L"左移動"}, {40008, L"右移動"},
        {40009, L"上スクロール"}, {40010, L"下スクロール"}, {40011, L"左スクロール"}, {40012, L"右スクロール"},
        {40013, L"なし"}, {40014, L"弱"}, {40015, L"中"}, {40016, L"強"},
        {40320, L"なし"}, {40321, L"IRポインタ"}, {40322, L"ジャイロ"}, {40323, L"画面の上"}, {40324, L"画面の下"},
        {40340, L"A"}, {40350, L"→"}, {40351, L"ヌンチャク C"}, {40379, L"クラシック 右スティック→"},
    };
    for (const auto &c : cases) {
        wchar_t buf[64] = L"";
        int n = LoadStringW(Inst(), c.id, buf, 64);
        EXPECT_EQ(std::wstring(c.text), std::wstring(buf, n > 0 ? n : 0)) << "string " << c.id;
    }
}

// Every command the window procedures switch on is reachable from its menu (menu id, popup
// index or -1 for the menu bar, command).
TEST(Menus, CarryTheCommandsTheCodeHandles) {
    const struct { int menu, popup; UINT cmd; } cases[] = {
        {109, -1, 40003}, {109, -1, 40004}, {109, -1, 40005}, {109, -1, 105}, {109, -1, 40000}, {109, -1, 200},
        {109, -1, 201}, {109, -1, 40001}, {109, -1, 104}, {131, SLOT_MENU_POPUP, 40000}, {131, SLOT_MENU_POPUP, 40002},
        {131, SLOT_MENU_POPUP, 40003}, {131, SLOT_MENU_POPUP, 40009}, {131, SLOT_MENU_POPUP, 40004},
        {131, SLOT_MENU_POPUP, 40006}, {131, SLOT_MENU_POPUP, 40007}, {131, SLOT_MENU_POPUP, 40008},
        {131, DRAG_MENU_POPUP, 40000}, {131, DRAG_MENU_POPUP, 40002},
    };
    for (const auto &c : cases) {
        HMENU menu = LoadMenuW(Inst(), MAKEINTRESOURCEW(c.menu));
        ASSERT_NE(nullptr, menu) << c.menu;
        HMENU where = c.popup < 0 ? menu : GetSubMenu(menu, c.popup);
        EXPECT_NE((UINT)-1, GetMenuState(where, c.cmd, MF_BYCOMMAND)) << c.menu << "/" << c.popup << " " << c.cmd;
        DestroyMenu(menu);
    }
}

INT_PTR CALLBACK TemplateOnly(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// Every slot button is there and owner-drawn (the pages draw them). The other controls are
// driven by the window and dialog tests with the messages of their class.
TEST(Dialogs, EverySlotButtonIsOwnerDrawn) {
    // The pages are child templates: they need a parent.
    HWND host = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 800, 700, nullptr, nullptr, Inst(), nullptr);
    int nSlots = 0;
    for (int page : {111, 113, 115}) {
        HWND dlg = CreateDialogParamW(Inst(), MAKEINTRESOURCEW(page), host, TemplateOnly, 0);
        ASSERT_NE(nullptr, dlg) << page;
        for (int id = IDC_SLOT_FIRST; id <= IDC_SLOT_LAST; id++) {
            HWND button = GetDlgItem(dlg, id);
            nSlots += button != NULL;
            EXPECT_TRUE(!button || (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW) << id;
        }
        DestroyWindow(dlg);
    }
    EXPECT_EQ(IDC_SLOT_COUNT, nSlots);
    DestroyWindow(host);
}

// The slots draw the kind bitmaps as 16 by 16 squares.
TEST(Images, KindBitmapsAreSixteenSquareAndTheIconsLoad) {
    for (int id : {126, 127, 128, 129}) {
        BITMAP info = {};
        HBITMAP bmp = LoadBitmapW(Inst(), MAKEINTRESOURCEW(id));
        EXPECT_TRUE(GetObjectW(bmp, sizeof info, &info) && info.bmWidth == 16 && info.bmHeight == 16) << id;
        DeleteObject(bmp);
    }
    for (int id : {107, 108})
        EXPECT_NE(nullptr, LoadIconW(Inst(), MAKEINTRESOURCEW(id))) << id;
}

// Windows picks an icon of the size it needs at 100 to 200 % (a 0 in the directory is 256).
TEST(Images, IconsCarryTheSizesWindowsAsksFor) {
    const struct { int id; std::vector<int> sizes; } icons[] = {
        {107, {16, 20, 24, 32, 48, 256}},
        {108, {16, 20, 24, 32}},
    };
    for (const auto &icon : icons) {
        HRSRC res = FindResourceW(Inst(), MAKEINTRESOURCEW(icon.id), RT_GROUP_ICON);
        ASSERT_NE(nullptr, res) << icon.id;
        const BYTE *dir = (const BYTE *)LockResource(LoadResource(Inst(), res));
        std::vector<int> sizes;
        for (int i = 0; i < *(const WORD *)(dir + 4); i++)
            sizes.push_back(dir[6 + 14 * i] ? dir[6 + 14 * i] : 256);
        EXPECT_EQ(icon.sizes, sizes) << icon.id;
        for (int size : icon.sizes) {
            HICON hIcon = (HICON)LoadImageW(Inst(), MAKEINTRESOURCEW(icon.id), IMAGE_ICON, size, size, 0);
            EXPECT_NE(nullptr, hIcon) << icon.id << " at " << size;
            DestroyIcon(hIcon);
        }
    }
}

TEST(Manifest, AsksForCommonControls6AndTakesEffect) {
    HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(nullptr, res);
    std::string xml((const char *)LockResource(LoadResource(nullptr, res)), SizeofResource(nullptr, res));
    // The architecture named must be the program's own, for Zan and for the common controls.
    const char *arch = sizeof(void *) == 8 ? "processorArchitecture=\"amd64\"" : "processorArchitecture=\"x86\"";
    // Sharp text at 125 % and more, and Windows 7 to 11 named (10/11 share one id).
    for (const char *part : {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"", "level=\"asInvoker\"",
                             ">true</gdiScaling>", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(std::string::npos, xml.find(part)) << part;
    size_t first = xml.find(arch);
    EXPECT_TRUE(first != std::string::npos && xml.find(arch, first + 1) != std::string::npos) << xml;
    EXPECT_EQ(std::string::npos, xml.find(sizeof(void *) == 8 ? "\"x86\"" : "\"amd64\"")) << xml;
    // The executable carries the manifest, so comctl32 must come from the version 6 assembly.
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH);
    CharLowerW(path);
    EXPECT_NE(nullptr, wcsstr(path, L"microsoft.windows.common-controls_6595b64144ccf1df_6.0")) << path;
}

}  // namespace
