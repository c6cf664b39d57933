#include "upgrade/byte_ranges.h"

#include <limits>

namespace korvel::upgrade {

namespace {

// Reads a run of decimal digits at pos; nothing when there is none or it
// overflows.
std::optional<int64_t> readNumber(std::string_view text, size_t& pos) {
    const size_t start = pos;
    int64_t value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        const int digit = text[pos] - '0';
        if (value > (std::numeric_limits<int64_t>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
        ++pos;
    }
    if (pos == start) return std::nullopt;
    return value;
}

bool expect(std::string_view text, size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

}  // namespace

std::string rangeRequestHeader(int64_t first, int64_t last) {
    std::string header = "Range: bytes=" + std::to_string(first) + "-";
    if (last >= 0) header += std::to_string(last);
    return header + "\r\n";
}

std::optional<int64_t> parseContentLength(std::string_view value) {
    size_t pos = 0;
    while (pos < value.size() && value[pos] == ' ') ++pos;
    const auto length = readNumber(value, pos);
    while (pos < value.size() && value[pos] == ' ') ++pos;
    if (!length || pos != value.size()) return std::nullopt;
    return length;
}

std::optional<ContentRange> parseContentRange(std::string_view value) {
    size_t pos = 0;
    while (pos < value.size() && value[pos] == ' ') ++pos;
    if (value.substr(pos, 6) != "bytes ") return std::nullopt;
    pos += 6;
    ContentRange range;
    if (pos < value.size() && value[pos] == '*') {
        ++pos;
    } else {
        const auto first = readNumber(value, pos);
        if (!first || !expect(value, pos, '-')) return std::nullopt;
        const auto last = readNumber(value, pos);
        if (!last || *last < *first) return std::nullopt;
        range.first = *first;
        range.last = *last;
    }
    if (!expect(value, pos, '/')) return std::nullopt;
    if (pos < value.size() && value[pos] == '*') {
        ++pos;
        if (range.first < 0) return std::nullopt;  // "*/*" says nothing
    } else {
        const auto total = readNumber(value, pos);
        if (!total || (range.first >= 0 && range.last >= *total)) return std::nullopt;
        range.total = *total;
    }
    while (pos < value.size() && value[pos] == ' ') ++pos;
    if (pos != value.size()) return std::nullopt;
    return range;
}

}  // namespace korvel::upgrade
