// What a Panel draws: its shape, outline and optional fill.
#pragma once

#include <optional>

#include "skin/skin_color.h"

namespace korvel::skin {

enum class PanelShape {
    Rectangle = 0,
    RoundedRectangle = 1,
    Ellipse = 2,
    HorizontalLine = 3,
    VerticalLine = 4
};

// No stored colour is ever 0xFFFFFFFF (an alpha of 255 is kept as 254), so it
// can stand for "no fill".
constexpr Argb kNoFill = 0xFFFFFFFFu;

struct PanelStyle {
    PanelShape shape = PanelShape::Rectangle;
    int lineWidth = 1;
    Argb lineColor = rgbaToArgb(0, 0, 0, 70);
    Argb fillColor = kNoFill;
};

// A shape number outside 0..4 draws a plain rectangle.
PanelShape panelShape(int value);

// SetStyle: the given parts replace the stored ones, the rest stay.
struct PanelStyleChange {
    std::optional<int> shape;
    std::optional<int> lineWidth;
    std::optional<Argb> lineColor;
    std::optional<Argb> fillColor;
};
PanelStyle applyPanelStyle(const PanelStyle& current, const PanelStyleChange& change);

}  // namespace korvel::skin
