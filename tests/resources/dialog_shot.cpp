// dialog_shot OUTDIR ID...: shows each dialog of Zan's resources on the screen,
// filled with sample content so the Japanese texts and the kind glyphs show,
// and saves what the screen holds as OUTDIR\dialog_ID.bmp.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "resource.h"

namespace {

HINSTANCE g_inst;
HBITMAP g_glyphs[4];

std::wstring Str(UINT id) {
    wchar_t buf[128] = L"";
    LoadStringW(g_inst, id, buf, 128);
    return buf;
}

// A preview of a slot button: glyph at the left, text at the bottom centre, black frame.
void DrawSlot(const DRAWITEMSTRUCT *di) {
    int kind = (di->CtlID - IDC_SLOT_FIRST) % 4;
    static const wchar_t *const texts[] = {L"未使用", L"{Ctrl}{S}", L"左クリック", L"notepad.exe"};
    RECT r = di->rcItem;
    FillRect(di->hDC, &r, (HBRUSH)GetStockObject(kind == 0 ? GRAY_BRUSH : WHITE_BRUSH));
    int m = (r.bottom - r.top - 16) / 2;
    HDC mem = CreateCompatibleDC(di->hDC);
    HGDIOBJ old = SelectObject(mem, g_glyphs[kind]);
    BitBlt(di->hDC, m, m, 16, 16, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    SetBkMode(di->hDC, TRANSPARENT);
    RECT t = {1, 1, r.right - 1, r.bottom - 1};
    DrawTextW(di->hDC, texts[kind], -1, &t, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
    SelectObject(di->hDC, GetStockObject(NULL_BRUSH));
    SelectObject(di->hDC, GetStockObject(BLACK_PEN));
    Rectangle(di->hDC, r.left, r.top, r.right, r.bottom);
}

void Fill(HWND dlg, int id) {
    switch (id) {
    case IDD_KEY_SETTING:
        for (int i = 0; i < IDS_MOUSE_ACTION_COUNT; i++)
            SendDlgItemMessageW(dlg, IDC_MOUSE_ACTION, CB_ADDSTRING, 0, (LPARAM)Str(IDS_MOUSE_ACTION_FIRST + i).c_str());
        SendDlgItemMessageW(dlg, IDC_MOUSE_ACTION, CB_SETCURSEL, 4, 0);
        CheckDlgButton(dlg, IDC_KIND_MOUSE, BST_CHECKED);
        SetDlgItemTextW(dlg, IDC_KEY_FIELD, L"{Ctrl}{Shift}{S}");
        SetDlgItemTextW(dlg, IDC_MOVE_AMOUNT, L"300");
        SetDlgItemTextW(dlg, IDC_APP_PATH, L"C:\\Windows\\notepad.exe");
        break;
    case IDD_OPTIONS:
        for (const wchar_t *t : {L"500", L"1000", L"2000", L"3000", L"5000"})
            SendDlgItemMessageW(dlg, IDC_OPT_TIMEOUT, CB_ADDSTRING, 0, (LPARAM)t);
        SendDlgItemMessageW(dlg, IDC_OPT_TIMEOUT, CB_SETCURSEL, 1, 0);
        CheckDlgButton(dlg, IDC_OPT_INIT_SET, BST_CHECKED);
        CheckDlgButton(dlg, IDC_OPT_CONNECT, BST_CHECKED);
        SetDlgItemTextW(dlg, IDC_OPT_SETTING_FILE, L"C:\\Zan\\サンプル.zan");
        break;
    case IDD_PAGE_OPTIONS:
        for (int i = 0; i < IDS_CORRECTION_COUNT; i++)
            SendDlgItemMessageW(dlg, IDC_ANALOG_CORRECTION, CB_ADDSTRING, 0, (LPARAM)Str(IDS_CORRECTION_FIRST + i).c_str());
        SendDlgItemMessageW(dlg, IDC_ANALOG_CORRECTION, CB_SETCURSEL, 2, 0);
        CheckDlgButton(dlg, IDC_LED1, BST_CHECKED);
        break;
    case IDD_SELECT_REMOTE: {
        HWND list = GetDlgItem(dlg, IDC_REMOTE_LIST);
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
        const wchar_t *heads[] = {L"Wiiリモコン", L"バッテリー"};
        for (int c = 0; c < 2; c++) {
            LVCOLUMNW col = {};
            col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            col.fmt = LVCFMT_LEFT;
            col.cx = 100;
            col.pszText = (LPWSTR)heads[c];
            ListView_InsertColumn(list, c, &col);
        }
        for (int r = 0; r < 2; r++) {
            wchar_t name[32], battery[8];
            swprintf(name, 32, L"Wiiリモコン [%d]", r + 1);
            swprintf(battery, 8, L"%d%%", 80 - 30 * r);
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = r;
            item.pszText = name;
            ListView_InsertItem(list, &item);
            ListView_SetItemText(list, r, 1, battery);
        }
        ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        break;
    }
    case IDD_ABOUTBOX:
        SendDlgItemMessageW(dlg, IDC_ABOUT_ICON, STM_SETICON, (WPARAM)LoadIconW(g_inst, MAKEINTRESOURCEW(IDI_ZAN)), 0);
        break;
    }
}

INT_PTR CALLBACK Preview(HWND, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DRAWITEM && wp >= IDC_SLOT_FIRST && wp <= IDC_SLOT_LAST) {
        DrawSlot((const DRAWITEMSTRUCT *)lp);
        return TRUE;
    }
    return msg == WM_INITDIALOG;
}

void Pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    while ((LONG)(end - GetTickCount()) > 0) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        Sleep(10);
    }
}

