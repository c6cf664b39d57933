#include <windows.h>
#include <gtest/gtest.h>

#include "text/wide_text_win.h"

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

// The table-driven UTF-8 gives the system's bytes for every two-byte code,
// for bytes it leaves to the system (0x80, 0xFF, half a character at the
// end), and for the text around them.
TEST(WideText, GbkToUtf8AgreesWithTheSystemForEveryCode) {
    auto systemUtf8 = [](const std::string& gbk) {
        const std::wstring wide = toWide(gbk);
        std::string out(wide.size() * 3 + 1, '\0');
        const int n =
            WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                                static_cast<int>(out.size()), nullptr, nullptr);
        out.resize(static_cast<size_t>(n > 0 ? n : 0));
        return out;
    };
    int differing = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string pair = {'a', static_cast<char>(lead), static_cast<char>(trail), 'b'};
            if (gbkToUtf8(pair) != systemUtf8(pair) && ++differing < 5)
                ADD_FAILURE() << std::hex << lead << " " << trail;
        }
    EXPECT_EQ(differing, 0);
    for (const std::string odd : {"x\x80y", "\xFF", "申\xC9", "\x81\x7F", "\xC9\x0A"})
        EXPECT_EQ(gbkToUtf8(odd), systemUtf8(odd)) << odd;
    EXPECT_EQ(gbkToUtf8("申通,\"1\""), "\xE7\x94\xB3\xE9\x80\x9A,\"1\"");
    std::string appended = "\xEF\xBB\xBF";
    appendUtf8(appended, "申");
    EXPECT_EQ(appended, "\xEF\xBB\xBF\xE7\x94\xB3");
}
