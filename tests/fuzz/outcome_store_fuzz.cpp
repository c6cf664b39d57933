// fuzz-sources: src/tracking/outcome_store.cpp src/tracking/parcel_state.cpp src/text/gbk_text.cpp
// The store's file may be cut short, damaged or another program's: reading
// must never go past the bytes, and the records it takes must write and
// read back unchanged, and sync into the same file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tracking/outcome_store.h"

using namespace korvel::tracking;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto records = parseOutcomes(bytes);
    const std::string once = serializeOutcomes(records);
    if (parseOutcomes(once) != records) __builtin_trap();
    OutcomeSync sync;
    const OutcomeSync::Result result = sync.sync(bytes, 0);
    OutcomeStore merged;
    for (const auto& record : records) merged.merge(record);
    const std::string expected = serializeOutcomes(merged.records());
    if (result.write ? *result.write != expected : (bytes != expected && !records.empty()))
        __builtin_trap();
    return 0;
}
