// Which installed face draws the program's text. The windows ask for "宋体";
// a machine without it (a Windows without SimSun, a bare Wine prefix) still
// has some face that covers Chinese, and text must never vanish.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace korvel::skin {

// Faces that cover Chinese and look right in a Chinese UI, most wanted first
// (GBK names, with the English names Windows and Linux report as well).
std::span<const std::string_view> PreferredChineseFaces();

// The face to draw with: wanted when installed; otherwise the first of the
// preferred faces among chineseFaces; otherwise the first chineseFaces entry
// that is not a vertical ("@") face; otherwise empty, and the caller falls
// back to whatever face it can get. chineseFaces are the installed families
// that cover the GB2312 character set, as the system enumerates them.
std::string ChooseFontFace(std::string_view wanted, bool wantedInstalled,
                           std::span<const std::string> chineseFaces);

}  // namespace korvel::skin
