#include "skin/panel_win.h"

#include <algorithm>

#include "skin/skin_paint_win.h"

namespace korvel::skin {

namespace {

constexpr float kCornerRadius = 7;

}  // namespace

void DrawPanel(GpGraphics* g, const RectF& r, const PanelStyle& s) {
    if (!g) return;
    const bool fill = s.fillColor != kNoFill;
    // A GDI+ pen of width 0 draws one pixel, so width 0 is a one-pixel line.
    const float w = static_cast<float>(std::max(1, s.lineWidth));
    switch (s.shape) {
        case PanelShape::Rectangle:
            if (fill) FillRect(g, r, s.fillColor);
            OutlineRect(g, r, s.lineColor, w);
            break;
        case PanelShape::RoundedRectangle:
            if (fill) FillRounded(g, r, kCornerRadius, s.fillColor);
            OutlineRounded(g, r, kCornerRadius, s.lineColor, w);
            break;
        case PanelShape::Ellipse: {
            if (fill) {
                GdipBrushPtr brush = MakeBrush(s.fillColor);
                if (brush) gdip::GdipFillEllipse(g, brush.get(), r.x, r.y, r.width, r.height);
            }
            GdipPenPtr pen = MakePen(s.lineColor, w);
            const RectF stroke = StrokeRect(r, w);
            if (pen)
                gdip::GdipDrawEllipse(g, pen.get(), stroke.x, stroke.y, stroke.width,
                                      stroke.height);
            break;
        }
        case PanelShape::HorizontalLine: {
            GdipPenPtr pen = MakePen(s.lineColor, w);
            // Along the top edge, inside the control, so a one-pixel-high panel shows it whole.
            const float y = StrokeRect(r, w).y;
            if (pen) gdip::GdipDrawLine(g, pen.get(), r.x, y, r.x + r.width, y);
            break;
        }
        case PanelShape::VerticalLine: {
            GdipPenPtr pen = MakePen(s.lineColor, w);
            const float x = StrokeRect(r, w).x;
            if (pen) gdip::GdipDrawLine(g, pen.get(), x, r.y, x, r.y + r.height);
            break;
        }
    }
}

int Panel::Create(HWND hwnd, int x, int y, int width, int height, int shape,
                  std::optional<int> lineWidth, std::optional<Argb> lineColor,
                  std::optional<Argb> fillColor, bool visible) {
    if (IsRegistered()) return 0;
    style_ = applyPanelStyle(PanelStyle{}, {shape, lineWidth, lineColor, fillColor});
    const RectF rect{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                     static_cast<float>(height)};
    if (!Register(hwnd, rect, kKindPanel, visible ? 1 : 0, false, kCursorArrow)) return 0;
    if (visible) Repaint();
    return ControlNumber();
}

void Panel::SetStyle(const PanelStyleChange& change, bool repaint) {
    style_ = applyPanelStyle(style_, change);
    if (repaint) Repaint();
}

LRESULT Panel::HandleMessage(HWND, UINT message, WPARAM, LPARAM, int, int, int) {
    if (message != kMsgPaint) return 0;
    GpGraphics* g = BeginRepaint();
    if (!g) return 0;
    DrawPanel(g, Rectangle(), style_);
    EndRepaint(true);
    return 0;
}

}  // namespace korvel::skin
