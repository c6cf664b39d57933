// The face drawings of the drawn controls, rendered into an off-screen
// 32-bit buffer over a known background and checked pixel by pixel where
// the look is fixed: state colours, rounded or square corners, the
// accelerator underline, label borders and gradients, panel shapes and the
// progress track.
#include <gtest/gtest.h>

#include <cstdlib>

#include "skin/button_win.h"
#include "skin/label_win.h"
#include "skin/panel_win.h"
#include "skin/progress_bar_win.h"
#include "skin/skin_paint_win.h"
#include "skin/skin_toolkit_win.h"
#include "skin/tab_button_win.h"
#include "skin_test_support.h"

using namespace korvel::skin;

namespace {

struct Rgb {
    int r, g, b;
};

Rgb rgb(std::uint32_t argb) {
    return {static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
            static_cast<int>(argb & 0xFF)};
}

// An opaque canvas of one colour.
class Canvas {
  public:
    Canvas(int width, int height, Argb background = 0xFFFFFFFF) {
        korvel::skin::testing::startToolkit();
        WindowDc screen(nullptr);
        ok_ = buffer_.Make(screen.get(), width, height);
        if (ok_) FillRect(buffer_.Graphics(), {0, 0, float(width), float(height)}, background);
    }
    bool ok() const { return ok_; }
    GpGraphics* g() const { return buffer_.Graphics(); }
    Rgb at(int x, int y) const { return rgb(buffer_.Pixel(x, y)); }
    // Pixels in a rectangle darker than the threshold on every channel.
    int darkCount(int x, int y, int w, int h, int threshold = 128) const {
        int n = 0;
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) {
                const Rgb c = at(i, j);
                n += c.r < threshold && c.g < threshold && c.b < threshold;
            }
        return n;
    }
    // The rows in which any pixel is dark.
    std::vector<int> darkRows(int x, int y, int w, int h, int threshold = 128) const {
        std::vector<int> rows;
        for (int j = y; j < y + h; ++j)
            if (darkCount(x, j, w, 1, threshold)) rows.push_back(j);
        return rows;
    }

  private:
    DibBuffer buffer_;
    bool ok_ = false;
};

bool within(int a, int b, int tolerance = 4) { return std::abs(a - b) <= tolerance; }

ButtonFacePaint buttonPaint(ButtonState state, bool rounded = true) {
    ButtonFacePaint p;
    p.state = state;
    p.rounded = rounded;
    p.font = DefaultFont();
    p.textColor = defaultButtonTextColor();
    return p;
}

TEST(ButtonFaceDrawing, StateColoursOverWhite) {
    const RectF r{0, 0, 70, 24};
    for (ButtonState s : {ButtonState::Normal, ButtonState::Hover, ButtonState::Pressed,
                          ButtonState::Focused, ButtonState::Disabled}) {
        SCOPED_TRACE(static_cast<int>(s));
        Canvas c(70, 24);
        ASSERT_TRUE(c.ok());
        DrawButtonFace(c.g(), r, buttonPaint(s));
        const Rgb top = c.at(35, 3);
        const Rgb bottom = c.at(35, 20);
        switch (s) {
            case ButtonState::Normal:
                EXPECT_GT(top.r, 240);
                EXPECT_LT(bottom.r, 225);
                EXPECT_TRUE(within(bottom.r, bottom.b));  // grey, not blue
                break;
            case ButtonState::Hover:
                EXPECT_GT(bottom.b - bottom.r, 60);
                break;
            case ButtonState::Focused:
                EXPECT_GT(bottom.b - bottom.r, 40);
                break;
            case ButtonState::Pressed:
                EXPECT_LT(top.r, bottom.r - 20);  // dark at the top, light below
                break;
            case ButtonState::Disabled:
                // (96, 96, 96) at alpha 60 over white and no gradient: 218 everywhere.
                EXPECT_TRUE(within(top.r, 218)) << top.r;
                EXPECT_TRUE(within(bottom.r, 218)) << bottom.r;
                EXPECT_TRUE(within(top.g, top.b));
                break;
        }
    }
}

TEST(ButtonFaceDrawing, HoverIsBluerThanFocus) {
    Canvas hover(70, 24), focus(70, 24);
    DrawButtonFace(hover.g(), {0, 0, 70, 24}, buttonPaint(ButtonState::Hover));
    DrawButtonFace(focus.g(), {0, 0, 70, 24}, buttonPaint(ButtonState::Focused));
    EXPECT_LT(hover.at(35, 20).r, focus.at(35, 20).r);
}

