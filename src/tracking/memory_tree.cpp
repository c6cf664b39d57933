#include "tracking/memory_tree.h"

namespace korvel::tracking {

int MemoryTree::itemCount() const { return forest_.count(); }

std::string MemoryTree::itemText(int index) const {
    const Node* node = forest_.at(index);
    return node ? node->text : std::string();
}

ItemState MemoryTree::itemState(int index) const {
    const Node* node = forest_.at(index);
    return node ? node->state : ItemState{};
}

int MemoryTree::parentOf(int index) const { return forest_.parentOf(index); }

bool MemoryTree::hasChildren(int index) const {
    const Node* node = forest_.at(index);
    return node && node->hasChildren();
}

void MemoryTree::addItems(int parent, const std::vector<std::string>& texts) {
    noteChange();
    if (parent != -1 && !forest_.valid(parent)) return;
    Node* owner = forest_.at(parent);
    for (const std::string& text : texts) forest_.append(owner, text);
}

void MemoryTree::setItemText(int index, const std::string& text) {
    noteChange();
    if (Node* node = forest_.at(index)) node->text = text;
}

void MemoryTree::removeItem(int index) {
    noteChange();
    const Node* node = forest_.at(index);
    if (!node) return;
    // Like a tree control, a selection inside the removed subtree moves to
    // the next sibling, else the parent, else the previous sibling.
    bool selectionGoes = false;
    for (const Node* s = selected_; s; s = s->parent) selectionGoes = selectionGoes || s == node;
    if (selectionGoes) {
        const auto& siblings = forest_.siblingsOf(node);
        const size_t at = forest_.positionOf(node);
        if (at + 1 < siblings.size()) {
            selected_ = siblings[at + 1].get();
        } else if (node->parent) {
            selected_ = node->parent;
        } else {
            selected_ = at > 0 ? siblings[at - 1].get() : nullptr;
        }
    }
    forest_.remove(index);
}

void MemoryTree::clear() {
    noteChange();
    selected_ = nullptr;
    forest_.clear();
}

void MemoryTree::expand(int index) {
    if (Node* node = forest_.at(index)) node->state.expanded = true;
}

int MemoryTree::selectedIndex() const { return selected_ ? forest_.indexOf(selected_) : -1; }

void MemoryTree::select(int index) {
    if (index == -1) {
        selected_ = nullptr;
    } else if (Node* node = forest_.at(index)) {
        selected_ = node;
    }
}

void MemoryTree::copyOut(const Node& node, TreeItem& out) {
    out.text = node.text;
    out.state = node.state;
    out.children.resize(node.children().size());
    for (size_t i = 0; i < node.children().size(); ++i)
        copyOut(*node.children()[i], out.children[i]);
}

std::vector<TreeItem> MemoryTree::snapshot() const {
    const auto& roots = forest_.roots();
    std::vector<TreeItem> items(roots.size());
    for (size_t i = 0; i < roots.size(); ++i) copyOut(*roots[i], items[i]);
    return items;
}

void MemoryTree::adoptTree(Node* parent, const TreeItem& item) {
    Node* node = forest_.append(parent, item.text, item.state);
    for (const TreeItem& child : item.children) adoptTree(node, child);
}

void MemoryTree::replaceAll(const std::vector<TreeItem>& items) {
    clear();
    for (const TreeItem& item : items) adoptTree(nullptr, item);
}

}  // namespace korvel::tracking
