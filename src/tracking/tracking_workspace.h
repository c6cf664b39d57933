// The commands that edit the tracking workspace: the company entries of the
// courier catalogue and the numbers under them, held in a TreeModel. The UI
// is reached only through the callbacks of WorkspaceUi, so the same code runs
// on the Win32 tree and in native tests.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tracking/tree_model.h"

namespace korvel::tracking {

// Message box arguments and result used for the confirmations.
inline constexpr int kButtonSetCancelConfirm = 1;  // "取消" and "确认"
inline constexpr int kResultConfirm = 0;           // the "确认" button

struct WorkspaceUi {
    // The number input dialog, starting empty; nullopt when cancelled.
    std::function<std::optional<std::string>(std::string_view prompt, std::string_view title)>
        inputBox;
    // The program's message box over the main window, no icon; its result code.
    std::function<int(std::string_view text, std::string_view title, int buttonSet)> showMessageBox;
    // Focus the main window, then the tree.
    std::function<void()> focusTree;
    // Append names to the courier box and show the first as its text.
    std::function<void(const std::vector<std::string>& names)> fillCourierBox;
};

// Which items of the tree's context menu are enabled for a right-clicked
// item; "删除全部单号" is always enabled.
struct TreeMenuState {
    bool addNumbers = false;            // "曾加新单号"
    bool changeNumber = false;          // "修改单号"
    bool deleteNumber = false;          // "删除单号"
    bool deleteCompanyNumbers = false;  // "删除该公司下单号"

    bool operator==(const TreeMenuState&) const = default;
};

TreeMenuState treeMenuStateFor(const TreeModel& tree, int index);

// Enter or double-click in the tree opens the number dialog only on a
// company entry; with nothing selected it does nothing, so a number can
// never become a top-level entry.
bool opensNumberDialog(const TreeModel& tree, int selected);

class TrackingWorkspace {
  public:
    TrackingWorkspace(TreeModel& tree, WorkspaceUi ui) : tree_(tree), ui_(std::move(ui)) {}

    // Appends the 79 company entries; with alsoFillCourierBox, fills the
    // courier box too (done once per run).
    void fillCompanies(bool alsoFillCourierBox);

    void addNumbers();            // "曾加新单号"
    void changeNumber();          // "修改单号"
    void deleteNumber();          // "删除单号"
    void deleteCompanyNumbers();  // "删除该公司下单号"
    void deleteAllNumbers();      // "删除全部单号"
    // Selects (and focuses) every entry whose text equals text; the last wins.
    void locate(std::string_view text);
    // Enter or double-click in the tree.
    void openNumberDialog();

    // The text typed last into either number dialog (trimmed once accepted).
    const std::string& inputText() const { return inputText_; }

  private:
    bool readInput(std::string_view prompt);
    bool confirm(std::string_view question);
    void focusTree();
    bool numberSelected() const;

    TreeModel& tree_;
    WorkspaceUi ui_;
    std::string inputText_;  // shared by both number dialogs, outlives them
};

}  // namespace korvel::tracking
