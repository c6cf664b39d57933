#include <gtest/gtest.h>

#include "skin/builtin_pictures.h"
#include "skin/button_win.h"
#include "skin/caption_button_win.h"
#include "skin/skin_color.h"
#include "skin/skin_engine_win.h"
#include "skin_test_support.h"

using namespace korvel::skin;
using namespace korvel::skin::testing;

namespace {

constexpr std::uint32_t rgb(std::uint32_t argb) { return argb & 0xFFFFFF; }

class SkinEngineTest : public ::testing::Test {
  protected:
    void SetUp() override { startToolkit(); }
    void TearDown() override {
        if (hwnd) DestroyWindow(hwnd);
    }
    void attach(int w, int h, AttachOptions options, std::span<const std::uint8_t> picture = {},
                DWORD style = WS_POPUP | WS_MINIMIZEBOX) {
        hwnd = makeTestWindow(w, h, style);
        ASSERT_TRUE(engine.Attach(hwnd, picture, options));
    }
    HWND hwnd = nullptr;
    SkinEngine engine;
};

TEST_F(SkinEngineTest, CaptionButtonsFor0x75AndWhenMaximized) {
    AttachOptions options;
    options.captionFlags = 0x75;
    options.panelColor = 0x806040;
    const int w = 500;
    attach(w, 300, options);
    const auto& buttons = engine.CaptionButtons();
    ASSERT_EQ(buttons.size(), 4u);
    const struct {
        unsigned kind;
        int x, width;
    } expected[] = {{4, w - 47, 39}, {16, w - 75, 28}, {32, w - 103, 28}, {64, w - 131, 28}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(buttons[i]->ButtonKind(), expected[i].kind);
        EXPECT_EQ(buttons[i]->Rectangle().x, expected[i].x);
        EXPECT_EQ(buttons[i]->Rectangle().width, expected[i].width);
        EXPECT_EQ(buttons[i]->Rectangle().y, 6);
        EXPECT_EQ(buttons[i]->Rectangle().height, 19);
        EXPECT_EQ(engine.CaptionButtonKind(buttons[i]->ControlNumber()), expected[i].kind);
    }
    ASSERT_NE(engine.IconControl(), nullptr);
    EXPECT_EQ(engine.IconControl()->Rectangle(), (RectF{11, 11, 16, 16}));
    EXPECT_EQ(engine.CaptionButtonKind(engine.IconControlNumber()), 0u);
    EXPECT_EQ(engine.CaptionButtonKind(99), 0u);
    EXPECT_NE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_SYSMENU, 0);

    ShowWindow(hwnd, SW_MAXIMIZE);
    pump();
    ASSERT_TRUE(IsZoomed(hwnd));
    RECT r;
    GetWindowRect(hwnd, &r);
    const int maxWidth = r.right - r.left;
    EXPECT_EQ(engine.Width(), maxWidth);
    EXPECT_EQ(buttons[0]->Rectangle().x, maxWidth - 42);
    EXPECT_EQ(buttons[0]->Rectangle().y, 1);
    EXPECT_EQ(engine.IconControl()->Rectangle(), (RectF{6, 6, 16, 16}));
}

TEST_F(SkinEngineTest, MinimumTrackSizeCountsTheCaptionButtons) {
    AttachOptions options;
    options.captionFlags = 0x75;
    attach(400, 200, options);
    MINMAXINFO info{};
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 163);
    EXPECT_EQ(info.ptMinTrackSize.y, 40);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(info.ptMaxSize.x, work.right);
    EXPECT_EQ(info.ptMaxSize.y, work.bottom - 1);
    EXPECT_EQ(info.ptMaxPosition.x, work.left);
}

TEST_F(SkinEngineTest, ZeroCaptionFlagsLeaveTheSystemMenuAlone) {
    AttachOptions options;
    options.captionFlags = 0;
    attach(200, 100, options);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_SYSMENU, 0);
    EXPECT_TRUE(engine.CaptionButtons().empty());
    EXPECT_EQ(engine.IconControl(), nullptr);
    EXPECT_TRUE(engine.Record()->controls.empty());
}