TEST(ButtonFaceDrawing, RoundedCornersLeaveTheCornerPixel) {
    Canvas rounded(70, 24), square(70, 24);
    DrawButtonFace(rounded.g(), {0, 0, 70, 24}, buttonPaint(ButtonState::Normal, true));
    DrawButtonFace(square.g(), {0, 0, 70, 24}, buttonPaint(ButtonState::Normal, false));
    const Rgb roundCorner = rounded.at(0, 0);
    EXPECT_EQ(roundCorner.r, 255);
    EXPECT_EQ(roundCorner.b, 255);
    EXPECT_LT(square.at(0, 0).r, 230);
    // Both draw the outer outline along the middle of the top edge.
    EXPECT_LT(rounded.at(35, 0).r, 230);
    EXPECT_LT(square.at(35, 0).r, 230);
}

TEST(ButtonFaceDrawing, AcceleratorIsUnderlinedNotShown) {
    Canvas plain(70, 24), marked(70, 24);
    ButtonFacePaint p = buttonPaint(ButtonState::Normal);
    p.textColor = 0xFE000000;
    p.caption = "Y";
    DrawButtonFace(plain.g(), {0, 0, 70, 24}, p);
    p.caption = "&Y";
    DrawButtonFace(marked.g(), {0, 0, 70, 24}, p);
    const int plainInk = plain.darkCount(2, 2, 66, 20);
    const int markedInk = marked.darkCount(2, 2, 66, 20);
    ASSERT_GT(plainInk, 5) << "the caption drew nothing";
    EXPECT_GT(markedInk, plainInk);           // the underline
    EXPECT_LT(markedInk, plainInk * 2 + 12);  // but no ampersand glyph
    const std::vector<int> plainRows = plain.darkRows(2, 2, 66, 20);
    const std::vector<int> markedRows = marked.darkRows(2, 2, 66, 20);
    // The extra ink lies below the letter.
    ASSERT_FALSE(markedRows.empty());
    EXPECT_GT(markedRows.back(), plainRows.back());
    // Centred: the letter's ink sits about the middle of the face.
    int left = 70, right = 0;
    for (int x = 2; x < 68; ++x)
        if (plain.darkCount(x, 2, 1, 20)) left = std::min(left, x), right = std::max(right, x);
    EXPECT_TRUE(within((left + right) / 2, 35, 3)) << left << ".." << right;
}

TEST(ButtonFaceDrawing, DisabledCaptionIsGreyedOut) {
    Canvas enabled(70, 24), disabled(70, 24);
    ButtonFacePaint p = buttonPaint(ButtonState::Normal);
    p.caption = "MMMM";
    p.textColor = 0xFE000000;
    DrawButtonFace(enabled.g(), {0, 0, 70, 24}, p);
    p.state = ButtonState::Disabled;
    DrawButtonFace(disabled.g(), {0, 0, 70, 24}, p);
    EXPECT_GT(enabled.darkCount(2, 2, 66, 20, 80), 5);
    EXPECT_EQ(disabled.darkCount(2, 2, 66, 20, 80), 0);  // black at 90 never gets that dark
}

LabelPaint labelPaint() {
    LabelPaint p;
    p.font = DefaultFont();
    p.textColor = 0xFE000000;
    return p;
}

TEST(LabelDrawing, AlignmentCodesPlaceTheText) {
    struct Case {
        int code;
        bool left, centreX, right, top, centreY;
    };
    const Case cases[] = {
        {0, true, false, false, true, false}, {1, false, true, false, true, false},
        {2, false, false, true, true, false}, {3, true, false, false, false, true},
        {4, false, true, false, false, true}, {5, false, false, true, false, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.code);
        Canvas c(200, 60);
        LabelPaint p = labelPaint();
        p.text = "MM";
        p.alignment = k.code;
        DrawLabel(c.g(), {0, 0, 200, 60}, p);
        int left = 200, right = 0, top = 60, bottom = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 200; ++x)
                if (c.darkCount(x, y, 1, 1)) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
        ASSERT_LT(left, right);
        const int cx = (left + right) / 2, cy = (top + bottom) / 2;
        if (k.left) {
            EXPECT_LT(left, 10);
        }
        if (k.centreX) {
            EXPECT_TRUE(within(cx, 100, 4)) << cx;
        }
        if (k.right) {
            EXPECT_GT(right, 190);
        }
        if (k.top) {
            EXPECT_LT(top, 10);
        }
        if (k.centreY) {
            EXPECT_TRUE(within(cy, 30, 4)) << cy;
        }
    }
}

