// Batch run costs against the tracking stand-in (started by
// bench/query_bench.py with a fixed 5 ms answer delay, which exports its port):
//   1. 1,000 numbers through the whole run (worker, UI-thread work, reply
//      cutting, the result view) against a bare loop of the same 1,000
//      WinINet GETs (goal: within 1.05 times its time), measured in slices
//      of 100 numbers taken in turn, in one process;
//   2. 2,000 numbers of 20 route lines each: the time of the last 100 numbers
//      against the first 100, so appending must not slow down as the box
//      fills (goal: within 1.5 times);
//   3. 10,000 numbers with the stand-in's ordinary histories in the real main
//      window, shown on the page of the result box, which ends up holding all
//      of them: the run against 10,000 bare GETs, half of them before the
//      run and half after it (goal 1.15), its last 1,000 numbers against its
//      first 1,000 (goal 1.2), and the longest a WM_NULL sent every 100 ms by
//      another process waited for the window's answer from the click to the
//      end (goal 100 ms). The process's private memory before and after that
//      run is printed beside them.
// Runs 1 and 2 keep their box hidden: there the figure is the run's own cost.
// Each part runs in a process of its own, started from a warmed-up stand-in.
// This machine's host may take CPU time away in spells (bench/query_bench.py
// prints how much it took); taking the two sides of a figure in turn keeps
// such spells from falling on one side only.
// QUERY_BENCH_SHORT=1 runs the first figure only, QUERY_BENCH_10K=1 the
// third only; QUERY_BENCH_NOBOX=1 drops the appends of all runs and
// QUERY_BENCH_NOLABEL=1 the progress texts of run 3, to see what the result
// view and the status label cost. "--fetch N" times the program's own fetch
// in a plain loop.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <psapi.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "io/http_fetch_win.h"
#include "query/query_run.h"
#include "query/query_texts.h"
#include "query/tracking_query.h"
#include "query/ui_thread_call_win.h"
#include "skin/skin_toolkit_win.h"
#include "tracking/courier_catalogue.h"
#include "tracking/memory_tree.h"
#include "ui/main_window_win.h"
#include "ui/result_box_win.h"
#include "ui/result_view_win.h"

using namespace korvel::query;
using korvel::ui::ResultBox;
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
// request, send, read and close for each URL, the connection kept between
// them as the program's fetch keeps it.
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
                                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_DONT_CACHE |
                                           INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_KEEP_CONNECTION,
                                       0);
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
    for (const auto& n : nums) korvel::io::httpGet(buildQueryUrl(endpoint, "shunfeng", n));
    return seconds(Clock::now() - start);
}

class BenchWindow : public QueryUi {
  public:
    BenchWindow() {
        korvel::ui::registerResultView();
        host_ = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                nullptr, nullptr, nullptr, nullptr);
        edit_ = CreateWindowExW(WS_EX_CLIENTEDGE, korvel::ui::kResultViewClass, L"",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0, 620, 440, host_, nullptr,
                                nullptr, nullptr);
        box_ = std::make_unique<ResultBox>(edit_);
    }
    ~BenchWindow() override { DestroyWindow(host_); }

    std::string queryButtonCaption() const override { return caption; }
    void setQueryButtonCaption(const std::string& text) override { caption = text; }
    void setStatusText(const std::string& text) override {
        status = text;
        statusTimes.push_back(Clock::now());
    }
    void showProgress(const std::string& text) override { setStatusText(text); }
    void setResultText(const std::string& text) override { box_->setText(text); }
    void appendResultText(const std::string& text) override {
        if (!std::getenv("QUERY_BENCH_NOBOX")) box_->append(text);
    }
    size_t resultLength() const { return box_->text().size(); }
    ResultBox& box() { return *box_; }

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
    auto uiThread = makeUiThreadCall();
    QueryRun run(tree, window, uiThread, endpoint,
                 [](const std::string& url, korvel::io::StopSignal& stop) {
                     return korvel::io::httpGet(url, stop);
                 });
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

// The sampler: another process that sends WM_NULL to the window every
// 100 ms until told to stop, and exits with the longest wait in milliseconds.
int sample(HWND window, const wchar_t* readyName, const wchar_t* stopName) {
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, readyName);
    HANDLE stop = OpenEventW(SYNCHRONIZE, FALSE, stopName);
    if (!ready || !stop) return -1;
    SetEvent(ready);
    double worst = 0;
    while (WaitForSingleObject(stop, 100) == WAIT_TIMEOUT) {
        const auto start = Clock::now();
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer)) break;
        worst = std::max(worst,
                         std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    CloseHandle(ready);
    CloseHandle(stop);
    return static_cast<int>(worst + 0.999);
}

