// fuzz-sources: src/tracking/template_file.cpp src/text/gbk_text.cpp
// The other way round from decoding files: a tree built from the input must
// save to exactly the records laid out here by hand, be refused exactly when
// those bytes hold the separator (also across two records), and load back as
// the same tree.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tracking/template_file.h"

using namespace korvel::tracking;

namespace {

constexpr size_t kDeepest = 5;

void check(bool ok) {
    if (!ok) __builtin_trap();
}

void putInt32(std::string& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(bits >> shift));
}

void layOut(const std::vector<TreeItem>& items, int32_t depth, std::string& body) {
    for (const TreeItem& item : items) {
        body += item.text;
        body.push_back('\0');
        putInt32(body, item.state.image);
        putInt32(body, item.state.selectedImage);
        putInt32(body, item.state.data);
        putInt32(body,
                 (item.state.bold ? 1 : 0) | (item.state.expanded ? 2 : 0) |
                     static_cast<int32_t>(static_cast<uint32_t>(item.state.stateImage) << 28));
        putInt32(body, depth);
        layOut(item.children, depth + 1, body);
    }
}

// Each item: a control byte (bits 0-1: next to the last item, under it, or
// one level up; bit 2 bold; bit 3 expanded; bits 4-7 state image), three
// signed bytes for image, selected image and data, a length byte and the text.
std::vector<TreeItem> treeFrom(std::string_view in) {
    std::vector<TreeItem> top;
    std::vector<std::vector<TreeItem>*> path{&top};
    size_t at = 0;
    while (at + 5 <= in.size()) {
        const auto control = static_cast<unsigned char>(in[at]);
        const int move = control & 3;
        if (move == 1 && path.size() < kDeepest && !path.back()->empty())
            path.push_back(&path.back()->back().children);
        else if (move == 2 && path.size() > 1)
            path.pop_back();
        TreeItem item;
        item.state.bold = (control & 4) != 0;
        item.state.expanded = (control & 8) != 0;
        item.state.stateImage = control >> 4;
        item.state.image = static_cast<signed char>(in[at + 1]);
        // Spread the byte over all four bytes of the field, sign included.
        item.state.selectedImage =
            static_cast<int32_t>(static_cast<unsigned char>(in[at + 2]) * 0x01010101u);
        item.state.data = static_cast<int32_t>(
            static_cast<uint32_t>(static_cast<signed char>(in[at + 3])) * 65537u);
        const size_t length = static_cast<unsigned char>(in[at + 4]);
        at += 5;
        item.text = std::string(in.substr(at, length));
        at += item.text.size();
        for (char& c : item.text)
            if (c == '\0') c = '0';  // a text ends at its zero byte
        path.back()->push_back(std::move(item));
    }
    return top;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<TreeItem> items =
        treeFrom(std::string_view(reinterpret_cast<const char*>(data), size));
    std::string body;
    layOut(items, 1, body);
    const EncodedTemplate saved = TemplateFile::encode(items);
    const bool holdsSeparator = body.find("%-/") != std::string::npos;
    check(saved.ok == !holdsSeparator);
    if (!saved.ok) {
        check(saved.bytes.empty());
        // The refused item is one of the tree's.
        check(std::string_view(body).find(saved.badText) != std::string_view::npos);
        return 0;
    }
    check(saved.bytes == "模版文件%-/" + body + "%-/模版文件尾");
    const auto loaded = TemplateFile::decode(saved.bytes);
    check(loaded.has_value() && *loaded == items);
    return 0;
}
