#include "ui/outcome_keeper_win.h"

#include <windows.h>

#include <chrono>

#include "io/file_io_win.h"
#include "io/handles_win.h"
#include "query/ui_thread_call_win.h"
#include "text/wide_text_win.h"

namespace korvel::ui {

using tracking::OutcomeRecord;
using tracking::Seconds;

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kFileName[] = "\\outcomes.txt";
constexpr char kLockName[] = "\\outcomes.lock";
// New outcomes go to the file at most this often: a crash loses at most
// these last seconds of them.
constexpr auto kSyncGap = std::chrono::seconds(2);
// After a failed sync (a folder that went read-only, a full disk) the next
// try waits longer.
constexpr auto kRetryGap = std::chrono::seconds(30);
// Another copy holds the lock for one read and one write of the file.
constexpr int kLockTries = 250;
constexpr int kDeniedTries = 5;
constexpr DWORD kLockPollMs = 20;
// Far beyond 90 days of any list; a file this large is no store of ours.
constexpr std::uint64_t kMaxFileBytes = std::uint64_t{256} << 20;
constexpr auto kSyncNowWait = std::chrono::seconds(30);
// FILETIME counts 100 ns from 1601; 1970 is this far on.
constexpr std::int64_t kEpochTicks = 116444736000000000LL;
constexpr std::int64_t kTicksPerSecond = 10000000;

// The lock file opened with no sharing: whoever holds it open syncs; the
// others wait until it is closed, which a crash does too. Closing deletes
// it, so the folder holds only the store between syncs. While it is being
// deleted an open is refused as denied, briefly; a folder that cannot be
// written refuses the same way for good, so those tries are few.
io::FileHandle takeLock(const std::string& path) {
    const std::wstring wide = text::toWide(path);
    int denied = 0;
    for (int attempt = 0; attempt < kLockTries; ++attempt) {
        HANDLE h =
            CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) return io::FileHandle(h);
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION &&
            (error != ERROR_ACCESS_DENIED || ++denied > kDeniedTries))
            break;
        Sleep(kLockPollMs);
    }
    return {};
}

Seconds secondsOf(const FILETIME& time) {
    const std::int64_t ticks =
        (static_cast<std::int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return (ticks - kEpochTicks) / kTicksPerSecond;
}

}  // namespace

std::string OutcomeKeeper::fileIn(const std::string& folder) { return folder + kFileName; }

Seconds OutcomeKeeper::now() {
    FILETIME time{};
    GetSystemTimeAsFileTime(&time);
    return secondsOf(time);
}

std::string OutcomeKeeper::localMinuteText(Seconds utc) {
    const std::int64_t ticks = utc * kTicksPerSecond + kEpochTicks;
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME system{}, local{};
    FILETIME localTime{};
    // The zone's rule at that date, summer time included.
    if (!FileTimeToSystemTime(&time, &system) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &system, &local) ||
        !SystemTimeToFileTime(&local, &localTime))
        return tracking::minuteText(utc);
    return tracking::minuteText(secondsOf(localTime));
}

OutcomeKeeper::OutcomeKeeper(std::string folder, News onNews)
    : file_(fileIn(folder)),
      lockFile_(folder + kLockName),
      onNews_(std::move(onNews)),
      uiThread_(query::makeUiThreadCall()) {
    thread_ = std::thread([this] { run(); });
}

OutcomeKeeper::~OutcomeKeeper() {
    {
        std::lock_guard lock(mutex_);
        ++asked_;
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
    // News not yet heard is dropped: the window is going.
    if (uiThread_) uiThread_->close();
}

void OutcomeKeeper::start() {
    {
        std::lock_guard lock(mutex_);
        ++asked_;
    }
    changed_.notify_all();
}

void OutcomeKeeper::add(OutcomeRecord record) {
    {
        std::lock_guard lock(mutex_);
        records_.push_back(std::move(record));
    }
    changed_.notify_all();
}

void OutcomeKeeper::seen(Numbers numbers) {
    {
        std::lock_guard lock(mutex_);
        seen_.insert(seen_.end(), std::make_move_iterator(numbers.begin()),
                     std::make_move_iterator(numbers.end()));
    }
    changed_.notify_all();
}

bool OutcomeKeeper::syncNow() {
    std::unique_lock lock(mutex_);
    const unsigned target = ++asked_;
    changed_.notify_all();
    const bool served = changed_.wait_for(lock, kSyncNowWait,
                                          [&] { return static_cast<int>(served_ - target) >= 0; });
    return served && lastOk_;
}

void OutcomeKeeper::run() {
    auto next = Clock::now();
    std::unique_lock lock(mutex_);
    for (;;) {
        if (asked_ == served_) {
            const bool work = !records_.empty() || !seen_.empty() || sync_.pending();
            if (stopping_) return;
            if (!work) {
                changed_.wait(lock);
                continue;
            }
            if (Clock::now() < next) {
                changed_.wait_until(lock, next);
                continue;
            }
        }
        const unsigned target = asked_;
        std::vector<OutcomeRecord> records = std::move(records_);
        records_.clear();
        Numbers seen = std::move(seen_);
        seen_.clear();
        lock.unlock();
        const bool ok = syncOnce(std::move(records), std::move(seen));
        lock.lock();
        served_ = target;
        lastOk_ = ok;
        next = Clock::now() + (ok ? kSyncGap : kRetryGap);
        changed_.notify_all();
    }
}

bool OutcomeKeeper::syncOnce(std::vector<OutcomeRecord> records, Numbers seen) {
    for (auto& record : records) sync_.add(std::move(record));
    if (!seen.empty()) sync_.seen(std::move(seen), now());
    const io::FileHandle lock = takeLock(lockFile_);
    if (!lock) return false;
    std::string bytes;
    if (io::fileExists(file_)) {
        // One that cannot be read is left as it is, never written over.
        std::optional<std::string> read = io::readWholeFile(file_, kMaxFileBytes);
        if (!read) return false;
        bytes = std::move(*read);
    }
    tracking::OutcomeSync::Result result = sync_.sync(bytes, now());
    const bool ok = !result.write || io::writeFileSafely(file_, *result.write);
    if (ok) sync_.done();
    if (!result.news.empty() && uiThread_) {
        tracking::OutcomeStore news;
        for (const auto& record : result.news) news.merge(record);
        uiThread_->post(
            [onNews = onNews_, news = std::move(news)]() mutable { onNews(std::move(news)); }, 0);
    }
    return ok;
}

}  // namespace korvel::ui
