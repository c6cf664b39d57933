// How the numbers stand, shown on the tracking tree: a number's text takes
// the colour of its last known state through the tree's custom draw, and
// hovering an entry shows a tooltip with the number's newest route entry and
// when it was asked, or a company's count per state.
//
// Outcomes belong to company and number, never to a tree item: an item's
// handle is handed out again once it is deleted, while a number deleted and
// added again, or imported from a template, is the same parcel and finds its
// own outcome. They are kept between starts in the program's data folder
// (OutcomeKeeper); a run replaces a number's outcome when its new one arrives.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <memory>
#include <string>

#include "query/query_run.h"
#include "skin/gdi_handles_win.h"
#include "tracking/outcome_store.h"
#include "tracking/parcel_state.h"
#include "ui/outcome_keeper_win.h"
#include "ui/tracking_tree_win.h"

namespace korvel::ui {

class TreeStatus : public query::QueryWatcher {
  public:
    // storeFolder: where outcomes are kept between starts; empty: only while
    // the program runs.
    explicit TreeStatus(TrackingTree& tree, std::string storeFolder = {});
    // Hands the last outcomes and the numbers in the tree to the store and
    // waits until it holds them.
    ~TreeStatus() override;
    TreeStatus(const TreeStatus&) = delete;
    TreeStatus& operator=(const TreeStatus&) = delete;

    // query::QueryWatcher.
    void numberFinished(const std::string& company, const std::string& number,
                        const tracking::ParcelOutcome& outcome) override;

    // WM_NOTIFY the tree sends its parent: custom draw and item deletion.
    // True when handled, with the answer in result.
    bool onNotify(const NMHDR& header, LRESULT& result);

    // The text colour of a state; 运输中 keeps the tree's own.
    static COLORREF colourOf(tracking::ParcelState state);
    const tracking::KeptOutcome* outcomeOf(HTREEITEM item) const;
    const tracking::OutcomeStore& outcomes() const { return store_; }
    // Not known to be delivered: never asked, or last seen on its way.
    bool open(const std::string& company, const std::string& number) const;
    // What hovering the item shows.
    std::string tipText(HTREEITEM item) const;

    // Brings the store's file up to date now and waits; true when it holds
    // every outcome so far (the session ends; also done when the window goes).
    bool keepNow();

    HWND tooltip() const { return tooltip_.get(); }
    // The item whose tip shows, or null.
    HTREEITEM tipItem() const { return tipItem_; }

  private:
    static LRESULT CALLBACK treeProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void heardFromStore(tracking::OutcomeStore news);
    void refreshSoon();
    void refresh();
    void tellSeen(bool always);
    void trackMouse();
    void showTip(POINT client);
    void hideTip();
    // The tip shows and a point of the tree's client area lies on it.
    bool onTip(LPARAM clientPoint) const;
    void setTipText(const std::string& text);
    std::string numberTip(HTREEITEM item) const;
    std::string companyTip(HTREEITEM company) const;

    TrackingTree& tree_;
    HWND treeView_;
    skin::OwnedWindow tooltip_;
    tracking::OutcomeStore store_;
    std::unique_ptr<OutcomeKeeper> keeper_;
    std::uint64_t seenChanges_ = 0;  // the tree's change count the store last heard of
    tracking::Seconds seenAt_ = 0;
    bool refreshDue_ = false;
    HTREEITEM tipItem_ = nullptr;
};

}  // namespace korvel::ui
