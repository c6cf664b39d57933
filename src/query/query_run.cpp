#include "query/query_run.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
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
// box it fills. A box that falls behind catches up without waiting.
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
    // The earliest the next append may run, and whether a flush is on its
    // way; the worker asks for flushes too.
    std::atomic<Clock::time_point> nextAppend{};
    std::atomic<bool> flushQueued{false};

    ResultFeed feed;
    std::atomic<int> workers{0};
    QueryWatcher* watcher = nullptr;  // UI thread only
    NumberFilter only;                // the live run's, UI thread only

    // The current service code is sticky across numbers and runs. Only the
    // live worker looks codes up, but an abandoned one may overlap it for a
    // moment, hence the lock.
    std::mutex catalogueMutex;
    tracking::CourierCatalogue catalogue;

    bool live(unsigned run) const { return !closed && generation == run; }

    // UI thread: puts blocks into the box, then tells the watcher how their
    // numbers came out.
    void show(const std::vector<FinishedBlock>& blocks) {
        if (blocks.empty()) return;
        ui->appendResultText(joinedText(blocks));
        if (watcher)
            for (const auto& block : blocks)
                watcher->numberFinished(block.company, block.number, block.outcome);
    }

    // UI thread: the progress texts whose earlier blocks are in the box, in
    // order. The label shows the newest; each is set, as the worker took its
    // number up.
    void showStatuses(unsigned run) {
        for (const auto& text : feed.takeStatuses(run)) ui->showProgress(text);
    }

    // UI thread: the run went through its walk. Everything still waiting
    // goes into the box before the end is shown.
    // Slice by slice, so a backlog never holds the UI thread in one piece.
    static void finish(const std::shared_ptr<Shared>& shared, unsigned run) {
        if (!shared->live(run)) return;
        size_t left = 0;
        shared->show(shared->feed.take(run, kSliceBytes, &left));
        shared->showStatuses(run);
        if (left > 0) {
            shared->uiThread->post([shared, run] { finish(shared, run); }, 0);
            return;
        }
        shared->running = false;
        shared->ui->setStatusText(std::string(texts::kQueryFinished));
        shared->ui->setQueryButtonCaption(std::string(texts::kStartQuery));
    }

    // Any thread, once something of run `run` is waiting: makes sure a flush
    // is on its way, to run as soon as the pace allows.
    static void requestFlush(const std::shared_ptr<Shared>& shared, unsigned run) {
        if (shared->flushQueued.exchange(true)) return;
        const auto now = Clock::now();
        const auto next = shared->nextAppend.load();
        const auto wait = next > now ? std::chrono::ceil<std::chrono::milliseconds>(next - now)
                                     : std::chrono::milliseconds(0);
        shared->uiThread->post([shared, run] { flush(shared, run); },
                               static_cast<unsigned>(wait.count()));
    }

    // UI thread: shows what is waiting: a slice of the blocks, then the
    // progress texts that do not run ahead of the box.
    static void flush(const std::shared_ptr<Shared>& shared, unsigned run) {
        // First: whatever the worker queues from here on asks for a flush of its own.
        shared->flushQueued = false;
        if (!shared->live(run)) return;
        const auto start = Clock::now();
        size_t left = 0;
        shared->show(shared->feed.take(run, kSliceBytes, &left));
        const auto end = Clock::now();
        shared->showStatuses(run);
        shared->nextAppend =
            left > kBehindBytes ? end : end + std::max<Clock::duration>(kAppendGap, end - start);
        if (left > 0) requestFlush(shared, run);
    }
};

