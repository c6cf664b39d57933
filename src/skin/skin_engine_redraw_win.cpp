// SkinEngine drawing: the full Redraw, the title, partial repaints of one
// control with their fades, the fade-in of a whole window and presenting
// buffer areas on screen.
#include <algorithm>
#include <cmath>

#include "skin/caption_button_win.h"
#include "skin/skin_color.h"
#include "skin/skin_control_win.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_paint_win.h"
#include "skin/skin_toolkit_win.h"
#include "text/wide_text_win.h"

namespace korvel::skin {

namespace {

constexpr Argb kTransparentWhite = 0x00FFFFFF;
constexpr Argb kOuterOutline = 0x78000000;  // black, alpha 120
constexpr Argb kInnerOutline = 0x46FFFFFF;  // white, alpha 70
constexpr Argb kFocusOutline = 0xA0000000;
constexpr int kShadowAlphas[] = {75, 55, 25, 15};
constexpr int kTitleAlpha = 225;
constexpr int kTitleShadowStyle = 3;
constexpr float kLayeredPanelRadius = 7.0f;
constexpr float kOuterRadius = 6.0f;
constexpr float kInnerRadius = 4.0f;

RectF toRectF(const IntRect& r) {
    return {static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.width),
            static_cast<float>(r.height)};
}

void copyArea(HDC to, HDC from, const IntRect& r) {
    BitBlt(to, r.x, r.y, r.width, r.height, from, r.x, r.y, SRCCOPY);
    // GDI may batch the copy; GDI+ draws into the same pixels next.
    GdiFlush();
}

}  // namespace

IntRect SkinEngine::ControlBounds(int control) const {
    const ControlEntry* e = FindControlEntry(windowNumber_, control);
    if (!e) return {};
    const int left = std::max(0, static_cast<int>(std::floor(e->rect.x)));
    const int top = std::max(0, static_cast<int>(std::floor(e->rect.y)));
    const int right = std::min(width_, static_cast<int>(std::ceil(e->rect.x + e->rect.width)));
    const int bottom = std::min(height_, static_cast<int>(std::ceil(e->rect.y + e->rect.height)));
    if (right <= left || bottom <= top) return {};
    return {left, top, right - left, bottom - top};
}

bool SkinEngine::Redraw(std::optional<std::span<const std::uint8_t>> picture,
                        std::optional<std::uint32_t> panelColor, bool animate) {
    if (!record_ || !record_->windowDc || !record_->compose.Graphics()) return false;
    if (picture) {
        background_.LoadFromBytes(*picture);
        forgetPicture();
        if (!panelColor && background_) {
            const SamplePoint at = panelSamplePoint(background_.Width(), background_.Height());
            panelColor_ = argbToColor(background_.Pixel(at.x, at.y));
        }
    }
    if (panelColor) panelColor_ = *panelColor & 0x00FFFFFFu;
    // The resume composes the window with everything given here.
    if (paintingSuspended_ > 0) return true;
    redrawing_ = true;
    composing_ = true;
    composeFrame();
    if (paint_) paint_(hwnd_, record_->compose.Graphics(), record_->compose.Dc(), width_, height_);
    record_->present.CopyFrom(record_->compose);
    wchar_t title[512] = {};
    GetWindowTextW(hwnd_, title, 512);
    DrawTitle(text::toGbk(title), false, false);
    LayoutCaptionButtons(width_);
    if (postPaint_)
        postPaint_(hwnd_, record_->compose.Graphics(), record_->compose.Dc(), width_, height_);
    RepaintControls(0, false, kPaintCurrent);
    if (frameStyle_ != 1) {
        applyRegion();
        // The frame lies over the controls, and goes into the compose buffer
        // too so that partial repaints along the edge keep it.
        drawFrameBorder(record_->present.Graphics());
        drawFrameBorder(record_->compose.Graphics());
    }
    composing_ = false;
    if (animate) {
        fadeInLevel_ = 0;
        SetTimer(hwnd_, kFadeInTimerId, DefaultTimerInterval(), nullptr);
        return true;
    }
    presentAll();
    redrawing_ = false;
    return true;
}

