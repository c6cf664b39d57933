#include "upgrade/download_transfer_win.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "text/wide_text_win.h"
#include "upgrade/chunk_queue.h"

namespace korvel::upgrade {

namespace {

constexpr int64_t kMaxReadBytes = 512 * 1024;
// A file of unknown size is cut off here: the notifications carry 32-bit
// counts, and a server that never stops must not fill the disk.
constexpr int64_t kMaxUnknownSize = INT_MAX;
constexpr int64_t kReadSliceMs = 50;
constexpr DWORD kTimeoutMs = 30000;
// A part whose response breaks off is asked for again from where it stopped.
constexpr int kPartRetries = 2;
constexpr DWORD kHostChars = 256, kObjectChars = 2048, kCredentialChars = 128;
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_KEEP_CONNECTION |
                                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;

std::optional<std::string> queryHeader(HINTERNET request, DWORD what) {
    wchar_t buffer[128];
    DWORD size = sizeof(buffer);
    if (!HttpQueryInfoW(request, what, buffer, &size, nullptr)) return std::nullopt;
    return text::toGbk(std::wstring_view(buffer, size / sizeof(wchar_t)));
}

DWORD queryStatus(HINTERNET request) {
    DWORD status = 0, size = sizeof(status);
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr))
        return 0;
    return status;
}

int clampToInt(int64_t value) { return static_cast<int>(std::min<int64_t>(value, INT_MAX)); }

}  // namespace

std::optional<HttpAddress> crackHttpAddress(const std::string& url) {
    std::wstring wide = text::toWide(url.substr(0, url.find('#')));
    if (wide.empty()) return std::nullopt;
    wchar_t host[kHostChars + 1], object[kObjectChars + 1];
    wchar_t user[kCredentialChars + 1], password[kCredentialChars + 1];
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = kHostChars + 1;
    parts.lpszUrlPath = object;
    parts.dwUrlPathLength = kObjectChars + 1;
    parts.lpszUserName = user;
    parts.dwUserNameLength = kCredentialChars + 1;
    parts.lpszPassword = password;
    parts.dwPasswordLength = kCredentialChars + 1;
    // The query is part of the object; without a buffer of its own WinINet
    // leaves it in the path.
    if (!InternetCrackUrlW(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &parts))
        return std::nullopt;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return std::nullopt;
    if (parts.dwHostNameLength == 0) return std::nullopt;
    HttpAddress address;
    address.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    address.host.assign(host, parts.dwHostNameLength);
    address.port = parts.nPort;
    address.object.assign(object, parts.dwUrlPathLength);
    if (address.object.empty()) address.object = L"/";
    address.userName.assign(user, parts.dwUserNameLength);
    address.password.assign(password, parts.dwPasswordLength);
    return address;
}

struct Transfer::Probe {
    io::InternetHandle request;
    bool ranged = false;
    int64_t last = -1;  // the last byte the probe's response carries
};

Transfer::Transfer(int handle, DownloadTask task, HttpAddress address, HINTERNET session)
    : handle_(handle), task_(std::move(task)), address_(std::move(address)), session_(session) {}

void Transfer::RequestStop() {
    std::lock_guard lock(fileMutex_);
    stop_ = true;
}

void Transfer::Abandon() {
    std::lock_guard lock(fileMutex_);
    abandoned_ = true;
    stop_ = true;
}

