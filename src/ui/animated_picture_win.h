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

    HWND create(HWND parent, int x, int y, int width, int height,
                std::span<const std::uint8_t> picture);
    HWND handle() const { return hwnd_; }
    int frameCount() const { return frames_; }
    int currentFrame() const { return current_; }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void paint(HDC dc);
    void advance();

    HWND hwnd_ = nullptr;
    skin::SkinImage image_;
    int frames_ = 0;
    int current_ = 0;
    std::vector<int> delays_;  // hundredths of a second
};

}  // namespace korvel::ui
