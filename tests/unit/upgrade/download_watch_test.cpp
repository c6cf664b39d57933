#include "upgrade/download_watch.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "upgrade/upgrade_texts.h"

using namespace korvel::upgrade;

namespace {

constexpr int kTask = 7;

struct Notice {
    int kind, value, task, current;
    NotifyAction action;
};

TEST(DownloadWatch, NotificationsOfTheCurrentTaskOnly) {
    const Notice notices[] = {
        {kKindStarted, 2048, kTask, kTask, NotifyAction::Started},
        {kKindStarted, 0, kTask, kTask, NotifyAction::Started},  // size unknown or empty
        {kKindStarted, -1, kTask, kTask, NotifyAction::Failed},
        {kKindStarted, 2048, kTask, 8, NotifyAction::None},   // an old transfer
        {kKindStarted, 2048, kTask, -1, NotifyAction::None},  // stopped meanwhile
        {kKindEnded, 2048, kTask, kTask, NotifyAction::None},
        {kKindComplete, 0, kTask, kTask, NotifyAction::None},
        {1, 5, kTask, kTask, NotifyAction::None},
        {5, 5, kTask, kTask, NotifyAction::None},
    };
    for (const Notice& n : notices) {
        DownloadWatch watch;
        EXPECT_EQ(watch.onNotify(n.kind, n.value, n.task, n.current), n.action)
            << n.kind << " " << n.value << " " << n.task << "/" << n.current;
    }
}

TEST(DownloadWatch, IgnoredNotificationsChangeNothing) {
    DownloadWatch watch;
    watch.onNotify(kKindStarted, 4096, kTask, kTask);
    watch.onNotify(kKindStarted, -1, kTask, 9);
    watch.onNotify(kKindComplete, 0, kTask, 9);
    watch.onNotify(kKindEnded, 10, kTask, 9);
    EXPECT_EQ(watch.totalBytes(), 4096);
    EXPECT_FALSE(watch.ended());
    EXPECT_FALSE(watch.tick(100, nullptr, nullptr).ended);
    // The complete mark of another task does not make this one complete.
    watch.onNotify(kKindEnded, 4096, kTask, kTask);
    EXPECT_FALSE(watch
                     .tick(
                         0, [] { return std::string("MZ"); }, [] { return true; })
                     .offerSwitchOver);
}

TEST(DownloadWatch, TicksWhileTheTransferRuns) {
    struct Case {
        int total;
        int64_t received;
        std::string status;
        double bar;
    } cases[] = {
        {2048, 512, "512 B\\ 2048 B", 25},
        {2048, 0, "0 B\\ 2048 B", 0},
        {0, 700, "700 B\\ 0 B", 0},  // no size: the bar stays at the start
        {1048576, 20480, "20480 B\\ 1048576 B", 1.953125},
    };
    for (const Case& c : cases) {
        DownloadWatch watch;
        watch.onNotify(kKindStarted, c.total, kTask, kTask);
        bool headRead = false;
        const ProgressView view = watch.tick(
            c.received,
            [&] {
                headRead = true;
                return std::string("MZ");
            },
            [&] {
                headRead = true;
                return true;
            });
        EXPECT_EQ(view.status, c.status);
        EXPECT_DOUBLE_EQ(view.bar, c.bar) << c.status;
        EXPECT_FALSE(view.ended || view.failed || view.offerSwitchOver) << c.status;
        EXPECT_FALSE(headRead) << "the file is still being written";
    }
}

TEST(DownloadWatch, TheEndIsJudgedBeforeTheSwitchOver) {
    struct Case {
        const char* name;
        int total, endBytes;
        bool complete;
        std::string head;
        bool signedRight;
        bool offer;
        std::string status;
        double bar;
        int verifies;  // the signature is checked only when all else holds
    } cases[] = {
        {"complete program", 2048, 2048, true, "MZ", true, true, kStatusFinished, 100, 1},
        {"no size announced", 0, 5000, true, "MZ", true, true, kStatusFinished, 100, 1},
        {"wrong or no signature", 2048, 2048, true, "MZ", false, false, "2048 B\\ 2048 B", 100, 1},
        {"no size, clean close, cut", 0, 5000, true, "MZ", false, false, "5000 B\\ 0 B", 0, 1},
        {"no size, broke off", 0, 5000, false, "MZ", true, false, "5000 B\\ 0 B", 0, 0},
        {"broke off", 2048, 1024, false, "MZ", true, false, "1024 B\\ 2048 B", 50, 0},
        {"not a program", 2048, 2048, true, "<h", true, false, "2048 B\\ 2048 B", 100, 0},
        {"empty file", 0, 0, true, "", true, false, "0 B\\ 0 B", 0, 0},
        {"stopped at once", 4096, 0, false, "", true, false, "0 B\\ 4096 B", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadWatch watch;
        ASSERT_EQ(watch.onNotify(kKindStarted, c.total, kTask, kTask), NotifyAction::Started);
        if (c.complete) watch.onNotify(kKindComplete, 0, kTask, kTask);
        watch.onNotify(kKindEnded, c.endBytes, kTask, kTask);
        ASSERT_TRUE(watch.ended());
        int reads = 0, verifies = 0;
        // The running count no longer matters once the end has been seen.
        const ProgressView view = watch.tick(
            999999,
            [&] {
                ++reads;
                return c.head;
            },
            [&] {
                ++verifies;
                return c.signedRight;
            });
        EXPECT_LE(reads, 1);
        EXPECT_EQ(verifies, c.verifies);
        EXPECT_TRUE(view.ended);
        EXPECT_EQ(view.offerSwitchOver, c.offer);
        EXPECT_EQ(view.failed, !c.offer);
        EXPECT_EQ(view.removeFile, !c.offer) << "the transfer made the file";
        EXPECT_EQ(view.status, c.status);
        EXPECT_DOUBLE_EQ(view.bar, c.bar);
    }
}

TEST(DownloadWatch, AFailedStartLeavesAFileOfThatNameAlone) {
    // Another copy of the program may have taken the name first.
    DownloadWatch watch;
    ASSERT_EQ(watch.onNotify(kKindStarted, -1, kTask, kTask), NotifyAction::Failed);
    watch.onNotify(kKindEnded, 0, kTask, kTask);
    const ProgressView view = watch.tick(0, nullptr, nullptr);
    EXPECT_TRUE(view.failed);
    EXPECT_FALSE(view.removeFile);
    EXPECT_FALSE(watch.ownsFile());
}

TEST(DownloadWatch, EndSeenFromAnotherThreadCarriesItsCount) {
    // The engine thread writes, the UI thread reads: whenever the tick sees
    // the end it also sees the final count (the sanitizers watch the rest).
    for (int round = 0; round < 50; ++round) {
        DownloadWatch watch;
        watch.onNotify(kKindStarted, 4096, kTask, kTask);
        std::thread engine([&] {
            watch.onNotify(kKindComplete, 0, kTask, kTask);
            watch.onNotify(kKindEnded, 4096, kTask, kTask);
        });
        for (;;) {
            const ProgressView view = watch.tick(
                0, [] { return std::string("MZ"); }, [] { return true; });
            if (view.ended) {
                EXPECT_TRUE(view.offerSwitchOver);
                break;
            }
        }
        engine.join();
    }
}

}  // namespace
