#include "upgrade/program_version.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace korvel::upgrade;

namespace {

TEST(ProgramVersionNames, StringTableFromTheFirstTranslation) {
    const struct {
        std::vector<Translation> table;
        const char* expected;
    } cases[] = {
        {{{0x0804, 0x04B0}}, "080404b0"},
        {{{0x0804, 936}}, "080403a8"},
        {{{0x0409, 0x04E4}, {0x0804, 0x04B0}}, "040904e4"},
        {{{0x0000, 0x0000}}, "00000000"},
        {{{0xFFFF, 0xABCD}}, "ffffabcd"},
        {{{0x7, 0x12}}, "00070012"},
        {{}, "040904E4"},
    };
    for (const auto& c : cases) EXPECT_EQ(stringTableName(c.table), c.expected);
}

TEST(ProgramVersionNames, TranslationTableParsing) {
    const std::vector<std::uint8_t> bytes = {0x04, 0x08, 0xB0, 0x04, 0x09, 0x04, 0xE4, 0x04, 0x01};
    const auto t = parseTranslations(bytes);
    ASSERT_EQ(t.size(), 2u);  // the trailing partial entry is dropped
    EXPECT_EQ(t[0].language, 0x0804);
    EXPECT_EQ(t[0].codePage, 0x04B0);
    EXPECT_EQ(t[1].language, 0x0409);
    EXPECT_EQ(t[1].codePage, 0x04E4);
    EXPECT_TRUE(parseTranslations({}).empty());
}

TEST(ProgramVersionNames, LanguageNamesAndQueryPaths) {
    const std::vector<std::string> none, one{"中文(简体)"}, two{"English", "中文"};
    EXPECT_EQ(joinLanguageNames(none), "");
    EXPECT_EQ(joinLanguageNames(one), "中文(简体)");
    EXPECT_EQ(joinLanguageNames(two), "English, 中文");
    EXPECT_EQ(stringQueryPath("080404b0", "FileVersion"),
              "\\StringFileInfo\\080404b0\\FileVersion");
}

}  // namespace
