#include "skin/border_paint_win.h"

#include "skin/border_style.h"
#include "skin/skin_paint_win.h"

namespace korvel::skin {

namespace {

void line(GpGraphics* g, GpPen* pen, float x1, float y1, float x2, float y2) {
    gdip::GdipDrawLine(g, pen, x1, y1, x2, y2);
}

}  // namespace

void DrawBorder(GpGraphics* g, const RectF& r, int style) {
    const auto look = borderLook(style);
    if (!g || !look || r.width < 1 || r.height < 1) return;
    const auto dash = look->dashed ? Gdiplus::DashStyleDash : Gdiplus::DashStyleSolid;
    GdipPenPtr upper = MakePen(look->topLeft, 1.0f, dash);
    GdipPenPtr lower = MakePen(look->bottomRight, 1.0f, dash);
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
