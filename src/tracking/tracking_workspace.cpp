#include "tracking/tracking_workspace.h"

#include "text/gbk_text.h"
#include "tracking/courier_catalogue.h"
#include "tracking/tracking_texts.h"

namespace korvel::tracking {

namespace {

bool isCompanyEntry(const TreeModel& tree, int index) {
    return index >= 0 && index < tree.itemCount() && tree.parentOf(index) == -1;
}

}  // namespace

TreeMenuState treeMenuStateFor(const TreeModel& tree, int index) {
    TreeMenuState menu;
    if (index < 0 || index >= tree.itemCount()) return menu;
    if (tree.parentOf(index) == -1) {
        menu.addNumbers = true;
        menu.deleteCompanyNumbers = tree.hasChildren(index);
    } else {
        menu.changeNumber = menu.deleteNumber = menu.deleteCompanyNumbers = true;
    }
    return menu;
}

bool opensNumberDialog(const TreeModel& tree, int selected) {
    return isCompanyEntry(tree, selected);
}

void TrackingWorkspace::fillCompanies(bool alsoFillCourierBox) {
    const std::vector<std::string>& names = CourierCatalogue::displayNames();
    tree_.addItems(-1, names);
    if (alsoFillCourierBox && ui_.fillCourierBox) ui_.fillCourierBox(names);
}

bool TrackingWorkspace::readInput(std::string_view prompt) {
    if (!ui_.inputBox) return false;
    std::optional<std::string> typed = ui_.inputBox(prompt, texts::kNumberDialogTitle);
    if (!typed) return false;
    inputText_ = std::move(*typed);
    if (text::isEmptyOrSpaces(inputText_)) return false;
    inputText_ = text::trimBlanks(inputText_);
    return true;
}

bool TrackingWorkspace::confirm(std::string_view question) {
    return ui_.showMessageBox && ui_.showMessageBox(question, texts::kConfirmTitle,
                                                    kButtonSetCancelConfirm) == kResultConfirm;
}

void TrackingWorkspace::focusTree() {
    if (ui_.focusTree) ui_.focusTree();
}

bool TrackingWorkspace::numberSelected() const {
    return tree_.parentOf(tree_.selectedIndex()) != -1;
}

void TrackingWorkspace::addNumbers() {
    // Numbers belong under a company entry; anywhere else they would break
    // the company list and the query walk.
    if (!isCompanyEntry(tree_, tree_.selectedIndex())) return;
    if (!readInput(texts::kAddNumbersPrompt)) return;
    {
        const EditRun run(tree_);
        // A byte scan is exact here, as 0x20 is never the trail byte of a GBK
        // character, and it stays linear on a very long paste.
        for (const std::string& piece : text::splitBytes(inputText_, " ")) {
            // A run of blanks leaves empty pieces; an empty number is no number.
            if (piece.empty()) continue;
            tree_.addItems(tree_.selectedIndex(), {piece});
        }
        tree_.expand(tree_.selectedIndex());
    }
    focusTree();
}

void TrackingWorkspace::changeNumber() {
    // Only a number is changed; renaming a company entry would lose its courier.
    if (!numberSelected()) return;
    if (!readInput(texts::kChangeNumberPrompt)) return;
    // Full-width blanks alone trim to nothing; an empty number is no number.
    if (!inputText_.empty()) tree_.setItemText(tree_.selectedIndex(), inputText_);
    focusTree();
}

void TrackingWorkspace::deleteNumber() {
    if (numberSelected()) tree_.removeItem(tree_.selectedIndex());
}

void TrackingWorkspace::deleteCompanyNumbers() {
    const int selected = tree_.selectedIndex();
    if (selected == -1) return;
    const int parent = tree_.parentOf(selected);
    const int company = parent == -1 ? selected : parent;
    if (!confirm(texts::kConfirmDeleteCompanyNumbers)) return;
    // The first number sits right after its company in pre-order. Stop if a
    // removal ever fails, rather than spin.
    const EditRun run(tree_);
    while (tree_.hasChildren(company)) {
        const int before = tree_.itemCount();
        tree_.removeItem(company + 1);
        if (tree_.itemCount() >= before) break;
    }
}

void TrackingWorkspace::deleteAllNumbers() {
    if (!confirm(texts::kConfirmDeleteAllNumbers)) return;
    const EditRun run(tree_);
    tree_.clear();
    fillCompanies(false);
}

void TrackingWorkspace::locate(std::string_view text) {
    const int count = tree_.itemCount();
    for (int i = 0; i < count; ++i) {
        if (tree_.itemText(i) == text) {
            focusTree();
            tree_.select(i);
        }
    }
}

void TrackingWorkspace::openNumberDialog() {
    if (opensNumberDialog(tree_, tree_.selectedIndex())) addNumbers();
}

}  // namespace korvel::tracking
