// The picture box on a skinned window: still pictures, an animated GIF made
// here with known frame colours and delays, Animate on and off, and the
// icon factory.
#include <gtest/gtest.h>

#include <vector>

#include "skin/builtin_pictures.h"
#include "skin/picture_box_win.h"
#include "skin_test_support.h"

using namespace korvel::skin;
using namespace korvel::skin::testing;

namespace {

// A looping 1 x 1 GIF whose frames are red, green and blue with the given
// delays (hundredths of a second).
std::vector<std::uint8_t> threeFrameGif(int d0, int d1, int d2) {
    std::vector<std::uint8_t> b = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x81, 0, 0};
    const std::uint8_t palette[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0};
    b.insert(b.end(), std::begin(palette), std::end(palette));
    const std::uint8_t loop[] = {0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S', 'C', 'A', 'P',
                                 'E',  '2',  '.',  '0', 0x03, 0x01, 0,   0,   0};
    b.insert(b.end(), std::begin(loop), std::end(loop));
    const int delays[] = {d0, d1, d2};
    for (int k = 0; k < 3; ++k) {
        const std::uint8_t control[] = {0x21,
                                        0xF9,
                                        0x04,
                                        0x04,
                                        static_cast<std::uint8_t>(delays[k] & 0xFF),
                                        static_cast<std::uint8_t>(delays[k] >> 8),
                                        0,
                                        0};
        b.insert(b.end(), std::begin(control), std::end(control));
        const std::uint8_t descriptor[] = {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0};
        b.insert(b.end(), std::begin(descriptor), std::end(descriptor));
        // LZW, 3-bit codes: clear (4), the colour index, end (5).
        const int bits = 4 | (k << 3) | (5 << 6);
        const std::uint8_t data[] = {2, 2, static_cast<std::uint8_t>(bits & 0xFF),
                                     static_cast<std::uint8_t>(bits >> 8), 0};
        b.insert(b.end(), std::begin(data), std::end(data));
    }
    b.push_back(0x3B);
    return b;
}

class PictureBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        startToolkit();
        hwnd = makeTestWindow(300, 200);
        AttachOptions options;
        options.panelColor = 0x808080;
        options.captionFlags = 0;
        ASSERT_TRUE(engine.Attach(hwnd, {}, options));
    }
    void TearDown() override {
        if (hwnd) DestroyWindow(hwnd);
    }
    std::uint32_t shown(int x, int y) const {
        return engine.Record()->present.Pixel(x, y) & 0xFFFFFF;
    }
    // The frame colour over the grey panel: GDI+ smooths a 1 x 1 picture
    // stretched to 40 x 40, so only the strongest channel is certain.
    std::uint32_t dominant(int x, int y) const {
        const std::uint32_t c = shown(x, y);
        const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        if (r > g + 30 && r > b + 30) return 0xFF0000;
        if (g > r + 30 && g > b + 30) return 0x00FF00;
        if (b > r + 30 && b > g + 30) return 0x0000FF;
        return c;
    }
    void tick(PictureBox& p) {
        SendToControl(p.WindowNumber(), p.ControlNumber(), hwnd, WM_TIMER,
                      engine.ControlTimerId(p.ControlNumber()), 0);
    }

    HWND hwnd = nullptr;
    SkinEngine engine;
};

TEST_F(PictureBoxTest, GifDelaysWithZeroReplacedPlayAndLoop) {
    const std::vector<std::uint8_t> gif = threeFrameGif(10, 0, 20);
    PictureBox p;
    ASSERT_GT(p.Create(hwnd, 20, 20, 40, 40, gif, true, true), 0);
    EXPECT_EQ(p.Kind(), kKindPictureBox);
    ASSERT_EQ(p.FrameCount(), 3);
    EXPECT_EQ(p.FrameDelays(), (std::vector<int>{10, 10, 20}));
    EXPECT_TRUE(p.Started());

    struct Step {
        int frame;
        unsigned interval;
        std::uint32_t color;
    };
    const Step steps[] = {{0, 100, 0xFF0000},
                          {1, 100, 0x00FF00},
                          {2, 200, 0x0000FF},
                          {0, 100, 0xFF0000},
                          {1, 100, 0x00FF00}};
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        if (i > 0) tick(p);
        EXPECT_EQ(p.ShownFrame(), steps[i].frame);
        EXPECT_EQ(p.TimerInterval(), steps[i].interval);
        EXPECT_EQ(dominant(40, 40), steps[i].color);
    }
}

