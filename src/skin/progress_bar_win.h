// A position from 0 to 100 shown as a coloured bar in a translucent track,
// with an optional lighter second position behind it. A seekable bar shows
// a thumb and takes a new position from a click, a drag or the arrow keys.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "skin/pressable_control_win.h"
#include "skin/progress_bar_math.h"
#include "skin/skin_image_win.h"

namespace korvel::skin {

struct ProgressBarOptions {
    int step = kProgressDefaultStep;  // what an arrow key moves a seekable bar by
    float position = 0;
    float secondPosition = 0;
    ProgressColors colors;
    int look = 0;  // kProgressThinLook draws the track 2 pixels in on each side
    bool seekable = false;
    std::span<const std::uint8_t> thumb;        // empty: the built-in blue thumb
    std::span<const std::uint8_t> activeThumb;  // empty: the built-in orange thumb
    std::optional<bool> rounded;                // the window's FrameStyle is non-zero
    bool visible = true;
};

struct ProgressPaint {
    float position = 0;
    float secondPosition = 0;
    ProgressColors colors;
    int look = 0;
    bool rounded = true;
    GpImage* thumb = nullptr;  // drawn at the position when set
};

void DrawProgressBar(GpGraphics* g, const RectF& r, const ProgressPaint& paint);

class ProgressBar : public PressableControl {
  public:
    // Called with the new position after the user moved it.
    using PositionChanged = std::function<void(int)>;

    // The height is at least 12. Registers (kind 12, focusable) and paints
    // when visible. Returns the control number, 0 when hwnd is not skinned.
    int Create(HWND hwnd, int x, int y, int width, int height,
               const ProgressBarOptions& options = {});

    float Position() const { return position_; }
    // Clamps to 0..100; repaints only when the value changes.
    float Position(float value);
    float SecondPosition() const { return secondPosition_; }
    float SecondPosition(float value);
    void PositionChangedEvent(PositionChanged fn) { changed_ = std::move(fn); }
    // Takes the position from the pointer's screen x over the bar of window.
    void PositionFromCursor(int window);

    bool Seekable() const { return seekable_; }
    bool Rounded() const { return rounded_; }

  protected:
    void OnDestroy() override;
    // Seeking: a click, a drag while pressed, the arrow keys.
    bool HandleOwn(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, int window, int control,
                   int extra) override;
    int PaintFace(GpGraphics* g, Pointer pointer, long paintState) override;

  private:
    // The user moved the bar: repaint and tell the program.
    void userMoved();

    float position_ = 0;
    float secondPosition_ = 0;
    bool seekable_ = false;
    SkinImage thumb_;
    SkinImage activeThumb_;
    ProgressColors colors_;
    int look_ = 0;
    PositionChanged changed_;
    bool rounded_ = true;
    int step_ = kProgressDefaultStep;
};

}  // namespace korvel::skin
