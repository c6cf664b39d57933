#include "upgrade/signature_check_win.h"

#include <cstring>
#include <vector>

#include "build_settings.h"
#include "io/handles_win.h"
#include "text/wide_text_win.h"
#include "upgrade/update_page.h"

namespace korvel::upgrade {

namespace {

constexpr ULONG kCoordinateBytes = 32;
constexpr ULONG kDigestBytes = 32;
constexpr DWORD kReadBytes = 64 * 1024;

bool succeeded(NTSTATUS status) { return status >= 0; }

// SHA-256 of the whole file, read with writers kept out so the bytes checked
// are the bytes that will run.
bool hashFile(const std::string& path, std::vector<UCHAR>& digest) {
    io::FileHandle file(CreateFileW(text::toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    BCRYPT_ALG_HANDLE rawAlgorithm = nullptr;
    if (!succeeded(BCryptOpenAlgorithmProvider(&rawAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        return false;
    io::AlgorithmHandle algorithm(rawAlgorithm);
    BCRYPT_HASH_HANDLE rawHash = nullptr;
    if (!succeeded(BCryptCreateHash(algorithm.get(), &rawHash, nullptr, 0, nullptr, 0, 0)))
        return false;
    io::HashHandle hash(rawHash);
    std::vector<UCHAR> buffer(kReadBytes);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer.data(), kReadBytes, &got, nullptr)) return false;
        if (got == 0) break;
        if (!succeeded(BCryptHashData(hash.get(), buffer.data(), got, 0))) return false;
    }
    digest.assign(kDigestBytes, 0);
    return succeeded(BCryptFinishHash(hash.get(), digest.data(), kDigestBytes, 0));
}

}  // namespace

std::string releasePublicKey() {
    const std::string key = hexBytes(settings::kUpdatePublicKey);
    return key.size() == 2 * kCoordinateBytes ? key : std::string();
}

bool verifyFileSignature(const std::string& path, std::string_view signature,
                         std::string_view publicKey) {
    if (signature.size() != 2 * kCoordinateBytes || publicKey.size() != 2 * kCoordinateBytes)
        return false;
    std::vector<UCHAR> digest;
    if (!hashFile(path, digest)) return false;

    // The public blob: its header, then X and Y.
    std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + publicKey.size());
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, kCoordinateBytes};
    memcpy(blob.data(), &header, sizeof header);
    memcpy(blob.data() + sizeof header, publicKey.data(), publicKey.size());

    BCRYPT_ALG_HANDLE rawAlgorithm = nullptr;
    if (!succeeded(
            BCryptOpenAlgorithmProvider(&rawAlgorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0)))
        return false;
    io::AlgorithmHandle algorithm(rawAlgorithm);
    BCRYPT_KEY_HANDLE rawKey = nullptr;
    if (!succeeded(BCryptImportKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &rawKey,
                                       blob.data(), static_cast<ULONG>(blob.size()), 0)))
        return false;
    io::CryptoKeyHandle key(rawKey);
    std::vector<UCHAR> raw(signature.begin(), signature.end());
    return succeeded(BCryptVerifySignature(key.get(), nullptr, digest.data(), kDigestBytes,
                                           raw.data(), static_cast<ULONG>(raw.size()), 0));
}

}  // namespace korvel::upgrade
