#include "tracking/template_file.h"

#include <gtest/gtest.h>

#include <memory>

#include "tracking/courier_catalogue.h"
#include "tracking/memory_tree.h"
#include "tracking/tracking_workspace.h"

using namespace korvel::tracking;

namespace {

using Items = std::vector<TreeItem>;

const std::string kHeader = "\xC4\xA3\xB0\xE6\xCE\xC4\xBC\xFE%-/";
const std::string kTrailer = "%-/\xC4\xA3\xB0\xE6\xCE\xC4\xBC\xFE\xCE\xB2";

std::string le32(uint32_t v) {
    std::string out;
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
    return out;
}

std::string record(const std::string& text, int32_t depth, uint32_t flags = 0, int32_t image = 0,
                   int32_t selectedImage = 0, int32_t data = 0) {
    return text + std::string(1, '\0') + le32(image) + le32(selectedImage) + le32(data) +
           le32(flags) + le32(depth);
}

std::string file(const std::string& body) { return kHeader + body + kTrailer; }

TreeItem item(std::string text, Items children = {}) {
    return TreeItem{std::move(text), {}, std::move(children)};
}

// Decodes from a buffer of exactly the file's size, so AddressSanitizer sees
// any read past it.
std::optional<Items> decodeExact(const std::string& bytes) {
    auto buffer = std::make_unique<char[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), buffer.get());
    return TemplateFile::decode(std::string_view(buffer.get(), bytes.size()));
}

TEST(TemplateFile, StartUpWorkspaceIsByteExact) {
    MemoryTree tree;
    TrackingWorkspace workspace(tree, {});
    workspace.fillCompanies(false);
    EncodedTemplate encoded = TemplateFile::encode(tree.snapshot());
    ASSERT_TRUE(encoded.ok);
    EXPECT_EQ(TemplateFile::encode({}).bytes, kHeader + kTrailer);
    std::string want = kHeader;
    for (const auto& row : CourierCatalogue::rows()) {
        want +=
            std::string(row.name) + '\0' + std::string(16, '\0') + "\x01" + std::string(3, '\0');
    }
    want += kTrailer;
    EXPECT_EQ(encoded.bytes.size(), 2378u);  // 11 + 13 + the 79 names' bytes + 79 * 21
    EXPECT_EQ(encoded.bytes, want);
    EXPECT_EQ(encoded.bytes.substr(11, 28), record("AAE快递", 1));
}

TEST(TemplateFile, FlagsAndFieldsAreLittleEndian) {
    ItemState state;
    state.image = 0x01020304;
    state.selectedImage = -2;
    state.data = 0x7f000080;
    state.bold = true;
    state.expanded = true;
    state.stateImage = 9;
    EncodedTemplate encoded = TemplateFile::encode({{"x", state, {item("y")}}});
    ASSERT_TRUE(encoded.ok);
    EXPECT_EQ(encoded.bytes,
              file(record("x", 1, 0x90000003u, 0x01020304, -2, 0x7f000080) + record("y", 2)));
}

TEST(TemplateFile, RoundTripKeepsEveryItemAndState) {
    ItemState odd;
    odd.image = -1;
    odd.selectedImage = 5;
    odd.data = 1234567;
    odd.bold = true;
    odd.stateImage = 15;
    ItemState open;
    open.expanded = true;
    const Items items = {
        {"AAE快递", open, {item("AAE0001"), item("单号 带空格"), item("")}},
        {"顺丰快递", odd, {}},
        {"申通快递", open, {item("ST1"), item("ST1"), {"ST2", odd, {}}}},
        item("%-"),  // half a separator is harmless: the zero byte follows
        item("/%"),
    };
    EncodedTemplate encoded = TemplateFile::encode(items);
    ASSERT_TRUE(encoded.ok);
    EXPECT_EQ(decodeExact(encoded.bytes), items);

    MemoryTree tree;
    tree.addItems(-1, {"old"});
    TemplateOutcome imported = applyImport(tree, encoded.bytes);
    EXPECT_TRUE(imported.ok);
    EXPECT_EQ(imported.message, "导入成功");
    EXPECT_EQ(tree.snapshot(), items);
    TemplateOutcome saved = prepareSave(tree);
    EXPECT_TRUE(saved.ok);
    EXPECT_EQ(saved.message, "保存成功");
    EXPECT_EQ(saved.bytes, encoded.bytes);
}

TEST(TemplateFile, DamagedFramingIsRefused) {
    const std::string body = record("申通快递", 1) + record("ST1", 2);
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"header only", kHeader},
        {"no trailer", kHeader + body},
        {"CR LF after the trailer", file(body) + "\r\n"},
        {"zero after the trailer", file(body) + std::string(1, '\0')},
        {"separator inside the body", file(record("ST%-/1", 1))},
        {"trailer twice", file(body) + kTrailer},
        {"wrong header word", "模版文档%-/" + body + kTrailer},
        {"header word longer", "x" + file(body)},
        {"wrong trailer word", kHeader + body + "%-/模版文件头"},
        {"trailer word shorter", kHeader + body + "%-/模版文件"},
        {"separators only", "%-/%-/"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(decodeExact(c.bytes)) << c.name;
        MemoryTree tree;
        tree.addItems(-1, {"keep"});
        tree.addItems(0, {"me"});
        const Items before = tree.snapshot();
        TemplateOutcome outcome = applyImport(tree, c.bytes);
        EXPECT_FALSE(outcome.ok) << c.name;
        EXPECT_EQ(outcome.message, "文件被损坏") << c.name;
        EXPECT_EQ(tree.snapshot(), before) << c.name;
    }
}

