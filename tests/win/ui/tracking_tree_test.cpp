#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tracking/memory_tree.h"
#include "tracking/tracking_workspace.h"
#include "ui/tracking_tree_win.h"

using korvel::tracking::MemoryTree;
using korvel::tracking::TreeItem;
using korvel::tracking::TreeModel;
using korvel::ui::TrackingTree;

namespace {

class TrackingTreeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        host_ = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 400, nullptr,
                                nullptr, nullptr, nullptr);
        view_ = CreateWindowExW(0, WC_TREEVIEWW, L"",
                                WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                    TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                0, 0, 280, 380, host_, nullptr, nullptr, nullptr);
        ASSERT_NE(view_, nullptr);
        tree_ = std::make_unique<TrackingTree>(view_);
    }
    void TearDown() override { DestroyWindow(host_); }

    HWND host_ = nullptr, view_ = nullptr;
    std::unique_ptr<TrackingTree> tree_;
};

TEST_F(TrackingTreeTest, PreOrderIndexesParentsAndBadIndexes) {
    tree_->addItems(-1, {"顺丰快递", "申通快递"});
    tree_->addItems(0, {"111", "222"});
    tree_->addItems(3, {"333"});
    // 顺丰快递, 111, 222, 申通快递, 333
    ASSERT_EQ(tree_->itemCount(), 5);
    EXPECT_EQ(tree_->itemText(0), "顺丰快递");
    EXPECT_EQ(tree_->itemText(2), "222");
    EXPECT_EQ(tree_->itemText(3), "申通快递");
    EXPECT_EQ(tree_->parentOf(1), 0);
    EXPECT_EQ(tree_->parentOf(4), 3);
    EXPECT_EQ(tree_->parentOf(0), -1);
    EXPECT_TRUE(tree_->hasChildren(0));
    EXPECT_FALSE(tree_->hasChildren(1));
    for (int bad : {-1, 5, 99}) {
        EXPECT_EQ(tree_->itemText(bad), "");
        EXPECT_EQ(tree_->parentOf(bad), -1);
        EXPECT_FALSE(tree_->hasChildren(bad));
    }
    tree_->addItems(42, {"lost"});  // a bad parent adds nothing
    EXPECT_EQ(tree_->itemCount(), 5);
}

TEST_F(TrackingTreeTest, EditsKeepTheIndexesCurrent) {
    tree_->addItems(-1, {"A", "B"});
    tree_->addItems(0, {"1", "2", "3"});
    tree_->removeItem(2);  // "2"
    EXPECT_EQ(tree_->itemText(2), "3");
    tree_->setItemText(1, "1 1");
    EXPECT_EQ(tree_->itemText(1), "1 1");
    tree_->select(3);
    EXPECT_EQ(tree_->selectedIndex(), 3);
    tree_->removeItem(0);  // with its children
    EXPECT_EQ(tree_->itemCount(), 1);
    EXPECT_EQ(tree_->itemText(0), "B");
    tree_->clear();
    EXPECT_EQ(tree_->itemCount(), 0);
    EXPECT_EQ(tree_->selectedIndex(), -1);
}

// Every read of a model by index, to compare two of them.
struct Reading {
    std::vector<std::string> texts;
    std::vector<int> parents;
    std::vector<bool> children;
    int selected;
    bool operator==(const Reading&) const = default;
};

Reading readAll(const TreeModel& tree) {
    Reading r{{}, {}, {}, tree.selectedIndex()};
    for (int i = 0; i < tree.itemCount(); ++i) {
        r.texts.push_back(tree.itemText(i));
        r.parents.push_back(tree.parentOf(i));
        r.children.push_back(tree.hasChildren(i));
    }
    return r;
}

