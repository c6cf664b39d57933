#include "query/result_feed.h"

#include <utility>

namespace korvel::query {

bool ResultFeed::add(unsigned generation, std::string_view block, bool* firstWaiting) {
    std::lock_guard lock(mutex_);
    if (generation != live_) return false;
    if (firstWaiting) *firstWaiting = waiting_.empty();
    waiting_ += block;
    return true;
}

std::string ResultFeed::take(unsigned generation) {
    std::lock_guard lock(mutex_);
    if (generation != live_) return {};
    return std::exchange(waiting_, {});
}

std::string ResultFeed::switchTo(unsigned generation) {
    std::lock_guard lock(mutex_);
    live_ = generation;
    return std::exchange(waiting_, {});
}

}  // namespace korvel::query
