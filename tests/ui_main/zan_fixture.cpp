#include "zan_fixture.h"

#include <uxtheme.h>

#include <shlwapi.h>

#include <algorithm>
#include <filesystem>

#include "input_seam.h"
#include "program_watch.h"
#include "resident.h"
#include "setting_file.h"
#include "ui_seam.h"

ZanTest *g_pTest;

namespace {

CRITICAL_SECTION g_KeyLock;
std::vector<KeyEvent> g_Keys;

UINT WINAPI RecordInput(UINT cInputs, LPINPUT pInputs, int) {
    EnterCriticalSection(&g_KeyLock);
    for (UINT i = 0; i < cInputs; i++)
        if (pInputs[i].type == INPUT_KEYBOARD)
            g_Keys.push_back({pInputs[i].ki.wVk, (pInputs[i].ki.dwFlags & KEYEVENTF_KEYUP) != 0});
    LeaveCriticalSection(&g_KeyLock);
    return cInputs;
}

// The next scripted answer, or the default when none is left.
template <class T> T Take(std::deque<T> &answers, T byDefault) {
    if (answers.empty())
        return byDefault;
    T answer = answers.front();
    answers.pop_front();
    return answer;
}

int WINAPI AnswerBox(HWND hOwner, LPCWSTR pszText, LPCWSTR, UINT) {
    g_pTest->boxes.push_back({hOwner, pszText});
    if (g_pTest->whileBoxShown)
        g_pTest->whileBoxShown();
    return Take(g_pTest->boxAnswers, IDOK);
}

BOOL AnswerFile(LPOPENFILENAMEW pOfn, bool bSave) {
    g_pTest->fileDialogs.push_back({bSave, pOfn->Flags});
    if (g_pTest->whileBoxShown)
        g_pTest->whileBoxShown();
    std::wstring answer = Take(g_pTest->fileAnswers, std::wstring());
    if (answer.empty())
        return FALSE;
    lstrcpynW(pOfn->lpstrFile, answer.c_str(), pOfn->nMaxFile);
    lstrcpynW(pOfn->lpstrFileTitle, PathFindFileNameW(answer.c_str()), pOfn->nMaxFileTitle);
    // As the system's dialog does: the current directory follows the user's browsing.
    if (!(pOfn->Flags & OFN_NOCHANGEDIR))
        SetCurrentDirectoryW(std::filesystem::path(answer).parent_path().c_str());
    return TRUE;
}

BOOL WINAPI AnswerOpen(LPOPENFILENAMEW pOfn) { return AnswerFile(pOfn, false); }
BOOL WINAPI AnswerSave(LPOPENFILENAMEW pOfn) { return AnswerFile(pOfn, true); }
int AnswerMenu(HMENU hMenu, int, int, HWND) {
    std::vector<UINT> enabled;
    for (int i = 0; i < GetMenuItemCount(hMenu); i++) {
        UINT uId = GetMenuItemID(hMenu, i);
        if (uId != (UINT)-1 && uId && !(GetMenuState(hMenu, i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)))
            enabled.push_back(uId);
    }
    g_pTest->menuEnabled.push_back(enabled);
    return Take(g_pTest->menuAnswers, 0);
}

BOOL WINAPI RecordTray(DWORD dwMessage, PNOTIFYICONDATAW pData) {
    g_pTest->trayMessages.push_back(dwMessage);
    bool &there = g_pTest->trayIconThere;
    switch (dwMessage) {
    case NIM_ADD:
        if (g_pTest->trayAddFailures > 0 && g_pTest->trayAddFailures--)
            return FALSE;
        if (there)
            return FALSE;
        there = true;
        break;
    case NIM_DELETE: {
        bool was = there;
        there = false;
        return was;
    }
    default:
        if (!there)
            return FALSE;
    }
    if (pData->uFlags & NIF_TIP)
        g_pTest->tips.push_back(pData->szTip);
    if (pData->uFlags & NIF_INFO) {
        g_pTest->balloons.push_back(pData->szInfo);
        g_pTest->balloonFlags.push_back(pData->dwInfoFlags);
    }
    return TRUE;
}

BOOL WINAPI RecordShutdownReason(HWND, LPCWSTR pszReason) {
    g_pTest->shutdownReason = pszReason;
    return TRUE;
}

BOOL WINAPI ClearShutdownReason(HWND) {
    g_pTest->shutdownReason.clear();
    return TRUE;
}

BOOL WINAPI RecordMessageFilter(HWND hWnd, UINT uMsg, DWORD dwAction, PCHANGEFILTERSTRUCT) {
    if (dwAction == MSGFLT_ALLOW && GetWindowLongPtrW(hWnd, GWLP_WNDPROC) == (LONG_PTR)MainWndProc)
        g_pTest->allowedMessages.push_back(uMsg);
    return TRUE;
}

HRESULT WINAPI RecordTabTexture(HWND hWnd, DWORD dwFlags) {
    if (dwFlags == ETDT_ENABLETAB)
        g_pTest->texturedPages.push_back(hWnd);
    return S_OK;
}

HWINEVENTHOOK WINAPI RecordEventHook(DWORD dwMin, DWORD dwMax, HMODULE, WINEVENTPROC pfnProc, DWORD, DWORD, DWORD) {
    if (g_pTest->refuseEventHook || dwMin != EVENT_SYSTEM_FOREGROUND || dwMax != EVENT_SYSTEM_FOREGROUND)
        return NULL;
    g_pTest->pfnForegroundEvent = pfnProc;
    return (HWINEVENTHOOK)&g_pTest->pfnForegroundEvent;
}

BOOL WINAPI ForgetEventHook(HWINEVENTHOOK hHook) {
    EXPECT_EQ((HWINEVENTHOOK)&g_pTest->pfnForegroundEvent, hHook);
    g_pTest->pfnForegroundEvent = nullptr;
    return TRUE;
}

DWORD AnswerForeground(WCHAR *pszName, int cchName) {
    lstrcpynW(pszName, g_pTest->foregroundName.c_str(), cchName);
    return g_pTest->dwForegroundProcess;
}

struct ModalDrive {
    std::function<void(HWND)> driver;
    bool done;
    DWORD dwStart;
};
ModalDrive *g_pDrive;

// Hands the dialog the main window shows to the driver once; cancels one left open.
VOID CALLBACK DriveTick(HWND, UINT, UINT_PTR, DWORD) {
    HWND hDlg = g_pDrive ? GetLastActivePopup(g_pTest->hMain) : NULL;
    if (!hDlg || hDlg == g_pTest->hMain || !IsWindowVisible(hDlg))
        return;
    if (!g_pDrive->done) {
        // Set first: a driver that pumps messages itself must not be entered again by its own ticks.
        g_pDrive->done = true;
        g_pDrive->driver(hDlg);
    } else if (GetTickCount() - g_pDrive->dwStart > 10000) {
        g_pTest->timedOutDialog = true;
        PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    }
}

}  // namespace

