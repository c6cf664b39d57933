// Keeps the outcome store's file ("outcomes.txt" in the program's data
// folder) in step with the window: a thread of its own reads the file at
// start, and from then on brings the window's new outcomes in and the other
// copies' out, a few seconds apart, so the user-interface thread never waits
// for the disk. Each sync holds a lock file, so two copies of the program
// never write over each other's news; the file is replaced whole (a
// temporary file, flushed, then moved over it), and a sync that fails is
// made good by the next one. Nothing here ever shows anything: a store that
// cannot be read or written only means the colours last until the program
// closes.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "query/query_run.h"
#include "tracking/outcome_store.h"

namespace korvel::ui {

class OutcomeKeeper {
  public:
    using Numbers = std::vector<std::pair<std::string, std::string>>;  // company, number
    // Built on the keeper's thread: the window takes a whole store over at
    // once when it has none yet.
    using News = std::function<void(tracking::OutcomeStore)>;

    // On the user-interface thread, which hears the news: what the file
    // holds first (once start() asks for it), then what other copies add.
    OutcomeKeeper(std::string folder, News onNews);
    // Brings in what was handed over, waiting for it, then stops.
    ~OutcomeKeeper();
    OutcomeKeeper(const OutcomeKeeper&) = delete;
    OutcomeKeeper& operator=(const OutcomeKeeper&) = delete;

    // Reads the file now, without waiting for it.
    void start();
    // A number's new outcome, for the next sync.
    void add(tracking::OutcomeRecord record);
    // These numbers are in the window's tree now.
    void seen(Numbers numbers);
    // Syncs at once and waits for it; true when the file holds everything
    // handed over so far.
    bool syncNow();

    static std::string fileIn(const std::string& folder);

    // Seconds since 1970 UTC, now.
    static tracking::Seconds now();
    // "2026-12-08 09:30" in the local time zone.
    static std::string localMinuteText(tracking::Seconds utc);

  private:
    void run();
    bool syncOnce(std::vector<tracking::OutcomeRecord> records, Numbers seen);

    const std::string file_, lockFile_;
    News onNews_;
    std::shared_ptr<query::UiThreadCall> uiThread_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<tracking::OutcomeRecord> records_;  // handed over, not yet taken by the thread
    Numbers seen_;
    unsigned asked_ = 0;   // syncs asked for at once
    unsigned served_ = 0;  // of those, how many have been made
    bool lastOk_ = false;
    bool stopping_ = false;

    tracking::OutcomeSync sync_;  // the thread's own
    std::thread thread_;
};

}  // namespace korvel::ui
