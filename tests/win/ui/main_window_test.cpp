// stand-in: tools/tracking_standin.py KORVEL_TRACKING_PORT
// The real main window in this process, driven the way its bindings drive it.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "dialogs/input_dialog_win.h"
#include "io/file_io_win.h"
#include "io/http_fetch_win.h"
#include "main_window_test_support.h"
#include "text/wide_text_win.h"
#include "ui/main_window_elements_win.h"
#include "ui/main_window_win.h"
#include "ui/outcome_keeper_win.h"

using namespace korvel::ui;
using namespace korvel::ui::testing;
using korvel::text::toGbk;
using korvel::text::toWide;

namespace {

// Modal windows are answered from a thread timer while their loop runs.
std::function<bool(HWND)> g_answer;

BOOL CALLBACK findModal(HWND hwnd, LPARAM out) {
    if (IsWindowVisible(hwnd) && g_answer && g_answer(hwnd)) {
        *reinterpret_cast<bool*>(out) = true;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK answerTick(HWND, UINT, UINT_PTR id, DWORD) {
    bool answered = false;
    EnumThreadWindows(GetCurrentThreadId(), findModal, reinterpret_cast<LPARAM>(&answered));
    if (answered) {
        KillTimer(nullptr, id);
        g_answer = nullptr;
    }
}

void answerNextModal(std::function<bool(HWND)> answer) {
    g_answer = std::move(answer);
    SetTimer(nullptr, 0, 30, answerTick);
}

bool isClass(HWND hwnd, const wchar_t* cls) {
    wchar_t buf[64];
    GetClassNameW(hwnd, buf, 64);
    return wcscmp(buf, cls) == 0;
}

// Types text into the number dialog and presses OK.
void typeIntoNumberDialog(const std::string& text) {
    answerNextModal([text](HWND hwnd) {
        if (!isClass(hwnd, L"#32770") || !GetDlgItem(hwnd, korvel::dialogs::kInputEditId))
            return false;
        SetDlgItemTextW(hwnd, korvel::dialogs::kInputEditId, toWide(text).c_str());
        SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
        return true;
    });
}

// Puts text on the real clipboard as Unicode text, as a copy elsewhere does.
bool putOnClipboard(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    bool put = false;
    if (auto* chars = static_cast<wchar_t*>(GlobalLock(block))) {
        std::copy(text.c_str(), text.c_str() + text.size() + 1, chars);
        GlobalUnlock(block);
        put = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    }
    if (!put) GlobalFree(block);
    CloseClipboard();
    return put;
}

// Ctrl+V into the number dialog's field, then OK.
void pasteIntoNumberDialog() {
    answerNextModal([](HWND hwnd) {
        if (!isClass(hwnd, L"#32770") || !GetDlgItem(hwnd, korvel::dialogs::kInputEditId))
            return false;
        SendMessageW(GetDlgItem(hwnd, korvel::dialogs::kInputEditId), WM_CHAR, 0x16,
                     0);  // what Ctrl+V types
        SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
        return true;
    });
}

std::string comboText(HWND combo) {
    wchar_t buf[256];
    GetWindowTextW(combo, buf, 256);
    return toGbk(buf);
}

class MainWindowTest : public MainWindowFixture {
  protected:
    MainWindowTest() : MainWindowFixture("main_window_test.exe") {}
};

TEST_F(MainWindowTest, StartsOnTheHomePageWithTheCatalogue) {
    MainWindow& w = *window_;
    EXPECT_EQ(w.tree().itemCount(), 79);
    EXPECT_EQ(w.tree().itemText(0), "AAE快递");
    EXPECT_EQ(w.tree().itemText(78), "申通快递");
    for (int i = 0; i < 79; ++i) ASSERT_EQ(w.tree().parentOf(i), -1);
    EXPECT_EQ(SendMessageW(w.courierBoxHandle(), CB_GETCOUNT, 0, 0), 79);
    EXPECT_EQ(comboText(w.courierBoxHandle()), "AAE快递");
    EXPECT_TRUE(GetWindowLongW(w.resultHandle(), GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(w.selectedPage(), 1);
    EXPECT_FALSE(IsWindowVisible(w.treeHandle()));
    EXPECT_FALSE(IsWindowVisible(w.animationHandle()));
    EXPECT_EQ(w.queryButtonCaption(), "开始查询");
    RECT r;
    GetWindowRect(w.handle(), &r);
    EXPECT_EQ(r.right - r.left, 662);
    EXPECT_EQ(r.bottom - r.top, 485);
    // The result box rejects typing.
    SendMessageW(w.resultHandle(), WM_CHAR, 'x', 0);
    EXPECT_EQ(w.resultText(), "");
}

TEST_F(MainWindowTest, PagesShowAndHideTheTrackingControls) {
    MainWindow& w = *window_;
    w.selectPage(2);
    EXPECT_EQ(w.selectedPage(), 2);
    for (HWND h : {w.treeHandle(), w.resultHandle(), w.courierBoxHandle()})
        EXPECT_TRUE(IsWindowVisible(h));
    w.selectPage(3);
    for (HWND h : {w.treeHandle(), w.resultHandle(), w.courierBoxHandle()})
        EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_TRUE(IsWindowVisible(w.animationHandle()));
}

TEST_F(MainWindowTest, TabClicksArePostedAndSwitchPages) {
    MainWindow& w = *window_;
    // A press and release on tab 2 (95, 30, 70 x 75) through the skin.
    const LPARAM at = MAKELPARAM(130, 60);
    SendMessageW(w.handle(), WM_MOUSEMOVE, 0, at);
    SendMessageW(w.handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(w.handle(), WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(pumpUntil([&] { return w.selectedPage() == 2; }));
    EXPECT_TRUE(IsWindowVisible(w.treeHandle()));
}

TEST_F(MainWindowTest, NumbersAreAddedChangedAndDeletedThroughTheTree) {
    MainWindow& w = *window_;
    w.selectPage(2);
    const int sf = indexOfText(w, "顺丰快递");
    ASSERT_GE(sf, 0);
    w.tree().select(sf);
    typeIntoNumberDialog(" 111 222  333 ");
    w.openNumberDialog();
    ASSERT_EQ(w.tree().itemCount(), 82);
    EXPECT_EQ(w.tree().itemText(sf + 1), "111");
    EXPECT_EQ(w.tree().itemText(sf + 3), "333");
    EXPECT_TRUE(w.tree().snapshot()[static_cast<size_t>(sf)].state.expanded);
    EXPECT_EQ(GetFocus(), w.treeHandle());

    // Enter on a number entry does nothing.
    w.tree().select(sf + 1);
    SendMessageW(w.treeHandle(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(w.tree().itemCount(), 82);

    // Enter on a company opens the dialog; cancelling adds nothing.
    w.tree().select(sf);
    answerNextModal([](HWND h) {
        if (!isClass(h, L"#32770")) return false;
        SendMessageW(h, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    SendMessageW(w.treeHandle(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(w.tree().itemCount(), 82);

    w.tree().select(sf + 2);
    typeIntoNumberDialog("2 2");
    w.workspace().changeNumber();
    EXPECT_EQ(w.tree().itemText(sf + 2), "2 2");
    w.tree().select(sf + 2);
    w.workspace().deleteNumber();
    EXPECT_EQ(w.tree().itemCount(), 81);
}

// A column copied from a spreadsheet or a text file comes as lines or tabbed
// cells: every number is its own entry, in order; "修改单号" keeps one piece.
TEST_F(MainWindowTest, APastedColumnAddsEveryNumberInOrder) {
    MainWindow& w = *window_;
    w.selectPage(2);
    const int sf = indexOfText(w, "顺丰快递");
    ASSERT_GE(sf, 0);
    std::wstring column;
    for (int i = 0; i < 200; ++i)
        column += L"SF" + std::to_wstring(5000 + i) +
                  (i % 3 == 0   ? L"\n"
                   : i % 3 == 1 ? L"\r\n"
                                : L"\t");
    ASSERT_TRUE(putOnClipboard(column));
    w.tree().select(sf);
    pasteIntoNumberDialog();
    w.openNumberDialog();
    ASSERT_EQ(w.tree().itemCount(), 79 + 200);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(w.tree().itemText(sf + 1 + i), "SF" + std::to_string(5000 + i)) << i;
    // Laid out once the run of edits ended: the last number has its place.
    RECT last{};
    EXPECT_TRUE(TreeView_GetItemRect(w.treeHandle(), w.tree().itemHandle(sf + 200), &last, TRUE));

    ASSERT_TRUE(putOnClipboard(L"SF 1\r\n2\t3\r\n"));
    w.tree().select(sf + 1);
    pasteIntoNumberDialog();
    w.workspace().changeNumber();
    EXPECT_EQ(w.tree().itemText(sf + 1), "SF 1 2 3");
    EXPECT_EQ(w.tree().itemCount(), 79 + 200);
}

TEST_F(MainWindowTest, ContextMenuFollowsTheSelectedEntry) {
    MainWindow& w = *window_;
    w.selectPage(2);
    w.tree().addItems(1, {"12345678"});  // a number under 安捷快递
    struct Seen {
        bool add, change, del, company, all;
    } seen{};
    int menus = 0;
    w.trackMenu = [&](HMENU menu, POINT) -> UINT {
        ++menus;
        auto on = [&](UINT id) { return !(GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED); };
        seen = {on(1), on(2), on(3), on(4), on(5)};
        return 0;
    };
    auto rightClick = [&](int index) {
        HTREEITEM item = TreeView_GetRoot(w.treeHandle());
        for (int i = 0; i < index; ++i) {
            HTREEITEM child = TreeView_GetChild(w.treeHandle(), item);
            item = child ? child : TreeView_GetNextSibling(w.treeHandle(), item);
            if (!item) break;
        }
        RECT r;
        TreeView_GetItemRect(w.treeHandle(), item, &r, TRUE);
        w.showTreeMenu({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    };
    rightClick(0);  // AAE快递, no numbers
    EXPECT_EQ(menus, 1);
    EXPECT_TRUE(seen.add);
    EXPECT_FALSE(seen.change);
    EXPECT_FALSE(seen.del);
    EXPECT_FALSE(seen.company);
    EXPECT_TRUE(seen.all);
    rightClick(1);  // 安捷快递, one number
    EXPECT_TRUE(seen.company);
    EXPECT_EQ(w.tree().selectedIndex(), 1);
    w.tree().expand(1);
    rightClick(2);  // the number
    EXPECT_FALSE(seen.add);
    EXPECT_TRUE(seen.change && seen.del && seen.company && seen.all);
    EXPECT_EQ(w.tree().selectedIndex(), 2);
    // Empty space: no menu, selection kept.
    w.showTreeMenu({5, 330});
    EXPECT_EQ(menus, 3);
    EXPECT_EQ(w.tree().selectedIndex(), 2);
}

TEST_F(MainWindowTest, LocateSelectsTheMatchingCompany) {
    MainWindow& w = *window_;
    w.selectPage(2);
    SetWindowTextW(w.courierBoxHandle(), toWide("EMS快递").c_str());
    w.locate();
    EXPECT_EQ(w.tree().itemText(w.tree().selectedIndex()), "EMS快递");
    EXPECT_EQ(GetFocus(), w.treeHandle());
    // Enter in the courier box's text field runs the same locate.
    SetWindowTextW(w.courierBoxHandle(), toWide("申通快递").c_str());
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    GetComboBoxInfo(w.courierBoxHandle(), &info);
    SendMessageW(info.hwndItem, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(w.tree().selectedIndex(), 78);
}

TEST_F(MainWindowTest, TemplatesRoundTripAndDamagedFilesChangeNothing) {
    MainWindow& w = *window_;
    const int st = indexOfText(w, "申通快递");
    w.tree().addItems(st, {"ST001", "中文单号"});
    const std::string path = dir() + "\\korvel_main_window_test.dat";
    w.saveTemplateTo(path);
    EXPECT_EQ(w.statusText(), "保存成功");
    const auto before = w.tree().snapshot();

    w.tree().clear();
    w.importTemplateFrom(path);
    EXPECT_EQ(w.statusText(), "导入成功");
    EXPECT_EQ(w.tree().snapshot(), before);

    // A line break after the trailer: "文件被损坏" and the tree unchanged.
    auto bytes = korvel::io::readWholeFile(path);
    ASSERT_TRUE(bytes);
    ASSERT_TRUE(korvel::io::writeFileSafely(path, *bytes + "\r\n"));
    w.setStatusText("");
    bool reported = false;
    answerNextModal([&](HWND h) {
        if (!isClass(h, L"SkinHostWnd") && !isClass(h, L"#32770")) return false;
        reported = true;
        PostMessageW(h, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(h, WM_CLOSE, 0, 0);
        return true;
    });
    w.importTemplateFrom(path);
    EXPECT_TRUE(reported);
    EXPECT_EQ(w.tree().snapshot(), before);
    EXPECT_EQ(w.statusText(), "");
    DeleteFileW(toWide(path).c_str());
}

TEST_F(MainWindowTest, AQueryRunShowsTheStandInRoutesAndStops) {
    if (!std::getenv("KORVEL_TRACKING_PORT")) GTEST_SKIP() << "needs the tracking stand-in";
    MainWindow& w = *window_;
    w.selectPage(2);
    w.tree().addItems(indexOfText(w, "顺丰快递"), {"SF1000001", "SF1000002"});
    w.tree().addItems(indexOfText(w, "申通快递"), {"ST2000001"});
    w.toggleQueryRun();
    EXPECT_EQ(w.queryButtonCaption(), "停止查询");
    ASSERT_TRUE(pumpUntil([&] { return w.statusText() == "查询完毕"; }, 20000));
    EXPECT_EQ(w.queryButtonCaption(), "开始查询");
    const std::string result = w.resultText();
    const size_t sf1 = result.find("顺丰快递SF1000001\r\n");
    const size_t sf2 = result.find("顺丰快递SF1000002\r\n");
    const size_t st = result.find("申通快递ST2000001\r\n");
    ASSERT_NE(sf1, std::string::npos);
    ASSERT_NE(sf2, std::string::npos);
    ASSERT_NE(st, std::string::npos);
    EXPECT_LT(sf1, sf2);
    EXPECT_LT(sf2, st);
    EXPECT_EQ(result.find("单号错误"), std::string::npos);

    // A run over slow numbers stopped midway: "已停止查询", nothing more arrives.
    w.tree().addItems(indexOfText(w, "申通快递"), {"SLOW1500-a", "SLOW1500-b", "SLOW1500-c"});
    w.toggleQueryRun();
    ASSERT_TRUE(pumpUntil([&] { return w.resultText().find("ST2000001") != std::string::npos; }));
    w.toggleQueryRun();
    EXPECT_EQ(w.statusText(), "已停止查询");
    EXPECT_EQ(w.queryButtonCaption(), "开始查询");
    const std::string stopped = w.resultText();
    pumpUntil([] { return false; }, 2500);
    EXPECT_EQ(w.resultText(), stopped);
    EXPECT_EQ(w.statusText(), "已停止查询");
}

// --- how a run's numbers stand, on the tree ----------------------------------

HTREEITEM handleOf(MainWindow& w, const std::string& text) {
    return w.tree().itemHandle(indexOfText(w, text));
}

// The ink of an item's label as the tree paints it: of the label's pixels,
// the one farthest from the background, whose colour the text has in full.
COLORREF inkOf(MainWindow& w, HTREEITEM item) {
    HWND tree = w.treeHandle();
    RECT label{};
    if (!TreeView_GetItemRect(tree, item, &label, TRUE)) return CLR_INVALID;
    RECT client;
    GetClientRect(tree, &client);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(tree, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    COLORREF ink = RGB(192, 192, 192);
    int farthest = -1;
    for (int y = std::max(0L, label.top); y < std::min(client.bottom, label.bottom); ++y) {
        for (int x = std::max(0L, label.left); x < std::min(client.right, label.right); ++x) {
            const DWORD p = pixels[y * client.right + x];
            const int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
            const int d = std::abs(r - 192) + std::abs(g - 192) + std::abs(b - 192);
            if (d > farthest) farthest = d, ink = RGB(r, g, b);
        }
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ink;
}

// Which state colour (or the tree's black) an ink is nearest.
COLORREF nearestStateColour(COLORREF ink) {
    using korvel::tracking::ParcelState;
    COLORREF best = CLR_INVALID;
    int bestDistance = 1 << 30;
    for (ParcelState s : {ParcelState::InTransit, ParcelState::OutForDelivery,
                          ParcelState::Delivered, ParcelState::Problem, ParcelState::WrongNumber}) {
        const COLORREF c = TreeStatus::colourOf(s);
        const int d = std::abs(GetRValue(c) - GetRValue(ink)) +
                      std::abs(GetGValue(c) - GetGValue(ink)) +
                      std::abs(GetBValue(c) - GetBValue(ink));
        if (d < bestDistance) bestDistance = d, best = c;
    }
    return best;
}

// Rests the pointer on an item as the system reports it, and reads the tip
// that shows; empty when none does.
std::string hoverTip(MainWindow& w, HTREEITEM item) {
    HWND tree = w.treeHandle();
    RECT label{};
    if (!TreeView_GetItemRect(tree, item, &label, TRUE)) return {};
    const LPARAM at = MAKELPARAM((label.left + label.right) / 2, (label.top + label.bottom) / 2);
    SendMessageW(tree, WM_MOUSEMOVE, 0, at);
    SendMessageW(tree, WM_MOUSEHOVER, 0, at);
    HWND tip = w.treeStatus().tooltip();
    if (!IsWindowVisible(tip)) return {};
    std::wstring buffer(2048, L'\0');
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = tree;
    tool.uId = 1;
    tool.lpszText = buffer.data();
    SendMessageW(tip, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&tool));
    buffer.resize(wcslen(buffer.c_str()));
    SendMessageW(tree, WM_MOUSELEAVE, 0, 0);
    return toGbk(buffer);
}

// The route lines of a number's block in the result box, in box order.
std::vector<std::string> routeLines(const std::string& result, const std::string& heading) {
    std::vector<std::string> lines;
    size_t at = result.find(heading + "\r\n");
    if (at == std::string::npos) return lines;
    at += heading.size() + 2;
    while (at < result.size() && result.compare(at, 10, std::string(10, '-')) != 0) {
        const size_t end = result.find("\r\n", at);
        lines.push_back(result.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

TEST_F(MainWindowTest, ARunColoursEachNumberByItsStateAndTheTipsTellIt) {
    if (!std::getenv("KORVEL_TRACKING_PORT")) GTEST_SKIP() << "needs the tracking stand-in";
    MainWindow& w = *window_;
    w.selectPage(2);
    // Numbers first in the tree, so they show without scrolling.
    w.tree().addItems(0, {"OLDFIRST-1", "OUT-1", "PROB-1", "MOVE-1", "12", "EE123456785CN"});
    w.tree().addItems(indexOfText(w, "安捷快递"), {"SF123456789012", "HANG-1"});
    w.tree().expand(0);
    w.tree().expand(indexOfText(w, "安捷快递"));
    w.tree().select(-1);
    const std::string path = dir() + "\\korvel_tree_status_test.dat";
    w.saveTemplateTo(path);
    const auto before = korvel::io::readWholeFile(path);
    ASSERT_TRUE(before);

    HTREEITEM aae = handleOf(w, "AAE快递");
    EXPECT_EQ(hoverTip(w, handleOf(w, "OUT-1")), "尚未查询");
    EXPECT_EQ(hoverTip(w, aae), "共 6 单，尚未查询");
    EXPECT_EQ(hoverTip(w, handleOf(w, "EE123456785CN")), "尚未查询\r\n此单号像是 EMS快递 的单号");

    // The run stops at the request that hangs: the numbers before it are done.
    const auto askedFrom = OutcomeKeeper::now();
    w.toggleQueryRun();
    ASSERT_TRUE(pumpUntil([&] { return w.statusText() == "正在为您查询：安捷快递HANG-1"; }, 20000));
    w.toggleQueryRun();
    EXPECT_EQ(w.statusText(), "已停止查询");
    ASSERT_TRUE(pumpPosted());
    const auto askedUntil = OutcomeKeeper::now();
    // The tip tells when the number was asked, in the minute of the run.
    auto askedLine = [&](const std::string& tip) {
        const size_t at = tip.find("\r\n上次查询：");
        if (at == std::string::npos) return false;
        const std::string shown = tip.substr(at + 2, tip.find("\r\n", at + 2) - at - 2);
        return shown == "上次查询：" + OutcomeKeeper::localMinuteText(askedFrom) ||
               shown == "上次查询：" + OutcomeKeeper::localMinuteText(askedUntil);
    };
    auto withoutAsked = [](std::string tip) {
        const size_t at = tip.find("\r\n上次查询：");
        if (at == std::string::npos) return tip;
        const size_t end = tip.find("\r\n", at + 2);
        return tip.erase(at, end == std::string::npos ? std::string::npos : end - at);
    };

    const std::string result = w.resultText();
    const struct {
        const char* number;
        const char* state;
        COLORREF colour;
        bool oldestFirst;
    } numbers[] = {
        {"OLDFIRST-1", "已签收", RGB(0, 110, 0), true},
        {"OUT-1", "派件中", RGB(0, 0, 230), false},
        {"PROB-1", "疑难", RGB(200, 90, 0), false},
        {"MOVE-1", "运输中", RGB(0, 0, 0), false},
        {"EE123456785CN", "已签收", RGB(0, 110, 0), false},
    };
    for (const auto& n : numbers) {
        const auto lines = routeLines(result, std::string("AAE快递") + n.number);
        ASSERT_FALSE(lines.empty()) << n.number;
        const std::string newest = n.oldestFirst ? lines.back() : lines.front();
        std::string want = std::string(n.state) + "\r\n" + newest;
        if (std::string(n.number) == "EE123456785CN") want += "\r\n此单号像是 EMS快递 的单号";
        const std::string tip = hoverTip(w, handleOf(w, n.number));
        EXPECT_TRUE(askedLine(tip)) << n.number << ": " << tip;
        EXPECT_EQ(withoutAsked(tip), want) << n.number;
        EXPECT_EQ(nearestStateColour(inkOf(w, handleOf(w, n.number))), n.colour) << n.number;
    }
    EXPECT_EQ(withoutAsked(hoverTip(w, handleOf(w, "12"))), "单号错误");
    EXPECT_EQ(nearestStateColour(inkOf(w, handleOf(w, "12"))), RGB(210, 0, 0));
    EXPECT_EQ(hoverTip(w, aae), "共 6 单：已签收 2，派件中 1，运输中 1，疑难 1，单号错误 1");
    EXPECT_EQ(nearestStateColour(inkOf(w, aae)), RGB(0, 0, 0));
    EXPECT_EQ(hoverTip(w, handleOf(w, "安捷快递")),
              "共 2 单：已签收 1，派件中 0，运输中 0，疑难 0，单号错误 0，尚未查询 1");
    EXPECT_EQ(hoverTip(w, handleOf(w, "SF123456789012")).substr(0, 6), "已签收");
    EXPECT_NE(hoverTip(w, handleOf(w, "SF123456789012")).find("此单号像是 顺丰快递 的单号"),
              std::string::npos);
    EXPECT_EQ(hoverTip(w, handleOf(w, "HANG-1")), "尚未查询");
    EXPECT_EQ(nearestStateColour(inkOf(w, handleOf(w, "HANG-1"))), RGB(0, 0, 0));
    korvel::io::httpGet("http://" + trackingEndpoint() + "/_let_go");

    // Nothing of it goes into the template.
    w.saveTemplateTo(path);
    EXPECT_EQ(korvel::io::readWholeFile(path), before);

    // Outcomes belong to the number: with OUT-1 deleted, PROB-1 takes its
    // place with its own colour and nothing is blue; OUT-1 added again is.
    w.tree().removeItem(indexOfText(w, "OUT-1"));
    EXPECT_EQ(nearestStateColour(inkOf(w, handleOf(w, "PROB-1"))), RGB(200, 90, 0));
    EXPECT_EQ(nearestStateColour(inkOf(w, handleOf(w, "MOVE-1"))), RGB(0, 0, 0));
    w.tree().addItems(0, {"OUT-1"});
    EXPECT_EQ(nearestStateColour(inkOf(w, handleOf(w, "OUT-1"))), RGB(0, 0, 230));

    // An import brings the same numbers back with their colours.
    w.importTemplateFrom(path);
    EXPECT_EQ(w.statusText(), "导入成功");
    for (const auto& n : numbers)
        EXPECT_EQ(nearestStateColour(inkOf(w, handleOf(w, n.number))), n.colour) << n.number;
    EXPECT_EQ(hoverTip(w, handleOf(w, "AAE快递")),
              "共 6 单：已签收 2，派件中 1，运输中 1，疑难 1，单号错误 1");

    // A new run keeps every colour until the number's new outcome comes.
    korvel::io::httpGet("http://" + trackingEndpoint() + "/_log/clear");
    w.toggleQueryRun();
    EXPECT_EQ(nearestStateColour(inkOf(w, handleOf(w, "PROB-1"))), RGB(200, 90, 0));
    EXPECT_TRUE(askedLine(hoverTip(w, handleOf(w, "PROB-1"))));
    ASSERT_TRUE(pumpUntil([&] { return w.statusText() == "正在为您查询：安捷快递HANG-1"; }, 20000));
    w.toggleQueryRun();
    korvel::io::httpGet("http://" + trackingEndpoint() + "/_let_go");
    DeleteFileW(toWide(path).c_str());
}

}  // namespace
