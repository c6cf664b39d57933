// Which update-announcement page the update check reads.
#pragma once

#include <string>
#include <string_view>

namespace korvel::upgrade {

// The environment variable that redirects the update check to another page.
// It exists for tests and operations (a stand-in on a free port, a staging
// server); users never need it.
inline constexpr char kUpdatePageUrlVariable[] = "KORVEL_UPDATE_PAGE_URL";

// The override when it is an http:// or https:// address with something
// after the scheme; the built-in address otherwise (also when it is empty),
// so a stray value never points the check at a file or another scheme.
std::string chooseUpdatePageUrl(std::string_view override, std::string_view builtIn);

}  // namespace korvel::upgrade
