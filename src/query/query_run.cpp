#include "query/query_run.h"

#include <mutex>
#include <thread>
#include <utility>

#include "query/query_texts.h"
#include "query/tracking_query.h"
#include "tracking/courier_catalogue.h"

namespace korvel::query {

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

    std::atomic<int> workers{0};

    // The current service code is sticky across numbers and runs. Only the
    // live worker looks codes up, but an abandoned one may overlap it for a
    // moment, hence the lock.
    std::mutex catalogueMutex;
    tracking::CourierCatalogue catalogue;
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
            if (shared_->closed || shared_->generation != generation_) return;
            live = true;
            work(*shared_->tree, *shared_->ui);
        });
        return ran && live;
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

    QueryServices services;
    services.endpoint = shared_->endpoint;
    services.serviceCodeFor = [this](const std::string& name) { return serviceCodeFor(name); };
    services.fetch = [this](const std::string& url) { return shared_->fetch(url, *stop_); };
    // The lines of one reply are cut in a few microseconds, so they reach the
    // box together: one append per number instead of one per line, as every
    // append into a multi-line EDIT costs in proportion to the text already in
    // it on some platforms (Wine re-reads its whole line table), and each line
    // would also be a round trip to the UI thread.
    std::string block;
    services.append = [&](const std::string& text) {
        block += text;
        return !stop_->stopped();
    };
    auto flush = [&] {
        const bool live =
            onUi([&](tracking::TreeModel&, QueryUi& ui) { ui.appendResultText(block); });
        block.clear();
        return live;
    };

    // Indexes at or beyond the count taken at the start are not visited, even
    // if numbers were added meanwhile.
    for (int i = 0; i < count; ++i) {
        bool isNumber = false;
        std::string company, number;
        const bool live = onUi([&](tracking::TreeModel& tree, QueryUi& ui) {
            const int parent = tree.parentOf(i);
            if (parent == -1) return;
            isNumber = true;
            company = tree.itemText(parent);
            number = tree.itemText(i);
            ui.setStatusText(std::string(texts::kQuerying) + company + number);
        });
        if (!live) return;
        if (isNumber && (!queryNumber(company, number, services) || !flush())) return;
    }
    onUi([&](tracking::TreeModel&, QueryUi& ui) {
        shared_->running = false;
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
        currentStop_ = std::make_shared<StopSignal>();
        shared_->running = true;
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
        stopCurrent();
        ui.setQueryButtonCaption(std::string(texts::kStartQuery));
        ui.setStatusText(std::string(texts::kQueryStopped));
    }
}

void QueryRun::stopCurrent() {
    // A new generation first: from here on no call of the old run writes,
    // whatever its worker is doing.
    ++shared_->generation;
    shared_->running = false;
    if (currentStop_) currentStop_->stop();
}

void QueryRun::shutdown() {
    if (shared_->closed) return;
    stopCurrent();
    shared_->closed = true;
    if (shared_->uiThread) shared_->uiThread->close();
}

bool QueryRun::running() const { return shared_->running; }

int QueryRun::workerCount() const { return shared_->workers.load(); }

}  // namespace korvel::query
