#include "upgrade/download_transfer_win.h"

#include <algorithm>
#include <climits>
#include <thread>
#include <vector>

#include "text/wide_text_win.h"

namespace korvel::upgrade {

namespace {

constexpr DWORD kReadBufferBytes = 64 * 1024;
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
    InternetHandle request;
    bool ranged = false;
};

Transfer::Transfer(int handle, DownloadTask task, HttpAddress address, HINTERNET session)
    : handle_(handle), task_(std::move(task)), address_(std::move(address)), session_(session) {}

void Transfer::notify(int kind, int value) {
    if (task_.callback) task_.callback(kind, handle_, value, 0, handle_);
}

InternetHandle Transfer::openRequest(int64_t first, int64_t last, DWORD& status) {
    status = 0;
    InternetHandle request(
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
    DWORD status = 0;
    out.request = openRequest(0, -1, status);
    if (!out.request) return std::nullopt;
    const auto contentRange = queryHeader(out.request.get(), HTTP_QUERY_CONTENT_RANGE);
    const auto range = contentRange ? parseContentRange(*contentRange) : std::nullopt;
    if (status == 206) {
        if (!range || range->first != 0 || range->total < 0 || range->last != range->total - 1)
            return std::nullopt;
        out.ranged = true;
        return range->total;
    }
    if (status == 416) {
        // The only range "bytes=0-" cannot satisfy is that of an empty file.
        if (!range || range->total != 0) return std::nullopt;
        out.request.reset();
        return 0;
    }
    if (status != 200) return std::nullopt;
    const auto length = queryHeader(out.request.get(), HTTP_QUERY_CONTENT_LENGTH);
    const auto parsed = length ? parseContentLength(*length) : std::nullopt;
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
    std::vector<char> buffer(kReadBufferBytes);
    for (;;) {
        if (stop_) return PumpEnd::Stopped;
        if (last >= 0 && pos > last) return PumpEnd::Complete;
        // Asking what is there first keeps a read from waiting for a whole
        // buffer on a slow connection, so a stop is seen quickly.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0)) return PumpEnd::Short;
        if (available == 0) return last < 0 ? PumpEnd::Complete : PumpEnd::Short;
        DWORD want = std::min(available, kReadBufferBytes);
        if (last >= 0) want = static_cast<DWORD>(std::min<int64_t>(want, last - pos + 1));
        DWORD got = 0;
        if (!InternetReadFile(request, buffer.data(), want, &got)) return PumpEnd::Short;
        if (got == 0) return last < 0 ? PumpEnd::Complete : PumpEnd::Short;
        if (!writeAt(pos, buffer.data(), got)) return PumpEnd::WriteFailed;
        pos += got;
        received_ += got;
    }
}

bool Transfer::fetchPart(ByteRange part, InternetHandle first, bool ranged) {
    int64_t pos = part.first;
    InternetHandle request = std::move(first);
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
    if (total && *total <= INT_MAX) {
        file_.reset(CreateFileW(text::toWide(task_.filePath).c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    }
    if (!file_) {
        first.request.reset();
        connection_.reset();
        notify(kNotifyStarted, -1);
        notify(kNotifyEnded, 0);
        finished_ = true;
        return;
    }
    total_ = *total;
    notify(kNotifyStarted, static_cast<int>(total_));

    if (first.request) {
        // An unknown size (0 from a server without Content-Length) is read
        // to the end of the response.
        const int64_t wholeLast = first.ranged || total_ > 0 ? total_ - 1 : -1;
        std::vector<ByteRange> parts = first.ranged ? planParts(total_, task_.connectionCount)
                                                    : std::vector<ByteRange>{{0, wholeLast}};
        std::vector<std::thread> helpers;
        for (size_t i = 1; i < parts.size(); ++i)
            helpers.emplace_back([this, part = parts[i]] { fetchPart(part, {}, true); });
        // The probe's own response ("bytes=0-") serves the first part.
        fetchPart(parts[0], std::move(first.request), first.ranged);
        for (auto& helper : helpers) helper.join();
    }
    file_.reset();
    connection_.reset();
    notify(kNotifyEnded, clampToInt(received_));
    finished_ = true;
}

}  // namespace korvel::upgrade
