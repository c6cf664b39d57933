#include "query/query_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "fake_ui_thread.h"
#include "query/query_texts.h"
#include "tracking/courier_catalogue.h"
#include "tracking/memory_tree.h"

using namespace korvel::query;
using korvel::query::testing::FakeUiThread;
using korvel::tracking::CourierCatalogue;
using korvel::tracking::MemoryTree;

namespace {

using Texts = std::vector<std::string>;
using namespace std::chrono_literals;

const std::string kStart(texts::kStartQuery), kStop(texts::kStopQuery);

struct FakeWindow : QueryUi, QueryWatcher {
    std::string caption = kStart, status, result;
    int writes = 0, appends = 0;
    Texts statuses;
    // As a watcher: each finished number is recorded with whether the box
    // held its block by then.
    const MemoryTree* tree = nullptr;
    Texts finished;
    std::chrono::milliseconds appendCost{0};
    // Runs while an append lays its text out, before the text is in the box.
    std::function<void()> duringAppend;
    // Runs once a status text is set, with the box as it is then.
    std::function<void(const std::string&)> onStatus;
    int depth = 0, deepest = 0;

    void numberFinished(const std::string&, const std::string& number,
                        const korvel::tracking::ParcelOutcome&) override {
        const bool shown = result.find(number + "\r\n") != std::string::npos;
        finished.push_back(number + (shown ? "" : " not in the box"));
    }
    std::string queryButtonCaption() const override { return caption; }
    void setQueryButtonCaption(const std::string& text) override { caption = text, ++writes; }
    void setStatusText(const std::string& text) override {
        status = text, ++writes;
        statuses.push_back(text);
        if (onStatus) onStatus(text);
    }
    // The fake keeps every text alike, in the order they came.
    void showProgress(const std::string& text) override { setStatusText(text); }
    void setResultText(const std::string& text) override { result = text, ++writes; }
    void appendResultText(const std::string& text) override {
        deepest = std::max(deepest, ++depth);
        std::this_thread::sleep_for(appendCost);
        if (duringAppend) duringAppend();
        result += text, ++writes, ++appends;
        --depth;
    }
};

// The tracking service: two route entries per number. A held number blocks
// until released, or until stopped unless it ignores stops, as a request
// the platform cannot interrupt would.
class FakeService {
  public:
    std::string fetch(const std::string& url, korvel::io::StopSignal& stop) {
        const size_t nu = url.find("&nu="), type = url.find("&type=");
        const size_t com = url.find("&com=");
        const std::string number = url.substr(nu + 4, type - nu - 4);
        bool aborted = false;
        const bool armed = stop.arm([&] {
            std::lock_guard lock(mutex_);
            aborted = true;
            changed_.notify_all();
        });
        {
            std::unique_lock lock(mutex_);
            asked_.push_back(url.substr(com + 5, nu - com - 5) + ":" + number);
            changed_.notify_all();
            if (held_.count(number)) {
                const bool ignoreStop = held_[number];
                changed_.wait(lock, [&] {
                    return !held_.count(number) || (!ignoreStop && (aborted || !armed));
                });
            }
        }
        stop.disarm();
        if (aborted || !armed || number.starts_with("W")) return {};
        return "[{\"time\":\"t1\",\"context\":\"" + number +
               "-a\"},{\"time\":\"t2\",\"context\":\"" + number + "-b\"}]";
    }
    void hold(const std::string& number, bool ignoreStop = false) {
        std::lock_guard lock(mutex_);
        held_[number] = ignoreStop;
    }
    void release(const std::string& number) {
        std::lock_guard lock(mutex_);
        held_.erase(number);
        changed_.notify_all();
    }
    Texts asked() {
        std::lock_guard lock(mutex_);
        return asked_;
    }
    // Waits until that many requests came (10 s at most, against a hang).
    bool waitAsked(size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10),
                                 [&] { return asked_.size() >= count; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, bool> held_;
    Texts asked_;
};

std::string block(const std::string& company, const std::string& number) {
    return std::string(48, '-') + "\r\n" + company + number + "\r\nt1 " + number + "-a\r\nt2 " +
           number + "-b\r\n";
}

int topLevelIndex(const MemoryTree& tree, const std::string& name) {
    for (int i = 0; i < tree.itemCount(); ++i)
        if (tree.parentOf(i) == -1 && tree.itemText(i) == name) return i;
    return -1;
}

struct Rig {
    MemoryTree tree;
    FakeWindow window;
    std::shared_ptr<FakeUiThread> ui = std::make_shared<FakeUiThread>();
    std::shared_ptr<FakeService> service = std::make_shared<FakeService>();
    std::unique_ptr<QueryRun> run;