TEST(TemplateFile, LevelDecoding) {
    struct Case {
        const char* name;
        std::vector<int32_t> depths;  // records r0, r1, ... in order
        Items want;
    } cases[] = {
        {"empty body", {}, {}},
        {"normal workspace",
         {1, 2, 2, 1, 1, 2},
         {item("r0", {item("r1"), item("r2")}), item("r3"), item("r4", {item("r5")})}},
        {"depths 1, 3, 1", {1, 3, 1}, {item("r0", {item("r1")}), item("r2")}},
        {"shallower after deeper top level ends the import",
         {2, 2, 1, 2},
         {item("r0"), item("r1")}},
        {"first record sets the level whatever its depth", {7, 7}, {item("r0"), item("r1")}},
        {"jump then a middle depth opens a sibling level",
         {1, 3, 2},
         {item("r0", {item("r1"), item("r2")})}},
        {"three levels",
         {1, 2, 3, 2, 1},
         {item("r0", {item("r1", {item("r2")}), item("r3")}), item("r4")}},
        {"negative depths compare as numbers", {0, -1}, {item("r0")}},
    };
    for (const auto& c : cases) {
        std::string body;
        for (size_t i = 0; i < c.depths.size(); ++i)
            body += record("r" + std::to_string(i), c.depths[i]);
        EXPECT_EQ(decodeExact(file(body)), c.want) << c.name;
    }
}

TEST(TemplateFile, OnlyOneCompanyReplacesTheWholeTree) {
    MemoryTree tree;
    TrackingWorkspace workspace(tree, {});
    workspace.fillCompanies(false);
    tree.addItems(0, {"AAE1"});
    ASSERT_TRUE(applyImport(tree, file(record("申通快递", 1) + record("ST1", 2))).ok);
    EXPECT_EQ(tree.snapshot(), (Items{item("申通快递", {item("ST1")})}));
}

TEST(TemplateFile, EveryCutPointOfARecordIsRefused) {
    const std::string records[] = {record("顺丰快递", 1, 2), record("SF单号1", 2, 0, 3, 4, 5),
                                   record("", 2), record("申通快递", 1)};
    std::string body;
    std::vector<size_t> boundaries{0};
    for (const auto& r : records) {
        body += r;
        boundaries.push_back(body.size());
    }
    size_t refused = 0;
    for (size_t cut = 0; cut <= body.size(); ++cut) {
        const bool onBoundary =
            std::find(boundaries.begin(), boundaries.end(), cut) != boundaries.end();
        auto items = decodeExact(file(body.substr(0, cut)));
        EXPECT_EQ(items.has_value(), onBoundary) << "cut at " << cut;
        refused += items ? 0 : 1;
    }
    EXPECT_EQ(refused, body.size() + 1 - boundaries.size());
}

// The records left once the outermost level has ended build nothing, but a
// file cut short there is still a damaged file.
// Once the outermost level stops, nothing after it is read: the records
// left over may be cut short. A record the decoder reads must be whole.
TEST(TemplateFile, DecodingEndsWithTheOutermostLevel) {
    const std::string ended = record("r0", 2) + record("r1", 2) + record("r2", 1);
    const std::string cut = record("r3", 2).substr(0, 10);
    const Items two{item("r0"), item("r1")};
    EXPECT_EQ(decodeExact(file(ended + record("r3", 2))), two);
    EXPECT_EQ(decodeExact(file(ended + cut)), two);
    EXPECT_EQ(decodeExact(file(ended + "r3")), two);
    EXPECT_EQ(decodeExact(file(record("r0", 2) + record("r2", 1).substr(0, 5))), std::nullopt);
    EXPECT_EQ(decodeExact(file(record("r0", 1) + record("r1", 2) + cut)), std::nullopt);
}

// Cutting at every separator: a last one with nothing after it forms no
// piece, so it does not count as bytes after the trailer.
TEST(TemplateFile, SeparatorEndingTheFileFormsNoPiece) {
    const std::string body = record("申通快递", 1) + record("ST1", 2);
    const Items want{item("申通快递", {item("ST1")})};
    EXPECT_EQ(decodeExact(file(body) + "%-/"), want);
    EXPECT_FALSE(decodeExact(file(body) + "%-/%-/"));
    EXPECT_FALSE(decodeExact(file(body) + "%-/x"));
    EXPECT_FALSE(decodeExact(kHeader + body + "%-/%-/"));
}

