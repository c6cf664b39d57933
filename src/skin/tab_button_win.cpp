#include "skin/tab_button_win.h"

#include <algorithm>

#include "skin/line_breaks.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_paint_win.h"

namespace korvel::skin {

namespace {

constexpr float kOuterRadius = 6;
constexpr float kInnerRadius = 4;

// The icon keeps its own size: centred across the top under the "above"
// layout, centred down the left side beside the caption.
void drawIcon(GpGraphics* g, GpImage* icon, const RectF& at, bool above) {
    UINT width = 0, height = 0;
    gdip::GdipGetImageWidth(icon, &width);
    gdip::GdipGetImageHeight(icon, &height);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const float x = above ? at.x + std::max(0.0f, (at.width - w) / 2) : at.x;
    const float y = above ? at.y : at.y + std::max(0.0f, (at.height - h) / 2);
    gdip::GdipDrawImageRect(g, icon, x, y, w, h);
}

}  // namespace

void DrawTabFace(GpGraphics* g, const RectF& r, const TabFacePaint& p) {
    if (!g || r.width <= 0 || r.height <= 0) return;
    const TabFace& face = tabFace(p.state);
    const RectF inner = r.inset(1);
    if (p.rounded) {
        OutlineRounded(g, r, kOuterRadius, face.outerOutline);
        OutlineRounded(g, inner, kInnerRadius, face.innerOutline);
        // The gradient keeps to the rounded inside, so no square corner shows.
        Gdiplus::GraphicsState saved = 0;
        gdip::GdipSaveGraphics(g, &saved);
        GdipPathPtr clip =
            RoundedRectPath(inner.x, inner.y, inner.width, inner.height, kInnerRadius);
        if (clip) gdip::GdipSetClipPath(g, clip.get(), Gdiplus::CombineModeIntersect);
        FillGradient(g, inner, face.gradientTop, face.gradientBottom, 1);
        gdip::GdipRestoreGraphics(g, saved);
    } else {
        OutlineRect(g, r, face.outerOutline);
        OutlineRect(g, inner, face.innerOutline);
        FillGradient(g, inner, face.gradientTop, face.gradientBottom, 1);
    }
    UINT iconWidth = 0, iconHeight = 0;
    if (p.icon) {
        gdip::GdipGetImageWidth(p.icon, &iconWidth);
        gdip::GdipGetImageHeight(p.icon, &iconHeight);
    }
    const TabLayout layout = tabLayout(r, static_cast<int>(iconWidth), static_cast<int>(iconHeight),
                                       p.iconAbove, p.state == TabState::Pressed);
    if (p.icon && iconWidth > 0 && iconHeight > 0) drawIcon(g, p.icon, layout.icon, p.iconAbove);
    if (p.caption.empty() || !p.font) return;
    GdipStringFormatPtr format =
        MakeStringFormat(p.alignment, p.formatFlags, p.trimming, p.hotkeyPrefix);
    DrawShadowedText(g, lineFeedBreaks(p.caption), p.font, layout.text, format.get(), p.textColor,
                     p.shadowStyle);
}

void TabButton::loadIcon(std::span<const std::uint8_t> icon) {
    if (icon.empty())
        icon_.Release();
    else
        icon_.LoadFromBytes(icon);
    iconWidth_ = icon_ ? icon_.Width() : 0;
    iconHeight_ = icon_ ? icon_.Height() : 0;
}

int TabButton::Create(HWND hwnd, const std::string& caption, int x, int y, int width, int height,
                      bool selected, std::span<const std::uint8_t> icon, bool iconAbove,
                      const TabButtonOptions& options) {
    if (IsRegistered()) return 0;
    loadIcon(icon);
    iconAbove_ = iconAbove;
    caption_ = caption;
    selected_ = selected;
    font_.Make(options.font);
    textColor_ = options.textColor.value_or(defaultTabTextColor());
    alignment_ = options.alignment.value_or(defaultTabAlignment(iconAbove));
    formatFlags_ = options.formatFlags;
    trimming_ = options.trimming;
    hotkeyPrefix_ = options.hotkeyPrefix;
    shadowStyle_ = options.shadowStyle;
    ResetPressable();
    const RectF rect{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                     static_cast<float>(height)};
    if (!Register(hwnd, rect, kKindTabButton, options.visible ? 1 : 0, true, kCursorArrow)) {
        font_.Release();
        return 0;
    }
    RegisterAccelerator(hwnd, ControlNumber(), caption_);
    rounded_ = DefaultRounded(*this, options.rounded);
    if (options.visible) Repaint();
    return ControlNumber();
}

bool TabButton::Selected(bool value) {
    if (value == selected_) return selected_;
    selected_ = value;
    Repaint();
    return selected_;
}

const std::string& TabButton::Caption(const std::string& caption) {
    caption_ = caption;
    if (IsRegistered()) RegisterAccelerator(Hwnd(), ControlNumber(), caption_);
    Repaint();
    return caption_;
}

void TabButton::SetIcon(std::span<const std::uint8_t> icon) {
    loadIcon(icon);
    Repaint();
}

void TabButton::SetTextColour(Argb color) {
    textColor_ = color;
    Repaint();
}

int TabButton::PaintFace(GpGraphics* g, Pointer pointer, long) {
    const TabState state = tabState(pointer, Disabled() != 0, selected_);
    const RectF r = Rectangle();
    if (autoTextColor_ && !caption_.empty()) textColor_ = AutoTextColor(*this, r, textColor_);
    TabFacePaint p;
    p.state = state;
    p.rounded = rounded_;
    p.icon = icon_.Handle();
    p.iconAbove = iconAbove_;
    p.caption = caption_;
    p.font = font_.Get();
    p.textColor = textColor_;
    p.alignment = alignment_;
    p.formatFlags = formatFlags_;
    p.trimming = trimming_;
    p.hotkeyPrefix = hotkeyPrefix_;
    p.shadowStyle = shadowStyle_;
    DrawTabFace(g, r, p);
    drawnState_ = state;
    return tabFace(state).fadeAlpha;
}

}  // namespace korvel::skin
