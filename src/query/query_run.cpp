#include "query/query_run.h"

#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "query/query_texts.h"
#include "query/result_feed.h"
#include "query/tracking_query.h"
#include "tracking/courier_catalogue.h"

namespace korvel::query {

namespace {

using Clock = std::chrono::steady_clock;

// Blocks reach the box at most this often; a person sees no difference, and
// a long run appends a few times a second instead of once per number.
constexpr std::chrono::milliseconds kFlushInterval{100};

}  // namespace

struct QueryRun::Shared {
    tracking::TreeModel* tree = nullptr;
    QueryUi* ui = nullptr;
    std::shared_ptr<UiThreadCall> uiThread;
    std::string endpoint;
    Fetch fetch;

    // UI thread only: the run allowed to write, and whether the window is gone.
    unsigned generation = 0;
    bool running = false;
    bool closed = false;
    Clock::time_point lastFlush;

    ResultFeed feed;
    std::atomic<int> workers{0};

    // Outcomes of numbers whose blocks are in the feed, for the watcher. A
    // block and its outcome enter under outcomeMutex, and a stop takes both
    // out under it, so the box never shows a block whose outcome is lost.
    struct Outcome {
        unsigned run;
        std::uintptr_t key;
        tracking::ParcelOutcome outcome;
    };
    QueryWatcher* watcher = nullptr;  // UI thread only
    std::mutex outcomeMutex;
    std::vector<Outcome> outcomes;

    std::vector<Outcome> takeOutcomes() {
        std::lock_guard lock(outcomeMutex);
        return std::exchange(outcomes, {});
    }

    // UI thread: tells the watcher what run `run` finished so far.
    void report(std::vector<Outcome> done, unsigned run) {
        if (!watcher) return;
        for (const Outcome& o : done) {
            if (o.run == run) watcher->numberFinished(o.key, o.outcome);
        }
    }

    // The current service code is sticky across numbers and runs. Only the
    // live worker looks codes up, but an abandoned one may overlap it for a
    // moment, hence the lock.
    std::mutex catalogueMutex;
    tracking::CourierCatalogue catalogue;

    bool live(unsigned run) const { return !closed && generation == run; }

    // UI thread: moves the waiting blocks of run `run` into the box, unless
    // the last append was too recent; then it comes back when it is due.
    static void flush(const std::shared_ptr<Shared>& shared, unsigned run) {
        if (!shared->live(run)) return;
        const auto due = shared->lastFlush + kFlushInterval;
        const auto now = Clock::now();
        if (now < due) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(due - now);
            shared->uiThread->post([shared, run] { flush(shared, run); },
                                   static_cast<unsigned>(wait.count()));
            return;
        }
        const std::string text = shared->feed.take(run);
        if (text.empty()) return;
        shared->lastFlush = now;
        shared->ui->appendResultText(text);
    }
};

namespace {

using Shared = QueryRun::Shared;

class Worker {
  public:
    Worker(std::shared_ptr<Shared> shared, unsigned generation, std::shared_ptr<StopSignal> stop)
        : shared_(std::move(shared)), generation_(generation), stop_(std::move(stop)) {}

    void runQueries();

  private:
    // Runs work on the UI thread if this run is still the live one there.
    // False once the run is stopped or the window is gone.
    template <typename Work>
    bool onUi(Work&& work) {
        if (stop_->stopped()) return false;
        bool live = false;
        const bool ran = shared_->uiThread->call([&] {
            if (!shared_->live(generation_)) return;
            live = true;
            work(*shared_->tree, *shared_->ui);
        });
        return ran && live;
    }

    // Hands a finished block, and how the number came out, to the UI thread
    // without waiting for the box.
    bool deliver(const std::string& block, std::uintptr_t key,
                 tracking::ParcelOutcome outcome) {
        bool first = false;
        {
            std::lock_guard lock(shared_->outcomeMutex);
            if (stop_->stopped() || !shared_->feed.add(generation_, block, &first)) return false;
            shared_->outcomes.push_back({generation_, key, std::move(outcome)});
        }
        if (first) {
            shared_->uiThread->post(
                [shared = shared_, run = generation_] { Shared::flush(shared, run); }, 0);
        }
        return true;
    }

    std::string serviceCodeFor(const std::string& name) {
        std::lock_guard lock(shared_->catalogueMutex);
        return shared_->catalogue.serviceCodeFor(name);
    }

