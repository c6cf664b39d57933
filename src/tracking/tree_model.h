// The tracking workspace has no copy of its own: it is the item set of a tree
// control. Everything that reads or edits it goes through this interface,
// which addresses items by their 0-based pre-order index (-1 = no item), so
// the same workspace code runs on the Win32 tree view and on MemoryTree.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvel::tracking {

// An item's state beyond its text, as a template file stores it.
struct ItemState {
    int32_t image = 0;
    int32_t selectedImage = 0;
    int32_t data = 0;
    bool bold = false;
    bool expanded = false;
    int stateImage = 0;  // 0..15 (bits 28-31 of the template flags)

    bool operator==(const ItemState&) const = default;
};

// One item with its subtree, for whole-tree reads and writes.
struct TreeItem {
    std::string text;
    ItemState state;
    std::vector<TreeItem> children;

    bool operator==(const TreeItem&) const = default;
};

class TreeModel {
  public:
    virtual ~TreeModel() = default;

    virtual int itemCount() const = 0;
    virtual std::string itemText(int index) const = 0;  // empty for a bad index
    virtual int parentOf(int index) const = 0;          // -1 for top level or a bad index
    virtual bool hasChildren(int index) const = 0;      // false for a bad index
    // Each text becomes a new last child of parent; parent -1 = top level.
    virtual void addItems(int parent, const std::vector<std::string>& texts) = 0;
    virtual void setItemText(int index, const std::string& text) = 0;
    virtual void removeItem(int index) = 0;  // with its children
    virtual void clear() = 0;
    virtual void expand(int index) = 0;
    virtual int selectedIndex() const = 0;
    virtual void select(int index) = 0;  // also makes it the current item

    // A run of edits begins or ends: a tree control may hold back its
    // redrawing in between, as it would otherwise lay out and repaint the
    // visible part after every single item. Runs nest; see EditRun.
    virtual void beginEdits() {}
    virtual void endEdits() {}

    // The whole forest in pre-order, with every item's state.
    virtual std::vector<TreeItem> snapshot() const = 0;
    // Replaces every item; items whose state says expanded are expanded.
    virtual void replaceAll(const std::vector<TreeItem>& items) = 0;

    // Moves on with every edit of the items (add, rename, remove, clear,
    // replace). Any thread may read it, also once the tree is gone: whoever
    // sees the same value at two moments knows the items did not change in
    // between, without asking the thread that owns them.
    using ChangeCount = std::atomic<std::uint64_t>;
    std::shared_ptr<const ChangeCount> changeCount() const { return changes_; }
    // Told of every edit, on the editing thread, before the items change:
    // it may note that they did, not look at them yet.
    void setEditListener(std::function<void()> listener) { editListener_ = std::move(listener); }

  protected:
    // Every edit calls this before it changes anything.
    void noteChange() {
        changes_->fetch_add(1);
        if (editListener_) editListener_();
    }

  private:
    std::shared_ptr<ChangeCount> changes_ = std::make_shared<ChangeCount>(0);
    std::function<void()> editListener_;
};

// Holds a run of edits open for its lifetime.
class EditRun {
  public:
    explicit EditRun(TreeModel& tree) : tree_(tree) { tree_.beginEdits(); }
    ~EditRun() { tree_.endEdits(); }
    EditRun(const EditRun&) = delete;
    EditRun& operator=(const EditRun&) = delete;

  private:
    TreeModel& tree_;
};

}  // namespace korvel::tracking
