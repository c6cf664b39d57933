// The program's message box driven the way a user drives it: a thread timer
// finds the open box (class "SkinHostWnd", its title), looks at it, and
// clicks a button or presses a key; the test then checks the answer and
// that the owner takes input again.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "../skin/skin_test_support.h"
#include "dialogs/message_box_win.h"
#include "skin/builtin_pictures.h"
#include "skin/button_win.h"
#include "skin/caption_button_win.h"
#include "skin/label_win.h"
#include "skin/line_breaks.h"
#include "skin/skin_paint_win.h"
#include "text/wide_text_win.h"

using namespace korvel;
using namespace korvel::dialogs;
using skin::testing::makeTestWindow;
using skin::testing::point;
using skin::testing::startToolkit;

namespace {

std::function<void(HWND)> gAct;
std::wstring gTitle;

// The visible box of this thread with that title: never a window of another
// program on the desktop.
BOOL CALLBACK matchBox(HWND hwnd, LPARAM found) {
    wchar_t cls[64] = {}, title[256] = {};
    GetClassNameW(hwnd, cls, 64);
    GetWindowTextW(hwnd, title, 256);
    if (!IsWindowVisible(hwnd) || skin::kHostClassName != std::wstring_view(cls) || gTitle != title)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

VOID CALLBACK driveBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), matchBox, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    KillTimer(nullptr, id);
    auto act = std::move(gAct);
    gAct = nullptr;
    if (act) act(box);
}

// Opens a box and runs act on it once it shows.
int runBox(std::function<void(HWND)> act, HWND owner, std::string_view text, int set = 0,
           std::string_view title = korvel::dialogs::kBoxTitle, int icon = 0,
           const korvel::dialogs::MessageBoxSetup& setup = {}, bool beep = false) {
    gAct = std::move(act);
    gTitle = text::toWide(title);
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, driveBox);
    const int result = korvel::dialogs::showMessageBox(owner, text, set, title, icon, setup, beep);
    KillTimer(nullptr, timer);
    gAct = nullptr;
    return result;
}

struct ShownButton {
    std::string caption;
    skin::RectF rect;
    skin::Button* button;
};

// The box's push buttons, left to right.
std::vector<ShownButton> buttonsOf(HWND box) {
    std::vector<ShownButton> out;
    const skin::SkinWindowRecord* record = skin::WindowRecord(skin::FindWindowNumber(box));
    if (!record) return out;
    for (const skin::ControlEntry& e : record->controls) {
        if (auto* b = dynamic_cast<skin::Button*>(e.control))
            out.push_back({b->ButtonText(), e.rect, b});
    }
    std::sort(out.begin(), out.end(),
              [](const ShownButton& a, const ShownButton& b) { return a.rect.x < b.rect.x; });
    return out;
}

skin::Label* labelOf(HWND box) {
    const skin::SkinWindowRecord* record = skin::WindowRecord(skin::FindWindowNumber(box));
    if (!record) return nullptr;
    for (const skin::ControlEntry& e : record->controls)
        if (auto* l = dynamic_cast<skin::Label*>(e.control)) return l;
    return nullptr;
}

skin::SkinEngine* engineOf(HWND box) {
    const skin::SkinWindowRecord* record = skin::WindowRecord(skin::FindWindowNumber(box));
    return record ? record->engine : nullptr;
}

void clickAt(HWND box, const skin::RectF& r) {
    const int x = static_cast<int>(r.x + r.width / 2), y = static_cast<int>(r.y + r.height / 2);
    SendMessageW(box, WM_MOUSEMOVE, 0, point(x, y));
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, point(x, y));
    SendMessageW(box, WM_LBUTTONUP, 0, point(x, y));
}

void clickButton(HWND box, const std::string& caption) {
    for (const ShownButton& b : buttonsOf(box))
        if (b.caption == caption) return clickAt(box, b.rect);
    ADD_FAILURE() << "no button " << caption;
    PostMessageW(box, WM_CLOSE, 0, 0);
}

void pressKey(HWND box, WPARAM key) { SendMessageW(box, WM_KEYDOWN, key, 0); }

