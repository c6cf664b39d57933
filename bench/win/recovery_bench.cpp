// The recovery copy of a 10,000-number list: what one write costs the UI
// thread (the check after an edit: the list encoded as a save would write
// it, compared with the saved one, and handed to the writer thread) against
// encoding that list as a template, measured alternately in one run. The
// UI thread should do no more than the encode: the disk is the writer's.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "skin/skin_toolkit_win.h"
#include "tracking/courier_catalogue.h"
#include "tracking/template_file.h"
#include "ui/main_window_win.h"

using namespace korvel;

namespace {

double seconds() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string scratchFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"korvel_recovery_bench_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return std::string(folder.begin(), folder.end());
}

}  // namespace

int main() {
    if (!skin::InitToolkit()) return 1;
    const std::string folder = scratchFolder();
    ui::MainWindow window(ui::ProgramPlace{folder, "korvel.exe", folder});
    if (!window.create(SW_SHOWNOACTIVATE)) return 1;
    std::vector<tracking::TreeItem> items;
    for (const auto& name : tracking::CourierCatalogue::displayNames())
        items.push_back({name, {}, {}});
    for (int i = 0; i < 10000; ++i)
        items[static_cast<size_t>(i) % items.size()].children.push_back(
            {"YT" + std::to_string(9000000000LL + i), {}, {}});
    window.tree().replaceAll(items);

    std::vector<double> writes, encodes;
    for (int round = 0; round < 41; ++round) {
        // An edit, as a typed number makes one; then the check it arms.
        window.tree().addItems(0, {"SF" + std::to_string(round)});
        double t0 = seconds();
        SendMessageW(window.handle(), WM_TIMER, ui::MainWindow::kListCheckTimer, 0);
        const double write = seconds() - t0;
        t0 = seconds();
        const tracking::TemplateOutcome encoded = tracking::prepareSave(window.tree());
        const double encode = seconds() - t0;
        if (!encoded.ok) return 1;
        if (round > 0) {  // the first of each warms the caches
            writes.push_back(write);
            encodes.push_back(encode);
        }
    }
    const double write = median(writes), encode = median(encodes);
    std::printf("recovery write of 10,000 numbers on the UI thread: %.2f ms, encode %.2f ms\n",
                write * 1e3, encode * 1e3);
    std::printf("recovery_write_ui_over_encode_10k: %.2f (goal <= 1.2)\n", write / encode);
    window.endInOrder();
    return 0;
}
