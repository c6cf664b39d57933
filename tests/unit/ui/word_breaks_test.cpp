#include "ui/word_breaks.h"

#include <gtest/gtest.h>

using namespace korvel::ui;

namespace {

TEST(WordBreaks, LeftRightAndDelimiters) {
    // "2012 到达上海 ok" (UTF-16: the line as the edit control holds it).
    const std::u16string line = u"2012 \u5230\u8FBE\u4E0A\u6D77 ok";
    struct Case {
        int index;
        WordBreakAction action;
        int want;
    } cases[] = {
        {4, WordBreakAction::kLeft, 0},    // inside "2012": no break before it
        {6, WordBreakAction::kLeft, 5},    // after the blank
        {8, WordBreakAction::kLeft, 7},    // between two CJK characters
        {11, WordBreakAction::kLeft, 10},  // "ok" after a blank
        {12, WordBreakAction::kLeft, 10},  // inside "ok"
        {99, WordBreakAction::kLeft, 10},  // past the end: from the end
        {0, WordBreakAction::kLeft, 0},
        {0, WordBreakAction::kRight, 5},
        {5, WordBreakAction::kRight, 6},
        {10, WordBreakAction::kRight, 12},  // no break inside "ok": the end
        {-3, WordBreakAction::kRight, 5},
        {4, WordBreakAction::kIsDelimiter, 1},
        {3, WordBreakAction::kIsDelimiter, 0},
        {12, WordBreakAction::kIsDelimiter, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wordBreak(line, c.index, c.action), c.want)
            << c.index << " action " << static_cast<int>(c.action);
    }
}

TEST(WordBreaks, NoBreakBeforeABlankOrInsideAsciiWords) {
    const std::u16string line = u"ab  cd\u3000\u6D77";
    EXPECT_FALSE(canBreakBefore(line, 1));
    EXPECT_FALSE(canBreakBefore(line, 2));  // before a blank
    EXPECT_FALSE(canBreakBefore(line, 3));
    EXPECT_TRUE(canBreakBefore(line, 4));
    EXPECT_FALSE(canBreakBefore(line, 6));  // before the full-width blank
    EXPECT_TRUE(canBreakBefore(line, 7));
    EXPECT_FALSE(canBreakBefore(line, 0));
    EXPECT_FALSE(canBreakBefore(line, 8));
    EXPECT_FALSE(canBreakBefore(u"", 0));
}

}  // namespace
