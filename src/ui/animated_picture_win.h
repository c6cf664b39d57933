// "图片框1": a native child window that shows a picture and plays the frames
// of an animated one with their own delays, looping.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

#include "skin/skin_image_win.h"

namespace korvel::ui {

class AnimatedPicture {
  public:
    AnimatedPicture() = default;
    ~AnimatedPicture();
    AnimatedPicture(const AnimatedPicture&) = delete;
    AnimatedPicture& operator=(const AnimatedPicture&) = delete;

    // The picture is decoded, and its frames start to play, when the window
    // is first shown: a page that is never opened costs no decoding.
    HWND create(HWND parent, int x, int y, int width, int height,
                std::span<const std::uint8_t> picture);
    HWND handle() const { return hwnd_; }
    // 0 until the window has been shown.
    int frameCount() const { return frames_; }
    int currentFrame() const { return current_; }

  private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void load();
    void paint(HDC dc);
    void advance();

    HWND hwnd_ = nullptr;
    std::vector<std::uint8_t> bytes_;  // until the first showing
    bool loaded_ = false;
    skin::SkinImage image_;
    int frames_ = 0;
    int current_ = 0;
    std::vector<int> delays_;  // hundredths of a second
};

}  // namespace korvel::ui
