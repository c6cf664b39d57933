// How the download engine shares a file out among its connections: each
// connection takes the next chunk of the untaken bytes, sized to what it can
// fetch in a moment, and connections are added step by step while bytes
// remain. A fast server is thus served by few large requests (no cost of
// many connections), a slow one by up to the task's connection count.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>

#include "upgrade/byte_ranges.h"

namespace korvel::upgrade {

inline constexpr int64_t kFirstChunkBytes = 512 * 1024;
inline constexpr int64_t kMinChunkBytes = 256 * 1024;
inline constexpr int64_t kMaxChunkBytes = 64 * 1024 * 1024;
// A chunk is sized to take about this long at the connection's last rate.
inline constexpr int64_t kChunkMs = 250;
// Every step the number of connections doubles, up to the task's count.
inline constexpr int kRampStepMs = 100;

// The untaken bytes first..last of a file; safe to share between threads.
class ChunkQueue {
  public:
    ChunkQueue(int64_t first, int64_t last) : next_(first), last_(last) {}

    // The next at most want bytes (at least 1), or nothing when all are taken.
    std::optional<ByteRange> take(int64_t want);
    int64_t untaken() const;

  private:
    mutable std::mutex mutex_;
    int64_t next_, last_;
};

// The size of a connection's next chunk: what it fetched in its last chunk
// scaled to kChunkMs (kFirstChunkBytes before its first), within
// kMinChunkBytes..kMaxChunkBytes, and no more than an even share of the
// untaken bytes among the active connections, so the last chunks finish
// close together.
int64_t nextChunkBytes(int64_t lastBytes, int64_t lastMs, int64_t untaken, int active);

// How many connections should run after elapsedMs: 1, doubling every
// kRampStepMs, at most limit (at least 1).
int rampedConnections(int64_t elapsedMs, int limit);

}  // namespace korvel::upgrade
