// Whole-file reads and safe whole-file writes, with GBK paths.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace korvel::io {

enum class ReadFailure { None, CannotRead, TooLarge };

// The file's bytes, or nullopt when it cannot be opened or read, or when it
// holds more than maxBytes: its size is checked before anything is read, so
// no file the user can pick, however large, is ever taken into memory.
std::optional<std::string> readWholeFile(
    const std::string& path, std::uint64_t maxBytes = std::numeric_limits<std::uint64_t>::max(),
    ReadFailure* why = nullptr);

// Writes bytes to a temporary file beside path, flushes it, then replaces
// path with it. On any failure the old file stays untouched, the temporary
// file is removed and false is returned.
bool writeFileSafely(const std::string& path, const std::string& bytes);

// Creates or truncates path and writes bytes in one go (no temporary file).
bool writeWholeFile(const std::string& path, const std::string& bytes);

bool fileExists(const std::string& path);

}  // namespace korvel::io
