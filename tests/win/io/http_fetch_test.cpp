// stand-in: tools/tracking_standin.py KORVEL_TRACKING_PORT
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "io/http_fetch_win.h"

using namespace korvel::io;

namespace {

std::string base() {
    const char* port = std::getenv("KORVEL_TRACKING_PORT");
    return std::string("http://127.0.0.1:") + (port ? port : "0");
}
std::string requestLog() { return korvel::io::httpGet(base() + "/_log"); }
void clearLog() { korvel::io::httpGet(base() + "/_log/clear"); }
std::string lastBody() { return korvel::io::httpGet(base() + "/_last_body"); }

// The request line of the only request logged since the last clear.
std::string loggedTarget() {
    const std::string log = requestLog();
    const size_t first = log.find(' '), second = log.find(" HTTP/1.0\r\n");
    if (first == std::string::npos || second == std::string::npos) return "(none: " + log + ")";
    return log.substr(first + 1, second - first - 1);
}

class HttpFetch : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("KORVEL_TRACKING_PORT"), nullptr) << "run through with_standin.py";
    }
};

// What the platform's HTTP stack makes of the fetch's request, as the
// server received it: HTTP/1.0, the agent text, one Accept header and the
// wish to keep the connection; no cookie, even after a reply that set one.
TEST_F(HttpFetch, RequestLineAndHeadersAreSentExactly) {
    const std::string setsCookie =
        korvel::io::httpGet(base() + "/?com=shunfeng&nu=COOKIE-1&type=html");
    EXPECT_NE(setsCookie.find("\"time\":\""), std::string::npos);
    clearLog();
    const std::string target =
        "/?id=5F0E3A9C21B74D68A0C3E19B7D2F4A61&com=shunfeng&nu=SF1001234&type=html|text|json";
    const std::string body = korvel::io::httpGet(base() + target);
    EXPECT_NE(body.find("\"time\":\""), std::string::npos);
    const std::string port = std::getenv("KORVEL_TRACKING_PORT");
    EXPECT_EQ(requestLog(), "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1:" + port +
                                "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT "
                                "5.0)\r\nAccept: */*\r\nConnection: Keep-Alive\r\n\r\n");
}

// One connection carries a whole series of requests; a server that closes
// it after offering to keep it, or answers without a length, costs a new one
// and no answer.
TEST_F(HttpFetch, OneConnectionCarriesRequestAfterRequest) {
    const std::string query = base() + "/?id=5F0E3A9C21B74D68A0C3E19B7D2F4A61&com=ems&nu=";
    korvel::io::httpGet(base() + "/_log/clear");
    for (int i = 0; i < 5; ++i) {
        const std::string number = "KA" + std::to_string(200000 + i);
        EXPECT_NE(korvel::io::httpGet(query + number).find("\"nu\":\"" + number + "\""),
                  std::string::npos);
    }
    EXPECT_EQ(korvel::io::httpGet(base() + "/_connections"), "1");
    for (const char* number : {"GONE-1", "KA300001", "NOLEN-1", "KA300002"}) {
        const std::string body = korvel::io::httpGet(query + number);
        EXPECT_TRUE(body == lastBody() && body.find(number) != std::string::npos) << number;
    }
    EXPECT_EQ(korvel::io::httpGet(base() + "/_connections"), "3");
}

TEST_F(HttpFetch, UrlBytesReachTheServerUnchangedButFragmentAndControls) {
    struct Case {
        std::string path, sent;
    } cases[] = {
        {"/?nu=a|b%41&c=1", "/?nu=a|b%41&c=1"},
        {"/?com=申通快递&nu=单号１", "/?com=申通快递&nu=单号１"},
        {"/?nu=123#frag", "/?nu=123"},
        {"/?nu=1#2#3", "/?nu=1"},
        {"/?nu=a b", "/?nu=a%20b"},
        {"/?nu=1\r\nX-Injected: 1", "/?nu=1%0D%0AX-Injected:%201"},
        {"/?nu=\t1", "/?nu=%091"},
        {"", "/"},
    };
    for (const auto& c : cases) {
        clearLog();
        korvel::io::httpGet(base() + c.path);
        EXPECT_EQ(loggedTarget(), c.sent) << c.path;
    }
}

