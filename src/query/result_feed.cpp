#include "query/result_feed.h"

#include <iterator>
#include <utility>

namespace korvel::query {

bool ResultFeed::add(unsigned generation, FinishedBlock block) {
    std::lock_guard lock(mutex_);
    if (generation != live_) return false;
    waitingBytes_ += block.text.size();
    waiting_.push_back(std::move(block));
    ++blocksAdded_;
    return true;
}

bool ResultFeed::addStatus(unsigned generation, std::string text) {
    std::lock_guard lock(mutex_);
    if (generation != live_) return false;
    statuses_.push_back({blocksAdded_, std::move(text)});
    return true;
}

std::vector<std::string> ResultFeed::takeStatuses(unsigned generation) {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    if (generation != live_) return out;
    size_t ready = 0;
    while (ready < statuses_.size() && statuses_[ready].blocksBefore <= blocksTaken_)
        out.push_back(std::move(statuses_[ready++].text));
    statuses_.erase(statuses_.begin(), statuses_.begin() + static_cast<long>(ready));
    return out;
}

std::vector<FinishedBlock> ResultFeed::take(unsigned generation) {
    std::lock_guard lock(mutex_);
    if (generation != live_) return {};
    waitingBytes_ = 0;
    blocksTaken_ += waiting_.size();
    return std::exchange(waiting_, {});
}

std::vector<FinishedBlock> ResultFeed::take(unsigned generation, size_t budget, size_t* left) {
    std::lock_guard lock(mutex_);
    std::vector<FinishedBlock> out;
    if (generation == live_) {
        size_t taken = 0, bytes = 0;
        while (taken < waiting_.size() && (taken == 0 || bytes < budget))
            bytes += waiting_[taken++].text.size();
        if (taken == waiting_.size()) {
            out = std::exchange(waiting_, {});
        } else {
            out.assign(std::make_move_iterator(waiting_.begin()),
                       std::make_move_iterator(waiting_.begin() + static_cast<long>(taken)));
            waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<long>(taken));
        }
        waitingBytes_ -= bytes;
        blocksTaken_ += taken;
    }
    if (left) *left = generation == live_ ? waitingBytes_ : 0;
    return out;
}

std::vector<FinishedBlock> ResultFeed::switchTo(unsigned generation) {
    std::lock_guard lock(mutex_);
    live_ = generation;
    waitingBytes_ = 0;
    blocksAdded_ = blocksTaken_ = 0;
    statuses_.clear();
    return std::exchange(waiting_, {});
}

std::string joinedText(const std::vector<FinishedBlock>& blocks) {
    size_t size = 0;
    for (const auto& block : blocks) size += block.text.size();
    std::string text;
    text.reserve(size);
    for (const auto& block : blocks) text += block.text;
    return text;
}

}  // namespace korvel::query
