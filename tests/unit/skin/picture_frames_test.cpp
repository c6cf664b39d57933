#include "skin/picture_frames.h"

#include <gtest/gtest.h>

namespace korvel::skin {
namespace {

// Runs the clock for n frames and records (frame, interval) as DrawFrame would.
std::vector<std::pair<int, unsigned>> play(FrameClock& clock, int n) {
    std::vector<std::pair<int, unsigned>> shown;
    for (int i = 0; i < n; ++i) {
        const int frame = clock.Take();
        shown.emplace_back(frame, clock.IntervalMs(frame));
    }
    return shown;
}

TEST(FrameClock, ZeroDelaysReplacedAndLooping) {
    FrameClock clock;
    clock.Reset(3, {10, 0, 20}, true);
    const std::vector<std::pair<int, unsigned>> expected = {{0, 100}, {1, 100}, {2, 200}, {0, 100},
                                                            {1, 100}, {2, 200}, {0, 100}};
    EXPECT_EQ(play(clock, 7), expected);
}

TEST(FrameClock, DelayCases) {
    struct Case {
        const char* what;
        int frames;
        std::vector<int> delays;
        bool replaceZero;
        std::vector<unsigned> intervals;
    };
    const Case cases[] = {
        {"zero kept: fastest timer", 2, {0, 5}, false, {10, 50}},
        {"short delay list", 3, {7}, true, {70, 100, 100}},
        {"negative delay", 1, {-4}, true, {10}},
        {"huge delay stays in range", 1, {2000000000}, false, {24u * 60 * 60 * 1000}},
        {"still picture", 1, {}, false, {100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FrameClock clock;
        clock.Reset(c.frames, c.delays, c.replaceZero);
        std::vector<unsigned> got;
        for (const auto& [frame, ms] : play(clock, c.frames)) got.push_back(ms);
        EXPECT_EQ(got, c.intervals);
    }
}

TEST(FrameClock, RestartAndStillPicture) {
    FrameClock clock;
    clock.Reset(4, {1, 1, 1, 1}, false);
    clock.Take();
    clock.Take();
    EXPECT_EQ(clock.NextFrame(), 2);
    clock.Restart();
    EXPECT_EQ(clock.Take(), 0);

    FrameClock still;
    still.Reset(1, {}, true);
    EXPECT_EQ(still.Take(), 0);
    EXPECT_EQ(still.Take(), 0);

    FrameClock none;
    none.Reset(-3, {}, true);
    EXPECT_EQ(none.FrameCount(), 0);
}

}  // namespace
}  // namespace korvel::skin
