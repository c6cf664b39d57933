#include "io/program_data_win.h"

#include <windows.h>
#include <shlobj.h>

#include "text/wide_text_win.h"

namespace korvel::io {

namespace {

constexpr char kFolderName[] = "Korvel运单助手";

std::wstring overrideFolder() {
    wchar_t value[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"KORVEL_DATA_DIR", value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(value, n) : std::wstring();
}

std::wstring localAppData() {
    PWSTR path = nullptr;
    std::wstring out;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &path)))
        out = path;
    CoTaskMemFree(path);
    return out;
}

}  // namespace

std::string programDataFolder() {
    std::wstring folder = overrideFolder();
    if (folder.empty()) {
        const std::wstring base = localAppData();
        if (base.empty()) return {};
        folder = base + L"\\" + text::toWide(kFolderName);
    }
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    if (folder.empty()) return {};
    // SHCreateDirectoryExW makes the missing parents as well.
    const int made = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS)
        return {};
    const DWORD attrs = GetFileAttributesW(folder.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return {};
    return text::toGbk(folder);
}

}  // namespace korvel::io
