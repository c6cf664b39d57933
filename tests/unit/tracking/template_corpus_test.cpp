// Importing every file of the template fuzz corpus: a refused file leaves the
// tree exactly as it was and says "文件被损坏"; an accepted one replaces the
// tree with exactly what the file holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tracking/memory_tree.h"
#include "tracking/template_file.h"

using namespace korvel::tracking;

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(TemplateCorpus, EveryFileIsRefusedWithoutChangeOrImportedWhole) {
    const std::filesystem::path corpus =
        std::filesystem::path(KORVEL_SOURCE_DIR) / "tests/fuzz/corpus/template_file";
    int accepted = 0, refused = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        const std::string bytes = readFile(entry.path());
        const std::string name = entry.path().filename().string();
        MemoryTree tree;
        tree.addItems(-1, {"申通快递", "顺丰快递"});
        tree.addItems(1, {"SF1001", "SF1002"});
        tree.expand(1);
        const std::vector<TreeItem> before = tree.snapshot();

        const TemplateOutcome outcome = applyImport(tree, bytes);
        const auto decoded = TemplateFile::decode(bytes);
        EXPECT_EQ(outcome.ok, decoded.has_value()) << name;
        if (!outcome.ok) {
            ++refused;
            EXPECT_EQ(outcome.message, "文件被损坏") << name;
            EXPECT_EQ(tree.snapshot(), before) << name;
            continue;
        }
        ++accepted;
        EXPECT_EQ(outcome.message, "导入成功") << name;
        EXPECT_EQ(tree.snapshot(), *decoded) << name;
        // What was imported saves back to a file that imports the same tree.
        const TemplateOutcome saved = prepareSave(tree);
        ASSERT_TRUE(saved.ok) << name;
        EXPECT_EQ(TemplateFile::decode(saved.bytes), decoded) << name;
    }
    // The corpus holds both kinds, or the test proves little.
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
}

}  // namespace
