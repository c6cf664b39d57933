#include "upgrade/update_fetch_win.h"

#include "upgrade/update_page.h"

namespace korvel::upgrade {

std::string fetchPage(const std::string& url, query::StopSignal* stop) {
    return query::httpGet(url, kPageLimits, stop);
}

std::string fetchLatestVersion(const std::string& url, const std::string& current,
                               query::StopSignal* stop) {
    return parseLatestVersion(fetchPage(url, stop), current);
}

std::string fetchDownloadLink(const std::string& url) { return parseDownloadLink(fetchPage(url)); }

std::string resolveDirectLink(const std::string& link) {
    if (link.empty()) return {};
    return parseDirectLink(fetchPage(link));
}

}  // namespace korvel::upgrade