void SkinEngine::composeFrame() {
    GpGraphics* g = record_->compose.Graphics();
    const int margin = frameMargin(Maximized());
    GpImage* image = background_.Handle();
    const float iw = static_cast<float>(background_.Width());
    const float ih = static_cast<float>(background_.Height());
    const RectF panel{static_cast<float>(margin), static_cast<float>(margin),
                      static_cast<float>(width_ - 2 * margin),
                      static_cast<float>(height_ - 2 * margin)};
    gdip::GdipResetClip(g);
    if (frameStyle_ == 1) {
        gdip::GdipGraphicsClear(g, kTransparentWhite);
        if (image) drawNineGrid(g, image, static_cast<float>(width_), static_cast<float>(height_));
        return;
    }
    if (record_->alpha == -1) {
        record_->compose.FillOpaque(exactArgb(panelColor_, 255));
        if (!image) return;
        if (record_->stretchImage) {
            drawPicture(g, image, panel);
            return;
        }
        drawPicture(g, image, {panel.x, panel.y, iw, ih});
        if (edgeHighlight_) {
            // The picture fades into the panel along its bottom and right edges.
            const float fadeH = static_cast<float>(fadeMargin(static_cast<int>(iw)));
            const float fadeV = static_cast<float>(fadeMargin(static_cast<int>(ih)));
            const Argb clear = exactArgb(panelColor_, 0);
            const Argb solid = exactArgb(panelColor_, 255);
            FillGradient(g, {panel.x, panel.y + ih - fadeV, iw, fadeV}, clear, solid, 1);
            FillGradient(g, {panel.x + iw - fadeH, panel.y, fadeH, ih}, clear, solid, 0);
        }
        return;
    }
    const int alpha = std::clamp(record_->alpha, 0, 255);
    gdip::GdipGraphicsClear(g, kTransparentWhite);
    if (frameStyle_ != 0)
        FillRounded(g, panel, kLayeredPanelRadius, exactArgb(panelColor_, alpha));
    else
        FillRect(g, panel, exactArgb(panelColor_, alpha));
    if (!image) return;
    GdipImageAttributesPtr attributes;
    gdip::GdipCreateImageAttributes(attributes.put());
    Gdiplus::ColorMatrix matrix{};
    for (int i = 0; i < 5; ++i) matrix.m[i][i] = 1.0f;
    matrix.m[3][3] = static_cast<float>(alpha) / 255.0f;
    gdip::GdipSetImageAttributesColorMatrix(attributes.get(), Gdiplus::ColorAdjustTypeDefault, TRUE,
                                            &matrix, nullptr, Gdiplus::ColorMatrixFlagsDefault);
    const float w = record_->stretchImage ? panel.width : iw;
    const float h = record_->stretchImage ? panel.height : ih;
    gdip::GdipDrawImageRectRect(g, image, panel.x, panel.y, w, h, 0, 0, iw, ih, Gdiplus::UnitPixel,
                                attributes.get(), nullptr, nullptr);
}

void SkinEngine::forgetPicture() { opaqueBackground_.Forget(); }

void SkinEngine::drawPicture(GpGraphics* g, GpImage* image, const RectF& to) {
    if (!opaqueBackground_.Prepare(image, record_->windowDc.get())) {
        gdip::GdipDrawImageRect(g, image, to.x, to.y, to.width, to.height);
        return;
    }
    opaqueBackground_.Draw(record_->compose,
                           {static_cast<int>(to.x), static_cast<int>(to.y),
                            static_cast<int>(to.width), static_cast<int>(to.height)});
}