TEST_F(SkinEngineTest, CaptionFlagsCompletedFromTheWindowStyles) {
    attach(300, 200, AttachOptions{}, {}, WS_POPUP | WS_MAXIMIZEBOX);
    EXPECT_EQ(engine.CaptionFlags() & 0x1F, 0x0Fu);  // icon, title, close, maximize
    ASSERT_EQ(engine.CaptionButtons().size(), 2u);
    EXPECT_EQ(engine.CaptionButtons()[1]->ButtonKind(), 8u);
}

TEST_F(SkinEngineTest, FadeInDrawsFiveStepsThenStopsItsTimer) {
    AttachOptions options;
    options.captionFlags = 0;
    attach(200, 100, options);
    ASSERT_TRUE(engine.Redraw(std::nullopt, std::nullopt, true));
    EXPECT_TRUE(engine.IsRedrawing());
    for (int level : {51, 102, 153, 204, 255}) {
        SendMessageW(hwnd, WM_TIMER, kFadeInTimerId, 0);
        EXPECT_EQ(engine.FadeInLevel(), level);
        EXPECT_TRUE(engine.IsRedrawing());
    }
    SendMessageW(hwnd, WM_TIMER, kFadeInTimerId, 0);
    EXPECT_EQ(engine.FadeInLevel(), 0);
    EXPECT_FALSE(engine.IsRedrawing());
    EXPECT_FALSE(KillTimer(hwnd, kFadeInTimerId));  // already gone
}

TEST_F(SkinEngineTest, PanelColourSampledAt85PercentWithRedAndBlueSwapped) {
    const auto png = makePng(
        100, 60, [](int x, int y) { return (x == 85 && y == 51) ? 0xFF112233u : 0xFFF0F0F0u; });
    AttachOptions sampled;
    sampled.captionFlags = 0;
    attach(300, 200, sampled, png);
    EXPECT_EQ(engine.PanelColor(), 0x332211u);
    // Outside the picture the panel shows in that colour: R 0x11, G 0x22, B 0x33.
    EXPECT_EQ(rgb(engine.Record()->compose.Pixel(250, 150)), 0x112233u);
    EXPECT_EQ(SendMessageW(hwnd, kMsgPanelColor, 0, 0), 0x332211);
    EXPECT_EQ(reinterpret_cast<GpImage*>(SendMessageW(hwnd, kMsgBackgroundImage, 0, 0)),
              engine.BackgroundImage());
}

TEST_F(SkinEngineTest, GivenPanelColourIsUsedAsIs) {
    const auto png = makePng(40, 40, [](int, int) { return 0xFF00FF00u; });
    AttachOptions given;
    given.captionFlags = 0;
    given.panelColor = 0x00ABCDEF;
    attach(300, 200, given, png);
    EXPECT_EQ(engine.PanelColor(), 0xABCDEFu);
    EXPECT_EQ(rgb(engine.Record()->compose.Pixel(250, 150)), 0xEFCDABu);
    // Natural size from the panel origin: the picture covers (5, 5) to (45, 45).
    EXPECT_EQ(rgb(engine.Record()->compose.Pixel(10, 10)), 0x00FF00u);
}

TEST_F(SkinEngineTest, StretchedOpaquePictureStaysOpaqueUnderTranslucentControls) {
    AttachOptions options;
    options.captionFlags = 0;
    options.stretchImage = true;
    attach(662, 485, options, korvel::pictures::mainBackground());
    const DibBuffer& compose = engine.Record()->compose;
    for (int y : {10, 240, 470}) EXPECT_EQ(compose.Pixel(330, y) >> 24, 255u) << y;
    // The stretched picture, not the panel, is under the middle of the window.
    EXPECT_NE(rgb(compose.Pixel(330, 240)), rgb(exactArgb(engine.PanelColor(), 255)));
    ProbeControl veil(0x80FFFFFF);
    ASSERT_TRUE(veil.Create(hwnd, 300, 200, 40, 40));
    EXPECT_EQ(engine.Record()->present.Pixel(320, 220) >> 24, 255u);
}