    explicit Rig(bool fullCatalogue = true) {
        window.tree = &tree;
        if (fullCatalogue) tree.addItems(-1, CourierCatalogue::displayNames());
        run = std::make_unique<QueryRun>(
            tree, window, ui, "h:1",
            [service = service](const std::string& url, korvel::io::StopSignal& stop) {
                return service->fetch(url, stop);
            });
    }
    ~Rig() {
        run.reset();
        ui->pumpUntil([&] { return ui.use_count() == 1; });
    }
    void add(const std::string& company, const Texts& numbers) {
        int index = topLevelIndex(tree, company);
        if (index == -1) {
            tree.addItems(-1, {company});
            index = topLevelIndex(tree, company);
        }
        tree.addItems(index, numbers);
    }
    bool finish() {
        return ui->pumpUntil([&] { return window.status == std::string(texts::kQueryFinished); });
    }
    bool resultHas(const std::string& text) const {
        return window.result.find(text) != std::string::npos;
    }
};

TEST(QueryRun, WalksNumbersInTreeOrderWithStickyServiceCodes) {
    struct Case {
        const char* name;
        bool fullCatalogue;
        std::vector<std::pair<std::string, Texts>> adds;  // in the order they are added
        Texts asked;                                      // code:number, in request order
    } cases[] = {
        {"first company only", true, {{"AAE快递", {"A1", "A2"}}}, {"aae:A1", "aae:A2"}},
        {"tree order, not order of adding",
         true,
         {{"申通快递", {"S1"}}, {"顺丰快递", {"F1", "F2"}}},
         {"shunfeng:F1", "shunfeng:F2", "shentong:S1"}},
        {"unknown company keeps the code before it",
         false,
         {{"顺丰快递", {"F1"}}, {"别家快递", {"X1"}}},
         {"shunfeng:F1", "shunfeng:X1"}},
        {"unknown company first sends an empty code",
         false,
         {{"别家快递", {"X1"}}, {"申通快递", {"S1"}}},
         {":X1", "shentong:S1"}},
    };
    for (const auto& c : cases) {
        Rig rig(c.fullCatalogue);
        std::string want;
        for (const auto& [company, numbers] : c.adds) rig.add(company, numbers);
        rig.run->toggleQueryRun();
        EXPECT_EQ(rig.window.caption, kStop) << c.name;
        ASSERT_TRUE(rig.finish()) << c.name;
        EXPECT_EQ(rig.service->asked(), c.asked) << c.name;
        EXPECT_EQ(rig.window.caption, kStart) << c.name;
        EXPECT_FALSE(rig.run->running()) << c.name;
    }
}

TEST(QueryRun, ShowsEachNumberThenTheBlocksAndTheEnd) {
    Rig rig;
    rig.add("申通快递", {"S1"});
    rig.add("顺丰快递", {"F1", "F2"});
    rig.window.result = "old text";
    rig.run->toggleQueryRun();
    EXPECT_EQ(rig.window.result, "");
    ASSERT_TRUE(rig.finish());
    EXPECT_EQ(rig.window.result,
              block("顺丰快递", "F1") + block("顺丰快递", "F2") + block("申通快递", "S1"));
    EXPECT_EQ(rig.window.statuses, (Texts{"正在为您查询：顺丰快递F1", "正在为您查询：顺丰快递F2",
                                          "正在为您查询：申通快递S1", "查询完毕"}));
}

TEST(QueryRun, ClickWithoutAnyNumberChangesNothing) {
    Rig rig;
    rig.window.result = "kept";
    rig.run->toggleQueryRun();
    EXPECT_EQ(rig.run->workerCount(), 0);
    rig.ui->runEverything();
    EXPECT_EQ(rig.window.writes, 0);
    EXPECT_EQ(rig.window.caption, kStart);
    EXPECT_EQ(rig.window.result, "kept");
    EXPECT_EQ(rig.run->workerCount(), 0);
}

TEST(QueryRun, StopDuringTheThirdOfFiveKeepsTheFirstBlocksOnly) {
    Rig rig;
    rig.add("顺丰快递", {"N1", "N2", "N3", "N4", "N5"});
    rig.service->hold("N3");
    rig.run->toggleQueryRun();
    ASSERT_TRUE(rig.ui->pumpUntil([&] { return rig.service->asked().size() == 3; }));
    rig.run->toggleQueryRun();
    EXPECT_EQ(rig.window.caption, kStart);
    EXPECT_EQ(rig.window.status, std::string(texts::kQueryStopped));
    const int writes = rig.window.writes;
    // The stop abandons the request in flight and the worker ends.
    ASSERT_TRUE(rig.ui->pumpUntil([&] { return rig.run->workerCount() == 0; }));
    rig.ui->runEverything();
    EXPECT_EQ(rig.window.writes, writes);
    EXPECT_EQ(rig.window.result, block("顺丰快递", "N1") + block("顺丰快递", "N2"));
    EXPECT_EQ(rig.service->asked().size(), 3u);
}

TEST(QueryRun, BlocksTravelTogetherAndTheLabelNeverRunsAheadOfThem) {
    Rig rig;
    Texts numbers;
    std::string want;
    // Several slices' worth, so the box takes them in more than one append.
    for (int i = 0; i < 300; ++i) {
        numbers.push_back("N" + std::to_string(i));
        want += block("顺丰快递", numbers.back());
    }
    rig.add("顺丰快递", numbers);
    // Each append takes far longer than a request: the box gets one append
    // at most per append's time, not one per number.
    rig.window.appendCost = 20ms;
    // The label names a number only once the blocks of all before it are in
    // the box.
    const std::string querying = std::string(texts::kQuerying) + "顺丰快递N";
    Texts ahead;
    rig.window.onStatus = [&](const std::string& text) {
        if (!text.starts_with(querying)) return;
        const int number = std::stoi(text.substr(querying.size()));
        if (number > 0 && !rig.resultHas(block("顺丰快递", numbers[number - 1])))
            ahead.push_back(numbers[number]);
    };
    rig.run->setWatcher(&rig.window);
    rig.run->toggleQueryRun();
    ASSERT_TRUE(rig.finish());
    EXPECT_EQ(rig.window.result, want);
    EXPECT_LT(rig.window.appends, 30);
    EXPECT_EQ(rig.window.finished, numbers);
    EXPECT_EQ(ahead, Texts{});
}

TEST(QueryRun, EachNumberIsReportedFinishedOnceItsBlockIsInTheBox) {
    Rig rig;
    rig.add("顺丰快递", {"N1", "N2", "N3", "N4"});
    rig.service->hold("N2");
    rig.service->hold("N4");
    rig.run->setWatcher(&rig.window);
    rig.run->toggleQueryRun();
    ASSERT_TRUE(rig.ui->pumpUntil(
        [&] { return rig.window.finished.size() == 1 && rig.service->asked().size() == 2; }));
    EXPECT_EQ(rig.window.finished, Texts{"N1"});
    // The first read, which the worker needed to ask N1, held N3 too. An
    // edit above the waiting number moves its index, not its item, and the
    // read ahead is void.
    const int company = topLevelIndex(rig.tree, "顺丰快递");
    rig.tree.addItems(-1, {"别家快递"});
    rig.tree.removeItem(company + 1);
    rig.tree.addItems(company, {"N5"});
    rig.service->release("N2");
    ASSERT_TRUE(rig.ui->pumpUntil([&] { return rig.service->asked().size() == 3; }));
    ASSERT_TRUE(rig.ui->pumpUntil([&] { return rig.window.finished.size() == 2; }));
    // N3 moved below the walk and is not asked: the index after N2's goes to
    // N4 now. A stop while N4 is out: what was done stays reported, nothing
    // else arrives.
    EXPECT_EQ(rig.service->asked().back(), "shunfeng:N4");
    rig.run->toggleQueryRun();
    ASSERT_TRUE(rig.ui->pumpUntil([&] { return rig.run->workerCount() == 0; }));
    rig.ui->runEverything();
    EXPECT_EQ(rig.window.finished, (Texts{"N1", "N2"}));
    EXPECT_EQ(rig.window.result, block("顺丰快递", "N1") + block("顺丰快递", "N2"));
}

TEST(QueryRun, ABlockShowsWhileTheNextRequestIsStillOut) {
    Rig rig;
    rig.add("顺丰快递", {"N1", "N2"});
    rig.service->hold("N2");
    rig.run->toggleQueryRun();
    // N2's progress text comes with the next flush; N2 itself never comes
    // while it is held.
    EXPECT_TRUE(rig.ui->pumpUntil([&] {
        return rig.window.result == block("顺丰快递", "N1") && rig.service->asked().size() == 2 &&
               rig.window.status == "正在为您查询：顺丰快递N2";
    }));
    EXPECT_EQ(rig.window.result, block("顺丰快递", "N1"));
    rig.service->release("N2");
    ASSERT_TRUE(rig.finish());
    EXPECT_EQ(rig.window.result, block("顺丰快递", "N1") + block("顺丰快递", "N2"));
}

TEST(QueryRun, SecondStartClearsTheBoxAndQueriesAgain) {
    Rig rig;
    rig.add("顺丰快递", {"F1", "F2"});
    rig.run->toggleQueryRun();
    ASSERT_TRUE(rig.finish());
    rig.window.status.clear();
    rig.run->toggleQueryRun();
    EXPECT_EQ(rig.window.result, "");
    ASSERT_TRUE(rig.finish());
    EXPECT_EQ(rig.window.result, block("顺丰快递", "F1") + block("顺丰快递", "F2"));
    EXPECT_EQ(rig.service->asked().size(), 4u);
}

TEST(QueryRun, StopIsIgnoredOnceEveryNumberIsDeleted) {
    Rig rig;
    rig.add("顺丰快递", {"F1", "F2"});
    rig.service->hold("F1");
    rig.run->toggleQueryRun();
    // The progress text comes with the next flush, soon after the request went out.
    ASSERT_TRUE(rig.ui->pumpUntil([&] {
        return rig.service->asked().size() == 1 && rig.window.status == "正在为您查询：顺丰快递F1";
    }));
    const int company = topLevelIndex(rig.tree, "顺丰快递");
    rig.tree.removeItem(company + 2);
    rig.tree.removeItem(company + 1);
    rig.run->toggleQueryRun();
    EXPECT_EQ(rig.window.caption, kStop);
    EXPECT_EQ(rig.window.status, "正在为您查询：顺丰快递F1");
    // The run goes on over the shifted indexes and ends by itself.
    rig.service->release("F1");
    ASSERT_TRUE(rig.finish());
    EXPECT_EQ(rig.window.caption, kStart);
    EXPECT_EQ(rig.window.result, block("顺丰快递", "F1"));
    EXPECT_EQ(rig.service->asked().size(), 1u);
}

TEST(QueryRun, RestartWhileTheOldRequestStillBlocksNeverMixesRuns) {
    Rig rig;
    rig.add("顺丰快递", {"F1", "F2"});
    rig.service->hold("F1", /*ignoreStop=*/true);
    rig.run->toggleQueryRun();
    ASSERT_TRUE(rig.ui->pumpUntil([&] { return rig.service->asked().size() == 1; }));
    rig.run->toggleQueryRun();
    rig.run->toggleQueryRun();  // the old worker is still blocked in its request
    rig.service->release("F1");
    ASSERT_TRUE(rig.finish());
    ASSERT_TRUE(rig.ui->pumpUntil([&] { return rig.run->workerCount() == 0; }));
    rig.ui->runEverything();
    // The abandoned worker's reply for F1 never shows; the new run's blocks once each.
    EXPECT_EQ(rig.window.result, block("顺丰快递", "F1") + block("顺丰快递", "F2"));
    EXPECT_EQ(rig.service->asked().size(), 3u);
}

TEST(QueryRun, ShutdownDuringARunLeavesTheWindowAlone) {
    auto ui = std::make_shared<FakeUiThread>();
    auto service = std::make_shared<FakeService>();
    service->hold("F1", /*ignoreStop=*/true);
    {
        MemoryTree tree;
        FakeWindow window;
        window.tree = &tree;
        tree.addItems(-1, {"顺丰快递"});
        tree.addItems(0, {"F1", "F2"});
        QueryRun run(tree, window, ui, "h:1",
                     [service](const std::string& url, korvel::io::StopSignal& stop) {
                         return service->fetch(url, stop);
                     });
        run.toggleQueryRun();
        ASSERT_TRUE(ui->pumpUntil([&] { return service->asked().size() == 1; }));
        run.shutdown();
        run.toggleQueryRun();  // a late click after shutdown is ignored
        EXPECT_EQ(window.caption, kStop);
    }
    // Tree, window and run are gone; the worker wakes, touches none of them
    // (the sanitizers would catch it) and frees its state.
    service->release("F1");
    EXPECT_TRUE(ui->pumpUntil([&] { return ui.use_count() == 1; }));
    EXPECT_EQ(service->asked().size(), 1u);
}

// Records what the run tells its watcher, by company and number.
struct Watcher : QueryWatcher {
    std::map<std::string, korvel::tracking::ParcelOutcome> outcomes;  // company + " " + number

