// stand-in: tools/update_standin.py KORVEL_UPDATE_PORT
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "io/file_io_win.h"
#include "standin_client.h"
#include "upgrade/download_engine_win.h"
#include "upgrade/download_progress.h"

using namespace korvel::upgrade;
using namespace korvel::upgrade::testing;

namespace {

struct Notice {
    int kind, task, value, reserved, sameTask;
};

// Collects the engine's notifications, which arrive on its thread.
class Recorder {
  public:
    DownloadCallback callback() {
        return [this](int kind, int task, int value, int reserved, int sameTask) {
            std::lock_guard lock(mutex_);
            notices_.push_back({kind, task, value, reserved, sameTask});
            changed_.notify_all();
        };
    }
    bool waitForEnd(int seconds = 60) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(seconds), [&] {
            for (const auto& n : notices_)
                if (n.kind == kNotifyEnded) return true;
            return false;
        });
    }
    std::vector<Notice> notices() {
        std::lock_guard lock(mutex_);
        return notices_;
    }
    int count(int kind) {
        int n = 0;
        for (const auto& notice : notices()) n += notice.kind == kind;
        return n;
    }
    // The single notice of a kind; a second one fails the test.
    Notice only(int kind) {
        Notice found{0, 0, -99, 0, 0};
        int count = 0;
        for (const auto& n : notices())
            if (n.kind == kind) found = n, ++count;
        EXPECT_EQ(count, 1) << "notices of kind " << kind;
        return found;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Notice> notices_;
};

class DownloadEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(standinPort(), 0) << "run through tools/with_standin.py";
        ASSERT_TRUE(control("fault=none&rate=0&reset_stats=1"));
    }

    DownloadTask task(int connections) {
        DownloadTask t;
        t.url = fileUrl();
        t.filePath = target_;
        t.connectionCount = connections;
        t.callback = recorder_.callback();
        return t;
    }

    int statsField(const char* name) {
        const std::string stats = plainGet(standinBase() + "/stats");
        const std::string key = std::string("\"") + name + "\": ";
        const size_t at = stats.find(key);
        return at == std::string::npos ? -1 : std::atoi(stats.c_str() + at + key.size());
    }

    std::string downloaded() { return korvel::io::readWholeFile(target_).value_or("<missing>"); }

    ScratchFolder folder_;
    std::string target_ = folder_.file("korvel.exe1.exe");
    Recorder recorder_;
    DownloadEngine engine_;
};

TEST_F(DownloadEngineTest, WholeFileByteExact) {
    struct Case {
        const char* setup;
        size_t size;
        int connections, fileRequests;  // -1: more than one
    } cases[] = {
        {"", 300007, 1, 1},
        {"rate=2000000", 4000037, 25, -1},
        {"fault=ignore-ranges", 300007, 25, 1},
        {"", 1000, 25, 1},  // under 4096 bytes: one connection
        {"", 4096, 25, 1},
        {"", 524288, 25, 1},  // the probe's first chunk is the whole file
        {"", 524289, 25, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.setup) + " size " + std::to_string(c.size));
        DeleteFileW(korvel::text::toWide(target_).c_str());  // the target is made new
        Recorder recorder;
        ASSERT_TRUE(control("fault=none&rate=0&reset_stats=1&size=" + std::to_string(c.size)));
        if (*c.setup) {
            ASSERT_TRUE(control(c.setup));
        }
        DownloadTask t = task(c.connections);
        t.callback = recorder.callback();
        ASSERT_TRUE(engine_.Start(t));
        const int handle = engine_.CurrentTask();
        EXPECT_GT(handle, 0);
        ASSERT_TRUE(recorder.waitForEnd());
        const Notice started = recorder.only(kNotifyStarted);
        const Notice ended = recorder.only(kNotifyEnded);
        EXPECT_EQ(started.value, static_cast<int>(c.size));
        EXPECT_EQ(ended.value, static_cast<int>(c.size));
        for (const Notice& n : {started, ended}) {
            EXPECT_EQ(n.task, handle);
            EXPECT_EQ(n.sameTask, handle);
            EXPECT_EQ(n.reserved, 0);
        }
        EXPECT_EQ(engine_.BytesReceived(), static_cast<int64_t>(c.size));
        EXPECT_TRUE(downloaded() == generatedFile(c.size)) << "content differs";
        EXPECT_EQ(recorder.only(kNotifyComplete).value, static_cast<int>(c.size));
        EXPECT_TRUE(downloadSucceeded(ended.value, started.value, true, downloaded().substr(0, 2)));
        if (c.fileRequests > 0) {
            EXPECT_EQ(statsField("file_requests"), c.fileRequests);
        } else {
            EXPECT_GT(statsField("max_parallel"), 1);
        }
        EXPECT_TRUE(engine_.Stop());
    }
}

