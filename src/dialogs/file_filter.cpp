#include "dialogs/file_filter.h"

#include "text/gbk_text.h"

namespace korvel::dialogs {

std::string toDialogFilter(std::string_view pipeFilter) {
    std::string out;
    // The bar is ASCII, but a GBK trail byte can be 0x7C: cut on characters.
    for (const auto& piece : text::split(pipeFilter, "|")) {
        out += piece;
        out += '\0';
    }
    // An odd piece count would pair a description with nothing; the dialog
    // then gets an empty pattern rather than reading past the end.
    if (text::split(pipeFilter, "|").size() % 2 == 1) out += '\0';
    out += '\0';
    return out;
}

}  // namespace korvel::dialogs
