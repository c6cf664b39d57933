// The outcomes the program remembers between runs and between starts: for
// each company and number, how its most recent query came out and when it was
// asked, and when the number was last in a tree. Outcomes belong to the
// parcel, not to a tree item: a number deleted and added again finds its own.
//
// The store's file holds one line per number, each with a checksum of its
// own, so a file cut short or damaged in the middle still gives every whole
// line it holds. Copies of the program running side by side share the file:
// each brings its news in under a lock and takes the others' out (OutcomeSync),
// and for each number the outcome asked last wins.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tracking/parcel_state.h"

namespace korvel::tracking {

// Seconds since 1970-01-01 00:00 UTC.
using Seconds = std::int64_t;

// A number that no tree of any copy has held for this long is forgotten.
inline constexpr Seconds kKeepUnseen = 90 * 24 * 3600;

struct KeptOutcome {
    ParcelOutcome outcome;
    Seconds askedAt = 0;  // when the query that gave it was made
    Seconds seenAt = 0;   // the last time the number was seen in a tree

    bool operator==(const KeptOutcome&) const = default;
};

struct OutcomeRecord {
    std::string company, number;
    KeptOutcome kept;

    bool operator==(const OutcomeRecord&) const = default;
};

class OutcomeStore {
  public:
    // The key of a number: no item text holds a zero byte.
    static std::string keyOf(std::string_view company, std::string_view number);

    const KeptOutcome* find(std::string_view company, std::string_view number) const;

    // Takes a record in: its outcome replaces the one kept when it was asked
    // later, and the later of the two seen times stays. True when anything
    // kept changed.
    bool merge(const OutcomeRecord& record);
    // Every record of another store taken in as merge() takes one.
    bool merge(const OutcomeStore& other);
    // The number is in a tree at `now`; nothing happens for one never asked.
    // True when its seen time moved.
    bool markSeen(std::string_view company, std::string_view number, Seconds now);
    // Forgets the numbers not seen since kKeepUnseen before `now`; true when any went.
    bool dropUnseen(Seconds now);

    size_t size() const { return kept_.size(); }
    bool empty() const { return kept_.empty(); }
    // Every record, ordered by company and number, so the file comes out the
    // same for the same records.
    std::vector<OutcomeRecord> records() const;

  private:
    // Looked up by a key built on the stack: an export looks up every number.
    struct KeyHash {
        using is_transparent = void;
        size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
    };
    template <typename Found>
    auto lookUp(std::string_view company, std::string_view number, Found&& found) const;
    std::unordered_map<std::string, KeptOutcome, KeyHash, std::equal_to<>> kept_;
};

// The file's bytes for the records given, in that order.
std::string serializeOutcomes(const std::vector<OutcomeRecord>& records);
// Every whole, undamaged line of a file; nothing when the file is no store
// file of this program (another format, or its first line damaged).
std::vector<OutcomeRecord> parseOutcomes(std::string_view bytes);

// What one copy of the program has for the shared file, kept on the thread
// that writes it: the outcomes and seen times the window handed over since
// the last sync, and what the window already knows.
class OutcomeSync {
  public:
    // From the window: a number's new outcome, or numbers seen in its tree.
    void add(OutcomeRecord record);
    void seen(std::vector<std::pair<std::string, std::string>> numbers, Seconds now);
    bool pending() const { return !added_.empty() || !seen_.empty(); }

    struct Result {
        std::optional<std::string> write;  // the file's new bytes; none when unchanged
        std::vector<OutcomeRecord> news;   // records the window does not have yet
    };
    // With the file's lock held: merges the file's bytes with what was
    // handed over, forgets numbers unseen for too long, and tells what to
    // write and what the window learns. What was handed over stays until
    // done() says the file holds it, so a failed write is made good by the
    // next sync.
    Result sync(std::string_view fileBytes, Seconds now);
    void done();

  private:
    std::vector<OutcomeRecord> added_;
    std::vector<std::pair<std::string, std::string>> seen_;
    Seconds seenAt_ = 0;
    // Records the window does not have: asked later than what it has.
    bool knowNewer(const OutcomeRecord& record);
    // What the window has, by key: when the outcome it has was asked.
    std::unordered_map<std::string, Seconds> known_;
};

// "2026-12-08 09:30" for a time already in the local zone, as seconds since
// 1970-01-01 00:00 of that zone.
std::string minuteText(Seconds local);

}  // namespace korvel::tracking