namespace {

using Shared = QueryRun::Shared;

// How many numbers the UI thread reads ahead of the worker at once, so that
// a UI thread kept busy for a while (painting, a menu) does not hold up the
// requests.
constexpr size_t kReadAhead = 32;

// A number of the walk as the UI thread read it.
struct NextNumber {
    int index = 0;
    std::string company, number;
};

// What one read on the UI thread found: the next numbers of the walk in
// order, and whether the walk ends after them.
struct WalkRead {
    int count = 0;  // the walk's count: the first read takes it
    std::deque<NextNumber> numbers;
    bool end = false;
    std::uint64_t changes = 0;  // the tree's change count at the read
};

// UI thread: up to kReadAhead numbers at or after index `from` and below
// `count` (-1: the tree's count now). Company entries produce nothing, nor
// do numbers the run's filter leaves out.
WalkRead readWalk(Shared& shared, int from, int count) {
    const tracking::TreeModel& tree = *shared.tree;
    WalkRead read;
    read.count = count < 0 ? tree.itemCount() : count;
    read.changes = tree.changeCount()->load();
    int index = from;
    for (; index < read.count && read.numbers.size() < kReadAhead; ++index) {
        const int parent = tree.parentOf(index);
        if (parent == -1) continue;
        NextNumber next{index, tree.itemText(parent), tree.itemText(index)};
        if (shared.only && !shared.only(next.company, next.number)) continue;
        read.numbers.push_back(std::move(next));
    }
    read.end = index >= read.count;
    return read;
}

// A read the worker asked the UI thread for. The work that makes it may
// also never run (the run stopped, the window went away): then the read is
// dropped, and a worker waiting for it hears so.
class PendingRead {
  public:
    void fill(WalkRead read) {
        std::lock_guard lock(mutex_);
        read_ = std::move(read);
        state_ = State::Read;
        changed_.notify_all();
    }
    void drop() {
        std::lock_guard lock(mutex_);
        if (state_ == State::Asked) state_ = State::Dropped;
        changed_.notify_all();
    }
    // Waits for the read; nothing when it was dropped.
    std::optional<WalkRead> wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return state_ != State::Asked; });
        if (state_ == State::Dropped) return std::nullopt;
        return std::move(read_);
    }

  private:
    enum class State { Asked, Read, Dropped };
    std::mutex mutex_;
    std::condition_variable changed_;
    State state_ = State::Asked;
    WalkRead read_;
};

// Goes with the posted work that fills a PendingRead, in every copy of it:
// when the last copy goes, run or not, a read it did not fill is dropped.
class ReadTicket {
  public:
    explicit ReadTicket(std::shared_ptr<PendingRead> read) : read_(std::move(read)) {}
    ~ReadTicket() { read_->drop(); }
    ReadTicket(const ReadTicket&) = delete;
    ReadTicket& operator=(const ReadTicket&) = delete;
    void fill(WalkRead read) { read_->fill(std::move(read)); }

  private:
    std::shared_ptr<PendingRead> read_;
};

class Worker {
  public:
    Worker(std::shared_ptr<Shared> shared, unsigned generation,
           std::shared_ptr<io::StopSignal> stop)
        : shared_(std::move(shared)),
          generation_(generation),
          stop_(std::move(stop)),
          treeChanges_(shared_->tree->changeCount()) {}

    void runQueries();

  private:
    // Queues work for the UI thread, which runs it only while this run is
    // the live one there. Everything the worker hands over goes this way, so
    // it all lands in the worker's order. False once the run is stopped.
    bool toUi(std::function<void(const std::shared_ptr<Shared>&)> work) {
        if (stop_->stopped()) return false;
        shared_->uiThread->post(
            [shared = shared_, run = generation_, work = std::move(work)] {
                if (shared->live(run)) work(shared);
            },
            0);
        return true;
    }

    // Asks the UI thread to read the walk on from index `from`.
    std::shared_ptr<PendingRead> askRead(int from, int count) {
        auto pending = std::make_shared<PendingRead>();
        auto ticket = std::make_shared<ReadTicket>(pending);
        toUi([ticket, from, count](const std::shared_ptr<Shared>& shared) {
            ticket->fill(readWalk(*shared, from, count));
        });
        return pending;
    }

    // Hands a progress text or a finished block to the UI thread without
    // waiting: the next flush shows it, the texts before the blocks, in the
    // order they came, so the UI thread wakes a few times a second rather
    // than once per number.
    bool tell(std::string status) {
        if (stop_->stopped() || !shared_->feed.addStatus(generation_, std::move(status)))
            return false;
        Shared::requestFlush(shared_, generation_);
        return true;
    }
    bool deliver(const NextNumber& number, std::string block, tracking::ParcelOutcome outcome) {
        if (stop_->stopped() ||
            !shared_->feed.add(
                generation_, {number.company, number.number, std::move(block), std::move(outcome)}))
            return false;
        Shared::requestFlush(shared_, generation_);
        return true;
    }