    void numberFinished(const std::string& company, const std::string& number,
                        const korvel::tracking::ParcelOutcome& o) override {
        outcomes[company + " " + number] = o;
    }
};

TEST(QueryRun, TheWatcherHearsEachOutcomeUnderTheTextsTheNumberWasAskedFor) {
    using korvel::tracking::ParcelState;
    Rig rig;
    Watcher watcher;
    rig.run->setWatcher(&watcher);
    rig.add("顺丰快递", {"签收1", "W2", "派件3", "N4", "N5"});
    rig.service->hold("派件3");
    rig.service->hold("N5");
    rig.run->toggleQueryRun();
    ASSERT_TRUE(rig.ui->pumpUntil([&] { return rig.service->asked().size() == 3; }));
    // While 派件3 is in flight its item is renamed and the item before it
    // goes away: the outcome still belongs to 派件3 (and the walk, by index,
    // skips N4).
    const int company = topLevelIndex(rig.tree, "顺丰快递");
    rig.tree.setItemText(company + 3, "改3");
    rig.tree.removeItem(company + 2);
    rig.service->release("派件3");
    ASSERT_TRUE(rig.ui->pumpUntil(
        [&] { return rig.service->asked().size() == 4 && watcher.outcomes.size() == 3; }));
    EXPECT_EQ(watcher.outcomes["顺丰快递 签收1"].state, ParcelState::Delivered);
    EXPECT_EQ(watcher.outcomes["顺丰快递 签收1"].context, "签收1-b");
    EXPECT_EQ(watcher.outcomes["顺丰快递 W2"], korvel::tracking::ParcelOutcome{});
    EXPECT_EQ(watcher.outcomes["顺丰快递 派件3"].state, ParcelState::OutForDelivery);
    EXPECT_EQ(watcher.outcomes["顺丰快递 派件3"].time, "t2");

    // Stopped with N5 in flight: nothing more is told, the box and the
    // watcher agree on what finished.
    rig.run->toggleQueryRun();
    rig.service->release("N5");
    ASSERT_TRUE(rig.ui->pumpUntil([&] { return rig.run->workerCount() == 0; }));
    rig.ui->runEverything();
    EXPECT_EQ(watcher.outcomes.size(), 3u);
    EXPECT_FALSE(rig.resultHas("N5"));

    watcher.outcomes.clear();
    rig.run->toggleQueryRun();
    ASSERT_TRUE(rig.finish());
    EXPECT_EQ(watcher.outcomes.size(), 4u);
    EXPECT_EQ(watcher.outcomes["顺丰快递 N5"].state, ParcelState::InTransit);

    // Stopped right after a number finished, before the UI thread heard of
    // it: its block reaches the box with the stop, and so does its outcome.
    watcher.outcomes.clear();
    rig.service->hold("签收1");
    rig.service->hold("改3");
    rig.run->toggleQueryRun();
    // The first read held every number; the progress text of 签收1 is shown.
    ASSERT_TRUE(rig.ui->pumpUntil([&] {
        return rig.service->asked().size() == 9 &&
               rig.window.status == "正在为您查询：顺丰快递签收1";
    }));
    rig.service->release("签收1");
    // The UI thread runs nothing meanwhile: the worker goes on to 改3 by itself.
    ASSERT_TRUE(rig.service->waitAsked(10));
    ASSERT_EQ(rig.service->asked().size(), 10u);
    EXPECT_FALSE(rig.resultHas("签收1"));
    rig.run->toggleQueryRun();
    EXPECT_TRUE(rig.resultHas("签收1"));
    EXPECT_EQ(watcher.outcomes.count("顺丰快递 签收1"), 1u);
    rig.service->release("改3");

    rig.run->setWatcher(nullptr);
    watcher.outcomes.clear();
    rig.run->toggleQueryRun();
    ASSERT_TRUE(rig.finish());
    EXPECT_TRUE(watcher.outcomes.empty());
}

// The way "查询未签收" starts: the same run over the numbers a filter lets
// through, asked as the walk reaches them; the same toggle stops it.
TEST(QueryRun, AFilteredRunAsksOnlyTheNumbersItLetsThrough) {
    Rig rig;
    rig.add("顺丰快递", {"S1", "S2", "S3"});
    rig.add("申通快递", {"T1", "T2"});
    std::set<std::string> delivered = {"S1", "S2", "S3", "T1", "T2"};
    int consulted = 0;
    auto open = [&](const std::string&, const std::string& number) {
        ++consulted;
        return delivered.count(number) == 0;
    };
    // Everything delivered: nothing starts, as with no numbers at all.
    rig.run->toggleQueryRun(open);
    EXPECT_EQ(rig.window.caption, kStart);
    EXPECT_EQ(rig.window.writes, 0);
    EXPECT_EQ(consulted, 5);

    delivered = {"S1", "S3"};
    rig.service->hold("T1");
    rig.run->toggleQueryRun(open);
    EXPECT_EQ(rig.window.caption, kStop);
    ASSERT_TRUE(rig.ui->pumpUntil([&] { return rig.service->asked().size() == 2; }));
    // The filter is asked when the walk reads a number: one delivered since
    // then is asked all the same, one read later is left out.
    delivered.insert("T2");
    rig.service->release("T1");
    ASSERT_TRUE(rig.finish());
    EXPECT_EQ(rig.service->asked(), (Texts{"shunfeng:S2", "shentong:T1", "shentong:T2"}));
    EXPECT_FALSE(rig.resultHas("S1"));
    EXPECT_TRUE(rig.resultHas("顺丰快递S2"));

    // While a run goes, the filtered toggle stops it even when the filter
    // would let nothing through.
    rig.service->hold("S1");
    rig.run->toggleQueryRun();
    ASSERT_TRUE(rig.ui->pumpUntil([&] { return rig.service->asked().size() == 4; }));
    delivered = {"S1", "S2", "S3", "T1", "T2"};
    rig.run->toggleQueryRun(open);
    EXPECT_EQ(rig.window.caption, kStart);
    EXPECT_EQ(rig.window.status, std::string(texts::kQueryStopped));
    rig.service->release("S1");
}

TEST(QueryRun, ClosedUiThreadEndsTheWorker) {
    Rig rig;
    rig.add("顺丰快递", {"F1", "F2"});
    rig.service->hold("F1");
    rig.run->toggleQueryRun();
    ASSERT_TRUE(rig.ui->pumpUntil([&] { return rig.service->asked().size() == 1; }));
    rig.ui->close();
    rig.service->release("F1");
    // The closed UI thread runs nothing: this only waits for the worker.
    EXPECT_TRUE(rig.ui->pumpUntil([&] { return rig.run->workerCount() == 0; }));
    EXPECT_EQ(rig.window.result, "");
}

}  // namespace
