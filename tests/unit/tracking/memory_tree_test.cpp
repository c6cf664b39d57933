#include "tracking/memory_tree.h"

#include <gtest/gtest.h>

#include <random>

#include "tracking/gap_buffer.h"

using namespace korvel::tracking;

namespace {

using Texts = std::vector<std::string>;

// A: a1, a2(a2x); B; C: c1
void buildSample(MemoryTree& tree) {
    tree.addItems(-1, {"A", "B", "C"});
    tree.addItems(0, {"a1", "a2"});
    tree.addItems(2, {"a2x"});
    tree.addItems(5, {"c1"});
}

Texts allTexts(const TreeModel& tree) {
    Texts texts;
    for (int i = 0; i < tree.itemCount(); ++i) texts.push_back(tree.itemText(i));
    return texts;
}

std::vector<int> allParents(const TreeModel& tree) {
    std::vector<int> parents;
    for (int i = 0; i < tree.itemCount(); ++i) parents.push_back(tree.parentOf(i));
    return parents;
}

TEST(MemoryTree, PreOrderIndexesAndBadIndexes) {
    MemoryTree tree;
    buildSample(tree);
    EXPECT_EQ(allTexts(tree), (Texts{"A", "a1", "a2", "a2x", "B", "C", "c1"}));
    EXPECT_EQ(allParents(tree), (std::vector<int>{-1, 0, 0, 2, -1, -1, 5}));
    EXPECT_TRUE(tree.hasChildren(0));
    EXPECT_TRUE(tree.hasChildren(2));
    EXPECT_FALSE(tree.hasChildren(4));
    for (int bad : {-1, -2, 7, 1000}) {
        EXPECT_EQ(tree.itemText(bad), "") << bad;
        EXPECT_EQ(tree.parentOf(bad), -1) << bad;
        EXPECT_FALSE(tree.hasChildren(bad)) << bad;
    }
    // Operations on bad indexes change nothing.
    const auto before = tree.snapshot();
    tree.addItems(7, {"x"});
    tree.addItems(-2, {"x"});
    tree.setItemText(9, "x");
    tree.removeItem(7);
    tree.removeItem(-1);
    tree.expand(99);
    tree.select(42);
    EXPECT_EQ(tree.snapshot(), before);
    EXPECT_EQ(tree.selectedIndex(), -1);
}

TEST(MemoryTree, AddGoesAfterTheWholeSubtree) {
    MemoryTree tree;
    buildSample(tree);
    tree.select(4);  // B
    tree.addItems(0, {"a3", "a4"});
    EXPECT_EQ(allTexts(tree), (Texts{"A", "a1", "a2", "a2x", "a3", "a4", "B", "C", "c1"}));
    EXPECT_EQ(tree.selectedIndex(), 6);  // B moved along
    EXPECT_EQ(tree.parentOf(8), 7);
    tree.addItems(-1, {"D"});
    EXPECT_EQ(tree.itemText(9), "D");
    EXPECT_EQ(tree.parentOf(9), -1);
    tree.addItems(0, {});
    EXPECT_EQ(tree.itemCount(), 10);
}

TEST(MemoryTree, RemovedSelectionMovesToANeighbour) {
    struct Case {
        const char* name;
        int selected, removed;
        int wantSelected;  // after the removal
    } cases[] = {
        {"next sibling", 1, 1, 1},                // a1 gone: a2, now at 1
        {"parent when last child", 3, 3, 2},      // a2x gone: a2
        {"inside the removed subtree", 3, 2, 0},  // a2 (A's last child) gone: A
        {"previous top-level sibling", 5, 5, 4},  // C (last, top level) gone: B
        {"before the removal", 1, 4, 1},
        {"after the removal, shifted", 5, 1, 4},
        {"nothing selected", -1, 0, -1},
    };
    for (const auto& c : cases) {
        MemoryTree tree;
        buildSample(tree);
        tree.select(c.selected);
        tree.removeItem(c.removed);
        EXPECT_EQ(tree.selectedIndex(), c.wantSelected) << c.name;
    }
    MemoryTree lone;
    lone.addItems(-1, {"only"});
    lone.select(0);
    lone.removeItem(0);
    EXPECT_EQ(lone.selectedIndex(), -1);
    EXPECT_EQ(lone.itemCount(), 0);
}

TEST(MemoryTree, RemoveTakesTheSubtree) {
    MemoryTree tree;
    buildSample(tree);
    tree.removeItem(0);
    EXPECT_EQ(allTexts(tree), (Texts{"B", "C", "c1"}));
    EXPECT_EQ(allParents(tree), (std::vector<int>{-1, -1, 1}));
    tree.clear();
    EXPECT_EQ(tree.itemCount(), 0);
    EXPECT_TRUE(tree.snapshot().empty());
}

TEST(MemoryTree, SnapshotAndReplaceAllKeepEveryState) {
    ItemState odd;
    odd.image = -1;
    odd.selectedImage = 7;
    odd.data = 0x7fffffff;
    odd.bold = true;
    odd.expanded = true;
    odd.stateImage = 15;
    const std::vector<TreeItem> items = {
        {"顺丰快递", odd, {{"SF1", {}, {}}, {"SF2", {}, {{"deep", odd, {}}}}}},
        {"", {}, {}},
    };
    MemoryTree tree;
    buildSample(tree);
    tree.select(2);
    tree.replaceAll(items);
    EXPECT_EQ(tree.snapshot(), items);
    EXPECT_EQ(tree.selectedIndex(), -1);
    EXPECT_EQ(allParents(tree), (std::vector<int>{-1, 0, 0, 2, -1}));
    EXPECT_EQ(tree.itemState(3), odd);

    tree.expand(1);
    EXPECT_TRUE(tree.itemState(1).expanded);
    tree.setItemText(4, "新");
    EXPECT_EQ(tree.itemText(4), "新");
}

// The same edits on a flat pre-order list (text and depth), the obvious
// model the tree must agree with after every step.
struct FlatModel {
    struct Row {
        std::string text;
        int depth;
    };
    std::vector<Row> rows;
    int selected = -1;

