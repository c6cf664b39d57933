#include "skin/skin_paint_win.h"

#include <algorithm>

#include "skin/skin_control_win.h"
#include "skin/skin_engine_win.h"
#include "text/wide_text_win.h"

namespace korvel::skin {

namespace {

constexpr Argb kShadowBehindDarkText = 0x5AFFFFFF;   // white, alpha 90
constexpr Argb kShadowBehindLightText = 0x46000000;  // black, alpha 70

}  // namespace

GdipPenPtr MakePen(Argb color, float width, Gdiplus::DashStyle dash) {
    GdipPenPtr p;
    if (gdip::GdipCreatePen1(color, width, Gdiplus::UnitPixel, p.put()) != Gdiplus::Ok) return {};
    if (dash != Gdiplus::DashStyleSolid) gdip::GdipSetPenDashStyle(p.get(), dash);
    return p;
}

GdipBrushPtr MakeBrush(Argb color) {
    Gdiplus::GpSolidFill* fill = nullptr;
    if (gdip::GdipCreateSolidFill(color, &fill) != Gdiplus::Ok) return {};
    return GdipBrushPtr(fill);
}

RectF StrokeRect(const RectF& r, float width) {
    const float inset = (width - 1.0f) / 2.0f;
    return {r.x + inset, r.y + inset, r.width - width, r.height - width};
}

GdipPathPtr RoundedRectPath(float x, float y, float width, float height, float corner) {
    GdipPathPtr path;
    if (gdip::GdipCreatePath(Gdiplus::FillModeAlternate, path.put()) != Gdiplus::Ok) return {};
    const float d = std::min({corner, width, height});
    if (d <= 0.0f) {
        gdip::GdipAddPathRectangle(path.get(), x, y, width, height);
        return path;
    }
    gdip::GdipAddPathArc(path.get(), x, y, d, d, 180.0f, 90.0f);
    gdip::GdipAddPathArc(path.get(), x + width - d, y, d, d, 270.0f, 90.0f);
    gdip::GdipAddPathArc(path.get(), x + width - d, y + height - d, d, d, 0.0f, 90.0f);
    gdip::GdipAddPathArc(path.get(), x, y + height - d, d, d, 90.0f, 90.0f);
    gdip::GdipClosePathFigure(path.get());
    return path;
}

void FillRect(GpGraphics* g, const RectF& r, Argb color) {
    GdipBrushPtr brush = MakeBrush(color);
    if (brush) gdip::GdipFillRectangle(g, brush.get(), r.x, r.y, r.width, r.height);
}

void FillRounded(GpGraphics* g, const RectF& r, float radius, Argb color) {
    GdipBrushPtr brush = MakeBrush(color);
    GdipPathPtr path = RoundedRectPath(r.x, r.y, r.width, r.height, radius);
    if (brush && path) gdip::GdipFillPath(g, brush.get(), path.get());
}

void OutlineRect(GpGraphics* g, const RectF& r, Argb color, float width) {
    GdipPenPtr p = MakePen(color, width);
    const RectF o = StrokeRect(r, width);
    if (p) gdip::GdipDrawRectangle(g, p.get(), o.x, o.y, o.width, o.height);
}

void OutlineRounded(GpGraphics* g, const RectF& r, float radius, Argb color, float width) {
    GdipPenPtr p = MakePen(color, width);
    const RectF o = StrokeRect(r, width);
    GdipPathPtr path = RoundedRectPath(o.x, o.y, o.width, o.height, radius);
    if (p && path) gdip::GdipDrawPath(g, p.get(), path.get());
}

void FillGradient(GpGraphics* g, const RectF& r, Argb from, Argb to, int mode) {
    if (r.width <= 0 || r.height <= 0) return;
    Gdiplus::RectF area(r.x, r.y, r.width, r.height);
    Gdiplus::GpLineGradient* raw = nullptr;
    if (mode < Gdiplus::LinearGradientModeHorizontal ||
        mode > Gdiplus::LinearGradientModeBackwardDiagonal)
        return;
    if (gdip::GdipCreateLineBrushFromRect(&area, from, to,
                                          static_cast<Gdiplus::LinearGradientMode>(mode),
                                          Gdiplus::WrapModeTileFlipXY, &raw) != Gdiplus::Ok)
        return;
    GdipBrushPtr brush(raw);
    gdip::GdipFillRectangle(g, brush.get(), r.x, r.y, r.width, r.height);
}

GdipStringFormatPtr MakeStringFormat(int alignmentCode, int formatFlags, int trimming,
                                     int hotkeyPrefix) {
    GpStringFormat* typographic = nullptr;
    GdipStringFormatPtr format;
    if (gdip::GdipStringFormatGetGenericTypographic(&typographic) != Gdiplus::Ok ||
        gdip::GdipCloneStringFormat(typographic, format.put()) != Gdiplus::Ok)
        return {};
    const int horizontal = alignmentCode >= 3 ? alignmentCode - 3 : alignmentCode;
    const int vertical = alignmentCode >= 3 ? 1 : 0;
    gdip::GdipSetStringFormatAlign(format.get(), static_cast<Gdiplus::StringAlignment>(horizontal));
    gdip::GdipSetStringFormatLineAlign(format.get(),
                                       static_cast<Gdiplus::StringAlignment>(vertical));
    gdip::GdipSetStringFormatFlags(format.get(), formatFlags);
    gdip::GdipSetStringFormatTrimming(format.get(), static_cast<Gdiplus::StringTrimming>(trimming));
    gdip::GdipSetStringFormatHotkeyPrefix(format.get(), hotkeyPrefix);
    return format;
}

void DrawShadowedText(GpGraphics* g, std::string_view gbkText, GpFont* font, const RectF& r,
                      GpStringFormat* format, Argb color, int shadowStyle) {
    if (gbkText.empty() || !font) return;
    const std::wstring text = text::toWide(gbkText);
    const int length = static_cast<int>(text.size());
    if (shadowStyle >= 1 && shadowStyle <= 3) {
        const bool darkText = isDark((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
        const float dx = shadowStyle == 2 ? 0.0f : 1.0f;
        const float dy = shadowStyle == 1 ? 0.0f : 1.0f;
        GdipBrushPtr shadow = MakeBrush(darkText ? kShadowBehindDarkText : kShadowBehindLightText);
        Gdiplus::RectF at(r.x + dx, r.y + dy, r.width, r.height);
        if (shadow) gdip::GdipDrawString(g, text.c_str(), length, font, &at, format, shadow.get());
    }
    GdipBrushPtr brush = MakeBrush(color);
    Gdiplus::RectF at(r.x, r.y, r.width, r.height);
    if (brush) gdip::GdipDrawString(g, text.c_str(), length, font, &at, format, brush.get());
}

RectF MeasureText(GpGraphics* g, std::string_view gbkText, GpFont* font, GpStringFormat* format) {
    if (gbkText.empty() || !font) return {};
    const std::wstring text = text::toWide(gbkText);
    Gdiplus::RectF layout(0, 0, 0, 0);
    Gdiplus::RectF box;
    if (gdip::GdipMeasureString(g, text.c_str(), static_cast<int>(text.size()), font, &layout,
                                format, &box, nullptr, nullptr) != Gdiplus::Ok)
        return {};
    return {box.X, box.Y, box.Width, box.Height};
}

bool IsDarkBehind(const DibBuffer& buffer, const IntRect& r) {
    const DarknessSamples at = darknessSamplePoints(r.x, r.y, r.width, r.height);
    std::uint32_t samples[3];
    for (int i = 0; i < 3; ++i) samples[i] = argbToColor(buffer.Pixel(at.x[i], at.y));
    return allDark(samples);
}

Argb AutoTextColor(const SkinControl& control, const RectF& r, Argb current) {
    const SkinEngine* engine = control.Engine();
    const SkinWindowRecord* record = engine ? engine->Record() : nullptr;
    if (!record) return current;
    const IntRect at{static_cast<int>(r.x), static_cast<int>(r.y), static_cast<int>(r.width),
                     static_cast<int>(r.height)};
    return contrastingTextColor(current, IsDarkBehind(record->compose, at));
}

bool DefaultRounded(const SkinControl& control, std::optional<bool> given) {
    if (given) return *given;
    const SkinEngine* engine = control.Engine();
    return engine && engine->FrameStyleProperty() != 0;
}

}  // namespace korvel::skin
