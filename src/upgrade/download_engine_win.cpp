#include "upgrade/download_engine_win.h"

#include <algorithm>
#include <climits>

#include "text/wide_text_win.h"
#include "upgrade/download_transfer_win.h"

namespace korvel::upgrade {

namespace {

constexpr wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr int kMaxConnections = 32;

}  // namespace

DownloadEngine::DownloadEngine()
    : session_(InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) {
    // WinINet keeps to a few connections per server unless told otherwise;
    // the setting is process-wide.
    DWORD connections = kMaxConnections;
    InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &connections,
                       sizeof(connections));
    InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &connections,
                       sizeof(connections));
}

DownloadEngine::~DownloadEngine() {
    std::vector<Running> running;
    {
        std::lock_guard lock(mutex_);
        running.swap(running_);
        current_.reset();
    }
    for (auto& r : running) r.transfer->RequestStop();
    const auto allFinished = [&] {
        return std::all_of(running.begin(), running.end(),
                           [](const Running& r) { return r.transfer->Finished(); });
    };
    for (int waited = 0; !allFinished() && waited < kStopBudgetMs; waited += kStopStepMs)
        Sleep(kStopStepMs);
    bool abandoned = false;
    for (auto& r : running) {
        if (r.transfer->Finished()) {
            r.thread.join();
        } else {
            // A read blocked on a silent server ends only at its time-out;
            // the program must not hang that long on its way out. The thread
            // keeps its transfer alive, and the session stays open for it.
            r.transfer->Abandon();
            r.thread.detach();
            abandoned = true;
        }
    }
    if (abandoned) session_.release();
}

void DownloadEngine::joinFinished() {
    for (auto it = running_.begin(); it != running_.end();) {
        if (it->transfer->Finished()) {
            it->thread.join();
            it = running_.erase(it);
        } else {
            ++it;
        }
    }
}

bool DownloadEngine::Start(const DownloadTask& task) {
    if (!session_ || (task.flags & kTransferUpload) != 0 || task.filePath.empty()) return false;
    auto address = crackHttpAddress(task.url);
    if (!address) return false;
    if (!task.userName.empty()) {
        address->userName = text::toWide(task.userName);
        address->password = text::toWide(task.password);
    }
    if (CurrentTask() != kNoTask) Stop();

    DownloadTask copy = task;
    copy.flags |= kTransferDownload;
    copy.connectionCount = std::clamp(copy.connectionCount, 1, kMaxConnections);
    std::lock_guard lock(mutex_);
    joinFinished();
    const int handle = nextHandle_;
    nextHandle_ = nextHandle_ == INT_MAX ? 1 : nextHandle_ + 1;
    auto transfer =
        std::make_shared<Transfer>(handle, std::move(copy), std::move(*address), session_.get());
    // Current before the thread runs, so its first notification is not
    // taken for a stale one.
    current_ = transfer;
    running_.push_back({transfer, std::thread([transfer] { transfer->Run(); })});
    return true;
}

int DownloadEngine::CurrentTask() const {
    std::lock_guard lock(mutex_);
    return current_ ? current_->Handle() : kNoTask;
}

int64_t DownloadEngine::BytesReceived() const {
    std::lock_guard lock(mutex_);
    return current_ ? current_->Received() : 0;
}

bool DownloadEngine::Stop() {
    std::shared_ptr<Transfer> transfer;
    {
        std::lock_guard lock(mutex_);
        transfer = current_;
    }
    if (!transfer) return true;
    transfer->RequestStop();
    // The lock is not held while waiting: the transfer's last notification
    // asks for the current task.
    for (int waited = 0; !transfer->Finished() && waited < kStopBudgetMs; waited += kStopStepMs)
        Sleep(kStopStepMs);
    std::lock_guard lock(mutex_);
    if (current_ == transfer) current_.reset();
    joinFinished();
    return transfer->Finished();
}

}  // namespace korvel::upgrade
