// The workspace on the real tree view: importing 10,000 numbers against the
// same items inserted with bare TVM_INSERTITEM calls (goal at most 1.5x); the
// batch walk by index, whose cost per number must not grow with the tree
// (last 1,000 numbers within 1.3x of the first 1,000); and the workspace's
// edits (400 numbers added in one input, a company's 400 numbers deleted,
// every number deleted), each against bare TVM_* messages doing the same
// tree work in the same run (redrawing held back around the run of edits,
// as the workspace does), and an add into a tree ten times larger.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "text/wide_text_win.h"
#include "tracking/courier_catalogue.h"
#include "tracking/template_file.h"
#include "tracking/tracking_workspace.h"
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
    for (const auto& name : tracking::CourierCatalogue::displayNames())
        items.push_back({name, {}, {}});
    for (int i = 0; i < numbers; ++i)
        items[static_cast<size_t>(i) % items.size()].children.push_back(
            {"YT" + std::to_string(9000000000LL + i), {}, {}});
    return items;
}

constexpr int kTreeWidth = 200;

HWND makeTree(HWND host, int x = 0) {
    return CreateWindowExW(0, WC_TREEVIEWW, L"",
                           WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                           x, 0, kTreeWidth, 340, host, nullptr, nullptr, nullptr);
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

HTREEITEM child(HWND tree, HTREEITEM item, UINT how) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM companyHandle(HWND tree, int company) {
    HTREEITEM item = child(tree, nullptr, TVGN_ROOT);
    for (int i = 0; i < company && item; ++i) item = child(tree, item, TVGN_NEXT);
    return item;
}

HTREEITEM bareAdd(HWND tree, HTREEITEM parent, const std::string& text) {
    std::wstring wide = text::toWide(text);
    TVINSERTSTRUCTW ins{};
    ins.hParent = parent;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT;
    ins.item.pszText = wide.data();
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
}

// 400 numbers typed on one line, blanks between, as the dialog hands them over.
std::vector<std::string> newNumbers(int count) {
    std::vector<std::string> numbers;
    for (int i = 0; i < count; ++i) numbers.push_back("SF" + std::to_string(7000000000LL + i));
    return numbers;
}

std::string oneLine(const std::vector<std::string>& numbers) {
    std::string line;
    for (const auto& n : numbers) line += n + " ";
    return line;
}

// A workspace whose callbacks answer at once: the typed text and "确认".
tracking::WorkspaceUi answeringUi(const std::string& typed) {
    tracking::WorkspaceUi ui;
    ui.inputBox = [typed](std::string_view, std::string_view) {
        return std::optional<std::string>(typed);
    };
    ui.showMessageBox = [](std::string_view, std::string_view, int) {
        return tracking::kResultConfirm;
    };
    return ui;
}

constexpr int kCompany = 51;  // 顺丰快递, in the second half of the list
constexpr int kRuns = 7;

// Adding 400 numbers in one input under a company of a tree holding total
// numbers: the workspace on TrackingTree and the bare inserts, best of
// kRuns each; the added numbers are removed again, untimed, between runs.
struct AddTimes {
    double workspace = 1e9, bare = 1e9;
};

AddTimes timeAdd(HWND host, int total) {
    AddTimes best;
    const auto items = workspaceWith(total);
    const auto numbers = newNumbers(400);
    HWND view = makeTree(host);
    ui::TrackingTree tree(view);
    tree.replaceAll(items);
    tracking::TrackingWorkspace workspace(tree, answeringUi(oneLine(numbers)));
    const int company = tree.indexOf(companyHandle(view, kCompany));
    tree.expand(company);

    HWND bareView = makeTree(host, kTreeWidth);
    bareInsert(bareView, items);
    HTREEITEM bareCompany = companyHandle(bareView, kCompany);
    SendMessageW(bareView, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(bareCompany));
    SendMessageW(bareView, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(bareCompany));

    // Side by side, run for run and in turns first, so a busy machine slows
    // both alike. The added numbers go again, untimed, between runs.
    auto workspaceRun = [&] {
        tree.select(company);
        const double t = seconds();
        workspace.addNumbers();
        best.workspace = std::min(best.workspace, seconds() - t);
        const tracking::EditRun quiet(tree);
        const int first = company + 1 + static_cast<int>(items[kCompany].children.size());
        for (size_t i = 0; i < numbers.size(); ++i) tree.removeItem(first);
    };
    auto bareRun = [&] {
        std::vector<HTREEITEM> added;
        const double t = seconds();
        SendMessageW(bareView, WM_SETREDRAW, FALSE, 0);
        for (const auto& n : numbers) added.push_back(bareAdd(bareView, bareCompany, n));
        SendMessageW(bareView, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(bareCompany));
        SendMessageW(bareView, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(bareView, nullptr, TRUE);
        best.bare = std::min(best.bare, seconds() - t);
        SendMessageW(bareView, WM_SETREDRAW, FALSE, 0);
        for (HTREEITEM item : added)
            SendMessageW(bareView, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
        SendMessageW(bareView, WM_SETREDRAW, TRUE, 0);
    };
    for (int run = 0; run < kRuns; ++run) {
        if (run % 2) bareRun();
        workspaceRun();
        if (run % 2 == 0) bareRun();
    }
    DestroyWindow(view);
    DestroyWindow(bareView);
    return best;
}

// "删除该公司下单号" on a company holding 400 of 4,000 numbers, expanded
// and selected, against deleting its first child 400 times.
AddTimes timeDeleteCompany(HWND host) {
    AddTimes best;
    auto items = workspaceWith(3600);
    const auto numbers = newNumbers(400);
    items[kCompany].children.clear();
    HWND view = makeTree(host);
    ui::TrackingTree tree(view);
    tree.replaceAll(items);
    tracking::TrackingWorkspace workspace(tree, answeringUi({}));
    const int company = tree.indexOf(companyHandle(view, kCompany));

    HWND bareView = makeTree(host, kTreeWidth);
    bareInsert(bareView, items);
    HTREEITEM bareCompany = companyHandle(bareView, kCompany);

    for (int run = 0; run < kRuns; ++run) {
        tree.addItems(company, numbers);
        tree.expand(company);
        tree.select(company);
        double t = seconds();
        workspace.deleteCompanyNumbers();
        best.workspace = std::min(best.workspace, seconds() - t);

        for (const auto& n : numbers) bareAdd(bareView, bareCompany, n);
        SendMessageW(bareView, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(bareCompany));
        SendMessageW(bareView, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(bareCompany));
        t = seconds();
        SendMessageW(bareView, WM_SETREDRAW, FALSE, 0);
        while (HTREEITEM first = child(bareView, bareCompany, TVGN_CHILD))
            SendMessageW(bareView, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(first));
        SendMessageW(bareView, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(bareView, nullptr, TRUE);
        best.bare = std::min(best.bare, seconds() - t);
    }
    DestroyWindow(view);
    DestroyWindow(bareView);
    return best;
}

// "删除全部单号" on 10,000 numbers: clear and the 79 companies back,
// against deleting the root and inserting the 79 names.
AddTimes timeDeleteAll(HWND host) {
    AddTimes best;
    const auto items = workspaceWith(10000);
    const auto& names = tracking::CourierCatalogue::displayNames();
    for (int run = 0; run < kRuns; ++run) {
        HWND view = makeTree(host);
        ui::TrackingTree tree(view);
        tree.replaceAll(items);
        tracking::TrackingWorkspace workspace(tree, answeringUi({}));
        double t = seconds();
        workspace.deleteAllNumbers();
        best.workspace = std::min(best.workspace, seconds() - t);
        DestroyWindow(view);

        view = makeTree(host);
        bareInsert(view, items);
        t = seconds();
        SendMessageW(view, WM_SETREDRAW, FALSE, 0);
        SendMessageW(view, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        for (const auto& name : names) bareAdd(view, TVI_ROOT, name);
        SendMessageW(view, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(view, nullptr, TRUE);
        best.bare = std::min(best.bare, seconds() - t);
        DestroyWindow(view);
    }
    return best;
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // each figure shows as soon as it is measured
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 420, 360, nullptr,
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

    const AddTimes add4k = timeAdd(host, 4000);
    std::printf("add 400 into 4000: %.1f ms, bare %.1f ms\n", add4k.workspace * 1e3,
                add4k.bare * 1e3);
    std::printf("tree_add_400_into_4000_over_bare: %.2f (goal <= 1.5)\n",
                add4k.workspace / add4k.bare);
    const AddTimes company = timeDeleteCompany(host);
    std::printf("delete a company's 400 of 4000: %.1f ms, bare %.1f ms\n", company.workspace * 1e3,
                company.bare * 1e3);
    std::printf("tree_delete_company_400_of_4000_over_bare: %.2f (goal <= 1.5)\n",
                company.workspace / company.bare);
    const AddTimes all = timeDeleteAll(host);
    std::printf("delete all of 10000: %.1f ms, bare %.1f ms\n", all.workspace * 1e3,
                all.bare * 1e3);
    std::printf("tree_delete_all_10000_over_bare: %.2f (goal <= 1.5)\n", all.workspace / all.bare);
    const AddTimes add40k = timeAdd(host, 40000);
    std::printf("add 400 into 40000: %.1f ms, bare %.1f ms\n", add40k.workspace * 1e3,
                add40k.bare * 1e3);
    std::printf("tree_add_400_into_40000_over_into_4000: %.2f (goal <= 2)\n",
                add40k.workspace / add4k.workspace);
    DestroyWindow(host);
    return sink == 0;
}
