#include "text/pasted_text.h"

namespace korvel::text {

std::wstring pastedAsOneLine(std::wstring_view pasted) {
    std::wstring line;
    line.reserve(pasted.size());
    for (size_t i = 0; i < pasted.size(); ++i) {
        const wchar_t c = pasted[i];
        if (c == L'\r' && i + 1 < pasted.size() && pasted[i + 1] == L'\n') continue;
        line.push_back(c == L'\r' || c == L'\n' || c == L'\t' ? L' ' : c);
    }
    return line;
}

}  // namespace korvel::text
