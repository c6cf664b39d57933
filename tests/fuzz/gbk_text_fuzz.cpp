// fuzz-sources: src/text/gbk_text.cpp
// The GBK helpers see every byte the network and template files bring in.
#include <cstddef>
#include <cstdint>
#include <string>

#include "text/gbk_text.h"

using namespace korvel::text;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // First byte splits the input into a marker and a text.
    const size_t cut = data[0] % 8;
    const std::string all(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string marker = all.substr(0, std::min(cut, all.size()));
    const std::string text = all.substr(marker.size());

    const int at = find(text, marker);
    if (at != -1 && (at < 1 || text.compare(at - 1, marker.size(), marker) != 0)) __builtin_trap();
    const std::string piece = mid(text, at, static_cast<int>(text.size()));
    if (piece.size() > text.size()) __builtin_trap();
    size_t total = 0;
    for (const auto& p : split(text, marker)) total += p.size();
    if (total > text.size()) __builtin_trap();
    for (const auto& p : splitBytes(text, marker)) total += p.size();
    if (removeAll(text, marker).size() > text.size()) __builtin_trap();
    const std::string trimmed = trimBlanks(text);
    if (trimmed.size() > text.size() || text.find(trimmed) == std::string::npos) __builtin_trap();
    (void)isEmptyOrSpaces(text);
    (void)upToFirstZero(text);
    return 0;
}
