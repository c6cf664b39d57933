// The URL text that the fetch hands to the HTTP stack.
#pragma once

#include <string>
#include <string_view>

namespace korvel::query {

// Drops the first "#" and everything after it (a fragment is never sent), and
// percent-encodes blanks, CR, LF and the other control bytes (0x00-0x20, 0x7F)
// so a number holding them cannot break the request line or add a header.
// Every other byte, "|", "%", "&" and GBK bytes included, stays as it is.
std::string requestUrl(std::string_view url);

}  // namespace korvel::query
