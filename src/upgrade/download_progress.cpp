#include "upgrade/download_progress.h"

namespace korvel::upgrade {

std::string progressStatusText(int64_t received, int64_t total) {
    return std::to_string(received) + " B\\ " + std::to_string(total) + " B";
}

double progressBarPosition(int64_t received, int64_t total) {
    if (total <= 0 || received <= 0) return 0.0;
    const double position = static_cast<double>(received) / static_cast<double>(total) * 100.0;
    return position > 100.0 ? 100.0 : position;
}

bool downloadSucceeded(int64_t received, int64_t announced, bool endedCleanly,
                       std::string_view fileHead) {
    if (!endedCleanly || announced < 0 || received < announced) return false;
    return fileHead.substr(0, 2) == "MZ";
}

}  // namespace korvel::upgrade
