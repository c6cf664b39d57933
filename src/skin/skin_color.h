// Colour arithmetic of the toolkit. The program keeps colours as 0x00BBGGRR
// (the Win32 COLORREF layout) and GDI+ wants 0xAARRGGBB.
#pragma once

#include <cstdint>
#include <span>

namespace korvel::skin {

using Argb = std::uint32_t;

// Controls never store a fully opaque 255: it becomes 254, and a colour
// without an alpha gets 254 as well.
constexpr int kDefaultAlpha = 254;

// 0x00BBGGRR and an alpha 0..255 (255 kept as 254) to ARGB.
Argb colorToArgb(std::uint32_t bgr, int alpha = kDefaultAlpha);

// Red, green, blue and an alpha (255 kept as 254) to ARGB, for colour tables.
Argb rgbaToArgb(int red, int green, int blue, int alpha = kDefaultAlpha);

// The exact ARGB of a 0x00BBGGRR colour with the alpha as given (clamped to
// 0..255); used by the frame, which does want an opaque panel.
Argb exactArgb(std::uint32_t bgr, int alpha);

// A sampled 0xAARRGGBB pixel as 0x00BBGGRR: red and blue swapped, top byte cleared.
std::uint32_t argbToColor(Argb pixel);

// Where Attach samples a background of the given size: 85 % of each side,
// rounded to the nearest pixel and kept inside the picture.
struct SamplePoint {
    int x = 0;
    int y = 0;
};
SamplePoint panelSamplePoint(int width, int height);

// A colour is dark unless at least two of its red, green and blue parts are 126 or more.
bool isDark(int red, int green, int blue);
bool isDarkColor(std::uint32_t bgr);

// The automatic text colour rule: white when every sample is dark, else black.
// Samples are 0x00BBGGRR (as GetPixel reads them).
bool allDark(std::span<const std::uint32_t> samples);

// text colour made white or black for the background, keeping its alpha.
Argb contrastingTextColor(Argb current, bool darkBackground);

// The x positions (20 %, 50 %, 80 % of the width) and the y (half the height)
// of the three darkness samples of a rectangle.
struct DarknessSamples {
    int x[3] = {0, 0, 0};
    int y = 0;
};
DarknessSamples darknessSamplePoints(int left, int top, int width, int height);

}  // namespace korvel::skin
