#include "upgrade/about_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/gbk_text.h"
#include "upgrade/upgrade_window_texts.h"

using namespace korvel::upgrade;

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t from = 0;
    for (size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
        out.push_back(text.substr(from, at - from));
    out.push_back(text.substr(from));
    return out;
}

TEST(AboutText, LinesForAVersionAndForNone) {
    struct Case {
        std::string version, versionLine;
    } cases[] = {
        {"1.0.0.0", "版本：V 1.0.0.0"},
        {"", "版本：V "},  // a build without a version resource
        {"2.10.3.7", "版本：V 2.10.3.7"},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> got = lines(aboutText(c.version));
        ASSERT_EQ(got.size(), 5u) << c.version;
        EXPECT_EQ(got[0], "Korvel运单助手");
        EXPECT_EQ(got[1], "");
        EXPECT_EQ(got[2], c.versionLine);
        EXPECT_EQ(got[3], "");
        EXPECT_EQ(got[4], std::string(25, ' ') + kAboutCredit);
    }
    EXPECT_FALSE(korvel::text::isEmptyOrSpaces(kAboutCredit));
}

}  // namespace
