// Where a parcel stands, read from its route history: the newest entry's
// context sorts it into one of a few states, as tracking sites show them.
// Texts are GBK; keywords are only matched on character boundaries.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvel::tracking {

enum class ParcelState : std::uint8_t {
    InTransit,
    OutForDelivery,
    Delivered,
    Problem,
    WrongNumber
};
inline constexpr int kParcelStateCount = 5;

// "运输中", "派件中", "已签收", "疑难", "单号错误".
std::string_view parcelStateName(ParcelState state);

// The state one route context tells. Problems are checked first, then
// delivery, then out for delivery; anything else is in transit.
ParcelState classifyContext(std::string_view context);

struct ParcelOutcome {
    ParcelState state = ParcelState::WrongNumber;
    std::string time;     // of the newest entry; empty for a wrong number
    std::string context;  // likewise

    bool operator==(const ParcelOutcome&) const = default;
};

// Fed with a number's route entries in reply order. The service lists them
// newest or oldest first, so the newest is the one with the greatest time
// text; among equal times the list's own order decides.
class ParcelOutcomeBuilder {
  public:
    void add(std::string_view time, std::string_view context);
    // No entry at all: the number got the 单号错误 block.
    ParcelOutcome finish() const;

  private:
    struct Entry {
        std::string time, context;
    };
    int count_ = 0;
    std::string firstTime_, lastTime_;
    Entry firstGreatest_, lastGreatest_;
};

}  // namespace korvel::tracking
