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
#include <vector>

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

    // Waits, running nothing, until a worker's call is queued.
    bool callWaiting(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return !queue_.empty(); });
    }

    // Runs whatever comes for a while (to see that nothing more happens).
    void pumpFor(std::chrono::milliseconds span) {
        const auto deadline = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < deadline) runOne(deadline);
    }

    void post(std::function<void()> work, unsigned delayMs) override {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        posted_.push_back({std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs),
                           std::move(work)});
        ++postCount_;
        changed_.notify_all();
    }

    // The UI thread takes no more calls; waiting callers return false.
    void close() override {
        std::lock_guard lock(mutex_);
        closed_ = true;
        queue_.clear();
        posted_.clear();
        changed_.notify_all();
    }

    // As the busy UI thread does from inside its work: runs the queued calls.
    void serviceCalls() override {
        std::unique_lock lock(mutex_);
        while (!queue_.empty()) runFront(lock);
    }

    int postCount() {
        std::lock_guard lock(mutex_);
        return postCount_;
    }

  private:
    struct Pending {
        const std::function<void()>* work;
        bool taken = false;
        bool done = false;
    };

    struct Posted {
        std::chrono::steady_clock::time_point due;
        std::function<void()> work;
    };

    // Takes posted work that is due, as a message loop would run a posted
    // message or a timer. Calls come first, as sent messages do.
    bool runPosted(std::unique_lock<std::mutex>& lock) {
        const auto now = std::chrono::steady_clock::now();
        for (auto it = posted_.begin(); it != posted_.end(); ++it) {
            if (it->due > now) continue;
            auto work = std::move(it->work);
            posted_.erase(it);
            lock.unlock();
            work();
            lock.lock();
            return true;
        }
        return false;
    }

    // Runs one queued call or due posted work, waiting a few milliseconds at
    // most, so the caller re-checks conditions that change without a call.
    void runOne(std::chrono::steady_clock::time_point deadline) {
        const auto until = std::min(deadline, std::chrono::steady_clock::now() + kSlice);
        std::unique_lock lock(mutex_);
        if (!changed_.wait_until(lock, until, [&] { return !queue_.empty(); })) {
            runPosted(lock);
            return;
        }
        runFront(lock);
    }

    // Runs the first queued call with the lock released, then wakes its caller.
    void runFront(std::unique_lock<std::mutex>& lock) {
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
    std::vector<Posted> posted_;
    int postCount_ = 0;
    bool closed_ = false;
};

}  // namespace korvel::query::testing