TEST_F(DownloadEngineTest, DropMidTransferReportsFewerBytes) {
    for (int connections : {1, 25}) {
        SCOPED_TRACE(connections);
        Recorder recorder;
        ASSERT_TRUE(control("size=300000&fault=drop&drop_at=100000"));
        DownloadTask t = task(connections);
        t.callback = recorder.callback();
        ASSERT_TRUE(engine_.Start(t));
        ASSERT_TRUE(recorder.waitForEnd());
        const Notice started = recorder.only(kNotifyStarted);
        const Notice ended = recorder.only(kNotifyEnded);
        EXPECT_EQ(started.value, 300000);
        EXPECT_EQ(ended.value, 100000);
        // What did arrive is right, and the verdict is failure.
        EXPECT_EQ(downloaded().substr(0, 100000), generatedFile(100000));
        EXPECT_EQ(recorder.count(kNotifyComplete), 0);
        DeleteFileW(korvel::text::toWide(target_).c_str());
    }
}

// Without a length only the end of the response tells whether all came: a
// reset does not look like an end; a close does (the signature check catches
// that cut), and so does a chunked body that breaks off where the platform
// does not report it (Wine 8 does not).
TEST_F(DownloadEngineTest, UnknownSizeIsCompleteOnlyAtACleanEnd) {
    constexpr int kPlatform = -1;
    struct Case {
        const char* fault;
        int cutAt;
        int complete;  // 1, 0, or kPlatform
    } cases[] = {
        {"nolength", 0, 1},
        {"cut-close", 160001, 1},
        {"cut-reset", 50000, 0},
        {"cut-reset", 198001, 0},
        {"cut-chunked", 50000, kPlatform},
        {"cut-chunked", 198001, kPlatform},
    };
    for (const auto& c : cases) {
        for (int connections : {1, 25}) {
            SCOPED_TRACE(std::string(c.fault) + " at " + std::to_string(c.cutAt) + ", " +
                         std::to_string(connections) + " connections");
            DeleteFileW(korvel::text::toWide(target_).c_str());
            Recorder recorder;
            ASSERT_TRUE(control(std::string("size=200002&fault=") + c.fault +
                                "&drop_at=" + std::to_string(c.cutAt)));
            DownloadTask t = task(connections);
            t.callback = recorder.callback();
            ASSERT_TRUE(engine_.Start(t));
            ASSERT_TRUE(recorder.waitForEnd());
            EXPECT_EQ(recorder.only(kNotifyStarted).value, 0) << "no size known";
            if (c.complete != kPlatform) {
                EXPECT_EQ(recorder.count(kNotifyComplete), c.complete);
            }
            const int got = recorder.only(kNotifyEnded).value;
            if (c.complete != 0) {
                EXPECT_EQ(got, c.cutAt ? c.cutAt : 200002);
            }
            EXPECT_TRUE(downloaded() == generatedFile(200002).substr(0, got));
        }
    }
}

// The target is created new: a file of that name, taken by another copy of
// the program since the name was chosen, is neither overwritten nor reused.
TEST_F(DownloadEngineTest, ExistingTargetFailsTheStartAndStaysAsItWas) {
    ASSERT_TRUE(korvel::io::writeWholeFile(target_, "MZ another copy's download"));
    ASSERT_TRUE(control("size=5000"));
    ASSERT_TRUE(engine_.Start(task(25)));
    ASSERT_TRUE(recorder_.waitForEnd());
    EXPECT_EQ(recorder_.only(kNotifyStarted).value, -1);
    EXPECT_EQ(recorder_.count(kNotifyComplete), 0);
    EXPECT_EQ(downloaded(), "MZ another copy's download");
}

TEST_F(DownloadEngineTest, EmptyMissingAndUnreachableFiles) {
    struct Case {
        const char* setup;
        std::string url;
        int started;
        bool fileMade;
    } cases[] = {
        {"size=0", fileUrl(), 0, true},
        {"size=1000&fault=missing", fileUrl(), -1, false},
        {"size=1000", standinBase() + "/no/such/file", -1, false},
        {"size=1000", "http://127.0.0.1:1/korvel.exe", -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url + " " + c.setup);
        DeleteFileW(korvel::text::toWide(target_).c_str());
        Recorder recorder;
        ASSERT_TRUE(control(std::string("fault=none&") + c.setup));
        DownloadTask t = task(25);
        t.url = c.url;
        t.callback = recorder.callback();
        ASSERT_TRUE(engine_.Start(t));
        ASSERT_TRUE(recorder.waitForEnd());
        EXPECT_EQ(recorder.only(kNotifyStarted).value, c.started);
        EXPECT_EQ(recorder.only(kNotifyEnded).value, 0);
        EXPECT_EQ(korvel::io::fileExists(target_), c.fileMade);
        if (c.fileMade) {
            EXPECT_EQ(downloaded(), "");
        }
        EXPECT_FALSE(downloadSucceeded(0, c.started, true, downloaded()));
    }
}

