// What the live batch run has for the window, on its way there: the progress
// text of each number taken up, for the status label, and each number's
// finished block, for the result box. The worker adds them as they come; the
// UI thread shows what is waiting. Each block keeps its company and number
// and its outcome, which the watcher hears once the block is in the box. A
// progress text waits for the blocks queued before it, so the label never
// names a number while earlier numbers' blocks are still on their way.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "tracking/parcel_state.h"

namespace korvel::query {

// One number's whole block, the company and number it was asked for and how
// the number came out.
struct FinishedBlock {
    std::string company, number;
    std::string text;
    tracking::ParcelOutcome outcome;

    bool operator==(const FinishedBlock&) const = default;
};

class ResultFeed {
  public:
    // Worker: queues a block of run `generation`. False, and nothing queued,
    // when that run is no longer the live one.
    bool add(unsigned generation, FinishedBlock block);

    // Worker: queues a progress text of run `generation`; false, and nothing
    // queued, when that run is no longer the live one.
    bool addStatus(unsigned generation, std::string text);
    // UI thread: the progress texts of run `generation`, in order, whose
    // earlier blocks have all been taken; the later ones keep waiting.
    std::vector<std::string> takeStatuses(unsigned generation);

    // UI thread: every block waiting for run `generation`, in order; nothing
    // for another run.
    std::vector<FinishedBlock> take(unsigned generation);
    // UI thread: the oldest waiting blocks of run `generation`, whole, up to
    // about `budget` bytes of text (at least one block); `left` gets the bytes
    // still waiting after them.
    std::vector<FinishedBlock> take(unsigned generation, size_t budget, size_t* left);

    // UI thread: makes `generation` the live run and returns the blocks still
    // waiting for the previous one; its progress texts are dropped.
    std::vector<FinishedBlock> switchTo(unsigned generation);

  private:
    struct Status {
        size_t blocksBefore;  // blocks of the run queued before the text
        std::string text;
    };

    std::mutex mutex_;
    unsigned live_ = 0;
    std::vector<FinishedBlock> waiting_;
    size_t waitingBytes_ = 0;
    size_t blocksAdded_ = 0, blocksTaken_ = 0;  // of the live run
    std::vector<Status> statuses_;
};

// The blocks' texts run together, as they go into the box.
std::string joinedText(const std::vector<FinishedBlock>& blocks);

}  // namespace korvel::query
