#include "io/fetch_rules.h"

namespace korvel::io {

std::string requestUrl(std::string_view url) {
    // "#" (0x23) is below every GBK trail byte, so a plain byte search is exact.
    const size_t hash = url.find('#');
    if (hash != std::string_view::npos) url = url.substr(0, hash);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(url.size());
    for (const char c : url) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F) {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

unsigned readChunkSize(std::optional<std::string_view> contentLength) {
    if (!contentLength) return kDefaultReadChunk;
    std::string_view v = *contentLength;
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
    if (v.empty()) return kDefaultReadChunk;
    // Digits only: a sign means a negative length or junk, both unusable.
    unsigned long long value = 0;
    for (const char c : v) {
        if (c < '0' || c > '9') return kDefaultReadChunk;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value >= kMaxReadChunk) return kMaxReadChunk;  // and no overflow
    }
    if (value == 0) return kDefaultReadChunk;
    return static_cast<unsigned>(value + 1 > kMaxReadChunk ? kMaxReadChunk : value + 1);
}

}  // namespace korvel::io
