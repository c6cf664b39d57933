#include "upgrade/program_version_win.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "text/wide_text_win.h"

namespace korvel::upgrade {

namespace {

// The string keys in the order of the record's fields; the language names
// (field 10) come from the translation table instead.
struct Field {
    const char* key;
    std::string ProgramVersion::*member;
};
constexpr Field kFields[] = {
    {"FileVersion", &ProgramVersion::fileVersion},
    {"CompanyName", &ProgramVersion::companyName},
    {"FileDescription", &ProgramVersion::fileDescription},
    {"InternalName", &ProgramVersion::internalName},
    {"LegalCopyright", &ProgramVersion::legalCopyright},
    {"LegalTrademarks", &ProgramVersion::legalTrademarks},
    {"OriginalFilename", &ProgramVersion::originalFilename},
    {"ProductName", &ProgramVersion::productName},
    {"ProductVersion", &ProgramVersion::productVersion},
    {"Comments", &ProgramVersion::comments},
};

std::string queryString(const std::vector<std::uint8_t>& block, const std::string& path) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring widePath = text::toWide(path);
    if (!VerQueryValueW(block.data(), widePath.c_str(), &value, &length) || !value || length == 0)
        return {};
    // length counts characters, the terminating zero included when present.
    std::wstring_view text(static_cast<const wchar_t*>(value), length);
    while (!text.empty() && text.back() == L'\0') text.remove_suffix(1);
    return text::toGbk(text);
}

std::string languageName(std::uint16_t language) {
    wchar_t name[256] = {};
    const DWORD n = VerLanguageNameW(language, name, 256);
    return n ? text::toGbk(std::wstring_view(name, n)) : std::string();
}

}  // namespace

bool readProgramVersion(const std::string& gbkPath, ProgramVersion& version) {
    version = ProgramVersion{};
    const std::wstring path = text::toWide(gbkPath);
    if (path.empty()) return false;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<std::uint8_t> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return false;

    void* table = nullptr;
    UINT tableBytes = 0;
    std::vector<Translation> translations;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &table, &tableBytes) && table)
        translations = parseTranslations({static_cast<const std::uint8_t*>(table), tableBytes});
    std::vector<std::string> names;
    for (const Translation& t : translations) names.push_back(languageName(t.language));
    version.languageNames = joinLanguageNames(names);

    const std::string tableName = stringTableName(translations);
    for (const Field& field : kFields)
        version.*field.member = queryString(block, stringQueryPath(tableName, field.key));
    return true;
}

std::string ownExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return text::toGbk(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace korvel::upgrade
