// fuzz-sources: src/query/tracking_query.cpp src/text/gbk_text.cpp
// Replies come from the network: cutting must never read out of bounds, every
// block starts with its heading, and nothing shown is made up. The first byte
// picks the mode: an arbitrary reply, or one in the service's shape built from
// the fuzzed texts, whose times and contexts must come back exactly.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "query/tracking_query.h"
#include "text/gbk_text.h"

using namespace korvel;
using namespace korvel::query;

namespace {

constexpr std::string_view kMarker = "time";
const std::string kCompany = "顺丰快递";

void check(bool ok) {
    if (!ok) __builtin_trap();
}

struct Run {
    std::vector<std::string> urls;
    std::vector<std::string> appended;
    bool result = false;
};

Run runQuery(const std::string& number, const std::string& reply, int refuseAfter) {
    Run run;
    QueryServices services;
    services.endpoint = "127.0.0.1:18470";
    services.serviceCodeFor = [](const std::string&) { return std::string("shunfeng"); };
    services.fetch = [&](const std::string& url) {
        run.urls.push_back(url);
        return reply;
    };
    services.append = [&](const std::string& text) {
        if (refuseAfter >= 0 && static_cast<int>(run.appended.size()) >= refuseAfter) return false;
        run.appended.push_back(text);
        return true;
    };
    run.result = queryNumber(kCompany, number, services);
    return run;
}

// Whole characters only (a lone lead byte at the end is dropped), without
// zero bytes, quotes, the entry marker on a character boundary or a leading
// brace or comma: a text that sits inside a quoted value of the service's
// reply without changing its cut.
std::string valueText(std::string_view raw) {
    std::string out;
    for (size_t i = 0; i < raw.size();) {
        if (text::isLeadByte(static_cast<unsigned char>(raw[i]))) {
            if (i + 1 < raw.size() && raw[i + 1] != '\0') out.append(raw.substr(i, 2));
            i += 2;
            continue;
        }
        if (raw[i] != '\0' && raw[i] != '"') out.push_back(raw[i]);
        ++i;
    }
    while (text::find(out, kMarker) != -1) out = text::removeAll(out, kMarker);
    // A leading brace or comma would join the quote before it into an end marker.
    out.erase(0, out.find_first_not_of(",}"));
    return out;
}

// Pieces must tile the reply: a marker-free head (the dropped first piece),
// then "time" + piece for each piece, then at most one bare trailing "time"
// (an empty rest forms no piece).
bool tiles(std::string_view reply, std::string_view tail) {
    if (reply.size() < tail.size() || reply.substr(reply.size() - tail.size()) != tail)
        return false;
    return text::find(reply.substr(0, reply.size() - tail.size()), kMarker) == -1;
}

void checkPiecesTile(std::string_view reply, const std::vector<std::string>& pieces) {
    std::string tail;
    for (const std::string& piece : pieces) {
        check(text::find(piece, kMarker) == -1);
        tail.append(kMarker).append(piece);
    }
    check(tiles(reply, tail) || tiles(reply, tail + std::string(kMarker)));
}

void checkArbitrary(const std::string& number, const std::string& rawReply, int refuseAfter) {
    const std::string reply = text::upToFirstZero(rawReply);
    const std::vector<std::string> pieces = routePieces(reply);
    checkPiecesTile(reply, pieces);

    const std::string heading = blockHeading(kCompany, number);
    check(heading == std::string(48, '-') + "\r\n" + kCompany + number);

    const Run run = runQuery(number, rawReply, refuseAfter);
    check(run.urls.size() == 1);
    check(run.urls[0] == buildQueryUrl("127.0.0.1:18470", "shunfeng", number));
    if (pieces.empty()) {
        if (refuseAfter == 0) {
            check(run.appended.empty() && !run.result);
        } else {
            check(run.appended.size() == 1 && run.result);
            check(run.appended[0] == heading + "\r\n单号错误\r\n");
        }
        return;
    }
    const size_t accepted = refuseAfter >= 0 && static_cast<size_t>(refuseAfter) < pieces.size()
                                ? refuseAfter
                                : pieces.size();
    check(run.appended.size() == accepted);
    check(run.result == (accepted == pieces.size()));
    for (size_t i = 0; i < run.appended.size(); ++i) {
        std::string_view line = run.appended[i];
        if (i == 0) {
            check(line.substr(0, heading.size() + 2) == heading + "\r\n");
            line.remove_prefix(heading.size() + 2);
        }
        // time, one blank, context, CR LF, both cut from the piece itself
        // (they may overlap when a marker is missing).
        const RouteEntry entry = cutRouteEntry(pieces[i]);
        check(line == entry.time + " " + entry.context + "\r\n");
        check(pieces[i].find(entry.time) != std::string::npos);
        check(pieces[i].find(entry.context) != std::string::npos);
    }
}

void checkServiceShape(const std::string& number, std::string_view rest) {
    // Fields separated by 0x01 bytes: time, context, time, context, ...
    std::vector<RouteEntry> entries;
    std::vector<std::string> fields;
    size_t begin = 0;
    for (size_t i = 0; i <= rest.size(); ++i) {
        if (i == rest.size() || rest[i] == '\x01') {
            fields.push_back(valueText(rest.substr(begin, i - begin)));
            begin = i + 1;
        }
    }
    for (size_t i = 0; i + 1 < fields.size(); i += 2) entries.push_back({fields[i], fields[i + 1]});

    std::string reply = "{\"message\":\"ok\",\"nu\":\"1\",\"status\":\"1\",\"data\":[";
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) reply += ",";
        reply +=
            "{\"time\":\"" + entries[i].time + "\",\"context\":\"" + entries[i].context + "\"}";
    }
    reply += "]}";

    const Run run = runQuery(number, reply, -1);
    check(run.result);
    const std::string heading = blockHeading(kCompany, number) + "\r\n";
    if (entries.empty()) {
        check(run.appended.size() == 1 && run.appended[0] == wrongNumberBlock(kCompany, number));
        return;
    }
    check(run.appended.size() == entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string want = (i == 0 ? heading : std::string()) + entries[i].time + " " +
                                 entries[i].context + "\r\n";
        check(run.appended[i] == want);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const unsigned mode = static_cast<unsigned char>(all[0]);
    // The number: up to 7 bytes, as a user may type anything.
    const size_t numberLength =
        std::min<size_t>(static_cast<unsigned char>(all[1]) % 8, all.size() - 2);
    const std::string number(all.substr(2, numberLength));
    const std::string_view rest = all.substr(2 + numberLength);
    if (mode % 2 == 0) {
        // Stop the run after some appends now and then (mode / 2 - 1 of them).
        const int refuseAfter = static_cast<int>(mode / 2 % 8) - 1;
        checkArbitrary(number, std::string(rest), refuseAfter);
    } else {
        checkServiceShape(number, rest);
    }
    return 0;
}
