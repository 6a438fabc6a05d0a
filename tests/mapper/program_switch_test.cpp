// Which set the program in front asks for, and the default set kept aside meanwhile.
#include <gtest/gtest.h>

#include "program_switch.h"

namespace {

struct SwitchFixture {
    PROGRAM_SET_LIST list = {};
    PROGRAM_SWITCH sw = {};
    SwitchFixture() {
        PutProgramSet(&list, L"Game.exe", L"C:\\sets\\game.zan");
        PutProgramSet(&list, L"Other.exe", L"C:\\sets\\other.zan");
    }
};

// A modified set stays whichever way the switch would go: from the default set to a
// program's, back, or from one program's to another's.
TEST(ProgramSwitch, DecisionsForEachWayAndAnyModifiedSet) {
    const struct { const wchar_t *active, *front; int bModified; const wchar_t *refused; int bForFailure, nExpected; } cases[] = {
        {L"", L"notepad.exe", 0, L"", 0, SWITCH_KEEP},
        {L"", L"game.exe", 0, L"", 0, SWITCH_TO_PROGRAM},
        {L"", L"game.exe", 1, L"", 0, SWITCH_REFUSE_MODIFIED},
        {L"Game.exe", L"notepad.exe", 0, L"", 0, SWITCH_TO_DEFAULT},
        {L"Game.exe", L"notepad.exe", 1, L"", 0, SWITCH_REFUSE_MODIFIED},
        {L"Game.exe", L"other.exe", 0, L"", 0, SWITCH_TO_PROGRAM},
        {L"Game.exe", L"other.exe", 1, L"", 0, SWITCH_REFUSE_MODIFIED},
        {L"Game.exe", L"GAME.EXE", 1, L"", 0, SWITCH_KEEP},
        {L"", L"game.exe", 0, L"Game.exe", 1, SWITCH_WAIT},             // its file did not load
        {L"Game.exe", L"notepad.exe", 0, L"", 1, SWITCH_WAIT},          // nor did the default's way
        {L"", L"game.exe", 0, L"Game.exe", 0, SWITCH_TO_PROGRAM},       // refused for changes, now saved
        {L"", L"other.exe", 0, L"Game.exe", 1, SWITCH_TO_PROGRAM},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(&c - cases);
        SwitchFixture f;
        lstrcpyW(f.sw.szActiveProgram, c.active);
        lstrcpyW(f.sw.szRefused, c.refused);
        f.sw.bRefusedForFailure = c.bForFailure;
        int nEntry = FindSwitchEntry(&f.list, 1, c.front);
        EXPECT_EQ(c.nExpected, DecideProgramSwitch(&f.sw, &f.list, nEntry, c.bModified));
    }
}

// The kept copy follows saves of its own file only, and is a copy: edits of the set in
// use never reach it.
TEST(ProgramSwitch, KeptDefaultFollowsSavesOfItsFile) {
    SwitchFixture f;
    ASSIGNMENT_SET set;
    InitAssignmentSet(&set);
    set.aAssign[0].awKey[0] = 'A';
    set.aAssign[1].pszPath = AllocPathText(4);
    lstrcpyW(set.aAssign[1].pszPath, L"a.exe");
    ASSERT_EQ(1, KeepDefaultSet(&f.sw, &set, L"C:\\sets\\default.zan"));
    set.aAssign[1].pszPath[0] = L'b';
    EXPECT_STREQ(L"a.exe", f.sw.DefaultSet.aAssign[1].pszPath);
    const struct { const wchar_t *saved; WORD wKey, wExpected; } saves[] = {
        {L"C:\\sets\\game.zan", 'G', 'A'},
        {L"C:\\SETS\\DEFAULT.ZAN", 'Z', 'Z'},
        {L"", 'Y', 'Z'},
    };
    for (const auto &s : saves) {
        set.aAssign[0].awKey[0] = s.wKey;
        NoteSetSaved(&f.sw, &set, s.saved);
        EXPECT_EQ(s.wExpected, f.sw.DefaultSet.aAssign[0].awKey[0]);
    }
    ASSIGNMENT_SET back;
    TakeDefaultSet(&f.sw, &back);
    EXPECT_EQ(0, f.sw.bHaveDefault);
    EXPECT_STREQ(L"b.exe", back.aAssign[1].pszPath) << "the saved copy, with its own strings";
    ReleaseAssignmentPaths(&back);
    ReleaseAssignmentPaths(&set);
}

// The taskbar, Start, search and Alt+Tab are the shell, not a program; a folder window or
// the desktop of the same explorer.exe is a program.
TEST(ProgramSwitch, ShellSurfacesAndStoreAppFrames) {
    const struct { const wchar_t *program, *cls; int bShell; } cases[] = {
        {L"explorer.exe", L"Shell_TrayWnd", 1},           {L"EXPLORER.EXE", L"Shell_SecondaryTrayWnd", 1},
        {L"explorer.exe", L"MultitaskingViewFrame", 1},   {L"explorer.exe", L"XamlExplorerHostIslandWindow", 1},
        {L"StartMenuExperienceHost.exe", L"Windows.UI.Core.CoreWindow", 1},
        {L"SearchHost.exe", L"Windows.UI.Core.CoreWindow", 1},
        {L"explorer.exe", L"CabinetWClass", 0},           {L"explorer.exe", L"Progman", 0},
        {L"notepad.exe", L"Shell_TrayWnd", 0},            {L"ApplicationFrameHost.exe", L"ApplicationFrameWindow", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.bShell, IsShellSurface(c.program, c.cls)) << &c - cases;
    EXPECT_TRUE(IsAppFrameHost(L"applicationframehost.exe"));
    EXPECT_FALSE(IsAppFrameHost(L"Calculator.exe"));
}

}  // namespace
