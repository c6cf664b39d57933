// alone: the seekable bar reads the pointer, which any Wine test beside it may move
// Label, Panel, TabButton and ProgressBar on a real skinned window: their
// defaults, which changes repaint, the automatic text colour over the
// composed background, tab selection and input, and the progress bar's
// clamping and seeking.
#include <gtest/gtest.h>

#include "skin/builtin_pictures.h"
#include "skin/label_win.h"
#include "skin/panel_win.h"
#include "skin/progress_bar_win.h"
#include "skin/tab_button_win.h"
#include "skin_test_support.h"

using namespace korvel::skin;
using namespace korvel::skin::testing;

namespace {

class DrawnControlsTest : public ::testing::Test {
  protected:
    void SetUp() override { attach(0xC0C0C0); }
    void TearDown() override {
        if (hwnd) DestroyWindow(hwnd);
    }
    void attach(std::uint32_t panel, SkinEngine::PaintEventFn paint = {}) {
        if (hwnd) DestroyWindow(hwnd);
        startToolkit();
        hwnd = makeTestWindow(400, 300);
        if (paint) engine.PaintEvent(std::move(paint));
        AttachOptions options;
        options.panelColor = panel;
        options.captionFlags = 0;
        options.fadeControls = false;
        options.notDraggable = true;
        ASSERT_TRUE(engine.Attach(hwnd, {}, options));
        engine.ClickEvent(
            [this](HWND, int identity, std::intptr_t, int) { clicked.push_back(identity); });
    }
    std::uint32_t present(int x, int y) const {
        return engine.Record()->present.Pixel(x, y) & 0xFFFFFF;
    }
    void move(int x, int y) { SendMessageW(hwnd, WM_MOUSEMOVE, 0, point(x, y)); }
    void click(int x, int y) {
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, point(x, y));
        SendMessageW(hwnd, WM_LBUTTONUP, 0, point(x, y));
    }

    HWND hwnd = nullptr;
    SkinEngine engine;
    std::vector<int> clicked;
};

TEST_F(DrawnControlsTest, LabelDefaultsAndRepaints) {
    Label l;
    ASSERT_GT(l.Create(hwnd, "状态", 10, 10, 200, 20), 0);
    EXPECT_EQ(l.Kind(), kKindLabel);
    EXPECT_FALSE(l.Focusable());
    EXPECT_EQ(l.TextColour(), 0xE6000000u);
    EXPECT_EQ(l.Alignment(), 3);
    EXPECT_EQ(l.FormatFlags(), 4096);
    EXPECT_EQ(l.GradientMode(), kNoGradient);
    EXPECT_EQ(l.PaintCount(), 1);
    l.LabelText("查询完毕");
    EXPECT_EQ(l.LabelText(), "查询完毕");
    EXPECT_EQ(l.PaintCount(), 2);
    l.AutoTextColour(true);  // no repaint
    EXPECT_EQ(l.PaintCount(), 2);
    l.GradientMode(1);
    l.GradientStart(0xFEFF0000);
    l.GradientEnd(0xFE0000FF);
    EXPECT_EQ(l.PaintCount(), 5);
    EXPECT_EQ(l.GradientStart(), 0xFEFF0000u);
    // A press on a label focuses nothing.
    click(20, 15);
    EXPECT_EQ(engine.Input().Focused(), kNoControl);
}

