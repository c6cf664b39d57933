// What the update window knows about one download: the engine's
// notifications arrive on the engine's thread and are recorded here; the
// window's once-a-second tick on the UI thread turns the record into what
// the labels and the bar show, and decides at the end whether the download
// may replace the running program.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace korvel::upgrade {

// The engine's notification kinds the watch reads (the same numbers as
// kNotifyStarted and kNotifyEnded of the engine, which is Win32 code).
inline constexpr int kKindStarted = 3;
inline constexpr int kKindEnded = 4;
inline constexpr int kKindComplete = 5;

// What a notification asks of the UI thread.
enum class NotifyAction {
    None,     // nothing to show
    Started,  // phase "开始下载中", start the once-a-second tick
    Failed,   // the transfer could not begin: phase "开始下载中" then "下载失败", no tick
};

// What one tick shows.
struct ProgressView {
    std::string status;            // the status label
    double bar = 0;                // the progress bar, 0..100
    bool ended = false;            // the transfer is over: stop the tick
    bool failed = false;           // ended without a usable program: phase "下载失败"
    bool removeFile = false;       // failed, and the file is this transfer's own
    bool offerSwitchOver = false;  // ended with a complete program
};

class DownloadWatch {
  public:
    // Engine thread. kind, value and task as the engine delivers them;
    // currentTask is the engine's current task handle. A notification of
    // another task than the current one is ignored.
    NotifyAction onNotify(int kind, int value, int task, int currentTask);

    // UI thread. received: the engine's running count. Once the transfer
    // has ended (the file is closed then): readHead gives the first bytes of
    // the download; verify checks its signature and is asked only when
    // everything else says it is a complete program. A program is offered
    // for the switch-over only when verify says yes.
    ProgressView tick(int64_t received, const std::function<std::string()>& readHead,
                      const std::function<bool()>& verify) const;

    bool ended() const { return ended_; }
    int totalBytes() const { return totalBytes_; }
    // The transfer created its file (it began with a valid size), so a
    // failed one may remove it; a failed start leaves alone a file of that
    // name, which belongs to someone else.
    bool ownsFile() const { return ownsFile_; }

  private:
    std::atomic<int> totalBytes_{0};
    std::atomic<int> endBytes_{0};
    std::atomic<bool> complete_{false};
    std::atomic<bool> ownsFile_{false};
    std::atomic<bool> ended_{false};
};

}  // namespace korvel::upgrade
