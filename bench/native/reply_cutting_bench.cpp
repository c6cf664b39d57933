// Cutting a reply into route lines must stay linear in its size: a 1 MiB
// reply may cost at most 8 x 1.2 what a 128 KiB one costs. Two shapes: the
// service's own (route entries with GBK contexts), and a reply made of
// nothing but the entry marker, the most pieces a reply can hold. Each
// figure is the whole of queryNumber with a canned fetch and an append into
// one growing text.
#include <cstdio>
#include <string>

#include "cpu_clock.h"
#include "query/tracking_query.h"

using namespace korvel::query;
using korvel::bench::bestCpuSeconds;

namespace {

constexpr size_t k128KiB = 128 * 1024;
constexpr size_t k1MiB = 1024 * 1024;

std::string serviceReply(size_t bytes) {
    std::string reply = "{\"message\":\"ok\",\"nu\":\"YT9000000001\",\"status\":\"1\",\"data\":[";
    for (int i = 0; reply.size() < bytes; ++i) {
        if (i > 0) reply += ",";
        reply += "{\"time\":\"2012-05-" + std::to_string(10 + i % 20) +
                 " 08:" + std::to_string(10 + i % 50) +
                 ":00\",\"context\":\"【上海市】快件已到达 " +
                 "上海转运中心，签收人：\\\"张三\\\"，编号" + std::to_string(i) + "\"}";
    }
    return reply + "]}";
}

std::string markersOnly(size_t bytes) {
    std::string reply;
    while (reply.size() < bytes) reply += "time";
    return reply;
}

// CPU seconds of one query of the reply, best of a few runs.
double cutSeconds(const std::string& reply, size_t& sink) {
    std::string box;
    QueryServices services;
    services.endpoint = "127.0.0.1:18470";
    services.serviceCodeFor = [](const std::string&) { return std::string("yuantong"); };
    services.fetch = [&](const std::string&) { return reply; };
    services.append = [&](const std::string& text) {
        box += text;
        return true;
    };
    return bestCpuSeconds([&] {
        box.clear();
        queryNumber("圆通速递", "YT9000000001", services);
        sink += box.size();
    });
}

void compare(const char* name, std::string (*make)(size_t), size_t& sink) {
    const double small = cutSeconds(make(k128KiB), sink);
    const double large = cutSeconds(make(k1MiB), sink);
    std::printf("reply cutting, %s: 128 KiB %.2f ms, 1 MiB %.2f ms\n", name, small * 1e3,
                large * 1e3);
    std::printf("reply_cutting_%s_1m_over_128k: %.2f (goal <= 9.6)\n", name, large / small);
}

}  // namespace

int main() {
    korvel::bench::holdHeap();
    size_t sink = 0;
    compare("service", serviceReply, sink);
    compare("markers", markersOnly, sink);
    return sink == 0;
}
