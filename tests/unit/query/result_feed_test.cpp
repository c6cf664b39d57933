#include "query/result_feed.h"

#include <gtest/gtest.h>

using namespace korvel::query;

namespace {

TEST(ResultFeed, OnlyTheLiveRunQueuesAndTakes) {
    ResultFeed feed;
    bool first = false;
    feed.switchTo(1);
    EXPECT_TRUE(feed.add(1, "a", &first));
    EXPECT_TRUE(first);
    EXPECT_TRUE(feed.add(1, "b", &first));
    EXPECT_FALSE(first);  // a flush is already on its way
    EXPECT_FALSE(feed.add(0, "old", &first));
    EXPECT_EQ(feed.take(0), "");
    EXPECT_EQ(feed.take(1), "ab");
    EXPECT_EQ(feed.take(1), "");
    EXPECT_TRUE(feed.add(1, "c", &first));
    EXPECT_TRUE(first);
    // Retiring the run hands back what waited; the old run can add no more.
    EXPECT_EQ(feed.switchTo(2), "c");
    EXPECT_FALSE(feed.add(1, "late", &first));
    EXPECT_EQ(feed.take(2), "");
    EXPECT_TRUE(feed.add(2, "d", nullptr));
    EXPECT_EQ(feed.take(2), "d");
}

}  // namespace
