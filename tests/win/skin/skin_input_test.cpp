#include <gtest/gtest.h>

#include "skin/caption_button_win.h"
#include "skin/skin_engine_win.h"
#include "skin_test_support.h"

using namespace korvel::skin;
using namespace korvel::skin::testing;

namespace {

// A skinned window whose message hook swallows the system's modal loops
// (window drag, border resize, menus) and records that they were asked for.
class InputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        startToolkit();
        hwnd = makeTestWindow(400, 300);
        AttachOptions options;
        options.captionFlags = captionFlags;
        options.panelColor = 0x808080;
        options.fadeControls = false;
        ASSERT_TRUE(engine.Attach(hwnd, {}, options));
        // As with a real click, the window is active before the press arrives.
        SetActiveWindow(hwnd);
        SetFocus(hwnd);
        engine.MessageHook([this](HWND, UINT msg, WPARAM wp, LPARAM) -> LRESULT {
            if (msg == WM_NCLBUTTONDOWN && wp == HTCAPTION) {
                ++drags;
                return 0;
            }
            if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_SIZE) {
                sizeCommands.push_back(static_cast<int>(wp));
                return 0;
            }
            if (msg == WM_ENTERMENULOOP || msg == WM_ENTERIDLE) {
                ++menus;
                EndMenu();
            }
            return -1;
        });
        engine.ClickEvent(
            [this](HWND, int identity, std::intptr_t, int) { clicks.push_back(identity); });
        engine.FocusGainedEvent(
            [this](HWND, int identity, std::intptr_t, int) { gained.push_back(identity); });
        engine.FocusLostEvent(
            [this](HWND, int identity, std::intptr_t, int) { lost.push_back(identity); });
    }
    void TearDown() override { DestroyWindow(hwnd); }

    void mouse(UINT message, int x, int y) { SendMessageW(hwnd, message, 0, point(x, y)); }
    void click(int x, int y) {
        mouse(WM_LBUTTONDOWN, x, y);
        mouse(WM_LBUTTONUP, x, y);
    }
    void tab() { SendMessageW(hwnd, WM_KEYUP, VK_TAB, 0); }

    unsigned captionFlags = 0;
    HWND hwnd = nullptr;
    SkinEngine engine;
    int drags = 0;
    int menus = 0;
    std::vector<int> sizeCommands;
    std::vector<int> clicks, gained, lost;
};

TEST_F(InputTest, OverlappingControlsHitTheLaterOne) {
    ProbeControl below, above;
    ASSERT_TRUE(below.Create(hwnd, 50, 50, 100, 100));
    ASSERT_TRUE(above.Create(hwnd, 100, 100, 100, 100));
    EXPECT_EQ(engine.HitTest(120, 120), above.ControlNumber());
    EXPECT_EQ(engine.HitTest(60, 60), below.ControlNumber());
    EXPECT_EQ(engine.HitTest(30, 30), 0);
    above.Hide();  // a hidden control does not shadow the one below it
    EXPECT_EQ(engine.HitTest(120, 120), below.ControlNumber());
}

TEST_F(InputTest, ClickNeedsPressAndReleaseOnTheSameControl) {
    ProbeControl a, b;
    ASSERT_TRUE(a.Create(hwnd, 50, 50, 50, 50));
    ASSERT_TRUE(b.Create(hwnd, 150, 50, 50, 50));
    mouse(WM_LBUTTONDOWN, 60, 60);
    EXPECT_EQ(engine.PressedControl(), a.ControlNumber());
    EXPECT_TRUE(engine.HasCapture());
    EXPECT_EQ(GetCapture(), hwnd);
    mouse(WM_LBUTTONUP, 160, 60);
    EXPECT_EQ(a.count(kNotifyClick), 0);
    EXPECT_EQ(b.count(kNotifyClick), 0);
    EXPECT_EQ(a.count(WM_LBUTTONUP), 1);  // the release still goes to the pressed control
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(engine.PressedControl(), 0);
    EXPECT_FALSE(engine.HasCapture());
    EXPECT_EQ(GetCapture(), nullptr);

    click(170, 70);
    EXPECT_EQ(b.count(kNotifyClick), 1);
    EXPECT_EQ(clicks, std::vector<int>{b.Identity()});
    EXPECT_EQ(engine.FocusedControl(), b.ControlNumber());
    EXPECT_FALSE(engine.KeyboardFocus());
}

