#include "upgrade/update_fetch_win.h"

#include "upgrade/update_page.h"

namespace korvel::upgrade {

std::string fetchPage(const std::string& url, io::StopSignal* stop) {
    return io::httpGet(url, kPageLimits, stop);
}

std::string fetchLatestVersion(const std::string& url, const std::string& current,
                               io::StopSignal* stop) {
    return parseLatestVersion(fetchPage(url, stop), current);
}

std::string fetchDownloadLink(const std::string& url) { return parseDownloadLink(fetchPage(url)); }

std::string resolveDirectLink(const std::string& link) {
    if (link.empty()) return {};
    return parseDirectLink(fetchPage(link));
}

}  // namespace korvel::upgrade