void WriteSetFile(const std::wstring &path, WORD wKey, BYTE bLeds, BYTE nCorrection) {
    ASSIGNMENT_SET set;
    InitAssignmentSet(&set);
    set.nAnalogCorrection = nCorrection;
    for (int i = 0; i < 4; i++)
        set.abLed[i] = (bLeds >> i) & 1;
    set.aAssign[0].nKind = ASSIGN_KEY;
    set.aAssign[0].nKeyCount = 1;
    set.aAssign[0].awKey[0] = wKey;
    WCHAR szPath[MAX_PATH];
    lstrcpynW(szPath, path.c_str(), MAX_PATH);
    ASSERT_EQ(1, WriteSettingFile(szPath, &set, 1));
}

void AssignKey(int nSlot, WORD wVk) {
    LockRecord();
    ASSIGNMENT &a = g_CurrentSet.aAssign[nSlot];
    a.nKind = ASSIGN_KEY;
    a.nKeyCount = 1;
    a.awKey[0] = wVk;
    UnlockRecord();
}

int Polling(int nSlot) {
    WM_SYSTEM system = {};
    system.dwFlags = WMSYS_AUTOUPDATE;
    return wm_GetSystem(nSlot, &system) == 1 ? system.bAutoUpdate : -1;
}

// As Windows reports it, queued to the thread that set the hook.
void ZanTest::ForegroundMoved() {
    ASSERT_TRUE(pfnForegroundEvent) << "no foreground hook";
    pfnForegroundEvent((HWINEVENTHOOK)&pfnForegroundEvent, EVENT_SYSTEM_FOREGROUND, GetForegroundWindow(), OBJID_WINDOW,
                       CHILDID_SELF, GetCurrentThreadId(), GetTickCount());
}

void ZanTest::SetUp() {
    g_pTest = this;
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dir = (std::filesystem::temp_directory_path() / ("zan_ui_main_" + name)).wstring();
    std::error_code error;
    std::filesystem::remove_all(dir, error);
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), NULL));
    ini = Path(L"option.ini");
    cwd = std::filesystem::current_path().wstring();
    InitializeCriticalSection(&g_KeyLock);
    g_Keys.clear();
    INPUT_SEAM input = g_Seam;
    input.pfnSendInput = RecordInput;
    SetInputSeam(&input);
    UI_SEAM ui = g_UiSeam;
    ui.pfnMessageBox = AnswerBox;
    ui.pfnGetOpenFileName = AnswerOpen;
    ui.pfnGetSaveFileName = AnswerSave;
    ui.pfnTrackMenu = AnswerMenu;
    ui.pfnNotifyIcon = RecordTray;
    ui.pfnShutdownBlockReasonCreate = RecordShutdownReason;
    ui.pfnChangeWindowMessageFilterEx = RecordMessageFilter;
    ui.pfnEnableThemeDialogTexture = RecordTabTexture;
    ui.pfnShutdownBlockReasonDestroy = ClearShutdownReason;
    ui.pfnWindowElevation = [](HWND hWnd) { return hWnd && hWnd == g_pTest->hElevated ? 1 : 0; };
    ui.pfnSelfElevation = [] { return 0; };
    ui.pfnSetWinEventHook = RecordEventHook;
    ui.pfnUnhookWinEvent = ForgetEventHook;
    SetUiSeam(&ui);
    SetForegroundProgramProc(AnswerForeground);
    ResetProgramState();
    SimInstall();
}

