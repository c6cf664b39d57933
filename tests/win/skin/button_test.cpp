// The push button on a real skinned window: creation defaults, the looks the
// routed mouse messages give it, the repeat filter, disabled buttons, and
// accelerators through Alt.
#include <gtest/gtest.h>

#include "skin/button_win.h"
#include "skin_test_support.h"

using namespace korvel::skin;
using namespace korvel::skin::testing;

namespace {

class ButtonTest : public ::testing::Test {
  protected:
    void SetUp() override { attach(5); }
    void TearDown() override {
        if (hwnd) DestroyWindow(hwnd);
    }
    void attach(int frameStyle) {
        startToolkit();
        hwnd = makeTestWindow(320, 200);
        AttachOptions options;
        options.panelColor = 0xC0C0C0;
        options.captionFlags = 0;
        options.frameStyle = frameStyle;
        options.fadeControls = false;
        ASSERT_TRUE(engine.Attach(hwnd, {}, options));
        engine.ClickEvent([this](HWND, int identity, std::intptr_t, int kind) {
            clicks.push_back({identity, kind});
        });
    }
    void move(int x, int y) { SendMessageW(hwnd, WM_MOUSEMOVE, 0, point(x, y)); }
    void click(int x, int y) {
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, point(x, y));
        SendMessageW(hwnd, WM_LBUTTONUP, 0, point(x, y));
    }

    HWND hwnd = nullptr;
    SkinEngine engine;
    std::vector<std::pair<int, int>> clicks;  // identity, kind
};

TEST_F(ButtonTest, CreateDefaults) {
    Button b;
    const int number = b.Create(hwnd, "确认", 20, 30, 70, 24);
    ASSERT_GT(number, 0);
    EXPECT_EQ(b.Kind(), kKindButton);
    EXPECT_TRUE(b.Focusable());
    EXPECT_EQ(b.TextColor(), 0xD2000000u);
    EXPECT_FALSE(b.HasOwnFont());
    EXPECT_EQ(b.Font(), DefaultFont());
    EXPECT_TRUE(b.Rounded());  // FrameStyle 5
    EXPECT_EQ(b.Rectangle(), (RectF{20, 30, 70, 24}));
    EXPECT_EQ(b.PaintCount(), 1);
    EXPECT_TRUE(engine.Input().Hotkeys().Entries().empty());  // no "&": no accelerator

    Button sized;
    FontRequest font;
    font.size = 14;
    ButtonOptions options;
    options.font = font;
    options.visible = false;
    ASSERT_GT(sized.Create(hwnd, "x", 100, 30, 70, 24, options), 0);
    EXPECT_TRUE(sized.HasOwnFont());
    EXPECT_NE(sized.Font(), nullptr);
    EXPECT_EQ(sized.PaintCount(), 0);  // invisible: not painted
    DestroyWindow(hwnd);               // WM_DESTROY frees the button's own font
    hwnd = nullptr;
    EXPECT_FALSE(sized.HasOwnFont());
    EXPECT_FALSE(sized.IsRegistered());
}

TEST_F(ButtonTest, SquareWindowGivesSquareButtonsUnlessAsked) {
    DestroyWindow(hwnd);
    attach(0);
    Button square, rounded;
    ASSERT_GT(square.Create(hwnd, "a", 10, 10, 70, 24), 0);
    ButtonOptions options;
    options.rounded = true;
    ASSERT_GT(rounded.Create(hwnd, "b", 100, 10, 70, 24, options), 0);
    EXPECT_FALSE(square.Rounded());
    EXPECT_TRUE(rounded.Rounded());
}

TEST_F(ButtonTest, MouseLooksAndRepeatedMovesRepaintOnce) {
    Button b;
    ASSERT_GT(b.Create(hwnd, "确认", 20, 30, 70, 24), 0);
    const int painted = b.PaintCount();
    move(30, 40);
    EXPECT_EQ(b.DrawnState(), ButtonState::Hover);
    EXPECT_EQ(b.PaintCount(), painted + 1);
    move(31, 41);
    move(50, 42);
    EXPECT_EQ(b.PaintCount(), painted + 1);

    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, point(50, 42));
    EXPECT_EQ(b.DrawnState(), ButtonState::Pressed);
    EXPECT_EQ(engine.Input().Pressed(), b.Token());
    const int pressed = b.PaintCount();
    move(52, 43);  // moves while holding the press change nothing
    EXPECT_EQ(b.PaintCount(), pressed);
    SendMessageW(hwnd, WM_LBUTTONUP, 0, point(52, 43));
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].first, b.Identity());
    EXPECT_EQ(clicks[0].second, kKindButton);

    // The pointer leaves: the engine asks for the normal look, which is the
    // focused one now that the press gave the button the focus.
    move(200, 150);
    EXPECT_EQ(b.DrawnState(), ButtonState::Focused);
}

TEST_F(ButtonTest, PressHereReleaseElsewhereIsNoClick) {
    Button a, b;
    ASSERT_GT(a.Create(hwnd, "a", 20, 30, 70, 24), 0);
    ASSERT_GT(b.Create(hwnd, "b", 120, 30, 70, 24), 0);
    int bound = 0;
    a.BindEvent(kNotifyClick, [&](int, int, WPARAM, LPARAM, int) { ++bound; });
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, point(30, 40));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, point(130, 40));
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(bound, 0);
    click(30, 40);
    EXPECT_EQ(bound, 1);
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(ButtonTest, DisabledButtonIgnoresInputAndKeepsItsLook) {
    Button b;
    ASSERT_GT(b.Create(hwnd, "&Y 是", 20, 30, 70, 24), 0);
    b.Disabled(1);
    EXPECT_EQ(b.DrawnState(), ButtonState::Disabled);
    const int painted = b.PaintCount();
    move(30, 40);
    click(30, 40);
    SendMessageW(hwnd, WM_SYSKEYDOWN, 'Y', 1 << 29);
    EXPECT_EQ(b.PaintCount(), painted);
    EXPECT_EQ(b.DrawnState(), ButtonState::Disabled);
    EXPECT_TRUE(clicks.empty());
    EXPECT_NE(engine.Input().Focused(), b.Token());

    b.Disabled(0);
    click(30, 40);
    EXPECT_EQ(clicks.size(), 1u);
}