TEST_F(SkinEngineTest, BrokenPictureLeavesTheBackgroundEmpty) {
    const std::uint8_t junk[] = {1, 2, 3, 4, 5};
    AttachOptions options;
    options.captionFlags = 0;
    attach(200, 100, options, junk);
    EXPECT_EQ(engine.BackgroundImage(), nullptr);
    EXPECT_EQ(engine.PanelColor(), 0u);
    EXPECT_TRUE(engine.Redraw());
}

TEST_F(SkinEngineTest, OrdinaryWindowGetsRoundedRegionAndFrameOutlines) {
    AttachOptions options;
    options.captionFlags = 0;
    options.panelColor = 0x808080;
    attach(300, 200, options);
    GdiRegion region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(hwnd, region.get()), ERROR);
    EXPECT_FALSE(PtInRegion(region.get(), 2, 2));   // the margin
    EXPECT_FALSE(PtInRegion(region.get(), 5, 5));   // the rounded corner
    EXPECT_TRUE(PtInRegion(region.get(), 150, 5));  // the top edge of the panel
    EXPECT_TRUE(PtInRegion(region.get(), 150, 100));
    const DibBuffer& present = engine.Record()->present;
    // Outer outline: black at alpha 120 over grey 128; inner: white at 70 over grey.
    const std::uint32_t outer = rgb(present.Pixel(150, 5)) & 0xFF;
    const std::uint32_t inner = rgb(present.Pixel(150, 6)) & 0xFF;
    EXPECT_NEAR(static_cast<int>(outer), 128 * (255 - 120) / 255, 3);
    EXPECT_NEAR(static_cast<int>(inner), 128 + (255 - 128) * 70 / 255, 3);
    EXPECT_EQ(rgb(present.Pixel(150, 100)), 0x808080u);
}

TEST_F(SkinEngineTest, LayeredWindowHasTranslucentPanelAndShadow) {
    AttachOptions options;
    options.captionFlags = 6;
    options.alpha = 170;
    options.panelColor = 0xFF8800;
    options.fadeControls = false;
    attach(320, 150, options);
    EXPECT_NE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    const DibBuffer& compose = engine.Record()->compose;
    EXPECT_EQ(compose.Pixel(160, 75) >> 24, 170u);
    // Shadow rings one pixel apart outside the panel: alphas 75, 55, 25, 15.
    const int rings[] = {75, 55, 25, 15};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(static_cast<int>(compose.Pixel(4 - i, 75) >> 24), rings[i], 2) << i;
    EXPECT_EQ(compose.Pixel(0, 75) >> 24, 0u);
    EXPECT_EQ(engine.Alpha(), 170);
    EXPECT_EQ(engine.Alpha(300), 255);
}

TEST_F(SkinEngineTest, TitleIsWhiteOnDarkPanelsAndBlackOnLight) {
    for (std::uint32_t panel : {0x202020u, 0xE0E0E0u}) {
        SkinEngine local;
        HWND w = makeTestWindow(300, 120);
        SetWindowTextW(w, L"WWWWWWWW");
        AttachOptions options;
        options.captionFlags = 6;
        options.panelColor = panel;
        ASSERT_TRUE(local.Attach(w, {}, options));
        const auto area = titleRect(300, false, 6);
        ASSERT_TRUE(area.has_value());
        int brightest = 0, darkest = 255;
        for (int y = area->y; y < area->y + area->height; ++y) {
            for (int x = area->x; x < area->x + 60; ++x) {
                const int g = static_cast<int>((local.Record()->present.Pixel(x, y) >> 8) & 0xFF);
                brightest = std::max(brightest, g);
                darkest = std::min(darkest, g);
            }
        }
        if (panel == 0x202020u)
            EXPECT_GT(brightest, 0x90) << "white text expected";
        else
            EXPECT_LT(darkest, 0x70) << "black text expected";
        DestroyWindow(w);
    }
}

