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

// Reads the record at the cursor and moves past it; false when it is cut
// short by the end of the body.
bool readRecord(std::string_view body, size_t& at, Record& record) {
    const size_t zero = body.find('\0', at);
    if (zero == std::string_view::npos || body.size() - (zero + 1) < kFieldsBytes) return false;
    record.text = body.substr(at, zero - at);
    const size_t fields = zero + 1;
    record.state.image = getInt32(body, fields);
    record.state.selectedImage = getInt32(body, fields + 4);
    record.state.data = getInt32(body, fields + 8);
    const uint32_t flags = static_cast<uint32_t>(getInt32(body, fields + 12));
    record.state.bold = (flags & kFlagBold) != 0;
    record.state.expanded = (flags & kFlagExpanded) != 0;
    record.state.stateImage = static_cast<int>(flags >> kStateImageShift);
    record.depth = getInt32(body, fields + 16);
    at = fields + kFieldsBytes;
    return true;
}

// The level decoder, without recursion, straight on the body. A level's
// first record is inserted there whatever its depth; a deeper record opens a
// level under the item inserted last; a shallower one closes the level;
// closing the outermost level ends decoding, and whatever follows is never
// read, so it cannot refuse the file. A record the decoder does read must be
// whole.
// onItem(record, nesting) gets each inserted record and its level (0 = top):
// it goes under the item inserted last at nesting - 1. False for a damaged
// body.
template <typename OnItem>
bool walkLevels(std::string_view body, OnItem&& onItem) {
    struct Level {
        bool depthKnown;
        int32_t depth;
    };
    std::vector<Level> levels{{false, 0}};
    Record record{};
    size_t at = 0;
    while (at < body.size()) {
        if (!readRecord(body, at, record)) return false;
        while (!levels.empty()) {
            Level& level = levels.back();
            if (!level.depthKnown || record.depth == level.depth) {
                level = {true, record.depth};
                onItem(record, levels.size() - 1);
                break;
            }
            if (record.depth > level.depth) {
                if (levels.size() >= kMaxNesting) return false;
                levels.push_back({false, 0});
            } else {
                levels.pop_back();
            }
        }
        if (levels.empty()) break;
    }
    return true;
}

// Two passes: the first checks the body and counts every item's children,
// so the second builds each list at its final size (no regrowing, and
// nothing at all is built for a damaged file).
std::optional<std::vector<TreeItem>> decodeBody(std::string_view body) {
    constexpr size_t kTop = 0;  // childCounts[0] is the top level; item i is i + 1
    std::vector<uint32_t> childCounts{0};
    std::vector<size_t> lastAt;  // per level: the count slot of its last item
    const bool whole = walkLevels(body, [&](const Record&, size_t nesting) {
        ++childCounts[nesting == 0 ? kTop : lastAt[nesting - 1]];
        lastAt.resize(nesting + 1);
        lastAt[nesting] = childCounts.size();
        childCounts.push_back(0);
    });
    if (!whole) return std::nullopt;

    std::vector<TreeItem> top;
    top.reserve(childCounts[kTop]);
    lastAt.clear();
    std::vector<std::vector<TreeItem>*> open{&top};  // per level: where its items go
    size_t slot = kTop;
    walkLevels(body, [&](const Record& record, size_t nesting) {
        open.resize(std::min(open.size(), nesting + 1));
        if (nesting == open.size()) {
            std::vector<TreeItem>& under = open.back()->back().children;
            under.reserve(childCounts[lastAt[nesting - 1]]);
            open.push_back(&under);
        }
        open.back()->push_back(TreeItem{std::string(record.text), record.state, {}});
        lastAt.resize(nesting + 1);
        lastAt[nesting] = ++slot;
    });
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
    // Cut at every "%-/" as the format says, without copying: exactly three
    // pieces, the head word, the body and the tail word. A last separator
    // with nothing after it forms no piece, so the tail word may carry one.
    const size_t headEnd = kHeadWord.size() + kSeparator.size();
    if (bytes.substr(0, kHeadWord.size()) != kHeadWord ||
        bytes.substr(kHeadWord.size(), kSeparator.size()) != kSeparator) {
        return std::nullopt;
    }
    const size_t bodyEnd = bytes.find(kSeparator, headEnd);
    if (bodyEnd == std::string_view::npos) return std::nullopt;
    std::string_view tail = bytes.substr(bodyEnd + kSeparator.size());
    if (tail.size() == kTailWord.size() + kSeparator.size() && tail.ends_with(kSeparator))
        tail.remove_suffix(kSeparator.size());
    if (tail != kTailWord) return std::nullopt;
    return decodeBody(bytes.substr(headEnd, bodyEnd - headEnd));
}

bool TemplateFile::sameItems(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const size_t headEnd = kHeadWord.size() + kSeparator.size();
    const size_t tailSize = kSeparator.size() + kTailWord.size();
    if (a.size() < headEnd + tailSize) return a == b;
    if (a.substr(0, headEnd) != b.substr(0, headEnd) ||
        a.substr(a.size() - tailSize) != b.substr(b.size() - tailSize))
        return false;
    const std::string_view bodyA = a.substr(headEnd, a.size() - headEnd - tailSize);
    const std::string_view bodyB = b.substr(headEnd, b.size() - headEnd - tailSize);
    size_t atA = 0, atB = 0;
    Record ra{}, rb{};
    while (atA < bodyA.size() || atB < bodyB.size()) {
        const bool wholeA = readRecord(bodyA, atA, ra), wholeB = readRecord(bodyB, atB, rb);
        if (!wholeA || !wholeB) return bodyA.substr(atA) == bodyB.substr(atB) && wholeA == wholeB;
        ra.state.expanded = rb.state.expanded = false;
        if (ra.text != rb.text || ra.depth != rb.depth || !(ra.state == rb.state)) return false;
    }
    return true;
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
    std::optional<std::vector<TreeItem>> items;
    if (bytes.size() <= kMaxTemplateBytes) items = TemplateFile::decode(bytes);
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
