#include "upgrade/window_placement.h"

#include <algorithm>
#include <cstdint>

namespace korvel::upgrade {

namespace {

constexpr DialogBaseUnits kSystemFontUnits{8, 16};

// MulDiv for the non-negative values used here: a x b / c, rounded half up.
int mulDiv(int a, int b, int c) {
    if (c <= 0) return 0;
    const int64_t product = static_cast<int64_t>(a) * b;
    const int64_t sign = product < 0 ? -1 : 1;
    return static_cast<int>(sign * ((sign * product + c / 2) / c));
}

// The start of a span of length size centred on [from, to), kept in [lo, hi).
int centred(int from, int to, int size, int lo, int hi) {
    const int start = from + ((to - from) - size) / 2;
    return std::max(lo, std::min(start, hi - size));
}

}  // namespace

WindowOrigin centreOver(const ScreenRect& owner, int width, int height, const ScreenRect& work) {
    const bool noOwner = owner.right <= owner.left || owner.bottom <= owner.top;
    const ScreenRect& over = noOwner ? work : owner;
    return {centred(over.left, over.right, width, work.left, work.right),
            centred(over.top, over.bottom, height, work.top, work.bottom)};
}

DialogBaseUnits dialogBaseUnits(int lettersWidth, int fontHeight) {
    if (lettersWidth <= 0 || fontHeight <= 0) return kSystemFontUnits;
    // Windows: (extent / 26 + 1) / 2, the average of 52 letters rounded.
    return {(lettersWidth / 26 + 1) / 2, fontHeight};
}

PixelSize dialogUnitsToPixels(int width, int height, DialogBaseUnits base) {
    return {mulDiv(width, base.x, 4), mulDiv(height, base.y, 8)};
}

}  // namespace korvel::upgrade
