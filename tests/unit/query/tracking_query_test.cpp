#include "query/tracking_query.h"

#include <gtest/gtest.h>

using namespace korvel::query;

namespace {

using Texts = std::vector<std::string>;

const std::string kRule(48, '-');

// Runs queryNumber against a canned reply and records what it asked and appended.
struct Probe {
    std::string reply;
    std::vector<std::string> urls;
    Texts appended;
    int refuseAfter = -1;  // appends accepted before the run is "stopped"

    bool query(const std::string& company, const std::string& number) {
        QueryServices services;
        services.endpoint = "127.0.0.1:18470";
        services.serviceCodeFor = [](const std::string& name) {
            return name == "顺丰快递" ? std::string("shunfeng") : std::string();
        };
        services.fetch = [this](const std::string& url) {
            urls.push_back(url);
            return reply;
        };
        services.append = [this](const std::string& text) {
            if (refuseAfter >= 0 && static_cast<int>(appended.size()) >= refuseAfter) return false;
            appended.push_back(text);
            return true;
        };
        return query(company, number, services);
    }
    static bool query(const std::string& c, const std::string& n, const QueryServices& s) {
        return queryNumber(c, n, s);
    }
};

std::string wrongBlock(const std::string& heading) {
    return kRule + "\r\n" + heading + "\r\n单号错误\r\n";
}

TEST(TrackingQuery, RepliesBecomeLinesOrTheWrongNumberBlock) {
    const std::string head = kRule + "\r\n顺丰快递SF1001\r\n";
    struct Case {
        const char* name;
        std::string reply;
        Texts want;
    } cases[] = {
        {"two entries in the service's shape",
         "{\"status\":\"1\",\"data\":[{\"time\":\"2012-05-02 08:00:00\",\"context\":\"到达上海\"},"
         "{\"time\":\"2012-05-01 18:30:00\",\"context\":\"深圳已揽件\"}]}",
         {head + "2012-05-02 08:00:00 到达上海\r\n", "2012-05-01 18:30:00 深圳已揽件\r\n"}},
        {"empty reply", "", {wrongBlock("顺丰快递SF1001")}},
        {"only time at the very end",
         "{\"message\":\"no data\"}time",
         {wrongBlock("顺丰快递SF1001")}},
        {"error page without the marker",
         "<html><body>404 Not Found</body></html>",
         {wrongBlock("顺丰快递SF1001")}},
        {"escaped quote and slash kept",
         "[{\"time\":\"t1\",\"context\":\"签收人:\\\"张三\\\" 地址:a\\/b\"}]",
         {head + "t1 签收人:\\\"张三\\\" 地址:a\\/b\r\n"}},
        // Cut short inside the second context: no object end, so empty context.
        {"transfer broken off in an entry",
         "[{\"time\":\"t1\",\"context\":\"c1\"},{\"time\":\"t2\",\"context\":\"c2 partly",
         {head + "t1 c1\r\n", "t2 \r\n"}},
        // Cut short inside the time value: neither end marker is there.
        {"broken off in a time", "[{\"time\":\"2012-05", {head + " \r\n"}},
        // The word inside a context ends the first piece before the object
        // end (empty context) and starts a piece of its own.
        {"time inside a context",
         "[{\"time\":\"t1\",\"context\":\"sorted at times square\"}]",
         {head + "t1 \r\n", " \r\n"}},
        // A longer key holding the word starts a piece too.
        {"key holding the word",
         "{\"updatetime\":\"u\",\"data\":[{\"time\":\"t1\",\"context\":\"c1\"}]}",
         {head + "u \r\n", "t1 c1\r\n"}},
        // 0x81 0x74 is one double-byte character, so no match starts at its 't'.
        {"marker on a trail byte is no marker",
         "\x81time\":\"x\",\"",
         {wrongBlock("顺丰快递SF1001")}},
        // 0x80 and 0xFF are single bytes in code page 936: the marker right
        // after them is a marker.
        {"marker after a lone 0x80 or 0xFF",
         "\x80time\":\"t1\",\"context\":\"c1\xFF\"}\xFFtime\":\"t2\",\"context\":\"c2\"}",
         {head + "t1 c1\xFF\r\n", "t2 c2\r\n"}},
        {"reply ends at its first zero byte",
         std::string("[{\"time\":\"t1\",\"context\":\"c1\"}]") + '\0' + "{\"time\":\"t2\"",
         {head + "t1 c1\r\n"}},
    };
    for (const auto& c : cases) {
        Probe probe;
        probe.reply = c.reply;
        EXPECT_TRUE(probe.query("顺丰快递", "SF1001")) << c.name;
        EXPECT_EQ(probe.appended, c.want) << c.name;
    }
}

TEST(TrackingQuery, UrlHoldsKeysInOrderAndTheNumberAsItIs) {
    struct Case {
        std::string company, number, want;
    } cases[] = {
        {"顺丰快递", "SF1001",
         "http://127.0.0.1:18470/?id=5F0E3A9C21B74D68A0C3E19B7D2F4A61&com=shunfeng&nu=SF1001"
         "&type=html|text|json"},
        {"顺丰快递", "a&b%41|单#x",
         "http://127.0.0.1:18470/?id=5F0E3A9C21B74D68A0C3E19B7D2F4A61&com=shunfeng&nu=a&b%41|单#x"
         "&type=html|text|json"},
        {"不在表中", "1",
         "http://127.0.0.1:18470/"
         "?id=5F0E3A9C21B74D68A0C3E19B7D2F4A61&com=&nu=1&type=html|text|json"},
    };
    for (const auto& c : cases) {
        Probe probe;
        probe.query(c.company, c.number);
        EXPECT_EQ(probe.urls, Texts{c.want}) << c.number;
    }
}

TEST(TrackingQuery, RefusedAppendEndsTheBlock) {
    Probe probe;
    probe.reply =
        "[{\"time\":\"t1\",\"context\":\"c1\"},{\"time\":\"t2\",\"context\":\"c2\"},"
        "{\"time\":\"t3\",\"context\":\"c3\"}]";
    probe.refuseAfter = 1;
    EXPECT_FALSE(probe.query("顺丰快递", "9"));
    EXPECT_EQ(probe.appended, Texts{kRule + "\r\n顺丰快递9\r\nt1 c1\r\n"});
}

TEST(TrackingQuery, CutRouteEntryArithmetic) {
    struct Case {
        std::string piece;
        RouteEntry want;
    } cases[] = {
        {"\":\"t\",\"context\":\"c\"}", {"t", "c"}},
        {"\":\"\",\"context\":\"\"}", {"", ""}},
        {"", {"", ""}},
        {"\"}", {"", ""}},
        // Value end before value start: negative count.
        {"\",\"x\":\"", {"", ""}},
        // Only an object end: mid from 9 of q2 - (-1) - 10 bytes.
        {"abcdefghij\"}", {"", "ij"}},
    };
    for (const auto& c : cases) EXPECT_EQ(cutRouteEntry(c.piece), c.want) << c.piece;
}

}  // namespace
