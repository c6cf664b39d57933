// GBK byte-string helpers shared by every subsystem. Positions and lengths
// count bytes and positions are 1-based, as the program's text rules are
// stated that way; a GBK double-byte character is a lead byte and the byte
// after it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvel::text {

// True for a byte that starts a GBK double-byte character: code page 936
// leads only with 0x81..0xFE; 0x80 and 0xFF stand alone.
inline bool isLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// 1-based position of the first occurrence of marker at or after the 1-based
// position from, or -1. A match never begins on the trail byte of a
// double-byte character: the scan steps over whole characters from the start.
int find(std::string_view text, std::string_view marker, int from = 1);

// At most count bytes of text from the 1-based position start; empty when
// start is below 1 or beyond the text, or count is 0 or less.
std::string mid(std::string_view text, int start, int count);

// Pieces of text cut at every delimiter (scanned on character boundaries):
// the piece before an occurrence counts even when empty, the rest after the
// last occurrence counts only when not empty; an empty text gives no pieces.
std::vector<std::string> split(std::string_view text, std::string_view delimiter);

// The same rules, scanning byte by byte (used where the data is binary, such
// as the template file body).
std::vector<std::string> splitBytes(std::string_view bytes, std::string_view delimiter);

// Deletes every occurrence of marker (scanned on character boundaries).
std::string removeAll(std::string_view text, std::string_view marker);

// Removes ASCII spaces (0x20) and GBK full-width spaces (A1 A1) at both ends.
std::string trimBlanks(std::string_view text);

// True when text is empty or made only of ASCII spaces.
bool isEmptyOrSpaces(std::string_view text);

// Received bytes become text up to (not including) their first zero byte.
std::string upToFirstZero(std::string_view bytes);

}  // namespace korvel::text
