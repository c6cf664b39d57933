#include "upgrade/update_page_url.h"

namespace korvel::upgrade {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

bool isWebAddress(std::string_view url) {
    for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")})
        if (startsWithNoCase(url, scheme) && url.size() > scheme.size()) return true;
    return false;
}

}  // namespace

std::string chooseUpdatePageUrl(std::string_view override, std::string_view builtIn) {
    return std::string(isWebAddress(override) ? override : builtIn);
}

}  // namespace korvel::upgrade
