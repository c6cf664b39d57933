#include "skin/border_paint_win.h"

#include "skin/border_style.h"

namespace korvel::skin {

namespace {

void line(GpGraphics* g, GpPen* pen, float x1, float y1, float x2, float y2) {
    gdip::GdipDrawLine(g, pen, x1, y1, x2, y2);
}

GdipPenPtr makePen(Argb color, bool dashed) {
    GdipPenPtr pen;
    if (gdip::GdipCreatePen1(color, 1.0f, Gdiplus::UnitPixel, pen.put()) != Gdiplus::Ok) return {};
    if (dashed) gdip::GdipSetPenDashStyle(pen.get(), Gdiplus::DashStyleDash);
    return pen;
}

}  // namespace

void DrawBorder(GpGraphics* g, const RectF& r, int style) {
    const auto look = borderLook(style);
    if (!g || !look || r.width < 1 || r.height < 1) return;
    GdipPenPtr upper = makePen(look->topLeft, look->dashed);
    GdipPenPtr lower = makePen(look->bottomRight, look->dashed);
    if (!upper || !lower) return;
    // With the default pixel offset GDI+ puts pixel centres on whole
    // coordinates, so lines there are one crisp pixel wide.
    const float left = r.x;
    const float top = r.y;
    const float right = r.x + r.width - 1;
    const float bottom = r.y + r.height - 1;
    line(g, upper.get(), left, top, right, top);
    line(g, upper.get(), left, top + 1, left, bottom);
    line(g, lower.get(), left + 1, bottom, right, bottom);
    line(g, lower.get(), right, top + 1, right, bottom - 1);
}

}  // namespace korvel::skin
