#include "ui/main_window_layout.h"

#include <gtest/gtest.h>

using korvel::ui::Box;
using korvel::ui::mainWindowLayout;

TEST(MainWindowLayout, DesignedSizeGivesTheKnownPlaces) {
    const auto l = mainWindowLayout();
    EXPECT_EQ(l.courierBox, (Box{202, 140, 136, 20}));
    EXPECT_EQ(l.searchCaption, (Box{205, 115, 130, 20}));
    EXPECT_EQ(l.statusLabel, (Box{202, 210, 136, 110}));
    EXPECT_EQ(l.noticeText, (Box{141, 154, 480, 50}));
    // The push buttons of the query page.
    EXPECT_EQ(l.locateButton, (Box{293, 170, 45, 30}));
    EXPECT_EQ(l.saveButton, (Box{248, 330, 90, 30}));
    EXPECT_EQ(l.importButton, (Box{248, 370, 90, 30}));
    EXPECT_EQ(l.queryButton, (Box{248, 410, 90, 30}));
    EXPECT_EQ(l.tabs[1], (Box{95, 30, 70, 75}));
    EXPECT_EQ(l.tabs[2], (Box{180, 30, 70, 75}));
    EXPECT_EQ(l.tiles[3], (Box{457, 300, 190, 60}));
    EXPECT_EQ(l.backPanel, (Box{5, 110, 652, 350}));
    EXPECT_EQ(l.sidePanel, (Box{452, 110, 210, 350}));
    EXPECT_EQ(l.pageContainer, (Box{5, 80, 657, 385}));
    EXPECT_EQ(l.pictures[1], (Box{280, 345, 170, 110}));
    EXPECT_EQ(l.pictures[2], (Box{15, 345, 70, 70}));
}

TEST(MainWindowLayout, WindowSizeMovesOnlyTheSizeBoundElements) {
    const auto l = mainWindowLayout(800, 600);
    EXPECT_EQ(l.sidePanel.x, 590);
    EXPECT_EQ(l.tiles[0].x, 595);
    EXPECT_EQ(l.pictures[1].y, 460);
    EXPECT_EQ(l.queryButton, (Box{248, 410, 90, 30}));  // tied to the courier box
}
