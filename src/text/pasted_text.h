// What a paste into a one-line field becomes. A column copied from a
// spreadsheet or a text file arrives as lines (CR LF, LF, CR) or as cells
// separated by tabs; a one-line edit control would keep only the first line
// and drop the rest without a word.
#pragma once

#include <string>
#include <string_view>

namespace korvel::text {

// The pasted text with every line break (CR LF counted once) and every tab
// turned into one ASCII space, so each line or cell stays a blank-separated
// piece in its order.
std::wstring pastedAsOneLine(std::wstring_view pasted);

}  // namespace korvel::text