TEST(LabelDrawing, CrLfBreaksLinesWithoutDrawingTheCr) {
    Canvas crlf(120, 50), lf(120, 50);
    LabelPaint p = labelPaint();
    p.formatFlags = 0x800;
    p.alignment = 0;
    p.text = "AB\r\nCD";
    DrawLabel(crlf.g(), {0, 0, 120, 50}, p);
    p.text = "AB\nCD";
    DrawLabel(lf.g(), {0, 0, 120, 50}, p);
    ASSERT_GT(lf.darkCount(0, 0, 120, 50), 10);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 120; ++x) {
            const Rgb a = crlf.at(x, y), b = lf.at(x, y);
            ASSERT_EQ(a.r, b.r) << x << "," << y;
        }
    // Two lines: ink on two separate bands of rows.
    const std::vector<int> rows = lf.darkRows(0, 0, 120, 50);
    ASSERT_FALSE(rows.empty());
    EXPECT_GT(rows.back() - rows.front(), 14);
}

TEST(LabelDrawing, EmptyTextDrawsBorderThenBackground) {
    {
        Canvas c(100, 30, 0xFF808080);
        LabelPaint p = labelPaint();
        p.borderStyle = 1;  // sunken: dark above and left, light below and right
        p.gradientMode = 0;
        p.gradientStart = 0x80FF0000;
        p.gradientEnd = 0x800000FF;
        DrawLabel(c.g(), {0, 0, 100, 30}, p);
        // Horizontal gradient from red to blue, half transparent over grey.
        EXPECT_GT(c.at(3, 15).r, 150);
        EXPECT_LT(c.at(3, 15).b, 100);
        EXPECT_GT(c.at(96, 15).b, 150);
        EXPECT_LT(c.at(96, 15).r, 100);
        // The border shows through, tinted: dark above, light below.
        EXPECT_LT(c.at(50, 0).g, c.at(50, 15).g);
        EXPECT_GT(c.at(50, 29).g, c.at(50, 15).g);
    }
    {
        // An opaque gradient goes over the border.
        Canvas c(100, 30, 0xFF808080);
        LabelPaint p = labelPaint();
        p.borderStyle = 2;
        p.gradientMode = 1;
        p.gradientStart = 0xFE00FF00;
        p.gradientEnd = 0xFE00FF00;
        DrawLabel(c.g(), {0, 0, 100, 30}, p);
        for (const auto& [x, y] : {std::pair{50, 0}, {0, 15}, {99, 15}, {50, 29}}) {
            EXPECT_GT(c.at(x, y).g, 240) << x << "," << y;
            EXPECT_LT(c.at(x, y).r, 10) << x << "," << y;
        }
    }
}

TEST(LabelDrawing, DiagonalGradientModes) {
    for (int mode : {2, 3}) {
        Canvas c(100, 100, 0xFF000000);
        LabelPaint p = labelPaint();
        p.gradientMode = mode;
        p.gradientStart = 0xFEFF0000;
        p.gradientEnd = 0xFE0000FF;
        DrawLabel(c.g(), {0, 0, 100, 100}, p);
        // Forward: red at the top left, blue at the bottom right; backward:
        // red at the top right, blue at the bottom left. The other two
        // corners are both halfway.
        const Rgb start = mode == 2 ? c.at(2, 2) : c.at(97, 2);
        const Rgb end = mode == 2 ? c.at(97, 97) : c.at(2, 97);
        const Rgb across = mode == 2 ? c.at(97, 2) : c.at(2, 2);
        EXPECT_GT(start.r, 200) << mode;
        EXPECT_GT(end.b, 200) << mode;
        EXPECT_GT(across.r, 60) << mode;
        EXPECT_GT(across.b, 60) << mode;
    }
}

TEST(LabelDrawing, UnsetGradientEndIsTransparent) {
    Canvas c(100, 20, 0xFF00FF00);
    LabelPaint p = labelPaint();
    p.gradientMode = 0;
    p.gradientStart = 0xFEFF0000;
    p.gradientEnd = kUnsetColor;
    DrawLabel(c.g(), {0, 0, 100, 20}, p);
    EXPECT_GT(c.at(1, 10).r, 230);  // red at the start
    const Rgb end = c.at(98, 10);
    EXPECT_GT(end.g, 230);  // the green background shows through at the end
    EXPECT_LT(end.r, 20);
}