TEST_F(InputTest, PressMovesTheFocusWithEvents) {
    ProbeControl a, b;
    ASSERT_TRUE(a.Create(hwnd, 50, 50, 50, 50));
    ASSERT_TRUE(b.Create(hwnd, 150, 50, 50, 50));
    click(60, 60);
    click(160, 60);
    EXPECT_EQ(gained, (std::vector<int>{a.Identity(), b.Identity()}));
    EXPECT_EQ(lost, std::vector<int>{a.Identity()});
    bool lostPaint = false;
    for (const Received& r : a.received)
        lostPaint |= r.message == kMsgPaint && r.lParam == kPaintLostFocus;
    EXPECT_TRUE(lostPaint);
}

// Sets or clears the left button in the thread's input state, as a real
// press would.
void holdLeftButton(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_LBUTTON] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

TEST_F(InputTest, PressOnEmptySpaceDragsOnlyADraggableWindow) {
    holdLeftButton(true);
    ProbeControl label;
    ASSERT_TRUE(label.Create(hwnd, 50, 50, 50, 50, false));
    mouse(WM_LBUTTONDOWN, 200, 200);
    EXPECT_EQ(drags, 1);
    mouse(WM_LBUTTONDOWN, 60, 60);  // a control that takes no focus drags too
    EXPECT_EQ(drags, 2);
    EXPECT_FALSE(engine.HasCapture());
    engine.NotDraggable(true);
    mouse(WM_LBUTTONDOWN, 200, 200);
    mouse(WM_LBUTTONDOWN, 60, 60);
    EXPECT_EQ(drags, 2);
    holdLeftButton(false);
}

TEST_F(InputTest, APressWithoutTheButtonHeldStartsNoDrag) {
    holdLeftButton(false);
    mouse(WM_LBUTTONDOWN, 200, 200);
    EXPECT_EQ(drags, 0);
}

TEST_F(InputTest, PressOnEmptySpaceDropsTheFocusOfKind15Only) {
    ProbeControl keeps, drops;
    ASSERT_TRUE(keeps.Create(hwnd, 50, 50, 50, 50));
    ASSERT_TRUE(drops.Create(hwnd, 150, 50, 50, 50, true, kKindDropsFocus));
    click(60, 60);
    mouse(WM_LBUTTONDOWN, 300, 250);
    EXPECT_EQ(engine.FocusedControl(), keeps.ControlNumber());
    click(160, 60);
    mouse(WM_LBUTTONDOWN, 300, 250);
    EXPECT_EQ(engine.FocusedControl(), 0);
    EXPECT_EQ(lost.back(), drops.Identity());
}

TEST_F(InputTest, BorderResizeCodesAndWhenItIsOff) {
    holdLeftButton(true);
    mouse(WM_LBUTTONDOWN, 3, 3);
    mouse(WM_LBUTTONDOWN, 395, 295);
    mouse(WM_LBUTTONDOWN, 200, 1);
    mouse(WM_MOUSEMOVE, 1, 150);  // a move only sets the cursor
    EXPECT_EQ(sizeCommands, (std::vector<int>{SC_SIZE | 4, SC_SIZE | 8, SC_SIZE | 3}));
    EXPECT_EQ(drags, 0);
    engine.NotResizable(true);
    mouse(WM_LBUTTONDOWN, 3, 3);
    holdLeftButton(false);
    EXPECT_EQ(sizeCommands.size(), 3u);
    EXPECT_EQ(drags, 1);  // now an ordinary press on empty space
}

