// Test fixture: a fresh current set, the record lock, the pages on their host window.
#ifndef PAGES_TEST_H
#define PAGES_TEST_H

#include <gtest/gtest.h>

#include "page_fixture.h"
#include "program_state.h"
#include "resource.h"
#include "slot_button.h"

class PagesTest : public ::testing::Test {
public:
    static HWND PageOfSlot(int nSlot);

protected:
    HWND hHost = NULL;
    LONG nPathsBefore = 0;
    MenuAnswer menu;

    void SetUp() override;
    void TearDown() override;

    HWND Button(int nSlot) { return GetDlgItem(PageOfSlot(nSlot), IDC_SLOT_FIRST + nSlot); }
    ASSIGNMENT &Entry(int nSlot) { return g_CurrentSet.aAssign[nSlot]; }
    std::wstring Title() { return TextOf(hHost); }
    // Waits until every pending repaint of the button has been done.
    void Settle() { PumpUntil([] { return !GetQueueStatus(QS_PAINT | QS_POSTMESSAGE); }, 2000); }
    bool NeedsRepaint(HWND hButton) { return GetUpdateRect(hButton, NULL, FALSE) != FALSE; }
};

// Entry fields compared whole; the path by its text.
struct EntryView {
    int nKind, nKeyCount;
    WORD awKey[3];
    int nMouseAction, wMoveAmount;
    std::wstring path;
    bool operator==(const EntryView &o) const {
        return nKind == o.nKind && nKeyCount == o.nKeyCount && !memcmp(awKey, o.awKey, sizeof(awKey)) &&
               nMouseAction == o.nMouseAction && wMoveAmount == o.wMoveAmount && path == o.path;
    }
};
EntryView View(const ASSIGNMENT &a);
std::ostream &operator<<(std::ostream &os, const EntryView &v);



// Runs the key setting dialog modally on a slot, with body acting on it from inside its loop.
int RunKeyDialog(int nSlot, const std::function<void(HWND)> &body);
// Pumps the dialog's messages until no keyboard or mouse input is left.
void DrainInput(HWND hDlg);
#endif
