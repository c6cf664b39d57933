#include <gtest/gtest.h>

#include <string>

#include "../message_pump.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_toolkit_win.h"
#include "skin/skin_window_table_win.h"
#include "text/wide_text_win.h"
#include "upgrade/about_text.h"
#include "upgrade/about_window_win.h"
#include "upgrade/upgrade_window_texts.h"

using namespace korvel::upgrade;
using korvel::wine_test::pumpPosted;

namespace {

BOOL CALLBACK countHosts(HWND hwnd, LPARAM count) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (std::wstring(name) == korvel::skin::kHostClassName && IsWindowVisible(hwnd))
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int visibleSkinnedWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), countHosts, reinterpret_cast<LPARAM>(&count));
    return count;
}

class AboutWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(korvel::skin::InitToolkit());
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KorvelAboutOwner";
        RegisterClassW(&wc);
        owner_ = CreateWindowExW(0, L"KorvelAboutOwner", L"owner", WS_OVERLAPPEDWINDOW, 100, 100,
                                 662, 485, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(owner_, SW_SHOWNORMAL);
    }
    void TearDown() override {
        about_.close();
        DestroyWindow(owner_);
    }

    korvel::skin::SkinEngine* engine() const {
        auto* record = korvel::skin::WindowRecord(korvel::skin::FindWindowNumber(about_.handle()));
        return record ? record->engine : nullptr;
    }

    HWND owner_ = nullptr;
    AboutWindow about_;
};

TEST_F(AboutWindowTest, ShowsNameVersionAndCredit) {
    ASSERT_TRUE(about_.show(owner_, "1.0.0.0"));
    HWND hwnd = about_.handle();
    ASSERT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(about_.labelText(), aboutText("1.0.0.0"));
    EXPECT_NE(about_.labelText().find("\r\n\r\n版本：V 1.0.0.0\r\n\r\n"), std::string::npos);

    wchar_t title[32] = {};
    GetWindowTextW(hwnd, title, 32);
    EXPECT_EQ(korvel::text::toGbk(title), kAboutWindowTitle);
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), owner_);
    EXPECT_TRUE(IsWindowEnabled(owner_)) << "the About window is not modal";

    // 248 x 183 dialog units, and the label inside at (10, 20) with a margin.
    RECT r{};
    GetWindowRect(hwnd, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const PixelSize size = dialogUnitsToPixels(248, 183, programDialogBaseUnits());
    EXPECT_EQ(width, size.width);
    EXPECT_EQ(height, size.height);
    const korvel::skin::Label& label = about_.label();
    EXPECT_EQ(label.Left(), 10);
    EXPECT_EQ(label.Top(), 20);
    EXPECT_EQ(label.Width(), width - 20);
    EXPECT_EQ(label.Height(), height - 30);
    EXPECT_EQ(label.FormatFlags(), 0) << "the text may wrap";
    EXPECT_EQ(label.TextColour(), korvel::skin::defaultLabelTextColor());

    // White panel, the close button only: no icon, no title text.
    korvel::skin::SkinEngine* skin = engine();
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->PanelColor(), 0xFFFFFFu);
    EXPECT_EQ(skin->CaptionFlags(), korvel::skin::kCaptionClose);
    EXPECT_EQ(skin->CaptionButtons().size(), 1u);
}

TEST_F(AboutWindowTest, EmptyVersionLeavesTheLabelAlone) {
    ASSERT_TRUE(about_.show(owner_, ""));
    EXPECT_NE(about_.labelText().find("\r\n版本：V \r\n"), std::string::npos);
    EXPECT_EQ(about_.labelText(), aboutText(""));
}

TEST_F(AboutWindowTest, OpeningAgainBringsTheOpenWindowBack) {
    ASSERT_TRUE(about_.show(owner_, "1.0.0.0"));
    HWND first = about_.handle();
    ShowWindow(first, SW_MINIMIZE);
    ASSERT_TRUE(pumpPosted());
    ASSERT_TRUE(IsIconic(first));
    ASSERT_TRUE(about_.show(owner_, "9.9.9.9"));
    ASSERT_TRUE(pumpPosted());
    EXPECT_EQ(about_.handle(), first);
    EXPECT_FALSE(IsIconic(first)) << "a minimized About window is restored";
    EXPECT_EQ(visibleSkinnedWindows(), 1);
    EXPECT_EQ(about_.labelText(), aboutText("1.0.0.0")) << "the open window stays as it is";
}

TEST_F(AboutWindowTest, ClosedWindowOpensAnewWithTheSameLabel) {
    for (const std::string version : {"1.0.0.0", "1.0.0.1"}) {
        SCOPED_TRACE(version);
        ASSERT_TRUE(about_.show(owner_, version));
        EXPECT_EQ(about_.labelText(), aboutText(version));
        HWND hwnd = about_.handle();
        // The close button posts this.
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        ASSERT_TRUE(pumpPosted());
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(about_.handle(), nullptr);
        EXPECT_EQ(visibleSkinnedWindows(), 0);
    }
}

TEST(DialogBaseUnitsOnScreen, PlausibleForTheDialogFont) {
    const DialogBaseUnits base = programDialogBaseUnits();
    EXPECT_GE(base.x, 4);
    EXPECT_LE(base.x, 16);
    EXPECT_GE(base.y, 8);
    EXPECT_LE(base.y, 32);
}

}  // namespace