void SkinEngine::drawNineGrid(GpGraphics* g, GpImage* image, float w, float h) {
    const float iw = static_cast<float>(background_.Width());
    const float ih = static_cast<float>(background_.Height());
    if (nineGrid_.empty()) {
        gdip::GdipDrawImageRect(g, image, 0, 0, w, h);
        return;
    }
    // Corners keep their size, edges stretch along one side, the centre both.
    const float sl = static_cast<float>(nineGrid_.left), st = static_cast<float>(nineGrid_.top);
    const float sr = static_cast<float>(nineGrid_.right), sb = static_cast<float>(nineGrid_.bottom);
    const float srcX[3] = {0, sl, iw - sr}, srcW[3] = {sl, iw - sl - sr, sr};
    const float srcY[3] = {0, st, ih - sb}, srcH[3] = {st, ih - st - sb, sb};
    const float dstX[3] = {0, sl, w - sr}, dstW[3] = {sl, w - sl - sr, sr};
    const float dstY[3] = {0, st, h - sb}, dstH[3] = {st, h - st - sb, sb};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (srcW[col] <= 0 || srcH[row] <= 0 || dstW[col] <= 0 || dstH[row] <= 0) continue;
            gdip::GdipDrawImageRectRect(g, image, dstX[col], dstY[row], dstW[col], dstH[row],
                                        srcX[col], srcY[row], srcW[col], srcH[row],
                                        Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
        }
    }
}

void SkinEngine::drawFrameBorder(GpGraphics* g) {
    const int margin = frameMargin(Maximized());
    const RectF panel{static_cast<float>(margin), static_cast<float>(margin),
                      static_cast<float>(width_ - 2 * margin),
                      static_cast<float>(height_ - 2 * margin)};
    const RectF inner{panel.x + 1, panel.y + 1, panel.width - 2, panel.height - 2};
    gdip::GdipResetClip(g);
    if (frameStyle_ != 0) {
        OutlineRounded(g, panel, kOuterRadius, kOuterOutline);
        OutlineRounded(g, inner, kInnerRadius, kInnerOutline);
    } else {
        OutlineRect(g, panel, kOuterOutline);
        OutlineRect(g, inner, kInnerOutline);
    }
    if (record_->alpha == -1 || margin == 0) return;
    for (int i = 0; i < 4; ++i) {
        const float out = static_cast<float>(i + 1);
        const RectF ring{panel.x - out, panel.y - out, panel.width + 2 * out,
                         panel.height + 2 * out};
        const Argb color = static_cast<Argb>(kShadowAlphas[i]) << 24;
        if (frameStyle_ != 0)
            OutlineRounded(g, ring, kOuterRadius + 2 * out, color);
        else
            OutlineRect(g, ring, color);
    }
}

void SkinEngine::applyRegion() {
    if (record_->alpha != -1) return;
    const int margin = frameMargin(Maximized());
    const IntRect shape{margin, width_, height_, frameStyle_};
    if (shape == regionShape_) return;  // the system keeps the region; only changes cost
    regionShape_ = shape;
    GdiRegion region(CreateRoundRectRgn(margin, margin, width_ - margin + 1, height_ - margin + 1,
                                        frameStyle_, frameStyle_));
    // The window owns the region once it is set, so it must not be deleted here.
    if (region && SetWindowRgn(hwnd_, region.get(), TRUE)) region.release();
}

void SkinEngine::updateLayered(int constantAlpha) {
    SIZE size{width_, height_};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(constantAlpha), AC_SRC_ALPHA};
    UpdateLayeredWindow(hwnd_, nullptr, nullptr, &size, record_->layer.Dc(), &origin, 0, &blend,
                        ULW_ALPHA);
}

void SkinEngine::presentAll() {
    if (!record_) return;
    if (record_->alpha == -1) {
        BitBlt(record_->windowDc.get(), 0, 0, width_, height_, record_->present.Dc(), 0, 0,
               SRCCOPY);
        return;
    }
    copyArea(record_->layer.Dc(), record_->present.Dc(), {0, 0, width_, height_});
    updateLayered(255);
}

void SkinEngine::PresentRect(const IntRect& r) {
    if (!record_ || r.width <= 0 || r.height <= 0) return;
    if (record_->alpha == -1) {
        BitBlt(record_->windowDc.get(), r.x, r.y, r.width, r.height, record_->present.Dc(), r.x,
               r.y, SRCCOPY);
        return;
    }
    copyArea(record_->layer.Dc(), record_->present.Dc(), r);
    updateLayered(255);
}

