#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ui/tree_status_win.h"

using korvel::tracking::ParcelOutcome;
using korvel::tracking::ParcelState;
using korvel::ui::TrackingTree;
using korvel::ui::TreeStatus;

namespace {

TreeStatus* g_status = nullptr;

// Routes the tree's notifications as the main window does.
LRESULT CALLBACK hostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY && g_status) {
        LRESULT result = 0;
        if (g_status->onNotify(*reinterpret_cast<const NMHDR*>(lp), result)) return result;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

class TreeStatusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSW wc{};
        wc.lpfnWndProc = hostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TreeStatusTestHost";
        RegisterClassW(&wc);
        host_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 400,
                                nullptr, nullptr, wc.hInstance, nullptr);
        HWND view = CreateWindowExW(0, WC_TREEVIEWW, L"",
                                    WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT, 0, 0,
                                    300, 400, host_, nullptr, nullptr, nullptr);
        tree_ = std::make_unique<TrackingTree>(view);
        status_ = std::make_unique<TreeStatus>(*tree_);
        g_status = status_.get();
    }
    void TearDown() override {
        g_status = nullptr;
        status_.reset();
        DestroyWindow(host_);
    }

    HWND host_ = nullptr;
    std::unique_ptr<TrackingTree> tree_;
    std::unique_ptr<TreeStatus> status_;
};

// A late outcome of a deleted number whose tree item handle the control has
// handed to a new number: it must neither colour the new number nor push the
// new number's own outcome out (what an import or a delete during a fast run
// did when outcomes were kept by item handle).
TEST_F(TreeStatusTest, AnOutcomeStaysWithItsNumberWhateverBecomesOfItsItem) {
    tree_->addItems(-1, {"AAE快递"});
    tree_->addItems(0, {"X1"});
    HTREEITEM old = tree_->itemHandle(1);
    tree_->removeItem(1);
    std::string reused;
    for (int i = 0; i < 50 && reused.empty(); ++i) {
        std::string number = "Y";
        number += std::to_string(i);
        tree_->addItems(0, {number});
        if (tree_->itemHandle(tree_->itemCount() - 1) == old) reused = number;
    }
    ASSERT_FALSE(reused.empty()) << "the control never handed the handle out again";

    status_->numberFinished("AAE快递", "X1", {ParcelState::Problem, "t1", "拒收"});
    status_->numberFinished("AAE快递", reused, {ParcelState::Delivered, "t2", "已签收"});
    ASSERT_NE(status_->outcomeOf(old), nullptr);
    EXPECT_EQ(status_->outcomeOf(old)->outcome,
              (ParcelOutcome{ParcelState::Delivered, "t2", "已签收"}));
    EXPECT_EQ(status_->tipText(old).substr(0, 6 + 2 + 3), "已签收\r\nt2 ");
    // X1, added again, finds its own; a number never asked has none.
    tree_->addItems(0, {"X1", "Z9"});
    const int count = tree_->itemCount();
    ASSERT_NE(status_->outcomeOf(tree_->itemHandle(count - 2)), nullptr);
    EXPECT_EQ(status_->outcomeOf(tree_->itemHandle(count - 2))->outcome.state,
              ParcelState::Problem);
    EXPECT_EQ(status_->outcomeOf(tree_->itemHandle(count - 1)), nullptr);
    EXPECT_EQ(status_->tipText(tree_->itemHandle(count - 1)), "尚未查询");
}

}  // namespace
