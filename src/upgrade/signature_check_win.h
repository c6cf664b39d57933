// Whether a downloaded program is ours: its bytes checked against the
// signature the announcement page carries, with the release key compiled
// into the program, through the platform's own crypto API (CNG).
#pragma once

#include <string>
#include <string_view>

namespace korvel::upgrade {

// The release key of the build settings as 64 bytes (X then Y of a P-256
// point); empty when the setting is no such key.
std::string releasePublicKey();

// True when signature (64 bytes, r then s) is a valid ECDSA P-256 signature
// of the SHA-256 of the file's bytes under publicKey (64 bytes, X then Y).
// False for anything else: an unreadable file, a malformed key or
// signature, a signature of other bytes or by another key.
bool verifyFileSignature(const std::string& path, std::string_view signature,
                         std::string_view publicKey);

}  // namespace korvel::upgrade
