// The parts of the HTTP fetch that do not need the platform: the URL text
// handed to the HTTP stack and the size of each read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvel::io {

// Drops the first "#" and everything after it (a fragment is never sent), and
// percent-encodes blanks, CR, LF and the other control bytes (0x00-0x20, 0x7F)
// so a number holding them cannot break the request line or add a header.
// Every other byte, "|", "%", "&" and GBK bytes included, stays as it is.
std::string requestUrl(std::string_view url);

inline constexpr unsigned kDefaultReadChunk = 10240;
inline constexpr unsigned kMaxReadChunk = 102400;

// Read size from the Content-Length value (nullopt when the header is missing
// or does not fit the 32-byte buffer): the length plus 1, at most 102400;
// 10240 when there is none, it is no number, or it is 0 or negative.
unsigned readChunkSize(std::optional<std::string_view> contentLength);

}  // namespace korvel::io
