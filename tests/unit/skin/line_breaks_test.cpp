#include "skin/line_breaks.h"

#include <gtest/gtest.h>

namespace korvel::skin {
namespace {

TEST(LineFeedBreaks, Cases) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"", ""},
        {"one line", "one line"},
        {"a\r\nb", "a\nb"},
        {"a\r\n\r\nb\r\n", "a\n\nb\n"},
        {"a\rb\r", "a\nb\n"},
        {"a\nb", "a\nb"},
        {"\r\r\n", "\n\n"},
        {"第一行\r\n第二行", "第一行\n第二行"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(lineFeedBreaks(c.in), c.out);
    }
}

}  // namespace
}  // namespace korvel::skin
