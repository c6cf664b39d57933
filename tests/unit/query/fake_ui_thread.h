// A stand-in for the UI thread of the batch run: workers post their work and
// the test's own thread runs it when it pumps, as a window's message loop
// would, so the test thread plays the UI thread and never blocks on a worker.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "query/query_run.h"

namespace korvel::query::testing {

class FakeUiThread : public UiThreadCall {
  public:
    // Runs posted work until done() holds; false on time-out.
    bool pumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            runOne(deadline);
        }
        return true;
    }

    // Runs every piece of work queued, delayed or not, and what it queues
    // in turn, until none is left. Once no worker is running, nothing else
    // can come: what the window shows then is final.
    void runEverything() {
        for (;;) {
            std::function<void()> work;
            {
                std::lock_guard lock(mutex_);
                if (posted_.empty()) return;
                auto first = std::min_element(
                    posted_.begin(), posted_.end(),
                    [](const Posted& a, const Posted& b) { return a.due < b.due; });
                work = std::move(first->work);
                posted_.erase(first);
            }
            work();
        }
    }

    void post(std::function<void()> work, unsigned delayMs) override {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        posted_.push_back({std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs),
                           std::move(work)});
        changed_.notify_all();
    }

    // The UI thread runs no more work.
    void close() override {
        std::vector<Posted> dropped;  // destroyed outside the lock, as work it holds may lock
        std::lock_guard lock(mutex_);
        closed_ = true;
        dropped.swap(posted_);
    }

  private:
    struct Posted {
        std::chrono::steady_clock::time_point due;
        std::function<void()> work;
    };

    // Runs the first posted work that is due, as a message loop would run a
    // posted message or a timer, waiting a few milliseconds at most for one,
    // so the caller re-checks conditions that change without any work.
    void runOne(std::chrono::steady_clock::time_point deadline) {
        const auto until = std::min(deadline, std::chrono::steady_clock::now() + kSlice);
        std::unique_lock lock(mutex_);
        for (;;) {
            const auto now = std::chrono::steady_clock::now();
            for (auto it = posted_.begin(); it != posted_.end(); ++it) {
                if (it->due > now) continue;
                auto work = std::move(it->work);
                posted_.erase(it);
                lock.unlock();
                work();
                return;
            }
            if (now >= until) return;
            changed_.wait_until(lock, until);
        }
    }

    static constexpr std::chrono::milliseconds kSlice{5};

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Posted> posted_;
    bool closed_ = false;
};

}  // namespace korvel::query::testing
