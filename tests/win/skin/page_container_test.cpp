#include "skin/page_container_win.h"

#include <gtest/gtest.h>

#include "skin/skin_engine_win.h"
#include "skin/skin_toolkit_win.h"

using namespace korvel::skin;

namespace {

// A control that only counts its paints.
class Probe : public SkinControl {
public:
    int Create(HWND hwnd, float x, float y) {
        Register(hwnd, {x, y, 20, 20}, 30, 1, false);
        return ControlNumber();
    }
    LRESULT HandleMessage(HWND, UINT message, WPARAM, LPARAM, int, int, int) override {
        if (message == kMsgPaint) ++paints;
        return 0;
    }
    int paints = 0;
};

class PageContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InitToolkit());
        hwnd_ = CreateWindowExW(0, kHostClassName, L"pages", WS_POPUP | WS_VISIBLE, 10, 10, 300,
                                200, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(engine_.Attach(hwnd_, {}, AttachOptions{.panelColor = 0xFFFFFF}));
        ASSERT_GT(pages_.Create(hwnd_, 5, 30, 290, 160), 0);
        a_.Create(hwnd_, 10, 40);
        b_.Create(hwnd_, 40, 40);
        child_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 100, 100, 20, 20, hwnd_,
                                 nullptr, nullptr, nullptr);
    }
    void TearDown() override { DestroyWindow(hwnd_); }

    HWND hwnd_ = nullptr, child_ = nullptr;
    SkinEngine engine_;
    PageContainer pages_;
    Probe a_, b_;
};

TEST_F(PageContainerTest, OnlyTheSelectedPageShows) {
    EXPECT_EQ(pages_.AddPage("首页"), 1);
    EXPECT_EQ(pages_.AddPage("查询快递"), 2);
    EXPECT_EQ(pages_.SelectedPage(), 0);  // adding keeps the selection
    pages_.SetLook(0, -2);
    ASSERT_TRUE(pages_.SelectedPage(1));
    ASSERT_TRUE(pages_.AddElement(1, a_.ControlNumber()));
    ASSERT_TRUE(pages_.AddElement(2, b_.ControlNumber()));
    ASSERT_TRUE(pages_.AddWindow(2, child_));
    EXPECT_TRUE(a_.Visible());
    EXPECT_FALSE(b_.Visible());
    EXPECT_FALSE(IsWindowVisible(child_));

    std::vector<int> changed;
    pages_.PageChangedEvent([&](int page) { changed.push_back(page); });
    ASSERT_TRUE(pages_.SelectedPage(2));
    EXPECT_FALSE(a_.Visible());
    EXPECT_TRUE(b_.Visible());
    EXPECT_TRUE(IsWindowVisible(child_));
    EXPECT_EQ(changed, std::vector<int>{2});
    const int paintsBefore = a_.paints;
    engine_.Redraw();
    EXPECT_EQ(a_.paints, paintsBefore);  // a hidden element is not painted
}

TEST_F(PageContainerTest, InvalidPagesAndVetoesChangeNothing) {
    pages_.AddPage("1");
    pages_.AddPage("2");
    pages_.SelectedPage(1);
    EXPECT_FALSE(pages_.SelectedPage(0));
    EXPECT_FALSE(pages_.SelectedPage(3));
    EXPECT_FALSE(pages_.AddElement(5, a_.ControlNumber()));
    EXPECT_FALSE(pages_.AddElement(1, 99));
    EXPECT_FALSE(pages_.IsValidPage(0));
    EXPECT_TRUE(pages_.IsValidPage(2));
    int asked = 0;
    pages_.PageChangingEvent([&](int from, int to) {
        ++asked;
        EXPECT_EQ(from, 1);
        EXPECT_EQ(to, 2);
        return false;
    });
    EXPECT_FALSE(pages_.SelectedPage(2));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(pages_.SelectedPage(), 1);
}

TEST_F(PageContainerTest, AControlMovesBetweenPagesNotOntoTwo) {
    pages_.AddPage("1");
    pages_.AddPage("2");
    pages_.SelectedPage(1);
    pages_.AddElement(1, a_.ControlNumber());
    pages_.AddElement(2, a_.ControlNumber());
    EXPECT_FALSE(a_.Visible());
    pages_.SelectedPage(2);
    EXPECT_TRUE(a_.Visible());
    pages_.SelectedPage(1);
    EXPECT_FALSE(a_.Visible());
}

TEST_F(PageContainerTest, HeaderClicksSelectPagesOnlyWhenAHeaderIsShown) {
    pages_.AddPage("1");
    pages_.AddPage("2");
    pages_.SetLook(1, 24);
    pages_.SelectedPage(1);
    // The second name of the top row: x 5 + 145 .. 295, y 30 .. 54.
    const LPARAM onSecond = MAKELPARAM(200, 40);
    SendToControl(pages_.WindowNumber(), pages_.ControlNumber(), hwnd_, WM_LBUTTONDOWN, 0,
                  onSecond);
    EXPECT_EQ(pages_.SelectedPage(), 2);
    pages_.SetLook(0);
    SendToControl(pages_.WindowNumber(), pages_.ControlNumber(), hwnd_, WM_LBUTTONDOWN, 0,
                  MAKELPARAM(20, 40));
    EXPECT_EQ(pages_.SelectedPage(), 2);
}

}  // namespace
