// A stand-in for the UI thread of the batch run: workers queue their calls
// and the test's own thread runs them when it pumps, as a window's message
// loop would, so the test thread plays the UI thread and never blocks on a
// worker.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "query/query_run.h"

namespace korvel::query::testing {

class FakeUiThread : public UiThreadCall {
  public:
    bool call(const std::function<void()>& work) override {
        Pending pending{&work};
        std::unique_lock lock(mutex_);
        if (closed_) return false;
        queue_.push_back(&pending);
        changed_.notify_all();
        // Once the UI thread has taken the call it runs to the end, so the
        // caller's work stays alive until then even if the fake is closed.
        changed_.wait(lock, [&] { return pending.done || (closed_ && !pending.taken); });
        return pending.done;
    }

    // Runs queued calls until done() holds; false on time-out.
    bool pumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            runOne(deadline);
        }
        return true;
    }

    // Runs whatever comes for a while (to see that nothing more happens).
    void pumpFor(std::chrono::milliseconds span) {
        const auto deadline = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < deadline) runOne(deadline);
    }

    // The UI thread takes no more calls; waiting callers return false.
    void close() override {
        std::lock_guard lock(mutex_);
        closed_ = true;
        queue_.clear();
        changed_.notify_all();
    }

  private:
    struct Pending {
        const std::function<void()>* work;
        bool taken = false;
        bool done = false;
    };

    // Runs one queued call, waiting a few milliseconds at most for one, so
    // the caller re-checks conditions that change without a call.
    void runOne(std::chrono::steady_clock::time_point deadline) {
        const auto until = std::min(deadline, std::chrono::steady_clock::now() + kSlice);
        std::unique_lock lock(mutex_);
        if (!changed_.wait_until(lock, until, [&] { return !queue_.empty(); })) return;
        Pending* pending = queue_.front();
        queue_.pop_front();
        pending->taken = true;
        lock.unlock();
        (*pending->work)();
        lock.lock();
        pending->done = true;
        changed_.notify_all();
    }

    static constexpr std::chrono::milliseconds kSlice{5};

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Pending*> queue_;
    bool closed_ = false;
};

}  // namespace korvel::query::testing
