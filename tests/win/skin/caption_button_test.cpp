#include <gtest/gtest.h>

#include "skin/caption_button_win.h"
#include "skin/skin_engine_win.h"
#include "skin_test_support.h"

using namespace korvel::skin;
using namespace korvel::skin::testing;

namespace {

// Cell index of the solid test sprite that a button shows at its centre.
int shownCell(const SkinEngine& engine, const CaptionButton& button) {
    const RectF r = button.Rectangle();
    const std::uint32_t pixel = engine.Record()->present.Pixel(
        static_cast<int>(r.x + r.width / 2), static_cast<int>(r.y + r.height / 2));
    return static_cast<int>((pixel >> 16) & 0xFF);
}

class CaptionButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        startToolkit();
        useSolidSprite();
        hwnd = makeTestWindow(400, 200, WS_POPUP | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
        AttachOptions options;
        options.captionFlags = 0x7C;  // close, maximize, minimize, 32, 64
        options.panelColor = 0x404040;
        options.fadeControls = false;
        ASSERT_TRUE(engine.Attach(hwnd, {}, options));
        engine.MessageHook([this](HWND, UINT msg, WPARAM wp, LPARAM) -> LRESULT {
            if (msg == WM_CLOSE) {
                ++closes;
                return 0;
            }
            if (msg == WM_SYSCOMMAND) {
                commands.push_back(static_cast<int>(wp & 0xFFF0));
                return 0;
            }
            return -1;
        });
        engine.ClickEvent(
            [this](HWND, int, std::intptr_t, int kind) { clickKinds.push_back(kind); });
    }
    void TearDown() override { DestroyWindow(hwnd); }

    CaptionButton& button(unsigned kind) {
        for (const auto& b : engine.CaptionButtons())
            if (b->ButtonKind() == kind) return *b;
        ADD_FAILURE() << "no button of kind " << kind;
        return *engine.CaptionButtons().front();
    }
    void clickOn(const CaptionButton& b) {
        const RectF r = b.Rectangle();
        const LPARAM at = point(static_cast<int>(r.x) + 5, static_cast<int>(r.y) + 5);
        SendMessageW(hwnd, WM_LBUTTONDOWN, 0, at);
        SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
        pump();
    }

    HWND hwnd = nullptr;
    SkinEngine engine;
    int closes = 0;
    std::vector<int> commands;
    std::vector<int> clickKinds;
};

TEST_F(CaptionButtonTest, EachKindDrawsItsNormalCell) {
    EXPECT_EQ(shownCell(engine, button(4)), 0);
    EXPECT_EQ(shownCell(engine, button(8)), 3);  // maximize glyph at 120
    EXPECT_EQ(shownCell(engine, button(16)), 6 + 3);
    EXPECT_EQ(shownCell(engine, button(32)), 9 + 3);
    EXPECT_EQ(shownCell(engine, button(64)), 12 + 3);
}

TEST_F(CaptionButtonTest, HoverAndPressShowTheirCellsAndRepeatsRepaintOnce) {
    CaptionButton& close = button(4);
    const RectF r = close.Rectangle();
    const LPARAM at = point(static_cast<int>(r.x) + 5, static_cast<int>(r.y) + 5);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, at);
    EXPECT_EQ(shownCell(engine, close), 1);
    EXPECT_EQ(close.LastMessage(), static_cast<UINT>(WM_MOUSEMOVE));
    // Paint over the button; a repeated move must not draw it again.
    FillRect(engine.Record()->present.Graphics(), r, 0xFF000000 | (77u << 16));
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, at);
    EXPECT_EQ(shownCell(engine, close), 77);
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0, at);
    EXPECT_EQ(shownCell(engine, close), 2);
    EXPECT_EQ(close.FadeAlpha(), 153);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, point(200, 150));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, point(200, 150));
    pump();
    EXPECT_EQ(closes, 0);  // released elsewhere
    SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(shownCell(engine, close), 0);
}

