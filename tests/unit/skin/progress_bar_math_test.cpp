#include "skin/progress_bar_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace korvel::skin {
namespace {

TEST(ProgressMath, ClampAndHeight) {
    struct Case {
        float in, out;
    };
    const Case cases[] = {{150, 100},
                          {-5, 0},
                          {0, 0},
                          {100, 100},
                          {37.5f, 37.5f},
                          {std::numeric_limits<float>::infinity(), 100},
                          {std::numeric_limits<float>::quiet_NaN(), 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(clampProgress(c.in), c.out);
    }
    EXPECT_EQ(progressHeight(8), 12);
    EXPECT_EQ(progressHeight(12), 12);
    EXPECT_EQ(progressHeight(20), 20);
}

TEST(ProgressMath, TrackBarAndThumb) {
    const RectF control{10, 20, 218, 16};
    EXPECT_EQ(progressTrack(control, 0), control);
    EXPECT_EQ(progressTrack(control, kProgressThinLook), (RectF{12, 22, 214, 12}));
    EXPECT_EQ(progressBar(control, 50), (RectF{10, 20, 109, 16}));
    EXPECT_EQ(progressBar(control, 0).width, 0);
    EXPECT_EQ(progressBar(control, 250).width, 218);
    // The thumb's centre runs from x + 9 to x + width - 9.
    EXPECT_EQ(progressThumbLeft(control, 0, 18), 10);
    EXPECT_EQ(progressThumbLeft(control, 100, 18), 10 + 218 - 18);
    EXPECT_EQ(progressThumbLeft(control, 50, 18), 10 + 9 + 100 - 9);
}

TEST(ProgressMath, PositionFromPointer) {
    struct Case {
        int pointer, windowLeft;
        float left, width, position;
    };
    const Case cases[] = {
        {300 + 40 + 9, 300, 40, 218, 0},  // the left end of the span
        {300 + 40 + 9 + 100, 300, 40, 218, 50},
        {300 + 40 + 209, 300, 40, 218, 100},
        {300 + 40 + 400, 300, 40, 218, 100},  // right of the bar
        {300, 300, 40, 218, 0},               // left of the bar
        {350, 300, 40, 18, 0},                // no span to map onto
        {350, 300, 40, 10, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pointer);
        const float p = progressFromPointer(c.pointer, c.windowLeft, c.left, c.width);
        EXPECT_FALSE(std::isnan(p));
        EXPECT_FLOAT_EQ(p, c.position);
    }
}

}  // namespace
}  // namespace korvel::skin
