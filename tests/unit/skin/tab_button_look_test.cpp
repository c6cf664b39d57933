#include "skin/tab_button_look.h"

#include <gtest/gtest.h>

namespace korvel::skin {
namespace {

TEST(TabLayout, Rectangles) {
    struct Case {
        const char* what;
        RectF control;
        int iconW, iconH;
        bool above, pressed;
        RectF icon, text;
    };
    const Case cases[] = {
        {"page tab: 54 x 54 icon above",
         {100, 20, 70, 75},
         54,
         54,
         true,
         false,
         {104, 24, 62, 54},
         {104, 80, 62, 11}},
        {"pressed page tab moves down-right",
         {100, 20, 70, 75},
         54,
         54,
         true,
         true,
         {105, 25, 62, 54},
         {105, 81, 62, 11}},
        {"tile: icon beside",
         {10, 10, 160, 58},
         47,
         50,
         false,
         false,
         {14, 14, 47, 50},
         {63, 14, 103, 50}},
        {"no icon", {0, 0, 80, 30}, 0, 0, false, false, {}, {4, 4, 72, 22}},
        {"no icon pressed", {0, 0, 80, 30}, 0, 0, true, true, {}, {5, 5, 72, 22}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TabLayout l = tabLayout(c.control, c.iconW, c.iconH, c.above, c.pressed);
        EXPECT_EQ(l.icon, c.icon);
        EXPECT_EQ(l.text, c.text);
    }
}

TEST(TabFace, TableRows) {
    struct Case {
        TabState state;
        Argb outer, inner, top, bottom;
        int fade;
    };
    const Case cases[] = {
        {TabState::Disabled, 0x14000000, 0x32FFFFFF, 0x64ECECEC, 0x64ECECEC, 204},
        {TabState::Selected, 0x50000000, 0x78FFFFFF, 0x50FFFFFF, 0x14FFFFFF, 51},
        {TabState::Normal, 0x00000000, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 51},
        {TabState::Hover, 0x50000000, 0x78FFFFFF, 0x64FFFFFF, 0x0AFFFFFF, 153},
        {TabState::Pressed, 0x50000000, 0x50FFFFFF, 0x0AFFFFFF, 0x78FFFFFF, 153},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.state));
        const TabFace& f = tabFace(c.state);
        EXPECT_EQ(f.outerOutline, c.outer);
        EXPECT_EQ(f.innerOutline, c.inner);
        EXPECT_EQ(f.gradientTop, c.top);
        EXPECT_EQ(f.gradientBottom, c.bottom);
        EXPECT_EQ(f.fadeAlpha, c.fade);
    }
}

TEST(TabFace, Defaults) {
    EXPECT_EQ(defaultTabAlignment(true), 4);
    EXPECT_EQ(defaultTabAlignment(false), 3);
    EXPECT_EQ(defaultTabTextColor(), 0xD2000000u);
}

}  // namespace
}  // namespace korvel::skin
