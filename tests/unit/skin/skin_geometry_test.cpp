#include "skin/skin_geometry.h"

#include <gtest/gtest.h>

#include "skin/toolkit_messages.h"

using namespace korvel::skin;

namespace {

TEST(CaptionLayout, OrderIsCloseThenEachBitFromEightUp) {
    const auto slots = captionButtonLayout(500, false, 0x1FC);
    ASSERT_EQ(slots.size(), 7u);
    const unsigned kinds[] = {4, 8, 16, 32, 64, 128, 256};
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(slots[i].kind, kinds[i]);
    EXPECT_EQ(slots[6].rect.x, 500 - 8 - 39 - 6 * 28);
    EXPECT_TRUE(captionButtonLayout(500, false, 0).empty());
    EXPECT_TRUE(captionButtonLayout(500, false, kCaptionIcon | kCaptionTitle).empty());
}

TEST(CaptionLayout, MinimumTrackSize) {
    EXPECT_EQ(minTrackWidth(captionButtonCount(0x75), true), 163);
    EXPECT_EQ(minTrackWidth(0, false), 40);
    EXPECT_EQ(minTrackWidth(2, false), 96);
}

TEST(CaptionLayout, CompletingFlagsFromStyles) {
    const struct {
        std::optional<unsigned> given;
        bool maxBox, minBox;
        unsigned expected;
    } cases[] = {
        {std::nullopt, false, false, 1024u | 0x7},
        {std::nullopt, true, true, 1024u | 0x1F},
        {std::nullopt, false, true, 1024u | 0x17},
        {0u, true, true, 0},
        {6u, true, true, 6},
        {0x75u, true, true, 0x75},
        {1024u | 32u, true, false, 1024u | 32u | 0xF},
    };
    for (const auto& c : cases)
        EXPECT_EQ(completeCaptionFlags(c.given, c.maxBox, c.minBox), c.expected);
}

TEST(TitleRect, LeavesRoomForIconAndButtons) {
    // Icon, title, close, minimize, 32, 64 at 662 wide: left 33, right 662-10-123.
    EXPECT_EQ(titleRect(662, false, 0x77), (IntRect{33, 11, 662 - 10 - 123 - 33, 17}));
    // No icon: left margin + 8; close only: 28 + 11.
    EXPECT_EQ(titleRect(320, false, 6), (IntRect{13, 11, 320 - 10 - 39 - 13, 17}));
    EXPECT_EQ(titleRect(320, true, 6), (IntRect{8, 6, 320 - 5 - 39 - 8, 17}));
    EXPECT_FALSE(titleRect(60, false, 0x77).has_value());
}

TEST(BorderHit, CodesAndCursorsAroundTheFrame) {
    const int w = 300, h = 200;
    const struct {
        int x, y, code, cursor;
    } cases[] = {
        {3, 3, 4, 32642},     {9, 7, 4, 32642},     {10, 7, 3, 32645},    {150, 0, 3, 32645},
        {295, 2, 5, 32643},   {290, 7, 3, 32645},   {291, 7, 5, 32643},   {0, 100, 1, 32644},
        {7, 100, 1, 32644},   {8, 100, 0, 0},       {150, 100, 0, 0},     {291, 100, 2, 32644},
        {5, 195, 7, 32643},   {9, 191, 7, 32643},   {150, 191, 6, 32645}, {150, 190, 0, 0},
        {295, 195, 8, 32642}, {291, 191, 8, 32642},
    };
    for (const auto& c : cases) {
        const BorderHit hit = borderHit(c.x, c.y, w, h);
        EXPECT_EQ(hit.code, c.code) << c.x << "," << c.y;
        EXPECT_EQ(hit.cursor, c.cursor) << c.x << "," << c.y;
    }
}

TEST(HitTest, LastContainingEntryWinsAndZeroIdentitiesAreSkipped) {
    const HitCandidate list[] = {
        {{0, 0, 100, 100}, 1},
        {{50, 50, 100, 100}, 2},
        {{60, 60, 10, 10}, 0},
    };
    EXPECT_EQ(hitTest(list, 10, 10), 1);
    EXPECT_EQ(hitTest(list, 65, 65), 2);  // overlap: the later one
    EXPECT_EQ(hitTest(list, 149.9f, 60), 2);
    EXPECT_EQ(hitTest(list, 150, 60), 0);  // right edge is outside
    EXPECT_EQ(hitTest(list, 100, 40), 0);
    EXPECT_EQ(hitTest({}, 1, 1), 0);
}

TEST(RectF, ContainsAndIntersects) {
    const RectF r{10, 10, 5, 5};
    EXPECT_TRUE(r.contains(10, 10));
    EXPECT_TRUE(r.contains(14.99f, 14.99f));
    EXPECT_FALSE(r.contains(15, 12));
    EXPECT_FALSE(r.contains(9.9f, 12));
    EXPECT_TRUE(r.intersects({14, 14, 5, 5}));
    EXPECT_FALSE(r.intersects({15, 10, 5, 5}));
    EXPECT_FALSE(r.intersects({11, 11, 0, 3}));
}

TEST(RectF, InsetNeverGoesBelowZero) {
    EXPECT_EQ((RectF{10, 20, 30, 40}.inset(1)), (RectF{11, 21, 28, 38}));
    EXPECT_EQ((RectF{10, 20, 3, 40}.inset(2)), (RectF{12, 22, 0, 36}));
    EXPECT_EQ((RectF{0, 0, 8, 8}.inset(-1)), (RectF{-1, -1, 10, 10}));
}

TEST(Identity, SmallestFreeNumber) {
    const struct {
        std::vector<int> used;
        int expected;
    } cases[] = {
        {{}, 1}, {{1, 2, 3}, 4}, {{1, 3}, 2}, {{3, 1, 2, 5}, 4}, {{2, 3}, 1}, {{1, 1, 2}, 3},
    };
    for (const auto& c : cases) EXPECT_EQ(smallestFreeIdentity(c.used), c.expected);
}

TEST(TabStop, WrapsAndSkipsWhatCannotTakeTheFocus) {
    const TabCandidate ok{true, true, false, false};
    const TabCandidate noInput{false, true, false, false};  // inactive, hidden or disabled
    const TabCandidate unfocusable{true, false, false, false};
    const TabCandidate caption{true, true, true, false};
    const TabCandidate icon{true, true, false, true};
    const TabCandidate outside{true, true, false, false, false};
    const std::vector<TabCandidate> list{caption, icon, ok,          noInput,
                                         noInput, ok,   unfocusable, outside};
    EXPECT_EQ(nextTabStop(list, 0), 3);
    EXPECT_EQ(nextTabStop(list, 3), 6);
    EXPECT_EQ(nextTabStop(list, 6), 3);  // wraps past the unseen end and the caption controls
    EXPECT_EQ(nextTabStop(list, 99), 3);
    const std::vector<TabCandidate> none{caption, icon, noInput, unfocusable, outside};
    EXPECT_EQ(nextTabStop(none, 0), 0);
    EXPECT_EQ(nextTabStop(none, 2), 0);
    EXPECT_EQ(nextTabStop({}, 0), 0);
}

TEST(SpriteCells, EveryKindAndState) {
    const struct {
        unsigned kind;
        bool maximized;
        int normal, hover, pressed, width;
    } cases[] = {
        {4, false, 0, 40, 80, 39},       {8, false, 120, 149, 178, 28},
        {8, true, 207, 236, 265, 28},    {16, false, 294, 323, 352, 28},
        {32, false, 381, 410, 439, 28},  {64, false, 468, 497, 526, 28},
        {128, false, 555, 584, 613, 28}, {256, true, 642, 671, 700, 28},
    };
    for (const auto& c : cases) {
        const int xs[] = {c.normal, c.hover, c.pressed};
        for (int state = 0; state < 3; ++state) {
            const auto cell = captionSpriteCell(c.kind, c.maximized, state);
            ASSERT_TRUE(cell.has_value());
            EXPECT_EQ(cell->x, xs[state]) << c.kind << " " << state;
            EXPECT_EQ(cell->width, c.width);
        }
    }
    EXPECT_FALSE(captionSpriteCell(2, false, 0).has_value());
    EXPECT_FALSE(captionSpriteCell(4, false, 3).has_value());
    // The last cell ends inside the 729-pixel sprite.
    EXPECT_LE(captionSpriteCell(256, false, 2)->x + 28, 729);
}

TEST(FadeMargin, HalfTheSizeUpToOneHundred) {
    const int cases[][2] = {{0, 0}, {1, 0}, {100, 50}, {150, 75}, {200, 100}, {550, 100}};
    for (const auto& c : cases) EXPECT_EQ(fadeMargin(c[0]), c[1]) << c[0];
}

}  // namespace
