// Owns one WinINet handle: closed when the owner goes, unless release()
// says something else closed it already.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <utility>

namespace korvel::io {

class InternetHandle {
  public:
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() { reset(); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    InternetHandle(InternetHandle&& other) noexcept : handle_(other.release()) {}
    InternetHandle& operator=(InternetHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    explicit operator bool() const { return handle_ != nullptr; }
    HINTERNET get() const { return handle_; }
    HINTERNET release() { return std::exchange(handle_, nullptr); }
    void reset(HINTERNET handle = nullptr) {
        if (handle_) InternetCloseHandle(handle_);
        handle_ = handle;
    }

  private:
    HINTERNET handle_ = nullptr;
};

}  // namespace korvel::io
