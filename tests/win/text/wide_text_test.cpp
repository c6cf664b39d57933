#include "text/wide_text_win.h"

#include <gtest/gtest.h>

using namespace korvel::text;

TEST(WideText, GbkRoundTripUsesCodePage936) {
    // 申通快递 in GBK and UTF-16, independent of the system locale.
    const std::string gbk = "\xC9\xEA\xCD\xA8\xBF\xEC\xB5\xDD";
    const std::wstring wide = L"\u7533\u901A\u5FEB\u9012";
    EXPECT_EQ(toWide(gbk), wide);
    EXPECT_EQ(toGbk(wide), gbk);
    EXPECT_EQ(toGbk(toWide("Korvel运单助手")), std::string("Korvel运单助手"));
    EXPECT_EQ(toWide(""), L"");
    EXPECT_EQ(toGbk(L""), "");
}
