#include "tracking/memory_tree.h"

#include <algorithm>

namespace korvel::tracking {

bool MemoryTree::valid(int index) const {
    return index >= 0 && static_cast<size_t>(index) < order_.size();
}

std::deque<std::unique_ptr<MemoryTree::Node>>& MemoryTree::siblingsOf(Node* node) {
    return node->parent ? node->parent->children : roots_;
}

int MemoryTree::indexOf(const Node* node) const {
    const int known = node->index;
    if (valid(known) && order_[static_cast<size_t>(known)] == node) return known;
    for (size_t i = static_cast<size_t>(staleFrom_); i < order_.size(); ++i) {
        order_[i]->index = static_cast<int>(i);
    }
    staleFrom_ = static_cast<int>(order_.size());
    return node->index;
}

void MemoryTree::markShifted(int from) { staleFrom_ = std::min(staleFrom_, from); }

int MemoryTree::itemCount() const { return static_cast<int>(order_.size()); }

std::string MemoryTree::itemText(int index) const {
    return valid(index) ? order_[static_cast<size_t>(index)]->text : std::string();
}

ItemState MemoryTree::itemState(int index) const {
    return valid(index) ? order_[static_cast<size_t>(index)]->state : ItemState{};
}

int MemoryTree::parentOf(int index) const {
    if (!valid(index)) return -1;
    const Node* parent = order_[static_cast<size_t>(index)]->parent;
    return parent ? indexOf(parent) : -1;
}

bool MemoryTree::hasChildren(int index) const {
    return valid(index) && !order_[static_cast<size_t>(index)]->children.empty();
}

void MemoryTree::addItems(int parent, const std::vector<std::string>& texts) {
    if (texts.empty() || (parent != -1 && !valid(parent))) return;
    Node* owner = parent == -1 ? nullptr : order_[static_cast<size_t>(parent)];
    const int pos = owner ? parent + owner->size : itemCount();
    auto& siblings = owner ? owner->children : roots_;
    std::vector<Node*> added;
    added.reserve(texts.size());
    for (const std::string& text : texts) {
        auto node = std::make_unique<Node>();
        node->text = text;
        node->parent = owner;
        added.push_back(node.get());
        siblings.push_back(std::move(node));
    }
    for (Node* a = owner; a; a = a->parent) a->size += static_cast<int>(added.size());
    order_.insert(static_cast<size_t>(pos), added.data(), added.size());
    markShifted(pos);
}

void MemoryTree::setItemText(int index, const std::string& text) {
    if (valid(index)) order_[static_cast<size_t>(index)]->text = text;
}

void MemoryTree::removeItem(int index) {
    if (!valid(index)) return;
    Node* node = order_[static_cast<size_t>(index)];
    auto& siblings = siblingsOf(node);
    // Search from both ends: deletions come at the front or the back of a
    // company's numbers, so this stays short on large lists.
    size_t front = 0, back = siblings.size() - 1;
    while (siblings[front].get() != node && siblings[back].get() != node) {
        ++front;
        --back;
    }
    const size_t at = siblings[front].get() == node ? front : back;

    // Like a tree control, a selection inside the removed subtree moves to
    // the next sibling, else the parent, else the previous sibling.
    bool selectionGoes = false;
    for (const Node* s = selected_; s; s = s->parent) selectionGoes = selectionGoes || s == node;
    if (selectionGoes) {
        if (at + 1 < siblings.size()) {
            selected_ = siblings[at + 1].get();
        } else if (node->parent) {
            selected_ = node->parent;
        } else {
            selected_ = at > 0 ? siblings[at - 1].get() : nullptr;
        }
    }

    const int removed = node->size;
    for (Node* a = node->parent; a; a = a->parent) a->size -= removed;
    order_.erase(static_cast<size_t>(index), static_cast<size_t>(removed));
    markShifted(index);
    siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(at));
}

void MemoryTree::clear() {
    selected_ = nullptr;
    order_.clear();
    staleFrom_ = 0;
    roots_.clear();
}

void MemoryTree::expand(int index) {
    if (valid(index)) order_[static_cast<size_t>(index)]->state.expanded = true;
}

int MemoryTree::selectedIndex() const { return selected_ ? indexOf(selected_) : -1; }

void MemoryTree::select(int index) {
    if (index == -1) {
        selected_ = nullptr;
    } else if (valid(index)) {
        selected_ = order_[static_cast<size_t>(index)];
    }
}

void MemoryTree::copyOut(const Node& node, TreeItem& out) {
    out.text = node.text;
    out.state = node.state;
    out.children.resize(node.children.size());
    for (size_t i = 0; i < node.children.size(); ++i) copyOut(*node.children[i], out.children[i]);
}

std::vector<TreeItem> MemoryTree::snapshot() const {
    std::vector<TreeItem> items(roots_.size());
    for (size_t i = 0; i < roots_.size(); ++i) copyOut(*roots_[i], items[i]);
    return items;
}

void MemoryTree::adoptTree(Node* parent, const TreeItem& item, std::vector<Node*>& order) {
    auto node = std::make_unique<Node>();
    node->text = item.text;
    node->state = item.state;
    node->parent = parent;
    Node* raw = node.get();
    (parent ? parent->children : roots_).push_back(std::move(node));
    order.push_back(raw);
    for (const TreeItem& child : item.children) adoptTree(raw, child, order);
    for (const auto& child : raw->children) raw->size += child->size;
}

void MemoryTree::replaceAll(const std::vector<TreeItem>& items) {
    clear();
    std::vector<Node*> order;
    for (const TreeItem& item : items) adoptTree(nullptr, item, order);
    order_.insert(0, order.data(), order.size());
}

}  // namespace korvel::tracking
