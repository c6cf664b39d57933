// The main window's care for a list that is not saved: it knows when the
// list differs from what was last saved, imported or started with, asks
// before that list is dropped, and keeps a recovery copy of it for as long
// as it differs, which the next start offers after a crash.
#include <algorithm>

#include "dialogs/message_box_win.h"
#include "tracking/template_file.h"
#include "ui/main_window_texts.h"
#include "ui/main_window_win.h"

namespace korvel::ui {

namespace {

// A burst of edits (a pasted column, a company's numbers deleted) is
// written once, shortly after it, and the copy at most about once a second.
constexpr ULONGLONG kQuietMs = 300;
constexpr ULONGLONG kCopyIntervalMs = 1000;

}  // namespace

void MainWindow::watchList() {
    recovery_ = std::make_unique<RecoveryCopy>(place_.dataFolder);
    savedBytes_ = tracking::prepareSave(*tree_).bytes;
    checkedChanges_ = copiedChanges_ = tree_->changeCount()->load();
    changed_ = false;
    tree_->setEditListener([this] { listEdited(); });
    if (recovery_->enabled()) PostMessageW(hwnd_, kMsgOfferLeftCopy, 0, 0);
}

void MainWindow::listEdited() {
    if (checkArmed_ || !hwnd_) return;
    const ULONGLONG now = GetTickCount64();
    const ULONGLONG sinceCopy = now - lastCopyAt_;
    const ULONGLONG wait =
        sinceCopy < kCopyIntervalMs ? std::max(kQuietMs, kCopyIntervalMs - sinceCopy) : kQuietMs;
    checkArmed_ = SetTimer(hwnd_, kListCheckTimer, static_cast<UINT>(wait), nullptr) != 0;
}

tracking::TemplateOutcome MainWindow::measureList() {
    checkedChanges_ = tree_->changeCount()->load();
    tracking::TemplateOutcome now = tracking::prepareSave(*tree_);
    // A list no save can write (a number holding "%-/") differs from every file.
    changed_ = !now.ok || !tracking::TemplateFile::sameItems(now.bytes, savedBytes_);
    return now;
}

bool MainWindow::listChanged() {
    finishSetUp();
    if (tree_->changeCount()->load() != checkedChanges_) measureList();
    return changed_;
}

void MainWindow::disarmCheck() {
    if (checkArmed_) KillTimer(hwnd_, kListCheckTimer);
    checkArmed_ = false;
}

// The encoding runs here, a millisecond or two at 10,000 numbers; the disk
// is the writer thread's.
void MainWindow::checkList() {
    disarmCheck();
    const std::uint64_t changes = tree_->changeCount()->load();
    if (changes == copiedChanges_) return;
    copiedChanges_ = changes;
    tracking::TemplateOutcome now = measureList();
    if (!changed_) {
        recovery_->remove();
    } else if (now.ok) {
        recovery_->write(std::move(now.bytes));
        lastCopyAt_ = GetTickCount64();
    }
}

void MainWindow::listSaved() {
    disarmCheck();
    checkedChanges_ = copiedChanges_ = tree_->changeCount()->load();
    changed_ = false;
    if (recovery_) recovery_->remove();
}

bool MainWindow::mayDropList() {
    if (!listChanged()) return true;
    switch (dialogs::showMessageBox(hwnd_, texts::kAskSaveChanges, dialogs::kButtonsCancelNoYes,
                                    texts::kAskTitle)) {
        case dialogs::kResultYes:
            return saveTemplate();
        case dialogs::kResultNo:
            return true;
        default:
            return false;  // 取消, Esc, the close button
    }
}

void MainWindow::endInOrder() {
    if (queryRun_) queryRun_->shutdown();
    disarmCheck();
    // Whatever the list holds now, the user chose to let it go.
    if (recovery_ && !sessionEnding_) recovery_->removeNow();
}

void MainWindow::requestClose() {
    if (closing_) return;  // the question is open already
    if (!sessionEnding_) {
        closing_ = true;
        const bool go = mayDropList();
        closing_ = false;
        if (!go) return;
    }
    // A running query must not outlive the window it writes to.
    endInOrder();
    DestroyWindow(hwnd_);
}

void MainWindow::keepForSessionEnd() {
    sessionEnding_ = true;
    // The process may end without its destructors: the outcomes go now.
    if (treeStatus_) treeStatus_->keepNow();
    if (!recovery_) return;
    disarmCheck();
    copiedChanges_ = tree_->changeCount()->load();
    const tracking::TemplateOutcome now = measureList();
    if (!changed_)
        recovery_->removeNow();
    else if (now.ok)
        recovery_->writeNow(now.bytes);
}

void MainWindow::offerLeftCopy() {
    std::optional<LeftCopy> left = recovery_ ? recovery_->claimLeftCopy() : std::nullopt;
    if (!left) return;
    const std::string question = recoveryQuestion(numberCount(left->items), left->lastChanged);
    // The right-most button, 取消, has the focus: an Enter pressed by habit
    // keeps the copy for the next start.
    switch (
        dialogs::showMessageBox(hwnd_, question, dialogs::kButtonsCancelNoYes, texts::kAskTitle)) {
        case dialogs::kResultYes:
            // As an import fills it; the list stays changed against the
            // start-up list, so closing asks again.
            tree_->replaceAll(left->items);
            recovery_->adopt(std::move(*left));
            selectPage(2);
            break;
        case dialogs::kResultNo:
            recovery_->discard(std::move(*left));
            break;
        default:
            break;
    }
}

}  // namespace korvel::ui
