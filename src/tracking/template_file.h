// The ".dat" template file: a byte-exact snapshot of the whole workspace.
//   header  "模版文件%-/"   (11 bytes)
//   body    one record per item in pre-order: text, zero byte, then image,
//           selected image, item data, flags and depth as int32 little-endian
//           (flags: bit 0 bold, bit 1 expanded, bits 28-31 state image;
//           depth 1 for a top-level item)
//   trailer "%-/模版文件尾" (13 bytes), nothing after it.
// The reader cuts the file at every "%-/", so the body must never hold one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tracking/tree_model.h"

namespace korvel::tracking {

// An item text is stored with at most this many bytes.
inline constexpr size_t kMaxStoredTextBytes = 510;
// Files nesting deeper than this are refused: the workspace uses two
// levels, and unbounded nesting would exhaust the stack of every recursive
// tree walk (and of the tree control) on a hostile file.
inline constexpr size_t kMaxNesting = 256;

// A larger file is "文件被损坏" before a byte of it is read. 64 MiB holds
// about two million numbers, hundreds of times the thousands a busy user
// keeps, and the file with its decoded items and the tree control's own
// copy of them still fits a 32-bit process; a 10,000,000-number template
// (about 300 MB) would not.
inline constexpr std::uint64_t kMaxTemplateBytes = std::uint64_t{64} << 20;

struct EncodedTemplate {
    bool ok = false;
    std::string bytes;    // the whole file, when ok
    std::string badText;  // otherwise: the text of the item whose record holds "%-/"
};

class TemplateFile {
  public:
    static EncodedTemplate encode(const std::vector<TreeItem>& items);
    // The items of a file, or nullopt for a damaged one (bad framing, a
    // separator inside the body, a record cut short, nesting too deep).
    static std::optional<std::vector<TreeItem>> decode(std::string_view bytes);
    // Whether two files hold the same items, whichever of them are expanded:
    // opening and closing items is no change to the list.
    static bool sameItems(std::string_view a, std::string_view b);
};

// What the save and import commands do with the tree, apart from dialogs and files.
struct TemplateOutcome {
    bool ok = false;
    std::string bytes;    // save: the file to write, when ok
    std::string message;  // ok: status label text (after a save, once written);
                          // otherwise: message box text
};

TemplateOutcome prepareSave(const TreeModel& tree);
// Replaces the tree only when the whole file decoded; otherwise the tree is untouched.
TemplateOutcome applyImport(TreeModel& tree, std::string_view bytes);

}  // namespace korvel::tracking
