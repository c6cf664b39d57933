#include "ui/word_breaks.h"

namespace korvel::ui {

namespace {

// From the CJK radicals on: ideographs, kana, hangul, full-width forms.
bool isWide(char16_t c) { return c >= 0x2E80 && !(c >= 0xD800 && c <= 0xDFFF); }

}  // namespace

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\x3000'; }

bool canBreakBefore(std::u16string_view line, int index) {
    if (index <= 0 || index >= static_cast<int>(line.size())) return false;
    const char16_t before = line[static_cast<size_t>(index - 1)];
    const char16_t at = line[static_cast<size_t>(index)];
    if (isBlank(at)) return false;
    return isBlank(before) || isWide(before) || isWide(at);
}

int wordBreak(std::u16string_view line, int index, WordBreakAction action) {
    const int size = static_cast<int>(line.size());
    switch (action) {
        case WordBreakAction::kLeft:
            if (index > size) index = size;
            while (--index > 0 && !canBreakBefore(line, index)) {
            }
            return index > 0 ? index : 0;
        case WordBreakAction::kRight:
            if (index < 0) index = 0;
            while (++index < size && !canBreakBefore(line, index)) {
            }
            return index < size ? index : size;
        case WordBreakAction::kIsDelimiter:
            return index >= 0 && index < size && isBlank(line[static_cast<size_t>(index)]) ? 1 : 0;
    }
    return 0;
}

}  // namespace korvel::ui
