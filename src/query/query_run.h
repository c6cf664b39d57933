// The batch run: one worker thread queries every tracking number of the
// workspace in tree order. The worker never touches the tree or a control
// itself: each read and each update is short work posted to the UI thread,
// run there in the worker's order, and that work first checks that its run
// is still the current one, so nothing of a stopped run ever reaches the
// window. The UI thread reads the next numbers while the requests before
// them are out; the worker takes such a read only if the tree has not
// changed since, and else reads again and waits for it, so it always goes
// by the tree as it is when it moves on.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "io/stop_signal.h"
#include "query/result_feed.h"
#include "tracking/parcel_state.h"
#include "tracking/tree_model.h"

namespace korvel::query {

// What the run needs of the main window. Called on the UI thread only.
class QueryUi {
  public:
    virtual ~QueryUi() = default;
    virtual std::string queryButtonCaption() const = 0;
    virtual void setQueryButtonCaption(const std::string& caption) = 0;
    virtual void setStatusText(const std::string& text) = 0;
    // "正在为您查询：" and the number now asked: many a second, so the window
    // may show only the newest when its pace allows (the run's end and a
    // stop come through setStatusText and show at once).
    virtual void showProgress(const std::string& text) = 0;
    virtual void setResultText(const std::string& text) = 0;
    virtual void appendResultText(const std::string& text) = 0;
};

// Optional watcher of how the live run's numbers come out, told on the UI
// thread. A number's outcome arrives right after its block went into the box,
// and a stopped run still reports the numbers whose blocks the box shows.
// The company and the number are the texts the run read from the tree when it
// took the number up: the outcome belongs to them, whatever became of the
// tree item since.
class QueryWatcher {
  public:
    virtual ~QueryWatcher() = default;
    virtual void numberFinished(const std::string& company, const std::string& number,
                                const tracking::ParcelOutcome& outcome) = 0;
};

// Which numbers a run asks for: true to ask. Called on the UI thread as the
// run reads the tree, so it goes by what is known when the number's turn
// comes near.
using NumberFilter = std::function<bool(const std::string& company, const std::string& number)>;

// Work for the UI thread, handed over by a worker.
class UiThreadCall {
  public:
    virtual ~UiThreadCall() = default;
    // Queues work to run on the UI thread after delayMs, without waiting for
    // it; work with no delay runs in the order it was posted. Work that will
    // never run (posted after close(), or still queued then) is destroyed.
    virtual void post(std::function<void()> work, unsigned delayMs) = 0;
    // On the UI thread: run no more work.
    virtual void close() = 0;
};

// Blocking fetch of a URL's body; stop() on the signal abandons it.
using Fetch = std::function<std::string(const std::string& url, io::StopSignal& stop)>;

class QueryRun {
  public:
    QueryRun(tracking::TreeModel& tree, QueryUi& ui, std::shared_ptr<UiThreadCall> uiThread,
             std::string endpoint, Fetch fetch);
    ~QueryRun();
    QueryRun(const QueryRun&) = delete;
    QueryRun& operator=(const QueryRun&) = delete;

    // Click handler of the query button (UI thread): starts a run when the
    // caption says "开始查询", stops the current one otherwise. Does nothing
    // while no company holds a number. Given a filter, a run asks only the
    // numbers it lets through, and none starts when it lets none through;
    // stopping is the same either way.
    void toggleQueryRun(NumberFilter only = nullptr);

    // The window is going away (UI thread): stops the run and makes sure no
    // worker touches the tree or the window from now on. Never waits for a
    // request; a worker still blocked in one ends on its own.
    void shutdown();

    // UI thread; null for none. The watcher must outlive the run or be unset.
    void setWatcher(QueryWatcher* watcher);

    // UI thread: a run is going (started, neither finished nor stopped).
    bool running() const;
    // Worker threads not yet returned, including abandoned ones still
    // blocked in a request. For tests and shutdown checks.
    int workerCount() const;

    struct Shared;

  private:
    // Retires the current run; returns its blocks still waiting for the box.
    std::vector<FinishedBlock> stopCurrent();

    std::shared_ptr<Shared> shared_;
    std::shared_ptr<io::StopSignal> currentStop_;  // the most recent worker's handle
};

}  // namespace korvel::query
