#include "ui/tracking_tree_win.h"

#include "text/wide_text_win.h"

namespace korvel::ui {

using tracking::ItemState;
using tracking::TreeItem;

namespace {

HTREEITEM nextItem(HWND tree, HTREEITEM item, UINT how) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

// Item texts have no length limit of their own: grow the buffer until the
// text fits.
std::wstring readText(HWND tree, HTREEITEM item) {
    std::wstring buffer(256, L'\0');
    for (;;) {
        TVITEMW tv{};
        tv.mask = TVIF_TEXT | TVIF_HANDLE;
        tv.hItem = item;
        tv.pszText = buffer.data();
        tv.cchTextMax = static_cast<int>(buffer.size());
        if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return {};
        const size_t len = wcsnlen(buffer.data(), buffer.size());
        if (len + 1 < buffer.size() || buffer.size() >= (1u << 22)) {
            buffer.resize(len);
            return buffer;
        }
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

}  // namespace

TrackingTree::TrackingTree(HWND treeView) : tree_(treeView) {
    // One walk over what the control holds; from here on every edit goes
    // through this class and keeps the mirror current.
    std::vector<Node*> open;  // the ancestors of the next item
    HTREEITEM item = nextItem(tree_, nullptr, TVGN_ROOT);
    while (item) {
        Node* node = forest_.append(open.empty() ? nullptr : open.back(),
                                    text::toGbk(readText(tree_, item)));
        node->handle = reinterpret_cast<std::uintptr_t>(item);
        node->state = readState(item);
        nodes_[item] = node;
        if (HTREEITEM child = nextItem(tree_, item, TVGN_CHILD)) {
            open.push_back(node);
            item = child;
            continue;
        }
        // Climb until a next sibling exists.
        HTREEITEM cur = item;
        item = nullptr;
        for (;;) {
            if (HTREEITEM next = nextItem(tree_, cur, TVGN_NEXT)) {
                item = next;
                break;
            }
            if (open.empty()) break;
            cur = handleOf(open.back());
            open.pop_back();
        }
    }
}

TrackingTree::Node* TrackingTree::nodeOf(HTREEITEM item) const {
    const auto it = item ? nodes_.find(item) : nodes_.end();
    return it == nodes_.end() ? nullptr : it->second;
}

HTREEITEM TrackingTree::handleAt(int index) const {
    const Node* node = forest_.at(index);
    return node ? handleOf(node) : nullptr;
}

int TrackingTree::indexOf(HTREEITEM item) const {
    const Node* node = nodeOf(item);
    return node ? forest_.indexOf(node) : -1;
}

TrackingTree::ItemTexts TrackingTree::textsOf(HTREEITEM item) const {
    const Node* node = nodeOf(item);
    if (!node) return {};
    return {node->parent ? &node->parent->text : nullptr, &node->text};
}

int TrackingTree::itemCount() const { return forest_.count(); }

std::string TrackingTree::itemText(int index) const {
    const Node* node = forest_.at(index);
    return node ? node->text : std::string();
}

int TrackingTree::parentOf(int index) const { return forest_.parentOf(index); }

bool TrackingTree::hasChildren(int index) const {
    const Node* node = forest_.at(index);
    return node && node->hasChildren();
}

HTREEITEM TrackingTree::insert(HTREEITEM parent, const std::string& text, const ItemState* state) {
    std::wstring wide = text::toWide(text);
    TVINSERTSTRUCTW ins{};
    ins.hParent = parent ? parent : TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT;
    ins.item.pszText = wide.data();
    const bool keptHere =
        state && (state->image == I_IMAGECALLBACK || state->selectedImage == I_IMAGECALLBACK);
    if (state) {
        ins.item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
        ins.item.iImage = keptHere ? 0 : state->image;
        ins.item.iSelectedImage = keptHere ? 0 : state->selectedImage;
        ins.item.lParam = state->data;
        ins.item.stateMask = TVIS_BOLD | TVIS_STATEIMAGEMASK;
        ins.item.state = (state->bold ? TVIS_BOLD : 0) |
                         INDEXTOSTATEIMAGEMASK(static_cast<UINT>(state->stateImage & 15));
    }
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
}

TrackingTree::Node* TrackingTree::insertNode(Node* parent, const std::string& text,
                                             const ItemState* state) {
    HTREEITEM item = insert(parent ? handleOf(parent) : nullptr, text, state);
    if (!item) return nullptr;
    Node* node = forest_.append(parent, text, state ? *state : ItemState{});
    node->state.expanded = false;  // until expand() says otherwise
    node->handle = reinterpret_cast<std::uintptr_t>(item);
    nodes_[item] = node;
    return node;
}

void TrackingTree::addItems(int parent, const std::vector<std::string>& texts) {
    noteChange();
    if (parent != -1 && !forest_.valid(parent)) return;
    Node* owner = forest_.at(parent);
    for (const auto& text : texts) insertNode(owner, text, nullptr);
}

void TrackingTree::setItemText(int index, const std::string& text) {
    noteChange();
    Node* node = forest_.at(index);
    if (!node) return;
    std::wstring wide = text::toWide(text);
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = handleOf(node);
    tv.pszText = wide.data();
    if (SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) node->text = text;
}

// Drops the handles of the item at index and its children: the control may
// hand their values out again.
void TrackingTree::forget(int index) {
    const Node* node = forest_.at(index);
    for (int i = index; i < index + node->size; ++i) nodes_.erase(handleAt(i));
}

void TrackingTree::removeItem(int index) {
    noteChange();
    HTREEITEM item = handleAt(index);
    if (!item) return;
    if (!SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item))) return;
    Node* parent = forest_.at(index)->parent;
    forget(index);
    forest_.remove(index);
    // The control may drop the expanded state of an item that lost its last child.
    if (parent && !parent->hasChildren()) refreshExpanded(*parent);
}

void TrackingTree::clear() {
    noteChange();
    SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    forest_.clear();
    nodes_.clear();
}

void TrackingTree::expand(int index) {
    Node* node = forest_.at(index);
    if (!node) return;
    SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(handleOf(node)));
    refreshExpanded(*node);
}

