#include "zan_fixture.h"

#include <shellapi.h>
#include <shlobj.h>

#include "input_seam.h"
#include "resident.h"
#include "setting_file.h"

ZanTest *g_pTest;

namespace {

CRITICAL_SECTION g_KeyLock;
std::vector<KeyEvent> g_Keys;

UINT WINAPI RecordInput(UINT cInputs, LPINPUT pInputs, int cbSize) {
    (void)cbSize;
    EnterCriticalSection(&g_KeyLock);
    for (UINT i = 0; i < cInputs; i++)
        if (pInputs[i].type == INPUT_KEYBOARD)
            g_Keys.push_back({pInputs[i].ki.wVk, (pInputs[i].ki.dwFlags & KEYEVENTF_KEYUP) != 0});
    LeaveCriticalSection(&g_KeyLock);
    return cInputs;
}

int WINAPI AnswerBox(HWND hOwner, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType) {
    g_pTest->boxes.push_back({hOwner, pszText, pszCaption, uType});
    if (g_pTest->whileBoxShown)
        g_pTest->whileBoxShown();
    return g_pTest->Answer();
}

BOOL AnswerFile(LPOPENFILENAMEW pOfn, bool bSave) {
    std::wstring filter;
    for (LPCWSTR p = pOfn->lpstrFilter; p && *p; p += lstrlenW(p) + 1)
        filter += std::wstring(p) + L"|";
    g_pTest->fileDialogs.push_back({bSave, pOfn->lpstrTitle ? pOfn->lpstrTitle : L"", filter, pOfn->Flags,
                                    pOfn->hwndOwner != NULL});
    if (g_pTest->fileAnswers.empty())
        return FALSE;
    std::wstring answer = g_pTest->fileAnswers.front();
    g_pTest->fileAnswers.pop_front();
    if (answer.empty())
        return FALSE;
    lstrcpynW(pOfn->lpstrFile, answer.c_str(), pOfn->nMaxFile);
    lstrcpynW(pOfn->lpstrFileTitle, PathFindFileNameW(answer.c_str()), pOfn->nMaxFileTitle);
    // As the system's dialog does: the current directory follows the user's browsing.
    if (!(pOfn->Flags & OFN_NOCHANGEDIR)) {
        WCHAR szFolder[MAX_PATH];
        lstrcpynW(szFolder, answer.c_str(), MAX_PATH);
        PathRemoveFileSpecW(szFolder);
        SetCurrentDirectoryW(szFolder);
    }
    return TRUE;
}

BOOL WINAPI RecordTray(DWORD dwMessage, PNOTIFYICONDATAW pData) {
    g_pTest->trayCalls.push_back({dwMessage, pData->uFlags, (pData->uFlags & NIF_TIP) ? pData->szTip : L"",
                                  (pData->uFlags & NIF_INFO) ? pData->szInfo : L""});
    return TRUE;
}

BOOL WINAPI AnswerOpen(LPOPENFILENAMEW pOfn) { return AnswerFile(pOfn, false); }
BOOL WINAPI AnswerSave(LPOPENFILENAMEW pOfn) { return AnswerFile(pOfn, true); }

struct DialogSearch {
    HWND hOwner;
    HWND hFound;
};

BOOL CALLBACK FindDialogProc(HWND hWnd, LPARAM lParam) {
    DialogSearch *pSearch = (DialogSearch *)lParam;
    WCHAR szClass[16];
    GetClassNameW(hWnd, szClass, 16);
    if (lstrcmpW(szClass, L"#32770") == 0 && IsWindowVisible(hWnd) && GetWindow(hWnd, GW_OWNER) == pSearch->hOwner) {
        pSearch->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

struct ModalDrive {
    std::function<bool(HWND)> driver;
    bool done;
    bool busy;     // the driver pumps messages itself; its own ticks must not re-enter it
    DWORD dwStart;
};
ModalDrive *g_pDrive;

VOID CALLBACK DriveTick(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_pDrive || g_pDrive->done || g_pDrive->busy)
        return;
    DialogSearch search = {g_pTest->hMain, NULL};
    EnumThreadWindows(GetCurrentThreadId(), FindDialogProc, (LPARAM)&search);
    if (!search.hFound)
        return;
    if (GetTickCount() - g_pDrive->dwStart > 10000) {
        g_pTest->timedOutDialog = true;
        g_pDrive->done = true;
        PostMessageW(search.hFound, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    g_pDrive->busy = true;
    bool bDone = g_pDrive->driver(search.hFound);
    g_pDrive->busy = false;
    if (bDone)
        g_pDrive->done = true;
}

void RemoveTree(const std::wstring &dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring full = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

// Bottom-up 32-bit copy of a window's rectangle as the screen shows it.
std::vector<DWORD> Capture(HWND hWnd, const RECT &rc) {
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    std::vector<DWORD> pixels;
    if (w <= 0 || h <= 0)
        return pixels;
    HDC hdc = GetDC(hWnd);
    HDC hMem = CreateCompatibleDC(hdc);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void *pBits = NULL;
    HBITMAP hBmp = CreateDIBSection(hdc, &bi, DIB_RGB_COLORS, &pBits, NULL, 0);
    HGDIOBJ hOld = SelectObject(hMem, hBmp);
    BitBlt(hMem, 0, 0, w, h, hdc, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    pixels.assign((DWORD *)pBits, (DWORD *)pBits + w * h);
    SelectObject(hMem, hOld);
    DeleteObject(hBmp);
    DeleteDC(hMem);
    ReleaseDC(hWnd, hdc);
    return pixels;
}

// Under Wine without a window manager, destroying a managed top-level window waits two
// seconds for a withdrawal no one confirms; this program's windows are made unmanaged.
struct UnmanagedUnderWine {
    UnmanagedUnderWine() {
        if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
            return;
        HKEY hKey;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\ui_main_test.exe\\X11 Driver", 0, NULL,
                            0, KEY_SET_VALUE, NULL, &hKey, NULL) == ERROR_SUCCESS) {
            RegSetValueExW(hKey, L"Managed", 0, REG_SZ, (const BYTE *)L"N", 2 * sizeof(WCHAR));
            RegCloseKey(hKey);
        }
    }
} g_Unmanaged;

}  // namespace

void WriteSetFile(const std::wstring &path, WORD wKey, BYTE bLeds) {
    ASSIGNMENT_SET set;
    InitAssignmentSet(&set);
    for (int i = 0; i < 4; i++)
        set.abLed[i] = (bLeds >> i) & 1;
    set.aAssign[0].nKind = ASSIGN_KEY;
    set.aAssign[0].nKeyCount = 1;
    set.aAssign[0].awKey[0] = wKey;
    WCHAR szPath[MAX_PATH];
    lstrcpynW(szPath, path.c_str(), MAX_PATH);
    ASSERT_EQ(1, WriteSettingFile(szPath, &set, 1));
}

int ZanTest::Answer() {
    if (boxAnswers.empty())
        return IDOK;
    int n = boxAnswers.front();
    boxAnswers.pop_front();
    return n;
}

void ZanTest::SetUp() {
    g_pTest = this;
    static LONG nRun;
    WCHAR szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    dir = std::wstring(szTemp) + L"zan_ui_main_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
          std::to_wstring(InterlockedIncrement(&nRun));
    RemoveTree(dir);
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), NULL));
    ini = Path(L"option.ini");
    WCHAR szCwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, szCwd);
    cwd = szCwd;
    InitializeCriticalSection(&g_KeyLock);
    g_Keys.clear();
    g_Seam.pfnSendInput = RecordInput;
    SetMessageBoxProc(AnswerBox);
    SetFileDialogProcs(AnswerOpen, AnswerSave);
    SetNotifyIconProc(RecordTray);
    ResetProgramState();
    SimInstall();
}

