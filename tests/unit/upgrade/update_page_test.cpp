#include "upgrade/update_page.h"

#include <gtest/gtest.h>

#include "text/gbk_text.h"
#include "upgrade/upgrade_texts.h"

using namespace korvel::upgrade;

namespace {

TEST(ParseLatestVersion, MarkersAndPlainEquality) {
    struct Case {
        std::string page, current, want;
    } cases[] = {
        {"x*||*1.0.0.0*||*y", "1.0.0.0", kNoNewerVersion},
        {"x*||*1.0.0.0*||*y", "1.0.0.1", "1.0.0.0"},  // older counts as different
        {"x*||*1.0.0.1*||*y", "1.0.0.0", "1.0.0.1"},
        {"*||*2.0", "1.0.0.0", ""},  // no closing marker: empty version, differs
        {"*||*2.0", "", kNoNewerVersion},
        {"*||**||*", "1.0.0.0", ""},
        {"", "1.0.0.0", kNoNewerVersion},
        {"no markers at all", "1.0.0.0", kNoNewerVersion},
        {"*||*1.0.0.0 *||*", "1.0.0.0", "1.0.0.0 "},  // byte equality, no trimming
        {"a*||*3*||*b*||*4*||*", "1", "3"},           // first pair wins
        {"版本*||*新版*||*", "1.0", "新版"},
        // 0x81 0x2A is one character, so the first "*||*" is the later one
        // and has no closing partner.
        {std::string("\x81*||*2*||*", 10), "1", ""},
        // Received bytes count only up to the first zero byte.
        {std::string("*||*9\0*||*", 10), "1", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseLatestVersion(c.page, c.current), c.want) << c.page << " / " << c.current;
    }
}

TEST(ParseDownloadLink, SecondPieceCutAndAmpersands) {
    struct Case {
        std::string page, want;
    } cases[] = {
        {"dz*#a.htm?x=1&amp;y=2*#*#more", "a.htm?x=1&y=2"},
        {"head dz*#http://h/p.htm*#*# tail", "http://h/p.htm"},
        {"dz*#a&amp;b&amp;c*#*#", "a&b&c"},
        {"dz*#AMP;*#*#", "AMP;"},  // case-sensitive
        {"dz*#no end marker", ""},
        {"dz*#a dz*#b*#*#", ""},  // the next dz*# ends the stretch
        {"dz*#*#*#", ""},
        {"", ""},
        {"no link marker", ""},
        {"only at the very end dz*#", ""},
        {"dz*#", ""},
        {"*||*1*||* dz*#链接.htm*#*#", "链接.htm"},
        // A marker hidden behind a lead byte is not a marker.
        {"\x81"
         "dz*#x*#*#",
         ""},
    };
    for (const auto& c : cases) EXPECT_EQ(parseDownloadLink(c.page), c.want) << c.page;
}

// The rule as stated: delete the first \\ pair while one is left.
std::string removePairsSlowly(std::string u) {
    for (int at = korvel::text::find(u, "\\\\"); at != -1; at = korvel::text::find(u, "\\\\"))
        u.erase(static_cast<size_t>(at - 1), 2);
    return u;
}

TEST(ParseDirectLink, MarkerEndAndBackslashPairs) {
    const std::string m = kDirectLinkMarker;
    ASSERT_EQ(m.size(), 10u);
    struct Case {
        std::string page, want;
    } cases[] = {
        {m + "a\\\\/b\\\\/c.exe\\\"", "a/b/c.exe"},
        {m + "p:\\\\/\\\\/h\\\\/f.exe\\\"", "p://h/f.exe"},
        {"{\"x\":1,\"" + m + "http:\\\\/\\\\/127.0.0.1:8\\\\/f.exe\\\",\"y\"",
         "http://127.0.0.1:8/f.exe"},
        {m + "\\\\\\\\\\\"", ""},      // four backslashes vanish in two steps
        {m + "a\\\\\\b\\\"", "a\\b"},  // three leave one
        {m + "no end", ""},
        {m + "\\\"", ""},
        {"no marker here, long enough to reach past the ninth character\\\"", ""},
        {"", ""},
        // 0x81 0x5C is one character whose trail byte is a backslash.
        {m + "\x81\\\\x\\\"", "\x81\\\\x"},
    };
    for (const auto& c : cases) EXPECT_EQ(parseDirectLink(c.page), c.want) << c.page;
}

TEST(ParseDirectLink, SinglePassMatchesRepeatedDeletion) {
    const std::string m = kDirectLinkMarker;
    const std::string bodies[] = {
        "a\\\\\\\\\\b",
        "\\a\\\\b\\",
        "\\\\\\x\\\\\\\\y",
        "\x81\\\\\\\\",
        "\x81\\\\\\z",
        "\\\x81\\\\\\\\q",
        "",
        "plain",
    };
    for (const auto& body : bodies) {
        EXPECT_EQ(parseDirectLink(m + body + "\\\""), removePairsSlowly(body)) << body;
    }
}

TEST(ParseDirectLink, HugeRunOfBackslashesIsQuick) {
    const std::string page = kDirectLinkMarker + std::string(2'000'001, '\\') + "x\\\"";
    EXPECT_EQ(parseDirectLink(page), "\\x");
}

}  // namespace

namespace {

TEST(ParseSignature, HexBetweenItsMarkersBesideTheOthers) {
    const std::string hex = "00ff7Fa1" + std::string(120, '5');
    std::string bytes("\x00\xff\x7f\xa1", 4);
    bytes.append(60, '\x55');
    const std::string link = "dz*#http://h/d.htm?a=1&amp;b=2*#*#";
    struct Case {
        std::string page, want;
    } cases[] = {
        {"*||*2.0*||*" + link + "qm*#" + hex + "*#*#", bytes},
        // Before the link, with the same end marker: the link stays readable.
        {"qm*#" + hex + "*#*#" + link + "*||*2.0*||*", bytes},
        {"*||*2.0*||*" + link, ""},                    // unsigned page
        {"qm*#" + hex, ""},                            // no end marker
        {"qm*#" + hex.substr(2) + "*#*#", ""},         // too short
        {"qm*#" + hex + "00*#*#", ""},                 // too long
        {"qm*#" + hex.substr(0, 126) + "g0*#*#", ""},  // no hex digit
        {"qm*#" + hex.substr(0, 126) + " 0*#*#", ""},
        {"qm*#*#*#qm*#" + hex + "*#*#", ""},            // the first marker counts
        {std::string("qm*#\0", 5) + hex + "*#*#", ""},  // text ends at a zero byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseSignature(c.page), c.want) << c.page;
    }
    const std::string page = cases[1].page;
    EXPECT_EQ(parseDownloadLink(page), "http://h/d.htm?a=1&b=2");
    EXPECT_EQ(parseLatestVersion(page, "1.0"), "2.0");
}

}  // namespace
