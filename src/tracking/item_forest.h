// The shape of a workspace tree with every item's pre-order index kept
// current through the edits the workspace makes (append a last child, remove
// an item with its children, clear), so no edit walks the whole tree.
// MemoryTree keeps its items here; TrackingTree keeps a mirror of the tree
// control here, each node holding the control's handle of its item.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "tracking/gap_buffer.h"
#include "tracking/tree_model.h"

namespace korvel::tracking {

class ItemForest {
  public:
    struct Node;
    // A deque, so deleting a company's numbers one by one from the front stays O(1).
    using Children = std::deque<std::unique_ptr<Node>>;

    struct Node {
        std::string text;
        ItemState state;
        std::uintptr_t handle = 0;  // the tree control's own id of the item, if any
        Node* parent = nullptr;
        // Made with the first child: an empty deque already holds a block of
        // memory, and most items (the numbers) never have children.
        std::unique_ptr<Children> kids;
        int size = 1;            // this item and all its descendants
        mutable int index = -1;  // last known pre-order position, see indexOf

        bool hasChildren() const { return kids && !kids->empty(); }
        const Children& children() const { return kids ? *kids : kNoChildren; }
    };

    ItemForest() = default;
    ItemForest(const ItemForest&) = delete;
    ItemForest& operator=(const ItemForest&) = delete;

    int count() const { return static_cast<int>(order_.size()); }
    bool valid(int index) const { return index >= 0 && static_cast<size_t>(index) < order_.size(); }
    // The node at a pre-order index, nullptr for a bad one.
    Node* at(int index) const {
        return valid(index) ? order_[static_cast<size_t>(index)] : nullptr;
    }
    int indexOf(const Node* node) const;
    int parentOf(int index) const;

    // A new last child of parent (nullptr: a new last top-level item).
    Node* append(Node* parent, std::string text, const ItemState& state = {});
    // Removes the item at index with its children.
    void remove(int index);
    void clear();

    // The children list a node sits in (the top level for a top-level node).
    const Children& siblingsOf(const Node* node) const {
        return node->parent ? node->parent->children() : roots_;
    }
    // A node's position among its siblings; searched from both ends, as edits
    // come at the front or the back of a company's numbers.
    size_t positionOf(const Node* node) const;
    const Children& roots() const { return roots_; }

  private:
    static const Children kNoChildren;

    Children roots_;
    // Pre-order list of every node, kept exact on every change so lookups by
    // index are O(1). Node::index is refreshed lazily from staleFrom_ on, so a
    // run of edits followed by a walk renumbers once, not once per edit;
    // every node before staleFrom_ holds its right index.
    GapBuffer<Node*> order_;
    mutable int staleFrom_ = 0;
};

}  // namespace korvel::tracking
