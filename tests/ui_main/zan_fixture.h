// The main window in-process: a fresh start per test with its own option.ini, simulated
// remotes, answered message boxes, file dialogs and menus, a foreground program of the
// test's choosing, and a recorder behind SendInput.
#ifndef ZAN_FIXTURE_H
#define ZAN_FIXTURE_H

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app.h"
#include "program_state.h"
#include "pump.h"
#include "resource.h"
#include "sim_remote.h"
#include "tavel.h"

const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kYellow = RGB(255, 255, 0);
const BYTE kButtonA = 0x08, kButtonB = 0x04;   // byte 2 of the core buttons
const wchar_t kNotConnected[] = L"Wiiリモコンと接続されていません";
const wchar_t kSaveQuestion[] = L"この設定ファイルは保存されていません\n保存しますか？";
const wchar_t kLoadFailed[] = L"設定ファイルの読み込みに失敗しました";

struct BoxCall {
    HWND hOwner;
    std::wstring text;
};

struct FileDialogCall {
    bool bSave;
    DWORD dwFlags;
};

struct KeyEvent {
    WORD wVk;
    bool bUp;
};

// A settings-file image: a fresh set with the given LEDs and correction, slot 0 a key slot.
void WriteSetFile(const std::wstring &path, WORD wKey, BYTE bLeds, BYTE nCorrection = 0);
// A slot of the current set as a key slot, under the record lock the engine takes.
void AssignKey(int nSlot, WORD wVk);
std::wstring TextOf(HWND hWnd);
std::wstring ListText(HWND hList, int row, int column);
// Polling of a library slot (-1: no remote there).
int Polling(int nSlot);

class ZanTest : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override;

    // option.ini of this test, written before Start (nothing written: no file at all).
    void WriteOptions(int bInitSet, const std::wstring &settingFile, int bConnect, DWORD dwTimeout);
    void SetOption(const wchar_t *key, int value) {
        WritePrivateProfileStringW(L"option", key, std::to_wstring(value).c_str(), ini.c_str());
    }
    std::wstring ReadIniValue(const wchar_t *key);

    void Start(const std::wstring &commandLine = L"");
    // Closes the window if open, forgets the boxes and file dialogs, and starts anew.
    void Restart(const std::wstring &commandLine = L"");
    // WM_CLOSE answering the unsaved-changes question with `answer` (any other box: OK);
    // true when it closed.
    bool Close(int answer = IDNO);
    void Command(UINT id) { SendMessageW(hMain, WM_COMMAND, id, 0); }

    // Runs `open` while a timer on this thread hands the first top-level dialog of the main
    // window to `driver`; a dialog still open after 10 s is cancelled.
    void DriveModal(const std::function<void()> &open, const std::function<void(HWND)> &driver);

    std::wstring StatusText(int part);
    bool MenuGreyed(UINT id) { return (GetMenuState(GetMenu(hMain), id, MF_BYCOMMAND) & MF_GRAYED) != 0; }
    // A pixel of a window as the screen shows it; default: the main window's frame.
    COLORREF Pixel(HWND hWnd = NULL, int x = 1, int y = 1);

    std::wstring Path(const std::wstring &name) { return dir + L"\\" + name; }
    std::wstring Quoted(const std::wstring &name) { return L"\"" + Path(name) + L"\""; }

    // Scripted answers, taken in order. When none are left, message boxes answer IDOK,
    // file dialogs are cancelled (an empty string cancels too) and menus choose nothing.
    std::deque<int> boxAnswers;
    std::vector<BoxCall> boxes;
    std::vector<UINT> allowedMessages;
    std::vector<HWND> texturedPages;     // given the tab pane's themed texture   // let through to an elevated main window
    std::wstring shutdownReason;   // what Windows would show while Zan holds up the session's end
    std::function<void()> whileBoxShown;    // runs inside each message box or file dialog before it is answered
    std::deque<std::wstring> fileAnswers;
    std::vector<FileDialogCall> fileDialogs;
    std::deque<int> menuAnswers;
    std::vector<std::vector<UINT>> menuEnabled;   // the enabled commands of each menu shown

    // What the notification-area icon was told: NIM_ messages, tooltips, balloon texts.
    std::vector<DWORD> trayMessages;
    std::vector<std::wstring> tips, balloons;
    std::vector<DWORD> balloonFlags;
    // The shell's side, as unkind as at logon: the next NIM_ADDs fail, and an icon it
    // already has is refused as a duplicate.
    int trayAddFailures = 0;
    bool trayIconThere = false;
    int Balloons(const std::wstring &text) { return (int)std::count(balloons.begin(), balloons.end(), text); }

    std::vector<KeyEvent> Keys();             // what went to SendInput (engine thread)
    int CountKey(WORD wVk, bool bUp);

    std::wstring foregroundName;
    DWORD dwForegroundProcess = 0;
    HWND hElevated = NULL;   // the one window whose program runs elevated (Zan itself does not)
    // The system's foreground event, which Wine never sends: the test sends it, or refuses the hook.
    WINEVENTPROC pfnForegroundEvent = nullptr;
    bool refuseEventHook = false;
    void ForegroundMoved();

    std::wstring dir, ini, cwd;   // cwd: the current directory before the test, restored after
    HWND hMain = NULL;
    bool timedOutDialog = false;
};

extern ZanTest *g_pTest;

#endif
