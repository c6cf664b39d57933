#include "skin/skin_color.h"

#include <algorithm>
#include <cmath>

namespace korvel::skin {

namespace {

Argb pack(int alpha, int red, int green, int blue) {
    return (static_cast<Argb>(alpha & 0xFF) << 24) | (static_cast<Argb>(red & 0xFF) << 16) |
           (static_cast<Argb>(green & 0xFF) << 8) | static_cast<Argb>(blue & 0xFF);
}

int storedAlpha(int alpha) {
    const int a = std::clamp(alpha, 0, 255);
    return a == 255 ? 254 : a;
}

}  // namespace

Argb colorToArgb(std::uint32_t bgr, int alpha) {
    return pack(storedAlpha(alpha), bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

Argb rgbaToArgb(int red, int green, int blue, int alpha) {
    return pack(storedAlpha(alpha), red, green, blue);
}

Argb exactArgb(std::uint32_t bgr, int alpha) {
    return pack(std::clamp(alpha, 0, 255), bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

std::uint32_t argbToColor(Argb pixel) {
    const std::uint32_t red = (pixel >> 16) & 0xFF;
    const std::uint32_t green = (pixel >> 8) & 0xFF;
    const std::uint32_t blue = pixel & 0xFF;
    return (blue << 16) | (green << 8) | red;
}

SamplePoint panelSamplePoint(int width, int height) {
    const int x = static_cast<int>(std::lround(0.85 * width));
    const int y = static_cast<int>(std::lround(0.85 * height));
    return {std::clamp(x, 0, std::max(width - 1, 0)), std::clamp(y, 0, std::max(height - 1, 0))};
}

bool isDark(int red, int green, int blue) {
    const int bright = (red >= 126) + (green >= 126) + (blue >= 126);
    return bright < 2;
}

bool isDarkColor(std::uint32_t bgr) {
    return isDark(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

bool allDark(std::span<const std::uint32_t> samples) {
    if (samples.empty()) return false;
    return std::all_of(samples.begin(), samples.end(), isDarkColor);
}

Argb contrastingTextColor(Argb current, bool darkBackground) {
    return (current & 0xFF000000u) | (darkBackground ? 0x00FFFFFFu : 0u);
}

DarknessSamples darknessSamplePoints(int left, int top, int width, int height) {
    DarknessSamples s;
    s.x[0] = left + width * 20 / 100;
    s.x[1] = left + width * 50 / 100;
    s.x[2] = left + width * 80 / 100;
    s.y = top + height / 2;
    return s;
}

}  // namespace korvel::skin
