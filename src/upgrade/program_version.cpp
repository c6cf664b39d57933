#include "upgrade/program_version.h"

#include <cstdio>

namespace korvel::upgrade {

namespace {

constexpr char kFallbackTable[] = "040904E4";

// The number after the prefix "000" in lower-case hex, last four characters:
// exactly four digits for any 16-bit value.
std::string fourHexDigits(unsigned value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "000%x", value);
    const std::string text(buf);
    return text.substr(text.size() - 4);
}

}  // namespace

std::vector<Translation> parseTranslations(std::span<const std::uint8_t> table) {
    std::vector<Translation> out;
    for (size_t i = 0; i + 4 <= table.size(); i += 4) {
        out.push_back({static_cast<std::uint16_t>(table[i] | (table[i + 1] << 8)),
                       static_cast<std::uint16_t>(table[i + 2] | (table[i + 3] << 8))});
    }
    return out;
}

std::string stringTableName(std::span<const Translation> table) {
    if (table.empty()) return kFallbackTable;
    return fourHexDigits(table[0].language) + fourHexDigits(table[0].codePage);
}

std::string joinLanguageNames(std::span<const std::string> names) {
    std::string out;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out += ", ";
        out += names[i];
    }
    return out;
}

std::string stringQueryPath(const std::string& table, const char* key) {
    return "\\StringFileInfo\\" + table + "\\" + key;
}

}  // namespace korvel::upgrade