    std::shared_ptr<Shared> shared_;
    const unsigned generation_;
    std::shared_ptr<StopSignal> stop_;
};

void Worker::runQueries() {
    int count = 0;
    if (!onUi([&](tracking::TreeModel& tree, QueryUi&) { count = tree.itemCount(); })) return;

    // A block's lines are cut within microseconds of each other, so they
    // travel together.
    std::string block;
    QueryServices services;
    services.endpoint = shared_->endpoint;
    services.serviceCodeFor = [this](const std::string& name) { return serviceCodeFor(name); };
    services.fetch = [this](const std::string& url) { return shared_->fetch(url, *stop_); };
    services.append = [&](const std::string& text) {
        block += text;
        return !stop_->stopped();
    };
    tracking::ParcelOutcomeBuilder outcome;
    services.entryCut = [&](const RouteEntry& entry) { outcome.add(entry.time, entry.context); };

    // Indexes at or beyond the count taken at the start are not visited, even
    // if numbers were added meanwhile.
    for (int i = 0; i < count; ++i) {
        bool isNumber = false;
        std::string company, number;
        std::uintptr_t key = 0;
        const bool live = onUi([&](tracking::TreeModel& tree, QueryUi& ui) {
            shared_->report(shared_->takeOutcomes(), generation_);
            const int parent = tree.parentOf(i);
            if (parent == -1) return;
            isNumber = true;
            company = tree.itemText(parent);
            number = tree.itemText(i);
            if (shared_->watcher) key = shared_->watcher->numberTaken(i);
            ui.setStatusText(std::string(texts::kQuerying) + company + number);
        });
        if (!live) return;
        if (!isNumber) continue;
        block.clear();
        outcome = {};
        if (!queryNumber(company, number, services) || !deliver(block, key, outcome.finish()))
            return;
    }
    onUi([&](tracking::TreeModel&, QueryUi& ui) {
        shared_->report(shared_->takeOutcomes(), generation_);
        shared_->running = false;
        const std::string rest = shared_->feed.take(generation_);
        if (!rest.empty()) ui.appendResultText(rest);
        ui.setStatusText(std::string(texts::kQueryFinished));
        ui.setQueryButtonCaption(std::string(texts::kStartQuery));
    });
}

// The first item that holds children means some company holds a number.
bool hasWork(const tracking::TreeModel& tree) {
    const int count = tree.itemCount();
    for (int i = 0; i < count; ++i) {
        if (tree.hasChildren(i)) return true;
    }
    return false;
}

}  // namespace

QueryRun::QueryRun(tracking::TreeModel& tree, QueryUi& ui, std::shared_ptr<UiThreadCall> uiThread,
                   std::string endpoint, Fetch fetch)
    : shared_(std::make_shared<Shared>()) {
    shared_->tree = &tree;
    shared_->ui = &ui;
    shared_->uiThread = std::move(uiThread);
    shared_->endpoint = std::move(endpoint);
    shared_->fetch = std::move(fetch);
}

QueryRun::~QueryRun() { shutdown(); }

void QueryRun::toggleQueryRun() {
    if (shared_->closed || !shared_->uiThread || !hasWork(*shared_->tree)) return;
    QueryUi& ui = *shared_->ui;
    if (ui.queryButtonCaption() == texts::kStartQuery) {
        ui.setResultText("");
        stopCurrent();
        if (shared_->watcher) shared_->watcher->runStarted();
        currentStop_ = std::make_shared<StopSignal>();
        shared_->running = true;
        shared_->lastFlush = {};
        ++shared_->workers;
        // Detached: a worker abandoned in a blocking request must never hold
        // up the UI thread, and it owns everything it touches through Shared.
        std::thread([worker = Worker(shared_, shared_->generation, currentStop_),
                     shared = shared_]() mutable {
            worker.runQueries();
            --shared->workers;
        }).detach();
        ui.setQueryButtonCaption(std::string(texts::kStopQuery));
    } else {
        // The blocks of the numbers done before the click still belong in the box.
        const std::string done = stopCurrent();
        if (!done.empty()) ui.appendResultText(done);
        ui.setQueryButtonCaption(std::string(texts::kStartQuery));
        ui.setStatusText(std::string(texts::kQueryStopped));
    }
}

std::string QueryRun::stopCurrent() {
    // A new generation first: from here on no call of the old run writes,
    // whatever its worker is doing.
    const unsigned stopped = shared_->generation;
    std::string waiting;
    std::vector<Shared::Outcome> done;
    {
        std::lock_guard lock(shared_->outcomeMutex);
        waiting = shared_->feed.switchTo(++shared_->generation);
        done = std::exchange(shared_->outcomes, {});
    }
    const bool wasRunning = std::exchange(shared_->running, false);
    if (currentStop_) currentStop_->stop();
    if (!wasRunning) return {};
    shared_->report(std::move(done), stopped);
    return waiting;
}

void QueryRun::setWatcher(QueryWatcher* watcher) { shared_->watcher = watcher; }

void QueryRun::shutdown() {
    if (shared_->closed) return;
    shared_->watcher = nullptr;  // it may be going away with the window
    stopCurrent();
    shared_->closed = true;
    if (shared_->uiThread) shared_->uiThread->close();
}

bool QueryRun::running() const { return shared_->running; }

int QueryRun::workerCount() const { return shared_->workers.load(); }

}  // namespace korvel::query
