#include "upgrade/download_watch.h"

#include "upgrade/download_progress.h"
#include "upgrade/upgrade_texts.h"

namespace korvel::upgrade {

NotifyAction DownloadWatch::onNotify(int kind, int value, int task, int currentTask) {
    if (task != currentTask) return NotifyAction::None;
    switch (kind) {
        case kKindStarted:
            totalBytes_ = value;
            ownsFile_ = value >= 0;
            return value < 0 ? NotifyAction::Failed : NotifyAction::Started;
        case kKindComplete:
            complete_ = true;
            return NotifyAction::None;
        case kKindEnded:
            // The count first: the tick reads it once it sees the end.
            endBytes_ = value;
            ended_ = true;
            return NotifyAction::None;
        default:
            return NotifyAction::None;
    }
}

ProgressView DownloadWatch::tick(int64_t received, const std::function<std::string()>& readHead,
                                 const std::function<bool()>& verify) const {
    ProgressView view;
    const int64_t total = totalBytes_;
    if (!ended_) {
        view.status = progressStatusText(received, total);
        view.bar = progressBarPosition(received, total);
        return view;
    }
    view.ended = true;
    const int64_t got = endBytes_;
    if (downloadSucceeded(got, total, complete_, readHead ? readHead() : std::string()) && verify &&
        verify()) {
        view.status = kStatusFinished;
        view.bar = 100;
        view.offerSwitchOver = true;
    } else {
        // The last count stays in view so the user sees how far it got.
        view.status = progressStatusText(got, total);
        view.bar = progressBarPosition(got, total);
        view.failed = true;
        view.removeFile = ownsFile_;
    }
    return view;
}

}  // namespace korvel::upgrade
