#include "skin/line_breaks.h"

namespace korvel::skin {

namespace {

void endLine(std::string& out) {
    if (out.empty() || out.back() == '\n') out += ' ';
    out += '\n';
}

}  // namespace

std::string lineFeedBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            endLine(out);
        } else if (text[i] != '\r') {
            out += text[i];
        } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
            endLine(out);
        }
    }
    return out;
}

}  // namespace korvel::skin
