#include "dialogs/message_box_win.h"

#include <array>
#include <string>

#include "skin/builtin_pictures.h"
#include "skin/button_win.h"
#include "skin/label_win.h"
#include "skin/line_breaks.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_paint_win.h"
#include "skin/skin_toolkit_win.h"
#include "skin/skin_window_table_win.h"
#include "text/wide_text_win.h"

namespace korvel::dialogs {

namespace {

using namespace korvel::skin;

constexpr wchar_t kIconProperty[] = L"msg_wnd";
constexpr DWORD kBoxExStyle = 0x40008;   // WS_EX_TOPMOST | WS_EX_APPWINDOW
constexpr DWORD kBoxStyle = 0x80880000;  // WS_POPUP | WS_BORDER | WS_SYSMENU
constexpr std::uint32_t kBoxPanelColor = 0xFF8800;
constexpr unsigned kBoxCaptionFlags = kCaptionTitle | kCaptionClose;
constexpr int kBoxAlpha = 170;
constexpr int kLabelAlpha = 210;
constexpr int kLabelFormatFlags = 0x800;
constexpr int kFrameStylePicture = 1;

// The box's elements: made once, reused by every box.
struct BoxState {
    SkinEngine engine;
    std::array<Button, kMaxBoxButtons> buttons;
    Label label;
    SkinImage icons;
    std::function<void(unsigned)> beeper;
    int result = kResultCancel;
    HWND box = nullptr;
    HWND owner = nullptr;
    bool ownerWasEnabled = false;
};

BoxState& state() {
    // Never destroyed: the GDI+ objects inside must not outlive GDI+ itself
    // at process exit.
    static BoxState* s = new BoxState;
    return *s;
}

// The owner handle comes back from the label's text, as the box stores it.
void giveOwnerInputBack() {
    BoxState& s = state();
    const auto handle = parseDecimal(s.label.Text());
    HWND owner = handle ? reinterpret_cast<HWND>(static_cast<INT_PTR>(*handle)) : nullptr;
    if (owner && owner == s.owner && s.ownerWasEnabled && IsWindow(owner))
        EnableWindow(owner, TRUE);
}

void closeBox(HWND box) {
    RemovePropW(box, kIconProperty);
    giveOwnerInputBack();
    PostMessageW(box, WM_CLOSE, 0, 0);
}

// The push button behind an identity of the box window, nullptr for anything else.
Button* buttonWithIdentity(HWND box, int identity) {
    const SkinWindowRecord* record = WindowRecord(FindWindowNumber(box));
    if (!record) return nullptr;
    for (const ControlEntry& e : record->controls) {
        if (e.identity == identity && e.kind == kKindButton)
            return dynamic_cast<Button*>(e.control);
    }
    return nullptr;
}

void pressButton(HWND box, Button& button) {
    if (const auto code = parseDecimal(button.Text())) state().result = static_cast<int>(*code);
    closeBox(box);
}

void onPaint(HWND box, GpGraphics* g, HDC, int width, int height) {
    for (const GradientBand& band : boxBands(width, height)) {
        const RectF r{band.rect.x, band.rect.y, band.rect.width - 1, band.rect.height - 1};
        FillGradient(g, r, colorToArgb(0xFFFFFF, band.topAlpha),
                     colorToArgb(0xFFFFFF, band.bottomAlpha), 1);
    }
    const Line line = boxSeparator(width, height);
    GdipPenPtr pen;
    if (gdip::GdipCreatePen1(colorToArgb(0xFFFFFF, 210), 1, Gdiplus::UnitPixel, pen.put()) ==
        Gdiplus::Ok)
        gdip::GdipDrawLine(g, pen.get(), line.x1, line.y1, line.x2, line.y2);
    const int icon = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(box, kIconProperty)));
    SkinImage& strip = state().icons;
    if (icon != kIconNone && strip) {
        gdip::GdipDrawImageRectRectI(g, strip.Handle(), 30, 40, kIconSize, kIconSize,
                                     iconColumn(icon), 0, kIconSize, kIconSize, Gdiplus::UnitPixel,
                                     nullptr, nullptr, nullptr);
    }
}

