// An in-memory TreeModel for the native tests and benchmarks. It behaves
// like the tree control where the workspace can tell: pre-order indexes,
// bad indexes ignored, and a removed selection moving to a neighbour.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "tracking/gap_buffer.h"
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
    struct Node {
        std::string text;
        ItemState state;
        Node* parent = nullptr;
        // A deque, so deleting a company's numbers one by one from the front stays O(1).
        std::deque<std::unique_ptr<Node>> children;
        int size = 1;            // this item and all its descendants
        mutable int index = -1;  // last known pre-order position, see indexOf
    };

    bool valid(int index) const;
    std::deque<std::unique_ptr<Node>>& siblingsOf(Node* node);
    int indexOf(const Node* node) const;
    void markShifted(int from);
    void adoptTree(Node* parent, const TreeItem& item, std::vector<Node*>& order);
    static void copyOut(const Node& node, TreeItem& out);

    std::deque<std::unique_ptr<Node>> roots_;
    // Pre-order list of every node, kept exact on every change so lookups by
    // index are O(1). Node::index is refreshed lazily from staleFrom_ on, so a
    // run of edits followed by a walk renumbers once, not once per edit.
    GapBuffer<Node*> order_;
    mutable int staleFrom_ = 0;
    Node* selected_ = nullptr;
};

}  // namespace korvel::tracking
