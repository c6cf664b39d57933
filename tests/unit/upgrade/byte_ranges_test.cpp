#include "upgrade/byte_ranges.h"

#include <gtest/gtest.h>

using namespace korvel::upgrade;

namespace {

using Parts = std::vector<ByteRange>;

TEST(PlanParts, CountsAndBoundaries) {
    struct Case {
        int64_t total;
        int connections;
        Parts want;
    } cases[] = {
        {0, 25, {}},
        {-5, 25, {}},
        {100, 0, {}},
        {1, 25, {{0, 0}}},
        {4095, 25, {{0, 4094}}},  // under 4096: one connection
        {4096, 25, {{0, 4095}}},
        {8192, 25, {{0, 4095}, {4096, 8191}}},
        {8193, 2, {{0, 4096}, {4097, 8192}}},
        {10, 1, {{0, 9}}},
        {12289, 3, {{0, 4096}, {4097, 8192}, {8193, 12288}}},
    };
    for (const auto& c : cases) EXPECT_EQ(planParts(c.total, c.connections), c.want) << c.total;
}

TEST(PlanParts, LargeFileCoversEveryByteOnce) {
    const int64_t total = 64LL * 1024 * 1024 + 7;
    const Parts parts = planParts(total, 25);
    ASSERT_EQ(parts.size(), 25u);
    int64_t next = 0;
    for (const auto& p : parts) {
        EXPECT_EQ(p.first, next);
        EXPECT_GE(p.size(), kMinPartBytes);
        next = p.last + 1;
    }
    EXPECT_EQ(next, total);
    EXPECT_LE(parts.front().size() - parts.back().size(), 1);
}

TEST(RangeRequestHeader, ClosedAndOpenEnds) {
    EXPECT_EQ(rangeRequestHeader(0, 4095), "Range: bytes=0-4095\r\n");
    EXPECT_EQ(rangeRequestHeader(100, -1), "Range: bytes=100-\r\n");
}

TEST(ParseContentRange, WellFormedAndMalformed) {
    using R = std::optional<ContentRange>;
    struct Case {
        std::string value;
        R want;
    } cases[] = {
        {"bytes 0-99/1000", ContentRange{0, 99, 1000}},
        {"bytes 0-0/1", ContentRange{0, 0, 1}},
        {" bytes 5-9/*", ContentRange{5, 9, -1}},
        {"bytes */0", ContentRange{-1, -1, 0}},
        {"bytes */4096", ContentRange{-1, -1, 4096}},
        {"bytes 0-99/100 ", ContentRange{0, 99, 100}},
        {"bytes 0-100/100", std::nullopt},  // beyond the total
        {"bytes 9-5/100", std::nullopt},
        {"bytes */*", std::nullopt},
        {"bytes 0-99", std::nullopt},
        {"bytes -99/100", std::nullopt},
        {"items 0-99/100", std::nullopt},
        {"bytes 0-99/100x", std::nullopt},
        {"", std::nullopt},
        {"bytes 0-99999999999999999999/100000000000000000000", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseContentRange(c.value), c.want) << c.value;
}

TEST(ParseContentLength, DigitsOnly) {
    using L = std::optional<int64_t>;
    struct Case {
        std::string value;
        L want;
    } cases[] = {
        {"0", 0},
        {"4096", 4096},
        {" 67108864 ", 67108864},
        {"", std::nullopt},
        {"-1", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseContentLength(c.value), c.want) << c.value;
}

}  // namespace
