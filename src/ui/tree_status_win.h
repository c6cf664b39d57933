// How the numbers of the last query run stand, shown on the tracking tree: a
// queried number's text takes its state's colour through the tree's custom
// draw, and hovering an entry shows a tooltip with the number's newest route
// entry or a company's count per state. Outcomes are keyed by item handle and
// dropped when the item is deleted, so they follow the item through edits;
// nothing of them is ever stored.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "query/query_run.h"
#include "skin/gdi_handles_win.h"
#include "tracking/parcel_state.h"
#include "ui/tracking_tree_win.h"

namespace korvel::ui {

class TreeStatus : public query::QueryWatcher {
  public:
    explicit TreeStatus(TrackingTree& tree);
    ~TreeStatus() override;
    TreeStatus(const TreeStatus&) = delete;
    TreeStatus& operator=(const TreeStatus&) = delete;

    // query::QueryWatcher.
    void runStarted() override;
    std::uintptr_t numberTaken(int index) override;
    void numberFinished(std::uintptr_t key, const tracking::ParcelOutcome& outcome) override;

    // WM_NOTIFY the tree sends its parent: custom draw and item deletion.
    // True when handled, with the answer in result.
    bool onNotify(const NMHDR& header, LRESULT& result);

    // The text colour of a state; 运输中 keeps the tree's own.
    static COLORREF colourOf(tracking::ParcelState state);
    const tracking::ParcelOutcome* outcomeOf(HTREEITEM item) const;
    // What hovering the item shows.
    std::string tipText(HTREEITEM item) const;

    HWND tooltip() const { return tooltip_.get(); }
    // The item whose tip shows, or null.
    HTREEITEM tipItem() const { return tipItem_; }

  private:
    static LRESULT CALLBACK treeProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void trackMouse();
    void showTip(POINT client);
    void hideTip();
    // The tip shows and a point of the tree's client area lies on it.
    bool onTip(LPARAM clientPoint) const;
    void setTipText(const std::string& text);
    std::string numberTip(HTREEITEM item, HTREEITEM company) const;
    std::string companyTip(HTREEITEM company) const;
    std::string textOf(HTREEITEM item) const;

    TrackingTree& tree_;
    HWND treeView_;
    skin::OwnedWindow tooltip_;
    std::unordered_map<HTREEITEM, tracking::ParcelOutcome> outcomes_;
    // Items the live run took up and that still exist.
    std::unordered_set<HTREEITEM> taken_;
    HTREEITEM tipItem_ = nullptr;
    bool tracking_ = false;
};

}  // namespace korvel::ui
