#include "skin/caption_button_win.h"

#include "skin/skin_engine_win.h"
#include "skin/skin_toolkit_win.h"

namespace korvel::skin {

namespace {

// Fade start of each transition: a new look rises from here in steps of 51.
constexpr int kFadeFromLook = 102;
constexpr int kFadeFromPress = 153;

}  // namespace

int CaptionButton::Create(HWND hwnd, int x, int y, int width, int height, unsigned kind,
                          bool visible) {
    kind_ = kind;
    const RectF rect{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                     static_cast<float>(height)};
    if (!Register(hwnd, rect, kKindCaptionButton, visible ? 1 : 0, true, kCursorArrow)) return 0;
    if (visible) Repaint();
    return ControlNumber();
}

void CaptionButton::paint(HWND hwnd, Look look, int startAlpha) {
    GpGraphics* g = BeginRepaint();
    if (!g) return;
    const auto cell = captionSpriteCell(kind_, IsZoomed(hwnd) != FALSE, static_cast<int>(look));
    GpImage* sprite = SkinSprite().Handle();
    if (cell && sprite) {
        const RectF r = Rectangle();
        gdip::GdipDrawImageRectRect(g, sprite, r.x, r.y, r.width, r.height,
                                    static_cast<float>(cell->x), kSpriteCellTop,
                                    static_cast<float>(cell->width), kSpriteCellHeight,
                                    Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
    }
    fadeAlpha_ = startAlpha;
    EndRepaint();
}

LRESULT CaptionButton::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM, int, int,
                                     int) {
    switch (message) {
        case kMsgPaint:
            paint(hwnd, Look::Normal, kFadeFromLook);
            break;
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
        case WM_LBUTTONDOWN:
            // Moves and the release over the button that holds the press keep the pressed cell.
            if (Disabled() || (message != WM_LBUTTONDOWN && IsPressed())) break;
            if (lastMessage_ == message) break;
            if (IsPressed())
                paint(hwnd, Look::Pressed, kFadeFromPress);
            else
                paint(hwnd, Look::Hover, kFadeFromLook);
            break;
        case kMsgTimer:
            FadeTick(fadeAlpha_, wParam);
            return 0;  // ticks are not a look: the repeat filter ignores them
        case kNotifyClick:
            if (Disabled()) break;
            if (kind_ == kCaptionClose) {
                PostMessageW(hwnd, WM_CLOSE, 0, 0);
            } else if (kind_ == kCaptionMaximize) {
                PostMessageW(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, 0);
            } else if (kind_ == kCaptionMinimize && !IsIconic(hwnd)) {
                PostMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            }
            break;
        default:
            return 0;
    }
    lastMessage_ = message;
    return 0;
}

}  // namespace korvel::skin
