// Draws the border styles of border_style.h around a control rectangle.
#pragma once

#include "skin/gdi_handles_win.h"
#include "skin/skin_geometry.h"

namespace korvel::skin {

// The border's pixels lie inside r. Style 0 and unknown styles draw nothing.
void DrawBorder(GpGraphics* g, const RectF& r, int style);

}  // namespace korvel::skin
