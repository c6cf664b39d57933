#include "ui/main_window_layout.h"

namespace korvel::ui {

MainWindowLayout mainWindowLayout(int w, int h) {
    MainWindowLayout l;
    l.tree = {8, 115, 192, 340};
    l.resultBox = {340, 115, 312, 340};
    l.courierBox = {l.tree.x + l.tree.width + 2, l.tree.y + 25, 136, 20};
    l.animation = {48, 144, 88, 88};

    const Box& cb = l.courierBox;
    const int below = cb.y + cb.height;
    l.backPanel = {5, 110, w - 10, 350};
    l.sidePanel = {w - 210, 110, 210, 350};
    l.pageContainer = {5, 80, w - 5, h - 100};
    l.searchCaption = {l.tree.x + l.tree.width + 5, l.tree.y, 130, 20};
    l.statusLabel = {cb.x, below + 50, cb.width, 110};
    l.versionText = {318, 130, 135, 200};
    l.thanksText = {10, 150, 300, 300};
    l.noticeText = {l.animation.x + l.animation.width + 5, l.animation.y + 10, 480, 50};
    for (int i = 0; i < 3; ++i) l.tabs[i] = {10 + 85 * i, 30, 70, 75};
    for (int i = 0; i < 4; ++i) l.tiles[i] = {w - 205, 120 + 60 * i, 190, 60};
    l.locateButton = {cb.x + cb.width - 45, below + 10, 45, 30};
    l.importButton = {cb.x + cb.width - 90, below + 210, 90, 30};
    l.queryButton = {cb.x + cb.width - 90, below + 250, 90, 30};
    l.saveButton = {cb.x + cb.width - 90, below + 170, 90, 30};
    l.pictures[0] = {10, 150, 170, 110};
    l.pictures[1] = {280, h - 140, 170, 110};
    l.pictures[2] = {15, h - 140, 70, 70};
    return l;
}

}  // namespace korvel::ui
