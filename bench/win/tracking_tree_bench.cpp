// The workspace on the real tree view: importing 10,000 numbers against the
// same items inserted with bare TVM_INSERTITEM calls (goal at most 1.5x), and
// the batch walk by index, whose cost per number must not grow with the
// tree (last 1,000 numbers within 1.3x of the first 1,000).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "text/wide_text_win.h"
#include "tracking/courier_catalogue.h"
#include "tracking/template_file.h"
#include "ui/tracking_tree_win.h"

using namespace korvel;

namespace {

double seconds() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

std::vector<tracking::TreeItem> workspaceWith(int numbers) {
    std::vector<tracking::TreeItem> items;
    for (const auto& name : tracking::CourierCatalogue::displayNames()) items.push_back({name, {}, {}});
    for (int i = 0; i < numbers; ++i)
        items[static_cast<size_t>(i) % items.size()].children.push_back(
            {"YT" + std::to_string(9000000000LL + i), {}, {}});
    return items;
}

HWND makeTree(HWND host) {
    return CreateWindowExW(0, WC_TREEVIEWW, L"",
                           WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                           0, 0, 200, 340, host, nullptr, nullptr, nullptr);
}

// The baseline: the same items, one bare insert each, redraw off as well.
void bareInsert(HWND tree, const std::vector<tracking::TreeItem>& items) {
    SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    for (const auto& company : items) {
        std::wstring text = text::toWide(company.text);
        TVINSERTSTRUCTW ins{};
        ins.hParent = TVI_ROOT;
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT;
        ins.item.pszText = text.data();
        auto parent = reinterpret_cast<HTREEITEM>(
            SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
        for (const auto& number : company.children) {
            std::wstring n = text::toWide(number.text);
            ins.hParent = parent;
            ins.item.pszText = n.data();
            SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins));
        }
    }
    SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 220, 360, nullptr,
                                nullptr, nullptr, nullptr);
    const auto items = workspaceWith(10000);
    const std::string file = tracking::TemplateFile::encode(items).bytes;

    double bare = 1e9, import = 1e9;
    for (int run = 0; run < 3; ++run) {
        HWND a = makeTree(host);
        double t = seconds();
        bareInsert(a, items);
        bare = std::min(bare, seconds() - t);
        DestroyWindow(a);

        HWND b = makeTree(host);
        ui::TrackingTree tree(b);
        t = seconds();
        tracking::applyImport(tree, file);  // decode and replace, as "导入历史模版" does
        import = std::min(import, seconds() - t);
        DestroyWindow(b);
    }
    std::printf("import 10000 numbers: %.1f ms, bare inserts %.1f ms\n", import * 1e3, bare * 1e3);
    std::printf("tree_import_10k_over_bare_inserts: %.2f (goal <= 1.5)\n", import / bare);

    // The batch walk: parentOf and itemText of every index, as the query run
    // reads them, timed per 1,000 numbers.
    HWND c = makeTree(host);
    ui::TrackingTree tree(c);
    tree.replaceAll(items);
    const int n = tree.itemCount();
    std::vector<double> perThousand;
    int numbers = 0;
    double start = seconds();
    size_t sink = 0;
    for (int i = 0; i < n; ++i) {
        const int p = tree.parentOf(i);
        if (p == -1) continue;
        sink += tree.itemText(p).size() + tree.itemText(i).size();
        if (++numbers % 1000 == 0) {
            perThousand.push_back(seconds() - start);
            start = seconds();
        }
    }
    std::printf("walk %d numbers: first 1000 %.2f ms, last 1000 %.2f ms\n", numbers,
                perThousand.front() * 1e3, perThousand.back() * 1e3);
    std::printf("tree_walk_last_1000_over_first_1000: %.2f (goal <= 1.3)\n",
                perThousand.back() / perThousand.front());
    DestroyWindow(host);
    return sink == 0;
}