TEST_F(SkinEngineTest, WmPaintOnlyCopiesThePresentBuffer) {
    AttachOptions options;
    options.captionFlags = 0;
    options.panelColor = 0x00FF00;
    attach(200, 100, options);
    int painted = 0;
    engine.PaintEvent([&](HWND, GpGraphics*, HDC, int, int) { ++painted; });
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    EXPECT_EQ(painted, 0);
    engine.Redraw();
    EXPECT_EQ(painted, 1);
}

// A window set up with painting suspended: nothing is drawn while the guard
// lasts (not even by nested guards), and its end composes the same pixels as
// a set-up that painted every step.
TEST_F(SkinEngineTest, SuspendedSetUpComposesOnceWithTheSamePixels) {
    AttachOptions options;
    options.captionFlags = 0x15;
    options.stretchImage = true;
    HWND reference = makeTestWindow(300, 200);
    SkinEngine painted;
    ASSERT_TRUE(painted.Attach(reference, korvel::pictures::mainBackground(), options));
    ProbeControl a(0xFF2040C0), b(0x8000FF00);
    ASSERT_TRUE(a.Create(reference, 20, 40, 100, 60));
    ASSERT_TRUE(b.Create(reference, 80, 70, 100, 60));
    b.Move(90, 80);
    painted.Redraw();

    hwnd = makeTestWindow(300, 200);
    int composed = 0;
    engine.PaintEvent([&](HWND, GpGraphics*, HDC, int, int) { ++composed; });
    ProbeControl c(0xFF2040C0), d(0x8000FF00);
    {
        PaintingSuspension outer(engine);
        ASSERT_TRUE(engine.Attach(hwnd, korvel::pictures::mainBackground(), options));
        const std::uint32_t blank = engine.Record()->present.Pixel(50, 50);
        {
            PaintingSuspension inner(engine);
            ASSERT_TRUE(c.Create(hwnd, 20, 40, 100, 60));
        }
        EXPECT_TRUE(engine.PaintingSuspended());
        ASSERT_TRUE(d.Create(hwnd, 80, 70, 100, 60));
        d.Move(90, 80);
        engine.RecomposeArea({0, 0, 300, 200});
        EXPECT_TRUE(engine.Redraw());
        EXPECT_EQ(composed, 0);
        EXPECT_EQ(engine.Record()->present.Pixel(50, 50), blank);
        // Controls are asked to paint but get nothing to paint on.
        EXPECT_GE(c.count(kMsgPaint), 1);
    }
    EXPECT_FALSE(engine.PaintingSuspended());
    EXPECT_EQ(composed, 1);
    const DibBuffer& want = painted.Record()->present;
    const DibBuffer& got = engine.Record()->present;
    int differing = 0;
    for (int y = 0; y < 200; y += 3)
        for (int x = 0; x < 300; x += 3) differing += want.Pixel(x, y) != got.Pixel(x, y);
    EXPECT_EQ(differing, 0);
    // Resuming more often than suspending draws nothing more.
    engine.ResumePainting();
    EXPECT_EQ(composed, 1);
    painted.Detach();
    DestroyWindow(reference);
}

TEST_F(SkinEngineTest, DetachGivesTheWindowItsProcedureBack) {
    AttachOptions options;
    options.captionFlags = 0x15;
    attach(200, 100, options);
    EXPECT_NE(GetPropW(hwnd, L"addr_wnd"), nullptr);
    const int number = engine.WindowNumber();
    EXPECT_EQ(WindowRecord(number), engine.Record());
    engine.Detach();
    EXPECT_EQ(GetPropW(hwnd, L"addr_wnd"), nullptr);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)), &DefWindowProcW);
    EXPECT_EQ(engine.WindowNumber(), 0);
    EXPECT_EQ(FindWindowNumber(hwnd), 0);
    EXPECT_FALSE(engine.Redraw());
}

