// A picture in a rectangle of a skinned window, stretched to fit; an
// animated GIF plays with the delays stored in it, looping. Every window
// with an icon has one as its icon.
#pragma once

#include <cstdint>
#include <span>

#include "skin/opaque_picture_win.h"
#include "skin/picture_frames.h"
#include "skin/skin_control_win.h"
#include "skin/skin_image_win.h"

namespace korvel::skin {

class PictureBox : public SkinControl {
  public:
    // Loads the picture, registers (kind 4, focusable) and paints when
    // visible. With replaceZeroDelays a frame delay of 0 plays as 100 ms.
    // Returns the control number, 0 when hwnd is not skinned.
    int Create(HWND hwnd, int x, int y, int width, int height,
               std::span<const std::uint8_t> picture, bool animate = false,
               bool replaceZeroDelays = false, int borderStyle = 0, bool visible = true);
    // Shows a copy of an image made elsewhere (the caller keeps its own); never animates.
    int CreateFromImage(HWND hwnd, int x, int y, int width, int height, GpImage* image,
                        int borderStyle = 0, bool visible = true);

    bool Animate() const { return animate_; }
    // Restarts at frame 0 (a stopped animation starts afresh later) and repaints.
    bool Animate(bool value);
    // Loads a new picture with its frames and delays; repaints unless told not to.
    void SetPicture(std::span<const std::uint8_t> picture, bool repaint = true);
    // Shows the next frame and, while animating, times the one after it.
    void DrawFrame(int window, int control, const RectF& rect, int extra);

    int FrameCount() const { return clock_.FrameCount(); }
    int NextFrame() const { return clock_.NextFrame(); }
    int ShownFrame() const { return shownFrame_; }
    // The interval the animation timer runs at now (0 when none runs).
    unsigned TimerInterval() const { return timerInterval_; }
    const std::vector<int>& FrameDelays() const { return clock_.Delays(); }
    bool Started() const { return started_; }
    const SkinImage& Picture() const { return picture_; }

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, int window,
                          int control, int extra) override;

  private:
    // The part both Create paths share, once the picture is in place.
    int registerBox(HWND hwnd, const RectF& rect, bool animate, bool replaceZeroDelays,
                    int borderStyle, bool visible);
    void readFrames();
    void drawFrame(int frame);
    void stopTimer();

    SkinImage picture_;
    OpaquePicture opaque_;  // still opaque pictures are stretched by GDI
    bool animate_ = false;
    bool replaceZeroDelays_ = false;
    int borderStyle_ = 0;
    bool started_ = false;
    FrameClock clock_;
    int shownFrame_ = -1;
    unsigned timerInterval_ = 0;
};

// Lets every window attached from now on get a PictureBox as its icon (with
// an empty picture, so it draws nothing until one is set).
void InstallPictureBoxIcons();

}  // namespace korvel::skin
