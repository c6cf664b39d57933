#include "io/file_io_win.h"

#include <windows.h>

#include <string>

#include "text/wide_text_win.h"

namespace korvel::io {

namespace {

class FileHandle {
  public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() {
        if (valid()) CloseHandle(h_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

  private:
    HANDLE h_;
};

bool writeAll(HANDLE h, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

}  // namespace

std::optional<std::string> readWholeFile(const std::string& path, std::uint64_t maxBytes,
                                         ReadFailure* why) {
    if (why) *why = ReadFailure::CannotRead;
    if (path.empty()) return std::nullopt;
    FileHandle file(CreateFileW(text::toWide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return std::nullopt;
    // Nothing is allocated for a file beyond the bound or beyond what this
    // process could ever hold in one piece.
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes || size.QuadPart > 0x7FFFFFFF) {
        if (why) *why = ReadFailure::TooLarge;
        return std::nullopt;
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                      &got, nullptr))
            return std::nullopt;
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    if (why) *why = ReadFailure::None;
    return bytes;
}

bool writeWholeFile(const std::string& path, const std::string& bytes) {
    FileHandle file(CreateFileW(text::toWide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() && writeAll(file.get(), bytes);
}

bool writeFileSafely(const std::string& path, const std::string& bytes) {
    if (path.empty()) return false;
    const std::wstring target = text::toWide(path);
    // A read-only target is refused up front: replacing it would silently
    // drop the user's protection.
    const DWORD attrs = GetFileAttributesW(target.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES &&
        (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    // One temporary name per process: two copies of the program replacing
    // the same file never write into each other's temporary file.
    const std::wstring temp = target + L".korvel-tmp" + std::to_wstring(GetCurrentProcessId());
    bool ok;
    {
        FileHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        ok = file.valid() && writeAll(file.get(), bytes) && FlushFileBuffers(file.get());
    }
    if (ok)
        ok = MoveFileExW(temp.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
}

bool fileExists(const std::string& path) {
    const DWORD attrs = GetFileAttributesW(text::toWide(path).c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace korvel::io
