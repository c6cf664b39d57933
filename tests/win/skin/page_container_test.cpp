#include <gtest/gtest.h>

#include "skin/page_container_win.h"
#include "skin_test_support.h"

using namespace korvel::skin;
using namespace korvel::skin::testing;

namespace {

class PageContainerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        startToolkit();
        hwnd = makeTestWindow(400, 300);
        AttachOptions options;
        options.captionFlags = 0;
        options.panelColor = 0x808080;
        options.fadeControls = false;
        ASSERT_TRUE(engine.Attach(hwnd, {}, options));
        ASSERT_GT(pages.Create(hwnd, 5, 30, 390, 260), 0);
        pages.SetLook(0, -2);
        for (const char* name : {"首页", "查询快递", "网点查询"}) pages.AddPage(name);
        ASSERT_TRUE(first.Create(hwnd, 20, 60, 40, 40));
        ASSERT_TRUE(second.Create(hwnd, 20, 60, 40, 40));
        child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 100, 100, 50, 20, hwnd,
                                nullptr, nullptr, nullptr);
    }
    void TearDown() override { DestroyWindow(hwnd); }

    HWND hwnd = nullptr;
    HWND child = nullptr;
    SkinEngine engine;
    PageContainer pages;
    ProbeControl first{0xFFFF0000};
    ProbeControl second{0xFF0000FF};
};

TEST_F(PageContainerTest, PagesAreNumberedFromOneAndAddingKeepsTheSelection) {
    EXPECT_EQ(pages.PageCount(), 3);
    EXPECT_EQ(pages.PageName(2), "查询快递");
    EXPECT_EQ(pages.SelectedPage(), 0);
    EXPECT_EQ(pages.SelectedPage(2), 2);
    EXPECT_EQ(pages.AddPage("更多"), 4);
    EXPECT_EQ(pages.SelectedPage(), 2);
    EXPECT_TRUE(pages.IsValidPage(1));
    EXPECT_TRUE(pages.IsValidPage(4));
    EXPECT_FALSE(pages.IsValidPage(0));
    EXPECT_FALSE(pages.IsValidPage(5));
    EXPECT_EQ(pages.SelectedPage(9), 2);
    EXPECT_EQ(pages.PageName(9), "");
}

TEST_F(PageContainerTest, OnlyTheSelectedPageShowsItsElementsAndWindows) {
    ASSERT_TRUE(pages.AddElement(1, first.ControlNumber()));
    ASSERT_TRUE(pages.AddElement(2, second));
    ASSERT_TRUE(pages.AddWindow(2, child));
    EXPECT_FALSE(pages.AddElement(7, first));
    EXPECT_FALSE(pages.AddWindow(1, nullptr));
    EXPECT_FALSE(first.Visible());  // no page selected yet
    EXPECT_FALSE(IsWindowVisible(child));

    pages.SelectedPage(1);
    const DibBuffer& present = engine.Record()->present;
    EXPECT_TRUE(first.Visible());
    EXPECT_FALSE(second.Visible());
    EXPECT_EQ(present.Pixel(30, 70) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(engine.Input().HitTest(30, 70), first.Token());
    for (int i = 0; i < 2; ++i) {
        SendMessageW(hwnd, WM_KEYUP, VK_TAB, 0);  // the hidden page's element is skipped
        EXPECT_EQ(engine.Input().Focused(), first.Token());
    }

    pages.SelectedPage(2);
    EXPECT_EQ(engine.Input().Focused(), kNoControl);  // the focus leaves with its page
    EXPECT_FALSE(first.Visible());
    EXPECT_TRUE(second.Visible());
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_EQ(present.Pixel(30, 70) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(engine.Input().HitTest(30, 70), second.Token());

    pages.SelectedPage(3);
    EXPECT_FALSE(second.Visible());
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_EQ(present.Pixel(30, 70) & 0xFFFFFF, 0x808080u);
}

TEST_F(PageContainerTest, ChangingSubroutineCanKeepTheOldPage) {
    std::vector<int> changed, asked;
    pages.PageChangedEvent([&](int page) { changed.push_back(page); });
    pages.PageChangingEvent([&](int page) {
        asked.push_back(page);
        return page == 3 ? 0 : 1;
    });
    pages.SelectedPage(1);
    pages.SelectedPage(3);
    pages.SelectedPage(2);
    EXPECT_EQ(asked, (std::vector<int>{1, 3, 2}));
    EXPECT_EQ(changed, (std::vector<int>{1, 2}));
    EXPECT_EQ(pages.SelectedPage(), 2);
}

TEST_F(PageContainerTest, WithoutAHeaderItDrawsNothingAndLetsThePointerThrough) {
    pages.SelectedPage(1);
    pages.Repaint();
    EXPECT_EQ(engine.Record()->present.Pixel(200, 40) & 0xFFFFFF, 0x808080u);
    EXPECT_EQ(engine.Input().HitTest(200, 200), kNoControl);
    pages.SetLook(1, 24);
    pages.Repaint();
    EXPECT_EQ(engine.Input().HitTest(200, 40), pages.Token());
    EXPECT_EQ(engine.Input().HitTest(200, 200), kNoControl);
    // A press on the second tab of the header selects page 2.
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0, point(5 + 130 + 60, 40));
    EXPECT_EQ(pages.SelectedPage(), 2);
}

}  // namespace
