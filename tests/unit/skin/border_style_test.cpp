#include "skin/border_style.h"

#include <gtest/gtest.h>

namespace korvel::skin {
namespace {

TEST(BorderLook, Styles) {
    struct Case {
        int style;
        bool drawn;
        Argb topLeft, bottomRight;
        bool dashed;
    };
    const Case cases[] = {
        {0, false, 0, 0, false},
        {1, true, 0xA0000000u, 0xF5FFFFFFu, false},  // sunken
        {2, true, 0xF5FFFFFFu, 0xA0000000u, false},  // raised
        {3, true, 0xFE646464u, 0xFE646464u, false},
        {4, true, 0xFE646464u, 0xFE646464u, true},
        {5, false, 0, 0, false},
        {-1, false, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        const auto look = borderLook(c.style);
        ASSERT_EQ(look.has_value(), c.drawn);
        if (!look) continue;
        EXPECT_EQ(look->topLeft, c.topLeft);
        EXPECT_EQ(look->bottomRight, c.bottomRight);
        EXPECT_EQ(look->dashed, c.dashed);
    }
}

}  // namespace
}  // namespace korvel::skin