bool SaveScreen(const RECT &r, const std::wstring &path) {
    int w = r.right - r.left, h = r.bottom - r.top, stride = (w * 3 + 3) & ~3;
    BITMAPINFOHEADER bi = {};
    bi.biSize = sizeof bi;
    bi.biWidth = w;
    bi.biHeight = h;
    bi.biPlanes = 1;
    bi.biBitCount = 24;
    bi.biSizeImage = stride * h;
    void *bits = nullptr;
    HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
    HBITMAP dib = CreateDIBSection(screen, (BITMAPINFO *)&bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    // A dialog on the screen has a caption, a face, a frame and text: far more
    // than a handful of colours. A blank or black capture has one or two.
    const BYTE *px = (const BYTE *)bits;
    int distinct = 0;
    DWORD seen[8] = {};
    for (int y = 0; y < h && distinct < 8; y++)
        for (int x = 0; x < w && distinct < 8; x++) {
            const BYTE *p = px + y * stride + x * 3;
            DWORD c = p[0] | p[1] << 8 | p[2] << 16;
            bool known = false;
            for (int i = 0; i < distinct; i++) known = known || seen[i] == c;
            if (!known) seen[distinct++] = c;
        }
    if (distinct < 8) fwprintf(stderr, L"%ls: the capture is nearly blank\n", path.c_str());
    BITMAPFILEHEADER bf = {0x4D42, (DWORD)(sizeof bf + sizeof bi + bi.biSizeImage), 0, 0, sizeof bf + sizeof bi};
    FILE *f = _wfopen(path.c_str(), L"wb");
    bool ok = distinct >= 8 && f && fwrite(&bf, sizeof bf, 1, f) == 1 && fwrite(&bi, sizeof bi, 1, f) == 1 &&
              fwrite(bits, bi.biSizeImage, 1, f) == 1;
    if (f) fclose(f);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

int Shoot(const std::wstring &dir, int id) {
    // Child templates (the pages) need a visible top-level window around them.
    HWND host = CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_BORDER, 20, 20, 10, 10, nullptr, nullptr, g_inst, nullptr);
    HWND dlg = CreateDialogParamW(g_inst, MAKEINTRESOURCEW(id), host, Preview, 0);
    if (!dlg) return fwprintf(stderr, L"dialog %d: not created (%lu)\n", id, GetLastError()), 1;
    Fill(dlg, id);
    HWND shown = dlg;
    if (GetWindowLongW(dlg, GWL_STYLE) & WS_CHILD) {
        RECT r;
        GetWindowRect(dlg, &r);
        SetWindowPos(host, HWND_TOP, 20, 20, r.right - r.left + 2, r.bottom - r.top + 2, SWP_SHOWWINDOW);
        shown = host;
    } else {
        SetWindowPos(dlg, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE);
    }
    ShowWindow(dlg, SW_SHOW);
    UpdateWindow(shown);
    Pump(700);
    RECT r;
    GetWindowRect(shown, &r);
    bool ok = SaveScreen(r, dir + L"\\dialog_" + std::to_wstring(id) + L".bmp");
    DestroyWindow(dlg);
    DestroyWindow(host);
    Pump(100);
    return ok ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    HINSTANCE inst = g_inst = GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    g_glyphs[0] = LoadBitmapW(inst, MAKEINTRESOURCEW(IDB_ASSIGN_DISABLED));
    g_glyphs[1] = LoadBitmapW(inst, MAKEINTRESOURCEW(IDB_ASSIGN_KEY));
    g_glyphs[2] = LoadBitmapW(inst, MAKEINTRESOURCEW(IDB_ASSIGN_MOUSE));
    g_glyphs[3] = LoadBitmapW(inst, MAKEINTRESOURCEW(IDB_ASSIGN_APPLICATION));
    if (argc < 3) return 2;
    int failures = 0;
    for (int i = 2; i < argc; i++) failures += Shoot(argv[1], _wtoi(argv[i]));
    return failures;
}
