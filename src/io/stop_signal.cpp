#include "io/stop_signal.h"

#include <utility>

namespace korvel::io {

void StopSignal::stop() {
    // The abort runs under the lock, so disarm() cannot return while it is
    // still releasing what the worker holds.
    std::lock_guard lock(mutex_);
    if (stopped_) return;
    stopped_ = true;
    if (abort_) {
        auto abort = std::exchange(abort_, nullptr);
        aborted_ = true;
        abort();
    }
}

bool StopSignal::stopped() const {
    std::lock_guard lock(mutex_);
    return stopped_;
}

bool StopSignal::arm(std::function<void()> abort) {
    std::lock_guard lock(mutex_);
    if (stopped_) return false;
    abort_ = std::move(abort);
    aborted_ = false;
    return true;
}

bool StopSignal::disarm() {
    std::lock_guard lock(mutex_);
    abort_ = nullptr;
    return std::exchange(aborted_, false);
}

}  // namespace korvel::io
