#include "skin/picture_frames.h"

#include <algorithm>

namespace korvel::skin {

void FrameClock::Reset(int frameCount, std::vector<int> delays, bool replaceZero) {
    frameCount_ = std::max(0, frameCount);
    next_ = 0;
    delays_ = std::move(delays);
    if (replaceZero) std::replace(delays_.begin(), delays_.end(), 0, 10);
}

int FrameClock::Take() {
    if (next_ >= frameCount_) next_ = 0;
    return next_++;
}

unsigned FrameClock::IntervalMs(int frame) const {
    int delay = kMissingFrameDelay;
    if (frame >= 0 && static_cast<size_t>(frame) < delays_.size()) delay = delays_[frame];
    if (delay <= 0) return kShortestFrameMs;
    // A day is plenty and keeps the product inside 32 bits.
    constexpr int kLongestDelay = 24 * 60 * 60 * 100;
    return std::max(kShortestFrameMs, static_cast<unsigned>(std::min(delay, kLongestDelay)) * 10u);
}

}  // namespace korvel::skin