SIZE sizeOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return {r.right - r.left, r.bottom - r.top};
}

class MessageBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        startToolkit();
        owner = makeTestWindow(400, 300, WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX);
        skin::AttachOptions options;
        options.panelColor = 0x806040;
        options.captionFlags = 0;
        ASSERT_TRUE(ownerSkin.Attach(owner, {}, options));
    }
    void TearDown() override {
        DestroyWindow(owner);
        EXPECT_EQ(korvel::dialogs::openMessageBox(), nullptr);
    }
    HWND owner = nullptr;
    skin::SkinEngine ownerSkin;
};

TEST_F(MessageBoxTest, UpToDateBoxAnswersOkWithItsButtonAndCancelWithEsc) {
    bool seen = false;
    const int ok = runBox(
        [&](HWND box) {
            seen = true;
            wchar_t title[32] = {};
            GetWindowTextW(box, title, 32);
            EXPECT_EQ(text::toGbk(title), "提示：");
            EXPECT_EQ(GetWindowLongW(box, GWL_EXSTYLE) & 0x40008, 0x40008);
            EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(box, GWL_STYLE)) & 0x80880000u,
                      0x80880000u);
            EXPECT_EQ(GetPropW(box, L"msg_wnd"), nullptr);
            EXPECT_FALSE(IsWindowEnabled(owner));
            const auto buttons = buttonsOf(box);
            ASSERT_EQ(buttons.size(), 1u);
            EXPECT_EQ(buttons[0].caption, "确认");
            EXPECT_EQ(buttons[0].rect, (skin::RectF{237, 114, 70, 24}));
            EXPECT_EQ(engineOf(box)->Input().Focused(), buttons[0].button->Token());
            clickButton(box, "确认");
        },
        owner, "已最新版本");
    EXPECT_TRUE(seen);
    EXPECT_EQ(ok, korvel::dialogs::kResultOk);
    EXPECT_TRUE(IsWindowEnabled(owner));

    const int esc = runBox([&](HWND box) { pressKey(box, VK_ESCAPE); }, owner, "已最新版本");
    EXPECT_EQ(esc, korvel::dialogs::kResultCancel);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(MessageBoxTest, EachButtonSetShowsItsButtonsAndAnswersWithTheirCodes) {
    struct Case {
        int set;
        std::vector<std::string> leftToRight;
        std::vector<int> codes;
    };
    const Case cases[] = {
        {0, {"确认"}, {0}},
        {1, {"确认", "取消"}, {0, 1}},
        {2, {"忽略", "重试", "放弃"}, {4, 3, 2}},
        {3, {"是", "否", "取消"}, {5, 6, 1}},
        {4, {"是", "否"}, {5, 6}},
        {5, {"重试", "取消"}, {3, 1}},
    };
    for (const Case& c : cases) {
        for (size_t pick = 0; pick < c.leftToRight.size(); ++pick) {
            SCOPED_TRACE(testing::Message() << "set " << c.set << " button " << pick);
            std::vector<std::string> captions;
            std::vector<float> xs;
            const int result = runBox(
                [&](HWND box) {
                    for (const ShownButton& b : buttonsOf(box)) {
                        captions.push_back(b.caption);
                        xs.push_back(b.rect.x);
                    }
                    clickButton(box, c.leftToRight[pick]);
                },
                owner, "选择一个", c.set);
            EXPECT_EQ(captions, c.leftToRight);
            EXPECT_EQ(result, c.codes[pick]);
            // Right-most first at W - 83, then W - 158 and W - 233.
            const std::vector<float> places = {87, 162, 237};
            EXPECT_EQ(xs, std::vector<float>(places.end() - xs.size(), places.end()));
            EXPECT_TRUE(IsWindowEnabled(owner));
        }
    }
}