TEST(TemplateFile, TooDeepNestingIsRefused) {
    auto nested = [](int levels) {
        std::string body;
        for (int d = 1; d <= levels; ++d) body += record("x", d);
        return file(body);
    };
    auto ok = decodeExact(nested(static_cast<int>(kMaxNesting)));
    ASSERT_TRUE(ok);
    const TreeItem* deepest = &ok->front();
    int levels = 1;
    while (!deepest->children.empty()) {
        deepest = &deepest->children.front();
        ++levels;
    }
    EXPECT_EQ(levels, static_cast<int>(kMaxNesting));
    EXPECT_FALSE(decodeExact(nested(static_cast<int>(kMaxNesting) + 1)));
}

TEST(TemplateFile, SeparatorAnywhereInABodyRefusesTheSave) {
    ItemState separatorInData;
    separatorInData.data = 0x002F2D25;  // bytes 25 2D 2F 00
    struct Case {
        const char* name;
        Items items;
        std::string badText;
    } cases[] = {
        {"in a number", {item("顺丰快递", {item("SF1"), item("SF%-/2")})}, "SF%-/2"},
        {"a whole number", {item("%-/")}, "%-/"},
        {"in the item data", {item("ok"), {"x", separatorInData, {}}}, "x"},
    };
    for (const auto& c : cases) {
        EncodedTemplate encoded = TemplateFile::encode(c.items);
        EXPECT_FALSE(encoded.ok) << c.name;
        EXPECT_TRUE(encoded.bytes.empty()) << c.name;
        EXPECT_EQ(encoded.badText, c.badText) << c.name;

        MemoryTree tree;
        tree.replaceAll(c.items);
        TemplateOutcome saved = prepareSave(tree);
        EXPECT_FALSE(saved.ok) << c.name;
        EXPECT_TRUE(saved.bytes.empty()) << c.name;
        EXPECT_NE(saved.message.find("“" + c.badText + "”"), std::string::npos) << c.name;
        EXPECT_EQ(tree.snapshot(), c.items) << c.name;
    }
}

TEST(TemplateFile, LongTextsAreCutAt510Bytes) {
    std::string wide;
    for (int i = 0; i < 300; ++i) wide += "单";
    struct Case {
        const char* name;
        std::string text;
        std::string stored;
    } cases[] = {
        {"ASCII", std::string(600, '7'), std::string(510, '7')},
        {"exactly 510", std::string(510, 'a'), std::string(510, 'a')},
        {"GBK", wide, wide.substr(0, 510)},
        // 1 + 2k bytes never splits a character: the cut falls at 509.
        {"GBK after one ASCII byte", "a" + wide, "a" + wide.substr(0, 508)},
        // 0x80 and 0xFF are whole characters of one byte, so the cut may
        // fall right after them.
        {"lone 0x80 at byte 510", std::string(509, 'a') + "\x80" + "b",
         std::string(509, 'a') + "\x80"},
        {"lone 0xFF at byte 510", std::string(509, 'a') + "\xFF" + "b",
         std::string(509, 'a') + "\xFF"},
    };
    for (const auto& c : cases) {
        EncodedTemplate encoded = TemplateFile::encode({item(c.text)});
        ASSERT_TRUE(encoded.ok) << c.name;
        EXPECT_EQ(encoded.bytes, file(record(c.stored, 1))) << c.name;
        EXPECT_EQ(decodeExact(encoded.bytes), (Items{item(c.stored)})) << c.name;
    }
}

}  // namespace

// The list counts as changed when a save would write other items than the
// last one did; opening or closing an item is no change.
TEST(TemplateFile, SameItemsWhateverIsExpanded) {
    ItemState open;
    open.expanded = true;
    ItemState bold;
    bold.bold = true;
    const auto bytes = [](const Items& items) { return TemplateFile::encode(items).bytes; };
    const std::string base = bytes({item("申通快递", {item("ST1"), item("ST2")}), item("EMS快递")});
    struct Case {
        Items items;
        bool same;
    } cases[] = {
        {{{"申通快递", open, {item("ST1"), item("ST2")}}, {"EMS快递", open, {}}}, true},
        {{item("申通快递", {item("ST1"), item("ST3")}), item("EMS快递")}, false},
        {{item("申通快递", {item("ST2"), item("ST1")}), item("EMS快递")}, false},
        {{item("申通快递", {item("ST1")}), item("EMS快递", {item("ST2")})}, false},
        {{item("申通快递", {item("ST1"), item("ST2")}), item("EMS快递", {item("")})}, false},
        {{{"申通快递", bold, {item("ST1"), item("ST2")}}, item("EMS快递")}, false},
        {{item("申通快递", {item("ST1"), item("ST2")})}, false},
        {{}, false},
    };
    for (const Case& c : cases) {
        const std::string other = bytes(c.items);
        EXPECT_EQ(TemplateFile::sameItems(base, other), c.same) << other.size();
        EXPECT_EQ(TemplateFile::sameItems(other, base), c.same) << other.size();
    }
    // Equal sizes, one byte apart at the end of the body.
    const std::string a = bytes({item("AB")}), b = bytes({item("AC")});
    ASSERT_EQ(a.size(), b.size());
    EXPECT_FALSE(TemplateFile::sameItems(a, b));
}