TEST(PanelDrawing, Shapes) {
    {
        // The main window's back panel: white at 254, line width 0.
        Canvas c(60, 40, 0xFF000000);
        DrawPanel(c.g(), {0, 0, 60, 40},
                  {PanelShape::Rectangle, 0, rgbaToArgb(255, 255, 255, 100), 0xFEFFFFFF});
        EXPECT_GE(c.at(30, 20).r, 252);
        EXPECT_GE(c.at(0, 0).r, 252);
    }
    {
        // Line width 0 is a one-pixel line, as a GDI+ pen of width 0 draws.
        Canvas c(60, 40, 0xFF000000);
        DrawPanel(c.g(), {0, 0, 60, 40}, {PanelShape::Rectangle, 0, 0xFEFFFFFF, kNoFill});
        EXPECT_GT(c.at(0, 20).r, 200);
        EXPECT_GT(c.at(30, 39).r, 200);
        EXPECT_EQ(c.at(1, 20).r, 0);
        EXPECT_EQ(c.at(30, 20).r, 0);
    }
    {
        // The side panel: outline only.
        Canvas c(60, 40, 0xFF000000);
        DrawPanel(c.g(), {0, 0, 60, 40},
                  {PanelShape::Rectangle, 1, rgbaToArgb(192, 192, 192, 200), kNoFill});
        EXPECT_EQ(c.at(30, 20).r, 0);
        EXPECT_GT(c.at(30, 0).r, 100);
        EXPECT_GT(c.at(0, 20).r, 100);
        EXPECT_GT(c.at(59, 20).r, 100);
        EXPECT_GT(c.at(30, 39).r, 100);
    }
    {
        Canvas c(60, 40, 0xFF000000);
        DrawPanel(c.g(), {0, 0, 60, 40}, {PanelShape::Ellipse, 1, 0xFEFFFFFF, 0xFEFF0000});
        EXPECT_GT(c.at(30, 20).r, 250);  // filled centre
        EXPECT_EQ(c.at(1, 1).r, 0);      // outside the ellipse
    }
    {
        Canvas c(60, 10, 0xFF000000);
        DrawPanel(c.g(), {0, 0, 60, 10}, {PanelShape::HorizontalLine, 1, 0xFEFFFFFF, kNoFill});
        EXPECT_GT(c.at(30, 0).r, 200);
        EXPECT_EQ(c.at(30, 5).r, 0);
    }
    {
        Canvas c(10, 60, 0xFF000000);
        DrawPanel(c.g(), {0, 0, 10, 60}, {PanelShape::VerticalLine, 1, 0xFEFFFFFF, kNoFill});
        EXPECT_GT(c.at(0, 30).r, 200);
        EXPECT_EQ(c.at(5, 30).r, 0);
    }
}

TEST(TabFaceDrawing, NormalTabShowsOnlyItsCaption) {
    Canvas c(70, 75, 0xFF808080);
    TabFacePaint p;
    p.state = TabState::Normal;
    p.font = DefaultFont();
    p.textColor = 0xFE000000;
    p.caption = "MM";
    p.alignment = 4;
    DrawTabFace(c.g(), {0, 0, 70, 75}, p);
    // No face: the corners and the middle stay the background grey.
    EXPECT_EQ(c.at(0, 0).r, 128);
    EXPECT_EQ(c.at(35, 1).r, 128);
    EXPECT_GT(c.darkCount(0, 0, 70, 75, 60), 5);

    Canvas hover(70, 75, 0xFF808080);
    p.state = TabState::Hover;
    DrawTabFace(hover.g(), {0, 0, 70, 75}, p);
    EXPECT_GT(hover.at(35, 3).r, 160);  // white at 100 near the top
    EXPECT_LT(hover.at(35, 0).r, 120);  // the outer outline
}

TEST(ProgressDrawing, EmptyAndHalfFull) {
    ProgressPaint p;
    p.rounded = false;
    Canvas empty(200, 16, 0xFF000000);
    DrawProgressBar(empty.g(), {0, 0, 200, 16}, p);
    // White at 70 over black: 70 inside the track, no bar.
    EXPECT_TRUE(within(empty.at(100, 8).r, 70));
    EXPECT_TRUE(within(empty.at(100, 8).b, 70));

    p.position = 50;
    Canvas half(200, 16, 0xFF000000);
    DrawProgressBar(half.g(), {0, 0, 200, 16}, p);
    const Rgb start = half.at(3, 8);
    const Rgb end = half.at(96, 8);
    EXPECT_GT(start.b, 150);    // (0, 136, 255) at the left
    EXPECT_GT(end.g, start.g);  // towards (0, 224, 128)
    EXPECT_LT(end.b, start.b);
    EXPECT_TRUE(within(half.at(150, 8).r, 70));  // beyond the bar: the bare track
}

}  // namespace
