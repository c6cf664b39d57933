#include "skin/button_win.h"

#include <algorithm>

#include "skin/skin_engine_win.h"
#include "skin/skin_paint_win.h"

namespace korvel::skin {

namespace {

constexpr float kClipCorner = 3;
constexpr float kOuterRadius = 7;
constexpr float kInnerRadius = 6;
constexpr float kPictureInset = 2;
constexpr int kAlignCentreTop = 1;
constexpr int kNoWrap = 4096;
constexpr int kTrimEllipsis = 3;
constexpr int kHotkeyShow = 1;

// The picture at its own size, two pixels in from the left and top of the
// inner rectangle, centred vertically when it is shorter; returns how much
// of the width it took.
float drawPicture(GpGraphics* g, GpImage* picture, const RectF& inner) {
    UINT width = 0, height = 0;
    gdip::GdipGetImageWidth(picture, &width);
    gdip::GdipGetImageHeight(picture, &height);
    if (width == 0 || height == 0) return 0;
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const float y = h < inner.height - 2 * kPictureInset ? inner.y + (inner.height - h) / 2
                                                         : inner.y + kPictureInset;
    gdip::GdipDrawImageRect(g, picture, inner.x + kPictureInset, y, w, h);
    return kPictureInset + w;
}

}  // namespace

void DrawButtonFace(GpGraphics* g, const RectF& r, const ButtonFacePaint& p) {
    if (!g || r.width <= 0 || r.height <= 0) return;
    const ButtonFace& face = buttonFace(p.state);
    const RectF inner = r.inset(1);
    const RectF gradient{r.x, r.y, std::max(0.0f, r.width - 1), std::max(0.0f, r.height - 1)};

    Gdiplus::GraphicsState saved = 0;
    gdip::GdipSaveGraphics(g, &saved);
    if (p.rounded) {
        GdipPathPtr clip =
            RoundedRectPath(inner.x, inner.y, inner.width, inner.height, kClipCorner);
        if (clip) gdip::GdipSetClipPath(g, clip.get(), Gdiplus::CombineModeIntersect);
    }
    FillRect(g, r, face.fill);
    FillGradient(g, gradient, face.gradientTop, face.gradientBottom, 1);
    gdip::GdipRestoreGraphics(g, saved);

    if (p.rounded) {
        OutlineRounded(g, r, kOuterRadius, face.outerOutline);
        OutlineRounded(g, inner, kInnerRadius, face.innerOutline);
    } else {
        OutlineRect(g, r, face.outerOutline);
        OutlineRect(g, inner, face.innerOutline);
    }

    RectF text = inner;
    if (p.state == ButtonState::Pressed) {
        text.x += 1;
        text.y += 1;
    }
    if (p.picture) {
        // The caption centres in what the picture leaves free.
        const float used = drawPicture(g, p.picture, text);
        text.x += used;
        text.width = std::max(0.0f, text.width - used);
    }
    if (p.caption.empty() || !p.font) return;
    GdipStringFormatPtr format =
        MakeStringFormat(kAlignCentreTop, kNoWrap, kTrimEllipsis, kHotkeyShow);
    const RectF measured = MeasureText(g, p.caption, p.font, format.get());
    const float top = text.y + std::max(0.0f, (text.height - measured.height) / 2);
    const RectF at{text.x, top, text.width, text.y + text.height - top};
    DrawShadowedText(g, p.caption, p.font, at, format.get(), buttonTextColor(p.state, p.textColor),
                     p.shadowStyle);
}

int Button::Create(HWND hwnd, const std::string& caption, int x, int y, int width, int height,
                   const ButtonOptions& options) {
    if (IsRegistered()) return 0;
    font_.Make(options.font);
    textColor_ = options.textColor.value_or(defaultButtonTextColor());
    shadowStyle_ = options.shadowStyle;
    caption_ = caption;
    ResetPressable();
    const RectF rect{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                     static_cast<float>(height)};
    if (!Register(hwnd, rect, kKindButton, options.visible ? 1 : 0, true, kCursorArrow)) {
        font_.Release();
        return 0;
    }
    RegisterAccelerator(hwnd, ControlNumber(), caption_);
    rounded_ = DefaultRounded(*this, options.rounded);
    if (options.visible) Repaint();
    return ControlNumber();
}

const std::string& Button::ButtonText(const std::string& caption) {
    caption_ = caption;
    if (IsRegistered()) RegisterAccelerator(Hwnd(), ControlNumber(), caption_);
    Repaint();
    return caption_;
}

void Button::SetPicture(std::span<const std::uint8_t> bytes) {
    if (bytes.empty())
        picture_.Release();
    else
        picture_.LoadFromBytes(bytes);
    Repaint();
}

int Button::PaintFace(GpGraphics* g, Pointer pointer, long paintState) {
    const ButtonStep step = buttonStep(pointer, Disabled() != 0, IsFocused(), paintState);
    ButtonFacePaint face;
    face.state = step.state;
    face.rounded = rounded_;
    face.caption = caption_;
    face.font = font_.Get();
    face.textColor = textColor_;
    face.shadowStyle = shadowStyle_;
    face.picture = picture_.Handle();
    DrawButtonFace(g, Rectangle(), face);
    drawnState_ = step.state;
    return step.fadeAlpha;
}

}  // namespace korvel::skin
