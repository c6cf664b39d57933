#include <gtest/gtest.h>

#include "skin/skin_control_win.h"
#include "skin_test_support.h"

using namespace korvel::skin;
using namespace korvel::skin::testing;

namespace {

class SkinControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        startToolkit();
        hwnd = makeTestWindow(300, 200);
        AttachOptions options;
        options.panelColor = 0x808080;
        options.captionFlags = 0;  // no caption controls: the list holds only the probes
        ASSERT_TRUE(engine.Attach(hwnd, {}, options));
    }
    void TearDown() override { DestroyWindow(hwnd); }

    HWND hwnd = nullptr;
    SkinEngine engine;
};

TEST_F(SkinControlTest, NumbersShiftAfterRemovalAndIdentitiesFillGaps) {
    ProbeControl a, b, c, d;
    ASSERT_TRUE(a.Create(hwnd, 10, 10, 20, 20));
    ASSERT_TRUE(b.Create(hwnd, 40, 10, 20, 20));
    ASSERT_TRUE(c.Create(hwnd, 70, 10, 20, 20));
    EXPECT_EQ(c.ControlNumber(), 3);
    EXPECT_EQ(c.Identity(), 3);

    ASSERT_TRUE(b.Remove());
    EXPECT_FALSE(b.IsRegistered());
    EXPECT_EQ(b.WindowNumber(), 0);
    EXPECT_EQ(c.ControlNumber(), 2);
    EXPECT_EQ(c.Identity(), 3);

    ASSERT_TRUE(d.Create(hwnd, 100, 10, 20, 20));
    EXPECT_EQ(d.ControlNumber(), 3);
    EXPECT_EQ(d.Identity(), 2);
    EXPECT_FALSE(b.Remove());  // already gone
    // An event's identity leads back to the control's number.
    EXPECT_EQ(engine.ControlOfIdentity(2), d.ControlNumber());
    EXPECT_EQ(engine.ControlOfIdentity(3), c.ControlNumber());
    EXPECT_EQ(engine.ControlOfIdentity(4), 0);
}

TEST_F(SkinControlTest, RegisterTwiceOrOnAPlainWindowDoesNothing) {
    ProbeControl a;
    ASSERT_TRUE(a.Create(hwnd, 10, 10, 20, 20));
    EXPECT_FALSE(a.Register(hwnd, {0, 0, 5, 5}, 30));
    EXPECT_EQ(engine.Record()->controls.size(), 1u);

    HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    ProbeControl b;
    EXPECT_FALSE(b.Register(plain, {0, 0, 5, 5}, 30));
    EXPECT_EQ(b.WindowNumber(), 0);
    EXPECT_EQ(b.Width(7), 7);  // geometry of an unregistered control is still kept
    DestroyWindow(plain);
}

TEST_F(SkinControlTest, MoveClampsNegativeSizesAndKeepsUngivenSides) {
    ProbeControl a;
    ASSERT_TRUE(a.Create(hwnd, 10, 20, 30, 40));
    EXPECT_EQ(a.Width(-5), 0);
    EXPECT_EQ(a.Height(-1), 0);
    a.Move(std::nullopt, 25.0f);
    EXPECT_EQ(a.Rectangle(), (RectF{10, 25, 0, 0}));
    a.Move(5.0f, std::nullopt, 12.0f, 13.0f, false);
    EXPECT_EQ(a.Rectangle(), (RectF{5, 25, 12, 13}));
    EXPECT_EQ(a.Left(), 5);
    EXPECT_EQ(a.Top(), 25);
}

TEST_F(SkinControlTest, BindEventKeepsOnePairPerMessage) {
    ProbeControl a;
    ASSERT_TRUE(a.Create(hwnd, 10, 10, 20, 20));
    int first = 0, second = 0;
    a.BindEvent(kNotifyClick, [&](int, int, WPARAM, LPARAM, int) { ++first; });
    a.BindEvent(kNotifyClick, [&](int, int, WPARAM, LPARAM, int) { ++second; });
    a.BindEvent(WM_MOUSEMOVE, [](int, int, WPARAM, LPARAM, int) {});
    EXPECT_EQ(a.BindingCount(), 2u);
    SendToControl(a.WindowNumber(), a.ControlNumber(), hwnd, kNotifyClick, 0, 0);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
}

