// The update check's page reads over HTTP: each fetches one page and reads
// it with the page readers of update_page.h.
#pragma once

#include <string>

namespace korvel::upgrade {

// The version the announcement page at url announces when it differs from
// current; kNoNewerVersion when it is the same or the page cannot be fetched
// (a network failure counts as being up to date).
std::string fetchLatestVersion(const std::string& url, const std::string& current);

// The download-page link of the announcement page; empty when it is missing.
std::string fetchDownloadLink(const std::string& url);

// The direct file address the download page at link gives; empty when the
// link is empty, the page cannot be fetched or holds no address.
std::string resolveDirectLink(const std::string& link);

}  // namespace korvel::upgrade
