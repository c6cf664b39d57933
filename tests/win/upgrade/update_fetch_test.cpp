// stand-in: tools/update_standin.py KORVEL_UPDATE_PORT
#include <gtest/gtest.h>

#include "standin_client.h"
#include "upgrade/update_fetch_win.h"
#include "upgrade/update_page.h"
#include "upgrade/upgrade_texts.h"

using namespace korvel::upgrade;
using namespace korvel::upgrade::testing;

namespace {

std::string pageUrl() { return standinBase() + "/update.htm"; }

TEST(UpdateFetch, LatestVersionAgainstTheAnnouncement) {
    ASSERT_NE(standinPort(), 0) << "run through tools/with_standin.py";
    struct Case {
        const char *announced, *current, *want;
    } cases[] = {
        {"1.0.0.0", "1.0.0.0", kNoNewerVersion},
        {"1.0.0.1", "1.0.0.0", "1.0.0.1"},
        {"0.9", "1.0.0.0", "0.9"},  // plain equality: any other text is newer
        {"1.0.0.0", "", "1.0.0.0"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(control(std::string("version=") + c.announced));
        EXPECT_EQ(fetchLatestVersion(pageUrl(), c.current), c.want) << c.announced;
    }
}

TEST(UpdateFetch, UnreachablePagesCountAsUpToDate) {
    const std::string urls[] = {"http://127.0.0.1:1/update.htm", "",
                                standinBase() + "/no/such/page.htm"};
    for (const auto& url : urls) EXPECT_EQ(fetchLatestVersion(url, "1.0.0.0"), kNoNewerVersion);
}

TEST(UpdateFetch, LinkAndDirectAddressLeadToTheFile) {
    ASSERT_TRUE(control("version=1.0.0.1"));
    const std::string link = fetchDownloadLink(pageUrl());
    EXPECT_EQ(link, standinBase() + "/down.htm?id=korvel&v=1.0.0.1");
    EXPECT_EQ(resolveDirectLink(link), fileUrl());
}

TEST(UpdateFetch, MissingPiecesGiveEmptyAddresses) {
    EXPECT_EQ(fetchDownloadLink("http://127.0.0.1:1/update.htm"), "");
    EXPECT_EQ(resolveDirectLink(""), "");
    EXPECT_EQ(resolveDirectLink("http://127.0.0.1:1/down.htm"), "");
    // The link with its "&amp;" left in reaches the stand-in's 404 page,
    // which holds no address.
    EXPECT_EQ(resolveDirectLink(standinBase() + "/down.htm?id=korvel&amp;v=1"), "");
    // A page without the markers: nothing, not text from its ninth byte on.
    EXPECT_EQ(resolveDirectLink(pageUrl()), "");
}

}  // namespace

namespace {

// A reply without end never exhausts memory: the pages of the upgrade stop
// at 1 MiB, every other fetch at 16 MiB; either way the fetch fails.
TEST(UpdateFetch, EndlessRepliesAreCutAtTheCap) {
    ASSERT_TRUE(control("version=1.0.0.1&page=endless"));
    EXPECT_EQ(fetchPage(pageUrl()), "");
    EXPECT_EQ(fetchLatestVersion(pageUrl(), "1.0.0.0"), kNoNewerVersion);
    EXPECT_EQ(korvel::io::httpGet(pageUrl()), "");
    ASSERT_TRUE(control("page=normal"));
    const std::string page = fetchPage(pageUrl());
    EXPECT_EQ(parseLatestVersion(page, "1.0.0.0"), "1.0.0.1");
    EXPECT_EQ(parseSignature(page).size(), kSignatureBytes) << "the stand-in signs its file";
}

}  // namespace