TEST_F(PictureBoxTest, ZeroDelaysKeptWhenNotReplaced) {
    PictureBox p;
    ASSERT_GT(p.Create(hwnd, 20, 20, 40, 40, threeFrameGif(10, 0, 20), true, false), 0);
    EXPECT_EQ(p.FrameDelays(), (std::vector<int>{10, 0, 20}));
    tick(p);
    EXPECT_EQ(p.ShownFrame(), 1);
    EXPECT_EQ(p.TimerInterval(), kShortestFrameMs);
}

TEST_F(PictureBoxTest, RepaintDuringAnimationKeepsTheFrameOnShow) {
    PictureBox p;
    ASSERT_GT(p.Create(hwnd, 20, 20, 40, 40, threeFrameGif(10, 10, 10), true, true), 0);
    tick(p);
    ASSERT_EQ(p.ShownFrame(), 1);
    engine.Redraw();  // the whole window composes again
    EXPECT_EQ(p.ShownFrame(), 1);
    EXPECT_EQ(p.NextFrame(), 2);
    EXPECT_EQ(dominant(40, 40), 0x00FF00u);
}

TEST_F(PictureBoxTest, AnimateOffStopsAtFrameZeroAndOnStartsAgain) {
    PictureBox p;
    ASSERT_GT(p.Create(hwnd, 20, 20, 40, 40, threeFrameGif(10, 10, 10), true, true), 0);
    tick(p);
    tick(p);
    ASSERT_EQ(p.ShownFrame(), 2);
    p.Animate(false);
    EXPECT_FALSE(p.Started());
    EXPECT_EQ(p.ShownFrame(), 0);
    EXPECT_EQ(p.TimerInterval(), 0u);
    tick(p);  // a late tick of the old timer changes nothing
    EXPECT_EQ(p.ShownFrame(), 0);
    p.Repaint();
    EXPECT_EQ(p.ShownFrame(), 0);
    EXPECT_EQ(dominant(40, 40), 0xFF0000u);

    p.Animate(true);
    EXPECT_TRUE(p.Started());
    EXPECT_EQ(p.ShownFrame(), 0);
    tick(p);
    EXPECT_EQ(p.ShownFrame(), 1);
}

TEST_F(PictureBoxTest, StillPictureAndEmptyPicture) {
    PictureBox still;
    ASSERT_GT(still.Create(hwnd, 20, 20, 18, 18, korvel::pictures::progressThumb()), 0);
    EXPECT_EQ(still.FrameCount(), 1);
    EXPECT_EQ(still.ShownFrame(), 0);
    EXPECT_EQ(still.TimerInterval(), 0u);  // nothing to time
    still.Repaint();
    EXPECT_EQ(still.ShownFrame(), 0);

    PictureBox empty;
    ASSERT_GT(empty.Create(hwnd, 100, 100, 16, 16, {}), 0);
    EXPECT_FALSE(empty.Picture());
    EXPECT_EQ(shown(108, 108), 0x808080u);  // draws nothing
}

TEST_F(PictureBoxTest, SetPictureAndCreateFromImage) {
    PictureBox p;
    ASSERT_GT(p.Create(hwnd, 20, 20, 40, 40, korvel::pictures::progressThumb()), 0);
    p.SetPicture(threeFrameGif(5, 5, 5));
    EXPECT_EQ(p.FrameCount(), 3);
    EXPECT_EQ(dominant(40, 40), 0xFF0000u);

    PictureBox copy;
    ASSERT_GT(copy.CreateFromImage(hwnd, 100, 20, 40, 40, p.Picture().Handle()), 0);
    EXPECT_NE(copy.Picture().Handle(), p.Picture().Handle());  // its own copy
    EXPECT_FALSE(copy.Animate());
    EXPECT_EQ(dominant(120, 40), 0xFF0000u);
}

