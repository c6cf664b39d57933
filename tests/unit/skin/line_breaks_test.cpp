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
        {"a\rb\r", "a\nb\n"},
        {"a\nb", "a\nb"},
        {"第一行\r\n第二行", "第一行\n第二行"},
        // Lines with nothing on them keep their height with one blank.
        {"a\r\n\r\nb\r\n", "a\n \nb\n"},
        {"\r\r\n", " \n \n"},
        {"\nx", " \nx"},
        {"a\n\n\nb", "a\n \n \nb"},
        {" \nb", " \nb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(lineFeedBreaks(c.in), c.out);
    }
}

}  // namespace
}  // namespace korvel::skin