TEST_F(SkinEngineTest, ControlTimersReachTheirControlAndFollowRenumbering) {
    // A window attached before this one, destroyed while a timer runs.
    HWND earlierWindow = makeTestWindow(100, 100);
    SkinEngine earlier;
    AttachOptions options;
    options.captionFlags = 0;
    ASSERT_TRUE(earlier.Attach(earlierWindow, {}, options));
    attach(200, 100, options);
    ProbeControl a, b;
    ASSERT_TRUE(a.Create(hwnd, 0, 0, 10, 10));
    ASSERT_TRUE(b.Create(hwnd, 20, 0, 10, 10));
    const UINT_PTR id = engine.ControlTimerId(2);
    EXPECT_EQ(id, 2u * 65536u + static_cast<unsigned>(engine.WindowNumber()));
    engine.StartControlTimer(2, 5000);
    SendMessageW(hwnd, WM_TIMER, id, 0);
    EXPECT_EQ(b.count(WM_TIMER), 1);
    a.Remove();
    EXPECT_FALSE(KillTimer(hwnd, id));
    const UINT_PTR moved = engine.ControlTimerId(1);  // moved with control 2 -> 1
    EXPECT_TRUE(engine.TimerRunning(1));
    SendMessageW(hwnd, WM_TIMER, moved, 0);
    EXPECT_EQ(b.count(WM_TIMER), 2);

    const int window = engine.WindowNumber();
    DestroyWindow(earlierWindow);  // this window's number goes down by one
    ASSERT_EQ(engine.WindowNumber(), window - 1);
    const UINT_PTR renumbered = engine.ControlTimerId(1);
    SendMessageW(hwnd, WM_TIMER, renumbered, 0);
    EXPECT_EQ(b.count(WM_TIMER), 3);
    engine.StartControlTimer(1, 5000);  // a restart keeps one timer
    engine.StopControlTimer(1);
    EXPECT_FALSE(engine.TimerRunning(1));
    EXPECT_FALSE(KillTimer(hwnd, moved));
    EXPECT_FALSE(KillTimer(hwnd, renumbered));
}

// A fade on a layered window ends with the layer equal to the present
// buffer, alpha included: translucent pixels stay translucent.
TEST_F(SkinEngineTest, FadeOnALayeredWindowLeavesThePresentAlpha) {
    AttachOptions options;
    options.captionFlags = 0;
    options.alpha = 200;
    attach(200, 100, options);
    Button b;  // translucent, with rounded corners
    ASSERT_GT(b.Create(hwnd, "", 40, 30, 40, 30), 0);
    ASSERT_TRUE(engine.FadeControls());
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, point(50, 40));  // hover look, fading in
    const UINT_PTR id = engine.ControlTimerId(b.ControlNumber());
    ASSERT_TRUE(engine.TimerRunning(b.ControlNumber()));
    for (int i = 0; i < 8 && engine.TimerRunning(b.ControlNumber()); ++i)
        SendMessageW(hwnd, WM_TIMER, id, 0);
    EXPECT_FALSE(engine.TimerRunning(b.ControlNumber()));
    const SkinWindowRecord* record = engine.Record();
    int differing = 0;
    for (int y = 30; y < 60; ++y)
        for (int x = 40; x < 80; ++x)
            differing += (record->layer.Pixel(x, y) >> 24) != (record->present.Pixel(x, y) >> 24);
    EXPECT_EQ(differing, 0);
    EXPECT_LT(record->layer.Pixel(50, 40) >> 24, 255u);
}

}  // namespace
