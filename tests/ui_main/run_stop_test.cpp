// The presence timer, a failed launch, and what the window shows of the remote in use: slot
// buttons of pressed inputs highlighted, the battery and extension.
#include <cstdio>

#include "zan_fixture.h"

#include "engine.h"
#include "input_seam.h"
#include "main_handlers.h"
#include "pages.h"

static HINSTANCE WINAPI FailLaunch(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT) {
    return (HINSTANCE)SE_ERR_FNF;
}

// A failed launch is shown by the main window, owned by it; meanwhile the record lock is
// free and the engine acts on the other buttons.
TEST_F(ZanTest, FailedLaunchIsShownByTheWindowWhileTheEngineGoesOn) {
    SIM_REMOTE *pSim = SimAddRemote();
    WriteOptions(0, L"", 1, 1000);
    Start();
    ASSERT_EQ(0, g_State.nSelectedRemote);
    INPUT_SEAM input = g_Seam;
    input.pfnShellExecute = FailLaunch;
    SetInputSeam(&input);
    LockRecord();
    ASSIGNMENT &a = g_CurrentSet.aAssign[0];
    a.nKind = ASSIGN_APPLICATION;
    a.pszPath = AllocPathText(11);
    lstrcpyW(a.pszPath, L"missing.exe");
    a.nPathLength = 11;
    UnlockRecord();
    AssignKey(1, 'K');
    bool lockFree = false, keyWhileShown = false;
    whileBoxShown = [&] {
        // The engine takes the lock for a moment each cycle: free means obtainable soon.
        lockFree = PumpUntil([] { return TryLockRecord() ? (UnlockRecord(), true) : false; }, 1000);
        SimSetButtons(pSim, 0, kButtonA | kButtonB);
        keyWhileShown = PumpUntil([&] { return CountKey('K', false) > 0; });
    };
    SimSetButtons(pSim, 0, kButtonA);
    ASSERT_TRUE(PumpUntil([&] { return !boxes.empty(); }));
    whileBoxShown = nullptr;
    EXPECT_EQ(hMain, boxes[0].hOwner);
    EXPECT_EQ(L"ファイルの実行に失敗しました", boxes[0].text);
    EXPECT_TRUE(lockFree) << "no lock is held while the message is shown";
    EXPECT_TRUE(keyWhileShown) << "the engine acts while the message is shown";
}

