#include "skin/progress_bar_win.h"

#include <algorithm>
#include <cmath>

#include "skin/builtin_pictures.h"
#include "skin/push_state.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_paint_win.h"
#include "skin/skin_window_table_win.h"

namespace korvel::skin {

namespace {

constexpr float kTrackRadius = 7;
constexpr float kInnerRadius = 6;
constexpr float kSecondRadius = 5;
constexpr float kBarClipCorner = 3;

}  // namespace

void DrawProgressBar(GpGraphics* g, const RectF& r, const ProgressPaint& p) {
    if (!g || r.width <= 0 || r.height <= 0) return;
    const RectF track = progressTrack(r, p.look);
    const Argb innerLine = rgbaToArgb(255, 255, 255, 90);
    if (p.rounded) {
        FillRounded(g, track, kTrackRadius, p.colors.trackFill);
        OutlineRounded(g, track, kTrackRadius, p.colors.trackOutline);
        OutlineRounded(g, track.inset(1), kInnerRadius, innerLine);
    } else {
        FillRect(g, track, p.colors.trackFill);
        OutlineRect(g, track, p.colors.trackOutline);
        OutlineRect(g, track.inset(1), innerLine);
    }
    if (p.secondPosition > 0) {
        const RectF second = progressBar(track, p.secondPosition);
        if (p.rounded)
            FillRounded(g, second, kSecondRadius, p.colors.trackFill);
        else
            FillRect(g, second, p.colors.trackFill);
    }
    if (p.position > 0) {
        const RectF bar = progressBar(track, p.position);
        Gdiplus::GraphicsState saved = 0;
        gdip::GdipSaveGraphics(g, &saved);
        if (p.rounded) {
            GdipPathPtr clip = RoundedRectPath(bar.x, bar.y, bar.width, bar.height, kBarClipCorner);
            if (clip) gdip::GdipSetClipPath(g, clip.get(), Gdiplus::CombineModeIntersect);
        }
        FillGradient(g, bar, p.colors.barStart, p.colors.barEnd, 0);
        FillGradient(g, bar, rgbaToArgb(255, 255, 255, 0), rgbaToArgb(0, 0, 0, 60), 1);
        gdip::GdipRestoreGraphics(g, saved);
    }
    if (p.thumb) {
        UINT width = 0, height = 0;
        gdip::GdipGetImageWidth(p.thumb, &width);
        gdip::GdipGetImageHeight(p.thumb, &height);
        const float w = static_cast<float>(width);
        const float h = static_cast<float>(height);
        const float x = progressThumbLeft(track, p.position, w);
        gdip::GdipDrawImageRect(g, p.thumb, x, track.y + (track.height - h) / 2, w, h);
    }
}

int ProgressBar::Create(HWND hwnd, int x, int y, int width, int height,
                        const ProgressBarOptions& options) {
    if (IsRegistered()) return 0;
    step_ = options.step;
    position_ = clampProgress(options.position);
    secondPosition_ = clampProgress(options.secondPosition);
    colors_ = options.colors;
    look_ = options.look;
    seekable_ = options.seekable;
    thumb_.LoadFromBytes(options.thumb.empty() ? pictures::progressThumb() : options.thumb);
    activeThumb_.LoadFromBytes(options.activeThumb.empty() ? pictures::progressThumb2()
                                                           : options.activeThumb);
    ResetPressable();
    const RectF rect{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                     static_cast<float>(progressHeight(height))};
    if (!Register(hwnd, rect, kKindProgressBar, options.visible ? 1 : 0, true, kCursorArrow))
        return 0;
    rounded_ = DefaultRounded(*this, options.rounded);
    if (options.visible) Repaint();
    return ControlNumber();
}

float ProgressBar::Position(float value) {
    if (value == position_) return position_;
    position_ = clampProgress(value);
    Repaint();
    return position_;
}

float ProgressBar::SecondPosition(float value) {
    if (value == secondPosition_) return secondPosition_;
    secondPosition_ = clampProgress(value);
    Repaint();
    return secondPosition_;
}

void ProgressBar::PositionFromCursor(int window) {
    const SkinWindowRecord* record = WindowRecord(window);
    POINT pointer{};
    if (!record || !GetCursorPos(&pointer)) return;
    const RectF r = Rectangle();
    position_ = progressFromPointer(pointer.x, record->windowRect.left, r.x, r.width);
}

void ProgressBar::userMoved() {
    Repaint();
    if (changed_) changed_(static_cast<int>(position_));
}

int ProgressBar::PaintFace(GpGraphics* g, Pointer pointer, long) {
    ProgressPaint p;
    p.position = position_;
    p.secondPosition = secondPosition_;
    p.colors = colors_;
    p.look = look_;
    p.rounded = rounded_;
    if (seekable_) {
        const bool active = !Disabled() && (pointer != Pointer::Away || IsPressed());
        p.thumb = active && activeThumb_ ? activeThumb_.Handle() : thumb_.Handle();
    }
    DrawProgressBar(g, Rectangle(), p);
    return buttonStep(pointer, Disabled() != 0, false).fadeAlpha;
}

void ProgressBar::OnDestroy() {
    thumb_.Release();
    activeThumb_.Release();
}

bool ProgressBar::HandleOwn(HWND, UINT message, WPARAM wParam, LPARAM, int window, int, int) {
    switch (message) {
        case kNotifyClick:
            if (seekable_ && !Disabled()) {
                PositionFromCursor(window);
                userMoved();
            }
            return true;
        case WM_KEYDOWN:
            if (seekable_ && !Disabled()) {
                const float before = position_;
                if (wParam == VK_LEFT || wParam == VK_DOWN)
                    position_ = clampProgress(position_ - step_);
                if (wParam == VK_RIGHT || wParam == VK_UP)
                    position_ = clampProgress(position_ + step_);
                if (wParam == VK_HOME) position_ = 0;
                if (wParam == VK_END) position_ = 100;
                if (position_ != before) userMoved();
            }
            return true;
        case WM_MOUSEMOVE:
            if (seekable_ && IsPressed() && !Disabled()) {
                PositionFromCursor(window);
                userMoved();
                return true;
            }
            return false;
        default:
            return false;
    }
}

}  // namespace korvel::skin
