// Where everything of the main window goes, derived from its size W x H
// (662 x 485 as designed) and from the native controls' places. Pure
// arithmetic, so the layout is checked natively.
#pragma once

namespace korvel::ui {

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Box&) const = default;
};

struct MainWindowLayout {
    // Native controls.
    Box tree, resultBox, courierBox, animation;
    // Drawn elements, in creation order.
    Box backPanel, sidePanel, pageContainer;
    Box searchCaption, statusLabel, versionText, thanksText, noticeText;
    Box tabs[3];
    Box tiles[4];
    Box locateButton, importButton, queryButton, saveButton;
    Box pictures[3];
};

inline constexpr int kMainWindowWidth = 662;
inline constexpr int kMainWindowHeight = 485;
inline constexpr int kMainWindowX = 50;
inline constexpr int kMainWindowY = 50;

MainWindowLayout mainWindowLayout(int width = kMainWindowWidth, int height = kMainWindowHeight);

}  // namespace korvel::ui
