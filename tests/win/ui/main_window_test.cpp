// stand-in: tools/tracking_standin.py KORVEL_TRACKING_PORT
// The real main window in this process, driven the way its bindings drive it.
#include "ui/main_window_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "main_window_test_support.h"
#include "text/wide_text_win.h"
#include "ui/file_io_win.h"
#include "ui/input_dialog_win.h"
#include "ui/main_window_elements_win.h"

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
        if (!isClass(hwnd, L"#32770") || !GetDlgItem(hwnd, kInputEditId)) return false;
        SetDlgItemTextW(hwnd, kInputEditId, toWide(text).c_str());
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
    auto bytes = readWholeFile(path);
    ASSERT_TRUE(bytes);
    ASSERT_TRUE(writeFileSafely(path, *bytes + "\r\n"));
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

}  // namespace
