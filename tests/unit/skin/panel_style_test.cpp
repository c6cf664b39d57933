#include "skin/panel_style.h"

#include <gtest/gtest.h>

namespace korvel::skin {
namespace {

TEST(PanelStyle, SetStyleKeepsWhatIsNotGiven) {
    const PanelStyle start{PanelShape::Ellipse, 3, 0x80112233u, kNoFill};
    struct Case {
        const char* what;
        PanelStyleChange change;
        PanelStyle expected;
    };
    const Case cases[] = {
        {"fill only",
         {{}, {}, {}, 0xFEFFFFFFu},
         {PanelShape::Ellipse, 3, 0x80112233u, 0xFEFFFFFFu}},
        {"shape only", {4, {}, {}, {}}, {PanelShape::VerticalLine, 3, 0x80112233u, kNoFill}},
        {"bad shape draws a rectangle",
         {9, {}, {}, {}},
         {PanelShape::Rectangle, 3, 0x80112233u, kNoFill}},
        {"negative width is none",
         {{}, -2, {}, {}},
         {PanelShape::Ellipse, 0, 0x80112233u, kNoFill}},
        {"nothing", {}, start},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PanelStyle s = applyPanelStyle(start, c.change);
        EXPECT_EQ(s.shape, c.expected.shape);
        EXPECT_EQ(s.lineWidth, c.expected.lineWidth);
        EXPECT_EQ(s.lineColor, c.expected.lineColor);
        EXPECT_EQ(s.fillColor, c.expected.fillColor);
    }
}

}  // namespace
}  // namespace korvel::skin
