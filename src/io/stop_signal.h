// Lets the UI thread stop a worker at once, including a blocking call the
// worker is in: the call arms an abort action (say, closing its request
// handles), and stop() runs it from the stopping thread.
#pragma once

#include <functional>
#include <mutex>

namespace korvel::io {

class StopSignal {
  public:
    StopSignal() = default;
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    // Sets the flag and runs the armed abort, if any, once.
    void stop();
    bool stopped() const;

    // Arms abort for the blocking part of a call. False (nothing armed) when
    // the signal is already stopped: the caller gives up at once.
    bool arm(std::function<void()> abort);
    // Ends the armed part. True when stop() ran the abort meanwhile, so what
    // the abort released must not be released again.
    bool disarm();

  private:
    mutable std::mutex mutex_;
    bool stopped_ = false;
    bool aborted_ = false;
    std::function<void()> abort_;
};

}  // namespace korvel::io