// Samples the window's answers from another process while it lives.
class AnswerSampler {
  public:
    explicit AnswerSampler(HWND window) {
        const std::wstring id = std::to_wstring(GetCurrentProcessId());
        const std::wstring readyName = L"korvel-bench-ready-" + id;
        const std::wstring stopName = L"korvel-bench-stop-" + id;
        ready_ = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
        stop_ = CreateEventW(nullptr, TRUE, FALSE, stopName.c_str());
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring command = L"\"" + std::wstring(self) + L"\" --sample " +
                               std::to_wstring(reinterpret_cast<UINT_PTR>(window)) + L" " +
                               readyName + L" " + stopName;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &si, &process_))
            return;
        CloseHandle(process_.hThread);
        // The sampler is up once it says so; the window answers it meanwhile.
        while (MsgWaitForMultipleObjects(1, &ready_, FALSE, 10000, QS_ALLINPUT) ==
               WAIT_OBJECT_0 + 1) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
    }
    ~AnswerSampler() {
        if (process_.hProcess) finish();
        CloseHandle(ready_);
        CloseHandle(stop_);
    }
    // Stops the sampler; its longest wait in milliseconds, -1 without one.
    int finish() {
        if (!process_.hProcess) return -1;
        SetEvent(stop_);
        DWORD code = static_cast<DWORD>(-1);
        while (MsgWaitForMultipleObjects(1, &process_.hProcess, FALSE, 60000, QS_ALLINPUT) ==
               WAIT_OBJECT_0 + 1) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        GetExitCodeProcess(process_.hProcess, &code);
        CloseHandle(process_.hProcess);
        process_.hProcess = nullptr;
        return static_cast<int>(code);
    }

  private:
    HANDLE ready_ = nullptr, stop_ = nullptr;
    PROCESS_INFORMATION process_{};
};

double privateMegabytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // Wine leaves PrivateUsage at 0; the commit charge it does fill is the same figure.
    const SIZE_T bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// User and kernel time a thread or a process has had, in seconds.
