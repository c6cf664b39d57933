// The download engine of the online upgrade: fetches one web address into
// one local file on a thread of its own, over several connections at once
// when the server serves byte ranges, and tells its owner through the task's
// callback when the transfer has begun and when it has ended.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "io/handles_win.h"

namespace korvel::upgrade {

class Transfer;

inline constexpr int kTransferDownload = 0x1000;
inline constexpr int kTransferUpload = 0x2000;

// Notification kinds. Started carries the total size (negative when the
// transfer failed at its start, 0 when the server gave none); Ended, sent
// when the transfer thread ends for whatever reason, carries the bytes
// received. Complete comes just before Ended, and only when the file arrived
// whole: every byte of a known size, or a response of unknown size read to
// a clean end (no reset, no broken chunked body, no stop, no write error).
inline constexpr int kNotifyStarted = 3;
inline constexpr int kNotifyEnded = 4;
inline constexpr int kNotifyComplete = 5;

inline constexpr int kNoTask = -1;

// How long Stop waits for the transfer thread, in steps of kStopStepMs.
inline constexpr int kStopBudgetMs = 3000;
inline constexpr int kStopStepMs = 20;

// kind, task handle, value, reserved (0), task handle again. Called on the
// transfer thread; it must return quickly.
using DownloadCallback =
    std::function<void(int kind, int task, int value, int reserved, int sameTask)>;

// What one transfer is to do. The upgrade fills flags, url, filePath,
// connectionCount and callback; the rest keep their defaults.
struct DownloadTask {
    int flags = kTransferDownload;
    std::string url;       // http:// or https:// address, GBK
    std::string filePath;  // created new, GBK; an existing file fails the start
    std::string userName;  // for servers that need a log-in
    std::string password;
    int connectionCount = 1;  // the most parts fetched at the same time
    DownloadCallback callback;
};

class DownloadEngine {
  public:
    DownloadEngine();
    // Stops every transfer and waits for the threads within kStopBudgetMs; a
    // thread still blocked after that is left to end on its own, silenced.
    ~DownloadEngine();
    DownloadEngine(const DownloadEngine&) = delete;
    DownloadEngine& operator=(const DownloadEngine&) = delete;

    // Starts a transfer on a new thread and makes it the current one (a
    // transfer still current is stopped first). False, with nothing
    // notified, when the task is no download or its address is no http or
    // https address.
    bool Start(const DownloadTask& task);

    // The current transfer's handle, kNoTask when there is none. A transfer
    // that has ended stays current until Stop or the next Start.
    int CurrentTask() const;

    // Bytes of the current transfer received so far; 0 without one.
    int64_t BytesReceived() const;

    // Flags the current transfer to stop, waits for its thread in steps of
    // kStopStepMs for at most kStopBudgetMs, and clears the current task.
    // True when the thread ended within the budget (or there was none).
    bool Stop();

  private:
    struct Running {
        std::shared_ptr<Transfer> transfer;
        std::thread thread;
    };

    void joinFinished();  // with mutex_ held

    io::InternetHandle session_;
    mutable std::mutex mutex_;
    std::vector<Running> running_;
    std::shared_ptr<Transfer> current_;
    int nextHandle_ = 1;
};

}  // namespace korvel::upgrade