bool Transfer::createFile() {
    std::lock_guard lock(fileMutex_);
    if (stop_) return false;
    // Never over an existing file: a second copy of the program upgrading
    // in the same folder may have taken the name since it was chosen.
    file_.reset(CreateFileW(text::toWide(task_.filePath).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file_);
}

void Transfer::notify(int kind, int value) {
    if (task_.callback && !abandoned_) task_.callback(kind, handle_, value, 0, handle_);
}

io::InternetHandle Transfer::openRequest(int64_t first, int64_t last, DWORD& status) {
    status = 0;
    io::InternetHandle request(
        HttpOpenRequestW(connection_.get(), L"GET", address_.object.c_str(), nullptr, nullptr,
                         nullptr, kRequestFlags | (address_.secure ? INTERNET_FLAG_SECURE : 0), 0));
    if (!request) return {};
    const std::wstring range = text::toWide(rangeRequestHeader(first, last));
    if (!HttpSendRequestW(request.get(), range.c_str(), static_cast<DWORD>(range.size()), nullptr,
                          0))
        return {};
    status = queryStatus(request.get());
    return request;
}

std::optional<int64_t> Transfer::probe(Probe& out) {
    // A file that may be split is probed for its first chunk only: closing a
    // response with most of the file unread makes WinINet drain it, which
    // costs more than the extra request. A file up to that size, and so
    // every file under kMinPartBytes, comes over this one connection.
    const int64_t askedLast = task_.connectionCount > 1 ? kFirstChunkBytes - 1 : -1;
    DWORD status = 0;
    out.request = openRequest(0, askedLast, status);
    if (!out.request) return std::nullopt;
    const auto contentRange = queryHeader(out.request.get(), HTTP_QUERY_CONTENT_RANGE);
    const auto range = contentRange ? parseContentRange(*contentRange) : std::nullopt;
    if (status == 206) {
        if (!range || range->first != 0 || range->total <= 0) return std::nullopt;
        const int64_t wantedLast =
            askedLast < 0 ? range->total - 1 : std::min(askedLast, range->total - 1);
        // A server may send less than asked, never more.
        if (range->last > wantedLast) return std::nullopt;
        out.ranged = true;
        out.last = range->last;
        return range->total;
    }
    if (status == 416) {
        // The only range "bytes=0-..." cannot satisfy is that of an empty file.
        if (!range || range->total != 0) return std::nullopt;
        out.request.reset();
        return 0;
    }
    if (status != 200) return std::nullopt;
    const auto length = queryHeader(out.request.get(), HTTP_QUERY_CONTENT_LENGTH);
    const auto parsed = length ? parseContentLength(*length) : std::nullopt;
    // An unknown size (0 from a server without Content-Length) is read to the
    // end of the response.
    out.last = parsed && *parsed > 0 ? *parsed - 1 : -1;
    return parsed ? *parsed : 0;
}

bool Transfer::writeAt(int64_t offset, const char* bytes, DWORD count) {
    while (count > 0) {
        // Positioned writes on a synchronous handle: each part writes at
        // its own offsets without sharing a file pointer.
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD written = 0;
        if (!WriteFile(file_.get(), bytes, count, &written, &at) || written == 0) return false;
        bytes += written;
        offset += written;
        count -= written;
    }
    return true;
}

Transfer::PumpEnd Transfer::pump(HINTERNET request, int64_t& pos, int64_t last) {
    std::vector<char> buffer(kMaxReadBytes);
    const auto began = std::chrono::steady_clock::now();
    const int64_t start = pos;
    for (;;) {
        if (stop_) return PumpEnd::Stopped;
        if (last >= 0 && pos > last) return PumpEnd::Complete;
        if (last < 0 && pos >= kMaxUnknownSize) return PumpEnd::Short;
        // Wait for the first bytes, then read what the connection delivers
        // in about kReadSliceMs: big reads on a fast connection (few calls),
        // small ones on a slow one, so a stop is seen within a slice.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0)) return PumpEnd::Short;
        if (available == 0) {
            if (last >= 0) return PumpEnd::Short;
            // Nothing more of a response without a length: one more read
            // tells a clean end from a broken one, where the platform can.
            char byte = 0;
            DWORD got = 0;
            if (!InternetReadFile(request, &byte, 1, &got)) return PumpEnd::Short;
            if (got == 0) return PumpEnd::Complete;
            if (!writeAt(pos, &byte, 1)) return PumpEnd::WriteFailed;
            ++pos;
            ++received_;
            continue;
        }
        const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - began)
                                   .count();
        const int64_t slice = elapsedMs > 0 ? (pos - start) * kReadSliceMs / elapsedMs : 0;
        int64_t want = std::clamp<int64_t>(slice, available, kMaxReadBytes);
        if (last >= 0) want = std::min(want, last - pos + 1);
        DWORD got = 0;
        if (!InternetReadFile(request, buffer.data(), static_cast<DWORD>(want), &got))
            return PumpEnd::Short;
        if (got == 0) return last < 0 ? PumpEnd::Complete : PumpEnd::Short;
        if (!writeAt(pos, buffer.data(), got)) return PumpEnd::WriteFailed;
        pos += got;
        received_ += got;
    }
}