// A button disabled while it is held gives the press up at once: the mouse
// is free, the focus leaves it, and the release clicks nothing. Enabled
// again, it clicks as before.
TEST_F(ButtonTest, DisabledWhileHeldDoesNotClickOnRelease) {
    Button b;
    ASSERT_GT(b.Create(hwnd, "&Y 是", 20, 30, 70, 24), 0);
    int bound = 0;
    b.BindEvent(kNotifyClick, [&](int, int, WPARAM, LPARAM, int) { ++bound; });
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, point(30, 40));
    ASSERT_EQ(GetCapture(), hwnd);
    ASSERT_TRUE(b.IsFocused());
    b.Disabled(1);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(b.IsFocused());
    SendMessageW(hwnd, WM_LBUTTONUP, 0, point(30, 40));
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(b.DrawnState(), ButtonState::Disabled);

    b.Disabled(0);
    click(30, 40);
    EXPECT_EQ(clicks.size(), 1u);
    EXPECT_EQ(bound, 1);
}

TEST_F(ButtonTest, AltLetterClicksTheButtonWithThatAccelerator) {
    Button yes, no;
    ASSERT_GT(no.Create(hwnd, "否(&N)", 20, 30, 70, 24), 0);
    ASSERT_GT(yes.Create(hwnd, "是(&Y)", 120, 30, 70, 24), 0);
    int yesClicks = 0;
    yes.BindEvent(kNotifyClick, [&](int, int, WPARAM, LPARAM, int) { ++yesClicks; });
    SendMessageW(hwnd, WM_SYSKEYDOWN, 'Y', 1 << 29);
    EXPECT_EQ(yesClicks, 1);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].first, yes.Identity());
    SendMessageW(hwnd, WM_SYSKEYDOWN, 'Q', 1 << 29);
    EXPECT_EQ(clicks.size(), 1u);

    // A new caption moves the accelerator; one without "&" drops it.
    yes.ButtonText("&Z");
    SendMessageW(hwnd, WM_SYSKEYDOWN, 'Y', 1 << 29);
    EXPECT_EQ(yesClicks, 1);
    SendMessageW(hwnd, WM_SYSKEYDOWN, 'Z', 1 << 29);
    EXPECT_EQ(yesClicks, 2);
    yes.ButtonText("Z");
    SendMessageW(hwnd, WM_SYSKEYDOWN, 'Z', 1 << 29);
    EXPECT_EQ(yesClicks, 2);
    EXPECT_EQ(yes.ButtonText(), "Z");
}

TEST_F(ButtonTest, FadeStartsAtTheLooksAlphaAndStopsAfterFullStrength) {
    DestroyWindow(hwnd);
    startToolkit();
    hwnd = makeTestWindow(320, 200);
    AttachOptions options;
    options.panelColor = 0xC0C0C0;
    options.captionFlags = 0;
    ASSERT_TRUE(engine.Attach(hwnd, {}, options));  // fades controls
    Button first, b;
    ASSERT_GT(first.Create(hwnd, "", 120, 30, 70, 24), 0);
    ASSERT_GT(b.Create(hwnd, "确认", 20, 30, 70, 24), 0);
    move(30, 40);
    EXPECT_EQ(b.FadeAlpha(), 153);
    const UINT_PTR id = engine.ControlTimerId(b.ControlNumber());
    SendToControl(b.WindowNumber(), b.ControlNumber(), hwnd, WM_TIMER, id, 0);
    EXPECT_EQ(b.FadeAlpha(), 204);
    SendToControl(b.WindowNumber(), b.ControlNumber(), hwnd, WM_TIMER, id, 0);
    EXPECT_EQ(b.FadeAlpha(), 255);
    SendToControl(b.WindowNumber(), b.ControlNumber(), hwnd, WM_TIMER, id, 0);
    EXPECT_EQ(b.FadeAlpha(), 0);  // done: the timer is gone
    EXPECT_FALSE(engine.TimerRunning(b.ControlNumber()));
    first.Remove();  // renumbering does not start the finished fade again
    EXPECT_FALSE(engine.TimerRunning(b.ControlNumber()));
    EXPECT_FALSE(KillTimer(hwnd, engine.ControlTimerId(b.ControlNumber())));
}

TEST_F(ButtonTest, FaceLandsInThePresentBuffer) {
    Button b;
    ButtonOptions square;
    square.rounded = false;
    ASSERT_GT(b.Create(hwnd, "", 20, 30, 70, 24, square), 0);
    const DibBuffer& present = engine.Record()->present;
    // The outer outline (black at 80) darkens the panel's grey at the corner.
    const std::uint32_t corner = present.Pixel(20, 30);
    EXPECT_LT(corner & 0xFF, 0xC0u);
    EXPECT_EQ(present.Pixel(19, 29) & 0xFFFFFF, 0xC0C0C0u);  // outside: untouched
}

}  // namespace
