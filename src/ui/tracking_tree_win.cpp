#include "ui/tracking_tree_win.h"

#include <tuple>

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

const std::vector<TrackingTree::Entry>& TrackingTree::order() const {
    if (!dirty_) return order_;
    order_.clear();
    index_.clear();
    // Iterative pre-order walk; collapsed children are visited too.
    std::vector<int> parents;  // stack of pre-order indexes of open ancestors
    HTREEITEM item = nextItem(tree_, nullptr, TVGN_ROOT);
    while (item) {
        const int parent = parents.empty() ? -1 : parents.back();
        index_[item] = static_cast<int>(order_.size());
        order_.push_back({item, parent});
        if (HTREEITEM child = nextItem(tree_, item, TVGN_CHILD)) {
            parents.push_back(static_cast<int>(order_.size()) - 1);
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
            if (parents.empty()) break;
            cur = order_[parents.back()].item;
            parents.pop_back();
        }
    }
    // Forget the texts of items that are gone (their handles may come back).
    if (texts_.size() > order_.size()) {
        std::unordered_map<HTREEITEM, std::string> kept;
        kept.reserve(order_.size());
        for (const Entry& e : order_) {
            auto it = texts_.find(e.item);
            if (it != texts_.end()) kept.emplace(e.item, std::move(it->second));
        }
        texts_.swap(kept);
    }
    dirty_ = false;
    return order_;
}

HTREEITEM TrackingTree::handleAt(int index) const {
    const auto& entries = order();
    if (index < 0 || index >= static_cast<int>(entries.size())) return nullptr;
    return entries[index].item;
}

int TrackingTree::indexOf(HTREEITEM item) const {
    if (!item) return -1;
    order();
    const auto it = index_.find(item);
    return it == index_.end() ? -1 : it->second;
}

int TrackingTree::itemCount() const { return static_cast<int>(order().size()); }

std::string TrackingTree::itemText(int index) const {
    HTREEITEM item = handleAt(index);
    if (!item) return {};
    auto it = texts_.find(item);
    if (it == texts_.end()) it = texts_.emplace(item, text::toGbk(readText(tree_, item))).first;
    return it->second;
}

int TrackingTree::parentOf(int index) const {
    const auto& entries = order();
    if (index < 0 || index >= static_cast<int>(entries.size())) return -1;
    return entries[index].parent;
}

bool TrackingTree::hasChildren(int index) const {
    HTREEITEM item = handleAt(index);
    return item && nextItem(tree_, item, TVGN_CHILD) != nullptr;
}

HTREEITEM TrackingTree::insert(HTREEITEM parent, const std::string& text,
                               const ItemState* state) {
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
    changed();
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
    if (item) {
        texts_[item] = text;
        if (keptHere)
            images_[item] = {state->image, state->selectedImage};
        else
            images_.erase(item);  // a handle value of an item gone before
    }
    return item;
}

void TrackingTree::addItems(int parent, const std::vector<std::string>& texts) {
    HTREEITEM parentItem = parent == -1 ? nullptr : handleAt(parent);
    if (parent != -1 && !parentItem) return;
    for (const auto& text : texts) insert(parentItem, text, nullptr);
}

void TrackingTree::setItemText(int index, const std::string& text) {
    HTREEITEM item = handleAt(index);
    if (!item) return;
    std::wstring wide = text::toWide(text);
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = wide.data();
    if (SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) texts_[item] = text;
}

void TrackingTree::removeItem(int index) {
    HTREEITEM item = handleAt(index);
    if (!item) return;
    SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
    changed();
}

void TrackingTree::clear() {
    SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    texts_.clear();
    images_.clear();
    changed();
}

void TrackingTree::expand(int index) {
    if (HTREEITEM item = handleAt(index))
        SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

int TrackingTree::selectedIndex() const { return indexOf(nextItem(tree_, nullptr, TVGN_CARET)); }

void TrackingTree::select(int index) {
    HTREEITEM item = handleAt(index);
    if (index != -1 && !item) return;
    SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

TreeItem TrackingTree::readItem(HTREEITEM item) const {
    TVITEMW tv{};
    tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE | TVIF_HANDLE;
    tv.hItem = item;
    tv.stateMask = TVIS_BOLD | TVIS_EXPANDED | TVIS_STATEIMAGEMASK;
    SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    TreeItem out;
    const int index = indexOf(item);
    out.text = index >= 0 ? itemText(index) : text::toGbk(readText(tree_, item));
    out.state.image = tv.iImage;
    out.state.selectedImage = tv.iSelectedImage;
    if (const auto kept = images_.find(item); kept != images_.end())
        std::tie(out.state.image, out.state.selectedImage) = kept->second;
    out.state.data = static_cast<int32_t>(tv.lParam);
    out.state.bold = (tv.state & TVIS_BOLD) != 0;
    out.state.expanded = (tv.state & TVIS_EXPANDED) != 0;
    out.state.stateImage = static_cast<int>((tv.state & TVIS_STATEIMAGEMASK) >> 12);
    for (HTREEITEM child = nextItem(tree_, item, TVGN_CHILD); child;
         child = nextItem(tree_, child, TVGN_NEXT))
        out.children.push_back(readItem(child));
    return out;
}

std::vector<TreeItem> TrackingTree::snapshot() const {
    std::vector<TreeItem> out;
    for (HTREEITEM item = nextItem(tree_, nullptr, TVGN_ROOT); item;
         item = nextItem(tree_, item, TVGN_NEXT))
        out.push_back(readItem(item));
    return out;
}

void TrackingTree::insertTree(HTREEITEM parent, const TreeItem& item,
                              std::vector<HTREEITEM>& toExpand) {
    HTREEITEM inserted = insert(parent, item.text, &item.state);
    if (!inserted) return;
    if (item.state.expanded) toExpand.push_back(inserted);
    for (const auto& child : item.children) insertTree(inserted, child, toExpand);
}

void TrackingTree::replaceAll(const std::vector<TreeItem>& items) {
    // One redraw at the end instead of one per inserted item.
    SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    clear();
    std::vector<HTREEITEM> toExpand;
    for (const auto& item : items) insertTree(nullptr, item, toExpand);
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
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree_, nullptr, TRUE);
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
