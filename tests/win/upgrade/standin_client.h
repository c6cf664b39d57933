// Helpers for the Wine-side upgrade tests: where the update stand-in
// listens, its control requests, the bytes of its generated file, scratch
// folders.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "io/handles_win.h"
#include "text/wide_text_win.h"

namespace korvel::upgrade::testing {

// The port the launcher exported; 0 when the test runs without it.
inline int standinPort() {
    wchar_t value[16];
    const DWORD n = GetEnvironmentVariableW(L"KORVEL_UPDATE_PORT", value, 16);
    return n > 0 && n < 16 ? _wtoi(value) : 0;
}

inline std::string standinBase() { return "http://127.0.0.1:" + std::to_string(standinPort()); }

// A plain GET, independent of the code under test; the body or "" on error.
inline std::string plainGet(const std::string& url) {
    korvel::io::InternetHandle session(
        InternetOpenW(L"korvel-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session) return {};
    korvel::io::InternetHandle request(
        InternetOpenUrlW(session.get(), text::toWide(url).c_str(), nullptr, 0,
                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request) return {};
    std::string body;
    char buffer[4096];
    DWORD got = 0;
    while (InternetReadFile(request.get(), buffer, sizeof(buffer), &got) && got > 0)
        body.append(buffer, got);
    return body;
}

// Sets stand-in options ("fault=drop&drop_at=100"); true when accepted.
inline bool control(const std::string& query) {
    return plainGet(standinBase() + "/control?" + query) == "ok";
}

inline std::string fileUrl() { return standinBase() + "/files/korvel.exe"; }

// The stand-in's generated file: "MZ", then a 65521-byte block made by a
// 31-bit LCG, repeated.
inline std::string generatedFile(size_t size) {
    constexpr size_t kBlock = 65521;
    std::string block(kBlock, '\0');
    uint32_t x = 20240607;
    for (size_t i = 0; i < kBlock; ++i) {
        x = (x * 1103515245u + 12345u) & 0x7FFFFFFFu;
        block[i] = static_cast<char>((x >> 16) & 0xFF);
    }
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i) data[i] = block[i % kBlock];
    if (size > 0) data[0] = 'M';
    if (size > 1) data[1] = 'Z';
    return data;
}

// A fresh folder under %TEMP%, removed with what is in it (one level).
class ScratchFolder {
  public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = text::toGbk(temp) + "korvel_upgrade_" + std::to_string(GetCurrentProcessId()) +
                "_" + std::to_string(GetTickCount());
        CreateDirectoryW(text::toWide(path_).c_str(), nullptr);
    }
    ~ScratchFolder() {
        WIN32_FIND_DATAW found;
        const std::wstring folder = text::toWide(path_);
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((folder + L"\\" + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

}  // namespace korvel::upgrade::testing
