// The main window in-process: a fresh start per test with its own option.ini, simulated
// remotes, answered message boxes and file dialogs, and a recorder behind SendInput.
#ifndef ZAN_FIXTURE_H
#define ZAN_FIXTURE_H

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app.h"
#include "program_state.h"
#include "pump.h"
#include "sim_remote.h"

struct BoxCall {
    HWND hOwner;
    std::wstring text, caption;
    UINT uType;
};

struct FileDialogCall {
    bool bSave;
    std::wstring title, filter;   // filter with its NULs as '|'
    DWORD dwFlags;
    bool bOwner;
};

// What the notification-area icon was told (NIM_ADD, NIM_MODIFY, NIM_DELETE).
struct TrayCall {
    DWORD dwMessage;
    UINT uFlags;
    std::wstring tip, info;
};

struct KeyEvent {
    WORD wVk;
    bool bUp;
};


// A settings-file image: a fresh set with the given LEDs and slot 0 as a key slot.
void WriteSetFile(const std::wstring &path, WORD wKey, BYTE bLeds);

class ZanTest : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override;

    // option.ini of this test, written before Start (nothing written: no file at all).
    void WriteOptions(int bInitSet, const std::wstring &settingFile, int bConnect, DWORD dwTimeout);
    void SetOption(const wchar_t *key, int value);
    std::wstring ReadIniValue(const wchar_t *key);
    bool IniExists();

    void Start(const wchar_t *commandLine = L"");
    // WM_CLOSE answering the unsaved-changes question with `answer`; true when it closed.
    bool Close(int answer = IDNO);
    void Command(UINT id) { SendMessageW(hMain, WM_COMMAND, id, 0); }

    // Runs `open` while a timer on this thread hands each top-level dialog of the main
    // window to `driver` until it returns true; a dialog still open after 10 s is cancelled.
    void DriveModal(const std::function<void()> &open, const std::function<bool(HWND)> &driver);
    void ConnectChoosingRow(int nRow);

    // Sends WM_DROPFILES with these paths.
    void Drop(const std::vector<std::wstring> &paths);

    std::wstring Title();
    std::wstring StatusText(int part);
    bool MenuGreyed(UINT id);
    // Colour of the client area's top-left corner (the frame), read back from the screen.
    COLORREF FramePixel();
    COLORREF Pixel(HWND hWnd, int x, int y);
    // Pixels of status bar part 1 whose colour is clearly red / clearly dark.
    int BatteryPixels(bool red);

    // A file in this test's folder.
    std::wstring Path(const std::wstring &name) { return dir + L"\\" + name; }

    // Scripted answers, taken in order; when none are left, message boxes answer IDOK and
    // file dialogs are cancelled.
    std::deque<int> boxAnswers;
    std::vector<BoxCall> boxes;
    std::function<void()> whileBoxShown;    // runs inside each message box before it is answered
    std::deque<std::wstring> fileAnswers;   // empty string: cancel
    std::vector<FileDialogCall> fileDialogs;

    int Answer();

    std::vector<TrayCall> trayCalls;
    std::wstring TrayTip();                        // the icon's last tooltip
    int Balloons(const std::wstring &text);        // balloons shown with this text

    // SendInput recorder (engine thread).
    std::vector<KeyEvent> Keys();
    int CountKey(WORD wVk, bool bUp);

    std::wstring dir, ini, cwd;   // cwd: the current directory before the test, restored after
    HWND hMain = NULL;
    bool timedOutDialog = false;
};

extern ZanTest *g_pTest;

#endif