TEST_F(HttpFetch, BodiesComeBackWholeWhateverTheStatusOrLength) {
    struct Case {
        const char* number;
        size_t atLeast;
    } cases[] = {
        {"E404-1", 20},         // the HTML page of a 404
        {"E500-1", 20},         // and of a 500
        {"NOLEN-1", 100},       // no Content-Length: ends with the connection
        {"BIG-1", 2 * 10240},   // no Content-Length, three reads of 10240 bytes
        {"LINES200-1", 10240},  // announced length, one read
    };
    for (const auto& c : cases) {
        const std::string body = korvel::io::httpGet(base() + "/?com=ems&nu=" + c.number);
        EXPECT_GE(body.size(), c.atLeast) << c.number;
        const std::string sent = lastBody();
        EXPECT_TRUE(body == sent) << c.number << ": " << body.size() << " of " << sent.size();
    }
    EXPECT_NE(korvel::io::httpGet(base() + "/?nu=E404-2").find("404 Not Found"), std::string::npos);
}

TEST_F(HttpFetch, BrokenTransferReturnsWhatArrived) {
    const std::string body = korvel::io::httpGet(base() + "/?com=ems&nu=DROP-1");
    const std::string whole = lastBody();
    ASSERT_GT(whole.size(), 10240u);
    EXPECT_TRUE(body == whole.substr(0, 10240)) << body.size() << " bytes";
}

TEST_F(HttpFetch, BadUrlsGiveNothingAndSendNothing) {
    const std::string port = std::getenv("KORVEL_TRACKING_PORT");
    const std::string urls[] = {
        "",
        "ftp://127.0.0.1:" + port + "/x",
        "127.0.0.1:" + port + "/no-scheme",
        "http://",
        "http://" + std::string(300, 'h') + "/",
        base() + "/?nu=" + std::string(2100, '1'),
    };
    clearLog();
    for (const auto& url : urls) EXPECT_EQ(korvel::io::httpGet(url), "") << url.substr(0, 60);
    EXPECT_EQ(requestLog(), "");
    EXPECT_EQ(korvel::io::httpGet("http://127.0.0.1:1/"), "");  // nothing listens there
}

// The stand-in holds the request until /_let_go, sent once the stop has
// come back: a stop that waited for the request would never come back (the
// guard lets the request go after 20 s, to fail rather than hang). The
// fetch then ends empty, its answer abandoned.
TEST_F(HttpFetch, StopAbandonsTheRequestInFlight) {
    clearLog();
    korvel::io::StopSignal stop;
    std::string body = "unset";
    std::thread worker([&] { body = korvel::io::httpGet(base() + "/?com=ems&nu=HANG-1", stop); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (requestLog().empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(requestLog().empty());
    std::mutex mutex;
    std::condition_variable returned;
    bool stopped = false, letGoFirst = false;
    std::thread guard([&] {
        std::unique_lock lock(mutex);
        if (returned.wait_for(lock, std::chrono::seconds(20), [&] { return stopped; })) return;
        letGoFirst = true;
        korvel::io::httpGet(base() + "/_let_go");
    });
    stop.stop();
    {
        std::lock_guard lock(mutex);
        stopped = true;
    }
    returned.notify_all();
    guard.join();
    EXPECT_FALSE(letGoFirst) << "the stop waited for the request";
    korvel::io::httpGet(base() + "/_let_go");
    worker.join();
    EXPECT_EQ(body, "");

    clearLog();
    EXPECT_EQ(korvel::io::httpGet(base() + "/?com=ems&nu=SF1001234", stop), "");  // already stopped
    EXPECT_EQ(requestLog(), "");
}

// The stand-in holds the request until /_let_go, sent only afterwards: the
// fetch ends by its own time-out, which it waits out first.
TEST_F(HttpFetch, ServerThatNeverAnswersEndsAtTheReceiveTimeOut) {
    korvel::io::StopSignal stop;
    korvel::io::FetchTimeouts timeouts;
    timeouts.receiveMs = 1000;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(korvel::io::httpGet(base() + "/?com=ems&nu=HANG-1", stop, timeouts), "");
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(900));
    korvel::io::httpGet(base() + "/_let_go");
}

TEST_F(HttpFetch, ThreadsShareTheFetchSafely) {
    std::vector<std::thread> threads;
    std::vector<std::string> bodies(8);
    for (size_t i = 0; i < bodies.size(); ++i) {
        threads.emplace_back([&, i] {
            bodies[i] =
                korvel::io::httpGet(base() + "/?id=5F0E3A9C21B74D68A0C3E19B7D2F4A61&com=ems&nu=EM" +
                                    std::to_string(100000 + i));
        });
    }
    for (auto& t : threads) t.join();
    for (size_t i = 0; i < bodies.size(); ++i) {
        EXPECT_NE(bodies[i].find("\"nu\":\"EM" + std::to_string(100000 + i) + "\""),
                  std::string::npos);
    }
}

}  // namespace
