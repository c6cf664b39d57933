// A plain shape in a skinned window: rectangle, rounded rectangle, ellipse
// or a horizontal or vertical line, with an optional fill and an outline.
// It takes no input and no focus.
#pragma once

#include <optional>

#include "skin/panel_style.h"
#include "skin/skin_control_win.h"

namespace korvel::skin {

// Draws the style into r of g.
void DrawPanel(GpGraphics* g, const RectF& r, const PanelStyle& style);

class Panel : public SkinControl {
  public:
    // Registers the panel (kind 14, not focusable) and paints it when
    // visible. Returns the control number, 0 when hwnd is not skinned.
    int Create(HWND hwnd, int x, int y, int width, int height, int shape,
               std::optional<int> lineWidth = std::nullopt,
               std::optional<Argb> lineColor = std::nullopt,
               std::optional<Argb> fillColor = std::nullopt, bool visible = true);
    // Replaces the given parts of the style; repaints unless told not to.
    void SetStyle(const PanelStyleChange& change, bool repaint = true);
    const PanelStyle& Style() const { return style_; }

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, int window,
                          int control, int extra) override;

  private:
    PanelStyle style_;
};

}  // namespace korvel::skin
