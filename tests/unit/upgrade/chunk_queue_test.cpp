#include "upgrade/chunk_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

using namespace korvel::upgrade;

namespace {

TEST(ChunkQueue, HandsOutEveryByteOnceInOrder) {
    ChunkQueue queue(100, 1099);
    EXPECT_EQ(queue.untaken(), 1000);
    EXPECT_EQ(queue.take(300), (ByteRange{100, 399}));
    EXPECT_EQ(queue.take(0), (ByteRange{400, 400}));  // at least one byte
    EXPECT_EQ(queue.take(-5), (ByteRange{401, 401}));
    EXPECT_EQ(queue.untaken(), 698);
    EXPECT_EQ(queue.take(10000), (ByteRange{402, 1099}));  // no more than is left
    EXPECT_EQ(queue.take(1), std::nullopt);
    EXPECT_EQ(queue.untaken(), 0);
    ChunkQueue empty(4096, 4095);
    EXPECT_EQ(empty.take(1), std::nullopt);
}

TEST(ChunkQueue, ThreadsTakingAtOnceCoverTheFileExactly) {
    const int64_t total = 10'000'019;
    ChunkQueue queue(0, total - 1);
    std::vector<std::vector<ByteRange>> taken(8);
    std::vector<std::thread> threads;
    for (auto& mine : taken) {
        threads.emplace_back([&queue, &mine] {
            while (auto chunk = queue.take(4099)) mine.push_back(*chunk);
        });
    }
    for (auto& t : threads) t.join();
    std::vector<ByteRange> all;
    for (const auto& mine : taken) all.insert(all.end(), mine.begin(), mine.end());
    std::sort(all.begin(), all.end(), [](auto a, auto b) { return a.first < b.first; });
    int64_t next = 0;
    for (const auto& chunk : all) {
        ASSERT_EQ(chunk.first, next);
        next = chunk.last + 1;
    }
    EXPECT_EQ(next, total);
}

TEST(NextChunkBytes, FollowsTheRateWithinBounds) {
    const int64_t lots = int64_t{1} << 40;
    struct Case {
        int64_t lastBytes, lastMs, untaken;
        int active;
        int64_t want;
    } cases[] = {
        {0, 0, lots, 1, kFirstChunkBytes},    // nothing known yet
        {2'000'000, 1000, lots, 1, 500'000},  // 2 MB/s: a quarter second
        {1'000'000, 100, lots, 1, 2'500'000},
        {1'000, 1000, lots, 1, kMinChunkBytes},       // very slow: the floor
        {16'000'000, 1, lots, 1, kMaxChunkBytes},     // very fast: the ceiling
        {5'000'000, 0, lots, 1, kMaxChunkBytes},      // under a millisecond
        {1'000'000, 100, 2'000'000, 1, 2'000'000},    // no more than the rest
        {1'000'000, 100, 4'000'000, 4, 1'000'000},    // shared among four
        {1'000'000, 100, 10'000, 4, kMinChunkBytes},  // the tail: never tiny
        {1'000'000, 100, lots, 0, 2'500'000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nextChunkBytes(c.lastBytes, c.lastMs, c.untaken, c.active), c.want)
            << c.lastBytes << " in " << c.lastMs << " ms, " << c.untaken << " left";
    }
}

TEST(RampedConnections, DoublesEachStepUpToTheLimit) {
    struct Case {
        int64_t elapsedMs;
        int limit, want;
    } cases[] = {
        {0, 25, 1},
        {kRampStepMs - 1, 25, 1},
        {kRampStepMs, 25, 2},
        {2 * kRampStepMs, 25, 4},
        {4 * kRampStepMs, 25, 16},
        {5 * kRampStepMs, 25, 25},
        {1'000'000'000, 25, 25},
        {3 * kRampStepMs, 1, 1},
        {0, 0, 1},
        {-50, 8, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rampedConnections(c.elapsedMs, c.limit), c.want) << c.elapsedMs;
}

}  // namespace