TEST_F(InputTest, MouseInputIsIgnoredDuringAFadeIn) {
    ProbeControl a;
    ASSERT_TRUE(a.Create(hwnd, 50, 50, 50, 50));
    engine.Redraw(std::nullopt, std::nullopt, true);
    a.clear();
    mouse(WM_LBUTTONDOWN, 60, 60);
    EXPECT_EQ(a.count(WM_LBUTTONDOWN), 0);
    EXPECT_EQ(engine.PressedControl(), 0);
    for (int i = 0; i < 6; ++i) SendMessageW(hwnd, WM_TIMER, kFadeInTimerId, 0);
    mouse(WM_LBUTTONDOWN, 60, 60);
    EXPECT_EQ(a.count(WM_LBUTTONDOWN), 1);
}

TEST_F(InputTest, HoverEntersAndLeaves) {
    ProbeControl a;
    ASSERT_TRUE(a.Create(hwnd, 50, 50, 50, 50));
    std::vector<int> entered, left;
    engine.MouseEnterEvent([&](HWND, int id, std::intptr_t, int) { entered.push_back(id); });
    engine.MouseLeaveEvent([&](HWND, int id, std::intptr_t, int) { left.push_back(id); });
    mouse(WM_MOUSEMOVE, 60, 60);
    mouse(WM_MOUSEMOVE, 61, 61);
    EXPECT_EQ(engine.HoveredControl(), a.ControlNumber());
    a.clear();
    mouse(WM_MOUSEMOVE, 200, 200);
    EXPECT_EQ(entered, std::vector<int>{a.Identity()});
    EXPECT_EQ(left, std::vector<int>{a.Identity()});
    ASSERT_EQ(a.count(kMsgPaint), 1);
    EXPECT_EQ(a.received[0].lParam, kPaintNormal);
    EXPECT_EQ(engine.HoveredControl(), 0);
}

TEST_F(InputTest, KeysGoToTheEventFirstThenTheFocusedControl) {
    ProbeControl a;
    ASSERT_TRUE(a.Create(hwnd, 50, 50, 50, 50));
    engine.SetFocusControl(a.ControlNumber());
    int seenIdentity = -1;
    engine.KeyDownEvent([&](HWND, int identity, int key, LPARAM) {
        seenIdentity = identity;
        return key == VK_ESCAPE ? 0 : -1;
    });
    SendMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(a.count(WM_KEYDOWN), 0);
    EXPECT_EQ(seenIdentity, a.Identity());
    SendMessageW(hwnd, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(a.count(WM_KEYDOWN), 1);
    SendMessageW(hwnd, WM_CHAR, 'a', 0);
    EXPECT_EQ(a.count(WM_CHAR), 1);
    SendMessageW(hwnd, WM_KEYUP, 'A', 0);
    EXPECT_EQ(a.count(WM_KEYUP), 1);
}

TEST_F(InputTest, SetFocusControlOnlyForFocusableEnabledControls) {
    ProbeControl a, plain, off;
    ASSERT_TRUE(a.Create(hwnd, 10, 50, 20, 20));
    ASSERT_TRUE(plain.Create(hwnd, 40, 50, 20, 20, false));
    ASSERT_TRUE(off.Create(hwnd, 70, 50, 20, 20));
    off.Disabled(1);
    engine.SetFocusControl(a.ControlNumber());
    EXPECT_EQ(engine.FocusedControl(), a.ControlNumber());
    EXPECT_EQ(engine.HoveredControl(), a.ControlNumber());
    engine.SetFocusControl(plain.ControlNumber());
    engine.SetFocusControl(off.ControlNumber());
    engine.SetFocusControl(77);
    EXPECT_EQ(engine.FocusedControl(), a.ControlNumber());
}

TEST_F(InputTest, AcceleratorsClickTheirControl) {
    ProbeControl a, b;
    ASSERT_TRUE(a.Create(hwnd, 10, 50, 20, 20));
    ASSERT_TRUE(b.Create(hwnd, 40, 50, 20, 20));
    EXPECT_EQ(SendMessageW(hwnd, kMsgHotkey, a.ControlNumber(), 'y'), 1);
    EXPECT_EQ(SendMessageW(hwnd, kMsgHotkey, b.ControlNumber(), 'N'), 1);
    SendMessageW(hwnd, WM_SYSKEYDOWN, 'Y', 0);
    EXPECT_EQ(a.count(kNotifyClick), 1);
    EXPECT_EQ(clicks, std::vector<int>{a.Identity()});
    b.Disabled(1);
    SendMessageW(hwnd, WM_SYSKEYDOWN, 'N', 0);
    EXPECT_EQ(b.count(kNotifyClick), 0);
    EXPECT_EQ(SendMessageW(hwnd, kMsgHotkey, a.ControlNumber(), 0), 1);
    EXPECT_EQ(SendMessageW(hwnd, kMsgHotkey, a.ControlNumber(), 0), 0);
    SendMessageW(hwnd, WM_SYSKEYDOWN, 'Y', 0);
    EXPECT_EQ(a.count(kNotifyClick), 1);
}

TEST_F(InputTest, WheelReachesTheControlUnderThePointer) {
    ProbeControl a;
    ASSERT_TRUE(a.Create(hwnd, 50, 50, 50, 50));
    RECT r;
    GetWindowRect(hwnd, &r);
    SendMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(r.left + 60, r.top + 60));
    ASSERT_EQ(a.count(WM_MOUSEWHEEL), 1);
    EXPECT_EQ(a.received.back().extra, 0);
    EXPECT_EQ(HIWORD(a.received.back().wParam), 120);
    SendMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(r.left + 10, r.top + 10));
    EXPECT_EQ(a.count(WM_MOUSEWHEEL), 1);
}

