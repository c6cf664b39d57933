// The commands built on the numbers' remembered outcomes: "查询未签收" and
// "导出表格".
#include <unordered_map>

#include "dialogs/message_box_win.h"
#include "io/file_io_win.h"
#include "text/wide_text_win.h"
#include "tracking/outcome_table.h"
#include "ui/main_window_texts.h"
#include "ui/main_window_win.h"
#include "ui/outcome_keeper_win.h"

namespace korvel::ui {

namespace {

// Spreadsheets take a file for UTF-8 by this mark, on any Windows language.
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

}  // namespace

void MainWindow::queryOpenNumbers() {
    queryRun_->toggleQueryRun([this](const std::string& company, const std::string& number) {
        return treeStatus_->open(company, number);
    });
}

void MainWindow::exportTable() {
    exportDialog_.setFilter(texts::kTableFilter);
    exportDialog_.setDefaultExtension(texts::kTableExtension);
    const std::string path = exportDialog_.showSave(hwnd_);
    if (!path.empty()) exportTableTo(path);
}

void MainWindow::exportTableTo(const std::string& path) {
    // Numbers asked in one run share their minutes: each minute is turned
    // into local time once.
    std::unordered_map<tracking::Seconds, std::string> minutes;
    auto askedText = [&](tracking::Seconds at) -> std::string_view {
        auto [it, added] = minutes.try_emplace(at / 60);
        if (added) it->second = OutcomeKeeper::localMinuteText(at);
        return it->second;
    };
    std::string bytes =
        tracking::outcomeTable(*tree_, treeStatus_->outcomes(), askedText, text::appendUtf8);
    bytes.insert(0, kUtf8Mark);
    // Written beside the old file first: a failed export keeps the old one.
    if (!io::writeFileSafely(path, bytes)) {
        dialogs::showMessageBox(hwnd_, texts::kExportFailed);
        return;
    }
    setStatusText(texts::kExportDone);
}

}  // namespace korvel::ui
