// The naming rules of the program's version record, free of Win32: which
// string table of the version resource the texts are read from, and how the
// language names are joined.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvel::upgrade {

// The eleven texts of the version record, in the order of the resource keys
// below (the language names sit between ProductVersion and Comments).
struct ProgramVersion {
    std::string fileVersion;
    std::string companyName;
    std::string fileDescription;
    std::string internalName;
    std::string legalCopyright;
    std::string legalTrademarks;
    std::string originalFilename;
    std::string productName;
    std::string productVersion;
    std::string languageNames;
    std::string comments;
};

// One entry of "\VarFileInfo\Translation".
struct Translation {
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
};

// The raw translation table (4-byte entries: language then code page, little
// endian); a trailing partial entry is ignored.
std::vector<Translation> parseTranslations(std::span<const std::uint8_t> table);

// The string-table name: the first entry's language and code page as four
// lower-case hex digits each ("080404b0"), or "040904E4" with no entry.
std::string stringTableName(std::span<const Translation> table);

// Language names joined by ", ".
std::string joinLanguageNames(std::span<const std::string> names);

// "\StringFileInfo\<table>\<key>".
std::string stringQueryPath(const std::string& table, const char* key);

}  // namespace korvel::upgrade
