// What the window shows of the remote in use: slot buttons of pressed inputs highlighted,
// the battery and extension on the options page.
#include "zan_fixture.h"

namespace {

const COLORREF kPressed = RGB(255, 200, 80);

std::wstring PageText(int id) {
    WCHAR sz[64] = L"";
    GetDlgItemTextW(g_App.ahPage[PAGE_OPTIONS], id, sz, 64);
    return sz;
}

}  // namespace

// A's button lights while A is held, running or stopped (stop keeps the reports coming);
// with the option off nothing lights and stop turns the reports off as before.
TEST_F(ZanTest, HighlightFollowsAPressRunningOrStopped) {
    SIM_REMOTE *pSim = SimAddRemote();
    WriteOptions(0, L"", 1, 1000);
    Start();
    ASSERT_EQ(0, g_State.nSelectedRemote);
    HWND hA = GetDlgItem(g_App.ahPage[PAGE_REMOTE], IDC_SLOT_FIRST);
    RECT rc;
    GetClientRect(hA, &rc);
    const int x = rc.right - 3, y = 2;   // inside the frame, clear of glyph and text
    const COLORREF released = Pixel(hA, x, y);
    ASSERT_NE(kPressed, released);
    struct Case { const char *name; int highlight; UINT command; COLORREF held; int polling; } cases[] = {
        { "running", 1, IDM_RUN, kPressed, 1 },
        { "stopped", 1, IDM_STOP, kPressed, 1 },
        { "option off, stopped", 0, IDM_STOP, released, 0 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        g_Options.bHighlightPressed = c.highlight;
        ApplyViewOptions();
        Command(c.command);
        EXPECT_EQ(c.polling, Polling(0));
        SimSetButtons(pSim, 0, kButtonA);
        PumpUntil([&] { return Pixel(hA, x, y) == c.held && IsSlotShownPressed(0) == c.highlight; });
        EXPECT_EQ(c.held, Pixel(hA, x, y));
        EXPECT_EQ(0, IsSlotShownPressed(1)) << "only A's button";
        SimSetButtons(pSim, 0, 0);
        PumpUntil([&] { return Pixel(hA, x, y) == released; });
        EXPECT_EQ(released, Pixel(hA, x, y));
    }
}

// The options page shows the battery and extension of the remote in use. An extension
// button held while the extension is pulled out is released and not pressed again.
TEST_F(ZanTest, ExtensionShownOnTheOptionsPageAndNoButtonHeldWhenPulledOut) {
    SIM_REMOTE *pSim = SimAddRemote();
    SimSetBattery(pSim, 100, 0);
    SimPlugExtension(pSim, SIM_EXT_NUNCHUK, NULL);
    WriteOptions(0, L"", 0, 1000);
    Start();
    EXPECT_EQ(L"接続されていません", PageText(IDC_REMOTE_BATTERY));
    EXPECT_EQ(L"接続されていません", PageText(IDC_REMOTE_EXTENSION));
    Command(IDM_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return PageText(IDC_REMOTE_EXTENSION) == L"ヌンチャク"; }));
    EXPECT_EQ(L"50%", PageText(IDC_REMOTE_BATTERY));
    AssignKey(SLOT_FIRST_NUNCHUK, 'C');      // the Nunchuk's C button
    SimSetNunchuk(pSim, 128, 128, 512, 512, 512, 1, 0);
    ASSERT_TRUE(PumpUntil([&] { return CountKey('C', false) > 0; })) << "C presses its key";
    SimUnplugExtension(pSim);
    EXPECT_TRUE(PumpUntil([] { return PageText(IDC_REMOTE_EXTENSION) == L"なし"; }));
    EXPECT_EQ(WMEXT_NONE, g_State.nExtensionKind);
    EXPECT_TRUE(PumpUntil([&] { return CountKey('C', true) > 0; })) << "C released after unplugging";
    int downs = CountKey('C', false);
    PumpFor(200);
    EXPECT_EQ(downs, CountKey('C', false)) << "and not pressed again";
    SimPowerOff(pSim);
    ASSERT_TRUE(PumpUntil([] { return g_State.nSelectedRemote == -1; }));
    EXPECT_EQ(L"接続されていません", PageText(IDC_REMOTE_BATTERY));
    EXPECT_EQ(L"接続されていません", PageText(IDC_REMOTE_EXTENSION));
}
