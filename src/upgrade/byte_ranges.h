// HTTP byte ranges for the download engine: the Range a request asks for and
// what a server's Content-Length and Content-Range say.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvel::upgrade {

// A file below this size is fetched over one connection.
inline constexpr int64_t kMinPartBytes = 4096;

// Inclusive byte positions, as in a Range header.
struct ByteRange {
    int64_t first = 0;
    int64_t last = -1;
    int64_t size() const { return last - first + 1; }
    bool operator==(const ByteRange&) const = default;
};

// "Range: bytes=first-last\r\n", or "bytes=first-" for an open end (last < 0).
std::string rangeRequestHeader(int64_t first, int64_t last);

// A Content-Length value: decimal digits, blanks around them allowed;
// nothing when malformed or overflowing.
std::optional<int64_t> parseContentLength(std::string_view value);

// A Content-Range value: "bytes 0-99/1000" or the unsatisfied "bytes */0".
// For the unsatisfied form first and last are -1; an unknown total ("/*")
// is -1.
struct ContentRange {
    int64_t first = -1;
    int64_t last = -1;
    int64_t total = -1;
    bool operator==(const ContentRange&) const = default;
};

// The parsed header, or nothing when it is malformed or inconsistent
// (last before first, a range beyond a known total, overflowing numbers).
std::optional<ContentRange> parseContentRange(std::string_view value);

}  // namespace korvel::upgrade
