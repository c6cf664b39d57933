// The tracking workspace on the main window's Win32 tree view ("树型框1").
// Items are addressed by pre-order index; the pre-order list is cached and
// rebuilt only after the tree changed, so walking a 10,000-number workspace
// by index stays linear.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "tracking/tree_model.h"

namespace korvel::ui {

class TrackingTree : public tracking::TreeModel {
public:
    explicit TrackingTree(HWND treeView) : tree_(treeView) {}

    HWND handle() const { return tree_; }

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
    std::vector<tracking::TreeItem> snapshot() const override;
    void replaceAll(const std::vector<tracking::TreeItem>& items) override;

    // Index of the item under a client point (its icon, label or state
    // icon), or -1.
    int itemAt(POINT client) const;
    // Index of an item handle, or -1.
    int indexOf(HTREEITEM item) const;
    // Handle of the item at an index, or null.
    HTREEITEM itemHandle(int index) const { return handleAt(index); }

private:
    struct Entry {
        HTREEITEM item;
        int parent;
    };

    const std::vector<Entry>& order() const;
    HTREEITEM handleAt(int index) const;
    HTREEITEM insert(HTREEITEM parent, const std::string& text, const tracking::ItemState* state);
    void insertTree(HTREEITEM parent, const tracking::TreeItem& item,
                    std::vector<HTREEITEM>& toExpand);
    tracking::TreeItem readItem(HTREEITEM item) const;
    void changed() { dirty_ = true; }

    HWND tree_;
    // Item texts as the program set them: Wine's tree view finds an item
    // handle by a linear search on every TVM_GETITEM, which would make the
    // batch walk quadratic.
    mutable std::unordered_map<HTREEITEM, std::string> texts_;
    // Image numbers the control cannot hold. -1 (I_IMAGECALLBACK) tells it to
    // ask the parent window, which knows nothing of them, so reading the item
    // back would give whatever the notification left. A template file may
    // hold -1: such an item's two numbers are kept here and the control gets
    // 0 in their place. Every insert sets or drops the entry of its handle.
    std::unordered_map<HTREEITEM, std::pair<int32_t, int32_t>> images_;
    mutable std::vector<Entry> order_;
    mutable std::unordered_map<HTREEITEM, int> index_;
    mutable bool dirty_ = true;
};

}  // namespace korvel::ui
