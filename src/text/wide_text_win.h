// The one GBK <-> UTF-16 boundary. Every text is kept as GBK bytes inside
// the program; anything handed to or read from a W API goes through here,
// always with code page 936, so the program reads right on any system locale.
#pragma once

#include <string>
#include <string_view>

namespace korvel::text {

constexpr unsigned kGbkCodePage = 936;

std::wstring toWide(std::string_view gbk);
std::string toGbk(std::wstring_view wide);
// For files other programs read as UTF-8 (the exported table).
std::string gbkToUtf8(std::string_view gbk);
void appendUtf8(std::string& out, std::string_view gbk);

}  // namespace korvel::text
