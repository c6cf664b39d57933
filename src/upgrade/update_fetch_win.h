// The update check's page reads over HTTP: each fetches one page within the
// page limits and reads it with the page readers of update_page.h.
#pragma once

#include <string>

#include "io/http_fetch_win.h"
#include "io/stop_signal.h"

namespace korvel::upgrade {

// The pages are small: 1 MiB is generous. A page that trickles or never
// ends counts as unreachable once it has taken about 10 s.
inline constexpr io::FetchLimits kPageLimits{1u << 20, 10'000};

// One page within kPageLimits; empty on any failure. stop, when given,
// abandons the fetch.
std::string fetchPage(const std::string& url, io::StopSignal* stop = nullptr);

// The version the announcement page at url announces when it differs from
// current; kNoNewerVersion when it is the same or the page cannot be fetched
// (a network failure counts as being up to date). stop, when given, abandons
// the fetch.
std::string fetchLatestVersion(const std::string& url, const std::string& current,
                               io::StopSignal* stop = nullptr);

// The download-page link of the announcement page; empty when it is missing.
std::string fetchDownloadLink(const std::string& url);

// The direct file address the download page at link gives; empty when the
// link is empty, the page cannot be fetched or holds no address.
std::string resolveDirectLink(const std::string& link);

}  // namespace korvel::upgrade
