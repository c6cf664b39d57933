#include "upgrade/update_page.h"

#include "text/gbk_text.h"
#include "upgrade/upgrade_texts.h"

namespace korvel::upgrade {

namespace {

constexpr int kVersionMarkerLength = sizeof(kVersionMarker) - 1;
constexpr int kDirectLinkMarkerLength = sizeof(kDirectLinkMarker) - 1;

// Deleting the first \\ pair again and again, in one pass: the text kept so
// far never holds a pair, so a backslash either cancels a backslash that
// ends the kept text or is kept. Whole characters are walked, so the trail
// byte 0x5C of a double-byte character is never taken for a backslash. The
// plain repeated search would be quadratic on a page full of backslashes.
std::string removeBackslashPairs(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    bool keptEndsInBackslash = false;
    size_t i = 0;
    while (i < text.size()) {
        const bool lead = text::isLeadByte(static_cast<unsigned char>(text[i]));
        const size_t length = lead && i + 1 < text.size() ? 2 : 1;
        if (length == 1 && text[i] == '\\') {
            if (keptEndsInBackslash) {
                kept.pop_back();
                keptEndsInBackslash = false;
            } else {
                kept.push_back('\\');
                keptEndsInBackslash = true;
            }
        } else {
            kept.append(text.substr(i, length));
            keptEndsInBackslash = false;
        }
        i += length;
    }
    return kept;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string parseLatestVersion(std::string_view page, std::string_view current) {
    const std::string text = text::upToFirstZero(page);
    const int open = text::find(text, kVersionMarker);
    if (open == -1) return kNoNewerVersion;
    const int close = text::find(text, kVersionMarker, open + kVersionMarkerLength);
    const std::string version = close == -1 ? std::string()
                                            : text::mid(text, open + kVersionMarkerLength,
                                                        close - open - kVersionMarkerLength);
    return version == current ? std::string(kNoNewerVersion) : version;
}

std::string parseDownloadLink(std::string_view page) {
    const std::vector<std::string> pieces = text::split(text::upToFirstZero(page), kLinkMarker);
    if (pieces.size() < 2) return {};
    const std::string& stretch = pieces[1];
    const int end = text::find(stretch, kLinkEndMarker);
    if (end == -1) return {};
    return text::removeAll(text::mid(stretch, 1, end - 1), "amp;");
}

std::string parseDirectLink(std::string_view page) {
    const std::string text = text::upToFirstZero(page);
    const int marker = text::find(text, kDirectLinkMarker);
    if (marker == -1) return {};
    const std::string rest = text.substr(static_cast<size_t>(marker - 1 + kDirectLinkMarkerLength));
    const int end = text::find(rest, kDirectLinkEnd);
    if (end == -1) return {};
    return removeBackslashPairs(text::mid(rest, 1, end - 1));
}

std::string parseSignature(std::string_view page) {
    const std::string text = text::upToFirstZero(page);
    const int open = text::find(text, kSignatureMarker);
    if (open == -1) return {};
    const int digitsAt = open + static_cast<int>(sizeof(kSignatureMarker) - 1);
    const int close = text::find(text, kSignatureEndMarker, digitsAt);
    if (close == -1 || static_cast<size_t>(close - digitsAt) != kSignatureBytes * 2) return {};
    return hexBytes(text::mid(text, digitsAt, close - digitsAt));
}

std::string hexBytes(std::string_view digits) {
    if (digits.size() % 2 != 0) return {};
    std::string bytes;
    bytes.reserve(digits.size() / 2);
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int high = hexDigit(digits[i]), low = hexDigit(digits[i + 1]);
        if (high < 0 || low < 0) return {};
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return bytes;
}

}  // namespace korvel::upgrade
