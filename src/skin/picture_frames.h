// Frame stepping of an animated picture: which frame comes next, looping,
// and how long each one stays, from the picture's delays in hundredths of a
// second.
#pragma once

#include <vector>

namespace korvel::skin {

// A frame whose picture gives no delay (a short delay list) stays this long.
constexpr int kMissingFrameDelay = 10;
// Windows runs no timer faster than this, so a delay of 0 means 10 ms.
constexpr unsigned kShortestFrameMs = 10;

class FrameClock {
  public:
    // delays: one per frame in hundredths of a second; with replaceZero a
    // delay of 0 becomes 10. Starts at frame 0.
    void Reset(int frameCount, std::vector<int> delays, bool replaceZero);

    int FrameCount() const { return frameCount_; }
    int NextFrame() const { return next_; }
    void Restart() { next_ = 0; }

    // The frame to show now (wrapping to 0 past the last one); the clock
    // moves on to the one after it.
    int Take();

    // How long the given frame stays, in milliseconds.
    unsigned IntervalMs(int frame) const;

    const std::vector<int>& Delays() const { return delays_; }

  private:
    int frameCount_ = 0;
    int next_ = 0;
    std::vector<int> delays_;
};

}  // namespace korvel::skin
