// Drawing helpers shared by the engine and the control classes: rounded
// paths, fills, outlines and gradients in ARGB, string formats from the
// toolkit's alignment codes, shadowed text, and the darkness test of a
// buffer area. Each helper frees its GDI+ objects before it returns.
#pragma once

#include <optional>
#include <string_view>

#include "skin/dib_buffer_win.h"
#include "skin/skin_color.h"
#include "skin/skin_geometry.h"

namespace korvel::skin {

// A closed path around (x, y, width, height) with rounded corners. The
// toolkit's "radius" of a rounded rectangle is the size of the corner arc
// (its diameter), the way the window region's corner ellipse is given: a
// frame style of 5 and an outline of "radius 6" then meet at the corner.
// A corner of 0 gives a plain rectangle.
GdipPathPtr RoundedRectPath(float x, float y, float width, float height, float corner);

// Pens and brushes for one drawing; empty when GDI+ refuses. Width is in
// pixels; a dashed pen uses the GDI+ dash style given.
GdipPenPtr MakePen(Argb color, float width = 1.0f,
                   Gdiplus::DashStyle dash = Gdiplus::DashStyleSolid);
GdipBrushPtr MakeBrush(Argb color);
// The rectangle a pen of the given width follows so that its pixels stay
// inside r: GDI+ puts pixel centres on integer coordinates, so a one-pixel
// outline of a w x h area is the rectangle (x, y, w - 1, h - 1).
RectF StrokeRect(const RectF& r, float width = 1.0f);

void FillRect(GpGraphics* g, const RectF& r, Argb color);
void FillRounded(GpGraphics* g, const RectF& r, float radius, Argb color);
// A one-pixel (or width) outline whose pixels lie inside r.
void OutlineRect(GpGraphics* g, const RectF& r, Argb color, float width = 1.0f);
void OutlineRounded(GpGraphics* g, const RectF& r, float radius, Argb color, float width = 1.0f);
// mode: a GDI+ linear-gradient mode: 0 horizontal (from the left), 1
// vertical (from the top), 2 forward diagonal (from the top left), 3
// backward diagonal (from the top right); any other draws nothing.
// Tile-flip wrapping keeps the edge rows from picking up the far colour.
void FillGradient(GpGraphics* g, const RectF& r, Argb from, Argb to, int mode);

// A generic-typographic string format from an alignment code (0..2 near,
// centre, far at the top; 3 and up: code - 3 horizontally, centred
// vertically), GDI+ format flags, trimming and hotkey-prefix setting.
GdipStringFormatPtr MakeStringFormat(int alignmentCode, int formatFlags = 4096, int trimming = 0,
                                     int hotkeyPrefix = 0);

// Draws GBK text; with a shadow style 1 to 3 a copy goes first, one pixel off
// (1 right, 2 down, 3 right and down), white at alpha 90 behind dark text or
// black at alpha 70 behind light text.
void DrawShadowedText(GpGraphics* g, std::string_view gbkText, GpFont* font, const RectF& r,
                      GpStringFormat* format, Argb color, int shadowStyle = 0);

// The bounding size of GBK text without a layout rectangle (only explicit
// line breaks start new lines).
RectF MeasureText(GpGraphics* g, std::string_view gbkText, GpFont* font,
                  GpStringFormat* format = nullptr);

// The automatic-colour test: the buffer at 20 %, 50 % and 80 % of the
// rectangle's width, at half its height; true when all three are dark.
bool IsDarkBehind(const DibBuffer& buffer, const IntRect& r);

class SkinControl;
// The automatic text colour of a control: current made white over a dark
// composed background under r, black over a light one, keeping its alpha.
// current when the control has no window.
Argb AutoTextColor(const SkinControl& control, const RectF& r, Argb current);
// The default rounding of a control's outlines: the window's FrameStyle is
// non-zero. given, when given, wins.
bool DefaultRounded(const SkinControl& control, std::optional<bool> given = std::nullopt);

}  // namespace korvel::skin
