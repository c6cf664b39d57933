#include "tracking/item_forest.h"

#include <algorithm>

namespace korvel::tracking {

const ItemForest::Children ItemForest::kNoChildren;

int ItemForest::indexOf(const Node* node) const {
    const int known = node->index;
    if (valid(known) && order_[static_cast<size_t>(known)] == node) return known;
    for (size_t i = static_cast<size_t>(staleFrom_); i < order_.size(); ++i) {
        order_[i]->index = static_cast<int>(i);
    }
    staleFrom_ = static_cast<int>(order_.size());
    return node->index;
}

int ItemForest::parentOf(int index) const {
    const Node* node = at(index);
    return node && node->parent ? indexOf(node->parent) : -1;
}

ItemForest::Node* ItemForest::append(Node* parent, std::string text, const ItemState& state) {
    const int pos = parent ? indexOf(parent) + parent->size : count();
    auto node = std::make_unique<Node>();
    node->text = std::move(text);
    node->state = state;
    node->parent = parent;
    Node* added = node.get();
    if (parent && !parent->kids) parent->kids = std::make_unique<Children>();
    (parent ? *parent->kids : roots_).push_back(std::move(node));
    for (Node* a = parent; a; a = a->parent) ++a->size;
    order_.insert(static_cast<size_t>(pos), &added, 1);
    staleFrom_ = std::min(staleFrom_, pos);
    return added;
}

size_t ItemForest::positionOf(const Node* node) const {
    const auto& siblings = siblingsOf(node);
    size_t front = 0, back = siblings.size() - 1;
    while (siblings[front].get() != node && siblings[back].get() != node) {
        ++front;
        --back;
    }
    return siblings[front].get() == node ? front : back;
}

void ItemForest::remove(int index) {
    Node* node = at(index);
    if (!node) return;
    const size_t at = positionOf(node);
    const int removed = node->size;
    for (Node* a = node->parent; a; a = a->parent) a->size -= removed;
    order_.erase(static_cast<size_t>(index), static_cast<size_t>(removed));
    staleFrom_ = std::min(staleFrom_, index);
    Children& siblings = node->parent ? *node->parent->kids : roots_;
    siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(at));
}

void ItemForest::clear() {
    order_.clear();
    staleFrom_ = 0;
    roots_.clear();
}

}  // namespace korvel::tracking