TEST_F(MessageBoxTest, UnknownSetHasNoButtonsAndClosesWithEsc) {
    size_t count = 99;
    const int result = runBox(
        [&](HWND box) {
            count = buttonsOf(box).size();
            pressKey(box, VK_ESCAPE);
        },
        owner, "没有按钮", 9);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(result, korvel::dialogs::kResultCancel);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(MessageBoxTest, OneLineTextKeepsTheSizeAndMovesDownByFour) {
    SIZE size{};
    skin::RectF text;
    runBox(
        [&](HWND box) {
            size = sizeOf(box);
            text = labelOf(box)->Rectangle();
            pressKey(box, VK_ESCAPE);
        },
        owner, "已最新版本");
    EXPECT_EQ(size.cx, 320);
    EXPECT_EQ(size.cy, 150);
    EXPECT_EQ(text, (skin::RectF{30, 47, 260, 50}));

    runBox(
        [&](HWND box) {
            text = labelOf(box)->Rectangle();
            pressKey(box, VK_ESCAPE);
        },
        owner, "已最新版本", 0, korvel::dialogs::kBoxTitle, korvel::dialogs::kIconWarning);
    EXPECT_EQ(text, (skin::RectF{85, 47, 200, 50}));
}

// The size the box measures a text at: the default font on a window buffer.
skin::RectF measure(std::string_view text) {
    skin::WindowDc screen(nullptr);
    skin::DibBuffer buffer;
    if (!buffer.Make(screen.get(), 16, 16)) return {};
    return skin::MeasureText(buffer.Graphics(), skin::lineFeedBreaks(text), skin::DefaultFont());
}

TEST_F(MessageBoxTest, WideTextWidensTheBoxByTheMarginsAroundTheText) {
    const std::string wide = "这一行文字比三百二十像素宽的提示窗口还要宽得多，所以窗口跟着变宽";
    const skin::RectF m = measure(wide);
    ASSERT_GT(m.width, 260);
    struct Case {
        int icon;
        int extra;  // 320 - the first text width
        float textX;
    };
    for (const Case& c : {Case{korvel::dialogs::kIconNone, 60, 30},
                          Case{korvel::dialogs::kIconInformation, 120, 85}}) {
        SCOPED_TRACE(c.icon);
        SIZE size{};
        RECT place{};
        skin::RectF text;
        std::vector<float> xs;
        runBox(
            [&](HWND box) {
                size = sizeOf(box);
                GetWindowRect(box, &place);
                text = labelOf(box)->Rectangle();
                for (const ShownButton& b : buttonsOf(box)) xs.push_back(b.rect.x);
                pressKey(box, VK_ESCAPE);
            },
            owner, wide, 1, korvel::dialogs::kBoxTitle, c.icon);
        EXPECT_EQ(size.cx, static_cast<int>(m.width + c.extra));
        EXPECT_EQ(size.cy, 150);
        EXPECT_EQ(text.x, c.textX);
        EXPECT_EQ(text.width, static_cast<float>(static_cast<int>(m.width + 10)));
        // The buttons follow the wider box.
        EXPECT_EQ(xs, (std::vector<float>{static_cast<float>(size.cx - 158),
                                          static_cast<float>(size.cx - 83)}));
        // Centred on the screen again, truncated.
        EXPECT_EQ(place.left, (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2);
        EXPECT_EQ(place.top, (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2);
    }
}

TEST_F(MessageBoxTest, TallTextHeightensTheBoxAndStaysInPlace) {
    const std::string tall = "第一行\r\n第二行\r\n第三行\r\n第四行\r\n第五行";
    const skin::RectF m = measure(tall);
    ASSERT_GT(m.height, 50);
    SIZE size{};
    skin::RectF text;
    float buttonY = 0;
    runBox(
        [&](HWND box) {
            size = sizeOf(box);
            text = labelOf(box)->Rectangle();
            buttonY = buttonsOf(box).at(0).rect.y;
            pressKey(box, VK_ESCAPE);
        },
        owner, tall);
    EXPECT_EQ(size.cx, 320);
    EXPECT_EQ(size.cy, static_cast<int>(m.height + 100));
    EXPECT_EQ(text.y, 43);
    EXPECT_EQ(text.height, static_cast<float>(static_cast<int>(m.height + 5)));
    EXPECT_EQ(buttonY, static_cast<float>(size.cy - 36));
}

TEST_F(MessageBoxTest, IconValuesDrawTheirColumnOfTheStrip) {
    skin::SkinImage strip;
    ASSERT_TRUE(strip.LoadFromBytes(pictures::messageIcons()));
    struct Case {
        int icon;
        int column;
    };
    const Case cases[] = {
        {korvel::dialogs::kIconError, 0},     {korvel::dialogs::kIconWarning, 40},
        {korvel::dialogs::kIconQuestion, 80}, {korvel::dialogs::kIconInformation, 120},
        {korvel::dialogs::kIconSuccess, 160}, {7, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.icon);
        // An opaque point on the left of the circle.
        const int sx = c.column + 5, sy = 20;
        const std::uint32_t want = strip.Pixel(sx, sy);
        ASSERT_EQ(want >> 24, 0xFFu);
        std::uint32_t got = 0;
        INT_PTR property = 0;
        runBox(
            [&](HWND box) {
                property = reinterpret_cast<INT_PTR>(GetPropW(box, L"msg_wnd"));
                got =
                    skin::WindowRecord(skin::FindWindowNumber(box))->present.Pixel(30 + 5, 40 + sy);
                pressKey(box, VK_ESCAPE);
            },
            owner, "图标", 0, korvel::dialogs::kBoxTitle, c.icon);
        EXPECT_EQ(property, c.icon);
        for (int shift : {16, 8, 0})
            EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF),
                        static_cast<int>((want >> shift) & 0xFF), 6)
                << std::hex << got << " vs " << want;
    }
}

TEST_F(MessageBoxTest, BeepsOnlyForAnIconAndOnlyWhenAsked) {
    std::vector<unsigned> heard;
    korvel::dialogs::setMessageBoxBeeper([&](unsigned type) { heard.push_back(type); });
    struct Case {
        int icon;
        bool beep;
        std::vector<unsigned> sounds;
    };
    const Case cases[] = {
        {korvel::dialogs::kIconInformation, false, {}},
        {korvel::dialogs::kIconInformation, true, {MB_ICONASTERISK}},
        {korvel::dialogs::kIconWarning, true, {MB_ICONEXCLAMATION}},
        {korvel::dialogs::kIconError, true, {MB_ICONHAND}},
        {korvel::dialogs::kIconQuestion, true, {MB_ICONQUESTION}},
        {korvel::dialogs::kIconSuccess, true, {MB_OK}},
        {korvel::dialogs::kIconNone, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.icon << (c.beep ? " beep" : " quiet"));
        heard.clear();
        bool soundedBeforeShowing = false;
        runBox(
            [&](HWND box) {
                soundedBeforeShowing = heard == c.sounds;
                pressKey(box, VK_ESCAPE);
            },
            owner, "声音", 0, korvel::dialogs::kBoxTitle, c.icon, {}, c.beep);
        EXPECT_EQ(heard, c.sounds);
        EXPECT_TRUE(soundedBeforeShowing);  // the sound comes before the box shows
    }
    korvel::dialogs::setMessageBoxBeeper({});
}

TEST_F(MessageBoxTest, SkinnedOwnerLendsItsPictureFrameStyleAndColour) {
    HWND pictured = makeTestWindow(300, 200, WS_POPUP | WS_SYSMENU);
    skin::SkinEngine pictureSkin;
    skin::AttachOptions options;
    options.captionFlags = 0;
    options.frameStyle = 3;
    ASSERT_TRUE(pictureSkin.Attach(pictured, pictures::mainBackground(), options));
    ASSERT_NE(pictureSkin.BackgroundImage(), nullptr);
    int frameStyle = 0;
    skin::GpImage* image = nullptr;
    UINT width = 0;
    std::uint32_t color = 0;
    runBox(
        [&](HWND box) {
            skin::SkinEngine* e = engineOf(box);
            frameStyle = e->FrameStyleProperty();
            image = e->BackgroundImage();
            if (image) skin::gdip::GdipGetImageWidth(image, &width);
            color = e->PanelColor();
            pressKey(box, VK_ESCAPE);
        },
        pictured, "跟着主窗口");
    EXPECT_EQ(frameStyle, 3);
    ASSERT_NE(image, nullptr);
    EXPECT_NE(image, pictureSkin.BackgroundImage());  // a copy, not the owner's own
    EXPECT_EQ(width, 550u);
    EXPECT_EQ(color, pictureSkin.PanelColor());
    EXPECT_TRUE(IsWindowEnabled(pictured));
    DestroyWindow(pictured);

    // A plain owner lends nothing: the box keeps its own look.
    HWND plain = CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    runBox(
        [&](HWND box) {
            frameStyle = engineOf(box)->FrameStyleProperty();
            image = engineOf(box)->BackgroundImage();
            color = engineOf(box)->PanelColor();
            pressKey(box, VK_ESCAPE);
        },
        plain, "普通窗口");
    EXPECT_EQ(frameStyle, 5);
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(color, 0xFF8800u);
    EXPECT_TRUE(IsWindowEnabled(plain));
    DestroyWindow(plain);
}

TEST_F(MessageBoxTest, CloseButtonAndEnterAnswer) {
    const int closed = runBox(
        [&](HWND box) {
            skin::SkinEngine* e = engineOf(box);
            ASSERT_FALSE(e->CaptionButtons().empty());
            clickAt(box, e->CaptionButtons().front()->Rectangle());
        },
        owner, "关闭按钮", 4);
    EXPECT_EQ(closed, korvel::dialogs::kResultCancel);
    EXPECT_TRUE(IsWindowEnabled(owner));

    // Enter answers with the focused button: the first one, "否".
    EXPECT_EQ(runBox([&](HWND box) { pressKey(box, VK_RETURN); }, owner, "回车", 4),
              korvel::dialogs::kResultNo);
}

TEST_F(MessageBoxTest, QuitWhileOpenEndsTheBoxAndReachesTheOuterLoop) {
    HWND seen = nullptr;
    const int result = runBox(
        [&](HWND box) {
            seen = box;
            PostQuitMessage(7);
        },
        owner, "退出", 3);
    EXPECT_EQ(result, korvel::dialogs::kResultCancel);
    EXPECT_FALSE(IsWindow(seen));
    EXPECT_TRUE(IsWindowEnabled(owner));
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(MessageBoxTest, SetupRunsBeforeShowingAndResizeMovesTheButtons) {
    bool visibleInSetup = true;
    int setupWidth = 0, setupHeight = 0;
    std::vector<float> xs;
    float y = 0;
    runBox(
        [&](HWND box) {
            SetWindowPos(box, nullptr, 0, 0, 460, 200, SWP_NOMOVE | SWP_NOZORDER);
            for (const ShownButton& b : buttonsOf(box)) xs.push_back(b.rect.x);
            y = buttonsOf(box).at(0).rect.y;
            pressKey(box, VK_ESCAPE);
        },
        owner, "重新排列", 2, korvel::dialogs::kBoxTitle, 0,
        [&](HWND box, int w, int h) {
            visibleInSetup = IsWindowVisible(box) != FALSE;
            setupWidth = w;
            setupHeight = h;
        });
    EXPECT_FALSE(visibleInSetup);
    EXPECT_EQ(setupWidth, 320);
    EXPECT_EQ(setupHeight, 150);
    EXPECT_EQ(xs, (std::vector<float>{460 - 245, 460 - 165, 460 - 85}));
    EXPECT_EQ(y, 164);
}

TEST_F(MessageBoxTest, NoOwnerAndNoNesting) {
    int nested = -1;
    const int result = runBox(
        [&](HWND box) {
            nested = korvel::dialogs::showMessageBox(nullptr, "第二个", 0, "嵌套", 0, {}, false);
            clickButton(box, "确认");
        },
        nullptr, "没有主窗口");
    EXPECT_EQ(result, korvel::dialogs::kResultOk);
    EXPECT_EQ(nested, korvel::dialogs::kResultCancel);
}

}  // namespace
