#include "skin/label_win.h"

#include <algorithm>

#include "skin/border_paint_win.h"
#include "skin/line_breaks.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_paint_win.h"

namespace korvel::skin {

namespace {

constexpr float kTextInset = 2;

Argb gradientColor(Argb stored) { return stored == kUnsetColor ? 0u : stored; }

}  // namespace

Argb defaultLabelTextColor() { return rgbaToArgb(0, 0, 0, 230); }

void DrawLabel(GpGraphics* g, const RectF& r, const LabelPaint& p) {
    if (!g || r.width <= 0 || r.height <= 0) return;
    // Border, then the gradient over the whole rectangle: a translucent
    // gradient tints the border, an opaque one covers it.
    DrawBorder(g, r, p.borderStyle);
    if (p.gradientMode != kNoGradient) {
        FillGradient(g, r, gradientColor(p.gradientStart), gradientColor(p.gradientEnd),
                     p.gradientMode);
    }
    if (p.text.empty() || !p.font) return;
    const RectF text{r.x + kTextInset, r.y + kTextInset, std::max(0.0f, r.width - 2 * kTextInset),
                     std::max(0.0f, r.height - 2 * kTextInset)};
    GdipStringFormatPtr format =
        MakeStringFormat(p.alignment, p.formatFlags, p.trimming, p.hotkeyPrefix);
    DrawShadowedText(g, lineFeedBreaks(p.text), p.font, text, format.get(), p.textColor,
                     p.shadowStyle);
}

int Label::Create(HWND hwnd, const std::string& text, int x, int y, int width, int height,
                  const LabelOptions& options) {
    if (IsRegistered()) return 0;
    font_.Make(options.font);
    text_ = text;
    textColor_ = options.textColor.value_or(defaultLabelTextColor());
    gradientMode_ = options.gradientMode;
    gradientStart_ = options.gradientStart;
    gradientEnd_ = options.gradientEnd;
    alignment_ = options.alignment;
    formatFlags_ = options.formatFlags;
    trimming_ = options.trimming;
    hotkeyPrefix_ = options.hotkeyPrefix;
    shadowStyle_ = options.shadowStyle;
    borderStyle_ = options.borderStyle;
    paintCount_ = 0;
    const RectF rect{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                     static_cast<float>(height)};
    if (!Register(hwnd, rect, kKindLabel, options.visible ? 1 : 0, false, kCursorArrow)) {
        font_.Release();
        return 0;
    }
    if (options.visible) Repaint();
    return ControlNumber();
}

const std::string& Label::LabelText(const std::string& text) {
    text_ = text;
    Repaint();
    return text_;
}

void Label::SetTextColour(Argb color) {
    textColor_ = color;
    Repaint();
}

Argb Label::GradientStart(Argb color) {
    gradientStart_ = color;
    Repaint();
    return gradientStart_;
}

Argb Label::GradientEnd(Argb color) {
    gradientEnd_ = color;
    Repaint();
    return gradientEnd_;
}

int Label::GradientMode(int mode) {
    gradientMode_ = mode;
    Repaint();
    return gradientMode_;
}

void Label::paint() {
    GpGraphics* g = BeginRepaint();
    if (!g) return;
    const RectF r = Rectangle();
    if (autoTextColor_ && !text_.empty()) textColor_ = AutoTextColor(*this, r, textColor_);
    LabelPaint p;
    p.text = text_;
    p.font = font_.Get();
    p.textColor = textColor_;
    p.gradientMode = gradientMode_;
    p.gradientStart = gradientStart_;
    p.gradientEnd = gradientEnd_;
    p.alignment = alignment_;
    p.formatFlags = formatFlags_;
    p.trimming = trimming_;
    p.hotkeyPrefix = hotkeyPrefix_;
    p.shadowStyle = shadowStyle_;
    p.borderStyle = borderStyle_;
    DrawLabel(g, r, p);
    ++paintCount_;
    EndRepaint(true);
}

LRESULT Label::HandleMessage(HWND, UINT message, WPARAM, LPARAM, int, int, int) {
    if (message == WM_DESTROY)
        font_.Release();
    else if (message == kMsgPaint)
        paint();
    return 0;
}

}  // namespace korvel::skin
