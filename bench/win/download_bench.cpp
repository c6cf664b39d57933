// Download engine throughput against the update stand-in (started by
// bench/download_bench.py, which exports its port):
//   1. each connection limited to a fixed rate: 8 connections against 1
//      (goal: at least 5 times as fast);
//   2. no limit: the engine as the upgrade runs it against one plain WinINet
//      read loop into a file (goal: within 1.2 times its time);
//   3. how long Stop takes on a transfer that is receiving (goal: 500 ms,
//      well inside the engine's stop budget).
// Each figure is the best of a few interleaved runs.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "io/handles_win.h"
#include "text/wide_text_win.h"
#include "upgrade/download_engine_win.h"

using namespace korvel::upgrade;

namespace {

constexpr int kFileBytes = 64 * 1024 * 1024;
constexpr int kRateBytesPerSecond = 4 * 1024 * 1024;
// The rate-limited runs take some 18 s each, the unlimited ones a fraction
// of a second, which the machine's other work can easily double.
constexpr int kLimitedRuns = 2;
constexpr int kUnlimitedRuns = 9;

std::string base;

std::string get(const std::string& url, const std::string& file = "") {
    korvel::io::InternetHandle session(
        InternetOpenW(L"korvel-bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    korvel::io::InternetHandle request(
        InternetOpenUrlW(session.get(), korvel::text::toWide(url).c_str(), nullptr, 0,
                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request) return {};
    korvel::io::FileHandle out;
    if (!file.empty())
        out.reset(CreateFileW(korvel::text::toWide(file).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string body, buffer(64 * 1024, '\0');
    size_t total = 0;
    DWORD got = 0;
    while (
        InternetReadFile(request.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got) &&
        got > 0) {
        total += got;
        if (out) {
            DWORD written = 0;
            WriteFile(out.get(), buffer.data(), got, &written, nullptr);
        } else {
            body.append(buffer, 0, got);
        }
    }
    return out ? std::to_string(total) : body;
}

double seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

// One engine transfer in seconds; negative when it came up short.
double engineSeconds(DownloadEngine& engine, int connections, const std::string& file) {
    std::mutex mutex;
    std::condition_variable ended;
    int received = -1;
    DownloadTask task;
    task.url = base + "/files/korvel.exe";
    task.filePath = file;
    task.connectionCount = connections;
    task.callback = [&](int kind, int, int value, int, int) {
        if (kind != kNotifyEnded) return;
        std::lock_guard lock(mutex);
        received = value;
        ended.notify_all();
    };
    // The engine never writes over an existing file: each run starts afresh.
    DeleteFileW(korvel::text::toWide(file).c_str());
    LARGE_INTEGER began, done;
    QueryPerformanceCounter(&began);
    if (!engine.Start(task)) return -1;
    std::unique_lock lock(mutex);
    ended.wait(lock, [&] { return received >= 0; });
    QueryPerformanceCounter(&done);
    return received == kFileBytes ? seconds(began, done) : -1;
}

// Milliseconds Stop takes once a slow transfer has received its first bytes;
// negative when the transfer never got going or did not stop.
double stopMilliseconds(DownloadEngine& engine, const std::string& file) {
    DownloadTask task;
    task.url = base + "/files/korvel.exe";
    task.filePath = file;
    task.connectionCount = 1;
    task.callback = [](int, int, int, int, int) {};
    DeleteFileW(korvel::text::toWide(file).c_str());
    if (!engine.Start(task)) return -1;
    for (int i = 0; i < 3000 && engine.BytesReceived() == 0; ++i) Sleep(1);
    if (engine.BytesReceived() == 0) return -1;
    LARGE_INTEGER began, done;
    QueryPerformanceCounter(&began);
    const bool stopped = engine.Stop();
    QueryPerformanceCounter(&done);
    return stopped ? 1000 * seconds(began, done) : -1;
}

double plainSeconds(const std::string& file) {
    LARGE_INTEGER began, done;
    QueryPerformanceCounter(&began);
    const std::string got = get(base + "/files/korvel.exe", file);
    QueryPerformanceCounter(&done);
    return got == std::to_string(kFileBytes) ? seconds(began, done) : -1;
}

// Best of runs for each measure, the runs interleaved so that a busy
// moment of the machine does not fall on one side only.
template <typename... Measures>
std::array<double, sizeof...(Measures)> bestOf(int runs, Measures... measures) {
    std::array<double, sizeof...(Measures)> best;
    best.fill(1e9);
    for (int run = 0; run < runs; ++run) {
        size_t i = 0;
        for (double t : {measures()...}) {
            best[i] = t < 0 || best[i] < 0 ? -1 : std::min(best[i], t);
            ++i;
        }
    }
    return best;
}

}  // namespace

int main() {
    wchar_t port[16];
    const DWORD n = GetEnvironmentVariableW(L"KORVEL_UPDATE_PORT", port, 16);
    if (n == 0 || n >= 16) {
        std::printf("download_bench: needs the update stand-in; run bench/download_bench.py\n");
        return 0;
    }
    base = "http://127.0.0.1:" + korvel::text::toGbk(port);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::string file = korvel::text::toGbk(temp) + "korvel_download_bench.bin";
    DownloadEngine engine;

    if (get(base + "/control?size=" + std::to_string(kFileBytes) +
            "&rate=" + std::to_string(kRateBytesPerSecond)) != "ok") {
        std::printf("download_bench: the stand-in refused the settings\n");
        return 1;
    }
    const auto limited = bestOf(
        kLimitedRuns, [&] { return engineSeconds(engine, 1, file); },
        [&] { return engineSeconds(engine, 8, file); });
    const double one = limited[0], eight = limited[1];
    std::printf("rate-limited %d B/s per connection, 64 MiB: 1 connection %.2f s, 8: %.2f s\n",
                kRateBytesPerSecond, one, eight);

    get(base + "/control?rate=0");
    const auto unlimited = bestOf(
        kUnlimitedRuns, [&] { return plainSeconds(file); },
        [&] { return engineSeconds(engine, 25, file); },
        [&] { return engineSeconds(engine, 1, file); });
    const double plain = unlimited[0], engineBest = unlimited[1];
    std::printf(
        "unlimited, 64 MiB: plain WinINet loop %.2f s, engine 25 connections %.2f s, "
        "engine 1 connection %.2f s\n",
        plain, engineBest, unlimited[2]);

    get(base + "/control?rate=200000&size=20000000");
    const auto stop = bestOf(kUnlimitedRuns, [&] { return stopMilliseconds(engine, file); });
    get(base + "/control?rate=0");
    std::printf("stop of a transfer receiving at 200 kB/s: %.0f ms\n", stop[0]);
    DeleteFileW(korvel::text::toWide(file).c_str());
    if (one < 0 || eight < 0 || plain < 0 || engineBest < 0 || stop[0] < 0) {
        std::printf("download_bench: a transfer came up short\n");
        return 1;
    }
    std::printf("download_8_vs_1_connections_rate_limited: %.2f (goal >= 5)\n", one / eight);
    std::printf("download_engine_vs_plain_wininet_time: %.2f (goal <= 1.2)\n", engineBest / plain);
    std::printf("download_stop_ms: %.0f (goal <= 500)\n", stop[0]);
    return 0;
}