    int subtreeEnd(int i) const {
        int j = i + 1;
        while (j < static_cast<int>(rows.size()) && rows[j].depth > rows[i].depth) ++j;
        return j;
    }
    int parentOf(int i) const {
        for (int j = i - 1; j >= 0; --j)
            if (rows[j].depth < rows[i].depth) return j;
        return -1;
    }
    void add(int parent, const Texts& texts) {
        const int pos = parent == -1 ? static_cast<int>(rows.size()) : subtreeEnd(parent);
        const int depth = parent == -1 ? 0 : rows[parent].depth + 1;
        for (size_t k = 0; k < texts.size(); ++k)
            rows.insert(rows.begin() + pos + static_cast<int>(k), Row{texts[k], depth});
        if (selected >= pos) selected += static_cast<int>(texts.size());
    }
    void remove(int i) {
        const int end = subtreeEnd(i), n = end - i;
        if (selected >= i && selected < end) {
            const int parent = parentOf(i);
            int prev = -1;
            for (int j = i - 1; j >= 0 && parent == -1 && prev == -1; --j)
                if (rows[j].depth == rows[i].depth) prev = j;
            if (end < static_cast<int>(rows.size()) && rows[end].depth == rows[i].depth)
                selected = end - n;
            else if (parent != -1)
                selected = parent;
            else
                selected = prev;
        } else if (selected >= end) {
            selected -= n;
        }
        rows.erase(rows.begin() + i, rows.begin() + end);
    }
};

TEST(MemoryTree, AgreesWithAFlatModelUnderRandomEdits) {
    std::mt19937 rng(20240611);
    MemoryTree tree;
    FlatModel model;
    int serial = 0;
    auto pick = [&](int extra) {  // an index, sometimes -1 or past the end
        return std::uniform_int_distribution<int>(
            -1, static_cast<int>(model.rows.size()) - 1 + extra)(rng);
    };
    for (int step = 0; step < 4000; ++step) {
        const int op = std::uniform_int_distribution<int>(0, 9)(rng);
        const int n = static_cast<int>(model.rows.size());
        if (op <= 4) {
            const int parent = pick(0);
            Texts texts(std::uniform_int_distribution<int>(1, 3)(rng));
            for (auto& t : texts) t = "n" + std::to_string(serial++);
            tree.addItems(parent, texts);
            model.add(parent, texts);
        } else if (op <= 6 && n > 0) {
            const int victim = std::uniform_int_distribution<int>(0, n - 1)(rng);
            tree.removeItem(victim);
            model.remove(victim);
        } else if (op == 7) {
            const int target = pick(2);
            tree.select(target);
            if (target < n) model.selected = target;
        } else if (op == 8 && n > 0) {
            const int i = std::uniform_int_distribution<int>(0, n - 1)(rng);
            tree.setItemText(i, "t" + std::to_string(step));
            model.rows[i].text = "t" + std::to_string(step);
        } else if (n > 300) {
            tree.removeItem(0);
            model.remove(0);
        }
        ASSERT_EQ(tree.itemCount(), static_cast<int>(model.rows.size())) << step;
        ASSERT_EQ(tree.selectedIndex(), model.selected) << step;
        if (!model.rows.empty()) {  // spot checks between edits exercise the lazy renumbering
            const int i = std::uniform_int_distribution<int>(0, tree.itemCount() - 1)(rng);
            ASSERT_EQ(tree.parentOf(i), model.parentOf(i)) << step;
            ASSERT_EQ(tree.itemText(i), model.rows[i].text) << step;
        }
        if (step % 97 == 0) {
            for (int i = 0; i < tree.itemCount(); ++i) {
                ASSERT_EQ(tree.itemText(i), model.rows[i].text) << step << "/" << i;
                ASSERT_EQ(tree.parentOf(i), model.parentOf(i)) << step << "/" << i;
                ASSERT_EQ(tree.hasChildren(i), model.subtreeEnd(i) > i + 1) << step << "/" << i;
            }
        }
    }
}

TEST(GapBuffer, AgreesWithAVectorUnderRandomEdits) {
    std::mt19937 rng(7);
    GapBuffer<int> gap;
    std::vector<int> plain;
    int serial = 0;
    for (int step = 0; step < 3000; ++step) {
        const size_t n = plain.size();
        const size_t pos = std::uniform_int_distribution<size_t>(0, n + 1)(rng);  // n + 1 is bad
        if (std::uniform_int_distribution<int>(0, 2)(rng) != 0) {
            std::vector<int> items(std::uniform_int_distribution<size_t>(0, 40)(rng));
            for (int& v : items) v = serial++;
            gap.insert(pos, items.data(), items.size());
            if (pos <= n) plain.insert(plain.begin() + pos, items.begin(), items.end());
        } else {
            const size_t count = std::uniform_int_distribution<size_t>(0, 30)(rng);
            gap.erase(pos, count);
            if (pos < n) plain.erase(plain.begin() + pos, plain.begin() + std::min(n, pos + count));
        }
        ASSERT_EQ(gap.size(), plain.size()) << step;
        // Around the edit point every step, everything now and then.
        const size_t from = step % 64 == 0 ? 0 : (pos > 8 ? pos - 8 : 0);
        const size_t to = step % 64 == 0 ? plain.size() : std::min(plain.size(), pos + 48);
        for (size_t i = from; i < to; ++i) ASSERT_EQ(gap[i], plain[i]) << step;
    }
    for (size_t i = 0; i < plain.size(); ++i) ASSERT_EQ(gap[i], plain[i]);
    gap.clear();
    EXPECT_TRUE(gap.empty());
}

}  // namespace