void SkinEngine::BlendRect(const IntRect& r, int alpha) {
    if (!record_ || r.width <= 0 || r.height <= 0) return;
    const BYTE a = static_cast<BYTE>(std::clamp(alpha, 0, 255));
    if (record_->alpha == -1) {
        BLENDFUNCTION blend{AC_SRC_OVER, 0, a, 0};
        AlphaBlend(record_->windowDc.get(), r.x, r.y, r.width, r.height, record_->present.Dc(), r.x,
                   r.y, r.width, r.height, blend);
        return;
    }
    // Constant alpha only, also on a layered window: the present buffer's
    // pixels (alpha included) move towards the new look and at 255 are the
    // new look. Per-pixel source alpha would add the new look over the old
    // one, and translucent pixels (the rounded corners) would turn opaque.
    BLENDFUNCTION blend{AC_SRC_OVER, 0, a, 0};
    AlphaBlend(record_->layer.Dc(), r.x, r.y, r.width, r.height, record_->present.Dc(), r.x, r.y,
               r.width, r.height, blend);
    GdiFlush();
    updateLayered(255);
}

void SkinEngine::fadeInStep() {
    if (!record_) return;
    if (fadeInLevel_ >= 255) {
        redrawing_ = false;
        KillTimer(hwnd_, kFadeInTimerId);
        fadeInLevel_ = 0;
        return;
    }
    fadeInLevel_ = std::min(fadeInLevel_ + 51, 255);
    if (record_->alpha == -1) {
        BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(fadeInLevel_), 0};
        AlphaBlend(record_->windowDc.get(), 0, 0, width_, height_, record_->present.Dc(), 0, 0,
                   width_, height_, blend);
        return;
    }
    copyArea(record_->layer.Dc(), record_->present.Dc(), {0, 0, width_, height_});
    updateLayered(fadeInLevel_);
}

void SkinEngine::DrawTitle(const std::string& gbkText, bool restoreBackground, bool present) {
    if (!record_ || frameStyle_ == 1 || !(captionFlags_ & kCaptionTitle)) return;
    if (paintingSuspended_ > 0 && !composing_) return;
    const auto area = titleRect(width_, Maximized(), captionFlags_);
    if (!area) return;
    if (restoreBackground) copyArea(record_->present.Dc(), record_->compose.Dc(), *area);
    // No text draws nothing: the look-ups of colour, format and font are
    // skipped (the main window's title stays empty, at every redraw).
    if (gbkText.empty()) {
        if (present) PresentRect(*area);
        return;
    }
    const bool dark = IsDarkBehind(record_->compose, *area);
    const Argb color = exactArgb(dark ? 0xFFFFFF : 0x000000, kTitleAlpha);
    GdipStringFormatPtr format =
        MakeStringFormat(3, 4096, Gdiplus::StringTrimmingEllipsisCharacter);
    GpGraphics* g = record_->present.Graphics();
    gdip::GdipResetClip(g);
    DrawShadowedText(g, gbkText, DefaultFont(), toRectF(*area), format.get(), color,
                     kTitleShadowStyle);
    if (present) PresentRect(*area);
}

void SkinEngine::LayoutCaptionButtons(int width) {
    if (!record_) return;
    const auto slots = captionButtonLayout(width, Maximized(), captionFlags_);
    for (size_t i = 0; i < slots.size() && i < captionButtons_.size(); ++i) {
        const IntRect& r = slots[i].rect;
        captionButtons_[i]->Move(static_cast<float>(r.x), static_cast<float>(r.y),
                                 static_cast<float>(r.width), static_cast<float>(r.height), false);
    }
    if (icon_) {
        const IntRect r = iconRect(Maximized());
        icon_->Move(static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.width),
                    static_cast<float>(r.height), false);
    }
}

void SkinEngine::RepaintControls(int control, bool single, long state) {
    if (!record_) return;
    if (single) {
        SendToControl(windowNumber_, control, hwnd_, kMsgPaint, 0, state);
        return;
    }
    const RectF window{0, 0, static_cast<float>(width_), static_cast<float>(height_)};
    for (int i = 1; i <= static_cast<int>(record_->controls.size()); ++i) {
        const ControlEntry& e = record_->controls[static_cast<size_t>(i - 1)];
        if (e.control && e.control->CanPaint() && e.rect.intersects(window))
            SendToControl(windowNumber_, i, hwnd_, kMsgPaint, 0, state);
    }
}