TEST_F(DownloadEngineTest, StartRefusesWhatItCannotFetch) {
    const char* urls[] = {"", "not a url", "ftp://127.0.0.1/korvel.exe", "file:///C:/a.exe",
                          "http://"};
    for (const char* url : urls) {
        DownloadTask t = task(25);
        t.url = url;
        EXPECT_FALSE(engine_.Start(t)) << url;
    }
    DownloadTask upload = task(25);
    upload.flags = kTransferUpload;
    EXPECT_FALSE(engine_.Start(upload));
    DownloadTask noFile = task(25);
    noFile.filePath.clear();
    EXPECT_FALSE(engine_.Start(noFile));
    EXPECT_EQ(engine_.CurrentTask(), kNoTask);
    EXPECT_EQ(engine_.BytesReceived(), 0);
    // Stop waits for the engine's current transfer: a notice of one started
    // by mistake is in by now.
    EXPECT_TRUE(engine_.Stop());
    EXPECT_TRUE(recorder_.notices().empty());
}

// Polls until the count passes floor (30 s at most, against a hang).
int64_t waitForBytesAbove(const DownloadEngine& engine, int64_t floor) {
    for (int i = 0; i < 1500 && engine.BytesReceived() <= floor; ++i) Sleep(20);
    return engine.BytesReceived();
}

TEST_F(DownloadEngineTest, StopMidTransferWithinBudget) {
    // 2 MB at 200 kB/s over one connection: some 10 s if not stopped.
    ASSERT_TRUE(control("size=2000000&rate=200000"));
    ASSERT_TRUE(engine_.Start(task(1)));
    const int handle = engine_.CurrentTask();
    const int64_t first = waitForBytesAbove(engine_, 0);
    EXPECT_GT(first, 0);
    const int64_t later = waitForBytesAbove(engine_, first);
    EXPECT_GT(later, first);  // the count grows while the transfer runs

    // The thread ended within the stop's budget, before the file's end
    // (how long a stop takes is a figure of make bench).
    EXPECT_TRUE(engine_.Stop());
    EXPECT_EQ(engine_.CurrentTask(), kNoTask);
    EXPECT_EQ(engine_.BytesReceived(), 0);
    ASSERT_TRUE(recorder_.waitForEnd(5));
    const Notice ended = recorder_.only(kNotifyEnded);
    EXPECT_EQ(ended.task, handle);
    EXPECT_GE(ended.value, later);
    EXPECT_LT(ended.value, 2000000);
    EXPECT_EQ(recorder_.count(kNotifyComplete), 0) << "a stopped transfer is no whole file";
    EXPECT_TRUE(engine_.Stop());  // nothing left to stop
}

// A server that falls silent with the connection open: a read blocks until
// the receive time-out, far beyond the stop budget. Stop gives up on the
// thread (false: it has not ended), and the engine's end never hears from
// it (no notice after the start).
TEST_F(DownloadEngineTest, SilentServerNeitherHoldsStopNorExit) {
    // Silent after its first kilobyte, well inside the first request's part,
    // so no second request is opened. Once every byte before the silence is
    // in, the next read is the one that blocks.
    ASSERT_TRUE(control("size=300000&fault=stall&drop_at=1000"));
    ASSERT_TRUE(engine_.Start(task(1)));
    ASSERT_EQ(waitForBytesAbove(engine_, 999), 1000);
    EXPECT_FALSE(engine_.Stop());
    EXPECT_EQ(engine_.CurrentTask(), kNoTask);

    Recorder late;
    auto engine = std::make_unique<DownloadEngine>();
    DownloadTask t = task(1);
    t.filePath = folder_.file("second.exe");
    t.callback = late.callback();
    ASSERT_TRUE(engine->Start(t));
    ASSERT_EQ(waitForBytesAbove(*engine, 999), 1000);
    engine.reset();
    const size_t seen = late.notices().size();
    EXPECT_EQ(seen, 1u);  // the start only
    ASSERT_TRUE(control("fault=none"));
}

TEST_F(DownloadEngineTest, NewStartReplacesTheRunningTransfer) {
    ASSERT_TRUE(control("size=2000000&rate=200000"));
    Recorder second;
    ASSERT_TRUE(engine_.Start(task(1)));
    const int firstHandle = engine_.CurrentTask();
    waitForBytesAbove(engine_, 0);
    ASSERT_TRUE(control("rate=0&size=5000"));
    DownloadTask t = task(4);
    t.filePath = folder_.file("second.exe");
    t.callback = second.callback();
    ASSERT_TRUE(engine_.Start(t));
    const int secondHandle = engine_.CurrentTask();
    EXPECT_NE(secondHandle, firstHandle);
    ASSERT_TRUE(recorder_.waitForEnd(5));  // the first one was stopped
    ASSERT_TRUE(second.waitForEnd());
    EXPECT_EQ(second.only(kNotifyEnded).sameTask, secondHandle);
    EXPECT_EQ(second.only(kNotifyEnded).value, 5000);
    EXPECT_EQ(engine_.CurrentTask(), secondHandle);  // ended but still current
    EXPECT_EQ(engine_.BytesReceived(), 5000);
}

}  // namespace
