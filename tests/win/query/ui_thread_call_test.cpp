#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
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

TEST(UiThreadCall, WorkerCallsRunOnTheUiThreadInOrder) {
    auto ui = makeUiThreadCall();
    ASSERT_NE(ui, nullptr);
    const DWORD uiThread = GetCurrentThreadId();
    std::vector<int> order;
    std::atomic<bool> done{false};
    bool allOnUi = true;
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i) {
            EXPECT_TRUE(ui->call([&, i] {
                allOnUi = allOnUi && GetCurrentThreadId() == uiThread;
                order.push_back(i);
            }));
        }
        done = true;
    });
    ASSERT_TRUE(pumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_TRUE(allOnUi);
    ASSERT_EQ(order.size(), 20u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(order[static_cast<size_t>(i)], i);
    // From the UI thread itself a call runs at once.
    bool ran = false;
    EXPECT_TRUE(ui->call([&] { ran = true; }));
    EXPECT_TRUE(ran);
    ui->close();
}

TEST(UiThreadCall, CallsWhileTheUiThreadIsBusyRunWhereItServicesThem) {
    auto ui = makeUiThreadCall();
    ASSERT_NE(ui, nullptr);
    const DWORD uiThread = GetCurrentThreadId();
    std::vector<int> order;
    std::atomic<int> returned{0};
    // Busy and not pumping messages: a call sent as a message could not run.
    ui->beginBusy();
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(ui->call([&, i] {
                EXPECT_EQ(GetCurrentThreadId(), uiThread);
                order.push_back(i);
            }));
            ++returned;
        }
    });
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (returned < 2 && Clock::now() < deadline) ui->serviceCalls();
    EXPECT_GE(returned.load(), 2);
    bool ranHere = false;
    EXPECT_TRUE(ui->call([&] { ranHere = true; }));  // the UI thread's own call runs at once
    EXPECT_TRUE(ranHere);
    // The end of the busy work runs what still waits; later calls are sent.
    ui->endBusy();
    ASSERT_TRUE(pumpUntil([&] { return order.size() == 3; }));
    worker.join();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    // A call still queued when the UI thread closes gets false, and never runs.
    ui->beginBusy();
    std::atomic<bool> answered{false}, result{true}, ran{false};
    std::thread late([&] {
        result = ui->call([&] { ran = true; });
        answered = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ui->close();
    late.join();
    EXPECT_TRUE(answered);
    EXPECT_FALSE(result);
    EXPECT_FALSE(ran);
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

TEST(UiThreadCall, NothingRunsAfterClose) {
    auto ui = makeUiThreadCall();
    ASSERT_NE(ui, nullptr);
    bool ran = false;
    ui->post([&] { ran = true; }, 0);
    ui->post([&] { ran = true; }, 20);
    ui->close();
    ui->post([&] { ran = true; }, 0);
    bool called = true;
    std::thread([&] { called = ui->call([&] { ran = true; }); }).join();
    const auto until = Clock::now() + std::chrono::milliseconds(100);
    pumpUntil([&] { return Clock::now() > until; });
    EXPECT_FALSE(called);
    EXPECT_FALSE(ran);
}

}  // namespace
