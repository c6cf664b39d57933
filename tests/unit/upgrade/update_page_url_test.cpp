#include "upgrade/update_page_url.h"

#include <gtest/gtest.h>

using namespace korvel::upgrade;

namespace {

TEST(UpdatePageUrl, OverrideOnlyWhenItIsAWebAddress) {
    const std::string builtIn = "http://127.0.0.1:18471/update.htm";
    struct Case {
        std::string override, chosen;
    } cases[] = {
        {"", builtIn},
        {"http://127.0.0.1:40123/update.htm", "http://127.0.0.1:40123/update.htm"},
        {"https://example.invalid/u.htm", "https://example.invalid/u.htm"},
        {"HTTP://127.0.0.1:1/u", "HTTP://127.0.0.1:1/u"},
        {"http://", builtIn},  // no host
        {"https://", builtIn},
        {"file:///c:/windows/win.ini", builtIn},
        {"ftp://127.0.0.1/u", builtIn},
        {"127.0.0.1:40123/update.htm", builtIn},
        {" http://127.0.0.1/u", builtIn},
        {"htt", builtIn},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chooseUpdatePageUrl(c.override, builtIn), c.chosen) << c.override;
    }
}

}  // namespace
