#include "query/tracking_query.h"

#include "query/query_texts.h"
#include "text/gbk_text.h"

namespace korvel::query {

namespace {

constexpr std::string_view kEntryMarker = "time";
constexpr std::string_view kValueStart = "\":\"";
constexpr std::string_view kValueEnd = "\",\"";
constexpr std::string_view kContextMarker = "context\":\"";
constexpr std::string_view kObjectEnd = "\"}";
constexpr int kSeparatorLength = 48;
constexpr std::string_view kLineBreak = "\r\n";

}  // namespace

std::string buildQueryUrl(std::string_view endpoint, std::string_view serviceCode,
                          std::string_view number) {
    std::string url = "http://";
    url += endpoint;
    url += "/?id=";
    url += kAccessKey;
    url += "&com=";
    url += serviceCode;
    url += "&nu=";
    url += number;
    url += "&type=html|text|json";
    return url;
}

std::vector<std::string> routePieces(std::string_view replyText) {
    std::vector<std::string> pieces = text::split(replyText, kEntryMarker);
    if (!pieces.empty()) pieces.erase(pieces.begin());
    return pieces;
}

RouteEntry cutRouteEntry(std::string_view piece) {
    // Marker positions may be -1; the arithmetic is kept as it stands, and mid
    // turns out-of-range starts and counts into empty texts.
    const int p1 = text::find(piece, kValueStart);
    const int p2 = text::find(piece, kValueEnd);
    const int q1 = text::find(piece, kContextMarker);
    const int q2 = text::find(piece, kObjectEnd);
    const int valueStart = static_cast<int>(kValueStart.size());
    const int contextStart = static_cast<int>(kContextMarker.size());
    return {text::mid(piece, p1 + valueStart, p2 - p1 - valueStart),
            text::mid(piece, q1 + contextStart, q2 - q1 - contextStart)};
}

std::string blockHeading(std::string_view companyName, std::string_view number) {
    std::string heading(kSeparatorLength, '-');
    heading += kLineBreak;
    heading += companyName;
    heading += number;
    return heading;
}

std::string routeLine(const RouteEntry& entry) {
    std::string line = entry.time;
    line += ' ';
    line += entry.context;
    line += kLineBreak;
    return line;
}

std::string wrongNumberBlock(std::string_view companyName, std::string_view number) {
    std::string block = blockHeading(companyName, number);
    block += kLineBreak;
    block += texts::kWrongNumber;
    block += kLineBreak;
    return block;
}

bool queryNumber(const std::string& companyName, const std::string& number,
                 const QueryServices& services) {
    const std::string code = services.serviceCodeFor(companyName);
    const std::string reply =
        text::upToFirstZero(services.fetch(buildQueryUrl(services.endpoint, code, number)));
    const std::vector<std::string> pieces = routePieces(reply);
    if (pieces.empty()) return services.append(wrongNumberBlock(companyName, number));
    for (size_t i = 0; i < pieces.size(); ++i) {
        std::string line = routeLine(cutRouteEntry(pieces[i]));
        if (i == 0) line = blockHeading(companyName, number) + std::string(kLineBreak) + line;
        if (!services.append(line)) return false;
    }
    return true;
}

}  // namespace korvel::query
