#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "query/ui_thread_call_win.h"

using namespace korvel::query;
using Clock = std::chrono::steady_clock;

namespace {

bool pumpUntil(const std::function<bool()>& done) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (Clock::now() > deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return true;
}

TEST(UiThreadCall, WorkFromAWorkerRunsOnTheUiThreadInOrder) {
    auto ui = makeUiThreadCall();
    ASSERT_NE(ui, nullptr);
    const DWORD uiThread = GetCurrentThreadId();
    std::vector<int> order;
    bool allOnUi = true;
    std::thread([&] {
        for (int i = 0; i < 200; ++i) {
            ui->post(
                [&, i] {
                    allOnUi = allOnUi && GetCurrentThreadId() == uiThread;
                    order.push_back(i);
                },
                0);
        }
    }).join();
    ASSERT_TRUE(pumpUntil([&] { return order.size() == 200; }));
    EXPECT_TRUE(allOnUi);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(order[static_cast<size_t>(i)], i);
    ui->close();
}

TEST(UiThreadCall, PostedWorkRunsLaterOnTheUiThreadAndHonoursTheDelay) {
    auto ui = makeUiThreadCall();
    ASSERT_NE(ui, nullptr);
    const DWORD uiThread = GetCurrentThreadId();
    std::atomic<int> now{0}, later{0};
    Clock::time_point laterAt;
    const auto start = Clock::now();
    std::thread([&] {
        ui->post([&] { now = GetCurrentThreadId() == uiThread ? 1 : -1; }, 0);
    }).join();
    ui->post(
        [&] {
            laterAt = Clock::now();
            later = 1;
        },
        150);
    EXPECT_EQ(now.load(), 0);  // nothing runs before the UI thread pumps
    ASSERT_TRUE(pumpUntil([&] { return now != 0 && later != 0; }));
    EXPECT_EQ(now.load(), 1);
    EXPECT_GE(laterAt - start, std::chrono::milliseconds(140));
    ui->close();
}

// Work that will never run is let go at once: a worker waiting on what it
// would have done learns so from its destruction.
TEST(UiThreadCall, NothingRunsAfterCloseAndWhatWaitedIsLetGo) {
    auto ui = makeUiThreadCall();
    ASSERT_NE(ui, nullptr);
    struct Note {
        std::atomic<int>& gone;
        ~Note() { ++gone; }
    };
    std::atomic<int> gone{0};
    bool ran = false;
    auto work = [&] { return [&, note = std::make_shared<Note>(gone)] { ran = true; }; };
    ui->post(work(), 0);
    ui->post(work(), 20);
    ui->close();
    EXPECT_EQ(gone.load(), 2);
    std::thread([&] { ui->post(work(), 0); }).join();
    EXPECT_EQ(gone.load(), 3);
    const auto until = Clock::now() + std::chrono::milliseconds(100);
    pumpUntil([&] { return Clock::now() > until; });
    EXPECT_FALSE(ran);
}

}  // namespace
