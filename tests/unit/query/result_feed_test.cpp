#include "query/result_feed.h"

#include <gtest/gtest.h>

using namespace korvel::query;

namespace {

using Blocks = std::vector<FinishedBlock>;

FinishedBlock fb(int number, std::string text) {
    FinishedBlock block;
    block.number = std::to_string(number);
    block.text = std::move(text);
    return block;
}

TEST(ResultFeed, OnlyTheLiveRunQueuesAndTakes) {
    ResultFeed feed;
    feed.switchTo(1);
    EXPECT_TRUE(feed.add(1, fb(11, "a")));
    EXPECT_TRUE(feed.add(1, fb(12, "b")));
    EXPECT_FALSE(feed.add(0, fb(13, "old")));
    EXPECT_EQ(feed.take(0), Blocks{});
    const Blocks both = feed.take(1);
    EXPECT_EQ(both, (Blocks{fb(11, "a"), fb(12, "b")}));
    EXPECT_EQ(joinedText(both), "ab");
    EXPECT_EQ(feed.take(1), Blocks{});
    EXPECT_TRUE(feed.add(1, fb(14, "c")));
    // Retiring the run hands back what waited; the old run can add no more.
    EXPECT_EQ(feed.switchTo(2), (Blocks{fb(14, "c")}));
    EXPECT_FALSE(feed.add(1, fb(15, "late")));
    EXPECT_EQ(feed.take(2), Blocks{});
    EXPECT_TRUE(feed.add(2, fb(16, "d")));
    EXPECT_EQ(feed.take(2), (Blocks{fb(16, "d")}));
    // A slice takes whole blocks, oldest first, until it holds the budget.
    for (auto block : Blocks{fb(17, "eeee"), fb(18, "ff"), fb(19, "g")}) feed.add(2, block);
    size_t left = 99;
    EXPECT_EQ(feed.take(2, 1, &left), (Blocks{fb(17, "eeee")}));
    EXPECT_EQ(left, 3u);
    EXPECT_EQ(feed.take(1, 100, &left), Blocks{});
    EXPECT_EQ(left, 0u);
    EXPECT_EQ(feed.take(2, 3, &left), (Blocks{fb(18, "ff"), fb(19, "g")}));
    EXPECT_EQ(left, 0u);
}

}  // namespace