int TrackingTree::selectedIndex() const { return indexOf(nextItem(tree_, nullptr, TVGN_CARET)); }

void TrackingTree::select(int index) {
    HTREEITEM item = handleAt(index);
    if (index != -1 && !item) return;
    SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

void TrackingTree::beginEdits() {
    if (editRuns_++ == 0) SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
}

void TrackingTree::endEdits() {
    if (editRuns_ == 0 || --editRuns_ > 0) return;
    // The control lays out once for the whole run and repaints what changed.
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree_, nullptr, TRUE);
}

ItemState TrackingTree::readState(HTREEITEM item) const {
    TVITEMW tv{};
    tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE | TVIF_HANDLE;
    tv.hItem = item;
    tv.stateMask = TVIS_BOLD | TVIS_EXPANDED | TVIS_STATEIMAGEMASK;
    SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    ItemState state;
    state.image = tv.iImage;
    state.selectedImage = tv.iSelectedImage;
    state.data = static_cast<int32_t>(tv.lParam);
    state.bold = (tv.state & TVIS_BOLD) != 0;
    state.expanded = (tv.state & TVIS_EXPANDED) != 0;
    state.stateImage = static_cast<int>((tv.state & TVIS_STATEIMAGEMASK) >> 12);
    return state;
}

void TrackingTree::refreshExpanded(Node& node) const {
    TVITEMW tv{};
    tv.mask = TVIF_STATE | TVIF_HANDLE;
    tv.hItem = handleOf(&node);
    tv.stateMask = TVIS_EXPANDED;
    if (SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)))
        node.state.expanded = (tv.state & TVIS_EXPANDED) != 0;
}

void TrackingTree::readItem(Node& node, TreeItem& out) const {
    // The user expands and collapses items with children; every other state
    // is what this class gave the item. So only those items are asked.
    if (node.hasChildren() || node.state.expanded) refreshExpanded(node);
    out.text = node.text;
    out.state = node.state;
    out.children.resize(node.children().size());
    for (size_t i = 0; i < node.children().size(); ++i)
        readItem(*node.children()[i], out.children[i]);
}

std::vector<TreeItem> TrackingTree::snapshot() const {
    const auto& roots = forest_.roots();
    std::vector<TreeItem> out(roots.size());
    for (size_t i = 0; i < roots.size(); ++i) readItem(*roots[i], out[i]);
    return out;
}

void TrackingTree::mirrorTree(Node* parent, const TreeItem& item, size_t depth,
                              std::vector<std::vector<Placed>>& levels) {
    Node* node = forest_.append(parent, item.text, item.state);
    if (levels.size() <= depth) levels.resize(depth + 1);
    levels[depth].push_back({&item, node});
    for (const auto& child : item.children) mirrorTree(node, child, depth + 1, levels);
}

void TrackingTree::replaceAll(const std::vector<TreeItem>& items) {
    // One redraw at the end instead of one per inserted item.
    const tracking::EditRun run(*this);
    clear();
    // The mirror is built in pre-order, the control one level after another:
    // Wine's tree view looks an item handle up by a linear search of its
    // items in creation order, so the companies, made first, stay quick to
    // name in every later edit under them, however many numbers follow.
    std::vector<std::vector<Placed>> levels;
    for (const auto& item : items) mirrorTree(nullptr, item, 0, levels);
    std::vector<HTREEITEM> toExpand;
    bool lost = false;
    for (const auto& level : levels) {
        for (const Placed& placed : level) {
            const Node* parent = placed.node->parent;
            HTREEITEM item = nullptr;
            if (!parent || parent->handle)
                item = insert(parent ? handleOf(parent) : nullptr, placed.item->text,
                              &placed.item->state);
            if (!item) {
                lost = true;
                continue;
            }
            placed.node->handle = reinterpret_cast<std::uintptr_t>(item);
            nodes_[item] = placed.node;
            if (placed.item->state.expanded) toExpand.push_back(item);
        }
    }
    // An item the control refused takes its children with it, here as there.
    if (lost) {
        for (int i = forest_.count() - 1; i >= 0; --i)
            if (!forest_.at(i)->handle) forest_.remove(i);
    }
    for (HTREEITEM item : toExpand) {
        SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        // An item without children does not expand, yet the file marks it
        // expanded and a save must write that again, so the flag is set too.
        TVITEMW tv{};
        tv.mask = TVIF_STATE | TVIF_HANDLE;
        tv.hItem = item;
        tv.stateMask = TVIS_EXPANDED;
        tv.state = TVIS_EXPANDED;
        SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    }
}

int TrackingTree::itemAt(POINT client) const {
    TVHITTESTINFO hit{};
    hit.pt = client;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (!item || !(hit.flags & TVHT_ONITEM)) return -1;
    return indexOf(item);
}

}  // namespace korvel::ui
