#include "upgrade/byte_ranges.h"

#include <gtest/gtest.h>

using namespace korvel::upgrade;

namespace {

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
