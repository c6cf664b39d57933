// "导出表格" of 10,000 numbers, every one with an outcome, against "保存模版"
// of the same list, both through the real main window into files of the
// temporary folder (goal: the export within 2 times the save). The two take
// turns, and the median of each counts, so a busy spell of the host falls on
// both alike.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "skin/skin_toolkit_win.h"
#include "tracking/courier_catalogue.h"
#include "ui/main_window_win.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr int kNumbers = 10000;
constexpr int kRounds = 9;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename F>
double timed(F&& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
    using korvel::tracking::ParcelState;
    if (!korvel::skin::InitToolkit()) return 1;
    char tmp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, tmp);
    std::string folder = tmp;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    korvel::ui::MainWindow window(korvel::ui::ProgramPlace{folder, "korvel.exe"});
    if (!window.create(SW_HIDE)) return 1;

    // The numbers spread over the companies, as a busy list holds them, each
    // with an outcome of its own.
    std::vector<korvel::tracking::TreeItem> items;
    for (const auto& name : korvel::tracking::CourierCatalogue::displayNames())
        items.push_back({name, {}, {}});
    for (int i = 0; i < kNumbers; ++i)
        items[static_cast<size_t>(i) % items.size()].children.push_back(
            {std::to_string(773000000000LL + i), {}, {}});
    window.tree().replaceAll(items);
    const ParcelState states[] = {ParcelState::Delivered, ParcelState::OutForDelivery,
                                  ParcelState::InTransit, ParcelState::Problem,
                                  ParcelState::WrongNumber};
    for (size_t c = 0; c < items.size(); ++c)
        for (size_t n = 0; n < items[c].children.size(); ++n)
            window.treeStatus().numberFinished(
                items[c].text, items[c].children[n].text,
                {states[n % 5], "2026-12-07 18:00:00",
                 "【广州转运中心】快件已发出，下一站【北京转运中心】，签收人：\"本人\""});

    const std::string table = folder + "\\korvel_export_bench.csv";
    const std::string saved = folder + "\\korvel_export_bench.dat";
    std::vector<double> exports, saves;
    for (int round = 0; round < kRounds; ++round) {
        auto exportOnce = [&] { exports.push_back(timed([&] { window.exportTableTo(table); })); };
        auto saveOnce = [&] { saves.push_back(timed([&] { window.saveTemplateTo(saved); })); };
        if (round % 2 == 0) {
            exportOnce();
            saveOnce();
        } else {
            saveOnce();
            exportOnce();
        }
    }
    WIN32_FILE_ATTRIBUTE_DATA info{};
    GetFileAttributesExA(table.c_str(), GetFileExInfoStandard, &info);
    DeleteFileA(table.c_str());
    DeleteFileA(saved.c_str());
    const double exported = median(exports), save = median(saves);
    std::printf("%d numbers (median of %d): export %.1f ms (%lu bytes), template save %.1f ms\n",
                kNumbers, kRounds, exported * 1e3, info.nFileSizeLow, save * 1e3);
    std::printf("export_10k_over_template_save_10k: %.2f (goal <= 2)\n", exported / save);
    return 0;
}
