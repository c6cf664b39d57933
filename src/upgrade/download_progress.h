// The arithmetic of the once-a-second progress display and the verdict on a
// finished download.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvel::upgrade {

// "received B\ total B", for instance "512 B\ 2048 B".
std::string progressStatusText(int64_t received, int64_t total);

// received / total x 100 in floating point, kept within 0..100; 0 while the
// size is unknown (total 0) or invalid, so the bar never sees a non-finite
// value.
double progressBarPosition(int64_t received, int64_t total);

// True when the download may be a complete program: the transfer announced a
// valid size, the engine saw it end cleanly (every response read to its end,
// nothing cut off or stopped), at least the announced bytes arrived, and the
// file is a Windows program (starts with "MZ"). Without a size (0) a server
// that closes early looks like a clean end, so only the signature check that
// follows can tell; anything less never reaches the switch-over, which
// deletes the working program.
bool downloadSucceeded(int64_t received, int64_t announced, bool endedCleanly,
                       std::string_view fileHead);

}  // namespace korvel::upgrade
