// Outlines whose pixels lie exactly inside a rectangle. With the default
// pixel offset GDI+ puts pixel centres on whole coordinates, so a pen of
// width w runs (w - 1) / 2 in from the edge: crisp under Windows' anti-
// aliasing and under Wine, which rounds half-pixel lines to the next row.
#pragma once

#include "skin/gdi_handles_win.h"
#include "skin/skin_color.h"
#include "skin/skin_geometry.h"

namespace korvel::skin {

// The rectangle a pen of the given width strokes so its pixels fill r's edge.
RectF StrokeRect(const RectF& r, float width = 1.0f);

void OutlineInside(GpGraphics* g, const RectF& r, Argb color, float width = 1.0f);
void OutlineRoundedInside(GpGraphics* g, const RectF& r, float radius, Argb color,
                          float width = 1.0f);

}  // namespace korvel::skin
