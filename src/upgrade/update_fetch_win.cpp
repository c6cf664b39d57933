#include "upgrade/update_fetch_win.h"

#include "query/http_fetch_win.h"
#include "upgrade/update_page.h"

namespace korvel::upgrade {

std::string fetchLatestVersion(const std::string& url, const std::string& current) {
    return parseLatestVersion(query::httpGet(url), current);
}

std::string fetchDownloadLink(const std::string& url) {
    return parseDownloadLink(query::httpGet(url));
}

std::string resolveDirectLink(const std::string& link) {
    if (link.empty()) return {};
    return parseDirectLink(query::httpGet(link));
}

}  // namespace korvel::upgrade
