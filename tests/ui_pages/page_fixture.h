// One fixture for the page tests: the main window's own pages (CreatePages) on a host
// window, a fresh current set and record lock, real messages and real keyboard input; the
// blocking calls (popup menus, message boxes, the file dialog, the beep) answered here.
#ifndef PAGE_FIXTURE_H
#define PAGE_FIXTURE_H

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app.h"
#include "assignment.h"
#include "program_state.h"
#include "pump.h"
#include "resource.h"
#include "sim_remote.h"

// An entry's fields as text, to compare whole; the path by its text.
std::wstring View(const ASSIGNMENT &a);

// What the blocking calls were asked, and the answers they give, in order.
struct SeamLog {
    std::vector<int> menuAnswers;  // then 0: dismissed
    int nMenus;
    bool bPasteGreyed;             // in the last menu shown
    bool bLayerKindGreyed;
    std::vector<int> boxAnswers;   // then IDCANCEL
    int nBoxes;
    std::wstring boxText;          // of the last box
    std::wstring chosenFile;       // empty: the file dialog is cancelled
    int nBeeps;
};
extern SeamLog g_Seen;

class PagesTest : public ::testing::Test {
protected:
    HWND hHost = NULL;
    LONG nPathsBefore = 0;
    SIM_REMOTE *pSim = nullptr;

    void SetUp() override;
    void TearDown() override;

public:
    static HWND PageOfSlot(int nSlot);
    static HWND Button(int nSlot) { return GetDlgItem(PageOfSlot(nSlot), IDC_SLOT_FIRST + nSlot); }
    static ASSIGNMENT &Entry(int nSlot) { return g_CurrentSet.aAssign[nSlot]; }
    static void Reset(ASSIGNMENT &a) {
        ClearAssignmentPath(&a);
        a = ASSIGNMENT{};
    }
    static void SetKeys(ASSIGNMENT &a, std::initializer_list<WORD> keys);
    static void SetPath(ASSIGNMENT &a, const wchar_t *pszPath);
};

// Runs body on the key setting dialog from inside its modal loop once open() has brought it
// up; false when it never showed. The body should end the dialog, or it is ended with -1.
bool OnKeyDialog(const std::function<void()> &open, const std::function<void(HWND)> &body);

std::wstring TextOf(HWND hWnd);

// A mouse message at the button's centre, with the cursor there: the leave request is real.
void SendMouse(HWND hButton, UINT uMsg);
inline void Press(HWND hButton, bool bRight = false) { SendMouse(hButton, bRight ? WM_RBUTTONDOWN : WM_LBUTTONDOWN); }
inline void Release(HWND hButton, bool bRight = false) { SendMouse(hButton, bRight ? WM_RBUTTONUP : WM_LBUTTONUP); }

#endif
