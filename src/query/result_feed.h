// Finished blocks of the live batch run on their way to the result box. The
// worker adds each number's block as soon as it is cut; the UI thread moves
// whatever is waiting into the box in one append. Appending to a multi-line
// EDIT costs in proportion to the text it already holds on some platforms
// (Wine walks its whole line table several times per append), so a long run
// must not pay that once per number.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace korvel::query {

class ResultFeed {
  public:
    // Worker: queues a block of run `generation`. False, and nothing queued,
    // when that run is no longer the live one. `firstWaiting` tells whether
    // nothing was waiting before, so the caller asks for a flush.
    bool add(unsigned generation, std::string_view block, bool* firstWaiting);

    // UI thread: everything waiting for run `generation`; empty for another run.
    std::string take(unsigned generation);

    // UI thread: makes `generation` the live run and returns what was still
    // waiting for the previous one.
    std::string switchTo(unsigned generation);

  private:
    std::mutex mutex_;
    unsigned live_ = 0;
    std::string waiting_;
};

}  // namespace korvel::query