    std::string serviceCodeFor(const std::string& name) {
        std::lock_guard lock(shared_->catalogueMutex);
        return shared_->catalogue.serviceCodeFor(name);
    }

    std::shared_ptr<Shared> shared_;
    const unsigned generation_;
    std::shared_ptr<io::StopSignal> stop_;
    // Read here, off the UI thread, and kept alive by the worker.
    std::shared_ptr<const tracking::TreeModel::ChangeCount> treeChanges_;
};

void Worker::runQueries() {
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

    // The UI thread reads the numbers ahead of the worker, a few at a time,
    // while the requests before them are out. A number read so is taken up
    // only if the tree has not changed since the read: then it is what a
    // read now would give. Otherwise everything read ahead is void, and the
    // worker asks again and waits.
    int count = -1;  // the first read takes the count: later indexes are not visited
    int from = 0;    // the index after the last number taken up
    // What is ahead always comes from one read: the next is taken once it
    // is used up.
    std::deque<NextNumber> ahead;
    bool endAhead = false;  // nothing is left after `ahead`
    std::uint64_t aheadChanges = 0;
    std::shared_ptr<PendingRead> more;  // the read on its way, if any
    for (;;) {
        if (ahead.empty() && !endAhead) {
            if (!more) more = askRead(from, count);
            std::optional<WalkRead> read = more->wait();
            more.reset();
            if (!read) return;
            count = read->count;
            ahead = std::move(read->numbers);
            endAhead = read->end;
            aheadChanges = read->changes;
        }
        if (aheadChanges != treeChanges_->load()) {
            ahead.clear();
            endAhead = false;
            more.reset();  // read in the tree as it was, and from a place that may have moved
            continue;
        }
        if (ahead.empty()) break;  // the walk is over
        NextNumber current = std::move(ahead.front());
        ahead.pop_front();
        from = current.index + 1;
        if (!more && !endAhead && ahead.size() < kReadAhead / 2)
            more = askRead(ahead.empty() ? from : ahead.back().index + 1, count);
        if (!tell(std::string(texts::kQuerying) + current.company + current.number)) return;
        block.clear();
        outcome = {};
        if (!queryNumber(current.company, current.number, services) ||
            !deliver(current, std::move(block), outcome.finish()))
            return;
    }
    toUi([run = generation_](const std::shared_ptr<Shared>& shared) {
        Shared::finish(shared, run);
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

// Some number the filter lets through.
bool hasWork(const tracking::TreeModel& tree, const NumberFilter& only) {
    const int count = tree.itemCount();
    int companyIndex = -1;
    std::string company;
    for (int i = 0; i < count; ++i) {
        const int parent = tree.parentOf(i);
        if (parent == -1) continue;
        if (parent != companyIndex) {
            companyIndex = parent;
            company = tree.itemText(parent);
        }
        if (only(company, tree.itemText(i))) return true;
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

void QueryRun::toggleQueryRun(NumberFilter only) {
    if (shared_->closed || !shared_->uiThread || !hasWork(*shared_->tree)) return;
    QueryUi& ui = *shared_->ui;
    if (ui.queryButtonCaption() == texts::kStartQuery) {
        if (only && !hasWork(*shared_->tree, only)) return;
        ui.setResultText("");
        stopCurrent();
        shared_->only = std::move(only);
        currentStop_ = std::make_shared<io::StopSignal>();
        shared_->running = true;
        shared_->nextAppend = Clock::time_point{};
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
    shared_->only = nullptr;     // and so may what the filter asks
    stopCurrent();
    shared_->closed = true;
    if (shared_->uiThread) shared_->uiThread->close();
}

bool QueryRun::running() const { return shared_->running; }

int QueryRun::workerCount() const { return shared_->workers.load(); }

}  // namespace korvel::query
