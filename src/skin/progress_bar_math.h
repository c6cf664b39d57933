// Arithmetic of the drawn progress bar: clamped positions, the minimum
// height, the track and bar rectangles, the thumb place, and the position
// under the pointer of a seekable bar.
#pragma once

#include "skin/skin_color.h"
#include "skin/skin_geometry.h"

namespace korvel::skin {

constexpr int kProgressMinHeight = 12;
// The thumb's centre stays this far inside either end of the track, and the
// pointer maps onto the same span.
constexpr int kProgressThumbInset = 9;
// Look option that draws a thinner track (2 pixels in on each side).
constexpr int kProgressThinLook = 1;
constexpr int kProgressDefaultStep = 10;

struct ProgressColors {
    Argb trackFill = rgbaToArgb(255, 255, 255, 70);
    Argb barStart = rgbaToArgb(0, 136, 255, 230);
    Argb barEnd = rgbaToArgb(0, 224, 128, 230);
    Argb trackOutline = rgbaToArgb(0, 0, 0, 70);
};

// 0..100; anything not a number is 0.
float clampProgress(float value);

int progressHeight(int requested);

RectF progressTrack(const RectF& control, int lookOption);

// The part of the track a position 0..100 covers, from its left end.
RectF progressBar(const RectF& track, float position);

// The left edge of a thumb of the given width centred on the position.
float progressThumbLeft(const RectF& track, float position, float thumbWidth);

// 100 x (pointer - window left - control left - 9) / (control width - 18),
// clamped; a bar too narrow for the span gives 0 rather than dividing by it.
float progressFromPointer(int pointerX, int windowLeft, float controlLeft, float controlWidth);

}  // namespace korvel::skin