void onResized(HWND, int width, int height) {
    BoxState& s = state();
    for (int i = 0; i < kMaxBoxButtons; ++i) {
        Button& b = s.buttons[i];
        if (!b.IsRegistered()) continue;
        const skin::IntRect r = boxButtonRect(i, width, height, true);
        b.Move(static_cast<float>(r.x), static_cast<float>(r.y));
    }
}

void onClick(HWND box, int identity, std::intptr_t, int kind) {
    if (kind == kKindButton) {
        if (Button* b = buttonWithIdentity(box, identity)) pressButton(box, *b);
    } else if (kind == kKindCaptionButton) {
        // The close button closes the box itself; the owner only needs its input back.
        RemovePropW(box, kIconProperty);
        giveOwnerInputBack();
    }
}

int onKeyDown(HWND box, int focused, int key, LPARAM) {
    if (key == VK_ESCAPE) {
        closeBox(box);
        return 0;
    }
    // Enter or Space clicks the button that has the focus.
    if (key == VK_RETURN || key == VK_SPACE) {
        Button* b = buttonWithIdentity(box, focused);
        if (b && state().engine.Input().Activate(b->Token())) return 0;
    }
    return -1;
}

HICON ownerIcon(HWND owner) {
    auto icon = reinterpret_cast<HICON>(SendMessageW(owner, WM_GETICON, ICON_SMALL, 0));
    if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(owner, WM_GETICON, ICON_BIG, 0));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(owner, GCLP_HICONSM));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(owner, GCLP_HICON));
    return icon;
}

