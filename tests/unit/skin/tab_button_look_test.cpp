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

}  // namespace
}  // namespace korvel::skin
