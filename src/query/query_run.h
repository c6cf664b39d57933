// The batch run: one worker thread queries every tracking number of the
// workspace in tree order. The worker never touches the tree or a control
// itself: each read and each update is a short call carried out on the UI
// thread while the worker waits, and that call first checks that its run is
// still the current one, so nothing of a stopped run ever reaches the window.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "query/result_feed.h"
#include "query/stop_signal.h"
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
    virtual void setResultText(const std::string& text) = 0;
    virtual void appendResultText(const std::string& text) = 0;
};

// Optional watcher of how the live run's numbers come out, told on the UI
// thread. A number's outcome arrives right after its block went into the box,
// and a stopped run still reports the numbers whose blocks the box shows.
class QueryWatcher {
  public:
    virtual ~QueryWatcher() = default;
    // A run starts: what earlier runs reported no longer holds.
    virtual void runStarted() = 0;
    // The worker takes up the number at this index now; the key returned
    // comes back with its outcome, whatever the tree does meanwhile.
    virtual std::uintptr_t numberTaken(int index) = 0;
    virtual void numberFinished(std::uintptr_t key, const tracking::ParcelOutcome& outcome) = 0;
};

// A blocking call into the UI thread, made from a worker.
class UiThreadCall {
  public:
    virtual ~UiThreadCall() = default;
    // Runs work on the UI thread and returns once it has run. False when the
    // UI thread takes no more calls (work did not run and never will).
    virtual bool call(const std::function<void()>& work) = 0;
    // Queues work to run on the UI thread after delayMs, without waiting for
    // it. Work posted after close() never runs.
    virtual void post(std::function<void()> work, unsigned delayMs) = 0;
    // On the UI thread: take no more calls; a caller waiting gets false.
    virtual void close() = 0;

    // On the UI thread, around one piece of work that keeps it from its
    // messages for long (an append into the result box): calls made
    // meanwhile queue up instead of waiting for the work to end, and
    // serviceCalls(), called from inside that work where it is safe, runs
    // them at once. endBusy() runs those still queued. Calls that run so must
    // not touch what the busy work is changing. Defaults: plain calls.
    virtual void beginBusy() {}
    virtual void endBusy() {}
    virtual void serviceCalls() {}
};

// Blocking fetch of a URL's body; stop() on the signal abandons it.
using Fetch = std::function<std::string(const std::string& url, StopSignal& stop)>;

class QueryRun {
  public:
    QueryRun(tracking::TreeModel& tree, QueryUi& ui, std::shared_ptr<UiThreadCall> uiThread,
             std::string endpoint, Fetch fetch);
    ~QueryRun();
    QueryRun(const QueryRun&) = delete;
    QueryRun& operator=(const QueryRun&) = delete;

    // Click handler of the query button (UI thread): starts a run when the
    // caption says "开始查询", stops the current one otherwise. Does nothing
    // while no company holds a number.
    void toggleQueryRun();

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
    std::shared_ptr<StopSignal> currentStop_;  // the most recent worker's handle
};

}  // namespace korvel::query