TEST_F(CaptionButtonTest, ClicksCloseMaximizeAndMinimize) {
    clickOn(button(4));
    EXPECT_EQ(closes, 1);
    clickOn(button(8));
    clickOn(button(16));
    EXPECT_EQ(commands, (std::vector<int>{SC_MAXIMIZE, SC_MINIMIZE}));
    EXPECT_EQ(clickKinds, (std::vector<int>{1, 1, 1}));
}

TEST_F(CaptionButtonTest, MaximizedWindowShowsTheRestoreGlyphAndRestores) {
    engine.MessageHook();  // let maximize happen for real
    ShowWindow(hwnd, SW_MAXIMIZE);
    pump();
    ASSERT_TRUE(IsZoomed(hwnd));
    EXPECT_EQ(shownCell(engine, button(8)), 6);  // restore glyph at 207
    SendToControl(engine.WindowNumber(), button(8).ControlNumber(), hwnd, kNotifyClick, 0, 0);
    pump();
    EXPECT_FALSE(IsZoomed(hwnd));
    EXPECT_EQ(shownCell(engine, button(8)), 3);
}

TEST_F(CaptionButtonTest, MinimizeOnAMinimizedWindowPostsNothing) {
    engine.MessageHook();
    ShowWindow(hwnd, SW_MINIMIZE);
    pump();
    ASSERT_TRUE(IsIconic(hwnd));
    std::vector<int> seen;
    engine.MessageHook([&](HWND, UINT msg, WPARAM wp, LPARAM) -> LRESULT {
        if (msg == WM_SYSCOMMAND) seen.push_back(static_cast<int>(wp & 0xFFF0));
        return -1;
    });
    SendToControl(engine.WindowNumber(), button(16).ControlNumber(), hwnd, kNotifyClick, 0, 0);
    pump();
    EXPECT_TRUE(seen.empty());
}

TEST_F(CaptionButtonTest, DisabledButtonKeepsItsLookAndIgnoresClicks) {
    CaptionButton& close = button(4);
    close.Disabled(1);
    clickOn(close);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, point(static_cast<int>(close.Rectangle().x) + 3, 10));
    EXPECT_EQ(closes, 0);
    EXPECT_EQ(shownCell(engine, close), 0);
}

TEST_F(CaptionButtonTest, ProgramButtonsOnlyReportTheClick) {
    std::vector<unsigned> kinds;
    engine.ClickEvent([&](HWND, int identity, std::intptr_t, int) {
        for (size_t i = 0; i < engine.Record()->controls.size(); ++i)
            if (engine.Record()->controls[i].identity == identity)
                kinds.push_back(engine.CaptionButtonKind(static_cast<int>(i + 1)));
    });
    clickOn(button(32));
    clickOn(button(64));
    EXPECT_EQ(kinds, (std::vector<unsigned>{32, 64}));
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(commands.empty());
}

TEST_F(CaptionButtonTest, FadeRisesInStepsOf51ThenStopsItsTimer) {
    engine.FadeControls(true);
    CaptionButton& close = button(4);
    const RectF r = close.Rectangle();
    SendMessageW(hwnd, WM_MOUSEMOVE, 0,
                 point(static_cast<int>(r.x) + 5, static_cast<int>(r.y) + 5));
    EXPECT_EQ(close.FadeAlpha(), 102);
    const UINT_PTR id = engine.ControlTimerId(close.ControlNumber());
    for (int alpha : {153, 204, 255}) {
        SendMessageW(hwnd, WM_TIMER, id, 0);
        EXPECT_EQ(close.FadeAlpha(), alpha);
    }
    SendMessageW(hwnd, WM_TIMER, id, 0);
    EXPECT_EQ(close.FadeAlpha(), 0);
    EXPECT_FALSE(KillTimer(hwnd, id));
    EXPECT_EQ(close.LastMessage(), static_cast<UINT>(WM_MOUSEMOVE));  // ticks are not looks
}

}  // namespace
