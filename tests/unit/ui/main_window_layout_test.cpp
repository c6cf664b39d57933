#include "ui/main_window_layout.h"

#include <gtest/gtest.h>

using korvel::ui::Box;
using korvel::ui::mainWindowLayout;

TEST(MainWindowLayout, WindowSizeMovesOnlyTheSizeBoundElements) {
    const auto l = mainWindowLayout(800, 600);
    EXPECT_EQ(l.sidePanel.x, 590);
    EXPECT_EQ(l.tiles[0].x, 595);
    EXPECT_EQ(l.pictures[1].y, 460);
    EXPECT_EQ(l.queryButton, (Box{248, 410, 90, 30}));  // tied to the courier box
}
