// Batch run costs against the tracking stand-in (started by
// bench/query_bench.py with a fixed 5 ms answer delay, which exports its port):
//   1. 1,000 numbers through the whole run (worker, UI-thread calls, reply
//      cutting, the result EDIT) against a bare loop of the same 1,000
//      WinINet GETs (goal: within 1.10 times its time);
//   2. 2,000 numbers of 20 route lines each: the time of the last 100 numbers
//      against the first 100, so appending must not slow down as the box
//      fills (goal: within 1.5 times).
// The box is not shown: painting under Xvfb costs tens of milliseconds a
// frame and would measure the X server, not the run. Also printed: the
// program's fetch in a plain loop and one UI-thread call round trip.
// QUERY_BENCH_SHORT=1 runs the first figure only; QUERY_BENCH_NOBOX=1 drops
// the appends, to see what the result EDIT itself costs.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <wininet.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "query/http_fetch_win.h"
#include "query/query_run.h"
#include "query/query_texts.h"
#include "query/result_box_win.h"
#include "query/tracking_query.h"
#include "query/ui_thread_call_win.h"
#include "tracking/memory_tree.h"

using namespace korvel::query;
using Clock = std::chrono::steady_clock;

namespace {

std::string endpoint;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::vector<std::string> numbers(int count, const std::string& prefix) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(prefix + std::to_string(1000000 + i));
    return out;
}

// The same GETs with nothing around them: one root handle, then connect,
// request, send, read and close for each URL.
double bareGets(const std::vector<std::string>& nums) {
    HINTERNET root = InternetOpenA("bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    const std::string host = endpoint.substr(0, endpoint.find(':'));
    const auto port = static_cast<INTERNET_PORT>(std::atoi(endpoint.c_str() + host.size() + 1));
    std::vector<char> buffer(102400);
    const auto start = Clock::now();
    for (const auto& n : nums) {
        const std::string path =
            "/?id=" + std::string(kAccessKey) + "&com=shunfeng&nu=" + n + "&type=html|text|json";
        HINTERNET c =
            InternetConnectA(root, host.c_str(), port, "", "", INTERNET_SERVICE_HTTP, 0, 0);
        HINTERNET r = HttpOpenRequestA(c, "GET", path.c_str(), "HTTP/1.0", nullptr, nullptr,
                                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_DONT_CACHE, 0);
        if (HttpSendRequestA(r, nullptr, 0, nullptr, 0)) {
            DWORD got = 0;
            while (InternetReadFile(r, buffer.data(), static_cast<DWORD>(buffer.size()), &got) &&
                   got > 0) {
            }
        }
        InternetCloseHandle(r);
        InternetCloseHandle(c);
    }
    const double took = seconds(Clock::now() - start);
    InternetCloseHandle(root);
    return took;
}

// The program's own fetch in a plain loop: what the run adds beyond it is
// the worker, the UI-thread calls and the box.
double fetchLoop(const std::vector<std::string>& nums) {
    const auto start = Clock::now();
    for (const auto& n : nums) httpGet(buildQueryUrl(endpoint, "shunfeng", n));
    return seconds(Clock::now() - start);
}

// One blocking call from a worker into the UI thread, as each number needs.
double callRoundTrip() {
    auto ui = makeUiThreadCall();
    constexpr int kCalls = 2000;
    std::atomic<bool> done{false};
    const auto start = Clock::now();
    std::thread worker([&] {
        for (int i = 0; i < kCalls; ++i) ui->call([] {});
        done = true;
    });
    while (!done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    worker.join();
    ui->close();
    return seconds(Clock::now() - start) / kCalls;
}

class BenchWindow : public QueryUi {
  public:
    BenchWindow() {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        host_ = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                nullptr, nullptr, nullptr, nullptr);
        edit_ = CreateWindowExW(
            0, L"EDIT", L"",
            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0,
            620, 440, host_, nullptr, nullptr, nullptr);
        box_ = std::make_unique<ResultBox>(edit_);
    }
    ~BenchWindow() override { DestroyWindow(host_); }

    std::string queryButtonCaption() const override { return caption; }
    void setQueryButtonCaption(const std::string& text) override { caption = text; }
    void setStatusText(const std::string& text) override {
        status = text;
        statusTimes.push_back(Clock::now());
    }
    void setResultText(const std::string& text) override { box_->setText(text); }
    void appendResultText(const std::string& text) override {
        if (!std::getenv("QUERY_BENCH_NOBOX")) box_->append(text);
    }
    size_t resultLength() const { return box_->text().size(); }

    std::string caption = std::string(texts::kStartQuery), status;
    std::vector<Clock::time_point> statusTimes;  // one per number, then the end

  private:
    HWND host_ = nullptr, edit_ = nullptr;
    std::unique_ptr<ResultBox> box_;
};

// Runs one batch over the numbers and returns its window for the figures.
double batch(const std::vector<std::string>& nums, BenchWindow& window) {
    korvel::tracking::MemoryTree tree;
    tree.addItems(-1, {"顺丰快递"});
    tree.addItems(0, nums);
    QueryRun run(tree, window, makeUiThreadCall(), endpoint,
                 [](const std::string& url, StopSignal& stop) { return httpGet(url, stop); });
    const auto start = Clock::now();
    run.toggleQueryRun();
    while (window.status != std::string(texts::kQueryFinished)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return seconds(Clock::now() - start);
}

}  // namespace

int main() {
    const char* port = std::getenv("KORVEL_TRACKING_PORT");
    if (!port) {
        std::printf("query_bench: start it through bench/query_bench.py (needs the stand-in)\n");
        return 0;
    }
    endpoint = std::string("127.0.0.1:") + port;

    const auto thousand = numbers(1000, "SF");
    httpGet("http://" + endpoint + "/?nu=warm-up");
    const double bare = bareGets(thousand);
    const double fetches = fetchLoop(thousand);
    BenchWindow first;
    const double run = batch(thousand, first);
    std::printf(
        "1,000 numbers: bare GETs %.2f s, httpGet loop %.2f s, batch run %.2f s, box %zu "
        "bytes\n",
        bare, fetches, run, first.resultLength());
    std::printf("UI-thread call round trip: %.0f us\n", callRoundTrip() * 1e6);
    std::printf("query_batch_vs_bare_gets: %.3f (goal <= 1.10)\n", run / bare);

    BenchWindow second;
    if (std::getenv("QUERY_BENCH_SHORT")) return 0;
    const double longRun = batch(numbers(2000, "LINES20-"), second);
    const auto& t = second.statusTimes;  // t[i]: number i starts; t[2000]: the end
    if (t.size() != 2001) {
        std::printf("query_bench: %zu status updates, expected 2001\n", t.size());
        return 1;
    }
    const double firstHundred = seconds(t[100] - t[0]);
    const double lastHundred = seconds(t[2000] - t[1900]);
    std::printf(
        "2,000 numbers x 20 lines: %.2f s, first 100 %.3f s, last 100 %.3f s, box %zu "
        "bytes\n",
        longRun, firstHundred, lastHundred, second.resultLength());
    std::printf("query_last100_vs_first100: %.3f (goal <= 1.5)\n", lastHundred / firstHundred);
    return 0;
}
