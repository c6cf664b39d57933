// An in-memory TreeModel for the native tests and benchmarks. It behaves
// like the tree control where the workspace can tell: pre-order indexes,
// bad indexes ignored, and a removed selection moving to a neighbour.
#pragma once

#include <string>
#include <vector>

#include "tracking/item_forest.h"
#include "tracking/tree_model.h"

namespace korvel::tracking {

class MemoryTree final : public TreeModel {
  public:
    MemoryTree() = default;
    MemoryTree(const MemoryTree&) = delete;
    MemoryTree& operator=(const MemoryTree&) = delete;

    int itemCount() const override;
    std::string itemText(int index) const override;
    int parentOf(int index) const override;
    bool hasChildren(int index) const override;
    void addItems(int parent, const std::vector<std::string>& texts) override;
    void setItemText(int index, const std::string& text) override;
    void removeItem(int index) override;
    void clear() override;
    void expand(int index) override;
    int selectedIndex() const override;
    void select(int index) override;
    std::vector<TreeItem> snapshot() const override;
    void replaceAll(const std::vector<TreeItem>& items) override;

    // The state of one item (default state for a bad index), for tests.
    ItemState itemState(int index) const;

  private:
    using Node = ItemForest::Node;

    void adoptTree(Node* parent, const TreeItem& item);
    static void copyOut(const Node& node, TreeItem& out);

    ItemForest forest_;
    Node* selected_ = nullptr;
};

}  // namespace korvel::tracking
