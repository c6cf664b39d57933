#include "text/pasted_text.h"

#include <gtest/gtest.h>

#include "text/gbk_text.h"

using namespace korvel::text;

namespace {

TEST(PastedText, LinesAndCellsBecomeBlankSeparatedPieces) {
    struct Case {
        const wchar_t* pasted;
        const wchar_t* line;
    } cases[] = {
        {L"SF1\r\nSF2\r\nSF3\r\n", L"SF1 SF2 SF3 "},  // a spreadsheet column
        {L"SF1\nSF2", L"SF1 SF2"},
        {L"SF1\rSF2", L"SF1 SF2"},
        {L"SF1\tSF2\tSF3", L"SF1 SF2 SF3"},    // a row of cells
        {L"SF1\t\r\nSF2\n\r", L"SF1  SF2  "},  // LF CR is two breaks
        {L"a b\x3000"
         L"c",
         L"a b\x3000"
         L"c"},  // blanks stay as they are
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(pastedAsOneLine(c.pasted), c.line) << c.pasted;
}

// A column's trailing line break trims away, and each number is a piece of
// its own in order once the blank-separated rules apply.
TEST(PastedText, AColumnSplitsIntoItsNumbersInOrder) {
    std::wstring column;
    std::vector<std::string> want;
    for (int i = 0; i < 200; ++i) {
        column += L"YT" + std::to_wstring(1000 + i) + (i % 2 ? L"\r\n" : L"\n");
        want.push_back("YT" + std::to_string(1000 + i));
    }
    const std::wstring line = pastedAsOneLine(column);
    const std::string narrow(line.begin(), line.end());  // ASCII only here
    EXPECT_EQ(split(trimBlanks(narrow), " "), want);
}

}  // namespace
