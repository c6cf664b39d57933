// The tracking workspace on the main window's Win32 tree view ("树型框1").
// Items are addressed by pre-order index. The tree's shape, texts and item
// states are mirrored in an ItemForest that every edit made through this
// class keeps current, so no read or edit walks the control: each costs
// about what its one TVM_* message costs, however long the list, and a
// snapshot asks the control only for what the user can change (expansion).
// The mirror also keeps image numbers the control cannot hold: -1
// (I_IMAGECALLBACK) tells it to ask the parent window, which knows nothing
// of them. A template file may hold -1; the control gets 0 in its place.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "tracking/item_forest.h"
#include "tracking/tree_model.h"

namespace korvel::ui {

class TrackingTree : public tracking::TreeModel {
  public:
    // Mirrors whatever the control already holds.
    explicit TrackingTree(HWND treeView);

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
    void beginEdits() override;
    void endEdits() override;
    std::vector<tracking::TreeItem> snapshot() const override;
    void replaceAll(const std::vector<tracking::TreeItem>& items) override;

    // Index of the item under a client point (its icon, label or state
    // icon), or -1.
    int itemAt(POINT client) const;
    // Index of an item handle, or -1.
    int indexOf(HTREEITEM item) const;
    // Handle of the item at an index, or null.
    HTREEITEM itemHandle(int index) const { return handleAt(index); }
    // The texts of an item and of its parent, without a message to the
    // control: for a number entry, its company and itself. Null for what is
    // not there; valid until the next edit.
    struct ItemTexts {
        const std::string* parent = nullptr;
        const std::string* item = nullptr;
    };
    ItemTexts textsOf(HTREEITEM item) const;

  private:
    using Node = tracking::ItemForest::Node;

    static HTREEITEM handleOf(const Node* node) {
        return reinterpret_cast<HTREEITEM>(node->handle);
    }
    Node* nodeOf(HTREEITEM item) const;
    HTREEITEM handleAt(int index) const;
    HTREEITEM insert(HTREEITEM parent, const std::string& text, const tracking::ItemState* state);
    Node* insertNode(Node* parent, const std::string& text, const tracking::ItemState* state);
    // An item of a replaceAll and its node in the mirror.
    struct Placed {
        const tracking::TreeItem* item;
        Node* node;
    };
    void mirrorTree(Node* parent, const tracking::TreeItem& item, size_t depth,
                    std::vector<std::vector<Placed>>& levels);
    // The item's whole state as the control holds it.
    tracking::ItemState readState(HTREEITEM item) const;
    // Updates the kept expanded state from the control.
    void refreshExpanded(Node& node) const;
    void readItem(Node& node, tracking::TreeItem& out) const;
    void forget(int index);

    HWND tree_;
    // The control's items in pre-order, with the texts the program set:
    // Wine's tree view finds an item handle by a linear search on every
    // message that names one, which would make a walk by index quadratic.
    tracking::ItemForest forest_;
    std::unordered_map<HTREEITEM, Node*> nodes_;
    int editRuns_ = 0;  // open runs of edits; redrawing is held back while any is
};

}  // namespace korvel::ui
