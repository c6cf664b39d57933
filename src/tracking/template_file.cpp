#include "tracking/template_file.h"

#include <algorithm>
#include <cstdint>

#include "text/gbk_text.h"
#include "tracking/tracking_texts.h"

namespace korvel::tracking {

namespace {

constexpr std::string_view kSeparator = "%-/";
constexpr std::string_view kHeadWord = "模版文件";
constexpr std::string_view kTailWord = "模版文件尾";
constexpr size_t kFieldsBytes = 20;  // five int32 after the text
constexpr size_t kShownTextBytes = 60;

constexpr uint32_t kFlagBold = 1u << 0;
constexpr uint32_t kFlagExpanded = 1u << 1;
constexpr int kStateImageShift = 28;

void putInt32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

int32_t getInt32(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return static_cast<int32_t>(value);
}

// At most max bytes of text, never ending on half a double-byte character.
std::string_view cutOnCharacter(std::string_view text, size_t max) {
    size_t end = 0;
    while (end < text.size()) {
        const size_t len = text::isLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + len > max) break;
        end += len;
    }
    return text.substr(0, std::min(end, text.size()));
}

uint32_t flagsOf(const ItemState& state) {
    uint32_t flags = 0;
    if (state.bold) flags |= kFlagBold;
    if (state.expanded) flags |= kFlagExpanded;
    flags |= (static_cast<uint32_t>(state.stateImage) & 0xF) << kStateImageShift;
    return flags;
}

struct Record {
    std::string_view text;
    ItemState state;
    int32_t depth;
};

// Every record of the body, or nullopt when one is cut short.
std::optional<std::vector<Record>> readRecords(std::string_view body) {
    std::vector<Record> records;
    size_t at = 0;
    while (at < body.size()) {
        const size_t zero = body.find('\0', at);
        if (zero == std::string_view::npos) return std::nullopt;
        Record record{body.substr(at, zero - at), {}, 0};
        at = zero + 1;
        if (body.size() - at < kFieldsBytes) return std::nullopt;
        record.state.image = getInt32(body, at);
        record.state.selectedImage = getInt32(body, at + 4);
        record.state.data = getInt32(body, at + 8);
        const uint32_t flags = static_cast<uint32_t>(getInt32(body, at + 12));
        record.state.bold = (flags & kFlagBold) != 0;
        record.state.expanded = (flags & kFlagExpanded) != 0;
        record.state.stateImage = static_cast<int>(flags >> kStateImageShift);
        record.depth = getInt32(body, at + 16);
        at += kFieldsBytes;
        records.push_back(record);
    }
    return records;
}

// The level decoder, without recursion. A level's first record is inserted
// there whatever its depth; a deeper record opens a level under the item
// inserted last; a shallower one closes the level; closing the outermost
// level ends decoding even when records remain.
std::optional<std::vector<TreeItem>> buildLevels(const std::vector<Record>& records) {
    struct Level {
        std::vector<TreeItem>* items;  // stays valid: outer levels don't grow while it is open
        bool depthKnown;
        int32_t depth;
    };
    std::vector<TreeItem> top;
    std::vector<Level> levels{{&top, false, 0}};
    size_t next = 0;
    while (next < records.size()) {
        Level& level = levels.back();
        const Record& record = records[next];
        if (!level.depthKnown || record.depth == level.depth) {
            level.items->push_back(TreeItem{std::string(record.text), record.state, {}});
            level.depthKnown = true;
            level.depth = record.depth;
            ++next;
        } else if (record.depth > level.depth) {
            if (levels.size() >= kMaxNesting) return std::nullopt;
            std::vector<TreeItem>* under = &level.items->back().children;
            levels.push_back({under, false, 0});
        } else {
            levels.pop_back();
            if (levels.empty()) break;
        }
    }
    return top;
}

}  // namespace

EncodedTemplate TemplateFile::encode(const std::vector<TreeItem>& items) {
    EncodedTemplate result;
    std::string& out = result.bytes;
    out.append(kHeadWord).append(kSeparator);
    const size_t bodyStart = out.size();

    // Pre-order walk with an explicit stack of sibling ranges.
    struct Range {
        const std::vector<TreeItem>* items;
        size_t next;
    };
    std::vector<Range> stack{{&items, 0}};
    while (!stack.empty()) {
        Range& range = stack.back();
        if (range.next == range.items->size()) {
            stack.pop_back();
            continue;
        }
        const TreeItem& item = (*range.items)[range.next++];
        const size_t recordStart = out.size();
        out.append(cutOnCharacter(item.text, kMaxStoredTextBytes));
        out.push_back('\0');
        putInt32(out, static_cast<uint32_t>(item.state.image));
        putInt32(out, static_cast<uint32_t>(item.state.selectedImage));
        putInt32(out, static_cast<uint32_t>(item.state.data));
        putInt32(out, flagsOf(item.state));
        putInt32(out, static_cast<uint32_t>(stack.size()));
        // A separator here, even one spanning the previous record, would cut
        // the file apart on import: refuse rather than write a dead file.
        const size_t from = std::max(bodyStart, recordStart - (kSeparator.size() - 1));
        if (out.find(kSeparator, from) != std::string::npos) {
            result.bytes.clear();
            result.badText = item.text;
            return result;
        }
        if (!item.children.empty()) stack.push_back({&item.children, 0});
    }

    out.append(kSeparator).append(kTailWord);
    result.ok = true;
    return result;
}

std::optional<std::vector<TreeItem>> TemplateFile::decode(std::string_view bytes) {
    const std::vector<std::string> pieces = text::splitBytes(bytes, kSeparator);
    if (pieces.size() != 3 || pieces[0] != kHeadWord || pieces[2] != kTailWord) {
        return std::nullopt;
    }
    const std::optional<std::vector<Record>> records = readRecords(pieces[1]);
    if (!records) return std::nullopt;
    return buildLevels(*records);
}

TemplateOutcome prepareSave(const TreeModel& tree) {
    TemplateOutcome outcome;
    EncodedTemplate encoded = TemplateFile::encode(tree.snapshot());
    if (!encoded.ok) {
        std::string shown(cutOnCharacter(encoded.badText, kShownTextBytes));
        if (shown.size() < encoded.badText.size()) shown += texts::kEllipsis;
        outcome.message.append(texts::kSeparatorInTextBefore)
            .append(shown)
            .append(texts::kSeparatorInTextAfter);
        return outcome;
    }
    outcome.ok = true;
    outcome.bytes = std::move(encoded.bytes);
    outcome.message = texts::kSaveDone;
    return outcome;
}

TemplateOutcome applyImport(TreeModel& tree, std::string_view bytes) {
    TemplateOutcome outcome;
    std::optional<std::vector<TreeItem>> items = TemplateFile::decode(bytes);
    if (!items) {
        outcome.message = texts::kFileCorrupt;
        return outcome;
    }
    tree.replaceAll(*items);
    outcome.ok = true;
    outcome.message = texts::kImportDone;
    return outcome;
}

}  // namespace korvel::tracking
