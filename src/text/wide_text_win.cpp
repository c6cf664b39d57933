#include "text/wide_text_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace korvel::text {

std::wstring toWide(std::string_view gbk) {
    if (gbk.empty()) return {};
    const int n =
        MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
    return out;
}

std::string toGbk(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(kGbkCodePage, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(kGbkCodePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

namespace {

constexpr unsigned kLeadFirst = 0x81, kLeadLast = 0xFE, kTrailFirst = 0x40, kTrailLast = 0xFE;
constexpr unsigned kTrails = kTrailLast - kTrailFirst + 1;

// The UTF-8 bytes of every GBK double-byte code, read once from the system's
// code page 936: up to three bytes, the first in the low byte, and their
// count in the top byte; 0 where the pair is no character both ways.
class GbkToUtf8Table {
  public:
    GbkToUtf8Table() : codes_((kLeadLast - kLeadFirst + 1) * kTrails, 0) {
        // Every pair, each followed by a line end that keeps them apart.
        std::string pairs;
        for (unsigned lead = kLeadFirst; lead <= kLeadLast; ++lead)
            for (unsigned trail = kTrailFirst; trail <= kTrailLast; ++trail) {
                pairs += static_cast<char>(lead);
                pairs += static_cast<char>(trail);
                pairs += '\n';
            }
        const std::wstring wide = toWide(pairs);
        const std::string back = toGbk(wide);
        size_t at = 0, backAt = 0;
        for (unsigned i = 0; i < codes_.size(); ++i) {
            const size_t end = wide.find(L'\n', at), backEnd = back.find('\n', backAt);
            if (end == std::wstring::npos || backEnd == std::string::npos) return;
            // One character that turns back into the same two bytes.
            if (end - at == 1 && back.compare(backAt, backEnd - backAt, pairs, i * 3, 2) == 0)
                codes_[i] = encode(wide[at]);
            at = end + 1;
            backAt = backEnd + 1;
        }
    }
    std::uint32_t code(unsigned char lead, unsigned char trail) const {
        if (lead < kLeadFirst || lead > kLeadLast || trail < kTrailFirst || trail > kTrailLast)
            return 0;
        return codes_[(lead - kLeadFirst) * kTrails + (trail - kTrailFirst)];
    }

  private:
    static std::uint32_t encode(wchar_t unit) {
        const std::uint32_t u = static_cast<std::uint16_t>(unit);
        if (u < 0x80) return (1u << 24) | u;
        if (u < 0x800) return (2u << 24) | (0xC0 | (u >> 6)) | ((0x80 | (u & 0x3F)) << 8);
        if (u >= 0xD800 && u <= 0xDFFF) return 0;
        return (3u << 24) | (0xE0 | (u >> 12)) | ((0x80 | ((u >> 6) & 0x3F)) << 8) |
               ((0x80 | (u & 0x3F)) << 16);
    }
    std::vector<std::uint32_t> codes_;
};

// Through UTF-16, for a text the table does not cover.
std::string viaWide(std::string_view gbk) {
    const std::wstring wide = toWide(gbk);
    if (wide.empty()) return {};
    std::string out(wide.size() * 3, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      out.data(), static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(static_cast<size_t>(std::max(n, 0)));
    return out;
}

}  // namespace

// An exported table is megabytes: a table lookup per character is several
// times quicker than the system's two conversions, and gives the same bytes.
// A text with a byte the table does not cover (0x80, 0xFF, half a character)
// takes the system's way.
void appendUtf8(std::string& out, std::string_view gbk) {
    static const GbkToUtf8Table table;
    const size_t n = gbk.size(), start = out.size();
    out.resize(start + n + n / 2);
    char* to = out.data() + start;
    const auto* from = reinterpret_cast<const unsigned char*>(gbk.data());
    for (size_t i = 0; i < n;) {
        if (from[i] < 0x80) {
            *to++ = static_cast<char>(from[i++]);
            continue;
        }
        const std::uint32_t code = i + 1 < n ? table.code(from[i], from[i + 1]) : 0;
        if (!code) {
            out.resize(start);
            out += viaWide(gbk);
            return;
        }
        const unsigned count = code >> 24;
        for (unsigned k = 0; k < count; ++k) *to++ = static_cast<char>((code >> (8 * k)) & 0xFF);
        i += 2;
    }
    out.resize(static_cast<size_t>(to - out.data()));
}

std::string gbkToUtf8(std::string_view gbk) {
    std::string out;
    appendUtf8(out, gbk);
    return out;
}

}  // namespace korvel::text