class CaptionInputTest : public InputTest {
  protected:
    void SetUp() override {
        captionFlags = 0x75;
        InputTest::SetUp();
    }
};

TEST_F(CaptionInputTest, TabWrapsAndSkipsWhatCannotTakeTheFocus) {
    ProbeControl first, unfocusable, disabled, inactive, last;
    ASSERT_TRUE(first.Create(hwnd, 10, 50, 20, 20));
    ASSERT_TRUE(unfocusable.Create(hwnd, 40, 50, 20, 20, false));
    ASSERT_TRUE(disabled.Create(hwnd, 70, 50, 20, 20));
    ASSERT_TRUE(inactive.Create(hwnd, 100, 50, 20, 20));
    ASSERT_TRUE(last.Create(hwnd, 130, 50, 20, 20));
    disabled.Disabled(1);
    inactive.Active(0);
    tab();
    EXPECT_EQ(engine.FocusedControl(), first.ControlNumber());
    EXPECT_TRUE(engine.KeyboardFocus());
    tab();
    EXPECT_EQ(engine.FocusedControl(), last.ControlNumber());
    tab();
    EXPECT_EQ(engine.FocusedControl(), first.ControlNumber());  // past the caption buttons and icon

    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    tab();
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(engine.FocusedControl(), first.ControlNumber());
}

TEST_F(CaptionInputTest, TabWithNothingEligibleKeepsTheFocus) {
    ProbeControl plain;
    ASSERT_TRUE(plain.Create(hwnd, 10, 50, 20, 20, false));
    tab();
    EXPECT_EQ(engine.FocusedControl(), 0);
    EXPECT_FALSE(engine.KeyboardFocus());
}

TEST_F(CaptionInputTest, IconOpensTheSystemMenu) {
    const RectF icon = engine.IconControl()->Rectangle();
    mouse(WM_RBUTTONDOWN, static_cast<int>(icon.x) + 4, static_cast<int>(icon.y) + 4);
    EXPECT_GE(menus, 1);
    const int afterRight = menus;
    click(static_cast<int>(icon.x) + 4, static_cast<int>(icon.y) + 4);
    EXPECT_GT(menus, afterRight);
}

}  // namespace