double cpuSeconds(HANDLE of, bool process) {
    FILETIME created, exited, kernel, user;
    const BOOL ok = process ? GetProcessTimes(of, &created, &exited, &kernel, &user)
                            : GetThreadTimes(of, &created, &exited, &kernel, &user);
    if (!ok) return 0;
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

// The real main window, with the times each status text was shown.
class TimedMainWindow : public korvel::ui::MainWindow {
  public:
    using MainWindow::MainWindow;
    void setStatusText(const std::string& text) override {
        MainWindow::setStatusText(text);
        statusTimes.push_back(Clock::now());
    }
    void showProgress(const std::string& text) override {
        if (!std::getenv("QUERY_BENCH_NOLABEL")) MainWindow::showProgress(text);
        statusTimes.push_back(Clock::now());
    }
    void appendResultText(const std::string& text) override {
        const auto start = Clock::now();
        if (!std::getenv("QUERY_BENCH_NOBOX")) MainWindow::appendResultText(text);
        boxTime += Clock::now() - start;
        ++appends;
    }
    Clock::duration boxTime{};
    int appends = 0;
    std::vector<Clock::time_point> statusTimes;
};

void pumpUntil(const std::function<bool()>& done) {
    while (!done()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

// 10,000 numbers under one company of the 79, as an imported template holds
// them, queried through the real window.
// The last line printed is the run's time in seconds, 0 when it failed.
bool tenThousand(int kCount) {
    const auto nums = numbers(kCount, "SF");
    if (!korvel::skin::InitToolkit()) return false;
    char tmp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, tmp);
    std::string folder = tmp;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    // The window keeps its outcomes as the program does, in a folder of its own.
    struct StoreFolder {
        std::string path;
        ~StoreFolder() {
            for (const char* name : {"\\outcomes.txt", "\\outcomes.lock"})
                DeleteFileA((path + name).c_str());
            RemoveDirectoryA(path.c_str());
        }
    } store{folder + "\\korvel_query_bench_" + std::to_string(GetCurrentProcessId())};
    CreateDirectoryA(store.path.c_str(), nullptr);
    TimedMainWindow window(korvel::ui::ProgramPlace{folder, "korvel.exe", store.path}, endpoint);
    if (!window.create(SW_SHOW)) return false;
    window.selectPage(2);
    std::vector<korvel::tracking::TreeItem> items;
    for (const auto& name : korvel::tracking::CourierCatalogue::displayNames()) {
        items.push_back({name, {}, {}});
        if (name == "顺丰快递")
            for (const auto& n : nums) items.back().children.push_back({n, {}, {}});
    }
    window.tree().replaceAll(items);
    pumpUntil([&] { return window.tree().itemCount() == kCount + 79; });
    const auto settle = Clock::now() + std::chrono::milliseconds(500);
    pumpUntil([&] { return Clock::now() >= settle; });
    const double idle = privateMegabytes();

    AnswerSampler sampler(window.handle());
    const double uiBefore = cpuSeconds(GetCurrentThread(), false);
    const double processBefore = cpuSeconds(GetCurrentProcess(), true);
    const auto start = Clock::now();
    window.toggleQueryRun();
    const std::string finished(texts::kQueryFinished);
    pumpUntil([&] { return window.statusText() == finished; });
    const auto end = Clock::now();
    const double uiCpu = cpuSeconds(GetCurrentThread(), false) - uiBefore;
    const double processCpu = cpuSeconds(GetCurrentProcess(), true) - processBefore;
    const int worst = sampler.finish();
    const double after = privateMegabytes();

    const auto& t = window.statusTimes;  // t[i]: number i starts; t[kCount]: the end
    if (t.size() != static_cast<size_t>(kCount) + 1) {
        std::printf("query_bench: %zu status updates, expected %d\n", t.size(), kCount + 1);
        return false;
    }
    const double run = seconds(end - start);
    const double first = seconds(t[1000] - t[0]);
    const double last = seconds(t[kCount] - t[kCount - 1000]);
    std::printf(
        "10,000 numbers in the main window: run %.1f s (first number asked after %.0f ms), "
        "first 1,000 %.1f s, last 1,000 %.1f s, box %zu bytes in %d appends taking %.1f s\n",
        run, seconds(t[0] - start) * 1000, first, last, window.resultText().size(), window.appends,
        seconds(window.boxTime));
    std::printf("CPU time of the run: UI thread %.1f s, the whole process %.1f s\n", uiCpu,
                processCpu);
    std::printf("query_10k_last1000_over_first1000: %.3f (goal <= 1.2)\n", last / first);
    std::printf("query_10k_worst_ui_answer_ms: %d (goal <= 100)\n", worst);
    std::printf("query_10k_private_mb_idle: %.1f (figure, no goal)\n", idle);
    std::printf("query_10k_private_mb_after_run: %.1f (figure, no goal)\n", after);
    std::printf("%.6f\n", run);
    return true;
}

// Runs this program again for one part of the measure and returns the
// number it prints. Every part starts in a fresh process: under Wine each
// WinINet request of a process costs more than the one before (2,000 bare
// GETs slowed from 4.1 s to 6.0 s per 500), so a part measured after another
// in the same process would pay for the requests before it.
double part(const std::string& arguments) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" " + std::wstring(arguments.begin(), arguments.end());
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &si, &pi);
    CloseHandle(writeEnd);
    std::string out;
    char buffer[4096];
    DWORD got = 0;
    while (started && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
        out.append(buffer, got);
    CloseHandle(readEnd);
    if (!started) return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    // The part's own lines pass on; its last line is the number.
    const size_t end = out.find_last_not_of("\r\n");
    if (end == std::string::npos) return -1;
    const size_t lineStart = out.find_last_of('\n', end);
    const size_t numberAt = lineStart == std::string::npos ? 0 : lineStart + 1;
    std::fwrite(out.data(), 1, numberAt, stdout);
    std::fflush(stdout);
    return std::atof(out.c_str() + numberAt);
}

}  // namespace

