// The text of the About window.
#pragma once

#include <string>
#include <string_view>

namespace korvel::upgrade {

// The product name, an empty line, "版本：V " and the version, an empty line,
// and the credit line indented by 25 blanks; CR LF between the lines.
std::string aboutText(std::string_view version);

}  // namespace korvel::upgrade
