#include "upgrade/chunk_queue.h"

#include <algorithm>

namespace korvel::upgrade {

std::optional<ByteRange> ChunkQueue::take(int64_t want) {
    std::lock_guard lock(mutex_);
    if (next_ > last_) return std::nullopt;
    const int64_t size = std::clamp<int64_t>(want, 1, last_ - next_ + 1);
    const ByteRange chunk{next_, next_ + size - 1};
    next_ += size;
    return chunk;
}

int64_t ChunkQueue::untaken() const {
    std::lock_guard lock(mutex_);
    return std::max<int64_t>(0, last_ - next_ + 1);
}

int64_t nextChunkBytes(int64_t lastBytes, int64_t lastMs, int64_t untaken, int active) {
    int64_t size = kFirstChunkBytes;
    if (lastBytes > 0) {
        // A chunk that came in under a millisecond says only "fast".
        size = lastMs > 0 && lastBytes <= kMaxChunkBytes * lastMs / kChunkMs
                   ? lastBytes * kChunkMs / lastMs
                   : kMaxChunkBytes;
    }
    size = std::clamp(size, kMinChunkBytes, kMaxChunkBytes);
    const int64_t share = untaken / std::max(active, 1);
    return std::max<int64_t>(std::min(size, share), kMinChunkBytes);
}

int rampedConnections(int64_t elapsedMs, int limit) {
    if (limit < 1) return 1;
    const int64_t steps = std::max<int64_t>(elapsedMs, 0) / kRampStepMs;
    if (steps >= 31) return limit;
    return static_cast<int>(std::min<int64_t>(int64_t{1} << steps, limit));
}

}  // namespace korvel::upgrade
