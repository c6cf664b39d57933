#include "ui/wrapped_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using korvel::ui::WrappedText;

namespace {

// ASCII 6 pixels, CJK 12, a surrogate pair 12 on its first unit, line ends 0.
int advance(char16_t c) {
    if (c == u'\r' || c == u'\n') return 0;
    if (c >= 0xDC00 && c <= 0xDFFF) return 0;
    return c < 0x80 ? 6 : 12;
}

std::vector<std::u16string> lines(const WrappedText& t) {
    std::vector<std::u16string> out;
    for (size_t i = 0; i < t.lineCount(); ++i)
        out.push_back(t.text().substr(t.lineStart(i), t.lineEnd(i) - t.lineStart(i)));
    return out;
}

std::vector<size_t> starts(const WrappedText& t) {
    std::vector<size_t> out;
    for (size_t i = 0; i < t.lineCount(); ++i) out.push_back(t.lineStart(i));
    return out;
}

WrappedText laidOut(std::u16string_view text, int width = 60) {
    WrappedText t;
    t.relayout(width, advance);
    t.setText(text);
    return t;
}

using Lines = std::vector<std::u16string>;

TEST(WrappedText, WrapsAtBlanksBetweenCjkAndInsideWordsTooLongForTheView) {
    // Ten ASCII characters fit in 60 pixels; a blank may hang past the edge.
    EXPECT_EQ(lines(laidOut(u"alpha bravo charlie")), (Lines{u"alpha ", u"bravo ", u"charlie"}));
    EXPECT_EQ(lines(laidOut(u"ab cdefghijklmnopq")), (Lines{u"ab ", u"cdefghijkl", u"mnopq"}));
    EXPECT_EQ(lines(laidOut(u"abcdefghij   k")), (Lines{u"abcdefghij   ", u"k"}));
    // Five CJK characters fit; they break anywhere, also next to ASCII.
    EXPECT_EQ(lines(laidOut(u"2012\u5230\u8FBE\u4E0A\u6D77\u8F6C\u8FD0")),
              (Lines{u"2012\u5230\u8FBE\u4E0A", u"\u6D77\u8F6C\u8FD0"}));
    // A surrogate pair at the edge moves to the next line whole.
    EXPECT_EQ(lines(laidOut(u"abcdefghi\U00020000z")), (Lines{u"abcdefghi", u"\U00020000z"}));
    // Line ends: "\r\n" and a lone "\n" end a line; a lone "\r" does not; a
    // text that ends with a line end has an empty last line.
    EXPECT_EQ(lines(laidOut(u"a\r\nb\nc\rd\r\n")), (Lines{u"a", u"b", u"c\rd", u""}));
    EXPECT_EQ(lines(laidOut(u"")), (Lines{u""}));
    // No width yet: nothing wraps.
    EXPECT_EQ(lines(laidOut(u"alpha bravo charlie", 0)), (Lines{u"alpha bravo charlie"}));
}

TEST(WrappedText, AppendingInPiecesLaysOutWhatTheWholeTextWould) {
    const std::u16string alphabet = u"ab \u5230\u6D77\r\n\U00020000xyz-";
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::u16string text;
        const int length = static_cast<int>(random() % 120);
        for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
        WrappedText pieces;
        pieces.relayout(60, advance);
        for (size_t at = 0; at < text.size();) {
            // Cuts fall anywhere, between "\r" and "\n" too.
            const size_t n = std::min<size_t>(text.size() - at, 1 + random() % 9);
            pieces.append(std::u16string_view(text).substr(at, n));
            at += n;
        }
        const WrappedText whole = laidOut(text);
        ASSERT_EQ(pieces.text(), text);
        ASSERT_EQ(starts(pieces), starts(whole)) << round;
        // A replacement in the middle lays out as the replaced text would.
        const size_t from = random() % (text.size() + 1), to = from + random() % 5;
        WrappedText edited = whole;
        edited.replace(from, to, u"\u4E0A\r\nq");
        std::u16string want = text;
        want.replace(from, std::min(to, text.size()) - from, u"\u4E0A\r\nq");
        ASSERT_EQ(starts(edited), starts(laidOut(want))) << round;
    }
}

TEST(WrappedText, PositionsAndPixelsMapBothWays) {
    const WrappedText t = laidOut(u"alpha bravo\r\n\u5230\u8FBE\U00020000 ok\r\nlast");
    for (size_t o = 0; o <= t.size(); ++o) {
        const size_t line = t.lineOf(o);
        ASSERT_GE(o, t.lineStart(line));
        if (o > t.lineEnd(line) || (o < t.size() && t.text()[o] >= 0xDC00 && t.text()[o] <= 0xDFFF))
            continue;  // inside a line end or a pair: no caret stops there
        EXPECT_EQ(t.offsetAt(line, t.xOf(o)), o) << o;
    }
    // Clicks left of a line, right of it, or past the last line.
    EXPECT_EQ(t.offsetAt(0, -5), 0u);
    EXPECT_EQ(t.offsetAt(0, 1000), t.lineEnd(0));
    EXPECT_EQ(t.offsetAt(99, 0), t.lineStart(t.lineCount() - 1));
    // Half a character decides which side of it the caret goes.
    EXPECT_EQ(t.offsetAt(0, 2), 0u);
    EXPECT_EQ(t.offsetAt(0, 4), 1u);
    // A word is taken with its trailing blank, CJK characters one by one.
    EXPECT_EQ(t.wordAt(2), (std::pair<size_t, size_t>{0, 6}));
    EXPECT_EQ(t.wordAt(14), (std::pair<size_t, size_t>{14, 15}));
    EXPECT_EQ(t.wordAt(t.size()), (std::pair<size_t, size_t>{t.size(), t.size()}));
}

}  // namespace
