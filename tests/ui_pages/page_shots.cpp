// page_shots OUTDIR: shows the three assignment pages with a demo set, the options page
// and the key setting dialog, and saves each as OUTDIR\page_*.bmp.
#include <windows.h>

#include <string>

#include "dialogs.h"
#include "key_dialog.h"
#include "page_fixture.h"
#include "resource.h"

namespace {

std::wstring g_outDir;

void SaveWindow(HWND hWnd, const wchar_t *pszName) {
    RECT rc;
    GetWindowRect(hWnd, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    HDC hScreen = GetDC(NULL);
    HDC hMem = CreateCompatibleDC(hScreen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void *pBits = nullptr;
    HBITMAP hBmp = CreateDIBSection(hScreen, &bi, DIB_RGB_COLORS, &pBits, NULL, 0);
    HGDIOBJ hOld = SelectObject(hMem, hBmp);
    BitBlt(hMem, 0, 0, w, h, hScreen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    int cbRow = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER bf = {};
    bf.bfType = 0x4D42;
    bf.bfOffBits = sizeof(bf) + sizeof(BITMAPINFOHEADER);
    bf.bfSize = bf.bfOffBits + cbRow * h;
    std::wstring path = g_outDir + L"\\" + pszName + L".bmp";
    HANDLE hFile = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD cb;
    WriteFile(hFile, &bf, sizeof(bf), &cb, NULL);
    WriteFile(hFile, &bi.bmiHeader, sizeof(bi.bmiHeader), &cb, NULL);
    WriteFile(hFile, pBits, cbRow * h, &cb, NULL);
    CloseHandle(hFile);
    SelectObject(hMem, hOld);
    DeleteObject(hBmp);
    DeleteDC(hMem);
    ReleaseDC(NULL, hScreen);
}

void Show(DWORD dwMs) {
    PumpUntil([] { return false; }, dwMs);
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    g_outDir = argc > 1 ? argv[1] : L".";
    CreateRecordLock();
    FillDemoSet();
    HWND hHost = CreatePageHost(GetModuleHandleW(NULL));
    SetWindowTextW(hHost, L"Zan");
    const wchar_t *names[PAGE_COUNT] = {L"page_remote", L"page_nunchuk", L"page_classic", L"page_options"};
    for (int i = 0; i < PAGE_COUNT; i++) {
        ShowPage(i);
        Show(400);
        SaveWindow(hHost, names[i]);
    }
    // The key setting dialog on slot 4 ({Ctrl}{Shift}{S}), captured while it runs.
    ShowPage(0);
    DialogScript script;
    script.body = [](HWND hDlg) {
        Show(400);
        SaveWindow(hDlg, L"page_key_dialog");
        SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    };
    script.Arm();
    DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_KEY_SETTING), g_App.ahPage[0], KeySettingDlgProc,
                    (LPARAM)&g_CurrentSet.aAssign[4]);
    // And a mouse slot with its amount.
    script.body = [](HWND hDlg) {
        Show(400);
        SaveWindow(hDlg, L"page_key_dialog_mouse");
        SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    };
    script.Arm();
    DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_KEY_SETTING), g_App.ahPage[1], KeySettingDlgProc,
                    (LPARAM)&g_CurrentSet.aAssign[13]);
    DestroyPageHost(hHost);
    ReleaseAssignmentPaths(&g_CurrentSet);
    return 0;
}
