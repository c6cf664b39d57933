// Line breaks as the controls hand them to GDI+. The program's texts break
// lines with CR LF; GDI+ starts a new line at LF alone, and Wine's GDI+ draws
// the CR as a missing-glyph box, so CR LF and a lone CR become LF. Wine's
// GDI+ also gives a line with nothing on it no height, which would close up
// the blank lines between paragraphs; such a line gets one blank.
#pragma once

#include <string>
#include <string_view>

namespace korvel::skin {

// Byte-wise is safe for GBK: CR and LF never occur as the second byte of a
// double-byte character.
std::string lineFeedBreaks(std::string_view text);

}  // namespace korvel::skin
