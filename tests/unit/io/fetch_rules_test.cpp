#include "io/fetch_rules.h"

#include <gtest/gtest.h>

using namespace korvel::io;

namespace {

TEST(RequestUrl, FragmentCutAndControlBytesEncoded) {
    struct Case {
        std::string url, want;
    } cases[] = {
        {"http://h/?a=1#frag", "http://h/?a=1"},
        {"http://h/?a=1#x#y", "http://h/?a=1"},
        {"http://h/#", "http://h/"},
        {"http://h/?nu=a b", "http://h/?nu=a%20b"},
        {"http://h/?nu=1\r\nX-Evil: 1", "http://h/?nu=1%0D%0AX-Evil:%201"},
        {"http://h/?nu=\t\x7F\x1F", "http://h/?nu=%09%7F%1F"},
        {std::string("http://h/?nu=a\0b", 16), "http://h/?nu=a%00b"},
        {"http://h/?nu=a|b%41&c=申通", "http://h/?nu=a|b%41&c=申通"},
        {"http://h/?nu=　", "http://h/?nu=　"},  // full-width blank is GBK, kept
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(korvel::io::requestUrl(c.url), c.want) << c.url;
}

TEST(ReadChunkSize, FromContentLength) {
    struct Case {
        std::optional<std::string_view> header;
        unsigned want;
    } cases[] = {
        {std::nullopt, 10240},
        {"", 10240},
        {"0", 10240},
        {"-5", 10240},
        {"abc", 10240},
        {"12x", 10240},
        {"1", 2},
        {"1234", 1235},
        {" 99 ", 100},
        {"102399", 102400},
        {"102400", 102400},
        {"5000000", 102400},
        {"99999999999999999999999999999", 102400},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(korvel::io::readChunkSize(c.header), c.want) << (c.header ? *c.header : "(none)");
    }
}

}  // namespace