// The options page and the status bar show the battery (in red when low) and the extension of
// the remote in use, and the slot buttons of pressed inputs light. An extension button held
// while the extension is pulled out is released and not pressed again. A remote switched off
// while stopped is noticed, and the window shows no remote.
TEST_F(ZanTest, WhatTheWindowShowsOfTheRemoteInUse) {
    SIM_REMOTE *pSim = SimAddRemote();
    SimSetBattery(pSim, 57, 1);
    SimPlugExtension(pSim, SIM_EXT_NUNCHUK, NULL);
    WriteOptions(0, L"", 0, 1000);
    Start();
    Command(IDM_CONNECT);
    HWND hExtension = GetDlgItem(g_App.ahPage[PAGE_OPTIONS], IDC_REMOTE_EXTENSION);
    HWND hBattery = GetDlgItem(g_App.ahPage[PAGE_OPTIONS], IDC_REMOTE_BATTERY);
    ASSERT_TRUE(PumpUntil([&] { return TextOf(hExtension) == L"ヌンチャク"; }));
    EXPECT_EQ(L"28%", TextOf(hBattery));
    EXPECT_TRUE(PumpUntil([&] { return StatusText(0) == L"Wiiリモコン + ヌンチャク"; })) << StatusText(0).c_str();
    WCHAR sz[64];
    COLORREF cr;
    ASSERT_EQ(1, GetBatteryPartLook(sz, 64, &cr));
    EXPECT_EQ(L"\t\tバッテリー 28%", std::wstring(sz));
    EXPECT_EQ(kRed, cr) << "a low battery is shown in red";

    // A's button lights while A is held, running or stopped (stop keeps the reports coming);
    // with the option off nothing lights and stop turns the reports off as before.
    HWND hA = GetDlgItem(g_App.ahPage[PAGE_REMOTE], IDC_SLOT_FIRST);
    RECT rc;
    GetClientRect(hA, &rc);
    const int x = rc.right - 3, y = 2;   // inside the frame, clear of glyph and text
    const COLORREF released = Pixel(hA, x, y);
    struct Case { const char *name; int highlight; UINT command; int polling; } cases[] = {
        { "running", 1, IDM_RUN, 1 },
        { "stopped", 1, IDM_STOP, 1 },
        { "option off, stopped", 0, IDM_STOP, 0 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        g_Options.bHighlightPressed = c.highlight;
        ApplyViewOptions();
        Command(c.command);
        EXPECT_EQ(c.polling, Polling(0));
        SimSetButtons(pSim, 0, kButtonA);
        PumpUntil([&] { return (Pixel(hA, x, y) != released) == c.highlight && IsSlotShownPressed(0) == c.highlight; });
        EXPECT_EQ(c.highlight != 0, Pixel(hA, x, y) != released) << "A's button lit";
        EXPECT_EQ(0, IsSlotShownPressed(1)) << "only A's button";
        SimSetButtons(pSim, 0, 0);
        PumpUntil([&] { return Pixel(hA, x, y) == released; });
        EXPECT_EQ(released, Pixel(hA, x, y));
    }
    Command(IDM_RUN);
    AssignKey(SLOT_FIRST_NUNCHUK, 'C');      // the Nunchuk's C button
    SimSetNunchuk(pSim, 128, 128, 512, 512, 512, 1, 0);
    ASSERT_TRUE(PumpUntil([&] { return CountKey('C', false) > 0; })) << "C presses its key";
    SimUnplugExtension(pSim);
    EXPECT_TRUE(PumpUntil([&] { return TextOf(hExtension) == L"なし"; }));
    EXPECT_TRUE(PumpUntil([&] { return CountKey('C', true) > 0; })) << "C released after unplugging";
    int downs = CountKey('C', false);
    PumpFor(200);
    EXPECT_EQ(downs, CountKey('C', false)) << "and not pressed again";
    // Switched off while stopped: the presence timer notices. Its tick is sent here rather
    // than waited for in a wall-clock window that load stretches.
    Command(IDM_STOP);
    SimPowerOff(pSim);
    ASSERT_TRUE(KillTimer(hMain, PRESENCE_TIMER_ID)) << "no presence timer while stopped";
    ASSERT_TRUE(PumpUntil([] { return wm_Exist(0) == 0; }));
    SendMessageW(hMain, WM_TIMER, PRESENCE_TIMER_ID, 0);
    ASSERT_TRUE(PumpUntil([] { return g_State.nSelectedRemote == -1; }));
    EXPECT_EQ(kRed, Pixel());
    EXPECT_EQ(kNotConnected, StatusText(0));
    EXPECT_EQ(0, GetBatteryPartLook(sz, 64, &cr)) << "the battery part is blank";
    EXPECT_EQ(L"接続されていません", TextOf(hBattery));
    EXPECT_EQ(L"接続されていません", TextOf(hExtension));
}

// The session's end goes without WM_DESTROY: held keys come up and the remote is let go
// with its LEDs off, as closing does.
TEST_F(ZanTest, SessionEndReleasesHeldInputAndTheRemote) {
    SIM_REMOTE *pSim = SimAddRemote();
    WriteOptions(0, L"", 1, 1000);
    Start();
    ASSERT_EQ(0, g_State.nSelectedRemote);
    AssignKey(0, 'K');
    SimSetButtons(pSim, 0, kButtonA);
    ASSERT_TRUE(PumpUntil([&] { return CountKey('K', false) > 0; }));
    ASSERT_NE(0, SimLeds(pSim));
    int nBefore = SimOutputCount(pSim);
    SendMessageW(hMain, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(1, CountKey('K', true));
    // Seen once under load and not since: the reports the remote got say which step was missed.
    std::string sent;
    for (int i = nBefore; i < SimOutputCount(pSim); i++) {
        BYTE ab[22];
        int nPath;
        SimOutputAt(pSim, i, ab, &nPath);
        char sz[32];
        snprintf(sz, sizeof(sz), " %02X %02X %02X/%d", ab[0], ab[1], ab[2], nPath);
        sent += sz;
    }
    EXPECT_EQ(0, SimLeds(pSim)) << "reports since the session's end:" << sent;
}

// Rumbles the remote was sent since its outputs were cleared: each rise of the rumble bit.
static int RumbleStarts(SIM_REMOTE *pSim) {
    int nStarts = 0, bLast = 0;
    for (int i = 0; i < SimOutputCount(pSim); i++) {
        BYTE ab[22];
        int nPath;
        SimOutputAt(pSim, i, ab, &nPath);
        nStarts += (ab[1] & 1) && !bLast;
        bLast = ab[1] & 1;
    }
    return nStarts;
}

// The engine's notes: the remote shows the layer's LEDs; a pause is said by the status bar and
// the tooltip and felt as one rumble, a resume as two; both texts come back after it.
TEST_F(ZanTest, EngineNotesShowTheLayerAndThePause) {
    SIM_REMOTE *pSim = SimAddRemote();
    WriteOptions(0, L"", 1, 1000);
    Start();
    ASSERT_EQ(0, g_State.nSelectedRemote);
    LockRecord();
    g_CurrentSet.abLed[2] = 1;         // 0x5
    g_CurrentSet.abLayerLed[1] = 1;    // 0xA
    UnlockRecord();
    const std::wstring connection = StatusText(0), tip = tips.back();
    const std::wstring kPaused = L"一時停止中";
    const struct { WPARAM wNote; LPARAM lValue; int nLeds; bool bPaused; int nRumbles; } steps[] = {
        {ENGINE_NOTE_LAYER, 1, 0xA, false, 0}, {ENGINE_NOTE_PAUSE, 1, 0xA, true, 1},
        {ENGINE_NOTE_PAUSE, 0, 0xA, false, 2}, {ENGINE_NOTE_LAYER, 0, 0x5, false, 0},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.wNote * 10 + s.lValue);
        SimClearOutputs(pSim);
        PostMessageW(hMain, WM_APP_ENGINE_NOTE, s.wNote, s.lValue);
        EXPECT_TRUE(PumpUntil([&] { return SimLeds(pSim) == s.nLeds && RumbleStarts(pSim) == s.nRumbles; }))
            << SimLeds(pSim) << " " << RumbleStarts(pSim);
        PumpFor(500);
        EXPECT_EQ(s.nRumbles, RumbleStarts(pSim));
        EXPECT_EQ(s.bPaused ? kPaused : connection, StatusText(0));
        EXPECT_EQ(s.bPaused ? tip + L"\n" + kPaused : tip, tips.back());
    }
    // Stopped, nothing is paused; a new run starts in layer 1.
    PostMessageW(hMain, WM_APP_ENGINE_NOTE, ENGINE_NOTE_LAYER, 1);
    PostMessageW(hMain, WM_APP_ENGINE_NOTE, ENGINE_NOTE_PAUSE, 1);
    ASSERT_TRUE(PumpUntil([&] { return StatusText(0) == kPaused && SimLeds(pSim) == 0xA; }));
    Command(IDM_STOP);
    EXPECT_EQ(connection, StatusText(0));
    EXPECT_EQ(tip, tips.back());
    Command(IDM_RUN);
    EXPECT_TRUE(PumpUntil([&] { return SimLeds(pSim) == 0x5; })) << SimLeds(pSim);
}
