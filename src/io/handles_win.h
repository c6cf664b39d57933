// Owning wrappers for the Win32 handles the program opens: WinINet handles,
// kernel handles (files, processes, threads, events) and CNG handles. Copy is
// deleted, move passes ownership on; release() for a handle something else
// closes.
#pragma once

#include <windows.h>
// Needs the types of windows.h.
#include <bcrypt.h>
#include <wininet.h>

#include <utility>

namespace korvel::io {

template <typename Traits>
class UniqueHandle {
  public:
    using Handle = typename Traits::Handle;
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, Traits::invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, Traits::invalid());
        }
        return *this;
    }

    explicit operator bool() const { return h_ != Traits::invalid(); }
    Handle get() const { return h_; }
    Handle release() { return std::exchange(h_, Traits::invalid()); }
    void reset(Handle h = Traits::invalid()) {
        if (h_ != Traits::invalid()) Traits::close(h_);
        h_ = h;
    }

  private:
    Handle h_ = Traits::invalid();
};

struct InternetTraits {
    using Handle = HINTERNET;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { InternetCloseHandle(h); }
};

// CreateFile reports failure as INVALID_HANDLE_VALUE.
struct FileTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) { CloseHandle(h); }
};

// Processes, threads and events report failure as null.
struct KernelTraits {
    using Handle = HANDLE;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { CloseHandle(h); }
};

struct AlgorithmTraits {
    using Handle = BCRYPT_ALG_HANDLE;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { BCryptCloseAlgorithmProvider(h, 0); }
};

struct CryptoKeyTraits {
    using Handle = BCRYPT_KEY_HANDLE;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { BCryptDestroyKey(h); }
};

struct HashTraits {
    using Handle = BCRYPT_HASH_HANDLE;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { BCryptDestroyHash(h); }
};

using InternetHandle = UniqueHandle<InternetTraits>;
using AlgorithmHandle = UniqueHandle<AlgorithmTraits>;
using CryptoKeyHandle = UniqueHandle<CryptoKeyTraits>;
using HashHandle = UniqueHandle<HashTraits>;
using FileHandle = UniqueHandle<FileTraits>;
using KernelHandle = UniqueHandle<KernelTraits>;

}  // namespace korvel::io
