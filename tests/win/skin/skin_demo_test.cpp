// A window put together the way the program's windows are: the built-in
// background, caption flags 0x75, a title and a few drawn controls. Besides
// its checks it can be held on screen (KORVEL_DEMO_HOLD_MS) for a screenshot.
#include <gtest/gtest.h>

#include <cstdlib>

#include "skin/builtin_pictures.h"
#include "skin/caption_button_win.h"
#include "skin/skin_engine_win.h"
#include "skin_test_support.h"

using namespace korvel::skin;
using namespace korvel::skin::testing;

namespace {

// A translucent rounded card with a caption, drawn like the program's panels.
class Card : public SkinControl {
  public:
    explicit Card(std::string text) : text_(std::move(text)) {}
    bool Create(HWND hwnd, float x, float y, float w, float h) {
        if (!Register(hwnd, {x, y, w, h}, 30, 1, true)) return false;
        Repaint();
        return true;
    }
    LRESULT HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM, int, int, int) override {
        if (message == kMsgTimer) FadeTick(fade_, wParam);
        if (message != kMsgPaint && message != WM_MOUSEMOVE) return 0;
        GpGraphics* g = BeginRepaint();
        if (!g) return 0;
        const RectF r = Rectangle();
        FillRounded(g, r, 7, rgbaToArgb(255, 255, 255, 170));
        OutlineRounded(g, r, 7, rgbaToArgb(0, 0, 0, 80));
        GdipStringFormatPtr format = MakeStringFormat(4);
        DrawShadowedText(g, text_, DefaultFont(), r, format.get(), rgbaToArgb(0, 0, 0, 210), 1);
        fade_ = 153;
        EndRepaint();
        return 0;
    }

  private:
    std::string text_;
    int fade_ = 0;
};

TEST(SkinDemo, MainWindowLikeFrame) {
    startToolkit();
    HWND hwnd = makeTestWindow(662, 485, WS_POPUP | WS_MINIMIZEBOX, 100, 80);
    SetWindowTextW(hwnd, L"Korvel\u8FD0\u5355\u52A9\u624B");
    SkinEngine engine;
    AttachOptions options;
    options.captionFlags = 0x75;
    options.stretchImage = true;
    options.notResizable = true;
    ASSERT_TRUE(engine.Attach(hwnd, korvel::pictures::mainBackground(), options));
    Card home("首页"), query("单号查询"), outlets("网点查询");
    ASSERT_TRUE(home.Create(hwnd, 20, 40, 70, 75));
    ASSERT_TRUE(query.Create(hwnd, 100, 40, 70, 75));
    ASSERT_TRUE(outlets.Create(hwnd, 180, 40, 70, 75));
    engine.SetFocusControl(query.ControlNumber());
    SendMessageW(hwnd, WM_KEYUP, VK_TAB, 0);  // Tab shows the dotted focus on the next card

    // The frame: corners outside the rounded region, the caption buttons in
    // place, and the panel colour sampled from the picture.
    GdiRegion region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(hwnd, region.get()), ERROR);
    EXPECT_FALSE(PtInRegion(region.get(), 5, 5));
    EXPECT_FALSE(PtInRegion(region.get(), 2, 100));
    EXPECT_TRUE(PtInRegion(region.get(), 331, 242));
    ASSERT_EQ(engine.CaptionButtons().size(), 4u);
    EXPECT_EQ(engine.CaptionButtons()[0]->Rectangle().x, 662 - 47);
    EXPECT_NE(engine.PanelColor(), 0u);

    if (const char* hold = std::getenv("KORVEL_DEMO_HOLD_MS")) pump(std::atoi(hold));
    DestroyWindow(hwnd);
}

TEST(SkinDemo, LayeredBoxLikeFrame) {
    startToolkit();
    HWND hwnd = makeTestWindow(320, 150, WS_POPUP, 800, 120);
    SetWindowTextW(hwnd, L"\u63D0\u793A\uFF1A");
    SkinEngine engine;
    AttachOptions options;
    options.captionFlags = 6;
    options.alpha = 170;
    options.panelColor = 0xFF8800;
    options.fadeControls = false;
    options.notResizable = true;
    ASSERT_TRUE(engine.Attach(hwnd, {}, options));
    Card ok("确认");
    ASSERT_TRUE(ok.Create(hwnd, 320 - 83, 150 - 36, 70, 24));
    EXPECT_EQ(engine.Record()->present.Pixel(0, 0) >> 24, 0u);  // outside: fully clear
    EXPECT_EQ(engine.Record()->present.Pixel(160, 60) >> 24, 170u);
    if (const char* hold = std::getenv("KORVEL_DEMO_HOLD_MS")) pump(std::atoi(hold));
    DestroyWindow(hwnd);
}

}  // namespace
