#include "io/stop_signal.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

TEST(StopSignal, AbortRunsOnceAndOnlyWhileArmed) {
    korvel::io::StopSignal signal;
    int aborts = 0;
    EXPECT_TRUE(signal.arm([&] { ++aborts; }));
    EXPECT_FALSE(signal.disarm());  // not stopped meanwhile
    EXPECT_TRUE(signal.arm([&] { ++aborts; }));
    signal.stop();
    signal.stop();
    EXPECT_EQ(aborts, 1);
    EXPECT_TRUE(signal.stopped());
    EXPECT_TRUE(signal.disarm());
    EXPECT_FALSE(signal.disarm());
    EXPECT_FALSE(signal.arm([&] { ++aborts; }));  // too late: give up at once
    EXPECT_EQ(aborts, 1);
}

TEST(StopSignal, StopFromAnotherThreadWakesABlockedCall) {
    korvel::io::StopSignal signal;
    std::mutex mutex;
    std::condition_variable cv;
    bool armed = false, woken = false, aborted = false;
    std::thread blocked([&] {
        std::unique_lock lock(mutex);
        armed = signal.arm([&] {
            std::lock_guard inner(mutex);
            woken = true;
            cv.notify_all();
        });
        cv.notify_all();
        cv.wait(lock, [&] { return woken || !armed; });
        lock.unlock();
        aborted = signal.disarm();
    });
    {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return armed; });
    }
    signal.stop();
    blocked.join();
    EXPECT_TRUE(woken);
    EXPECT_TRUE(aborted);
}

}  // namespace
