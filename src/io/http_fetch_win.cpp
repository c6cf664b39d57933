#include "io/http_fetch_win.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "io/fetch_rules.h"
#include "io/handles_win.h"

namespace korvel::io {

namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
// The accept-types entry keeps its blank before CR LF (14 bytes); the extra
// headers are 15 bytes. Both are sent exactly so.
constexpr char kAcceptType[] = "Accept: */* \r\n";
constexpr char kExtraHeaders[] = "Accept: */*\r\n\r\n";
constexpr DWORD kHostMax = 256;
constexpr DWORD kPathMax = 2048;
constexpr DWORD kUserMax = 128;
constexpr DWORD kContentLengthBuffer = 32;

struct UrlParts {
    bool secure = false;
    std::string host, user, password, pathWithQuery;
    INTERNET_PORT port = 0;
};

// The one root handle. The holder is never destroyed: a worker abandoned in a
// request may still use the handle while static objects are torn down at exit,
// and the handle is meant to stay open until the process ends anyway.
HINTERNET rootHandle() {
    struct Root {
        std::mutex mutex;
        io::InternetHandle handle;
    };
    static Root& root = *new Root;
    std::lock_guard lock(root.mutex);
    if (!root.handle) {
        root.handle.reset(
            InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    }
    return root.handle.get();
}

std::optional<std::string> canonicalize(const std::string& url) {
    DWORD size = static_cast<DWORD>(url.size()) * 3 + 64;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::string out(size, '\0');
        if (InternetCanonicalizeUrlA(url.c_str(), out.data(), &size, ICU_NO_ENCODE)) {
            out.resize(size);
            return out;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        ++size;
    }
    return std::nullopt;
}

std::optional<UrlParts> crack(const std::string& url) {
    char host[kHostMax + 1], user[kUserMax + 1], password[kUserMax + 1];
    char path[kPathMax + 1], extra[kPathMax + 1];
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUserName = user;
    parts.dwUserNameLength = sizeof user;
    parts.lpszPassword = password;
    parts.dwPasswordLength = sizeof password;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    parts.lpszExtraInfo = extra;
    parts.dwExtraInfoLength = sizeof extra;
    if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) {
        return std::nullopt;
    }
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
        return std::nullopt;
    }
    UrlParts out;
    out.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    out.host.assign(host, parts.dwHostNameLength);
    out.user.assign(user, parts.dwUserNameLength);
    out.password.assign(password, parts.dwPasswordLength);
    out.port = parts.nPort;
    out.pathWithQuery.assign(path, parts.dwUrlPathLength);
    out.pathWithQuery.append(extra, parts.dwExtraInfoLength);
    if (out.host.empty() || out.pathWithQuery.size() > kPathMax) return std::nullopt;
    const size_t hash = out.pathWithQuery.find('#');
    if (hash != std::string::npos) out.pathWithQuery.resize(hash);
    if (out.pathWithQuery.empty()) out.pathWithQuery.assign(1, '/');
    return out;
}

std::optional<std::string> contentLength(HINTERNET request) {
    char buffer[kContentLengthBuffer] = {};
    DWORD size = sizeof buffer;
    if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, buffer, &size, nullptr)) {
        return std::nullopt;
    }
    return std::string(buffer, size);
}

// On the request itself: Wine does not pass time-outs set on the root handle on.
void setTimeouts(HINTERNET request, const FetchTimeouts& timeouts) {
    const std::pair<DWORD, DWORD> options[] = {
        {INTERNET_OPTION_CONNECT_TIMEOUT, timeouts.connectMs},
        {INTERNET_OPTION_SEND_TIMEOUT, timeouts.sendMs},
        {INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts.receiveMs},
    };
    for (auto [option, value] : options) {
        InternetSetOptionA(request, option, &value, sizeof value);
    }
}

using Clock = std::chrono::steady_clock;

// Reads the body in reads sized from Content-Length until the empty read
// that ends it or a failed read. False when it outgrows the cap.
bool readBody(HINTERNET request, StopSignal* stop, size_t maxBytes, std::string& body) {
    const DWORD chunkSize = readChunkSize(contentLength(request));
    std::vector<char> chunk(chunkSize);
    for (;;) {
        if (stop && stop->stopped()) return true;
        DWORD got = 0;
        if (!InternetReadFile(request, chunk.data(), chunkSize, &got) || got == 0) return true;
        if (got > maxBytes - body.size()) return false;
        body.append(chunk.data(), got);
    }
}

