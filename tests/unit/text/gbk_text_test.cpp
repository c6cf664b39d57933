#include "text/gbk_text.h"

#include <gtest/gtest.h>

using namespace korvel::text;

namespace {

using Pieces = std::vector<std::string>;

// Literals are GBK (-fexec-charset), so CJK below is two bytes a character.
TEST(GbkLiterals, AreGbkBytes) {
    EXPECT_EQ(std::string("模版文件"), "\xC4\xA3\xB0\xE6\xCE\xC4\xBC\xFE");
    EXPECT_EQ(std::string("模版文件尾").size(), 10u);
}

TEST(GbkFind, PositionsAndCharacterBoundaries) {
    struct Case {
        std::string text, marker;
        int from, want;
    } cases[] = {
        {"abctime", "time", 1, 4},
        {"time", "time", 1, 1},
        {"", "time", 1, -1},
        {"tim", "time", 1, -1},
        {"Time", "time", 1, -1},  // case-sensitive
        {"*||*1.0*||*", "*||*", 5, 8},
        {"*||*1.0*||*", "*||*", 1, 1},
        // 0xB0 0xA1 is one character; a marker starting on its trail byte
        // 0xA1 must not match.
        {"\xB0\xA1\xA1", "\xA1\xA1", 1, -1},
        {"\xB0\xA1\xA1\xA1", "\xA1\xA1", 1, 3},
        // "a" inside the trail byte: 0x81 0x61 is one character.
        {"\x81"
         "a"
         "a",
         "a", 1, 3},
        {"abc", "", 1, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(korvel::text::find(c.text, c.marker, c.from), c.want)
            << c.text << " / " << c.marker;
    }
}

// Code page 936 starts a double-byte character only with 0x81..0xFE; 0x80
// and 0xFF are characters of one byte, so what follows them is a character
// of its own for every helper.
TEST(GbkLeadBytes, OnlyBytes81ToFEStartADoubleByteCharacter) {
    for (const std::string lone : {"\x80", "\xFF"}) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(lone[0])));
        EXPECT_EQ(korvel::text::find(lone + "time", "time"), 2);
        EXPECT_EQ(trimBlanks("SF1" + lone + " "), "SF1" + lone);
        EXPECT_EQ(trimBlanks(lone + "\xA1\xA1"), lone);
        EXPECT_EQ(split("a" + lone + "|b", "|"), (Pieces{"a" + lone, "b"}));
        EXPECT_EQ(removeAll(lone + "amp;", "amp;"), lone);
    }
    EXPECT_EQ(korvel::text::find("\x81time", "time"), -1);
    EXPECT_EQ(korvel::text::find("\xFEtime", "time"), -1);
    EXPECT_EQ(trimBlanks("SF1\xFE "), "SF1\xFE ");  // the blank is the trail byte
}

TEST(GbkMid, OutOfRangeGivesEmpty) {
    EXPECT_EQ(mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(mid("abcdef", 5, 10), "ef");
    EXPECT_EQ(mid("abcdef", 0, 3), "");
    EXPECT_EQ(mid("abcdef", 7, 1), "");
    EXPECT_EQ(mid("abcdef", 1, 0), "");
    EXPECT_EQ(mid("abcdef", 1, -4), "");
    EXPECT_EQ(mid("", 1, 1), "");
}

TEST(GbkSplit, PieceRules) {
    EXPECT_EQ(split("", " "), Pieces{});
    EXPECT_EQ(split("a b", " "), (Pieces{"a", "b"}));
    EXPECT_EQ(split(" a", " "), (Pieces{"", "a"}));
    EXPECT_EQ(split("a ", " "), (Pieces{"a"}));             // empty rest not counted
    EXPECT_EQ(split("a  b", " "), (Pieces{"a", "", "b"}));  // empty middle counted
    EXPECT_EQ(split(" ", " "), (Pieces{""}));
    EXPECT_EQ(split("abc", " "), (Pieces{"abc"}));
    EXPECT_EQ(split("x\r\ny", "\r\n"), (Pieces{"x", "y"}));
}

TEST(GbkSplit, BytesVersusCharacters) {
    // "%-/" after a lead byte: the byte scan sees it, the character scan
    // steps over the '%' as the trail byte of 0x81 0x25.
    const std::string s = "\x81%-/x";
    EXPECT_EQ(splitBytes(s, "%-/").size(), 2u);
    EXPECT_EQ(split(s, "%-/").size(), 1u);
}

TEST(GbkRemoveAll, DeletesEveryOccurrence) {
    EXPECT_EQ(removeAll("a.htm?x=1&amp;y=2&amp;z", "amp;"), "a.htm?x=1&y=2&z");
    EXPECT_EQ(removeAll("none", "amp;"), "none");
    EXPECT_EQ(removeAll("amp;amp;", "amp;"), "");
}

TEST(GbkTrim, AsciiAndFullWidthSpaces) {
    EXPECT_EQ(trimBlanks("  123  "), "123");
    EXPECT_EQ(trimBlanks("\xA1\xA1 123\xA1\xA1"), "123");
    EXPECT_EQ(trimBlanks("\xA1\xA1\xA1\xA1"), "");
    EXPECT_EQ(trimBlanks("1 2"), "1 2");
    EXPECT_EQ(trimBlanks(""), "");
    // 0xB0 0xA1 then 0xA1 0xA1: only the last character is a full-width space.
    EXPECT_EQ(trimBlanks("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
}

TEST(GbkBlank, OnlyAsciiSpacesCountAsBlank) {
    EXPECT_TRUE(isEmptyOrSpaces(""));
    EXPECT_TRUE(isEmptyOrSpaces("   "));
    EXPECT_FALSE(isEmptyOrSpaces("\xA1\xA1"));
    EXPECT_FALSE(isEmptyOrSpaces(" 1 "));
}

TEST(GbkZero, TextEndsAtFirstZeroByte) {
    EXPECT_EQ(upToFirstZero(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(upToFirstZero("abc"), "abc");
    EXPECT_EQ(upToFirstZero(std::string("\0x", 2)), "");
}

}  // namespace
