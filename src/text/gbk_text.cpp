#include "text/gbk_text.h"

namespace korvel::text {

namespace {

// Byte offset of marker at or after offset start, stepping over whole GBK
// characters; npos when absent.
size_t findOffset(std::string_view text, std::string_view marker, size_t start) {
    if (marker.empty() || marker.size() > text.size()) return std::string_view::npos;
    const size_t last = text.size() - marker.size();
    size_t i = 0;
    while (i <= last) {
        if (i >= start && text.compare(i, marker.size(), marker) == 0) return i;
        i += isLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
    return std::string_view::npos;
}

// One forward scan on character boundaries: calls onMatch(offset) for every
// occurrence and resumes right after it, so cutting a long text stays linear.
template <typename OnMatch>
void scanMatches(std::string_view text, std::string_view marker, OnMatch onMatch) {
    if (marker.empty()) return;
    size_t i = 0;
    while (i + marker.size() <= text.size()) {
        if (text.compare(i, marker.size(), marker) == 0) {
            onMatch(i);
            i += marker.size();
            continue;
        }
        i += isLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
}

std::vector<std::string> piecesFrom(std::string_view text, std::string_view delimiter,
                                    const std::vector<size_t>& matches) {
    std::vector<std::string> pieces;
    size_t begin = 0;
    for (size_t at : matches) {
        pieces.emplace_back(text.substr(begin, at - begin));
        begin = at + delimiter.size();
    }
    if (begin < text.size()) pieces.emplace_back(text.substr(begin));
    return pieces;
}

}  // namespace

int find(std::string_view text, std::string_view marker, int from) {
    const size_t start = from < 1 ? 0 : static_cast<size_t>(from - 1);
    const size_t at = findOffset(text, marker, start);
    return at == std::string_view::npos ? -1 : static_cast<int>(at) + 1;
}

std::string mid(std::string_view text, int start, int count) {
    if (start < 1 || count <= 0) return {};
    const size_t offset = static_cast<size_t>(start - 1);
    if (offset >= text.size()) return {};
    return std::string(text.substr(offset, static_cast<size_t>(count)));
}

std::vector<std::string> split(std::string_view text, std::string_view delimiter) {
    if (text.empty()) return {};
    std::vector<size_t> matches;
    scanMatches(text, delimiter, [&](size_t at) { matches.push_back(at); });
    return piecesFrom(text, delimiter, matches);
}

std::vector<std::string> splitBytes(std::string_view bytes, std::string_view delimiter) {
    if (bytes.empty()) return {};
    std::vector<size_t> matches;
    if (!delimiter.empty()) {
        for (size_t at = bytes.find(delimiter); at != std::string_view::npos;
             at = bytes.find(delimiter, at + delimiter.size()))
            matches.push_back(at);
    }
    return piecesFrom(bytes, delimiter, matches);
}

std::string removeAll(std::string_view text, std::string_view marker) {
    std::string out;
    out.reserve(text.size());
    size_t begin = 0;
    scanMatches(text, marker, [&](size_t at) {
        out.append(text.substr(begin, at - begin));
        begin = at + marker.size();
    });
    out.append(text.substr(begin));
    return out;
}

std::string trimBlanks(std::string_view text) {
    // Walk whole characters so a trail byte A1 is never mistaken for half of
    // a full-width space; remember where the last non-blank character ends.
    size_t begin = 0, end = 0, i = 0;
    bool seenText = false;
    while (i < text.size()) {
        const bool lead = isLeadByte(static_cast<unsigned char>(text[i]));
        const size_t len = lead && i + 1 < text.size() ? 2 : 1;
        const bool blank = (len == 1 && text[i] == ' ') ||
                           (len == 2 && static_cast<unsigned char>(text[i]) == 0xA1 &&
                            static_cast<unsigned char>(text[i + 1]) == 0xA1);
        if (!blank) {
            if (!seenText) begin = i;
            seenText = true;
            end = i + len;
        }
        i += len;
    }
    return seenText ? std::string(text.substr(begin, end - begin)) : std::string();
}

bool isEmptyOrSpaces(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

std::string upToFirstZero(std::string_view bytes) {
    return std::string(bytes.substr(0, bytes.find('\0')));
}

}  // namespace korvel::text
