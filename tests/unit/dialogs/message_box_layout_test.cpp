#include "dialogs/message_box_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/message_box_texts.h"

namespace korvel::dialogs {
namespace {

TEST(MessageBoxLayout, ButtonSets) {
    struct Case {
        int set;
        std::vector<std::pair<std::string, int>> buttons;  // right-most first
    };
    const Case cases[] = {
        {0, {{korvel::dialogs::kButtonOk, 0}}},
        {1, {{korvel::dialogs::kButtonCancel, 1}, {korvel::dialogs::kButtonOk, 0}}},
        {2,
         {{korvel::dialogs::kButtonAbort, 2},
          {korvel::dialogs::kButtonRetry, 3},
          {korvel::dialogs::kButtonIgnore, 4}}},
        {3,
         {{korvel::dialogs::kButtonCancel, 1},
          {korvel::dialogs::kButtonNo, 6},
          {korvel::dialogs::kButtonYes, 5}}},
        {4, {{korvel::dialogs::kButtonNo, 6}, {korvel::dialogs::kButtonYes, 5}}},
        {5, {{korvel::dialogs::kButtonCancel, 1}, {korvel::dialogs::kButtonRetry, 3}}},
        {6, {}},
        {-1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        std::vector<std::pair<std::string, int>> got;
        for (const korvel::dialogs::BoxButton& b : korvel::dialogs::boxButtons(c.set))
            got.emplace_back(b.caption, b.result);
        EXPECT_EQ(got, c.buttons);
    }
}

TEST(MessageBoxLayout, TextFitting) {
    struct Case {
        const char* what;
        bool icon;
        float w, h;
        int boxW, boxH;
        skin::RectF text;
    };
    const Case cases[] = {
        {"one short line", false, 120, 14, 320, 150, {30, 47, 260, 50}},
        {"one short line beside an icon", true, 120, 14, 320, 150, {85, 47, 200, 50}},
        {"400 wide", false, 400, 14, 460, 150, {30, 47, 410, 50}},
        {"400 wide beside an icon", true, 400, 14, 520, 150, {85, 47, 410, 50}},
        {"two lines stay in place", false, 200, 30, 320, 150, {30, 43, 260, 50}},
        {"tall text", false, 200, 80.5f, 320, 180, {30, 43, 260, 85.5f}},
        {"wide and tall", true, 300.7f, 66, 420, 166, {85, 43, 310.7f, 71}},
        {"exactly the width", false, 260, 14, 320, 150, {30, 47, 260, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const korvel::dialogs::BoxLayout l = korvel::dialogs::fitBoxText(c.icon, c.w, c.h);
        EXPECT_EQ(l.width, c.boxW);
        EXPECT_EQ(l.height, c.boxH);
        EXPECT_FLOAT_EQ(l.text.x, c.text.x);
        EXPECT_FLOAT_EQ(l.text.y, c.text.y);
        EXPECT_FLOAT_EQ(l.text.width, c.text.width);
        EXPECT_FLOAT_EQ(l.text.height, c.text.height);
    }
}

TEST(MessageBoxLayout, ButtonPlacesAndCentring) {
    struct Case {
        int index, w, h;
        bool resized;
        skin::IntRect rect;
    };
    const Case cases[] = {
        {0, 320, 150, false, {237, 114, 70, 24}},
        {1, 320, 150, false, {162, 114, 70, 24}},
        {2, 320, 150, false, {87, 114, 70, 24}},
        {0, 460, 200, true, {375, 164, 70, 24}},
        {1, 460, 200, true, {295, 164, 70, 24}},
        {2, 460, 200, true, {215, 164, 70, 24}},
        {3, 320, 150, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.index << (c.resized ? " resized" : ""));
        EXPECT_EQ(korvel::dialogs::boxButtonRect(c.index, c.w, c.h, c.resized), c.rect);
    }
    EXPECT_EQ(korvel::dialogs::centredOrigin(1280, 1024, 320, 150).x, 480);
    EXPECT_EQ(korvel::dialogs::centredOrigin(1280, 1024, 320, 150).y, 437);
    EXPECT_EQ(korvel::dialogs::centredOrigin(1279, 1023, 320, 150).x, 479);
    // Wider than the screen: truncated toward zero, not floored.
    EXPECT_EQ(korvel::dialogs::centredOrigin(300, 100, 320, 150).x, -10);
    EXPECT_EQ(korvel::dialogs::centredOrigin(300, 100, 321, 151).y, -25);
}

TEST(MessageBoxLayout, DecimalTexts) {
    struct Case {
        const char* text;
        std::optional<long long> value;
    };
    const Case cases[] = {
        {"0", 0},    {"6", 6},   {"-1", -1},  {"2162884", 2162884},        {"", {}},
        {"12a", {}}, {" 3", {}}, {"abc", {}}, {"99999999999999999999", {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(korvel::dialogs::parseDecimal(c.text), c.value);
    }
}

}  // namespace
}  // namespace korvel::dialogs
