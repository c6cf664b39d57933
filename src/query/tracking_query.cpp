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

// Calls onPiece(piece) for each piece after an entry marker, in order, until
// it returns false. Each search starts right after the previous marker,
// which ends on a character boundary, so the scan stays linear and no list
// of pieces is built for a reply that may hold hundreds of thousands.
template <typename OnPiece>
bool forEachRoutePiece(std::string_view reply, OnPiece&& onPiece) {
    const int first = text::find(reply, kEntryMarker);
    if (first == -1) return true;  // the text before the first marker is dropped
    std::string_view rest = reply.substr(static_cast<size_t>(first - 1) + kEntryMarker.size());
    for (;;) {
        const int next = text::find(rest, kEntryMarker);
        if (next == -1) return rest.empty() || onPiece(rest);  // an empty rest is no piece
        if (!onPiece(rest.substr(0, static_cast<size_t>(next - 1)))) return false;
        rest.remove_prefix(static_cast<size_t>(next - 1) + kEntryMarker.size());
    }
}

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
    std::vector<std::string> pieces;
    forEachRoutePiece(replyText, [&](std::string_view piece) {
        pieces.emplace_back(piece);
        return true;
    });
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
    bool first = true;
    const bool going = forEachRoutePiece(reply, [&](std::string_view piece) {
        const RouteEntry entry = cutRouteEntry(piece);
        if (services.entryCut) services.entryCut(entry);
        std::string line = routeLine(entry);
        if (first) line = blockHeading(companyName, number) + std::string(kLineBreak) + line;
        first = false;
        return services.append(line);
    });
    if (first) return services.append(wrongNumberBlock(companyName, number));
    return going;
}

}  // namespace korvel::query
