#include <gtest/gtest.h>

#include <algorithm>

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
    // Pixels of a probe's rectangle in the present buffer that are not its
    // fill colour: the dotted focus rectangle, when one is drawn.
    int marked(const ProbeControl& c, std::uint32_t fill = 0x2040C0) const {
        const RectF r = c.Rectangle();
        int n = 0;
        for (int y = static_cast<int>(r.y); y < static_cast<int>(r.y + r.height); ++y)
            for (int x = static_cast<int>(r.x); x < static_cast<int>(r.x + r.width); ++x)
                n += (engine.Record()->present.Pixel(x, y) & 0xFFFFFF) != fill;
        return n;
    }

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
    EXPECT_EQ(engine.Input().HitTest(120, 120), above.Token());
    EXPECT_EQ(engine.Input().HitTest(60, 60), below.Token());
    EXPECT_EQ(engine.Input().HitTest(30, 30), kNoControl);
    above.Hide();  // a hidden control does not shadow the one below it
    EXPECT_EQ(engine.Input().HitTest(120, 120), below.Token());
}

TEST_F(InputTest, ClickNeedsPressAndReleaseOnTheSameControl) {
    ProbeControl a, b;
    ASSERT_TRUE(a.Create(hwnd, 50, 50, 50, 50));
    ASSERT_TRUE(b.Create(hwnd, 150, 50, 50, 50));
    mouse(WM_LBUTTONDOWN, 60, 60);
    EXPECT_EQ(engine.Input().Pressed(), a.Token());
    EXPECT_TRUE(engine.Input().HasCapture());
    EXPECT_EQ(GetCapture(), hwnd);
    mouse(WM_LBUTTONUP, 160, 60);
    EXPECT_EQ(a.count(kNotifyClick), 0);
    EXPECT_EQ(b.count(kNotifyClick), 0);
    EXPECT_EQ(a.count(WM_LBUTTONUP), 1);  // the release still goes to the pressed control
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(engine.Input().Pressed(), kNoControl);
    EXPECT_FALSE(engine.Input().HasCapture());
    EXPECT_EQ(GetCapture(), nullptr);

    click(170, 70);
    EXPECT_EQ(b.count(kNotifyClick), 1);
    EXPECT_EQ(clicks, std::vector<int>{b.Identity()});
    EXPECT_EQ(engine.Input().Focused(), b.Token());
    EXPECT_FALSE(engine.Input().KeyboardFocus());
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

// Only the focused control wears the dotted rectangle: the control that
// loses the focus repaints after the focus moved, whether Tab, a press or
// the program moved it.
TEST_F(InputTest, OneFocusRectangleAfterTabClickAndSetFocusControl) {
    ProbeControl a, b, c;
    ASSERT_TRUE(a.Create(hwnd, 50, 50, 40, 40));
    ASSERT_TRUE(b.Create(hwnd, 150, 50, 40, 40));
    ASSERT_TRUE(c.Create(hwnd, 250, 50, 40, 40));
    tab();
    EXPECT_GT(marked(a), 0);
    tab();
    EXPECT_EQ(engine.Input().Focused(), b.Token());
    EXPECT_EQ(marked(a), 0);
    EXPECT_GT(marked(b), 0);
    click(260, 60);  // a press ends the keyboard focus: no rectangle anywhere
    EXPECT_EQ(marked(a), 0);
    EXPECT_EQ(marked(b), 0);
    EXPECT_EQ(marked(c), 0);
    EXPECT_EQ(gained, (std::vector<int>{a.Identity(), b.Identity(), c.Identity()}));
    EXPECT_EQ(lost, (std::vector<int>{a.Identity(), b.Identity()}));
    tab();
    tab();
    EXPECT_EQ(engine.Input().Focused(), b.Token());
    engine.SetFocusControl(c.ControlNumber());
    EXPECT_EQ(marked(b), 0);
    EXPECT_GT(marked(c), 0);
    SendMessageW(hwnd, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(engine.Input().Focused(), kNoControl);
    EXPECT_EQ(marked(c), 0);
    EXPECT_EQ(lost.back(), c.Identity());
}

// What the engine does not handle goes on to the hook and then the previous
// procedure: the window's own timers and commands, keys no event took, the
// pointer over no control, the mouse leaving.
TEST_F(InputTest, UnhandledMessagesReachTheHookAndTheWindowsOwnTimerRuns) {
    std::vector<UINT> hooked;
    int ownTicks = 0;
    engine.MessageHook([&](HWND, UINT msg, WPARAM wp, LPARAM) -> LRESULT {
        if (msg == WM_TIMER && wp == 77) ++ownTicks;
        if (msg == WM_NCLBUTTONDOWN) return 0;
        hooked.push_back(msg);
        return -1;
    });
    auto seen = [&](UINT msg) { return std::count(hooked.begin(), hooked.end(), msg) > 0; };
    ProbeControl a;
    ASSERT_TRUE(a.Create(hwnd, 50, 50, 50, 50));
    SetTimer(hwnd, 77, 10, nullptr);
    korvel::wine_test::pumpUntil([&] { return ownTicks >= 3; });
    KillTimer(hwnd, 77);
    EXPECT_GE(ownTicks, 3);  // a window timer is not mistaken for a control's
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), 0);
    EXPECT_TRUE(seen(WM_COMMAND));
    SendMessageW(hwnd, WM_KEYDOWN, 'A', 0);
    SendMessageW(hwnd, WM_CHAR, 'a', 0);
    EXPECT_TRUE(seen(WM_KEYDOWN));
    EXPECT_TRUE(seen(WM_CHAR));
    hooked.clear();
    mouse(WM_MOUSEMOVE, 60, 60);  // over a control: handled there
    EXPECT_FALSE(seen(WM_MOUSEMOVE));
    mouse(WM_MOUSEMOVE, 200, 200);
    mouse(WM_LBUTTONUP, 200, 200);
    EXPECT_TRUE(seen(WM_MOUSEMOVE));
    EXPECT_TRUE(seen(WM_LBUTTONUP));
    SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(seen(WM_MOUSELEAVE));
    // A system-menu command still becomes a system command.
    hooked.clear();
    SendMessageW(hwnd, WM_COMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(seen(WM_SYSCOMMAND));
    EXPECT_FALSE(seen(WM_COMMAND));
    ShowWindow(hwnd, SW_RESTORE);
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
    EXPECT_FALSE(engine.Input().HasCapture());
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
    EXPECT_EQ(engine.Input().Focused(), keeps.Token());
    click(160, 60);
    mouse(WM_LBUTTONDOWN, 300, 250);
    EXPECT_EQ(engine.Input().Focused(), kNoControl);
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
    EXPECT_EQ(engine.Input().Pressed(), kNoControl);
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
    EXPECT_EQ(engine.Input().Hovered(), a.Token());
    a.clear();
    mouse(WM_MOUSEMOVE, 200, 200);
    EXPECT_EQ(entered, std::vector<int>{a.Identity()});
    EXPECT_EQ(left, std::vector<int>{a.Identity()});
    ASSERT_EQ(a.count(kMsgPaint), 1);
    EXPECT_EQ(a.received[0].lParam, kPaintNormal);
    EXPECT_EQ(engine.Input().Hovered(), kNoControl);
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
    EXPECT_EQ(engine.Input().Focused(), a.Token());
    EXPECT_EQ(engine.Input().Hovered(), a.Token());
    engine.SetFocusControl(plain.ControlNumber());
    engine.SetFocusControl(off.ControlNumber());
    engine.SetFocusControl(77);
    EXPECT_EQ(engine.Input().Focused(), a.Token());
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

TEST_F(InputTest, FunctionKeysClickNothingAndPassOn) {
    ProbeControl yes, save;
    ASSERT_TRUE(yes.Create(hwnd, 10, 50, 20, 20));
    ASSERT_TRUE(save.Create(hwnd, 40, 50, 20, 20));
    SendMessageW(hwnd, kMsgHotkey, yes.ControlNumber(), 'y');
    SendMessageW(hwnd, kMsgHotkey, save.ControlNumber(), 'S');
    std::vector<WPARAM> passed;
    engine.MessageHook([&](HWND, UINT msg, WPARAM wp, LPARAM) -> LRESULT {
        if (msg != WM_SYSKEYDOWN) return -1;
        passed.push_back(wp);
        return 0;  // no further: Alt+F4 would close the test window
    });
    SendMessageW(hwnd, WM_SYSKEYDOWN, VK_F10, 0);  // 0x79, "y" as a character
    SendMessageW(hwnd, WM_SYSKEYDOWN, VK_F4, 0);   // 0x73, "s"
    EXPECT_EQ(yes.count(kNotifyClick), 0);
    EXPECT_EQ(save.count(kNotifyClick), 0);
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(passed, (std::vector<WPARAM>{VK_F10, VK_F4}));
    SendMessageW(hwnd, WM_SYSKEYDOWN, 'S', 0);
    EXPECT_EQ(save.count(kNotifyClick), 1);
    EXPECT_EQ(passed.size(), 2u);  // a matched accelerator is consumed
}

// The accelerator stays with its control when numbers shift: a later
// control without "&" that takes the old number leaves it alone.
TEST_F(InputTest, AcceleratorFollowsItsControlAfterARemoval) {
    ProbeControl first, second, third, later;
    ASSERT_TRUE(first.Create(hwnd, 10, 50, 20, 20));
    ASSERT_TRUE(second.Create(hwnd, 40, 50, 20, 20));
    ASSERT_TRUE(third.Create(hwnd, 70, 50, 20, 20));
    EXPECT_EQ(SendMessageW(hwnd, kMsgHotkey, second.ControlNumber(), 'B'), 1);
    EXPECT_EQ(SendMessageW(hwnd, kMsgHotkey, third.ControlNumber(), 'C'), 1);
    first.Remove();  // second becomes 1, third 2
    third.Remove();  // its accelerator leaves with it
    ASSERT_TRUE(later.Create(hwnd, 100, 50, 20, 20));
    ASSERT_EQ(later.ControlNumber(), 2);  // the number "&B" was registered under
    EXPECT_EQ(SendMessageW(hwnd, kMsgHotkey, later.ControlNumber(), 0), 0);  // "no &"
    EXPECT_EQ(SendMessageW(hwnd, kMsgHotkey, 9, 'Z'), 0);                    // no control 9
    SendMessageW(hwnd, WM_SYSKEYDOWN, 'B', 0);
    EXPECT_EQ(second.count(kNotifyClick), 1);
    SendMessageW(hwnd, WM_SYSKEYDOWN, 'C', 0);
    EXPECT_EQ(later.count(kNotifyClick), 0);
    EXPECT_EQ(engine.Input().Hotkeys().Entries().size(), 1u);
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
    EXPECT_EQ(engine.Input().Focused(), first.Token());
    EXPECT_TRUE(engine.Input().KeyboardFocus());
    tab();
    EXPECT_EQ(engine.Input().Focused(), last.Token());
    tab();
    EXPECT_EQ(engine.Input().Focused(), first.Token());  // past the caption buttons and icon

    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    tab();
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(engine.Input().Focused(), first.Token());
}

// Tab goes only where the focus can be seen, and a control that is hidden
// gives its focus up.
TEST_F(CaptionInputTest, TabSkipsHiddenAndOffWindowControls) {
    ProbeControl shown, hidden, outside, other;
    ASSERT_TRUE(shown.Create(hwnd, 10, 50, 20, 20));
    ASSERT_TRUE(hidden.Create(hwnd, 40, 50, 20, 20));
    ASSERT_TRUE(outside.Create(hwnd, 900, 50, 20, 20));
    ASSERT_TRUE(other.Create(hwnd, 70, 50, 20, 20));
    hidden.Hide();
    std::vector<ControlToken> visited;
    for (int i = 0; i < 4; ++i) {
        tab();
        visited.push_back(engine.Input().Focused());
    }
    const ControlToken s = shown.Token(), o = other.Token();
    EXPECT_EQ(visited, (std::vector<ControlToken>{s, o, s, o}));
    other.Hide();
    EXPECT_EQ(engine.Input().Focused(), kNoControl);
    EXPECT_EQ(lost.back(), other.Identity());
}

TEST_F(CaptionInputTest, TabWithNothingEligibleKeepsTheFocus) {
    ProbeControl plain;
    ASSERT_TRUE(plain.Create(hwnd, 10, 50, 20, 20, false));
    tab();
    EXPECT_EQ(engine.Input().Focused(), kNoControl);
    EXPECT_FALSE(engine.Input().KeyboardFocus());
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
