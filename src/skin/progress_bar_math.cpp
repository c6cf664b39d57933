#include "skin/progress_bar_math.h"

#include <algorithm>
#include <cmath>

namespace korvel::skin {

float clampProgress(float value) {
    if (std::isnan(value)) return 0;
    return std::clamp(value, 0.0f, 100.0f);
}

int progressHeight(int requested) { return std::max(requested, kProgressMinHeight); }

RectF progressTrack(const RectF& c, int lookOption) {
    if (lookOption != kProgressThinLook) return c;
    return {c.x + 2, c.y + 2, std::max(0.0f, c.width - 4), std::max(0.0f, c.height - 4)};
}

RectF progressBar(const RectF& track, float position) {
    return {track.x, track.y, track.width * clampProgress(position) / 100.0f, track.height};
}

float progressThumbLeft(const RectF& track, float position, float thumbWidth) {
    const float span = std::max(0.0f, track.width - 2 * kProgressThumbInset);
    return track.x + kProgressThumbInset + span * clampProgress(position) / 100.0f - thumbWidth / 2;
}

float progressFromPointer(int pointerX, int windowLeft, float controlLeft, float controlWidth) {
    const float span = controlWidth - 2 * kProgressThumbInset;
    if (span <= 0) return 0;
    const float offset = static_cast<float>(pointerX - windowLeft) - controlLeft -
                         static_cast<float>(kProgressThumbInset);
    return clampProgress(100.0f * offset / span);
}

}  // namespace korvel::skin
