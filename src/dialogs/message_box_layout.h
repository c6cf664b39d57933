// The message box's fixed arithmetic: its button sets and result codes, the
// window and text sizes after fitting the text, button places, the icon
// column in the strip and the bands its paint handler draws.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "skin/skin_geometry.h"

namespace korvel::dialogs {

// MessageBoxResult: the answer showMessageBox returns.
constexpr int kResultOk = 0;
constexpr int kResultCancel = 1;
constexpr int kResultAbort = 2;
constexpr int kResultRetry = 3;
constexpr int kResultIgnore = 4;
constexpr int kResultYes = 5;
constexpr int kResultNo = 6;

// ButtonSet values.
constexpr int kButtonsOk = 0;
constexpr int kButtonsCancelOk = 1;
constexpr int kButtonsAbortRetryIgnore = 2;
constexpr int kButtonsCancelNoYes = 3;
constexpr int kButtonsNoYes = 4;
constexpr int kButtonsCancelRetry = 5;

// Icon values.
constexpr int kIconNone = 0;
constexpr int kIconError = 16;
constexpr int kIconQuestion = 32;
constexpr int kIconWarning = 48;
constexpr int kIconInformation = 64;
constexpr int kIconSuccess = 128;

struct BoxButton {
    const char* caption;
    int result;
};

// The buttons of a set, right-most first; none for an unknown set.
std::span<const BoxButton> boxButtons(int buttonSet);

constexpr int kBoxWidth = 320;
constexpr int kBoxHeight = 150;
constexpr int kBoxButtonWidth = 70;
constexpr int kBoxButtonHeight = 24;
constexpr int kIconSize = 40;
constexpr int kMaxBoxButtons = 3;

struct BoxLayout {
    int width = kBoxWidth;
    int height = kBoxHeight;
    skin::RectF text;
};

// 320 x 150 with the text at (30, 43, 260, 50), or (85, 43, 200, 50) beside an icon.
BoxLayout initialBoxLayout(bool icon);

// Grows the box to a text measured at width x height (explicit line breaks
// only): wider text widens the window, taller text heightens it, and a
// text of less than 30 pixels moves down by 4.
BoxLayout fitBoxText(bool icon, float measuredWidth, float measuredHeight);

// trunc((screen - size) / 2) on each axis.
struct Point {
    int x = 0;
    int y = 0;
};
Point centredOrigin(int screenWidth, int screenHeight, int width, int height);

// Button index (0 = first, right-most) in a box of width x height. The
// first layout and the one after a resize step differently.
skin::IntRect boxButtonRect(int index, int width, int height, bool afterResize);

// Left edge of the icon's 40-pixel column in the strip: error 0, warning 40,
// question 80, information 120, success 160, anything else 0.
int iconColumn(int icon);

// The MessageBeep type for an icon value (MB_ICONHAND, MB_ICONQUESTION,
// MB_ICONEXCLAMATION, MB_ICONASTERISK; MB_OK for the success icon and
// anything else).
unsigned beepType(int icon);

struct GradientBand {
    skin::RectF rect;  // the gradient spans this; the fill is 1 pixel smaller each way
    int topAlpha = 0;
    int bottomAlpha = 0;
};

// The three white bands behind the title, the text and the buttons.
std::array<GradientBand, 3> boxBands(int width, int height);

// The line above the buttons: from (6, h - 40) to (w - 6, h - 40).
struct Line {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
Line boxSeparator(int width, int height);

// A decimal integer as the box keeps its result codes and the owner handle
// in control texts; nothing for an empty or malformed text.
std::optional<long long> parseDecimal(std::string_view text);

}  // namespace korvel::dialogs