TEST_F(DrawnControlsTest, AutomaticTextColourFollowsTheBackground) {
    struct Case {
        const char* what;
        std::uint32_t panel;
        bool blackStrip;  // a black strip under the left sample point only
        Argb expected;
    };
    const Case cases[] = {
        {"black panel: white text", 0x000000, false, 0x80FFFFFF},
        {"white panel: black text", 0xFFFFFF, false, 0x80000000},
        {"one dark point of three: black text", 0xFFFFFF, true, 0x80000000},
        {"dark blue counts as dark", 0x400000, false, 0x80FFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SkinEngine::PaintEventFn paint;
        if (c.blackStrip)
            paint = [](HWND, GpGraphics* g, HDC, int, int) {
                FillRect(g, {20, 0, 30, 300}, 0xFF000000);
            };
        attach(c.panel, paint);
        Label l;
        LabelOptions options;
        options.textColor = 0x80123456;
        ASSERT_GT(l.Create(hwnd, "自动颜色", 0, 100, 200, 20, options), 0);
        EXPECT_EQ(l.TextColour(), 0x80123456u);
        l.AutoTextColour(true);
        l.Repaint();
        EXPECT_EQ(l.TextColour(), c.expected);
    }
}

TEST_F(DrawnControlsTest, PanelShapesAndSetStyle) {
    Panel back;
    ASSERT_GT(back.Create(hwnd, 20, 20, 100, 60, 0, 0, rgbaToArgb(255, 255, 255, 100),
                          rgbaToArgb(255, 255, 255, 254)),
              0);
    EXPECT_EQ(back.Kind(), kKindPanel);
    EXPECT_FALSE(back.Focusable());
    EXPECT_GE(present(70, 50) & 0xFF, 0xFDu);  // almost opaque white

    Panel side;
    ASSERT_GT(side.Create(hwnd, 150, 20, 100, 60, 0, std::nullopt, rgbaToArgb(192, 192, 192, 200)),
              0);
    EXPECT_EQ(side.Style().lineWidth, 1);
    EXPECT_EQ(side.Style().fillColor, kNoFill);
    EXPECT_EQ(present(200, 50), 0xC0C0C0u);  // no fill: the panel colour shows

    PanelStyleChange fill;
    fill.fillColor = 0xFEFF0000;
    side.SetStyle(fill);
    EXPECT_EQ(side.Style().shape, PanelShape::Rectangle);
    EXPECT_EQ(side.Style().lineColor, rgbaToArgb(192, 192, 192, 200));
    EXPECT_EQ(side.Style().lineWidth, 1);
    EXPECT_GT((present(200, 50) >> 16) & 0xFF, 0xF0u);
    EXPECT_LT(present(200, 50) & 0xFF, 0x10u);
}

TEST_F(DrawnControlsTest, PageTabLayoutSelectionAndInput) {
    TabButton tab;
    ASSERT_GT(
        tab.Create(hwnd, "首页", 20, 20, 70, 75, false, korvel::pictures::tabHomeIcon(), true), 0);
    EXPECT_EQ(tab.Kind(), kKindTabButton);
    EXPECT_TRUE(tab.Focusable());
    EXPECT_EQ(tab.IconWidth(), 54);
    EXPECT_EQ(tab.IconHeight(), 54);
    EXPECT_EQ(tab.Alignment(), 4);
    EXPECT_EQ(tab.TextColour(), 0xD2000000u);
    const TabLayout layout = tabLayout(tab.Rectangle(), 54, 54, true, false);
    EXPECT_EQ(layout.text, (RectF{24, 80, 62, 11}));
    EXPECT_EQ(tab.DrawnState(), TabState::Normal);

    const int painted = tab.PaintCount();
    tab.Selected(false);  // unchanged: no repaint
    EXPECT_EQ(tab.PaintCount(), painted);
    tab.Selected(true);
    EXPECT_EQ(tab.PaintCount(), painted + 1);
    EXPECT_EQ(tab.DrawnState(), TabState::Selected);
    tab.Selected(true);
    EXPECT_EQ(tab.PaintCount(), painted + 1);

    move(30, 30);
    move(40, 40);
    EXPECT_EQ(tab.PaintCount(), painted + 2);
    EXPECT_EQ(tab.DrawnState(), TabState::Hover);
    EXPECT_EQ(tab.FadeAlpha(), 153);
    click(40, 40);
    EXPECT_EQ(tab.DrawnState(), TabState::Pressed);
    ASSERT_EQ(clicked.size(), 1u);

    tab.Disabled(1);
    const int disabled = tab.PaintCount();
    EXPECT_EQ(tab.DrawnState(), TabState::Disabled);
    move(50, 50);
    click(50, 50);
    EXPECT_EQ(tab.PaintCount(), disabled);
    EXPECT_EQ(clicked.size(), 1u);
}

TEST_F(DrawnControlsTest, TileTabAcceleratorAndDefaults) {
    TabButton tile;
    ASSERT_GT(tile.Create(hwnd, "网点(&W)", 20, 120, 160, 58, false, korvel::pictures::tileIcon1(),
                          false),
              0);
    EXPECT_EQ(tile.Alignment(), 3);
    EXPECT_TRUE(tile.Rounded());
    SendMessageW(hwnd, WM_SYSKEYDOWN, 'W', 1 << 29);
    EXPECT_EQ(clicked, std::vector<int>{tile.Identity()});
    tile.Caption("网点");
    SendMessageW(hwnd, WM_SYSKEYDOWN, 'W', 1 << 29);
    EXPECT_EQ(clicked.size(), 1u);
}

TEST_F(DrawnControlsTest, ProgressPositionsClampAndRepaintOnlyOnChange) {
    ProgressBar bar;
    ASSERT_GT(bar.Create(hwnd, 20, 20, 218, 8), 0);
    EXPECT_EQ(bar.Kind(), kKindProgressBar);
    EXPECT_EQ(bar.Height(), 12);
    EXPECT_EQ(bar.Position(), 0);
    // Position 0: only the track (white at 70 over the grey panel) in the middle.
    const std::uint32_t track = present(128, 26);
    EXPECT_EQ((track >> 16) & 0xFF, track & 0xFF);

    const int painted = bar.PaintCount();
    EXPECT_EQ(bar.Position(150), 100);
    EXPECT_EQ(bar.PaintCount(), painted + 1);
    EXPECT_EQ(bar.Position(100), 100);
    EXPECT_EQ(bar.PaintCount(), painted + 1);
    EXPECT_EQ(bar.Position(-5), 0);
    EXPECT_EQ(bar.SecondPosition(250), 100);
    EXPECT_EQ(bar.PaintCount(), painted + 3);

    bar.Position(50);
    const std::uint32_t filled = present(30, 26);
    EXPECT_GT(filled & 0xFF, ((filled >> 16) & 0xFF) + 60);  // blue end of the bar
}

TEST_F(DrawnControlsTest, SeekableBarTakesClicksDragsAndArrowKeys) {
    ProgressBar bar;
    ProgressBarOptions options;
    options.seekable = true;
    ASSERT_GT(bar.Create(hwnd, 40, 100, 218, 16, options), 0);
    std::vector<int> reported;
    bar.PositionChangedEvent([&](int p) { reported.push_back(p); });
    RECT window{};
    GetWindowRect(hwnd, &window);
    // The middle of the span the pointer maps onto.
    const int midX = 40 + 9 + 100;
    ASSERT_TRUE(SetCursorPos(window.left + midX, window.top + 108));
    POINT at{};
    GetCursorPos(&at);
    ASSERT_EQ(at.x, window.left + midX) << "the pointer cannot be placed here";
    click(midX, 108);
    EXPECT_FLOAT_EQ(bar.Position(), 50);
    EXPECT_EQ(reported, std::vector<int>{50});

    // The click gave it the focus: arrows step by 10, Home and End jump.
    SendMessageW(hwnd, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_FLOAT_EQ(bar.Position(), 60);
    SendMessageW(hwnd, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_FLOAT_EQ(bar.Position(), 0);
    SendMessageW(hwnd, WM_KEYDOWN, VK_LEFT, 0);  // already at 0: nothing to report
    EXPECT_EQ(reported, (std::vector<int>{50, 60, 0}));

    bar.Disabled(1);
    SendMessageW(hwnd, WM_KEYDOWN, VK_END, 0);
    EXPECT_FLOAT_EQ(bar.Position(), 0);

    // A plain bar ignores clicks.
    ProgressBar plain;
    ASSERT_GT(plain.Create(hwnd, 40, 150, 218, 16), 0);
    SetCursorPos(window.left + midX, window.top + 158);
    click(midX, 158);
    EXPECT_EQ(plain.Position(), 0);
}

}  // namespace