// The index is kept through every edit rather than rebuilt, so it must agree
// at each step with an in-memory tree given the same edits, and with a fresh
// walk over the control itself. The workspace's own commands run in between,
// as they read the selection again for every piece.
TEST_F(TrackingTreeTest, KeptIndexAgreesWithTheControlUnderRandomEdits) {
    MemoryTree model;
    std::mt19937 rng(1207);
    std::string typed;
    korvel::tracking::WorkspaceUi ui;
    ui.inputBox = [&](std::string_view, std::string_view) { return std::optional(typed); };
    ui.showMessageBox = [](std::string_view, std::string_view, int) { return 0; };
    korvel::tracking::TrackingWorkspace onControl(*tree_, ui), onModel(model, ui);
    onControl.fillCompanies(false);
    onModel.fillCompanies(false);
    int serial = 0;
    // Whatever changes the items moves both change counts: a running query
    // goes by them to know that what it read ahead still holds.
    auto before = readAll(model);
    auto changesBefore = std::pair(tree_->changeCount()->load(), model.changeCount()->load());
    for (int step = 0; step < 600; ++step) {
        const int n = model.itemCount();
        const int any = std::uniform_int_distribution<int>(-1, n)(rng);  // -1 and n are bad
        const int op = std::uniform_int_distribution<int>(0, 9)(rng);
        auto both = [&](auto&& edit) {
            edit(static_cast<TreeModel&>(*tree_));
            edit(static_cast<TreeModel&>(model));
        };
        if (op <= 2) {
            both([&](TreeModel& t) { t.select(any); });
            typed = "";
            for (int k = std::uniform_int_distribution<int>(1, 6)(rng); k > 0; --k)
                typed += " N" + std::to_string(serial++);
            onControl.openNumberDialog();
            onModel.openNumberDialog();
        } else if (op == 3) {
            both([&](TreeModel& t) { t.addItems(any, {"x" + std::to_string(serial)}); });
            ++serial;
        } else if (op == 4) {
            both([&](TreeModel& t) { t.removeItem(any); });
        } else if (op == 5) {
            both([&](TreeModel& t) { t.select(any); });
            onControl.deleteCompanyNumbers();
            onModel.deleteCompanyNumbers();
        } else if (op == 6) {
            both([&](TreeModel& t) { t.setItemText(any, "t" + std::to_string(step)); });
        } else if (op == 7) {
            both([&](TreeModel& t) { t.select(any); });
            onControl.deleteNumber();
            onModel.deleteNumber();
        } else if (op == 8 && step % 5 == 0) {
            onControl.deleteAllNumbers();
            onModel.deleteAllNumbers();
        } else {
            both([&](TreeModel& t) { t.select(any); });
            // The user opens or closes an item, past this class.
            if (HTREEITEM item = tree_->itemHandle(any)) TreeView_Expand(view_, item, TVE_TOGGLE);
        }
        ASSERT_EQ(readAll(*tree_), readAll(model)) << "step " << step;
        const auto changes = std::pair(tree_->changeCount()->load(), model.changeCount()->load());
        if (auto now = readAll(model); now.texts != before.texts || now.parents != before.parents) {
            ASSERT_NE(changes.first, changesBefore.first) << "step " << step;
            ASSERT_NE(changes.second, changesBefore.second) << "step " << step;
            before = std::move(now);
        }
        changesBefore = changes;
        if (step % 25 == 0) {
            const TrackingTree fresh(view_);
            ASSERT_EQ(readAll(fresh), readAll(model)) << "step " << step;
            // What a save writes, expansion included, is what the control shows.
            ASSERT_EQ(tree_->snapshot(), fresh.snapshot()) << "step " << step;
            for (int i = 0; i < fresh.itemCount(); ++i)
                ASSERT_EQ(tree_->indexOf(fresh.itemHandle(i)), i) << "step " << step;
        }
    }
    tree_->replaceAll(model.snapshot());
    EXPECT_EQ(readAll(TrackingTree(view_)), readAll(*tree_));
}

TEST_F(TrackingTreeTest, LongTextsAreReadWhole) {
    const std::string longText(3000, 'x');
    tree_->addItems(-1, {longText});
    EXPECT_EQ(tree_->itemText(0), longText);
}

TEST_F(TrackingTreeTest, SnapshotAndReplaceAllKeepStateAndExpansion) {
    TreeItem company{"申通快递", {}, {}};
    company.state.expanded = true;
    company.state.bold = true;
    company.state.stateImage = 2;
    company.state.image = 3;
    company.state.selectedImage = 4;
    company.state.data = 77;
    company.children.push_back({"123456", {}, {}});
    TreeItem other{"EMS快递", {}, {{"9", {}, {}}}};
    tree_->replaceAll({company, other});
    ASSERT_EQ(tree_->itemCount(), 4);
    const auto snap = tree_->snapshot();
    ASSERT_EQ(snap.size(), 2u);
    EXPECT_EQ(snap[0], company);
    EXPECT_EQ(snap[1].text, "EMS快递");
    EXPECT_FALSE(snap[1].state.expanded);
    EXPECT_EQ(snap[1].children.at(0).text, "9");
}

TEST_F(TrackingTreeTest, ReplaceAllKeepsStateTheControlHasNoUseFor) {
    // A template may mark a company without numbers expanded, and may hold
    // image numbers of -1, which to the control mean "ask the parent".
    TreeItem bare{"EMS快递", {}, {}};
    bare.state.expanded = true;
    TreeItem asked{"申通快递", {}, {{"123456", {}, {}}}};
    asked.state.image = -1;
    asked.state.selectedImage = 7;
    asked.state.expanded = true;
    asked.children[0].state.selectedImage = -1;
    const std::vector<TreeItem> items{bare, asked};
    tree_->replaceAll(items);
    EXPECT_EQ(tree_->snapshot(), items);

    // Numbers added under the company marked expanded show at once.
    tree_->addItems(0, {"EM0001"});
    tree_->expand(0);
    RECT r{};
    EXPECT_TRUE(
        TreeView_GetItemRect(view_, TreeView_GetChild(view_, TreeView_GetRoot(view_)), &r, TRUE));

    // Items made afresh, on handle values that may come back, hold plain zeros.
    tree_->clear();
    tree_->addItems(-1, {"A", "B"});
    tree_->addItems(0, {"1"});
    for (const TreeItem& item : tree_->snapshot()) EXPECT_EQ(item.state, TreeItem{}.state);
    EXPECT_EQ(tree_->snapshot()[0].children.at(0).state, TreeItem{}.state);
}

TEST_F(TrackingTreeTest, HitTestFindsItemsAndNotEmptySpace) {
    tree_->addItems(-1, {"AAE快递", "安捷快递"});
    RECT r{};
    // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
    const HTREEITEM first =
        reinterpret_cast<HTREEITEM>(SendMessageW(view_, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    std::memcpy(&r, &first, sizeof first);
    ASSERT_TRUE(SendMessageW(view_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
    EXPECT_EQ(tree_->itemAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2}), 0);
    EXPECT_EQ(tree_->itemAt({5, 370}), -1);
}

}  // namespace
