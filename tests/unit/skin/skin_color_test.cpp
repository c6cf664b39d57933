#include "skin/skin_color.h"

#include <gtest/gtest.h>

#include <vector>

#include "skin/hotkey_list.h"

using namespace korvel::skin;

namespace {

TEST(SkinColor, ColorToArgbStores255As254) {
    const struct {
        std::uint32_t bgr;
        int alpha;
        Argb expected;
    } cases[] = {
        {0x000000, 210, 0xD2000000}, {0xFFFFFF, 255, 0xFEFFFFFF}, {0xFFFFFF, 254, 0xFEFFFFFF},
        {0xFF8800, 170, 0xAA0088FF}, {0x0000FF, 0, 0x00FF0000},   {0x123456, 300, 0xFE563412},
        {0x123456, -3, 0x00563412},
    };
    for (const auto& c : cases) EXPECT_EQ(colorToArgb(c.bgr, c.alpha), c.expected) << c.bgr;
    EXPECT_EQ(colorToArgb(0xFFFFFF), 0xFEFFFFFFu);  // no alpha given
    EXPECT_EQ(rgbaToArgb(0, 136, 255, 110), 0x6E0088FFu);
    EXPECT_EQ(rgbaToArgb(255, 255, 255), 0xFEFFFFFFu);
    EXPECT_EQ(exactArgb(0x112233, 255), 0xFF332211u);
    EXPECT_EQ(exactArgb(0x112233, 999), 0xFF332211u);
}

TEST(SkinColor, SampledPixelSwapsRedAndBlue) {
    EXPECT_EQ(argbToColor(0xFF112233), 0x332211u);
    EXPECT_EQ(argbToColor(0x80FF8800), 0x0088FFu);
    EXPECT_EQ(argbToColor(0), 0u);
}

TEST(SkinColor, SamplePointAt85PercentRoundedAndInside) {
    const struct {
        int w, h, x, y;
    } cases[] = {{550, 825, 468, 701}, {100, 60, 85, 51}, {10, 10, 9, 9},
                 {1, 1, 0, 0},         {0, 0, 0, 0},      {3, 7, 2, 6}};
    for (const auto& c : cases) {
        const SamplePoint p = panelSamplePoint(c.w, c.h);
        EXPECT_EQ(p.x, c.x) << c.w;
        EXPECT_EQ(p.y, c.y) << c.h;
    }
}

TEST(SkinColor, DarkUnlessTwoPartsAreBright) {
    const struct {
        int r, g, b;
        bool dark;
    } cases[] = {
        {0, 0, 0, true},       {255, 255, 255, false}, {126, 126, 0, false}, {125, 126, 255, false},
        {125, 125, 255, true}, {255, 0, 0, true},      {0, 136, 255, false}, {126, 0, 0, true},
    };
    for (const auto& c : cases) EXPECT_EQ(isDark(c.r, c.g, c.b), c.dark) << c.r << c.g << c.b;
    EXPECT_TRUE(isDarkColor(0x0000FF));   // pure red as 0x00BBGGRR
    EXPECT_FALSE(isDarkColor(0xFFFF00));  // cyan
}

TEST(SkinColor, AutomaticTextColourNeedsAllThreeSamplesDark) {
    const std::vector<std::uint32_t> black(3, 0), white(3, 0xFFFFFF);
    const std::vector<std::uint32_t> oneDark{0, 0xFFFFFF, 0xFFFFFF};
    const std::vector<std::uint32_t> twoDark{0, 0, 0xFFFFFF};
    EXPECT_TRUE(allDark(black));
    EXPECT_FALSE(allDark(white));
    EXPECT_FALSE(allDark(oneDark));
    EXPECT_FALSE(allDark(twoDark));
    EXPECT_FALSE(allDark({}));
    EXPECT_EQ(contrastingTextColor(0xE6000000, true), 0xE6FFFFFFu);
    EXPECT_EQ(contrastingTextColor(0xD2FFFFFF, false), 0xD2000000u);
}

TEST(SkinColor, DarknessSamplesAcrossTheMiddle) {
    const DarknessSamples s = darknessSamplePoints(10, 20, 100, 31);
    EXPECT_EQ(s.x[0], 30);
    EXPECT_EQ(s.x[1], 60);
    EXPECT_EQ(s.x[2], 90);
    EXPECT_EQ(s.y, 35);
}

TEST(HotkeyList, SetChangeRemoveAndFirstMatchWins) {
    using Owners = std::vector<ControlToken>;
    auto owner = [](std::uint32_t n) { return ControlToken{n}; };
    HotkeyList list;
    EXPECT_EQ(list.Update(owner(3), 'Y'), 1);
    EXPECT_EQ(list.Update(owner(5), 'N'), 1);
    EXPECT_EQ(list.Update(owner(7), 'y'), 1);
    EXPECT_EQ(list.Update(owner(9), 's'), 1);
    EXPECT_EQ(list.Matches('Y'), (Owners{owner(3), owner(7)}));  // the entry's own letter is folded
    // The pressed key is not: 0x79 is F10 and 0x73 is F4, not "y" and "s".
    EXPECT_TRUE(list.Matches(0x79).empty());
    EXPECT_TRUE(list.Matches(0x73).empty());
    EXPECT_EQ(list.Matches('S'), Owners{owner(9)});
    EXPECT_EQ(list.Update(owner(3), 'Q'), 1);  // changes in place
    EXPECT_EQ(list.Entries().size(), 4u);
    EXPECT_EQ(list.Matches('Y'), Owners{owner(7)});
    EXPECT_EQ(list.Update(owner(5), 0), 1);
    EXPECT_EQ(list.Update(owner(5), 0), 0);
    EXPECT_TRUE(list.Matches('N').empty());
    EXPECT_TRUE(list.Matches('1').empty());
    list.Clear();
    EXPECT_TRUE(list.Entries().empty());
}

TEST(HotkeyList, AcceleratorIsTheByteAfterTheFirstAmpersand) {
    const struct {
        const char* text;
        int key;
    } cases[] = {
        {"是(&Y)", 'Y'}, {"&Open", 'O'}, {"A&B&C", 'B'}, {"确认", 0}, {"end&", 0}, {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(acceleratorKey(c.text), c.key) << c.text;
}

}  // namespace
