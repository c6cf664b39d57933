// Whole-file reads and safe whole-file writes, with GBK paths.
#pragma once

#include <optional>
#include <string>

namespace korvel::ui {

// The file's bytes, or nullopt when it cannot be opened or read.
std::optional<std::string> readWholeFile(const std::string& path);

// Writes bytes to a temporary file beside path, flushes it, then replaces
// path with it. On any failure the old file stays untouched, the temporary
// file is removed and false is returned.
bool writeFileSafely(const std::string& path, const std::string& bytes);

// Creates or truncates path and writes bytes in one go (no temporary file).
bool writeWholeFile(const std::string& path, const std::string& bytes);

bool fileExists(const std::string& path);

}  // namespace korvel::ui