void SkinEngine::repaintOverlapping(int from, int to, const RectF& area) {
    for (int i = from; i <= to && i <= static_cast<int>(record_->controls.size()); ++i) {
        const ControlEntry& e = record_->controls[static_cast<size_t>(i - 1)];
        if (e.control && e.control->CanPaint() && e.rect.intersects(area))
            SendToControl(windowNumber_, i, hwnd_, kMsgPaint, 0, kPaintCurrent);
    }
}

void SkinEngine::ResumePainting() {
    if (paintingSuspended_ == 0 || --paintingSuspended_ > 0) return;
    Redraw();
}

GpGraphics* SkinEngine::BeginControlRepaint(int control) {
    if (!record_) return nullptr;
    const ControlEntry* e = FindControlEntry(windowNumber_, control);
    if (!e || !e->control || !e->control->CanPaint()) return nullptr;
    if (paintingSuspended_ > 0 && !composing_) return nullptr;
    GpGraphics* g = record_->present.Graphics();
    if (composing_ || repaintDepth_ > 0) {
        ++repaintDepth_;
        return g;
    }
    const IntRect r = ControlBounds(control);
    if (fading(control)) {
        // A new look replaces a fade still running: show the old one fully first.
        StopControlTimer(control);
        PresentRect(r);
    }
    repaintDepth_ = 1;
    repaintClip_ = r;
    copyArea(record_->present.Dc(), record_->compose.Dc(), r);
    gdip::GdipSetClipRectI(g, r.x, r.y, r.width, r.height, Gdiplus::CombineModeReplace);
    repaintOverlapping(1, control - 1, toRectF(r));
    return g;
}

void SkinEngine::EndControlRepaint(int control, bool immediate) {
    if (!record_ || repaintDepth_ == 0) return;
    if (repaintDepth_ > 1 || composing_) {
        --repaintDepth_;
        return;
    }
    GpGraphics* g = record_->present.Graphics();
    const IntRect r = ControlBounds(control);
    const ControlEntry* e = FindControlEntry(windowNumber_, control);
    const bool focused = e && e->control && e->control->IsFocused();
    if (focused && input_.KeyboardFocus() && r.width > 2 && r.height > 2) {
        GdipPenPtr dashed;
        gdip::GdipCreatePen1(kFocusOutline, 1.0f, Gdiplus::UnitPixel, dashed.put());
        gdip::GdipSetPenDashStyle(dashed.get(), Gdiplus::DashStyleDot);
        gdip::GdipDrawRectangle(g, dashed.get(), r.x + 1.5f, r.y + 1.5f, r.width - 3.0f,
                                r.height - 3.0f);
    }
    repaintOverlapping(control + 1, static_cast<int>(record_->controls.size()), toRectF(r));
    gdip::GdipResetClip(g);
    repaintDepth_ = 0;
    repaintClip_.reset();
    if (record_->fadeControls && !immediate) {
        startTimer(control, 0, true);
    } else {
        PresentRect(r);
    }
}

void SkinEngine::RecomposeArea(const RectF& area) {
    if (!record_ || composing_ || paintingSuspended_ > 0) return;
    const int left = std::max(0, static_cast<int>(std::floor(area.x)));
    const int top = std::max(0, static_cast<int>(std::floor(area.y)));
    const int right = std::min(width_, static_cast<int>(std::ceil(area.x + area.width)));
    const int bottom = std::min(height_, static_cast<int>(std::ceil(area.y + area.height)));
    if (right <= left || bottom <= top) return;
    const IntRect r{left, top, right - left, bottom - top};
    GpGraphics* g = record_->present.Graphics();
    copyArea(record_->present.Dc(), record_->compose.Dc(), r);
    gdip::GdipSetClipRectI(g, r.x, r.y, r.width, r.height, Gdiplus::CombineModeReplace);
    const std::optional<IntRect> outerClip = repaintClip_;
    repaintClip_ = r;
    ++repaintDepth_;
    repaintOverlapping(1, static_cast<int>(record_->controls.size()), toRectF(r));
    --repaintDepth_;
    repaintClip_ = outerClip;
    if (repaintDepth_ == 0) gdip::GdipResetClip(g);
    PresentRect(r);
}

}  // namespace korvel::skin