void ZanTest::TearDown() {
    SetCurrentDirectoryW(cwd.c_str());
    if (hMain && IsWindow(hMain)) {
        g_Options.bCloseToTray = 0;
        boxAnswers.clear();
        boxAnswers.push_back(IDNO);
        Close(IDNO);
    }
    SimUninstall();
    ResetInputSeam();
    SetMessageBoxProc(NULL);
    SetFileDialogProcs(NULL, NULL);
    SetNotifyIconProc(NULL);
    SetElevationProcs(NULL, NULL);
    DeleteCriticalSection(&g_KeyLock);
    EXPECT_EQ(0, CountPathTexts()) << "a path string outlived the window";
    RemoveTree(dir);
    g_pTest = nullptr;
}

void ZanTest::WriteOptions(int bInitSet, const std::wstring &settingFile, int bConnect, DWORD dwTimeout) {
    APP_OPTIONS options = {};
    options.bInitSet = bInitSet;
    lstrcpynW(options.szSettingFilename, settingFile.c_str(), MAX_PATH);
    options.bConnect = bConnect;
    options.dwTimeout = dwTimeout;
    options.bHighlightPressed = DEFAULT_HIGHLIGHT_PRESSED;
    options.bImmediateReaction = DEFAULT_IMMEDIATE_REACTION;
    WriteOptionsTo(ini.c_str(), &options);
}

void ZanTest::SetOption(const wchar_t *key, int value) {
    WritePrivateProfileStringW(L"option", key, std::to_wstring(value).c_str(), ini.c_str());
}