void moveCentred(HWND box, int width, int height) {
    const Point at =
        centredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height);
    SetWindowPos(box, nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Grows the box to its text; returns the text rectangle.
BoxLayout fitText(HWND box, std::string_view text, bool icon) {
    const SkinWindowRecord* record = WindowRecord(FindWindowNumber(box));
    if (!record || !record->compose.Graphics()) return initialBoxLayout(icon);
    // Measured as the label draws it.
    const RectF measured =
        MeasureText(record->compose.Graphics(), lineFeedBreaks(text), DefaultFont());
    const BoxLayout layout = fitBoxText(icon, measured.width, measured.height);
    if (layout.width != kBoxWidth || layout.height != kBoxHeight)
        moveCentred(box, layout.width, layout.height);
    return layout;
}

// A skinned owner lends the box its background picture, frame style and colour.
void followOwnerSkin(HWND owner) {
    BoxState& s = state();
    auto* image = reinterpret_cast<GpImage*>(SendMessageW(owner, kMsgBackgroundImage, 0, 0));
    const auto color = static_cast<std::uint32_t>(SendMessageW(owner, kMsgPanelColor, 0, 0));
    const SkinWindowRecord* record = WindowRecord(FindWindowNumber(owner));
    if ((!image && color == 0) || !record || !record->engine) return;
    const int frameStyle = record->engine->FrameStyleProperty();
    if (frameStyle == kFrameStylePicture) return;
    if (image) {
        UINT width = 0, height = 0;
        Gdiplus::PixelFormat format = PixelFormat32bppARGB;
        gdip::GdipGetImageWidth(image, &width);
        gdip::GdipGetImageHeight(image, &height);
        gdip::GdipGetImagePixelFormat(image, &format);
        GpBitmap* copy = nullptr;
        if (width && height &&
            gdip::GdipCloneBitmapAreaI(0, 0, static_cast<INT>(width), static_cast<INT>(height),
                                       format, static_cast<GpBitmap*>(image), &copy) == Gdiplus::Ok)
            s.engine.SetBackgroundImage(copy);
    }
    s.engine.FrameStyleProperty(frameStyle);
    s.engine.Redraw(std::nullopt, color, false);
}

void createElements(HWND box, std::string_view text, int buttonSet, const BoxLayout& layout,
                    HWND owner) {
    BoxState& s = state();
    const auto buttons = boxButtons(buttonSet);
    for (size_t i = 0; i < buttons.size(); ++i) {
        const skin::IntRect r =
            boxButtonRect(static_cast<int>(i), layout.width, layout.height, false);
        Button& b = s.buttons[i];
        b.Create(box, buttons[i].caption, r.x, r.y, r.width, r.height);
        b.Text(std::to_string(buttons[i].result));
    }
    LabelOptions options;
    options.textColor = colorToArgb(0x000000, kLabelAlpha);
    options.alignment = 0;
    options.formatFlags = kLabelFormatFlags;
    s.label.Create(box, std::string(text), static_cast<int>(layout.text.x),
                   static_cast<int>(layout.text.y), static_cast<int>(layout.text.width),
                   static_cast<int>(layout.text.height), options);
    s.label.Text(std::to_string(reinterpret_cast<INT_PTR>(owner)));
}

// Runs the thread's messages until the box is gone; false when a quit
// message ended it (its exit code in quitCode).
bool runBoxLoop(HWND box, int& quitCode) {
    MSG msg;
    while (IsWindow(box)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quitCode = static_cast<int>(msg.wParam);
            return false;
        }
        if (got == -1) return true;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

}  // namespace

HWND openMessageBox() { return state().box; }

void setMessageBoxBeeper(std::function<void(unsigned)> beeper) {
    state().beeper = std::move(beeper);
}

int showMessageBox(HWND owner, std::string_view text, int buttonSet, std::string_view title,
                   int icon, const MessageBoxSetup& setup, bool beep) {
    BoxState& s = state();
    if (s.box) return kResultCancel;
    s.result = kResultCancel;
    if (!s.icons) s.icons.LoadFromBytes(pictures::messageIcons());
    if (owner && !IsWindow(owner)) owner = nullptr;

    const bool hasIcon = icon != kIconNone;
    BoxLayout layout = initialBoxLayout(hasIcon);
    const Point at = centredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                   layout.width, layout.height);
    const std::wstring wideTitle = text::toWide(title);
    HWND box = CreateWindowExW(kBoxExStyle, kHostClassName, wideTitle.c_str(), kBoxStyle, at.x,
                               at.y, layout.width, layout.height, owner, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!box) return kResultCancel;
    s.box = box;
    s.owner = owner;
    s.ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (owner) {
        if (HICON small = ownerIcon(owner))
            SendMessageW(box, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
    SetPropW(box, kIconProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(icon)));

    s.engine.PaintEvent(onPaint);
    s.engine.ResizedEvent(onResized);
    AttachOptions options;
    options.panelColor = kBoxPanelColor;
    options.captionFlags = kBoxCaptionFlags;
    options.alpha = kBoxAlpha;
    options.fadeControls = false;
    options.notResizable = true;
    if (!s.engine.Attach(box, {}, options)) {
        DestroyWindow(box);
        s.box = nullptr;
        s.owner = nullptr;
        return kResultCancel;
    }
    s.engine.ClickEvent(onClick);
    s.engine.KeyDownEvent(onKeyDown);
    layout = fitText(box, text, hasIcon);
    if (owner) followOwnerSkin(owner);
    createElements(box, text, buttonSet, layout, owner);

    if (setup) setup(box, layout.width, layout.height);
    if (hasIcon && beep) {
        if (s.beeper)
            s.beeper(beepType(icon));
        else
            MessageBeep(beepType(icon));
    }
    if (s.buttons[0].IsRegistered()) s.engine.SetFocusControl(s.buttons[0].ControlNumber());
    ShowWindow(box, SW_SHOWNORMAL);
    if (s.ownerWasEnabled) EnableWindow(owner, FALSE);

    int quitCode = 0;
    const bool ended = runBoxLoop(box, quitCode);
    // Every way out gives the owner its input back before the box goes, so
    // the owner is the window that becomes active.
    if (s.ownerWasEnabled && IsWindow(owner)) EnableWindow(owner, TRUE);
    if (IsWindow(box)) {
        RemovePropW(box, kIconProperty);
        DestroyWindow(box);
    }
    s.box = nullptr;
    s.owner = nullptr;
    // The box ate the quit meant for the program's own loop: hand it on.
    if (!ended) PostQuitMessage(quitCode);
    return s.result;
}

}  // namespace korvel::dialogs
