// The commands of the main window: tree menu and keys, the courier box's
// quick search, pages, templates, the background picture, the "设置" menu.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "dialogs/message_box_win.h"
#include "io/file_io_win.h"
#include "text/wide_text_win.h"
#include "tracking/template_file.h"
#include "ui/main_window_elements_win.h"
#include "ui/main_window_texts.h"
#include "ui/main_window_win.h"

namespace korvel::ui {

namespace {

enum TreeMenuId : UINT {
    kAdd = 1,
    kChange,
    kDelete,
    kDeleteCompany,
    kDeleteAll,
    kQueryOpen,
    kExport
};
enum SettingsMenuId : UINT { kUpgrade = 11, kAbout = 12 };

}  // namespace

UINT MainWindow::popUp(HMENU menu, POINT screen) {
    if (trackMenu) return trackMenu(menu, screen);
    // TPM_RETURNCMD: the skin turns WM_COMMAND into system commands, so the
    // choice comes back as the result instead.
    return static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN,
                                            screen.x, screen.y, 0, hwnd_, nullptr));
}

void MainWindow::showTreeMenu(POINT treeClient) {
    const int index = tree_->itemAt(treeClient);
    if (index == -1) return;  // not over an item: no menu, selection kept
    tree_->select(index);
    const tracking::TreeMenuState state = tracking::treeMenuStateFor(*tree_, index);
    auto enable = [&](UINT id, bool on) {
        EnableMenuItem(treeMenu_, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    enable(kAdd, state.addNumbers);
    enable(kChange, state.changeNumber);
    enable(kDelete, state.deleteNumber);
    enable(kDeleteCompany, state.deleteCompanyNumbers);
    enable(kDeleteAll, true);
    POINT screen;
    GetCursorPos(&screen);
    switch (popUp(treeMenu_, screen)) {
        case kAdd:
            workspace_->addNumbers();
            break;
        case kChange:
            workspace_->changeNumber();
            break;
        case kDelete:
            workspace_->deleteNumber();
            break;
        case kDeleteCompany:
            workspace_->deleteCompanyNumbers();
            break;
        case kDeleteAll:
            workspace_->deleteAllNumbers();
            break;
        case kQueryOpen:
            queryOpenNumbers();
            break;
        case kExport:
            exportTable();
            break;
        default:
            break;
    }
}

void MainWindow::showSettingsMenu() {
    POINT screen;
    GetCursorPos(&screen);
    switch (popUp(settingsMenu_, screen)) {
        case kUpgrade:
            if (onUpgrade) onUpgrade();
            break;
        case kAbout:
            if (onAbout) onAbout();
            break;
        default:
            break;
    }
}

void MainWindow::openNumberDialog() { workspace_->openNumberDialog(); }

void MainWindow::locate() {
    std::wstring buffer(static_cast<size_t>(GetWindowTextLengthW(courierBox_)) + 1, L'\0');
    const int n = GetWindowTextW(courierBox_, buffer.data(), static_cast<int>(buffer.size()));
    buffer.resize(static_cast<size_t>(std::max(n, 0)));
    workspace_->locate(text::toGbk(buffer));
}

void MainWindow::toggleQueryRun() { queryRun_->toggleQueryRun(); }

void MainWindow::selectPage(int page) { elements_->selectPage(page); }

void MainWindow::pageChanged(int page) {
    page_ = page;
    const int show = page == 2 ? SW_SHOW : SW_HIDE;
    for (HWND w : {treeView_, resultBox_, courierBox_}) ShowWindow(w, show);
    elements_->setBackPanelAlpha(page == 2 ? 100 : 254);
}

void MainWindow::runCommand(WPARAM command) {
    switch (static_cast<MainCommand>(command)) {
        case MainCommand::Locate:
            locate();
            break;
        case MainCommand::Import:
            importTemplate();
            break;
        case MainCommand::Query:
            toggleQueryRun();
            break;
        case MainCommand::Save:
            saveTemplate();
            break;
        case MainCommand::PageHome:
            selectPage(1);
            break;
        case MainCommand::PageQuery:
            selectPage(2);
            break;
        case MainCommand::PageOutlets:
            selectPage(3);
            break;
        case MainCommand::BackgroundPicture:
            chooseBackgroundPicture();
            break;
        case MainCommand::SettingsMenu:
            showSettingsMenu();
            break;
        case MainCommand::NumberDialog:
            openNumberDialog();
            break;
    }
}

bool MainWindow::saveTemplate() {
    fileDialog_.setFilter(texts::kSaveFilter);
    fileDialog_.setDefaultExtension(texts::kTemplateExtension);
    const std::string path = fileDialog_.showSave(hwnd_);
    return !path.empty() && saveTemplateTo(path);
}

bool MainWindow::saveTemplateTo(const std::string& path) {
    tracking::TemplateOutcome outcome = tracking::prepareSave(*tree_);
    if (!outcome.ok) {
        dialogs::showMessageBox(hwnd_, outcome.message);
        return false;
    }
    // Written beside the old file first: a failed save keeps the old one.
    if (!io::writeFileSafely(path, outcome.bytes)) {
        dialogs::showMessageBox(hwnd_, texts::kSaveFailed);
        return false;
    }
    savedBytes_ = std::move(outcome.bytes);
    listSaved();
    setStatusText(outcome.message);
    return true;
}

void MainWindow::importTemplate() {
    // An import replaces the whole list.
    if (!mayDropList()) return;
    fileDialog_.setFilter(texts::kImportFilter);
    fileDialog_.setInitialFolder(place_.runDirectory + texts::kConfigFolder);
    const std::string path = fileDialog_.showOpen(hwnd_);
    if (!path.empty()) importTemplateFrom(path);
}

void MainWindow::importTemplateFrom(const std::string& path) {
    // A file that cannot be read counts as empty, hence as damaged, and so
    // does one too large to be a template.
    const std::string bytes =
        io::readWholeFile(path, tracking::kMaxTemplateBytes).value_or(std::string());
    const tracking::TemplateOutcome outcome = tracking::applyImport(*tree_, bytes);
    if (!outcome.ok) {
        dialogs::showMessageBox(hwnd_, outcome.message);
        return;
    }
    // What a save would write now, which may differ from the file's bytes
    // (a text cut at 510 bytes, records past the end of the outermost level).
    savedBytes_ = tracking::prepareSave(*tree_).bytes;
    listSaved();
    setStatusText(outcome.message);
}

void MainWindow::chooseBackgroundPicture() {
    fileDialog_.setFilter(texts::kPictureFilter);
    const std::string path = fileDialog_.showOpen(hwnd_);
    if (!path.empty()) loadBackgroundFrom(path);
}

void MainWindow::loadBackgroundFrom(const std::string& path) {
    // Larger than any photo or screen-sized bitmap (a 4K true-colour BMP is
    // 33 MB): such a file is no picture this window can show, and the
    // background stays as it is.
    constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{64} << 20;
    io::ReadFailure why = io::ReadFailure::None;
    const std::optional<std::string> bytes = io::readWholeFile(path, kMaxPictureBytes, &why);
    if (why == io::ReadFailure::TooLarge) return;
    // A file that cannot be read gives empty bytes, handed on as they are.
    elements_->setBackground(bytes.value_or(std::string()));
}

LRESULT MainWindow::onNotify(const NMHDR& header) {
    if (LRESULT result = 0; treeStatus_ && treeStatus_->onNotify(header, result)) return result;
    if (header.hwndFrom == treeView_ && header.code == NM_DBLCLK) {
        // The tree first toggles the item as it always does; the dialog
        // opens after that, so the numbers it adds are left expanded.
        PostMessageW(hwnd_, kMsgCommand, static_cast<WPARAM>(MainCommand::NumberDialog), 0);
        return 0;
    }
    return 0;
}

bool MainWindow::handleShortcut(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || page_ != 2 || !hwnd_) return false;
    if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    if (GetKeyState(VK_MENU) < 0) return false;
    // A held key repeats; one press is one command.
    const bool repeat = (msg.lParam & (1 << 30)) != 0;
    if (msg.wParam == VK_F5 && !control) {
        if (!repeat) shift ? queryOpenNumbers() : toggleQueryRun();
        return true;
    }
    if (shift) return false;
    switch (msg.wParam) {
        case 'S':
            if (!control) return false;
            if (!repeat) saveTemplate();
            return true;
        case 'O':
            if (!control) return false;
            if (!repeat) importTemplate();
            return true;
        case 'E':
            if (!control) return false;
            if (!repeat) exportTable();
            return true;
        case 'F':
            if (!control) return false;
            focusCourierBox();
            return true;
        case VK_DELETE:
            // Only on the tree (or the window itself): in a text field Delete
            // edits text.
            if (control || (msg.hwnd != treeView_ && msg.hwnd != hwnd_)) return false;
            if (tree_->parentOf(tree_->selectedIndex()) == -1) return true;
            if (!repeat) workspace_->deleteNumber();
            return true;
    }
    return false;
}

void MainWindow::focusCourierBox() {
    SetFocus(courierBox_);
    SendMessageW(courierBox_, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

LRESULT CALLBACK MainWindow::treeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                      DWORD_PTR data) {
    auto* self = reinterpret_cast<MainWindow*>(data);
    switch (msg) {
        case WM_RBUTTONDOWN:
            self->showTreeMenu({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        case WM_KEYDOWN:
            if (wp == VK_RETURN) {
                self->openNumberDialog();
                return 0;
            }
            break;
        case WM_CHAR:
            if (wp == '\r') return 0;  // no beep after Enter
            break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK MainWindow::courierEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                             DWORD_PTR data) {
    auto* self = reinterpret_cast<MainWindow*>(data);
    switch (msg) {
        case WM_KEYDOWN:
            if (wp == VK_RETURN) {
                self->locate();
                return 0;
            }
            SendMessageW(self->courierBox_, CB_SHOWDROPDOWN, FALSE, 0);
            break;
        case WM_CHAR:
            // Typing opens the list; Enter only locates.
            if (wp == '\r') return 0;
            SendMessageW(self->courierBox_, CB_SHOWDROPDOWN, TRUE, 0);
            break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace korvel::ui
