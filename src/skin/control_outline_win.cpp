#include "skin/control_outline_win.h"

#include <algorithm>

#include "skin/skin_paint_win.h"

namespace korvel::skin {

namespace {

GdipPenPtr makePen(Argb color, float width) {
    GdipPenPtr pen;
    if (gdip::GdipCreatePen1(color, width, Gdiplus::UnitPixel, pen.put()) != Gdiplus::Ok) return {};
    return pen;
}

}  // namespace

RectF StrokeRect(const RectF& r, float width) {
    const float inset = (width - 1) / 2;
    return {r.x + inset, r.y + inset, std::max(0.0f, r.width - width),
            std::max(0.0f, r.height - width)};
}

void OutlineInside(GpGraphics* g, const RectF& r, Argb color, float width) {
    if (!g || width <= 0 || r.width < 1 || r.height < 1) return;
    GdipPenPtr pen = makePen(color, width);
    const RectF s = StrokeRect(r, width);
    if (pen) gdip::GdipDrawRectangle(g, pen.get(), s.x, s.y, s.width, s.height);
}

void OutlineRoundedInside(GpGraphics* g, const RectF& r, float radius, Argb color, float width) {
    if (!g || width <= 0 || r.width < 1 || r.height < 1) return;
    GdipPenPtr pen = makePen(color, width);
    const RectF s = StrokeRect(r, width);
    GdipPathPtr path = RoundedRectPath(s.x, s.y, s.width, s.height, radius);
    if (pen && path) gdip::GdipDrawPath(g, pen.get(), path.get());
}

}  // namespace korvel::skin