void ZanTest::TearDown() {
    SetCurrentDirectoryW(cwd.c_str());
    boxAnswers.clear();
    g_Options.bCloseToTray = 0;
    if (hMain && IsWindow(hMain))
        Close(IDNO);
    EXPECT_FALSE(pfnForegroundEvent) << "the foreground hook outlived the window";
    SimUninstall();
    SetInputSeam(NULL);
    SetUiSeam(NULL);
    SetForegroundProgramProc(NULL);
    DeleteCriticalSection(&g_KeyLock);
    EXPECT_EQ(0, CountPathTexts()) << "a path string outlived the window";
    std::error_code error;
    std::filesystem::remove_all(dir, error);
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

std::wstring ZanTest::ReadIniValue(const wchar_t *key) {
    WCHAR sz[MAX_PATH] = L"";
    GetPrivateProfileStringW(L"option", key, L"<missing>", sz, MAX_PATH, ini.c_str());
    return sz;
}

void ZanTest::Start(const std::wstring &commandLine) {
    hMain = StartZan(GetModuleHandleW(NULL), commandLine.c_str(), SW_SHOWNORMAL, ini.c_str());
    ASSERT_TRUE(hMain != NULL);
    PumpFor(50);
}

void ZanTest::Restart(const std::wstring &commandLine) {
    g_Options.bCloseToTray = 0;
    if (hMain && IsWindow(hMain)) {
        ASSERT_TRUE(Close(IDNO));
    }
    boxes.clear();
    fileDialogs.clear();
    ResetProgramState();
    Start(commandLine);
}

bool ZanTest::Close(int answer) {
    boxAnswers.push_back(answer);
    SendMessageW(hMain, WM_CLOSE, 0, 0);
    boxAnswers.clear();   // the answer is left over when nothing asked
    if (IsWindow(hMain))
        return false;
    // Handle what is left up to the quit message the destruction posted.
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE) && msg.message != WM_QUIT)
        DispatchMessageW(&msg);
    hMain = NULL;
    return true;
}

void ZanTest::DriveModal(const std::function<void()> &open, const std::function<void(HWND)> &driver) {
    ModalDrive drive = {driver, false, GetTickCount()};
    g_pDrive = &drive;
    UINT_PTR uTimer = SetTimer(NULL, 0, 20, DriveTick);
    open();
    KillTimer(NULL, uTimer);
    g_pDrive = nullptr;
    EXPECT_TRUE(drive.done) << "no dialog was shown";
    EXPECT_FALSE(timedOutDialog) << "a dialog was left open";
}

std::wstring ListText(HWND hList, int row, int column) {
    WCHAR sz[MAX_PATH] = L"";
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = sz;
    item.cchTextMax = MAX_PATH;
    SendMessageW(hList, LVM_GETITEMTEXTW, row, (LPARAM)&item);
    return sz;
}

std::wstring TextOf(HWND hWnd) {
    WCHAR sz[MAX_PATH] = L"";
    GetWindowTextW(hWnd, sz, MAX_PATH);
    return sz;
}

std::wstring ZanTest::StatusText(int part) {
    WCHAR sz[MAX_PATH] = L"";
    if (LOWORD(SendMessageW(g_App.hStatus, SB_GETTEXTLENGTHW, part, 0)) < MAX_PATH)
        SendMessageW(g_App.hStatus, SB_GETTEXTW, part, (LPARAM)sz);
    return sz;
}

COLORREF ZanTest::Pixel(HWND hWnd, int x, int y) {
    hWnd = hWnd ? hWnd : hMain;
    UpdateWindow(hWnd);
    HDC hdc = GetDC(hWnd);
    COLORREF cr = GetPixel(hdc, x, y);
    ReleaseDC(hWnd, hdc);
    return cr;
}

std::vector<KeyEvent> ZanTest::Keys() {
    EnterCriticalSection(&g_KeyLock);
    std::vector<KeyEvent> copy = g_Keys;
    LeaveCriticalSection(&g_KeyLock);
    return copy;
}

int ZanTest::CountKey(WORD wVk, bool bUp) {
    std::vector<KeyEvent> keys = Keys();
    return (int)std::count_if(keys.begin(), keys.end(), [&](const KeyEvent &e) { return e.wVk == wVk && e.bUp == bUp; });
}