bool Transfer::fetchPart(ByteRange part, io::InternetHandle first, bool ranged) {
    int64_t pos = part.first;
    io::InternetHandle request = std::move(first);
    for (int attempt = 0;; ++attempt) {
        if (!request && ranged) {
            DWORD status = 0;
            request = openRequest(pos, part.last, status);
            const auto header =
                request ? queryHeader(request.get(), HTTP_QUERY_CONTENT_RANGE) : std::nullopt;
            const auto range = header ? parseContentRange(*header) : std::nullopt;
            if (status != 206 || !range || range->first != pos || range->total != total_)
                request.reset();
        }
        if (request) {
            switch (pump(request.get(), pos, part.last)) {
                case PumpEnd::Complete:
                    return true;
                case PumpEnd::Stopped:
                    return false;
                case PumpEnd::WriteFailed:
                    stop_ = true;  // a full disk fails every part alike
                    return false;
                case PumpEnd::Short:
                    break;
            }
            request.reset();
        }
        if (!ranged || attempt >= kPartRetries || stop_) return false;
    }
}

void Transfer::fetchChunks(ChunkQueue& queue, const std::atomic<int>& active, int64_t lastBytes,
                           int64_t lastMs) {
    while (!stop_) {
        const auto chunk = queue.take(nextChunkBytes(lastBytes, lastMs, queue.untaken(), active));
        if (!chunk) return;
        const auto began = std::chrono::steady_clock::now();
        const bool complete = fetchPart(*chunk, {}, true);
        if (!complete) broken_ = true;
        lastBytes = complete ? chunk->size() : 0;
        lastMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now() - began)
                     .count();
    }
}

void Transfer::fetchRest(int64_t first, int64_t probeBytes, int64_t probeMs) {
    ChunkQueue queue(first, total_ - 1);
    std::mutex mutex;
    std::condition_variable workerEnded;
    std::atomic<int> active{0};
    std::vector<std::thread> workers;
    const auto began = std::chrono::steady_clock::now();
    const int limit = task_.connectionCount;
    for (;;) {
        const auto elapsed = std::chrono::steady_clock::now() - began;
        const int wanted = rampedConnections(
            std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), limit);
        while (static_cast<int>(workers.size()) < wanted && queue.untaken() > 0 && !stop_) {
            ++active;
            workers.emplace_back([&] {
                fetchChunks(queue, active, probeBytes, probeMs);
                std::lock_guard lock(mutex);
                --active;
                workerEnded.notify_all();
            });
        }
        if (static_cast<int>(workers.size()) >= limit) break;
        // Until the next step, or until every connection has run out of work.
        std::unique_lock lock(mutex);
        const auto nextStep =
            began + std::chrono::milliseconds(
                        (elapsed / std::chrono::milliseconds(kRampStepMs) + 1) * kRampStepMs);
        if (workerEnded.wait_until(lock, nextStep, [&] { return active == 0; })) break;
    }
    for (auto& worker : workers) worker.join();
}

void Transfer::Run() {
    connection_.reset(
        InternetConnectW(session_, address_.host.c_str(), address_.port,
                         address_.userName.empty() ? nullptr : address_.userName.c_str(),
                         address_.password.empty() ? nullptr : address_.password.c_str(),
                         INTERNET_SERVICE_HTTP, 0, 0));
    std::optional<int64_t> total;
    Probe first;
    if (connection_) {
        DWORD timeout = kTimeoutMs;
        for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                             INTERNET_OPTION_SEND_TIMEOUT})
            InternetSetOptionW(connection_.get(), option, &timeout, sizeof(timeout));
        total = probe(first);
    }
    // The notifications carry 32-bit sizes: a larger file is refused.
    if (!total || *total > INT_MAX || !createFile()) {
        first.request.reset();
        connection_.reset();
        notify(kNotifyStarted, -1);
        notify(kNotifyEnded, 0);
        finished_ = true;
        return;
    }
    total_ = *total;
    notify(kNotifyStarted, static_cast<int>(total_));

    bool headComplete = true;  // an empty file (416) has nothing to fetch
    if (first.request) {
        const int64_t headLast = first.last;
        const auto began = std::chrono::steady_clock::now();
        const bool complete = fetchPart({0, headLast}, std::move(first.request), first.ranged);
        headComplete = complete;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - began)
                            .count();
        // The probe's pace sizes the first chunks of the rest.
        if (first.ranged && headLast + 1 < total_)
            fetchRest(headLast + 1, complete ? headLast + 1 : 0, ms);
    }
    // A stop leaves chunks untaken, so the count is checked too.
    const bool whole = headComplete && !broken_ && !stop_ && (total_ == 0 || received_ == total_);
    file_.reset();
    connection_.reset();
    if (whole) notify(kNotifyComplete, clampToInt(received_));
    notify(kNotifyEnded, clampToInt(received_));
    finished_ = true;
}

}  // namespace korvel::upgrade
