#include "upgrade/download_progress.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace korvel::upgrade;

namespace {

TEST(ProgressDisplay, StatusTextAndBar) {
    struct Case {
        int64_t received, total;
        std::string text;
        double bar;
    } cases[] = {
        {512, 2048, "512 B\\ 2048 B", 25.0},
        {20480, 1048576, "20480 B\\ 1048576 B", 1.953125},
        {0, 2048, "0 B\\ 2048 B", 0.0},
        {2048, 2048, "2048 B\\ 2048 B", 100.0},
        {1, 3, "1 B\\ 3 B", 100.0 / 3.0},
        {0, 0, "0 B\\ 0 B", 0.0},  // size unknown or empty: no division
        {4096, 0, "4096 B\\ 0 B", 0.0},
        {10, -1, "10 B\\ -1 B", 0.0},
        {3000, 2048, "3000 B\\ 2048 B", 100.0},  // never beyond the bar's end
        {3000000000LL, 4000000000LL, "3000000000 B\\ 4000000000 B", 75.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(progressStatusText(c.received, c.total), c.text);
        const double bar = progressBarPosition(c.received, c.total);
        EXPECT_TRUE(std::isfinite(bar));
        EXPECT_DOUBLE_EQ(bar, c.bar) << c.text;
    }
}

TEST(DownloadVerdict, OnlyACompleteProgramMaySwitchOver) {
    struct Case {
        int64_t received, announced;
        bool clean;
        std::string head;
        bool ok;
    } cases[] = {
        {4096, 4096, true, "MZ\x90", true},
        {5000, 0, true, "MZ", true},  // no size announced: the signature decides
        // No size, and the transfer broke off (reset, a cut chunked body, a
        // stop): the "MZ" of a cut-off program is no reason to trust it.
        {5000, 0, false, "MZ", false},
        {4096, 4096, false, "MZ", false},
        {4095, 4096, true, "MZ", false},  // fewer bytes than announced
        {0, 4096, true, "", false},
        {4096, 4096, true, "PK", false},      // not a Windows program
        {4096, 4096, true, "<html>", false},  // an error page saved as the file
        {0, 0, true, "", false},              // empty file
        {4096, 4096, true, "M", false},
        {4096, -1, true, "MZ", false},  // failed at its start
    };
    for (const auto& c : cases) {
        EXPECT_EQ(downloadSucceeded(c.received, c.announced, c.clean, c.head), c.ok)
            << c.received << "/" << c.announced << " " << c.clean << " " << c.head;
    }
}

}  // namespace
