// Where the result box may wrap a line, and what a double click there takes
// as a word, looking at that line only.
#pragma once

#include <string_view>

namespace korvel::ui {

// A blank: never wrapped before, so it may hang past a line's edge.
bool isBlank(char16_t c);

// True when a line may wrap before position index (0 < index < size): after a
// blank, or next to a CJK character, which needs no blank to break.
bool canBreakBefore(std::u16string_view line, int index);

// The word-break questions of wrapping and of word selection.
enum class WordBreakAction { kLeft, kRight, kIsDelimiter };

// kLeft: the last break position before index (0 when there is none);
// kRight: the first break position after index (the line's size when none);
// kIsDelimiter: 1 when the character at index is a blank, else 0.
int wordBreak(std::u16string_view line, int index, WordBreakAction action);

}  // namespace korvel::ui
