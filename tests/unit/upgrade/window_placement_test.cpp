#include "upgrade/window_placement.h"

#include <gtest/gtest.h>

using namespace korvel::upgrade;

namespace {

TEST(WindowPlacement, CentredOverTheOwnerAndKeptOnScreen) {
    const ScreenRect work{0, 0, 1280, 984};
    struct Case {
        const char* name;
        ScreenRect owner;
        int width, height;
        WindowOrigin at;
    } cases[] = {
        {"over the owner", {100, 100, 762, 585}, 360, 130, {251, 277}},
        {"odd remainder truncates", {0, 0, 101, 101}, 50, 50, {25, 25}},
        {"owner off the left edge", {-500, 10, 100, 400}, 360, 130, {0, 140}},
        {"owner off the bottom right", {1000, 900, 1600, 1200}, 360, 130, {920, 854}},
        {"no owner: centre of the work area", {}, 360, 130, {460, 427}},
        {"window larger than the work area", {0, 0, 100, 100}, 2000, 1200, {0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(centreOver(c.owner, c.width, c.height, work), c.at) << c.name;
    }
    // A work area that does not start at the origin (a taskbar on the left or top).
    EXPECT_EQ(centreOver({}, 100, 100, {60, 30, 1280, 1024}), (WindowOrigin{620, 477}));
    EXPECT_EQ(centreOver({0, 0, 50, 50}, 100, 100, {60, 30, 1280, 1024}), (WindowOrigin{60, 30}));
}

TEST(DialogUnits, BaseUnitsAsWindowsRoundsThem) {
    struct Case {
        int lettersWidth, height;
        DialogBaseUnits base;
    } cases[] = {
        {312, 12, {6, 12}},                    // 52 letters of 6 pixels
        {338, 13, {7, 13}},                    // average 6.5 rounds up
        {324, 12, {6, 12}},                    // average 6.23
        {416, 16, {8, 16}}, {0, 12, {8, 16}},  // nothing measured: the system font's units
        {312, 0, {8, 16}},  {-5, -5, {8, 16}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dialogBaseUnits(c.lettersWidth, c.height), c.base)
            << c.lettersWidth << " x " << c.height;
    }
    EXPECT_EQ(kBaseUnitLetters.size(), 52u);
}

TEST(DialogUnits, ToPixelsAsMapDialogRect) {
    struct Case {
        int width, height;
        DialogBaseUnits base;
        PixelSize pixels;
    } cases[] = {
        {248, 183, {6, 12}, {372, 275}},                                   // 274.5 rounds half up
        {248, 183, {8, 16}, {496, 366}}, {248, 183, {7, 13}, {434, 297}},  // 297.375 rounds down
        {4, 8, {6, 12}, {6, 12}},        {0, 0, {6, 12}, {0, 0}},
        {1, 1, {6, 12}, {2, 2}},  // 1.5 rounds up
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dialogUnitsToPixels(c.width, c.height, c.base), c.pixels)
            << c.width << " x " << c.height << " at " << c.base.x << "/" << c.base.y;
    }
}

}  // namespace
