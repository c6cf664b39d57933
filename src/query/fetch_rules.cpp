#include "query/request_url.h"

namespace korvel::query {

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

}  // namespace korvel::query