std::wstring ZanTest::TrayTip() {
    for (auto it = trayCalls.rbegin(); it != trayCalls.rend(); ++it)
        if (it->uFlags & NIF_TIP)
            return it->tip;
    return L"";
}

int ZanTest::Balloons(const std::wstring &text) {
    int n = 0;
    for (const TrayCall &call : trayCalls)
        n += (call.uFlags & NIF_INFO) && call.info == text;
    return n;
}

std::wstring ZanTest::ReadIniValue(const wchar_t *key) {
    WCHAR sz[MAX_PATH] = L"";
    GetPrivateProfileStringW(L"option", key, L"<missing>", sz, MAX_PATH, ini.c_str());
    return sz;
}

bool ZanTest::IniExists() {
    return GetFileAttributesW(ini.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ZanTest::Start(const wchar_t *commandLine) {
    hMain = StartZan(GetModuleHandleW(NULL), commandLine, SW_SHOWNORMAL, ini.c_str());
    ASSERT_TRUE(hMain != NULL);
    PumpFor(50);
}

bool ZanTest::Close(int answer) {
    boxAnswers.push_back(answer);
    SendMessageW(hMain, WM_CLOSE, 0, 0);
    bool bClosed = !IsWindow(hMain);
    if (bClosed) {
        // Handle what is left up to the quit message the destruction posted.
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE) && msg.message != WM_QUIT)
            DispatchMessageW(&msg);
        hMain = NULL;
    }
    return bClosed;
}

void ZanTest::DriveModal(const std::function<void()> &open, const std::function<bool(HWND)> &driver) {
    ModalDrive drive = {driver, false, false, GetTickCount()};
    g_pDrive = &drive;
    UINT_PTR uTimer = SetTimer(NULL, 0, 20, DriveTick);
    open();
    KillTimer(NULL, uTimer);
    g_pDrive = nullptr;
    EXPECT_FALSE(timedOutDialog) << "a dialog was left open";
}

void ZanTest::Drop(const std::vector<std::wstring> &paths) {
    size_t cch = 1;
    for (const std::wstring &p : paths)
        cch += p.size() + 1;
    HGLOBAL hDrop = GlobalAlloc(GHND, sizeof(DROPFILES) + cch * sizeof(WCHAR));
    DROPFILES *pDrop = (DROPFILES *)GlobalLock(hDrop);
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = TRUE;
    WCHAR *psz = (WCHAR *)(pDrop + 1);
    for (const std::wstring &p : paths) {
        CopyMemory(psz, p.c_str(), (p.size() + 1) * sizeof(WCHAR));
        psz += p.size() + 1;
    }
    *psz = L'\0';
    GlobalUnlock(hDrop);
    SendMessageW(hMain, WM_DROPFILES, (WPARAM)hDrop, 0);
}

std::wstring ZanTest::Title() {
    WCHAR sz[MAX_PATH] = L"";
    GetWindowTextW(hMain, sz, MAX_PATH);
    return sz;
}

std::wstring ZanTest::StatusText(int part) {
    WCHAR sz[MAX_PATH] = L"";
    DWORD dw = (DWORD)SendMessageW(g_App.hStatus, SB_GETTEXTLENGTHW, part, 0);
    if (LOWORD(dw) < MAX_PATH)
        SendMessageW(g_App.hStatus, SB_GETTEXTW, part, (LPARAM)sz);
    return sz;
}

bool ZanTest::MenuGreyed(UINT id) {
    return (GetMenuState(GetMenu(hMain), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

COLORREF ZanTest::FramePixel() { return Pixel(hMain, 1, 1); }

COLORREF ZanTest::Pixel(HWND hWnd, int x, int y) {
    UpdateWindow(hWnd);
    RECT rc = {x, y, x + 1, y + 1};
    std::vector<DWORD> px = Capture(hWnd, rc);
    if (px.empty())
        return CLR_INVALID;
    DWORD bgr = px[0];
    return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
}

int ZanTest::BatteryPixels(bool red) {
    RedrawWindow(g_App.hStatus, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT rc;
    SendMessageW(g_App.hStatus, SB_GETRECT, 1, (LPARAM)&rc);
    int n = 0;
    for (DWORD px : Capture(g_App.hStatus, rc)) {
        int r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
        if (red ? (r > 150 && g < 100 && b < 100) : (r < 90 && g < 90 && b < 90))
            n++;
    }
    return n;
}

std::vector<KeyEvent> ZanTest::Keys() {
    EnterCriticalSection(&g_KeyLock);
    std::vector<KeyEvent> copy = g_Keys;
    LeaveCriticalSection(&g_KeyLock);
    return copy;
}

int ZanTest::CountKey(WORD wVk, bool bUp) {
    int n = 0;
    for (const KeyEvent &e : Keys())
        n += e.wVk == wVk && e.bUp == bUp;
    return n;
}
