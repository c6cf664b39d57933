// Where the upgrade's windows go and how big the About window is, free of
// Win32: centring over the owner within the work area, and the dialog-unit
// arithmetic of MapDialogRect.
#pragma once

#include <string_view>

namespace korvel::upgrade {

// Screen rectangles as Win32 gives them (right and bottom exclusive).
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const ScreenRect&) const = default;
};

struct WindowOrigin {
    int x = 0;
    int y = 0;
    bool operator==(const WindowOrigin&) const = default;
};

// The top-left corner of a width x height window centred over owner, then
// moved into the work area (its top-left corner wins when the window is
// larger than the work area). An empty owner centres on the work area.
WindowOrigin centreOver(const ScreenRect& owner, int width, int height, const ScreenRect& work);

// Dialog base units of a font: x is the average width of the 52 Latin
// letters, rounded as Windows rounds it; y the font's cell height.
struct DialogBaseUnits {
    int x = 0;
    int y = 0;
    bool operator==(const DialogBaseUnits&) const = default;
};

// The letters whose extent gives the horizontal base unit.
inline constexpr std::string_view kBaseUnitLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// From the extent of kBaseUnitLetters and the font height; a non-positive
// measurement gives Windows' fallback of 8 x 16 (the system font's units).
DialogBaseUnits dialogBaseUnits(int lettersWidth, int fontHeight);

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

// As MapDialogRect: width x base.x / 4 and height x base.y / 8, rounded to
// the nearest pixel.
PixelSize dialogUnitsToPixels(int width, int height, DialogBaseUnits base);

}  // namespace korvel::upgrade
