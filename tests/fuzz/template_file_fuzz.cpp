// fuzz-sources: src/tracking/template_file.cpp src/text/gbk_text.cpp
// Template files come from anywhere on disk: decoding must never read past
// the bytes, and whatever it accepts must save and load back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tracking/template_file.h"

using namespace korvel::tracking;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto items = TemplateFile::decode(bytes);
    if (!items) return 0;
    // An accepted file re-saves (its body held no separator) and the saved
    // form is a fixed point: texts past 510 bytes are cut once, depths
    // normalised once, then nothing changes.
    const EncodedTemplate once = TemplateFile::encode(*items);
    if (!once.ok) __builtin_trap();
    const auto again = TemplateFile::decode(once.bytes);
    if (!again) __builtin_trap();
    const EncodedTemplate twice = TemplateFile::encode(*again);
    if (!twice.ok || twice.bytes != once.bytes) __builtin_trap();
    return 0;
}