// Reads the body against a deadline: waits for what has arrived (each wait
// bounded by the time left) and reads only that, since a read of a whole
// chunk would wait on a trickling server until the chunk is full. False when
// the deadline passes or the body outgrows the cap.
bool readBodyBy(HINTERNET request, StopSignal* stop, size_t maxBytes, Clock::time_point deadline,
                std::string& body) {
    std::vector<char> chunk(readChunkSize(contentLength(request)));
    for (;;) {
        if (stop && stop->stopped()) return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        DWORD wait = static_cast<DWORD>(left);
        InternetSetOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &wait, sizeof wait);
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0)) {
            return Clock::now() < deadline;  // broke off: what arrived counts
        }
        if (available == 0) return true;
        const DWORD want = std::min<DWORD>(available, static_cast<DWORD>(chunk.size()));
        DWORD got = 0;
        if (!InternetReadFile(request, chunk.data(), want, &got) || got == 0) return true;
        if (got > maxBytes - body.size()) return false;
        body.append(chunk.data(), got);
    }
}

std::string fetch(const std::string& url, StopSignal* stop, const FetchTimeouts& given,
                  const FetchLimits& limits) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(limits.deadlineMs);
    FetchTimeouts timeouts = given;
    if (limits.deadlineMs > 0) {
        for (unsigned long* t : {&timeouts.connectMs, &timeouts.sendMs, &timeouts.receiveMs})
            *t = std::min(*t, limits.deadlineMs);
    }
    if (url.empty()) return {};
    const std::optional<std::string> canonical = canonicalize(requestUrl(url));
    if (!canonical) return {};
    const std::optional<UrlParts> parts = crack(*canonical);
    if (!parts) return {};
    HINTERNET root = rootHandle();
    if (!root) return {};

    io::InternetHandle connection(InternetConnectA(root, parts->host.c_str(), parts->port,
                                                   parts->user.c_str(), parts->password.c_str(),
                                                   INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return {};
    INTERNET_PROXY_INFO proxy{INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr};
    InternetSetOptionA(root, INTERNET_OPTION_PROXY, &proxy, sizeof proxy);
    char empty[] = "";
    InternetSetOptionA(connection.get(), INTERNET_OPTION_PROXY_USERNAME, empty, 0);
    InternetSetOptionA(connection.get(), INTERNET_OPTION_PROXY_PASSWORD, empty, 0);

    LPCSTR acceptTypes[] = {kAcceptType, nullptr};
    // No cookies: neither service uses them, and Wine's cookie lookup makes
    // every request of a process dearer than the one before (10,000 requests
    // of a batch run ended 2.6 times slower than they began).
    // Keep-alive: the request asks the server to keep its connection, and the
    // platform's pool hands it to the next request to the same server, so a
    // batch run pays for one handshake instead of one per number. A server
    // that closes anyway costs a new connection, as before.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_DONT_CACHE | INTERNET_FLAG_NO_COOKIES |
                  INTERNET_FLAG_KEEP_CONNECTION;
    if (parts->secure) flags |= INTERNET_FLAG_SECURE;
    io::InternetHandle request(HttpOpenRequestA(connection.get(), "GET",
                                                parts->pathWithQuery.c_str(), "HTTP/1.0", nullptr,
                                                acceptTypes, flags, 0));
    if (!request) return {};
    setTimeouts(request.get(), timeouts);

    // From here on the call blocks; a stop closes both handles from the
    // stopping thread, which makes a blocked call return where the platform can.
    if (stop && !stop->arm([r = request.get(), c = connection.get()] {
            InternetCloseHandle(r);
            InternetCloseHandle(c);
        })) {
        return {};
    }
    std::string body;
    bool kept = true;
    if (HttpSendRequestA(request.get(), kExtraHeaders, sizeof kExtraHeaders - 1, nullptr, 0)) {
        kept = limits.deadlineMs > 0
                   ? readBodyBy(request.get(), stop, limits.maxBytes, deadline, body)
                   : readBody(request.get(), stop, limits.maxBytes, body);
    }
    if (stop && stop->disarm()) {
        // The stop closed them; closing again could hit a reused handle value.
        request.release();
        connection.release();
        return {};
    }
    if (!kept) return {};
    return body;
}

}  // namespace

std::string httpGet(const std::string& url) {
    return fetch(url, nullptr, FetchTimeouts{}, FetchLimits{});
}

std::string httpGet(const std::string& url, StopSignal& stop, const FetchTimeouts& timeouts) {
    return fetch(url, &stop, timeouts, FetchLimits{});
}

std::string httpGet(const std::string& url, const FetchLimits& limits, StopSignal* stop) {
    return fetch(url, stop, FetchTimeouts{}, limits);
}

}  // namespace korvel::io