// Still opaque pictures are stretched by GDI from a decoded copy: the box
// is covered opaquely, and a new picture is never shown from the old copy.
TEST_F(PictureBoxTest, StretchedOpaquePictureCoversTheBoxAndFollowsItsPicture) {
    PictureBox p, reference;
    ASSERT_GT(p.Create(hwnd, 10, 10, 100, 70, korvel::pictures::tileIcon2()), 0);
    const DibBuffer& present = engine.Record()->present;
    for (int y : {10, 45, 79})
        for (int x : {10, 60, 109}) EXPECT_EQ(present.Pixel(x, y) >> 24, 255u) << x << "," << y;
    const std::uint32_t before = shown(60, 45);

    p.SetPicture(korvel::pictures::tileIcon4());
    ASSERT_GT(reference.Create(hwnd, 150, 10, 100, 70, korvel::pictures::tileIcon4()), 0);
    int differing = 0;
    for (int y = 10; y < 80; y += 4)
        for (int x = 10; x < 110; x += 4) differing += shown(x, y) != shown(x + 140, y);
    EXPECT_EQ(differing, 0);
    EXPECT_NE(shown(60, 45), before);
}

// The picture is drawn by GDI, which the GDI+ clip of a partial repaint does
// not bind: it keeps to the repainted area all the same, so a control above
// the picture and outside that area keeps its pixels.
TEST_F(PictureBoxTest, OpaquePictureKeepsToThePartialRepaintArea) {
    ProbeControl below(0xFF20C040), above(0xFFC04020);
    ASSERT_TRUE(below.Create(hwnd, 10, 10, 30, 30, false));
    PictureBox p;
    ASSERT_GT(p.Create(hwnd, 10, 10, 100, 70, korvel::pictures::tileIcon2()), 0);
    ASSERT_TRUE(above.Create(hwnd, 80, 50, 20, 20, false));
    ASSERT_EQ(shown(90, 60), 0xC04020u);
    below.Repaint();  // the picture over it repaints inside its area only
    EXPECT_EQ(shown(90, 60), 0xC04020u);
    EXPECT_NE(shown(20, 20), 0x20C040u);  // the picture still covers the control below
}

// A hidden animated picture (on a page not shown) neither paints nor ticks;
// shown again, it plays on.
TEST_F(PictureBoxTest, HiddenAnimationLeavesWhatShowsAlone) {
    ProbeControl page;
    ASSERT_TRUE(page.Create(hwnd, 20, 20, 40, 40, false));
    PictureBox p;
    ASSERT_GT(p.Create(hwnd, 20, 20, 40, 40, threeFrameGif(2, 2, 2), true, true), 0);
    ASSERT_TRUE(engine.TimerRunning(p.ControlNumber()));
    p.Hide();
    engine.RecomposeArea(p.Rectangle());  // as the page container hides it
    ASSERT_EQ(shown(40, 40), 0x2040C0u);
    tick(p);
    // Its next tick finds it hidden and stops the timer, painting nothing.
    EXPECT_TRUE(
        korvel::wine_test::pumpUntil([&] { return !engine.TimerRunning(p.ControlNumber()); }));
    EXPECT_EQ(shown(40, 40), 0x2040C0u);
    p.Show();
    p.Repaint();
    EXPECT_TRUE(engine.TimerRunning(p.ControlNumber()));
    EXPECT_NE(shown(40, 40), 0x2040C0u);
}

TEST_F(PictureBoxTest, DestroyStopsTheAnimationAndReleasesThePicture) {
    PictureBox p;
    ASSERT_GT(p.Create(hwnd, 20, 20, 40, 40, threeFrameGif(10, 10, 10), true, true), 0);
    DestroyWindow(hwnd);
    hwnd = nullptr;
    EXPECT_FALSE(p.Animate());
    EXPECT_EQ(p.FrameCount(), 0);
    EXPECT_FALSE(p.Picture());
    EXPECT_FALSE(p.IsRegistered());
}

TEST(PictureBoxIcon, WindowsGetAPictureBoxIcon) {
    startToolkit();
    InstallPictureBoxIcons();
    HWND hwnd = makeTestWindow(200, 100, WS_POPUP | WS_SYSMENU);
    SkinEngine engine;
    AttachOptions options;
    options.panelColor = 0x808080;
    options.captionFlags = kCaptionIcon | kCaptionClose;
    ASSERT_TRUE(engine.Attach(hwnd, {}, options));
    ASSERT_NE(engine.IconControl(), nullptr);
    EXPECT_NE(dynamic_cast<PictureBox*>(engine.IconControl()), nullptr);
    EXPECT_EQ(engine.IconControl()->Rectangle(), (RectF{11, 11, 16, 16}));
    DestroyWindow(hwnd);
}

}  // namespace
