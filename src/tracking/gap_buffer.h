// A sequence with a movable gap: inserting or erasing where the last edit
// happened is O(1), moving the edit point costs the distance moved, and
// reading by position is O(1). Tree edits come in runs at one place (numbers
// added under one company, a company's numbers deleted one by one), which is
// exactly the pattern a gap buffer serves well.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace korvel::tracking {

template <typename T>
class GapBuffer {
  public:
    size_t size() const { return buf_.size() - gapSize_; }
    bool empty() const { return size() == 0; }

    const T& operator[](size_t i) const { return buf_[i < gapStart_ ? i : i + gapSize_]; }
    T& operator[](size_t i) { return buf_[i < gapStart_ ? i : i + gapSize_]; }

    // Inserts count items before position pos (pos == size() appends).
    void insert(size_t pos, const T* items, size_t count) {
        if (count == 0 || pos > size()) return;
        moveGapTo(pos);
        reserveGap(count);
        std::copy(items, items + count, buf_.begin() + gapStart_);
        gapStart_ += count;
        gapSize_ -= count;
    }

    // Erases count items from position pos, clipped to the end.
    void erase(size_t pos, size_t count) {
        if (pos >= size()) return;
        count = std::min(count, size() - pos);
        moveGapTo(pos);
        gapSize_ += count;
    }

    void clear() {
        buf_.clear();
        gapStart_ = gapSize_ = 0;
    }

  private:
    void moveGapTo(size_t pos) {
        if (pos < gapStart_) {
            std::move_backward(buf_.begin() + pos, buf_.begin() + gapStart_,
                               buf_.begin() + gapStart_ + gapSize_);
        } else if (pos > gapStart_) {
            std::move(buf_.begin() + gapStart_ + gapSize_, buf_.begin() + pos + gapSize_,
                      buf_.begin() + gapStart_);
        }
        gapStart_ = pos;
    }

    void reserveGap(size_t count) {
        if (gapSize_ >= count) return;
        // Grow geometrically so a long run of appends stays linear overall.
        const size_t newGap = std::max(count, size() / 2 + 16);
        std::vector<T> grown(size() + newGap);
        std::copy(buf_.begin(), buf_.begin() + gapStart_, grown.begin());
        std::copy(buf_.begin() + gapStart_ + gapSize_, buf_.end(),
                  grown.begin() + gapStart_ + newGap);
        buf_.swap(grown);
        gapSize_ = newGap;
    }

    std::vector<T> buf_;
    size_t gapStart_ = 0;
    size_t gapSize_ = 0;
};

}  // namespace korvel::tracking
