// One tracking query: the request URL of the tracking service, and the cutting
// of its reply into route lines. The reply is not parsed as JSON; it is cut at
// fixed markers, and those cutting rules are what the user sees, so they are
// kept exactly (including their odd results on replies of another shape).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::query {

// Identifies this client to the tracking service.
inline constexpr std::string_view kAccessKey = "5F0E3A9C21B74D68A0C3E19B7D2F4A61";

// "http://" endpoint "/?id=" key "&com=" code "&nu=" number "&type=html|text|json".
// The number goes in as it is; the fetch protects the request line.
std::string buildQueryUrl(std::string_view endpoint, std::string_view serviceCode,
                          std::string_view number);

struct RouteEntry {
    std::string time;
    std::string context;

    bool operator==(const RouteEntry&) const = default;
};

// Pieces of the reply text after each "time" marker; the text before the
// first marker is dropped, an empty rest after the last one forms no piece.
std::vector<std::string> routePieces(std::string_view replyText);

// Time and context cut from one piece, byte for byte, no unescaping.
RouteEntry cutRouteEntry(std::string_view piece);

// Line of 48 hyphens, CR LF, company and number run together.
std::string blockHeading(std::string_view companyName, std::string_view number);

// Time, one blank, context, CR LF.
std::string routeLine(const RouteEntry& entry);

// The whole block shown for a number whose reply holds no route entry.
std::string wrongNumberBlock(std::string_view companyName, std::string_view number);

// What queryNumber needs from the rest of the program, so it runs the same
// on the worker thread and in tests.
struct QueryServices {
    std::string endpoint;  // host[:port]
    std::function<std::string(const std::string& name)> serviceCodeFor;
    std::function<std::string(const std::string& url)> fetch;  // body bytes
    // Adds text at the end of the result box; false once the run is over, and
    // then nothing more is appended.
    std::function<bool(const std::string& text)> append;
    // Optional: sees each route entry as it is cut, before its line goes out.
    std::function<void(const RouteEntry& entry)> entryCut;
};

// Queries one number and appends its block line by line. Returns false when
// an append was refused (the run was stopped).
bool queryNumber(const std::string& companyName, const std::string& number,
                 const QueryServices& services);

}  // namespace korvel::query