int longRun();
int tenThousandPart(int n);

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--sample") {
        const std::wstring ready(argv[3], argv[3] + std::strlen(argv[3]));
        const std::wstring stop(argv[4], argv[4] + std::strlen(argv[4]));
        return sample(reinterpret_cast<HWND>(std::strtoull(argv[2], nullptr, 10)), ready.c_str(),
                      stop.c_str());
    }
    const char* port = std::getenv("KORVEL_TRACKING_PORT");
    if (!port) {
        std::printf("query_bench: start it through bench/query_bench.py (needs the stand-in)\n");
        return 0;
    }
    endpoint = std::string("127.0.0.1:") + port;
    // The parts, each in a process of its own (see part()).
    const std::string what = argc >= 2 ? argv[1] : "";
    const int count = argc >= 3 ? std::atoi(argv[2]) : 0;
    if (what == "--round-trips") {
        // bench/round_trip_bench.py: a run from a cold start, its first
        // connection included, against a stand-in that plays a distant server.
        BenchWindow window;
        const double run = batch(numbers(count, "SF"), window);
        std::printf("%d numbers: %.2f s\n%.6f\n", count, run, run);
        return 0;
    }
    korvel::io::httpGet("http://" + endpoint + "/?nu=warm-up");
    if (what == "--bare") {
        std::printf("%.6f\n", bareGets(numbers(count, "SF")));
        return 0;
    }
    if (what == "--fetch") {
        std::printf("%.6f\n", fetchLoop(numbers(count, "SF")));
        return 0;
    }
    if (what == "--paired") {
        // Slices of bare GETs and of batch runs in turn, in the order ABBA,
        // so a spell of a busy host falls on both alike.
        constexpr int kSlice = 100;
        const auto all = numbers(count, "SF");
        double bare = 0, run = 0;
        for (int k = 0; k * kSlice < count; ++k) {
            const std::vector<std::string> slice(all.begin() + k * kSlice,
                                                 all.begin() + std::min(count, (k + 1) * kSlice));
            auto bareSlice = [&] { bare += bareGets(slice); };
            auto runSlice = [&] {
                BenchWindow window;
                run += batch(slice, window);
            };
            if (k % 2 == 0) {
                bareSlice();
                runSlice();
            } else {
                runSlice();
                bareSlice();
            }
        }
        std::printf(
            "%d numbers in slices of %d, bare GETs and batch runs in turn: bare GETs "
            "%.2f s, batch runs %.2f s\n%.6f\n",
            count, kSlice, bare, run, run / bare);
        return 0;
    }
    if (what == "--batch") {
        BenchWindow first;
        const double run = batch(numbers(count, "SF"), first);
        std::printf("box %zu bytes\n%.6f\n", first.resultLength(), run);
        return 0;
    }
    if (what == "--ten-thousand") {
        if (tenThousand(count)) return 0;
        std::printf("0\n");
        return 1;
    }
    if (what == "--long") return longRun();

    if (const char* asked = std::getenv("QUERY_BENCH_10K")) {
        // QUERY_BENCH_10K=n with n > 1000 runs n numbers instead, to try things out.
        const int n = std::atoi(asked) > 1000 ? std::atoi(asked) : 10000;
        return tenThousandPart(n);
    }

    std::printf("query_batch_vs_bare_gets: %.3f (goal <= 1.05)\n", part("--paired 1000"));
    if (std::getenv("QUERY_BENCH_SHORT")) return 0;
    if (part("--long") != 0) return 1;
    return tenThousandPart(10000);
}

// The run of n numbers against n bare GETs, half of them before the run and
// half after it, so a host that grows busier or quieter meanwhile weighs on
// both alike.
int tenThousandPart(int n) {
    const double before = part("--bare " + std::to_string(n / 2));
    const double run = part("--ten-thousand " + std::to_string(n));
    if (run <= 0) return 1;
    const double after = part("--bare " + std::to_string(n - n / 2));
    std::printf("%d bare GETs: %.1f s before the run, %.1f s after it\n", n, before, after);
    std::printf("query_10k_run_over_bare_gets: %.3f (goal <= 1.15)\n", run / (before + after));
    return 0;
}

// 2,000 numbers of 20 route lines each: the last 100 against the first 100.
int longRun() {
    BenchWindow second;
    const double longRun = batch(numbers(2000, "LINES20-"), second);
    const auto& t = second.statusTimes;  // t[i]: number i starts; t[2000]: the end
    if (t.size() != 2001) {
        std::printf("query_bench: %zu status updates, expected 2001\n1\n", t.size());
        return 1;
    }
    const double firstHundred = seconds(t[100] - t[0]);
    const double lastHundred = seconds(t[2000] - t[1900]);
    std::printf(
        "2,000 numbers x 20 lines: %.2f s, first 100 %.3f s, last 100 %.3f s, box %zu "
        "bytes\n",
        longRun, firstHundred, lastHundred, second.resultLength());
    std::printf("query_last100_vs_first100: %.3f (goal <= 1.5)\n", lastHundred / firstHundred);
    std::printf("0\n");
    return 0;
}