TEST_F(SkinControlTest, SendToControlSkipsHiddenAndInactiveUnlessForced) {
    ProbeControl a;
    ASSERT_TRUE(a.Create(hwnd, 10, 10, 20, 20));
    a.clear();
    a.Hide();
    SendToControl(a.WindowNumber(), a.ControlNumber(), hwnd, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(a.count(WM_MOUSEMOVE), 0);
    SendToControl(a.WindowNumber(), a.ControlNumber(), hwnd, WM_MOUSEMOVE, 0, 0, 1, 1);
    EXPECT_EQ(a.count(WM_MOUSEMOVE), 1);
    a.Show();
    EXPECT_EQ(SendToControl(a.WindowNumber(), 99, hwnd, WM_MOUSEMOVE, 0, 0), 0);
    EXPECT_EQ(SendToControl(42, 1, hwnd, WM_MOUSEMOVE, 0, 0), 0);
}

TEST_F(SkinControlTest, ActiveSendsItsMessagesAndRefusesClearingTwice) {
    ProbeControl a;
    ASSERT_TRUE(a.Create(hwnd, 10, 10, 20, 20));
    a.clear();
    EXPECT_EQ(a.Active(0), 0);
    EXPECT_EQ(a.count(kMsgDeactivated), 1);
    EXPECT_EQ(a.Active(), 0);
    EXPECT_EQ(a.Active(0), 0);  // flags lack bit 0: nothing happens
    EXPECT_EQ(a.count(kMsgDeactivated), 1);
    EXPECT_EQ(a.Active(1), 1);
    EXPECT_EQ(a.count(kMsgActivated), 1);
    EXPECT_GE(a.count(kMsgPaint), 1);
}

TEST_F(SkinControlTest, ShowTooltipWithEmptyTextAddsNoTool) {
    ProbeControl a;
    ASSERT_TRUE(a.Create(hwnd, 10, 10, 20, 20));
    const HWND tip = engine.TooltipWindow();
    ASSERT_NE(tip, nullptr);
    a.ShowTooltip("");
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
    a.ShowTooltip("提示文字");
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    a.ShowTooltip("换一个");
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    a.Remove();
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
}

TEST_F(SkinControlTest, PaintLandsInThePresentBufferAndMoveRestoresTheOldPlace) {
    ProbeControl a(0xFFFF0000);
    ASSERT_TRUE(a.Create(hwnd, 50, 50, 20, 20));
    const DibBuffer& present = engine.Record()->present;
    EXPECT_EQ(present.Pixel(60, 60) & 0xFFFFFF, 0xFF0000u);
    a.Move(120.0f, 50.0f);
    EXPECT_EQ(present.Pixel(60, 60) & 0xFFFFFF, 0x808080u);
    EXPECT_EQ(present.Pixel(130, 60) & 0xFFFFFF, 0xFF0000u);
    a.Active(0);
    EXPECT_EQ(present.Pixel(130, 60) & 0xFFFFFF, 0x808080u);
}

TEST(SkinWindowTable, DestroyingTheMiddleWindowRenumbersTheLastAndItsControls) {
    startToolkit();
    const int before = WindowCount();
    HWND windows[3];
    SkinEngine engines[3];
    AttachOptions options;
    options.panelColor = 0x404040;
    options.captionFlags = 0;
    for (int i = 0; i < 3; ++i) {
        windows[i] = makeTestWindow(120, 80, WS_POPUP, 40 + 130 * i, 300);
        ASSERT_TRUE(engines[i].Attach(windows[i], {}, options));
        EXPECT_EQ(engines[i].WindowNumber(), before + i + 1);
    }
    ProbeControl last;
    ASSERT_TRUE(last.Create(windows[2], 5, 5, 10, 10));
    EXPECT_EQ(last.WindowNumber(), before + 3);

    DestroyWindow(windows[1]);
    EXPECT_EQ(engines[1].WindowNumber(), 0);
    EXPECT_EQ(engines[2].WindowNumber(), before + 2);
    EXPECT_EQ(last.WindowNumber(), before + 2);
    EXPECT_EQ(FindWindowNumber(windows[2]), before + 2);
    EXPECT_EQ(WindowCount(), before + 2);
    EXPECT_EQ(last.Engine(), &engines[2]);

    DestroyWindow(windows[2]);
    EXPECT_FALSE(last.IsRegistered());
    DestroyWindow(windows[0]);
    EXPECT_EQ(WindowCount(), before);
}

}  // namespace
