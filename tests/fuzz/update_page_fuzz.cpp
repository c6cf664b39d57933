// fuzz-sources: src/upgrade/update_page.cpp src/text/gbk_text.cpp
// The update pages come from the network. On any page the readers stay in
// bounds and give only text taken from the page; on a page built around the
// markers from fuzzed texts they give back exactly what was put in.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/gbk_text.h"
#include "upgrade/update_page.h"
#include "upgrade/upgrade_texts.h"

using namespace korvel;
using namespace korvel::upgrade;

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// Whole characters, no zero bytes, and none of the given characters or
// markers on a character boundary.
std::string plainText(std::string_view raw, std::string_view droppedBytes,
                      const std::vector<std::string_view>& markers) {
    std::string out;
    for (size_t i = 0; i < raw.size();) {
        if (text::isLeadByte(static_cast<unsigned char>(raw[i]))) {
            if (i + 1 < raw.size() && raw[i + 1] != '\0') out.append(raw.substr(i, 2));
            i += 2;
            continue;
        }
        if (raw[i] != '\0' && droppedBytes.find(raw[i]) == std::string_view::npos)
            out.push_back(raw[i]);
        ++i;
    }
    for (bool again = true; again;) {
        again = false;
        for (std::string_view marker : markers) {
            if (text::find(out, marker) != -1) {
                out = text::removeAll(out, marker);
                again = true;
            }
        }
    }
    return out;
}

// Drops characters from the end until no marker is found in the text
// followed by any of the given follow-ups, except inside the follow-up
// itself ("*||" + "*||*" or "dz" + "*#*#" would be found early).
std::string endingCleanly(std::string text, const std::vector<std::string_view>& follows,
                          const std::vector<std::string_view>& markers) {
    for (;;) {
        bool clean = true;
        for (std::string_view follow : follows) {
            const std::string joined = text + std::string(follow);
            for (std::string_view marker : markers) {
                const int at = text::find(joined, marker);
                if (at != -1 && at <= static_cast<int>(text.size())) clean = false;
            }
        }
        if (clean) return text;
        size_t last = 0;
        for (size_t i = 0; i < text.size();)
            i += text::isLeadByte(static_cast<unsigned char>(text[last = i])) ? 2 : 1;
        text.resize(last);
    }
}

// Writes insertion before (or after) every byte c that stands on a character
// boundary.
std::string insertAround(std::string_view text, char c, std::string_view insertion, bool before) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t length = text::isLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        const bool hit = length == 1 && text[i] == c;
        if (hit && before) out.append(insertion);
        out.append(text.substr(i, length));
        if (hit && !before) out.append(insertion);
        i += length;
    }
    return out;
}

void checkAnyPage(std::string_view page) {
    const std::string text = text::upToFirstZero(page);
    const std::string version = parseLatestVersion(page, "1.0.0.0");
    check(version == kNoNewerVersion || text.find(version) != std::string::npos);
    if (text::find(text, kVersionMarker) == -1) check(version == kNoNewerVersion);

    const std::string link = parseDownloadLink(page);
    check(link.size() <= text.size());
    if (!link.empty()) check(text::find(text, kLinkMarker) != -1);

    const std::string direct = parseDirectLink(page);
    check(direct.size() <= text.size());
    // Pairs are deleted until none is left.
    check(text::find(direct, "\\\\") == -1);
    if (!direct.empty()) check(text::find(text, kDirectLinkMarker) != -1);
}

void checkBuiltPages(const std::vector<std::string_view>& parts) {
    const std::vector<std::string_view> all = {kVersionMarker, kLinkMarker, kDirectLinkMarker};
    const std::string prefix = endingCleanly(plainText(parts[0], "", all), all, all);
    const std::string suffix = plainText(parts[1], "", {});

    // Version: between the first two markers, whatever follows.
    const std::string version = endingCleanly(plainText(parts[2], "", {kVersionMarker}),
                                              {kVersionMarker}, {kVersionMarker});
    const std::string page1 =
        prefix + kVersionMarker + version + kVersionMarker + suffix + kVersionMarker;
    check(parseLatestVersion(page1, version) == kNoNewerVersion);
    check(parseLatestVersion(page1, version + "1") == version);
    check(parseLatestVersion(prefix + kVersionMarker + version, version + "1").empty());

    // Link: "&amp;" in the page is "&" in the link; a later marker ends it too.
    const std::string link =
        endingCleanly(plainText(parts[3], "", {kLinkMarker, kLinkEndMarker, "amp;"}),
                      {kLinkEndMarker}, {kLinkMarker, kLinkEndMarker});
    const std::string written = insertAround(link, '&', "amp;", false);
    check(parseDownloadLink(prefix + kLinkMarker + written + kLinkEndMarker + suffix) == link);
    check(parseDownloadLink(prefix + kLinkMarker + written + kLinkEndMarker + kLinkMarker +
                            suffix) == link);
    check(parseDownloadLink(prefix + kLinkMarker + written).empty());

    // Direct address: every slash written escaped (two backslashes, a slash)
    // comes back as a plain slash.
    const std::string address = plainText(parts[4], "\\\"", {kDirectLinkMarker});
    const std::string page3 = prefix + kDirectLinkMarker +
                              insertAround(address, '/', "\\\\", true) + kDirectLinkEnd + suffix;
    check(parseDirectLink(page3) == address);
    check(parseDirectLink(prefix + kDirectLinkMarker + address).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::string_view rest = all.substr(1);
    if (all[0] % 2 == 0) {
        checkAnyPage(rest);
        return 0;
    }
    // Five texts separated by 0x01 bytes: prefix, suffix, version, link, address.
    std::vector<std::string_view> parts;
    size_t begin = 0;
    for (size_t i = 0; i <= rest.size() && parts.size() < 5; ++i) {
        if (i == rest.size() || rest[i] == '\x01') {
            parts.push_back(rest.substr(begin, i - begin));
            begin = i + 1;
        }
    }
    while (parts.size() < 5) parts.push_back({});
    checkBuiltPages(parts);
    return 0;
}
