#include "skin/panel_style.h"

#include <algorithm>

namespace korvel::skin {

PanelShape panelShape(int value) {
    return value >= 0 && value <= 4 ? static_cast<PanelShape>(value) : PanelShape::Rectangle;
}

PanelStyle applyPanelStyle(const PanelStyle& current, const PanelStyleChange& change) {
    PanelStyle next = current;
    if (change.shape) next.shape = panelShape(*change.shape);
    if (change.lineWidth) next.lineWidth = std::max(0, *change.lineWidth);
    if (change.lineColor) next.lineColor = *change.lineColor;
    if (change.fillColor) next.fillColor = *change.fillColor;
    return next;
}

}  // namespace korvel::skin
