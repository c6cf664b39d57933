#include "query/query_run.h"

#include <algorithm>
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

// Finished blocks gather for kAppendGap, or as long as the last append took,
// and go into the box as slices of about kSliceBytes of whole blocks: the box
// and the tree's watcher then change a few times a second instead of once
// per number, and no single append holds the UI thread for long, whatever
// box it fills. While a slice goes in, the worker's calls may run in between
// (see UiThreadCall). A box that falls behind catches up without waiting.
constexpr auto kAppendGap = std::chrono::milliseconds(100);
constexpr size_t kSliceBytes = 6 * 1024;
constexpr size_t kBehindBytes = 4 * kSliceBytes;

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
    Clock::time_point nextAppend;  // the earliest the next append may run
    bool flushQueued = false;      // a flush of the live run is on its way
    bool appending = false;        // inside an append: calls may run meanwhile

    ResultFeed feed;
    std::atomic<int> workers{0};
    QueryWatcher* watcher = nullptr;  // UI thread only

    // The current service code is sticky across numbers and runs. Only the
    // live worker looks codes up, but an abandoned one may overlap it for a
    // moment, hence the lock.
    std::mutex catalogueMutex;
    tracking::CourierCatalogue catalogue;

    bool live(unsigned run) const { return !closed && generation == run; }

    // UI thread: puts blocks into the box, then tells the watcher how their
    // numbers came out. The worker's calls for the next numbers may run
    // while the box takes the text, so its requests need not wait for it.
    void show(const std::vector<FinishedBlock>& blocks) {
        if (blocks.empty()) return;
        uiThread->beginBusy();
        appending = true;
        ui->appendResultText(joinedText(blocks));
        appending = false;
        if (watcher)
            for (const auto& block : blocks) watcher->numberFinished(block.item, block.outcome);
        uiThread->endBusy();
    }

    // UI thread: the run went through its walk. Everything still waiting
    // goes into the box before the end is shown.
    // Slice by slice, so a backlog never holds the UI thread in one piece.
    static void finish(const std::shared_ptr<Shared>& shared, unsigned run) {
        if (!shared->live(run)) return;
        size_t left = 0;
        shared->show(shared->feed.take(run, kSliceBytes, &left));
        if (left > 0) {
            shared->uiThread->post([shared, run] { finish(shared, run); }, 0);
            return;
        }
        shared->running = false;
        shared->ui->setStatusText(std::string(texts::kQueryFinished));
        shared->ui->setQueryButtonCaption(std::string(texts::kStartQuery));
    }

    // UI thread: asks for the waiting blocks of run `run` to be appended as
    // soon as the pace allows, after the current message.
    static void requestFlush(const std::shared_ptr<Shared>& shared, unsigned run) {
        if (!shared->live(run) || shared->flushQueued) return;
        shared->flushQueued = true;
        const auto now = Clock::now();
        const auto wait = shared->nextAppend > now
                              ? std::chrono::ceil<std::chrono::milliseconds>(shared->nextAppend - now)
                              : std::chrono::milliseconds(0);
        shared->uiThread->post([shared, run] { flush(shared, run); },
                               static_cast<unsigned>(wait.count()));
    }

    static void flush(const std::shared_ptr<Shared>& shared, unsigned run) {
        if (!shared->live(run)) return;
        shared->flushQueued = false;
        const auto start = Clock::now();
        size_t left = 0;
        shared->show(shared->feed.take(run, kSliceBytes, &left));
        const auto end = Clock::now();
        shared->nextAppend =
            left > kBehindBytes ? end : end + std::max<Clock::duration>(kAppendGap, end - start);
        if (left > 0) requestFlush(shared, run);
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

    // Hands a finished block to the UI thread without waiting for the box:
    // the next number's call asks for it to be shown.
    bool deliver(std::uintptr_t item, std::string block, tracking::ParcelOutcome outcome) {
        return !stop_->stopped() &&
               shared_->feed.add(generation_, {item, std::move(block), std::move(outcome)});
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
        std::uintptr_t item = 0;
        std::string company, number;
        // One call per item: the tree read, the status and the request for
        // the blocks done so far to go into the box, which then happens while
        // this number's request is out.
        const bool live = onUi([&](tracking::TreeModel& tree, QueryUi& ui) {
            Shared::requestFlush(shared_, generation_);
            const int parent = tree.parentOf(i);
            if (parent == -1) return;
            isNumber = true;
            company = tree.itemText(parent);
            number = tree.itemText(i);
            if (shared_->watcher) item = shared_->watcher->numberTaken(i);
            ui.setStatusText(std::string(texts::kQuerying) + company + number);
        });
        if (!live) return;
        if (!isNumber) continue;
        block.clear();
        outcome = {};
        if (!queryNumber(company, number, services) ||
            !deliver(item, std::move(block), outcome.finish()))
            return;
    }
    onUi([&](tracking::TreeModel&, QueryUi&) {
        // Inside an append the box cannot take more; the end follows it.
        if (shared_->appending) {
            shared_->uiThread->post(
                [shared = shared_, run = generation_] { Shared::finish(shared, run); }, 0);
        } else {
            Shared::finish(shared_, generation_);
        }
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
        shared_->nextAppend = {};
        shared_->flushQueued = false;
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
        shared_->show(stopCurrent());
        ui.setQueryButtonCaption(std::string(texts::kStartQuery));
        ui.setStatusText(std::string(texts::kQueryStopped));
    }
}

std::vector<FinishedBlock> QueryRun::stopCurrent() {
    // A new generation first: from here on no call of the old run writes,
    // whatever its worker is doing.
    auto waiting = shared_->feed.switchTo(++shared_->generation);
    const bool wasRunning = std::exchange(shared_->running, false);
    if (currentStop_) currentStop_->stop();
    if (!wasRunning) waiting.clear();
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
